// Statement handlers by statement id. A statement gets its handler by filling its row;
// a row without a handler makes the keyword an unknown command.
#include "script/core/statement_table.h"

constexpr StatementEntry StatementHandlers[kMaxStatementId + 1] = {
    {0, nullptr, kRunsOnText},  // not a keyword id
    {1, nullptr, kRunsOnText},  // ANDBUFFER
    {2, &KScript::_Ask, kRunsOnText},  // ASK
    {3, &KScript::_AskForFile, kRunsOnText},  // ASKFORFILE
    {4, &KScript::_AskForFile, kRunsOnText},  // ASKFORFADATAFILE
    {5, &KScript::_AskForFile, kRunsOnText},  // ASKFORTRACEFILE
    {6, &KScript::_AskForFile, kRunsOnText},  // ASKFORWNFADATAFILE
    {7, &KScript::_AskForFile, kRunsOnText},  // GETLTOCDUMPFILEA
    {8, &KScript::_AskForFile, kRunsOnText},  // GETLTOCDUMPFILEB
    {9, &KScript::_AskForListChoice, kRunsOnText},  // ASKFORLISTCHOICE
    {10, &KScript::_AskForNumber, kRunsOnText},  // ASKFORNUMBER
    {11, &KScript::_AskForText, kRunsOnText},  // ASKFORTEXT
    {12, nullptr, kRunsOnText},  // ATA
    {13, nullptr, kRunsOnText},  // BAUD: reserved, no handler
    {14, &KScript::_Break, kCompiled},  // BREAK
    {15, &KScript::_BreakPoint, kCompiled},  // BREAKPOINT
    {16, &KScript::_Call, kCompiled},  // CALL
    {17, &KScript::_Case, kCompiled},  // CASE
    {18, nullptr, kRunsOnText},  // COMPAREBUFFER
    {19, nullptr, kRunsOnText},  // COMPRESSFILE
    {20, nullptr, kRunsOnText},  // COPYBUFFER
    {21, nullptr, kRunsOnText},  // COPYBUFFERPART
    {22, &KScript::_Default, kCompiled},  // DEFAULT
    {23, nullptr, kRunsOnText},  // DELTAFILTER
    {24, &KScript::_Description, kRunsOnText},  // DESCRIPTION
    {25, nullptr, kRunsOnText},  // BUSDEVICERESET
    {26, &KScript::_Dimension, kCompiled},  // DIMENSION
    {27, nullptr, kRunsOnText},  // DUMPLOGPAGE
    {28, &KScript::_EndSwitch, kCompiled},  // ENDSWITCH
    {29, &KScript::_Section, kCompiled},  // [ENGINEERING]
    {30, nullptr, kRunsOnText},  // ERASEFILE
    {31, &KScript::_Exit, kCompiled},  // EXIT
    {32, &KScript::_Fail, kRunsOnText},  // FAIL
    {33, nullptr, kRunsOnText},  // FILLBUFFER
    {34, &KScript::_FormatTime, kRunsOnText},  // FORMATTIME
    {35, nullptr, kRunsOnText},  // FUP
    {36, nullptr, kRunsOnText},  // FGETS
    {37, nullptr, kRunsOnText},  // FWRITE
    {38, nullptr, kRunsOnText},  // FREAD
    {39, nullptr, kRunsOnText},  // FSEEK
    {40, nullptr, kRunsOnText},  // GETDCDSTATE: reserved, no handler
    {41, nullptr, kRunsOnText},  // GETDSRSTATE: reserved, no handler
    {42, nullptr, kRunsOnText},  // GETCTSSTATE: reserved, no handler
    {43, nullptr, kRunsOnText},  // GETDTRSTATE: reserved, no handler
    {44, nullptr, kRunsOnText},  // GETRTSSTATE: reserved, no handler
    {45, nullptr, kRunsOnText},  // SETDTRSTATE: reserved, no handler
    {46, nullptr, kRunsOnText},  // SETRTSSTATE: reserved, no handler
    {47, nullptr, kRunsOnText},  // GETCSVARG
    {48, &KScript::_GetTextString, kRunsOnText},  // GETTEXTSTRING
    {49, nullptr, kRunsOnText},  // GETDRIVETYPE
    {50, nullptr, kRunsOnText},  // GETFWIMGCHKSUM
    {51, nullptr, kRunsOnText},  // GETHASTATUS
    {52, nullptr, kRunsOnText},  // GETINQINFO
    {53, nullptr, kRunsOnText},  // GETNUMBEROFPACKETS
    {54, nullptr, kRunsOnText},  // GETSCSITIMEOUT
    {55, nullptr, kRunsOnText},  // GETSENSE
    {56, nullptr, kRunsOnText},  // GETSENSETEXT
    {57, nullptr, kRunsOnText},  // GETILISTATUS
    {58, nullptr, kRunsOnText},  // GETEOMSTATUS
    {59, nullptr, kRunsOnText},  // GETFMSTATUS
    {60, nullptr, kRunsOnText},  // GETSUPPRESSSTATUS
    {61, nullptr, kRunsOnText},  // GETVEXILMODE
    {62, nullptr, kRunsOnText},  // GETTABLEENTRY
    {63, nullptr, kRunsOnText},  // GETRESIDUAL
    {64, nullptr, kRunsOnText},  // GETLTOCFSC
    {65, nullptr, kRunsOnText},  // GETLTOCFLAG
    {66, &KScript::_GetOpMode, kRunsOnText},  // GETOPMODE
    {67, &KScript::_GetBrand, kRunsOnText},  // GETBRAND
    {68, &KScript::_GetInstallPath, kRunsOnText},  // GETINSTALLPATH
    {69, nullptr, kRunsOnText},  // GETTESTTIME
    {70, &KScript::_If, kCompiled},  // IF
    {71, nullptr, kRunsOnText},  // IFNOSENSE
    {72, nullptr, kRunsOnText},  // IFSENSE
    {73, nullptr, kRunsOnText},  // IFTRUE
    {74, nullptr, kRunsOnText},  // INP
    {75, &KScript::_Instruct, kRunsOnText},  // INSTRUCT
    {76, &KScript::_Jump, kCompiled},  // JUMP
    {77, &KScript::_LoadBuffer, kRunsOnText},  // LOADBUFFER
    {78, nullptr, kRunsOnText},  // LOADPAGE
    {79, nullptr, kRunsOnText},  // LOADCSVFILE
    {80, &KScript::_Log, kRunsOnText},  // LOG
    {81, nullptr, kRunsOnText},  // LOGSENSEKEYS
    {82, nullptr, kRunsOnText},  // unused id
    {83, nullptr, kRunsOnText},  // MODCDB
    {84, &KScript::_Msg, kRunsOnText},  // MSG
    {85, &KScript::_OnCancel, kCompiled},  // ONCANCEL
    {86, &KScript::_OnError, kCompiled},  // ONERROR
    {87, nullptr, kRunsOnText},  // ORBUFFER
    {88, nullptr, kRunsOnText},  // OUTP
    {89, nullptr, kRunsOnText},  // OPENFILE
    {90, nullptr, kRunsOnText},  // CLOSEFILE
    {91, &KScript::_Pass, kRunsOnText},  // PASS
    {92, nullptr, kRunsOnText},  // PATTERN9
    {93, &KScript::_PenColor, kRunsOnText},  // PENCOLOR
    {94, nullptr, kRunsOnText},  // PEEK
    {95, nullptr, kRunsOnText},  // PEEKW
    {96, nullptr, kRunsOnText},  // PEEKL
    {97, nullptr, kRunsOnText},  // PEEKD
    {98, nullptr, kRunsOnText},  // POKE
    {99, &KScript::_Print, kRunsOnText},  // PRINT
    {100, nullptr, kRunsOnText},  // PRINTBUFFER
    {101, nullptr, kRunsOnText},  // PRINTCDB
    {102, nullptr, kRunsOnText},  // PRINTPAGE
    {103, nullptr, kRunsOnText},  // PRINTSENSEKEYS
    {104, nullptr, kRunsOnText},  // unused id
    {105, nullptr, kRunsOnText},  // READNOCOMPARE
    {106, nullptr, kRunsOnText},  // READCOMPARE
    {107, nullptr, kRunsOnText},  // RECORDPAGE
    {108, &KScript::_Return, kCompiled},  // RETURN
    {109, nullptr, kRunsOnText},  // SCSI
    {110, nullptr, kRunsOnText},  // SERIAL: reserved, no handler
    {111, nullptr, kRunsOnText},  // SETBUFFER
    {112, &KScript::_SetFontFace, kRunsOnText},  // SETFONTFACE
    {113, &KScript::_SetFontSize, kRunsOnText},  // SETFONTSIZE
    {114, nullptr, kRunsOnText},  // SETPOH
    {115, nullptr, kRunsOnText},  // SETSCSITIMEOUT
    {116, &KScript::_ShowProgress, kRunsOnText},  // SHOWPROGRESS
    {117, &KScript::_Sleep, kCompiled},  // SLEEP
    {118, &KScript::_State, kCompiled},  // STATE
    {119, &KScript::_NoAction, kRunsOnText},  // SCREAM
    {120, &KScript::_Switch, kCompiled},  // SWITCH
    {121, &KScript::_NoAction, kRunsOnText},  // STARTDOTS
    {122, &KScript::_NoAction, kRunsOnText},  // STOPDOTS
    {123, nullptr, kRunsOnText},  // THUMBPRINT
    {124, &KScript::_Section, kCompiled},  // [TASK]
    {125, &KScript::_Section, kCompiled},  // [TEST]
    {126, &KScript::_Section, kCompiled},  // [DIAG]
    {127, &KScript::_Time, kRunsOnText},  // TIME
    {128, nullptr, kRunsOnText},  // UNLOADCSVFILE
    {129, &KScript::_Verbose, kRunsOnText},  // VERBOSE
    {130, &KScript::_Version, kRunsOnText},  // VERSION
    {131, nullptr, kRunsOnText},  // WNENCRYPTBUFFER
    {132, nullptr, kRunsOnText},  // WRITE
    {133, nullptr, kRunsOnText},  // XORBUFFER
    {134, nullptr, kRunsOnText},  // #INCLUDE: reserved, no handler
    {135, &KScript::_Aton, kRunsOnText},  // ATON
    {136, &KScript::_AtoLn, kRunsOnText},  // ATOLN
    {137, &KScript::_BigEndian, kRunsOnText},  // BIGENDIAN
    {138, &KScript::_Clear1stWord, kRunsOnText},  // CLEAR1STWORD
    {139, &KScript::_DetermineNumberType, kRunsOnText},  // DETERMINNUMBERTYPE
    {140, &KScript::_Fetch1stWord, kRunsOnText},  // FETCH1STWORD
    {141, &KScript::_LeftString, kRunsOnText},  // LEFTSTRING
    {142, &KScript::_MidString, kRunsOnText},  // MIDSTRING
    {143, &KScript::_Occurance, kRunsOnText},  // OCCURANCE
    {144, &KScript::_RemoveComments, kRunsOnText},  // REMOVECOMMENTS
    {145, &KScript::_RightString, kRunsOnText},  // RIGHTSTRING
    {146, &KScript::_RipReplace, kRunsOnText},  // RIPREPLACE
    {147, &KScript::_SetTextTable, kRunsOnText},  // SETTEXTTABLE
    {148, &KScript::_Store1stWord, kRunsOnText},  // STORE1STWORD
    {149, &KScript::_Shrink, kRunsOnText},  // SHRINK
    {150, &KScript::_StringC, kRunsOnText},  // STRINGC
    {151, &KScript::_StringAbsC, kRunsOnText},  // STRINGABSC
    {152, &KScript::_StrLen, kRunsOnText},  // STRLEN
    {153, &KScript::_UpperCase, kRunsOnText},  // UPPERCASE
    {154, &KScript::_WipeLeft, kRunsOnText},  // WIPELEFT
    {155, &KScript::_WipeRight, kRunsOnText},  // WIPERIGHT
};

namespace {
constexpr bool RowsMatchIds() {
    for (int32_t i = 0; i <= kMaxStatementId; ++i)
        if (StatementHandlers[i].id != i) return false;
    return true;
}
}  // namespace
static_assert(RowsMatchIds(), "each row of StatementHandlers sits at the index of its id");
