// The string statements: script buffers used as NUL-terminated texts within their size.
#pragma once

#include "script/core/statement_api.h"

// ATON buffer variable
int _Aton(StatementContext& ctx, TEXT_LINK& stmt);
// ATOLN buffer longvariable
int _AtoLn(StatementContext& ctx, TEXT_LINK& stmt);
// BIGENDIAN wordvariable | longvariable
int _BigEndian(StatementContext& ctx, TEXT_LINK& stmt);
// CLEAR1STWORD buffer
int _Clear1stWord(StatementContext& ctx, TEXT_LINK& stmt);
// DETERMINNUMBERTYPE buffer bytevariable
int _DetermineNumberType(StatementContext& ctx, TEXT_LINK& stmt);
// FETCH1STWORD buffer
int _Fetch1stWord(StatementContext& ctx, TEXT_LINK& stmt);
// LEFTSTRING source destination count
int _LeftString(StatementContext& ctx, TEXT_LINK& stmt);
// MIDSTRING source destination start count
int _MidString(StatementContext& ctx, TEXT_LINK& stmt);
// OCCURANCE text query wordvariable
int _Occurance(StatementContext& ctx, TEXT_LINK& stmt);
// REMOVECOMMENTS buffer
int _RemoveComments(StatementContext& ctx, TEXT_LINK& stmt);
// RIGHTSTRING source destination count
int _RightString(StatementContext& ctx, TEXT_LINK& stmt);
// RIPREPLACE findbuffer replacebuffer target | RIPREPLACE findbyte replacebyte target
int _RipReplace(StatementContext& ctx, TEXT_LINK& stmt);
// SETTEXTTABLE buffer bytevariable
int _SetTextTable(StatementContext& ctx, TEXT_LINK& stmt);
// GETTEXTSTRING textbuffer linebuffer bytevariable
int _GetTextString(StatementContext& ctx, TEXT_LINK& stmt);
// STORE1STWORD source destination
int _Store1stWord(StatementContext& ctx, TEXT_LINK& stmt);
// SHRINK buffer
int _Shrink(StatementContext& ctx, TEXT_LINK& stmt);
// STRINGC text query start resultwordvariable
int _StringC(StatementContext& ctx, TEXT_LINK& stmt);
// STRINGABSC buffer buffer bytevariable
int _StringAbsC(StatementContext& ctx, TEXT_LINK& stmt);
// STRLEN buffer wordvariable
int _StrLen(StatementContext& ctx, TEXT_LINK& stmt);
// UPPERCASE buffer
int _UpperCase(StatementContext& ctx, TEXT_LINK& stmt);
// WIPELEFT buffer
int _WipeLeft(StatementContext& ctx, TEXT_LINK& stmt);
// WIPERIGHT buffer
int _WipeRight(StatementContext& ctx, TEXT_LINK& stmt);
