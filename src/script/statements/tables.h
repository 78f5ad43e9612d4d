// Value tables of a script: TABLE declares one, TENTRY lines fill it in the
// first compile pass, GETTABLEENTRY looks a value up at run time. Each entry
// maps a value (unique within its table) to a catalog value and a text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/core/declarations.h"
#include "script/core/named_list.h"

struct TABLE_ENTRY {
  uint32_t catalog = 0;
  uint32_t value = 0;  // the lookup key
  std::string text;    // \n already turned into CR LF, \t into a tab
  int32_t fileId = 0;
  int32_t line = 0;
};

struct TABLE_LINK {
  std::string name;
  int32_t fileId = 0;
  int32_t line = 0;
  std::vector<TABLE_ENTRY> entries;  // declaration order

  const TABLE_ENTRY* Find(uint32_t value) const;

 private:
  friend class K_TableLL;
  std::unordered_map<uint32_t, size_t> byValue_;
};

// What a table operation can fail with; the statements turn these into their error codes.
enum class TableResult : uint8_t {
  Ok,
  Duplicate,      // table name, or value within the table
  NoName,         // TABLE without a name
  ParseError,     // the line could not be split, or its punctuation is wrong
  WrongArgCount,  // not 11 tokens
  UnknownTable,
  BadCatalog,  // catalog value not a byte, word or long number
  BadValue,    // value not a byte, word or long number
};

// One TENTRY line taken apart.
struct TableEntryLine {
  std::string table;
  uint32_t catalog = 0;
  uint32_t value = 0;
  std::string text;
};

class K_TableLL : public DeclarationList {
 public:
  TableResult AddTable(std::string_view name, int32_t fileId, int32_t line);
  TABLE_LINK* Find(std::string_view name);
  const TABLE_LINK* Find(std::string_view name) const;
  // Adds the entry of a whole TENTRY line (keyword included).
  TableResult AddEntry(std::string_view tentryLine, int32_t fileId, int32_t line);
  TableResult AddEntry(TABLE_LINK& table, TABLE_ENTRY entry);
  size_t Count() const { return tables_.Count(); }
  void Clear();

 private:
  NamedList<TABLE_LINK> tables_;
};

// "TENTRY(<table>, <catalog>, <value>, "<text>");" into its parts.
TableResult ParseTableEntry(std::string_view line, TableEntryLine& out);
// The entry text as stored: one leading and one trailing double quote removed,
// every \n a CR LF and every \t a tab.
std::string TableEntryText(std::string_view quoted);
// The line without a "//" comment that stands outside double quotes.
std::string_view WithoutComment(std::string_view line);
// Value of a byte, word or long number word; false for anything else.
bool TableNumber(std::string_view word, uint32_t& value);
