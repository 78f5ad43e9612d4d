// Fuzz target: CSV loading and the field rules, and lookups by a field of
// the loaded lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "script/statements/csv_files.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsCsvBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const size_t keyIndex = in.ConsumeIntegralInRange<size_t>(0, 8);
  const size_t argIndex = in.ConsumeIntegralInRange<size_t>(0, 8);
  const std::string content = in.ConsumeRemainingBytesAsString();

  CCsvFileControl csv;
  const uint8_t status = csv.LoadText(content);
  Check(status == kCsvOk || status == kCsvLineTooLong);
  if (status != kCsvOk) {
    Check(csv.Lines().empty());
    return 0;
  }
  for (const CSV_LINE_LINK& line : csv.Lines()) {
    Check(line.raw.size() <= CCsvFileControl::kMaxLine);
    Check(line.raw.find('\n') == std::string::npos);
    // One field more than the line has commas; no field holds a comma or a
    // quote or starts or ends with a blank.
    Check(line.args.size() == static_cast<size_t>(std::count(line.raw.begin(), line.raw.end(), ',')) + 1);
    for (const std::string& f : line.args) {
      Check(f.find(',') == std::string::npos && f.find('"') == std::string::npos);
      Check(f.empty() || (!IsCsvBlank(f.front()) && !IsCsvBlank(f.back())));
    }
    Check(SplitCsvLine(line.raw) == line.args);
  }
  // A key taken from a loaded line is found, in that line or an earlier one.
  for (const CSV_LINE_LINK& line : csv.Lines()) {
    if (keyIndex >= line.args.size()) continue;
    std::string_view value = "untouched";
    const uint8_t found = csv.Lookup(line.args[keyIndex], keyIndex, argIndex, value);
    Check(found == kCsvOk || found == kCsvFieldMissing);
    if (found == kCsvFieldMissing) Check(value == "untouched");
    break;
  }
  return 0;
}
