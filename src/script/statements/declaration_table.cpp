// Declaration lines of phase 1: first word -> handler. How to add one: see the note at
// the top of script/core/statement_api.h.
#include "script/core/statement_api.h"
#include "script/statements/buffers.h"
#include "script/statements/data_statements.h"
#include "script/statements/declared_commands.h"
#include "script/statements/log_pages.h"
#include "script/statements/sense_statements.h"
#include "script/statements/statement_table.h"

const DeclarationRow DeclarationTable[] = {
    {"DOUBLE", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_DOUBLE, K_KIND_PLAIN),
     kDeclAppendPlain},
    {"SDOUBLE", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_DOUBLE, K_KIND_S), kDeclLine},
    {"XDOUBLE", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_DOUBLE, K_KIND_X), kDeclLine},
    {"LONG", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_LONG, K_KIND_PLAIN), kDeclAppendPlain},
    {"SLONG", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_LONG, K_KIND_S), kDeclLine},
    {"XLONG", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_LONG, K_KIND_X), kDeclLine},
    {"WORD", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_WORD, K_KIND_PLAIN), kDeclAppendPlain},
    {"SWORD", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_WORD, K_KIND_S), kDeclLine},
    {"XWORD", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_WORD, K_KIND_X), kDeclLine},
    {"BYTE", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_BYTE, K_KIND_PLAIN), kDeclAppendPlain},
    {"SBYTE", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_BYTE, K_KIND_S), kDeclLine},
    {"XBYTE", MemberDeclaration<&KScript::VariableHandler>, VariableDeclArg(K_VAR_BYTE, K_KIND_X), kDeclLine},
    {"CDB", _CdbDeclaration, 0, kDeclLine},
    {"BUFFER", _BufferDeclaration, 0, kDeclLine},
    {"LOGPAGE", _LogPageDeclaration, 0, kDeclLine},
    {"SENSEKEYS", _SenseKeysDeclaration, 0, kDeclLine},
    {"#INCLUDE", MemberDeclaration<&KScript::IncludeHandler>, 0, kDeclFatal},
    {"*", MemberDeclaration<&KScript::TriggerHandler>, 0, kDeclFatal | kDeclIsStatement},
    {"COLOR", MemberDeclaration<&KScript::ColorHandler>, 0, kDeclLine},
    {"FILE", _FileDeclaration, 0, kDeclLine},
    {"REMARK", _RemarkDeclaration, 0, kDeclUntouched},
    {"FAMILY", MemberDeclaration<&KScript::FamilyHandler>, 0, kDeclUntouched},
    {"TABLE", _TableDeclaration, 0, kDeclUntouched},
    {"TENTRY", _TableEntryDeclaration, 0, kDeclUntouched},
    {"ATACMD", _AtaDeclaration, 0, kDeclLine},
    {"CSVFILE", _CsvFileDeclaration, 0, kDeclLine},
    {"#DEFINE", MemberDeclaration<&KScript::DefineHandler>, 0, kDeclLine},
    {"TESTTIMETABLE", _TestTimeTableDeclaration, 0, kDeclUntouched},
    {"TESTTIMEENTRY", _TestTimeEntryDeclaration, 0, kDeclUntouched},
    {"DISABLEABORT", MemberDeclaration<&KScript::DisableAbortHandler>, 0, kDeclLine},
    {nullptr, nullptr, 0, 0},
};
