// The installed statements and the keyword lookup over them: one hash
// index, built again only when another set is installed.
#include <string_view>
#include <unordered_map>

#include "script/core/statement_api.h"

namespace statement_set_detail {
StatementSet installed;
}

namespace {

using KeywordIndex = std::unordered_map<std::string_view, const StatementRow*>;

KeywordIndex& Index() {
  static KeywordIndex index;
  return index;
}

}  // namespace

void InstallStatements(const StatementSet& set) {
  statement_set_detail::installed = set;
  KeywordIndex& index = Index();
  index.clear();
  for (const StatementRow& row : set.rows)
    if (row.keyword != nullptr) index.emplace(row.keyword, &row);
  for (const KeywordAlias* alias = set.aliases; alias != nullptr && alias->keyword != nullptr; ++alias)
    if (alias->id >= 0 && static_cast<size_t>(alias->id) < set.rows.size())
      index.emplace(alias->keyword, &set.rows[static_cast<size_t>(alias->id)]);
}

const StatementRow* FindStatement(std::string_view upperKeyword) {
  const KeywordIndex& index = Index();
  const auto it = index.find(upperKeyword);
  return it != index.end() ? it->second : nullptr;
}

int32_t FindStatementId(std::string_view upperKeyword) {
  const StatementRow* row = FindStatement(upperKeyword);
  return row != nullptr ? row->id : 0;
}
