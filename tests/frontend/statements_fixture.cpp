// Every test of this program runs the engine with the console's statements.
#include "script/statements/statement_table.h"

namespace {
const bool kStatementsInstalled = (UseBundledStatements(), true);
}  // namespace
