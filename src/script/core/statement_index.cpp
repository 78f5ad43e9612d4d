// Keyword lookup over the statement table: one hash index, built once.
#include <string_view>
#include <unordered_map>

#include "script/core/statement_api.h"

const StatementRow* FindStatement(std::string_view upperKeyword) {
    static const std::unordered_map<std::string_view, const StatementRow*> index = [] {
        std::unordered_map<std::string_view, const StatementRow*> map;
        for (const StatementRow& row : StatementTable)
            if (row.keyword != nullptr) map.emplace(row.keyword, &row);
        for (const KeywordAlias* alias = KeywordAliases; alias->keyword != nullptr; ++alias)
            map.emplace(alias->keyword, &StatementTable[alias->id]);
        return map;
    }();
    const auto it = index.find(upperKeyword);
    return it != index.end() ? it->second : nullptr;
}

int32_t FindStatementId(std::string_view upperKeyword) {
    const StatementRow* row = FindStatement(upperKeyword);
    return row != nullptr ? row->id : 0;
}
