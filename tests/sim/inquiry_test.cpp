// What the virtual drives say about themselves: INQUIRY, VPD pages and the
// protocol page, as the identification code reads them.
#include <string>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

std::string Text(const std::vector<uint8_t>& b, size_t at, size_t n) {
  return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
}

TEST(SimInquiry, DefaultBenchIdentifiesItsThreeDevices) {
  auto sim = QuietBench();
  struct Case {
    const char* node;
    uint8_t type;
    const char* vendor;
    const char* product;
    const char* revision;
  } cases[] = {
      {"/dev/sg0", 1, "HALCYON ", "ULTRIUM-HH6     ", "J5A1"},
      {"/dev/sg1", 8, "HALCYON ", "LTO LOADER      ", "L102"},
      {"/dev/sg2", 1, "HALCYON ", "DAT160          ", "V10D"},
  };
  for (const Case& c : cases) {
    int fd = OpenNode(*sim, c.node);
    SgResult r = SendIn(*sim, fd, {0x12, 0, 0, 0, 72, 0}, 128);
    ASSERT_TRUE(r.Good()) << c.node;
    ASSERT_EQ(r.data.size(), 72u);  // cut to the allocation length
    EXPECT_EQ(r.data[0] & 0x1F, c.type);
    EXPECT_EQ(r.data[4] + 5, 96);  // additional length of the full answer
    EXPECT_EQ(Text(r.data, 8, 8), c.vendor);
    EXPECT_EQ(Text(r.data, 16, 16), c.product);
    EXPECT_EQ(Text(r.data, 32, 4), c.revision);
  }
}

TEST(SimInquiry, InquiryDoesNotTakeThePowerOnAttention) {
  auto sim = MakeSimSystem("1", nullptr);
  int fd = OpenNode(*sim, "/dev/sg0");
  EXPECT_TRUE(SendIn(*sim, fd, {0x12, 0, 0, 0, 48, 0}, 48).Good());
  SgResult tur = SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
  EXPECT_EQ(tur.Kcq(), 0x062900);
}

TEST(SimInquiry, SerialNumberPageHoldsTheSerialFromByteFour) {
  auto sim = QuietBench();
  struct Case {
    const char* node;
    const char* serial;
  } cases[] = {{"/dev/sg0", "HU1234567A"}, {"/dev/sg1", "HL0987654321"}, {"/dev/sg2", "HD16012345"}};
  for (const Case& c : cases) {
    int fd = OpenNode(*sim, c.node);
    SgResult r = SendIn(*sim, fd, {0x12, 0x01, 0x80, 0x00, 0x48, 0x00}, 74);
    ASSERT_TRUE(r.Good());
    EXPECT_EQ(r.data[1], 0x80);
    EXPECT_EQ(r.data[3], std::string(c.serial).size());
    EXPECT_EQ(Text(r.data, 4, r.data[3]), c.serial);
  }
}

TEST(SimInquiry, BuildPageCarriesVersionAndVariantForLtoAndFortyCharactersOtherwise) {
  auto sim = QuietBench();
  int lto = OpenNode(*sim, "/dev/sg0");
  SgResult r = SendIn(*sim, lto, {0x12, 0x01, 0xC0, 0x00, 0x40, 0x00}, 64);
  ASSERT_TRUE(r.Good());
  const std::string text = Text(r.data, 4, r.data.size() - 4);
  EXPECT_NE(text.find("VERSION=5.1"), std::string::npos) << text;
  EXPECT_NE(text.find("VARIANT=30"), std::string::npos) << text;  // personality byte '0'
  SgResult std_inq = SendIn(*sim, lto, {0x12, 0, 0, 0, 72, 0}, 72);
  EXPECT_EQ(std_inq.data[37], 5);  // revision major, as in the build page
  EXPECT_EQ(std_inq.data[38], 1);
  EXPECT_EQ(std_inq.data[41], '0');

  int dat = OpenNode(*sim, "/dev/sg2");
  SgResult d = SendIn(*sim, dat, {0x12, 0x01, 0xC0, 0x00, 0x40, 0x00}, 64);
  ASSERT_TRUE(d.Good());
  EXPECT_EQ(d.data[3], 40);
  EXPECT_EQ(Text(d.data, 4, 8), "REV V10D");
}

TEST(SimInquiry, SupportedPagesListEveryPageThatAnswers) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult list = SendIn(*sim, fd, {0x12, 0x01, 0x00, 0x00, 0xFF, 0x00}, 255);
  ASSERT_TRUE(list.Good());
  ASSERT_GE(list.data.size(), 4u);
  EXPECT_EQ(list.data[3] + 4u, list.data.size());
  for (size_t i = 4; i < list.data.size(); ++i) {
    const uint8_t page = list.data[i];
    SgResult r = SendCdb(*sim, fd, {0x12, 0x01, page, 0x00, 0xFF, 0x00}, SG_DXFER_FROM_DEV, std::vector<uint8_t>(255));
    ASSERT_TRUE(r.Good()) << std::hex << int(page);
    EXPECT_EQ(r.data[1], page);
    EXPECT_EQ(size_t(r.data[2] << 8 | r.data[3]), r.data.size() - 4) << std::hex << int(page);
  }
}

TEST(SimInquiry, OemPageHasTheProductAtByteEight) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult r = SendIn(*sim, fd, {0x12, 0x01, 0xDC, 0x00, 0x24, 0x00}, 128);
  ASSERT_TRUE(r.Good());
  EXPECT_EQ(r.data.size(), 36u);
  EXPECT_EQ(Text(r.data, 8, 11), "ULTRIUM-HH6");
}

TEST(SimModeSense, ProtocolPageNamesSasOnlyForSasDrives) {
  auto sim = QuietBench();
  struct Case {
    const char* node;
    int protocol;
  } cases[] = {{"/dev/sg0", 6}, {"/dev/sg2", 1}};
  for (const Case& c : cases) {
    int fd = OpenNode(*sim, c.node);
    SgResult r = SendIn(*sim, fd, {0x1A, 0x08, 0x18, 0x00, 0xFF, 0x00}, 255);
    ASSERT_TRUE(r.Good()) << c.node;
    ASSERT_GE(r.data.size(), 7u);
    EXPECT_EQ(r.data[3], 0);  // no block descriptor with DBD
    EXPECT_EQ(r.data[4] & 0x3F, 0x18);
    EXPECT_EQ(r.data[6] & 0x0F, c.protocol) << c.node;
  }
}

TEST(SimModeSense, DeviceConfigurationAnswerHasDensityBlockSizeAndCompressionWhereReadersLook) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult r = SendIn(*sim, fd, {0x5A, 0x00, 0x10, 0, 0, 0, 0, 0xFF, 0xFF, 0}, 65535);
  ASSERT_TRUE(r.Good());
  ASSERT_EQ(r.data.size(), 32u);
  EXPECT_EQ((r.data[0] << 8 | r.data[1]) + 2, 32);
  EXPECT_EQ(r.data[7], 8);      // block descriptor length
  EXPECT_EQ(r.data[8], 0x5A);   // density of the loaded cartridge
  EXPECT_EQ(r.data[16], 0x10);  // the page
  EXPECT_EQ(r.data[30], 0x01);  // compression algorithm selected

  // Change block size and compression with the answer sent back.
  std::vector<uint8_t> list = r.data;
  list[0] = list[1] = 0;
  list[13] = 0x00, list[14] = 0x80, list[15] = 0x00;
  list[30] = 0x00;
  SgResult sel = SendOut(*sim, fd, {0x55, 0x10, 0, 0, 0, 0, 0, 0, 32, 0}, list);
  ASSERT_TRUE(sel.Good()) << std::hex << sel.Kcq();
  SgResult again = SendIn(*sim, fd, {0x5A, 0x00, 0x10, 0, 0, 0, 0, 0xFF, 0xFF, 0}, 65535);
  EXPECT_EQ(again.data[14], 0x80);
  EXPECT_EQ(again.data[30], 0x00);

  // Unloaded, density reads 0 (what the firmware path checks).
  ASSERT_TRUE(SendIn(*sim, fd, {0x1B, 0, 0, 0, 0, 0}, 0).Good());
  SgResult empty = SendIn(*sim, fd, {0x5A, 0x00, 0x10, 0, 0, 0, 0, 0xFF, 0xFF, 0}, 65535);
  EXPECT_EQ(empty.data[2], 0);
  EXPECT_EQ(empty.data[8], 0);
}

TEST(SimModeSelect, VendorParameterPageStoresTheSettingAndRefusesGarbage) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  const std::string setting = "BRICKSERNUM HU7654321B\n";
  std::vector<uint8_t> list = {0x00, 0x00, 0x10, 0x00, 0x3E, static_cast<uint8_t>(setting.size() + 2)};
  list.insert(list.end(), setting.begin(), setting.end());
  list.resize(setting.size() + 8, 0);
  SgResult r = SendOut(*sim, fd, {0x15, 0x10, 0, 0, static_cast<uint8_t>(list.size()), 0}, list);
  ASSERT_TRUE(r.Good());
  EXPECT_EQ(sim->Serial("/dev/sg0"), "HU7654321B");

  std::vector<uint8_t> bad = {0x00, 0x00, 0x10, 0x00, 0x30, 0x02, 0x00, 0x00};
  SgResult refused = SendOut(*sim, fd, {0x15, 0x10, 0, 0, 8, 0}, bad);
  EXPECT_EQ(refused.Kcq(), 0x052600);
}

}  // namespace
