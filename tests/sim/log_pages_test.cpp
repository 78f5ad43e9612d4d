// Log pages as the readers walk them: parameter chains, the text event log
// and the parameter pointer.
#include <algorithm>
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
    EXPECT_TRUE(std::is_sorted(list.data.begin() + 4, list.data.end())) << node << ": supported pages ascending";
    EXPECT_EQ(std::adjacent_find(list.data.begin() + 4, list.data.end()), list.data.end()) << node;
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

// The TapeAlert flags set (bit 0 of each one-byte parameter).
std::vector<int> SetFlags(SimSystem& sim, int fd) {
  SgResult r = LogSense(sim, fd, 0x2E);
  EXPECT_TRUE(r.Good());
  std::vector<int> set;
  for (size_t at = 4; at + 5 <= r.data.size(); at += 5) {
    if (r.data[at + 4] & 1) set.push_back(r.data[at] << 8 | r.data[at + 1]);
  }
  return set;
}

// Besides the flags of the bench, the drive raises its own: on a refused
// write (until the cartridge goes), and while a condition lasts.
TEST(SimLogPages, TheDriveRaisesItsOwnTapeAlerts) {
  struct Case {
    const char* name;
    const char* bench;
    bool write;  // try a WRITE first
    std::vector<int> flags;
  } cases[] = {
      {"healthy", "", true, {}},
      {"bench flags", "tapealert /dev/sg0 3,20\n", false, {3, 20}},
      {"write-protect tab", "medium /dev/sg0 wp=1\n", true, {0x09}},
      {"tab, no write tried", "medium /dev/sg0 wp=1\n", false, {}},
      {"read-only generation", "medium /dev/sg0 gen=4\n", true, {0x11}},
      {"unsupported cartridge", "medium /dev/sg0 gen=3\n", false, {0x0C}},
      {"needs cleaning", "cleaning /dev/sg0 now\n", false, {0x14}},
      {"routine cleaning", "cleaning /dev/sg0 periodic\n", false, {0x15}},
      {"cleaning cartridge cleans", "cleaning /dev/sg0 now\nmedium /dev/sg0 cleaner=1\n", false, {0x0B}},
      {"worn-out cleaner", "cleaning /dev/sg0 now\nmedium /dev/sg0 cleaner=expired\n", false, {0x14, 0x16}},
  };
  for (const Case& c : cases) {
    auto sim = ParsedBench(std::string("device /dev/sg0 product=ULTRIUM-HH6\n") + c.bench);
    const int fd = OpenNode(*sim, "/dev/sg0");
    SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
    if (c.write) SendOut(*sim, fd, {0x0A, 0, 0, 0x02, 0x00, 0}, std::vector<uint8_t>(512));
    std::vector<int> flags = SetFlags(*sim, fd);
    EXPECT_EQ(flags, c.flags) << c.name;
    EXPECT_EQ(SetFlags(*sim, fd), c.flags) << c.name << ": kept when read";
  }
  // The write-protect flag goes with the cartridge; a cleaning cartridge
  // refuses tape commands.
  auto sim = ParsedBench("device /dev/sg0 product=ULTRIUM-HH6\nmedium /dev/sg0 wp=1\n");
  const int fd = OpenNode(*sim, "/dev/sg0");
  SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
  EXPECT_EQ(SendOut(*sim, fd, {0x0A, 0, 0, 0x02, 0x00, 0}, std::vector<uint8_t>(512)).Kcq(), 0x072700);
  EXPECT_EQ(SetFlags(*sim, fd), std::vector<int>{0x09});
  ASSERT_TRUE(SendIn(*sim, fd, {0x1B, 0, 0, 0, 0, 0}, 0).Good());
  ASSERT_TRUE(SendIn(*sim, fd, {0x1B, 0, 0, 0, 1, 0}, 0).Good());
  EXPECT_TRUE(SetFlags(*sim, fd).empty());
  auto cleaner = ParsedBench("device /dev/sg0 product=ULTRIUM-HH6\nmedium /dev/sg0 cleaner=1\n");
  const int c = OpenNode(*cleaner, "/dev/sg0");
  SendIn(*cleaner, c, {0x00, 0, 0, 0, 0, 0}, 0);
  EXPECT_EQ(SendIn(*cleaner, c, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x023003);
  EXPECT_EQ(SendIn(*cleaner, c, {0x08, 0, 0, 0x02, 0x00, 0}, 512).Kcq(), 0x023003);
}

// With clear=read, reading page 2Eh clears the flags set so far; a lasting
// condition sets its flag again. LOG SELECT with PCR clears them too.
TEST(SimLogPages, TapeAlertsClearedWhenReadOnlyWhenTheBenchSaysSo) {
  auto sim = ParsedBench(
      "device /dev/sg0 product=ULTRIUM-HH6\nmedium /dev/sg0 wp=1\n"
      "tapealert /dev/sg0 3 clear=read\ncleaning /dev/sg0 now\n");
  const int fd = OpenNode(*sim, "/dev/sg0");
  SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
  SendOut(*sim, fd, {0x0A, 0, 0, 0x02, 0x00, 0}, std::vector<uint8_t>(512));
  EXPECT_EQ(SetFlags(*sim, fd), (std::vector<int>{3, 0x09, 0x14}));
  EXPECT_EQ(SetFlags(*sim, fd), std::vector<int>{0x14});
  std::string why;
  ASSERT_TRUE(sim->ParseBench("tapealert /dev/sg0 5\n", &why)) << why;
  EXPECT_EQ(SetFlags(*sim, fd), (std::vector<int>{5, 0x14}));
  ASSERT_TRUE(sim->ParseBench("tapealert /dev/sg0 5 clear=never\n", &why)) << why;
  ASSERT_TRUE(SendOut(*sim, fd, {0x4C, 0x02, 0, 0, 0, 0, 0, 0, 0, 0}, {}).Good());
  EXPECT_EQ(SetFlags(*sim, fd), std::vector<int>{0x14});
}

}  // namespace
