// What a bench file puts on the virtual drives (cartridges, slots, event
// packets, log pages) and how the drives then answer.
#include <gtest/gtest.h>

#include <string>

#include "sg_fixture.h"

namespace {

std::unique_ptr<SimSystem> Bench(const std::string& text) {
  auto sim = std::make_unique<SimSystem>();
  std::string error;
  EXPECT_TRUE(sim->ParseBench(text, &error)) << error;
  return sim;
}

// The first command of a node takes its power-on attention.
int Quiet(SimSystem& sim, const std::string& node) {
  const int fd = OpenNode(sim, node);
  SendIn(sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
  return fd;
}

TEST(SimTrainingBench, CartridgeContentsGenerationAndTab) {
  auto sim = Bench(R"(device /dev/sg0 type=tape product=ULTRIUM-HH6 medium=0
medium /dev/sg0 gen=5 files=2 blocks=3 size=512
device /dev/sg1 type=tape product=ULTRIUM-HH6
medium /dev/sg1 gen=4
device /dev/sg2 type=tape product=ULTRIUM-HH6
medium /dev/sg2 wp=1 type=0x01
device /dev/sg3 type=tape product=ULTRIUM-HH6
medium /dev/sg3 gen=3
)");
  const int fd = Quiet(*sim, "/dev/sg0");
  // Two files of three 512-byte blocks: the fourth read meets the filemark.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SendIn(*sim, fd, {0x08, 0, 0, 0x02, 0x00, 0}, 512).Good()) << i;
  SgResult fm = SendIn(*sim, fd, {0x08, 0, 0, 0x02, 0x00, 0}, 512);
  EXPECT_EQ(fm.Kcq(), 0x000001);
  EXPECT_TRUE(fm.sense[2] & 0x80);
  // Space to end of data, then one block back across nothing but the filemark.
  EXPECT_TRUE(SendIn(*sim, fd, {0x11, 0x03, 0, 0, 0, 0}, 0).Good());
  EXPECT_EQ(SendIn(*sim, fd, {0x08, 0, 0, 0x02, 0x00, 0}, 512).Kcq(), 0x080005);
  // MODE SENSE(10): density of a generation-5 cartridge, writable.
  SgResult mode = SendIn(*sim, fd, {0x5A, 0, 0x10, 0, 0, 0, 0, 0, 0xFF, 0}, 255);
  ASSERT_TRUE(mode.Good());
  EXPECT_EQ(mode.data[8], 0x58);
  EXPECT_EQ(mode.data[3] & 0x80, 0);

  struct Case {
    const char* node;
    int writeKcq;  // WRITE(6) of one 512-byte block
    bool protectBit;
    uint8_t mediumType;
  } cases[] = {
      {"/dev/sg1", 0x072700, true, 0x00},  // two generations back: read only
      {"/dev/sg2", 0x072700, true, 0x01},  // write-protect tab
  };
  for (const Case& c : cases) {
    const int f = Quiet(*sim, c.node);
    EXPECT_EQ(SendOut(*sim, f, {0x0A, 0, 0, 0x02, 0x00, 0}, std::vector<uint8_t>(512)).Kcq(), c.writeKcq) << c.node;
    EXPECT_EQ(SendOut(*sim, f, {0x04, 0, 0, 0, 0, 0}, {}).Kcq(), c.writeKcq) << c.node << " FORMAT MEDIUM";
    SgResult m = SendIn(*sim, f, {0x5A, 0, 0x10, 0, 0, 0, 0, 0, 0xFF, 0}, 255);
    ASSERT_TRUE(m.Good()) << c.node;
    EXPECT_EQ((m.data[3] & 0x80) != 0, c.protectBit) << c.node;
    EXPECT_EQ(m.data[2], c.mediumType) << c.node;
  }
  // Three generations back the drive cannot use at all.
  EXPECT_EQ(SendIn(*sim, Quiet(*sim, "/dev/sg3"), {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x023000);
}

TEST(SimTrainingBench, FormatMediumEmptiesTheCartridge) {
  auto sim = Bench("device /dev/sg0 type=tape product=ULTRIUM-HH6\nmedium /dev/sg0 files=1 blocks=4\n");
  const int fd = Quiet(*sim, "/dev/sg0");
  ASSERT_TRUE(SendOut(*sim, fd, {0x04, 0, 0, 0, 0, 0}, {}).Good());
  EXPECT_EQ(SendIn(*sim, fd, {0x08, 0, 0, 0x02, 0x00, 0}, 512).Kcq(), 0x080005);  // blank
  EXPECT_EQ(SendOut(*sim, fd, {0x04, 0, 0x01, 0, 0, 0}, {}).Kcq(), 0x052400);     // no partitions
}

TEST(SimTrainingBench, SlotsEventsAndLogPages) {
  auto sim = Bench(R"(device /dev/sg0 type=tape product=ULTRIUM-HH6 hctl=0:0:0:0
device /dev/sg1 type=changer product="LTO LOADER" hctl=0:0:0:1 slots=4
slots /dev/sg1 full=2,4 mail=1
events /dev/sg0 clear
event /dev/sg0 "Packet # 9 Event: 0042 Head wear"
logpage /dev/sg0 0x31 0001000104
)");
  const int changer = Quiet(*sim, "/dev/sg1");
  SgResult slots = SendIn(*sim, changer, {0xB8, 0x02, 0, 0, 0, 10, 0, 0, 0x10, 0, 0, 0}, 4096);
  ASSERT_TRUE(slots.Good());
  ASSERT_EQ(slots.data.size(), 16u + 4 * 16);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(slots.data[16 + i * 16 + 2] & 1, i == 1 || i == 3 ? 1 : 0) << i;
  SgResult mail = SendIn(*sim, changer, {0xB8, 0x03, 0, 0, 0, 1, 0, 0, 0x10, 0, 0, 0}, 4096);
  ASSERT_TRUE(mail.Good());
  EXPECT_EQ(mail.data[16 + 2] & 1, 1);

  const int drive = Quiet(*sim, "/dev/sg0");
  SgResult events = SendIn(*sim, drive, {0x4D, 0, 0x07, 0, 0, 0, 0, 0x10, 0, 0}, 4096);
  ASSERT_TRUE(events.Good());
  const std::string text(events.data.begin(), events.data.end());
  EXPECT_NE(text.find("Packet # 9 Event: 0042 Head wear"), std::string::npos);
  EXPECT_EQ(text.find("Packet # 1 "), std::string::npos);
  SgResult page = SendIn(*sim, drive, {0x4D, 0, 0x31, 0, 0, 0, 0, 0x10, 0, 0}, 4096);
  ASSERT_TRUE(page.Good());
  EXPECT_EQ(page.data, (std::vector<uint8_t>{0x31, 0, 0, 5, 0x00, 0x01, 0x00, 0x01, 0x04}));
}

TEST(SimTrainingBench, BadContentLinesAreNamed) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"medium /dev/sg0 gen=5", "line 1: medium: no device on '/dev/sg0'"},
      {"device /dev/sg0 type=changer\nmedium /dev/sg0", "line 2: medium needs a tape drive"},
      {"device /dev/sg0\nmedium /dev/sg0 colour=red", "line 2: unknown option 'colour'"},
      {"device /dev/sg1 type=changer slots=4\nslots /dev/sg1 full=5", "line 2: bad slot list: '5'"},
      {"device /dev/sg0\nlogpage /dev/sg0 0x2E 0G", "line 2: bad parameter bytes: '0G'"},
      {"device /dev/sg0\nlogpage /dev/sg0 0x40 00", "line 2: bad log page: '0x40'"},
  };
  for (const Case& c : cases) {
    SimSystem sim;
    std::string error;
    EXPECT_FALSE(sim.ParseBench(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

}  // namespace
