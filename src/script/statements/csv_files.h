// CSV files of a script: CSVFILE declares one, LOADCSVFILE reads it at run
// time, GETCSVARG finds a line by one field and returns another.
//
// Field rules: a line is trimmed and split at every comma; in each field the
// double quotes become blanks and the field is trimmed; empty fields are kept;
// the text after the last comma is the last field ("A, \"b c\" ,,d" gives
// A | b c | (empty) | d).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/core/declarations.h"
#include "script/core/named_list.h"

struct CSV_LINE_LINK {
  std::string raw;                // the line as read, line end removed
  std::vector<std::string> args;  // its fields
};

// Status values LOADCSVFILE and GETCSVARG give the script.
enum CsvStatus : uint8_t {
  kCsvOk = 0,
  kCsvKeyNotFound = 1,
  kCsvFieldMissing = 2,  // the line has no field of that index
  kCsvLineTooLong = 0xFE,
  kCsvCannotOpen = 0xFF,
};

// The fields of one line.
std::vector<std::string> SplitCsvLine(std::string_view line);

class CCsvFileControl {
 public:
  // Longest line a file may hold.
  static constexpr size_t kMaxLine = 2048;

  // Reads the file, replacing what was loaded. kCsvOk; kCsvCannotOpen; kCsvLineTooLong
  // when a line is longer than kMaxLine (nothing is kept then: a partly loaded file
  // would answer lookups as if the missing lines did not exist).
  uint8_t Load(const std::string& path);
  // Same from text already in memory.
  uint8_t LoadText(std::string_view content);
  void Unload() { lines_.clear(); }
  // First line whose field keyIndex equals key; field argIndex of it into value.
  // kCsvOk, kCsvKeyNotFound (value untouched) or kCsvFieldMissing.
  uint8_t Lookup(std::string_view key, size_t keyIndex, size_t argIndex, std::string_view& value) const;
  const std::vector<CSV_LINE_LINK>& Lines() const { return lines_; }

 private:
  std::vector<CSV_LINE_LINK> lines_;
};

struct CSVFILE_LINK {
  std::string name;
  int32_t fileId = 0;
  int32_t line = 0;
  CCsvFileControl control;
};

class CCsvFileLL : public DeclarationList {
 public:
  // False when the name is already declared.
  bool Add(std::string_view name, int32_t fileId, int32_t line);
  CSVFILE_LINK* Find(std::string_view name);
  size_t Count() const { return files_.Count(); }
  void Clear();

 private:
  NamedList<CSVFILE_LINK> files_;
};
