// Buffer operations: reading, writing, filling, copying, comparing and
// scrambling the bytes of script buffers. Multi-byte values are big-endian.
#pragma once

#include "script/core/statement_api.h"

// PEEK buffer[index] bytevar (PEEKW wordvar, PEEKL longvar, PEEKD doublevar)
int _Peek(StatementContext& ctx, TEXT_LINK& stmt);
int _PeekW(StatementContext& ctx, TEXT_LINK& stmt);
int _PeekL(StatementContext& ctx, TEXT_LINK& stmt);
int _PeekD(StatementContext& ctx, TEXT_LINK& stmt);
// POKE buffer[index] byte
int _Poke(StatementContext& ctx, TEXT_LINK& stmt);
// SETBUFFER buffer[index] value (ORBUFFER, ANDBUFFER, XORBUFFER combine with it)
int _SetBuffer(StatementContext& ctx, TEXT_LINK& stmt);
int _OrBuffer(StatementContext& ctx, TEXT_LINK& stmt);
int _AndBuffer(StatementContext& ctx, TEXT_LINK& stmt);
int _XorBuffer(StatementContext& ctx, TEXT_LINK& stmt);
// FILLBUFFER buffer INCR | RAND seed | value
int _FillBuffer(StatementContext& ctx, TEXT_LINK& stmt);
// COPYBUFFER source destination
int _CopyBuffer(StatementContext& ctx, TEXT_LINK& stmt);
// COPYBUFFERPART source destination offset count
int _CopyBufferPart(StatementContext& ctx, TEXT_LINK& stmt);
// COMPAREBUFFER buffer1 buffer2 status address byte2 byte1 [length]
int _CompareBuffer(StatementContext& ctx, TEXT_LINK& stmt);
// PATTERN9 buffer longvar
int _Pattern9(StatementContext& ctx, TEXT_LINK& stmt);
// WNENCRYPTBUFFER buffer longvar
int _WnEncryptBuffer(StatementContext& ctx, TEXT_LINK& stmt);
// INP address bytevar
int _Inp(StatementContext& ctx, TEXT_LINK& stmt);
// OUTP address data
int _Outp(StatementContext& ctx, TEXT_LINK& stmt);
