// Test-time tables: declaration, TESTTIMEENTRY lines and the first-match lookup.
#include "script/statements/test_time_tables.h"

#include "base/text_util.h"
#include "script/core/ktext.h"
#include "script/statements/tables.h"

const TTTABLE_ENTRY* TTTABLE_LINK::Find(uint32_t testId, uint32_t driveType) const {
  for (const TTTABLE_ENTRY& e : entries)
    if (e.testId == testId && e.driveType == driveType) return &e;
  return nullptr;
}

TestTimeResult K_TestTimeTableLL::AddTable(std::string_view name, int32_t fileId, int32_t line) {
  name = text::Trim(name);
  if (name.empty()) return TestTimeResult::NoName;
  return tables_.Add(name, fileId, line) != nullptr ? TestTimeResult::Ok : TestTimeResult::Duplicate;
}

TTTABLE_LINK* K_TestTimeTableLL::Find(std::string_view name) { return tables_.Find(name); }

const TTTABLE_LINK* K_TestTimeTableLL::Find(std::string_view name) const { return tables_.Find(name); }

void K_TestTimeTableLL::Clear() { tables_.Clear(); }

namespace {

bool ByteNumber(std::string_view word, uint32_t& value) {
  if (KText::DetermineNumberType(word) != K_NUM_BYTE) return false;
  const int32_t v = KText::Aton(word);
  if (v < 0) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

TestTimeResult ParseTestTimeEntry(std::string_view line, TestTimeEntryLine& out) {
  // TESTTIMEENTRY ( table , testid , drivetype , h , m , s ) ;
  constexpr size_t kTokens = 15;
  struct Punctuation {
    size_t at;
    const char* text;
  };
  static constexpr Punctuation kPunctuation[] = {
      {1, "("}, {3, ","}, {5, ","}, {7, ","}, {9, ","}, {11, ","}, {13, ")"}, {14, ";"},
  };
  std::vector<std::string> words;
  KText splitter;
  if (splitter.ParseLine(WithoutComment(line), words) != 0) return TestTimeResult::ParseError;
  if (words.size() != kTokens) return TestTimeResult::WrongArgCount;
  for (const Punctuation& p : kPunctuation)
    if (words[p.at] != p.text) return TestTimeResult::ParseError;
  out.table = words[2];
  out.testIdVariable = words[4];
  out.driveTypeVariable = words[6];
  if (!ByteNumber(words[8], out.hours)) return TestTimeResult::BadHours;
  if (!ByteNumber(words[10], out.minutes)) return TestTimeResult::BadMinutes;
  if (!ByteNumber(words[12], out.seconds)) return TestTimeResult::BadSeconds;
  return TestTimeResult::Ok;
}
