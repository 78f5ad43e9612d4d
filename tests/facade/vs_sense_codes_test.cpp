#include "facade/vs_sense_codes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Report(uint32_t code) {
  std::vector<std::string> lines;
  ReportVsSense(code, [&](const char* line) { lines.emplace_back(line); });
  return lines;
}

TEST(VsSenseReport, LinesForNoneKnownAndUnknownCodes) {
  struct Case {
    uint32_t code;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {0xFFFFFFFFu, {}},
      {0x00000000u, {"\tVS Sense: 0", "\t  Catagory: N/A", "\t  Details: No error"}},
      {0xE0000100u, {"\tVS Sense: E0000100"}},
      {0x0000000Fu, {"\tVS Sense: 0000000F"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Report(c.code), c.lines) << std::hex << c.code;
  // Codes outside the E0 range are found like any other; the code is shown
  // as 32 unsigned bits, never sign-extended.
  const auto tapeAlert = Report(0xFFFF0000u);
  ASSERT_EQ(tapeAlert.size(), 3u);
  EXPECT_EQ(tapeAlert[0], "\tVS Sense: FFFF0000");
  EXPECT_EQ(tapeAlert[1], "\t  Catagory: TapeAlerts");
  EXPECT_EQ(Report(0x00000F00u)[0], "\tVS Sense: F00");
  EXPECT_EQ(Report(0xE0700000u),
            (std::vector<std::string>{"\tVS Sense: E0700000", "\t  Catagory: Command Task Error",
                                      "\t  Details: Tape not loaded and ready. - 100% State of drive"}));
  EXPECT_EQ(Report(0xE0F00008u)[2], "\t  Details: The Corvina filter taps failed calibration. - 100% hardware");
  EXPECT_EQ(Report(0xD0D00000u)[1], "\t  Catagory: System Task Information");
}

TEST(VsSenseTable, EveryCodeOnceGroupedByKnownCategoryWithADiagnosis) {
  std::set<uint32_t> codes;
  uint32_t lastCategory = 0;
  size_t rows = 0;
  for (const VS_SENSE_CODE* row = VsSenseCodes; row->text != nullptr; ++row, ++rows) {
    EXPECT_TRUE(codes.insert(row->code).second) << std::hex << row->code;
    EXPECT_GE(row->category, lastCategory) << std::hex << row->code;
    lastCategory = row->category;
    ASSERT_NE(FindVsCategory(row->category), nullptr);
    const std::string text = row->text;
    if (row->code != 0 && row->category != 11) {
      EXPECT_NE(text.find("% "), std::string::npos) << "likelihood and cause: " << text;
    }
  }
  EXPECT_EQ(rows, 664u);
  EXPECT_EQ(FindVsCategory(19), nullptr);
}

}  // namespace
