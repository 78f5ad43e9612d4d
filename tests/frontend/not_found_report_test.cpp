#include "frontend/not_found_report.h"

#include <gtest/gtest.h>

namespace {

// Only a user who is neither root nor in the group that owns the nodes is
// told to join it.
TEST(NotFoundReport, TapeGroupHintOnlyWhenItHelps) {
  struct Case {
    bool root, group_exists, member, hint;
  };
  const Case cases[] = {
      {false, true, false, true},
      {false, true, true, false},
      {true, true, false, false},
      {false, false, false, false},  // no such group on this system
  };
  for (const Case& c : cases) {
    const std::string hint = TapeGroupHint(c.root, c.group_exists, c.member);
    EXPECT_EQ(!hint.empty(), c.hint) << c.root << c.group_exists << c.member;
    if (c.hint) {
      EXPECT_NE(hint.find("sudo adduser $USER tape"), std::string::npos) << hint;
    }
  }
}

}  // namespace
