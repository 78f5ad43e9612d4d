// Prints the vocabulary the manual pages must cover, straight from the
// tables the console runs on, one item a line:
//   statement KEYWORD | declaration WORD | family NAME | error CODE TEXT
// check_docs.sh compares it with the pages, so a keyword, a declaration, a
// family or an error text added to a table cannot go undocumented.
#include <cstdio>
#include <set>

#include "script/core/error_fx.h"
#include "script/core/family_names.h"
#include "script/core/kscript.h"
#include "script/core/statement_api.h"
#include "script/statements/statement_table.h"

int main() {
  for (const StatementRow& row : StatementTable) {
    if (row.keyword != nullptr) std::printf("statement %s\n", row.keyword);
  }
  for (const KeywordAlias* alias = KeywordAliases; alias->keyword != nullptr; ++alias) {
    std::printf("statement %s\n", alias->keyword);
  }
  for (const DeclarationRow* row = DeclarationTable; row->word != nullptr; ++row) {
    std::printf("declaration %s\n", row->word);
  }
  for (const char* name : kFamilyNames) std::printf("family %s\n", name);
  for (const FamilyAlias& alias : kFamilyAliases) std::printf("family %s\n", alias.word);
  // A code is reported with the first row that has it, as the engine does.
  std::set<int32_t> seen;
  for (const ErrorFxRow* table : {ErrorFx, ErrorFxAdditions}) {
    for (const ErrorFxRow* row = table; row->text != nullptr; ++row) {
      if (seen.insert(row->code).second) std::printf("error %d %s\n", static_cast<int>(row->code), row->text);
    }
  }
  return 0;
}
