// The virtual cartridge: blocks, filemarks, end of data, and the sense a
// real drive gives at each of them; the autoloader feeding the drive.
#include <gtest/gtest.h>

#include "sg_fixture.h"
#include "sim/sim_device.h"

namespace {

std::vector<uint8_t> Block(size_t n, uint8_t seed) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i);
  return b;
}

int32_t Info(const SgResult& r) { return int32_t(r.sense[3] << 24 | r.sense[4] << 16 | r.sense[5] << 8 | r.sense[6]); }

class Tape : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_ = QuietBench();
    fd_ = OpenNode(*sim_, "/dev/sg0");
  }
  SgResult Write(const std::vector<uint8_t>& b) {
    const auto n = static_cast<uint32_t>(b.size());
    return SendCdb(*sim_, fd_, {0x0A, 0, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0}, SG_DXFER_TO_DEV, b);
  }
  SgResult Read(uint32_t n, uint8_t flags = 0) {
    return SendCdb(*sim_, fd_, {0x08, flags, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0}, SG_DXFER_FROM_DEV,
                   std::vector<uint8_t>(n));
  }
  SgResult Space(uint8_t code, int32_t count) {
    return SendIn(*sim_, fd_, {0x11, code, uint8_t(count >> 16), uint8_t(count >> 8), uint8_t(count), 0}, 0);
  }
  uint32_t Position() {
    SgResult r = SendIn(*sim_, fd_, {0x34, 0x06, 0, 0, 0, 0, 0, 0, 0, 0}, 32);
    EXPECT_TRUE(r.Good());
    return r.data.size() >= 16 ? uint32_t(r.data[12] << 24 | r.data[13] << 16 | r.data[14] << 8 | r.data[15]) : ~0u;
  }

  std::unique_ptr<SimSystem> sim_;
  int fd_ = -1;
};

TEST_F(Tape, WrittenBlocksAndFilemarksReadBackWithTheirSense) {
  ASSERT_TRUE(Write(Block(100, 1)).Good());
  ASSERT_TRUE(Write(Block(200, 2)).Good());
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x10, 0, 0, 0, 1, 0}, 0).Good());
  ASSERT_TRUE(Write(Block(50, 3)).Good());
  EXPECT_EQ(Position(), 4u);
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x01, 0, 0, 0, 0, 0}, 0).Good());
  EXPECT_EQ(Position(), 0u);

  SgResult exact = Read(100);
  ASSERT_TRUE(exact.Good());
  EXPECT_EQ(exact.data, Block(100, 1));

  // Asking for more than the block: ILI, residual positive, the block moved.
  SgResult longer = Read(256);
  ASSERT_TRUE(longer.Check());
  EXPECT_EQ(longer.sense[2], 0x20);
  EXPECT_EQ(longer.sense[0], 0xF0);
  EXPECT_EQ(Info(longer), 56);
  EXPECT_EQ(longer.data, Block(200, 2));

  SgResult mark = Read(512);
  ASSERT_TRUE(mark.Check());
  EXPECT_EQ(mark.sense[2], 0x80);  // filemark, NO SENSE
  EXPECT_EQ(mark.sense[13], 0x01);
  EXPECT_EQ(Info(mark), 512);
  EXPECT_TRUE(mark.data.empty());

  // Asking for less: ILI with a negative residual, only what was asked moved.
  SgResult shorter = Read(10);
  ASSERT_TRUE(shorter.Check());
  EXPECT_EQ(Info(shorter), -40);
  EXPECT_EQ(shorter.data.size(), 10u);

  SgResult eod = Read(64);
  ASSERT_TRUE(eod.Check());
  EXPECT_EQ(eod.Kcq(), 0x080005);
}

TEST_F(Tape, SpaceStopsAtFilemarksEndOfDataAndTheBeginning) {
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Write(Block(10, uint8_t(i))).Good());
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x10, 0, 0, 0, 2, 0}, 0).Good());
  ASSERT_TRUE(Write(Block(10, 9)).Good());  // B B B F F B
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x01, 0, 0, 0, 0, 0}, 0).Good());

  struct Step {
    uint8_t code;
    int32_t count;
    int kcq;       // 0 for good status
    int32_t info;  // residual count when not good
    uint32_t position;
  } steps[] = {
      {0, 2, 0, 0, 2},                // two blocks
      {0, 5, 0x000001, 4, 4},         // a filemark after one block: 4 not spaced
      {1, 1, 0, 0, 5},                // over the second filemark
      {1, 1, 0x080005, 1, 6},         // no more filemarks: end of data
      {0, -1, 0, 0, 5},               // back over the last block
      {1, -2, 0, 0, 3},               // back over both filemarks: before the first
      {0, -10, 0x000004, 7, 0},       // three blocks back, then the beginning
      {3, 0, 0, 0, 6},                // end of data
  };
  for (const Step& s : steps) {
    SgResult r = Space(s.code, s.count);
    if (s.kcq == 0) {
      EXPECT_TRUE(r.Good()) << int(s.code) << " " << s.count << " " << std::hex << r.Kcq();
    } else {
      EXPECT_EQ(r.Kcq(), s.kcq) << int(s.code) << " " << s.count;
      EXPECT_EQ(Info(r), s.info) << int(s.code) << " " << s.count;
    }
    EXPECT_EQ(Position(), s.position) << int(s.code) << " " << s.count;
  }
}

TEST_F(Tape, WritingInTheMiddleMakesANewEndOfData) {
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(Write(Block(10, uint8_t(i))).Good());
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x2B, 0, 0, 0, 0, 0, 1, 0, 0, 0}, 0).Good());  // locate block 1
  ASSERT_TRUE(Write(Block(10, 7)).Good());
  EXPECT_EQ(Space(3, 0).hdr.masked_status, 0);
  EXPECT_EQ(Position(), 2u);
}

TEST_F(Tape, EarlyWarningThenVolumeOverflowNearTheEndOfTheMedium) {
  sim_->Device("/dev/sg0")->capacity = 16000;  // early warning from 15000 bytes on
  for (int i = 0; i < 15; ++i) ASSERT_TRUE(Write(Block(1000, uint8_t(i))).Good()) << i;
  SgResult warned = Write(Block(1000, 15));
  ASSERT_TRUE(warned.Check());
  EXPECT_EQ(warned.Kcq(), 0x000002);
  EXPECT_EQ(warned.sense[2] & 0x40, 0x40);
  EXPECT_EQ(Position(), 16u);  // written all the same
  SgResult full = Write(Block(1000, 16));
  EXPECT_EQ(full.Kcq(), 0x0D0002);
  EXPECT_EQ(full.sense[2] & 0x40, 0x40);
  EXPECT_EQ(Info(full), 1000);
  EXPECT_EQ(Position(), 16u);
}

TEST_F(Tape, FixedBlockModeNeedsABlockSizeAndReadsWholeBlocks) {
  EXPECT_EQ(SendCdb(*sim_, fd_, {0x0A, 1, 0, 0, 2, 0}, SG_DXFER_TO_DEV, Block(1024, 0)).Kcq(), 0x052400);
  // Block size 512 through the block descriptor.
  std::vector<uint8_t> list = {0, 0, 0x10, 8, 0, 0, 0, 0, 0, 0x00, 0x02, 0x00};
  ASSERT_TRUE(SendOut(*sim_, fd_, {0x15, 0x10, 0, 0, 12, 0}, list).Good());
  ASSERT_TRUE(SendCdb(*sim_, fd_, {0x0A, 1, 0, 0, 2, 0}, SG_DXFER_TO_DEV, Block(1024, 5)).Good());
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x01, 0, 0, 0, 0, 0}, 0).Good());
  SgResult r = SendCdb(*sim_, fd_, {0x08, 1, 0, 0, 3, 0}, SG_DXFER_FROM_DEV, std::vector<uint8_t>(1536));
  EXPECT_EQ(r.Kcq(), 0x080005);
  EXPECT_EQ(Info(r), 1);  // one block not read
  EXPECT_EQ(r.data, Block(1024, 5));
}

TEST_F(Tape, UnloadedDriveIsNotReadyUntilLoadedAgain) {
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x1B, 0, 0, 0, 0, 0}, 0).Good());
  EXPECT_EQ(SendIn(*sim_, fd_, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x023A00);
  EXPECT_EQ(SendIn(*sim_, fd_, {0x01, 0, 0, 0, 0, 0}, 0).Kcq(), 0x023A00);
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x1B, 0, 0, 0, 1, 0}, 0).Good());
  EXPECT_TRUE(SendIn(*sim_, fd_, {0x00, 0, 0, 0, 0, 0}, 0).Good());
  // Medium removal prevented: the unload is refused.
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x1E, 0, 0, 0, 1, 0}, 0).Good());
  EXPECT_EQ(SendIn(*sim_, fd_, {0x1B, 0, 0, 0, 0, 0}, 0).Kcq(), 0x055302);
}

TEST(SimChanger, ElementStatusAndMovesFollowTheDrive) {
  auto sim = QuietBench();
  int loader = OpenNode(*sim, "/dev/sg1");
  auto drive_full = [&] {
    SgResult r = SendIn(*sim, loader, {0xB8, 0x04, 0, 0, 0, 10, 0, 0, 0, 176, 0, 0}, 176);
    EXPECT_TRUE(r.Good());
    EXPECT_EQ(r.data[2] << 8 | r.data[3], 1);  // one drive
    EXPECT_EQ(r.data[8], 0x04);
    return (r.data[18] & 0x01) != 0;
  };
  EXPECT_TRUE(drive_full());

  SgResult slots = SendIn(*sim, loader, {0xB8, 0x02, 0, 0, 0, 120, 0, 0x00, 0x07, 0x90, 0, 0}, 1936);
  ASSERT_TRUE(slots.Good());
  const int count = slots.data[2] << 8 | slots.data[3];
  EXPECT_EQ(count, 8);
  EXPECT_EQ(slots.data.size(), 16u + 16u * count);
  const uint16_t first = uint16_t(slots.data[16] << 8 | slots.data[17]);
  EXPECT_EQ(slots.data[18] & 0x01, 0);  // the first slot's cartridge is in the drive

  // Drive to first slot: the drive empties; back again: it loads.
  ASSERT_TRUE(SendIn(*sim, loader, {0xA5, 0, 0, 0, 0x00, 0x01, uint8_t(first >> 8), uint8_t(first), 0, 0, 0, 0}, 0)
                  .Good());
  EXPECT_FALSE(drive_full());
  EXPECT_FALSE(sim->MediumLoaded("/dev/sg0"));
  EXPECT_EQ(SendIn(*sim, loader, {0xA5, 0, 0, 0, 0x00, 0x01, uint8_t(first >> 8), uint8_t(first), 0, 0, 0, 0}, 0)
                .Kcq(),
            0x053B0E);  // source empty
  ASSERT_TRUE(SendIn(*sim, loader, {0xA5, 0, 0, 0, uint8_t(first >> 8), uint8_t(first), 0x00, 0x01, 0, 0, 0, 0}, 0)
                  .Good());
  EXPECT_TRUE(sim->MediumLoaded("/dev/sg0"));
  int drive = OpenNode(*sim, "/dev/sg0");
  EXPECT_EQ(SendIn(*sim, drive, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x062800);  // new cartridge
  EXPECT_EQ(SendIn(*sim, loader, {0xA5, 0, 0, 0, 0x77, 0x77, 0x00, 0x01, 0, 0, 0, 0}, 0).Kcq(), 0x052101);
}

// Every element reports the element its cartridge was last moved from, by
// address: a slot, the drive or the mail slot; a cartridge put in by hand none.
TEST(SimChanger, SourceElementIsWhereTheCartridgeCameFrom) {
  auto sim = QuietBench();
  int loader = OpenNode(*sim, "/dev/sg1");
  auto move = [&](uint16_t from, uint16_t to) {
    EXPECT_TRUE(SendIn(*sim, loader, {0xA5, 0, 0, 0, uint8_t(from >> 8), uint8_t(from), uint8_t(to >> 8), uint8_t(to),
                                      0, 0, 0, 0},
                       0)
                    .Good())
        << from << " to " << to;
  };
  constexpr uint16_t kDrive = 0x01, kMail = 0x0A, kSlot1 = 0x10, kSlot2 = 0x11;
  // The source of the element at `address` (its descriptor's bytes 10-11
  // when SVALID is set): -1 when it is empty or has none.
  auto source = [&](uint16_t address) {
    const uint8_t type = address == kDrive ? 4 : address == kMail ? 3 : 2;
    SgResult r = SendIn(*sim, loader, {0xB8, type, uint8_t(address >> 8), uint8_t(address), 0, 1, 0, 0, 0, 32, 0, 0},
                        32);
    EXPECT_TRUE(r.Good());
    if (r.data.size() < 32) return -2;
    EXPECT_EQ(r.data[16] << 8 | r.data[17], address);
    if ((r.data[18] & 0x01) == 0 || (r.data[25] & 0x80) == 0) return -1;
    return r.data[26] << 8 | r.data[27];
  };
  EXPECT_EQ(source(kDrive), kSlot1) << "the default magazine's first cartridge is in the drive";
  EXPECT_EQ(source(kSlot2), -1) << "put in by hand";
  move(kSlot2, kMail);
  EXPECT_EQ(source(kMail), kSlot2);
  move(kDrive, kSlot2);
  EXPECT_EQ(source(kSlot2), kDrive);
  move(kMail, kDrive);
  EXPECT_EQ(source(kDrive), kMail) << "through the mail slot, not the first slot";
}

}  // namespace
