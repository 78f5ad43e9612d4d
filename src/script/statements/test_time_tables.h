// Test-time tables: the expected duration of a test on a drive type.
// TESTTIMETABLE declares one, TESTTIMEENTRY lines fill it in the first compile
// pass (duplicates allowed, the first match wins), GETTESTTIME looks one up.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/core/declarations.h"
#include "script/core/named_list.h"

struct TTTABLE_ENTRY {
  uint32_t testId = 0;
  uint32_t driveType = 0;
  uint32_t hours = 0;
  uint32_t minutes = 0;
  uint32_t seconds = 0;
  int32_t fileId = 0;
  int32_t line = 0;
};

struct TTTABLE_LINK {
  std::string name;
  int32_t fileId = 0;
  int32_t line = 0;
  std::vector<TTTABLE_ENTRY> entries;  // declaration order

  // First entry for the test and drive type.
  const TTTABLE_ENTRY* Find(uint32_t testId, uint32_t driveType) const;
};

// One TESTTIMEENTRY line taken apart: the two variables by name, the duration as numbers.
struct TestTimeEntryLine {
  std::string table;
  std::string testIdVariable;
  std::string driveTypeVariable;
  uint32_t hours = 0;
  uint32_t minutes = 0;
  uint32_t seconds = 0;
};

enum class TestTimeResult : uint8_t {
  Ok,
  NoName,
  Duplicate,
  ParseError,
  WrongArgCount,
  BadHours,  // not a byte number
  BadMinutes,
  BadSeconds,
};

// "TESTTIMEENTRY(<table>, <testid var>, <drivetype var>, <h>, <m>, <s>);" (15 tokens).
TestTimeResult ParseTestTimeEntry(std::string_view line, TestTimeEntryLine& out);

class K_TestTimeTableLL : public DeclarationList {
 public:
  TestTimeResult AddTable(std::string_view name, int32_t fileId, int32_t line);
  TTTABLE_LINK* Find(std::string_view name);
  const TTTABLE_LINK* Find(std::string_view name) const;
  size_t Count() const { return tables_.Count(); }
  void Clear();

 private:
  NamedList<TTTABLE_LINK> tables_;
};
