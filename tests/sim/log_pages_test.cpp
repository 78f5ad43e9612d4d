// Log pages as the readers walk them: parameter chains, the text event log
// and the parameter pointer.
#include <string>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

SgResult LogSense(SimSystem& sim, int fd, uint8_t page, uint16_t pointer = 0) {
  return SendCdb(sim, fd, {0x4D, 0, page, 0, 0, uint8_t(pointer >> 8), uint8_t(pointer), 0xFF, 0xF0, 0},
                 SG_DXFER_FROM_DEV, std::vector<uint8_t>(65520));
}

// Parameter codes in order; fails the test when the chain overruns the page.
std::vector<int> Codes(const SgResult& r) {
  std::vector<int> codes;
  const size_t end = 4 + size_t(r.data[2] << 8 | r.data[3]);
  EXPECT_EQ(end, r.data.size());
  size_t at = 4;
  while (at + 4 <= end) {
    codes.push_back(r.data[at] << 8 | r.data[at + 1]);
    at += 4 + r.data[at + 3];
  }
  EXPECT_EQ(at, end);
  return codes;
}

TEST(SimLogPages, EveryListedPageIsAWellFormedParameterChain) {
  auto sim = QuietBench();
  for (const char* node : {"/dev/sg0", "/dev/sg1"}) {
    int fd = OpenNode(*sim, node);
    SgResult list = LogSense(*sim, fd, 0x00);
    ASSERT_TRUE(list.Good());
    ASSERT_GT(list.data.size(), 4u);
    for (size_t i = 4; i < list.data.size(); ++i) {
      SgResult page = LogSense(*sim, fd, list.data[i]);
      ASSERT_TRUE(page.Good()) << node << std::hex << " page " << int(list.data[i]);
      EXPECT_EQ(page.data[0], list.data[i]);
      if (list.data[i] != 0) {
        EXPECT_FALSE(Codes(page).empty()) << node << std::hex << int(list.data[i]);
      }
    }
    EXPECT_EQ(LogSense(*sim, fd, 0x3D).Kcq(), 0x052400);
  }
}

TEST(SimLogPages, EventLogPacketsAreTextsSeparatedByZeroBytes) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult r = LogSense(*sim, fd, 0x07);
  ASSERT_TRUE(r.Good());
  std::vector<std::string> packets;
  std::string text;
  for (size_t i = 4; i < r.data.size(); ++i) {
    if (r.data[i] == 0) {
      if (const size_t at = text.find("Packet #"); at != std::string::npos) packets.push_back(text.substr(at));
      text.clear();
    } else {
      text.push_back(static_cast<char>(r.data[i]));
    }
  }
  EXPECT_TRUE(text.find("Packet #") == std::string::npos) << "last packet not ended";
  ASSERT_EQ(packets.size(), 5u);
  for (size_t i = 0; i < packets.size(); ++i) {
    EXPECT_EQ(packets[i].rfind("Packet # " + std::to_string(i + 1) + " ", 0), 0u) << packets[i];
    EXPECT_EQ(packets[i].substr(packets[i].size() - 2), "\r\n");
  }
  EXPECT_NE(packets[3].find("BUGCHECK Error: 1A2B"), std::string::npos);

  // The parameter pointer skips the packets before it.
  SgResult later = LogSense(*sim, fd, 0x07, 4);
  ASSERT_TRUE(later.Good());
  EXPECT_EQ(Codes(later).front(), 4);
}

}  // namespace
