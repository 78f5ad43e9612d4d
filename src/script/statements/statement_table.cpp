// The statement table: one row per statement id, with everything the compiler,
// the linker and the run need to know of the statement. How to add one: see the
// note at the top of script/core/statement_api.h.
#include "script/statements/statement_table.h"

#include "script/core/statement_api.h"
#include "script/statements/buffer_ops.h"
#include "script/statements/data_statements.h"
#include "script/statements/declared_commands.h"
#include "script/statements/dump_statements.h"
#include "script/statements/event_log_statements.h"
#include "script/statements/health_statement.h"
#include "script/statements/log_pages.h"
#include "script/statements/scsi_statements.h"
#include "script/statements/sense_statements.h"
#include "script/statements/string_statements.h"

constexpr StatementRow StatementTable[kMaxStatementId + 1] = {
    {nullptr, SID_NONE, nullptr, kRunsOnText},
    {"ANDBUFFER", SID_ANDBUFFER, _AndBuffer, kCompiled},
    {"ASK", SID_ASK, Member<&KScript::_Ask>, kRunsOnText | kTakesJumpTarget},
    {"ASKFORFILE", SID_ASKFORFILE, Member<&KScript::_AskForFile>, kRunsOnText | kTakesJumpTarget},
    {"ASKFORFADATAFILE", SID_ASKFORFADATAFILE, Member<&KScript::_AskForFile>, kRunsOnText | kTakesJumpTarget},
    {"ASKFORTRACEFILE", SID_ASKFORTRACEFILE, Member<&KScript::_AskForFile>, kRunsOnText | kTakesJumpTarget},
    {"ASKFORWNFADATAFILE", SID_ASKFORWNFADATAFILE, Member<&KScript::_AskForFile>, kRunsOnText | kTakesJumpTarget},
    {"GETLTOCDUMPFILEA", SID_GETLTOCDUMPFILEA, Member<&KScript::_AskForFile>, kRunsOnText | kTakesJumpTarget},
    {"GETLTOCDUMPFILEB", SID_GETLTOCDUMPFILEB, Member<&KScript::_AskForFile>, kRunsOnText | kTakesJumpTarget},
    {"ASKFORLISTCHOICE", SID_ASKFORLISTCHOICE, Member<&KScript::_AskForListChoice>, kRunsOnText | kTakesJumpTarget},
    {"ASKFORNUMBER", SID_ASKFORNUMBER, Member<&KScript::_AskForNumber>, kRunsOnText | kTakesJumpTarget},
    {"ASKFORTEXT", SID_ASKFORTEXT, Member<&KScript::_AskForText>, kRunsOnText | kTakesJumpTarget},
    {"ATA", SID_ATA, _Ata, kCompiled},
    {"BAUD", SID_BAUD, nullptr, kRunsOnText},  // reserved, no handler
    {"BREAK", SID_BREAK, Member<&KScript::_Break>, kCompiled},
    {"BREAKPOINT", SID_BREAKPOINT, Member<&KScript::_BreakPoint>, kCompiled},
    {"CALL", SID_CALL, Member<&KScript::_Call>, kCompiled | kTakesJumpTarget},
    {"CASE", SID_CASE, Member<&KScript::_Case>, kCompiled},
    {"COMPAREBUFFER", SID_COMPAREBUFFER, _CompareBuffer, kCompiled},
    {"COMPRESSFILE", SID_COMPRESSFILE, _CompressFile, kCompiled},
    {"COPYBUFFER", SID_COPYBUFFER, _CopyBuffer, kCompiled},
    {"COPYBUFFERPART", SID_COPYBUFFERPART, _CopyBufferPart, kCompiled},
    {"DEFAULT", SID_DEFAULT, Member<&KScript::_Default>, kCompiled},
    {"DELTAFILTER", SID_DELTAFILTER, _DeltaFilter, kCompiled},
    {"DESCRIPTION", SID_DESCRIPTION, Member<&KScript::_Description>, kCompiled},
    {"BUSDEVICERESET", SID_BUSDEVICERESET, _BusDeviceReset, kCompiled | kCheckedOnly},
    {"DIMENSION", SID_DIMENSION, Member<&KScript::_Dimension>, kCompiled},
    {"DUMPLOGPAGE", SID_DUMPLOGPAGE, _DumpLogPage, kCompiled},
    {"ENDSWITCH", SID_ENDSWITCH, Member<&KScript::_EndSwitch>, kCompiled},
    {"[ENGINEERING]", SID_ENGINEERING, Member<&KScript::_Section>, kCompiled},
    {"ERASEFILE", SID_ERASEFILE, _EraseFile, kCompiled},
    {"EXIT", SID_EXIT, Member<&KScript::_Exit>, kCompiled},
    {"FAIL", SID_FAIL, Member<&KScript::_Fail>, kCompiled},
    {"FILLBUFFER", SID_FILLBUFFER, _FillBuffer, kCompiled},
    {"FORMATTIME", SID_FORMATTIME, Member<&KScript::_FormatTime>, kCompiled},
    {"FUP", SID_FUP, _Fup, kCompiled},
    {"FGETS", SID_FGETS, _FGets, kCompiled},
    {"FWRITE", SID_FWRITE, _FWrite, kCompiled},
    {"FREAD", SID_FREAD, _FRead, kCompiled},
    {"FSEEK", SID_FSEEK, _FSeek, kCompiled},
    {"GETDCDSTATE", SID_GETDCDSTATE, nullptr, kRunsOnText},  // reserved, no handler
    {"GETDSRSTATE", SID_GETDSRSTATE, nullptr, kRunsOnText},  // reserved, no handler
    {"GETCTSSTATE", SID_GETCTSSTATE, nullptr, kRunsOnText},  // reserved, no handler
    {"GETDTRSTATE", SID_GETDTRSTATE, nullptr, kRunsOnText},  // reserved, no handler
    {"GETRTSSTATE", SID_GETRTSSTATE, nullptr, kRunsOnText},  // reserved, no handler
    {"SETDTRSTATE", SID_SETDTRSTATE, nullptr, kRunsOnText},  // reserved, no handler
    {"SETRTSSTATE", SID_SETRTSSTATE, nullptr, kRunsOnText},  // reserved, no handler
    {"GETCSVARG", SID_GETCSVARG, _GetCsvArg, kCompiled},
    {"GETTEXTSTRING", SID_GETTEXTSTRING, _GetTextString, kCompiled},
    {"GETDRIVETYPE", SID_GETDRIVETYPE, _GetDriveType, kCompiled},
    {"GETFWIMGCHKSUM", SID_GETFWIMGCHKSUM, _GetFwImgChkSum, kCompiled | kCheckedOnly},
    {"GETHASTATUS", SID_GETHASTATUS, _GetHaStatus, kCompiled},
    {"GETINQINFO", SID_GETINQINFO, _GetInqInfo, kCompiled},
    {"GETNUMBEROFPACKETS", SID_GETNUMBEROFPACKETS, _GetNumberOfPackets, kCompiled},
    {"GETSCSITIMEOUT", SID_GETSCSITIMEOUT, _GetScsiTimeout, kCompiled},
    {"GETSENSE", SID_GETSENSE, _GetSense, kCompiled},
    {"GETSENSETEXT", SID_GETSENSETEXT, _GetSenseText, kCompiled},
    {"GETILISTATUS", SID_GETILISTATUS, _GetIliStatus, kCompiled},
    {"GETEOMSTATUS", SID_GETEOMSTATUS, _GetEomStatus, kCompiled},
    {"GETFMSTATUS", SID_GETFMSTATUS, _GetFmStatus, kCompiled},
    {"GETSUPPRESSSTATUS", SID_GETSUPPRESSSTATUS, _GetSuppressStatus, kCompiled},
    {"GETVEXILMODE", SID_GETVEXILMODE, _GetVexilMode, kCompiled},
    {"GETTABLEENTRY", SID_GETTABLEENTRY, _GetTableEntry, kCompiled},
    {"GETRESIDUAL", SID_GETRESIDUAL, _GetResidual, kCompiled},
    {"GETLTOCFSC", SID_GETLTOCFSC, _GetLtocFsc, kCompiled},
    {"GETLTOCFLAG", SID_GETLTOCFLAG, _GetLtocFlag, kCompiled},
    {"GETOPMODE", SID_GETOPMODE, Member<&KScript::_GetOpMode>, kCompiled},
    {"GETBRAND", SID_GETBRAND, Member<&KScript::_GetBrand>, kCompiled},
    {"GETINSTALLPATH", SID_GETINSTALLPATH, Member<&KScript::_GetInstallPath>, kCompiled | kCheckedOnly},
    {"GETTESTTIME", SID_GETTESTTIME, _GetTestTime, kCompiled},
    {"IF", SID_IF, Member<&KScript::_If>, kCompiled | kTakesJumpTarget},
    {"IFNOSENSE", SID_IFNOSENSE, _IfNoSense, kCompiled | kTakesJumpTarget},
    {"IFSENSE", SID_IFSENSE, _IfSense, kCompiled | kTakesJumpTarget},
    {"IFTRUE", SID_IFTRUE, _IfTrue, kRunsOnText | kTakesJumpTarget},
    {"INP", SID_INP, _Inp, kCompiled},
    {"INSTRUCT", SID_INSTRUCT, Member<&KScript::_Instruct>, kRunsOnText | kTakesJumpTarget},
    {"JUMP", SID_JUMP, Member<&KScript::_Jump>, kCompiled | kTakesJumpTarget},
    {"LOADBUFFER", SID_LOADBUFFER, Member<&KScript::_LoadBuffer>, kCompiled},
    {"LOADPAGE", SID_LOADPAGE, _LoadPage, kCompiled},
    {"LOADCSVFILE", SID_LOADCSVFILE, _LoadCsvFile, kCompiled},
    {"LOG", SID_LOG, Member<&KScript::_Log>, kRunsOnText | kKeepsSpacing},
    {"LOGSENSEKEYS", SID_LOGSENSEKEYS, _LogSenseKeys, kCompiled},
    {nullptr, SID_UNUSED_82, nullptr, kRunsOnText},
    {"MODCDB", SID_MODCDB, _ModCdb, kCompiled},
    {"MSG", SID_MSG, Member<&KScript::_Msg>, kRunsOnText | kKeepsSpacing},
    {"ONCANCEL", SID_ONCANCEL, Member<&KScript::_OnCancel>, kCompiled | kTakesJumpTarget},
    {"ONERROR", SID_ONERROR, Member<&KScript::_OnError>, kCompiled | kTakesJumpTarget},
    {"ORBUFFER", SID_ORBUFFER, _OrBuffer, kCompiled},
    {"OUTP", SID_OUTP, _Outp, kCompiled | kCheckedOnly},
    {"OPENFILE", SID_OPENFILE, _OpenFile, kCompiled},
    {"CLOSEFILE", SID_CLOSEFILE, _CloseFile, kCompiled},
    {"PASS", SID_PASS, Member<&KScript::_Pass>, kCompiled},
    {"PATTERN9", SID_PATTERN9, _Pattern9, kCompiled},
    {"PENCOLOR", SID_PENCOLOR, Member<&KScript::_PenColor>, kCompiled},
    {"PEEK", SID_PEEK, _Peek, kCompiled},
    {"PEEKW", SID_PEEKW, _PeekW, kCompiled},
    {"PEEKL", SID_PEEKL, _PeekL, kCompiled},
    {"PEEKD", SID_PEEKD, _PeekD, kCompiled},
    {"POKE", SID_POKE, _Poke, kCompiled},
    {"PRINT", SID_PRINT, Member<&KScript::_Print>, kRunsOnText | kKeepsSpacing},
    {"PRINTBUFFER", SID_PRINTBUFFER, _PrintBuffer, kCompiled},
    {"PRINTCDB", SID_PRINTCDB, _PrintCdb, kCompiled},
    {"PRINTPAGE", SID_PRINTPAGE, _PrintPage, kCompiled},
    {"PRINTSENSEKEYS", SID_PRINTSENSEKEYS, _PrintSenseKeys, kCompiled},
    {nullptr, SID_UNUSED_104, nullptr, kRunsOnText},
    {"READNOCOMPARE", SID_READNOCOMPARE, _ReadNoCompare, kCompiled},
    {"READCOMPARE", SID_READCOMPARE, _ReadCompare, kCompiled},
    {"RECORDPAGE", SID_RECORDPAGE, _RecordPage, kCompiled},
    {"RETURN", SID_RETURN, Member<&KScript::_Return>, kCompiled},
    {"SCSI", SID_SCSI, _Scsi, kCompiled},
    {"SERIAL", SID_SERIAL, nullptr, kRunsOnText},  // reserved, no handler
    {"SETBUFFER", SID_SETBUFFER, _SetBuffer, kCompiled},
    {"SETFONTFACE", SID_SETFONTFACE, Member<&KScript::_SetFontFace>, kCompiled},
    {"SETFONTSIZE", SID_SETFONTSIZE, Member<&KScript::_SetFontSize>, kCompiled},
    {"SETPOH", SID_SETPOH, _SetPoh, kCompiled},
    {"SETSCSITIMEOUT", SID_SETSCSITIMEOUT, _SetScsiTimeout, kCompiled},
    {"SHOWPROGRESS", SID_SHOWPROGRESS, Member<&KScript::_ShowProgress>, kCompiled},
    {"SLEEP", SID_SLEEP, Member<&KScript::_Sleep>, kCompiled},
    {"STATE", SID_STATE, Member<&KScript::_State>, kCompiled},
    {"SCREAM", SID_SCREAM, Member<&KScript::_NoAction>, kCompiled},
    {"SWITCH", SID_SWITCH, Member<&KScript::_Switch>, kCompiled},
    {"STARTDOTS", SID_STARTDOTS, Member<&KScript::_NoAction>, kCompiled},
    {"STOPDOTS", SID_STOPDOTS, Member<&KScript::_NoAction>, kCompiled},
    {"THUMBPRINT", SID_THUMBPRINT, _ThumbPrint, kCompiled},
    {"[TASK]", SID_TASK, Member<&KScript::_Section>, kCompiled},
    {"[TEST]", SID_TEST, Member<&KScript::_Section>, kCompiled},
    {"[DIAG]", SID_DIAG, Member<&KScript::_Section>, kCompiled},
    {"TIME", SID_TIME, Member<&KScript::_Time>, kCompiled},
    {"UNLOADCSVFILE", SID_UNLOADCSVFILE, _UnloadCsvFile, kCompiled},
    {"VERBOSE", SID_VERBOSE, Member<&KScript::_Verbose>, kCompiled | kCheckedOnly},
    {"VERSION", SID_VERSION, Member<&KScript::_Version>, kCompiled},
    {"WNENCRYPTBUFFER", SID_WNENCRYPTBUFFER, _WnEncryptBuffer, kCompiled},
    {"WRITE", SID_WRITE, _Write, kCompiled},
    {"XORBUFFER", SID_XORBUFFER, _XorBuffer, kCompiled},
    {"#INCLUDE", SID_INCLUDE, nullptr, kRunsOnText},  // reserved, no handler
    {"ATON", SID_ATON, _Aton, kCompiled},
    {"ATOLN", SID_ATOLN, _AtoLn, kCompiled},
    {"BIGENDIAN", SID_BIGENDIAN, _BigEndian, kCompiled},
    {"CLEAR1STWORD", SID_CLEAR1STWORD, _Clear1stWord, kCompiled},
    {"DETERMINNUMBERTYPE", SID_DETERMINNUMBERTYPE, _DetermineNumberType, kCompiled},
    {"FETCH1STWORD", SID_FETCH1STWORD, _Fetch1stWord, kCompiled},
    {"LEFTSTRING", SID_LEFTSTRING, _LeftString, kCompiled},
    {"MIDSTRING", SID_MIDSTRING, _MidString, kCompiled},
    {"OCCURANCE", SID_OCCURANCE, _Occurance, kCompiled},
    {"REMOVECOMMENTS", SID_REMOVECOMMENTS, _RemoveComments, kCompiled},
    {"RIGHTSTRING", SID_RIGHTSTRING, _RightString, kCompiled},
    {"RIPREPLACE", SID_RIPREPLACE, _RipReplace, kCompiled},
    {"SETTEXTTABLE", SID_SETTEXTTABLE, _SetTextTable, kCompiled},
    {"STORE1STWORD", SID_STORE1STWORD, _Store1stWord, kCompiled},
    {"SHRINK", SID_SHRINK, _Shrink, kCompiled},
    {"STRINGC", SID_STRINGC, _StringC, kCompiled},
    {"STRINGABSC", SID_STRINGABSC, _StringAbsC, kCompiled},
    {"STRLEN", SID_STRLEN, _StrLen, kCompiled},
    {"UPPERCASE", SID_UPPERCASE, _UpperCase, kCompiled},
    {"WIPELEFT", SID_WIPELEFT, _WipeLeft, kCompiled},
    {"WIPERIGHT", SID_WIPERIGHT, _WipeRight, kCompiled},
    {"GETBYTECOUNT", SID_GETBYTECOUNT, _GetByteCount, kCompiled},
    {"GETHEALTH", SID_GETHEALTH, _GetHealth, kCompiled},
};

// Shorter spellings that share a statement's id.
constexpr KeywordAlias KeywordAliases[] = {
    {"LOGSK", SID_LOGSENSEKEYS},
    {"PRINTSK", SID_PRINTSENSEKEYS},
    {nullptr, SID_NONE},
};

namespace {
constexpr bool RowsMatchIds() {
  for (int32_t i = 0; i <= kMaxStatementId; ++i)
    if (StatementTable[i].id != i) return false;
  return true;
}
constexpr bool AliasesNameRows() {
  for (const KeywordAlias* alias = KeywordAliases; alias->keyword != nullptr; ++alias)
    if (alias->id <= 0 || alias->id > kMaxStatementId || StatementTable[alias->id].keyword == nullptr) return false;
  return true;
}
}  // namespace
static_assert(RowsMatchIds(), "each row of StatementTable sits at the index of its id");
static_assert(AliasesNameRows(), "each alias names the id of a keyword row");

StatementSet BundledStatements() { return {StatementTable, KeywordAliases, DeclarationTable}; }

void UseBundledStatements() { InstallStatements(BundledStatements()); }
