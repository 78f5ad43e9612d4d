#include "frontend/prompts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Feeds text to standard input for the duration of one call.
bool AskWith(const std::string& input) {
  FILE* feed = std::tmpfile();
  std::fputs(input.c_str(), feed);
  std::rewind(feed);
  FILE* saved = stdin;
  stdin = feed;
  testing::internal::CaptureStdout();
  const bool answer = prompt_YesNo("Continue?");
  testing::internal::GetCapturedStdout();
  stdin = saved;
  std::fclose(feed);
  return answer;
}

TEST(PromptYesNo, FirstLetterDecidesAndOtherAnswersAskAgain) {
  struct Case {
    const char* input;
    bool answer;
  };
  const Case cases[] = {
      {"yes\n", true},       {"Y\n", true}, {"no\n", false}, {"nope\n", false}, {"maybe\nyes\n", true},  // asked again
      {"abcy\nno\n", false},  // the rest of a long word (y) is no answer
      {"", false},            // end of input
  };
  for (const Case& c : cases) EXPECT_EQ(AskWith(c.input), c.answer) << c.input;
}

}  // namespace
