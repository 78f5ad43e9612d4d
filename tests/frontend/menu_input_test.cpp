#include "frontend/menu_input.h"

#include <gtest/gtest.h>

namespace {

TEST(AnswerNumber, ReadsTheLeadingDecimalNumberOrZero) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"2", 2},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"-1", -1},
      {"-263", -263},
      {"99999999999", 0},
      {"-99999999999", 0},
      {"2147483647", 2147483647},
      {" 7", 7},
  };
  for (const Case& c : cases) EXPECT_EQ(AnswerNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
