// Writes the libFuzzer dictionary of the script loader from the engine's own
// tables (statements, their other spellings, declarations, family words),
// with the few tokens of the syntax around them, so that a new statement is
// fuzzed without a hand-kept list.
//   fuzz_dictionary > script.dict
#include <cstdio>
#include <set>
#include <string>

#include "script/core/family_names.h"
#include "script/statements/statement_table.h"

int main() {
  std::set<std::string> words = {" = ", "#DEFINE", "#INCLUDE", "*/", "+=",  "->",  "/*",   "//",
                                 "0x",  ":",       "<<=",      "==", ">>=", "*SK", "*ASC", "*ASCQ"};
  for (const StatementRow& row : StatementTable)
    if (row.keyword != nullptr) words.insert(row.keyword);
  for (const KeywordAlias* alias = KeywordAliases; alias->keyword != nullptr; ++alias) words.insert(alias->keyword);
  for (const DeclarationRow* row = DeclarationTable; row->word != nullptr; ++row) words.insert(row->word);
  for (const char* name : kFamilyNames) words.insert(name);
  for (const FamilyAlias& alias : kFamilyAliases) words.insert(alias.word);
  int n = 0;
  for (const std::string& word : words) {
    std::printf("kw%d=\"", ++n);
    for (const char c : word) {
      if (c == '"' || c == '\\') std::putchar('\\');
      std::putchar(c);
    }
    std::printf("\"\n");
  }
  return 0;
}
