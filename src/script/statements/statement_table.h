// The statements of this console: the tables the script engine is given.
#pragma once

#include "script/core/statement_api.h"

// By id: StatementTable[id].id == id for 0..kMaxStatementId.
extern const StatementRow StatementTable[kMaxStatementId + 1];
// Other spellings of a keyword; ends with a nullptr row.
extern const KeywordAlias KeywordAliases[];
// First word -> declaration handler; ends with a nullptr word.
extern const DeclarationRow DeclarationTable[];

// The three lists as the engine takes them.
StatementSet BundledStatements();
// Installs them in the engine: once per program, before any script loads.
void UseBundledStatements();
