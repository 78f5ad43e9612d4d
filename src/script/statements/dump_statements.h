// PRINTCDB and PRINTBUFFER: a declared CDB and the bytes of a buffer in
// hexadecimal, to the screen, the session log or both.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "script/core/statement_api.h"

// Lines of 16 bytes from `first` (offsets counted in the buffer) to `end`.
std::vector<std::string> HexDumpLines(std::span<const uint8_t> buffer, uint32_t first, uint32_t end);

// PRINTCDB [SCREEN|LOG|BOTH] cdb
int _PrintCdb(StatementContext& ctx, TEXT_LINK& stmt);
// PRINTBUFFER [SCREEN|LOG|BOTH] buffer [start [end]]
int _PrintBuffer(StatementContext& ctx, TEXT_LINK& stmt);
