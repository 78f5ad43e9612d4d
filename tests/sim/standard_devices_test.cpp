// Another maker's devices (standard=1): what this maker's own devices add is
// refused, the standard commands answer as on the own devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sg_fixture.h"

namespace {

struct Request {
  const char* what;
  std::vector<uint8_t> cdb;
  int direction;
  std::vector<uint8_t> buffer;  // data out, or a data-in buffer of its size
  int other_maker;              // 0: good; else the 0xKKAAQQ of its refusal
};

std::vector<uint8_t> In(size_t n) { return std::vector<uint8_t>(n, 0); }

TEST(SimStandardDevices, OtherMakersDrivesRefuseThisMakersOwnPagesAndCommands) {
  auto sim = QuietBench();
  const int own = OpenNode(*sim, "/dev/sg0");
  const int other = OpenNode(*sim, "/dev/sg3");
  const Request requests[] = {
      {"standard inquiry", {0x12, 0, 0, 0, 56, 0}, SG_DXFER_FROM_DEV, In(56), 0},
      {"serial number page", {0x12, 1, 0x80, 0, 56, 0}, SG_DXFER_FROM_DEV, In(56), 0},
      {"build page C0h", {0x12, 1, 0xC0, 0, 64, 0}, SG_DXFER_FROM_DEV, In(64), 0x052400},
      {"page DCh", {0x12, 1, 0xDC, 0, 36, 0}, SG_DXFER_FROM_DEV, In(36), 0x052400},
      {"TapeAlert log page", {0x4D, 0, 0x6E, 0, 0, 0, 0, 0x02, 0, 0}, SG_DXFER_FROM_DEV, In(512), 0},
      {"vendor log page 30h", {0x4D, 0, 0x70, 0, 0, 0, 0, 0x02, 0, 0}, SG_DXFER_FROM_DEV, In(512), 0x052400},
      {"data buffer", {0x3C, 0x02, 0, 0, 0, 0, 0, 0, 64, 0}, SG_DXFER_FROM_DEV, In(64), 0},
      {"trace buffer", {0x3C, 0x04, 0x07, 0, 0, 0, 0, 0, 64, 0}, SG_DXFER_FROM_DEV, In(64), 0x052400},
      {"upgrade-tape command", {0x20, 0, 0, 0, 0, 0}, SG_DXFER_NONE, {}, 0x052000},
      {"vendor diagnostic page", {0x1D, 0x10, 0, 0, 8, 0}, SG_DXFER_TO_DEV, {0x80, 0, 0, 4, 1, 'u', 0, 0}, 0x052600},
      {"self test", {0x1D, 0x04, 0, 0, 0, 0}, SG_DXFER_NONE, {}, 0},
  };
  for (const Request& r : requests) {
    const SgResult mine = SendCdb(*sim, own, r.cdb, r.direction, r.buffer);
    const SgResult theirs = SendCdb(*sim, other, r.cdb, r.direction, r.buffer);
    EXPECT_TRUE(mine.Good()) << r.what << " on the own drive: " << std::hex << mine.Kcq();
    if (r.other_maker == 0) {
      EXPECT_TRUE(theirs.Good()) << r.what << ": " << std::hex << theirs.Kcq();
    } else {
      EXPECT_EQ(theirs.Kcq(), r.other_maker) << r.what;
    }
  }
}

// The supported-page lists leave out the pages the device refuses.
TEST(SimStandardDevices, SupportedPageListsNameOnlyStandardPages) {
  auto sim = QuietBench();
  struct List {
    const char* what;
    std::vector<uint8_t> cdb;
    uint8_t first_vendor, last_vendor;
  } lists[] = {
      {"vital product data", {0x12, 1, 0x00, 0, 0xFF, 0}, 0xC0, 0xFF},
      {"log pages", {0x4D, 0, 0x00, 0, 0, 0, 0, 0x00, 0xFF, 0}, 0x30, 0x3E},
  };
  for (const char* node : {"/dev/sg0", "/dev/sg3"}) {
    const int fd = OpenNode(*sim, node);
    for (const List& l : lists) {
      const SgResult r = SendCdb(*sim, fd, l.cdb, SG_DXFER_FROM_DEV, In(255));
      ASSERT_TRUE(r.Good()) << l.what;
      ASSERT_GE(r.data.size(), 4u) << l.what;
      const std::vector<uint8_t> codes(r.data.begin() + 4, r.data.end());
      EXPECT_EQ(codes.size(), size_t(r.data[2] << 8 | r.data[3])) << l.what;
      const bool vendor =
          std::ranges::any_of(codes, [&](uint8_t c) { return c >= l.first_vendor && c <= l.last_vendor; });
      EXPECT_EQ(vendor, std::string(node) == "/dev/sg0") << l.what << " on " << node;
    }
  }
}

TEST(SimStandardDevices, BenchFilesDescribeThem) {
  SimSystem sim;
  std::string error;
  ASSERT_TRUE(sim.ParseBench("device /dev/sg5 type=tape vendor=ACME product=\"LTO-6 TAPE\" standard=1", &error))
      << error;
  const int fd = OpenNode(sim, "/dev/sg5");
  SendIn(sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);  // the power-on attention
  EXPECT_EQ(SendIn(sim, fd, {0x12, 1, 0xC0, 0, 64, 0}, 64).Kcq(), 0x052400);
  EXPECT_FALSE(sim.ParseBench("device /dev/sg6 standard=maybe", &error));
}

}  // namespace
