// Value tables: declaration, TENTRY lines and lookups by value.
#include "script/statements/tables.h"

#include "base/text_util.h"
#include "script/core/ktext.h"

const TABLE_ENTRY* TABLE_LINK::Find(uint32_t value) const {
  const auto it = byValue_.find(value);
  return it == byValue_.end() ? nullptr : &entries[it->second];
}

TableResult K_TableLL::AddTable(std::string_view name, int32_t fileId, int32_t line) {
  name = text::Trim(name);
  if (name.empty()) return TableResult::NoName;
  return tables_.Add(name, fileId, line) != nullptr ? TableResult::Ok : TableResult::Duplicate;
}

TABLE_LINK* K_TableLL::Find(std::string_view name) { return tables_.Find(name); }

const TABLE_LINK* K_TableLL::Find(std::string_view name) const { return tables_.Find(name); }

TableResult K_TableLL::AddEntry(TABLE_LINK& table, TABLE_ENTRY entry) {
  if (table.byValue_.count(entry.value) != 0) return TableResult::Duplicate;
  table.byValue_.emplace(entry.value, table.entries.size());
  table.entries.push_back(std::move(entry));
  return TableResult::Ok;
}

TableResult K_TableLL::AddEntry(std::string_view tentryLine, int32_t fileId, int32_t line) {
  TableEntryLine parsed;
  const TableResult rc = ParseTableEntry(tentryLine, parsed);
  if (rc != TableResult::Ok) return rc;
  TABLE_LINK* table = Find(parsed.table);
  if (table == nullptr) return TableResult::UnknownTable;
  return AddEntry(*table, TABLE_ENTRY{parsed.catalog, parsed.value, std::move(parsed.text), fileId, line});
}

void K_TableLL::Clear() { tables_.Clear(); }

std::string_view WithoutComment(std::string_view line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (!quoted && line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/') return line.substr(0, i);
  }
  return line;
}

bool TableNumber(std::string_view word, uint32_t& value) {
  const int cls = KText::DetermineNumberType(word);
  if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG) return false;
  const int64_t v = KText::AtoLn(word);
  if (v < 0) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

std::string TableEntryText(std::string_view quoted) {
  if (!quoted.empty() && quoted.front() == '"') quoted.remove_prefix(1);
  if (!quoted.empty() && quoted.back() == '"') quoted.remove_suffix(1);
  std::string out;
  out.reserve(quoted.size());
  for (size_t i = 0; i < quoted.size(); ++i) {
    if (quoted[i] == '\\' && i + 1 < quoted.size() && quoted[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else if (quoted[i] == '\\' && i + 1 < quoted.size() && quoted[i + 1] == 't') {
      out += '\t';
      ++i;
    } else {
      out += quoted[i];
    }
  }
  return out;
}

TableResult ParseTableEntry(std::string_view line, TableEntryLine& out) {
  // TENTRY ( table , catalog , value , "text" ) ;
  constexpr size_t kTokens = 11;
  struct Punctuation {
    size_t at;  // 0-based token position
    const char* text;
  };
  static constexpr Punctuation kPunctuation[] = {
      {1, "("}, {3, ","}, {5, ","}, {7, ","}, {9, ")"}, {10, ";"},
  };
  std::vector<std::string> words;
  KText splitter;
  if (splitter.ParseLine(WithoutComment(line), words) != 0) return TableResult::ParseError;
  if (words.size() != kTokens) return TableResult::WrongArgCount;
  for (const Punctuation& p : kPunctuation)
    if (words[p.at] != p.text) return TableResult::ParseError;
  out.table = words[2];
  if (!TableNumber(words[4], out.catalog)) return TableResult::BadCatalog;
  if (!TableNumber(words[6], out.value)) return TableResult::BadValue;
  out.text = TableEntryText(words[8]);
  return TableResult::Ok;
}
