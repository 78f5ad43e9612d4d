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
      {0, 2, 0, 0, 2},           // two blocks
      {0, 5, 0x000001, 4, 4},    // a filemark after one block: 4 not spaced
      {1, 1, 0, 0, 5},           // over the second filemark
      {1, 1, 0x080005, 1, 6},    // no more filemarks: end of data
      {0, -1, 0, 0, 5},          // back over the last block
      {1, -2, 0, 0, 3},          // back over both filemarks: before the first
      {0, -10, 0x000004, 7, 0},  // three blocks back, then the beginning
      {3, 0, 0, 0, 6},           // end of data
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
  // Filemarks past early warning are written and say so too.
  SgResult mark = SendIn(*sim_, fd_, {0x10, 0, 0, 0, 1, 0}, 0);
  ASSERT_TRUE(mark.Check());
  EXPECT_EQ(mark.Kcq(), 0x000002);
  EXPECT_EQ(mark.sense[2] & 0x40, 0x40);
  EXPECT_EQ(Position(), 17u);
  SgResult full = Write(Block(1000, 16));
  EXPECT_EQ(full.Kcq(), 0x0D0002);
  EXPECT_EQ(full.sense[2] & 0x40, 0x40);
  EXPECT_EQ(Info(full), 1000);
  EXPECT_EQ(Position(), 17u);
}

// The data phase must hold what the CDB announces: a write with fewer bytes
// or a read into a smaller buffer ends with the adapter's DID_ERROR, and
// the drive writes nothing; a buffer larger than the data is a residual.
TEST_F(Tape, DataPhaseThatDoesNotFitTheCdbIsATransportError) {
  ASSERT_TRUE(Write(Block(1000, 1)).Good());
  ASSERT_TRUE(Write(Block(300, 2)).Good());
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x01, 0, 0, 0, 0, 0}, 0).Good());
  struct Case {
    const char* name;
    std::vector<uint8_t> cdb;
    int direction;
    size_t buffer;
    int host;           // host status
    size_t moved;       // dxfer_len - resid
    uint32_t position;  // afterwards
  } cases[] = {
      {"read of a 1000-byte block into 600 bytes", {0x08, 0, 0, 0x03, 0xE8, 0}, SG_DXFER_FROM_DEV, 600, 0x07, 600, 1},
      {"read of a 300-byte block into 600 bytes", {0x08, 2, 0, 0x03, 0xE8, 0}, SG_DXFER_FROM_DEV, 600, 0, 300, 2},
      {"write of 1000 announced, 600 given", {0x0A, 0, 0, 0x03, 0xE8, 0}, SG_DXFER_TO_DEV, 600, 0x07, 600, 2},
      {"write of 100 announced, 600 given", {0x0A, 0, 0, 0, 100, 0}, SG_DXFER_TO_DEV, 600, 0, 600, 3},
  };
  for (const Case& c : cases) {
    SgResult r = SendCdb(*sim_, fd_, c.cdb, c.direction, std::vector<uint8_t>(c.buffer, 0x5A));
    EXPECT_EQ(r.hdr.host_status, c.host) << c.name;
    EXPECT_EQ(r.hdr.masked_status, 0) << c.name;
    if (c.direction == SG_DXFER_FROM_DEV) {
      EXPECT_EQ(c.buffer - size_t(r.hdr.resid), c.moved) << c.name;
    }
    EXPECT_EQ(Position(), c.position) << c.name;
  }
  // The short write wrote nothing; the long one wrote its 100 bytes.
  ASSERT_TRUE(SendIn(*sim_, fd_, {0x2B, 0, 0, 0, 0, 0, 2, 0, 0, 0}, 0).Good());
  EXPECT_EQ(Read(200).data.size(), 100u);
  SgResult fixed = SendCdb(*sim_, fd_, {0x0A, 1, 0, 0, 2, 0}, SG_DXFER_TO_DEV, Block(512, 0));
  EXPECT_EQ(fixed.Kcq(), 0x052400) << "no block size: the CDB is refused before any data";
}

// Data crosses the heads at the native rate of the cartridge's format, on
// the virtual clock: LTO-6 160 MB/s, an LTO-5 cartridge in it 140 MB/s.
TEST(SimTapeTiming, TransfersTakeTheNativeRateOfTheCartridge) {
  struct Case {
    const char* bench;
    double rate;  // 10^6 bytes per second
  } cases[] = {
      {"device /dev/sg0 product=ULTRIUM-HH6\n", 160},
      {"device /dev/sg0 product=ULTRIUM-HH6\nmedium /dev/sg0 gen=5\n", 140},
      {"device /dev/sg0 product=\"ULTRIUM 8\"\n", 360},
      {"device /dev/sg0 product=DAT160\n", 6.9},
  };
  const std::vector<uint8_t> block(256 * 1024, 0x5A);
  for (const Case& c : cases) {
    SimSystem sim;
    std::string why;
    ASSERT_TRUE(sim.ParseBench(c.bench, &why)) << why;
    const int fd = OpenNode(sim, "/dev/sg0");
    SendIn(sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
    const double start = sim.Elapsed();
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(SendOut(sim, fd, {0x0A, 0, 0x04, 0x00, 0x00, 0}, block).Good());
    const double written = sim.Elapsed() - start;
    ASSERT_TRUE(SendIn(sim, fd, {0x01, 0, 0, 0, 0, 0}, 0).Good());
    const double rewound = sim.Elapsed();
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(SendIn(sim, fd, {0x08, 0, 0x04, 0x00, 0x00, 0}, 262144).Good());
    const double expected = 40 * 262144 / (c.rate * 1e6);
    EXPECT_NEAR(written, expected, 1e-4) << c.bench;
    EXPECT_NEAR(sim.Elapsed() - rewound, expected, 1e-4) << c.bench;
  }
}

// REPORT DENSITY SUPPORT: an LTO drive's formats (its own and the two
// before, writing two of them) or, with MEDIA, the loaded cartridge's.
TEST(SimTapeDensities, ReportDensitySupportListsTheFormats) {
  SimSystem sim;
  std::string why;
  ASSERT_TRUE(
      sim.ParseBench("device /dev/sg0 product=ULTRIUM-HH6\nmedium /dev/sg0 gen=5\n"
                     "device /dev/sg1 product=ULTRIUM-HH6 hctl=0:0:1:0 medium=0\n"
                     "device /dev/sg2 product=DAT160 hctl=0:0:2:0\n",
                     &why))
      << why;
  struct Descriptor {
    uint8_t density, flags;
    uint32_t capacity;
    std::string name;
  };
  auto descriptors = [](const SgResult& r) {
    std::vector<Descriptor> out;
    EXPECT_EQ(size_t(r.data[0] << 8 | r.data[1]) + 2, r.data.size());
    for (size_t at = 4; at + 52 <= r.data.size(); at += 52) {
      EXPECT_EQ(r.data[at + 1], r.data[at]);
      EXPECT_EQ(r.data[at + 3] << 8 | r.data[at + 4], 49);  // descriptor length, DLV set
      out.push_back({r.data[at], r.data[at + 2],
                     uint32_t(r.data[at + 12] << 24 | r.data[at + 13] << 16 | r.data[at + 14] << 8 | r.data[at + 15]),
                     std::string(r.data.begin() + long(at) + 24, r.data.begin() + long(at) + 32)});
    }
    return out;
  };
  const int lto = OpenNode(sim, "/dev/sg0");
  SendIn(sim, lto, {0x00, 0, 0, 0, 0, 0}, 0);
  SgResult all = SendIn(sim, lto, {0x44, 0, 0, 0, 0, 0, 0, 0x10, 0, 0}, 4096);
  ASSERT_TRUE(all.Good());
  std::vector<Descriptor> d = descriptors(all);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].density, 0x46);
  EXPECT_EQ(d[0].flags, 0x01);  // LTO-4: read only
  EXPECT_EQ(d[1].density, 0x58);
  EXPECT_EQ(d[1].flags, 0x81);  // LTO-5: written too
  EXPECT_EQ(d[2].density, 0x5A);
  EXPECT_EQ(d[2].flags, 0xA1);  // LTO-6: written, the default
  EXPECT_EQ(d[2].capacity, 2500000u);
  EXPECT_EQ(d[2].name, "U-616   ");
  SgResult media = SendIn(sim, lto, {0x44, 0x01, 0, 0, 0, 0, 0, 0x10, 0, 0}, 4096);
  ASSERT_TRUE(media.Good());
  d = descriptors(media);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].density, 0x58);
  EXPECT_EQ(SendIn(sim, lto, {0x44, 0, 0, 0, 0, 0, 0, 0, 30, 0}, 30).data.size(), 30u) << "cut to the allocation";
  EXPECT_EQ(SendIn(sim, lto, {0x44, 0x02, 0, 0, 0, 0, 0, 0x10, 0, 0}, 4096).Kcq(), 0x052400) << "medium types";

  const int empty = OpenNode(sim, "/dev/sg1");
  SendIn(sim, empty, {0x00, 0, 0, 0, 0, 0}, 0);
  EXPECT_EQ(SendIn(sim, empty, {0x44, 0x01, 0, 0, 0, 0, 0, 0x10, 0, 0}, 4096).Kcq(), 0x023A00);
  EXPECT_EQ(descriptors(SendIn(sim, empty, {0x44, 0, 0, 0, 0, 0, 0, 0x10, 0, 0}, 4096)).size(), 3u);

  const int dat = OpenNode(sim, "/dev/sg2");
  SendIn(sim, dat, {0x00, 0, 0, 0, 0, 0}, 0);
  d = descriptors(SendIn(sim, dat, {0x44, 0, 0, 0, 0, 0, 0, 0x10, 0, 0}, 4096));
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].density, 0x48);
  EXPECT_EQ(d[0].flags, 0xA1);
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
  ASSERT_TRUE(
      SendIn(*sim, loader, {0xA5, 0, 0, 0, 0x00, 0x01, uint8_t(first >> 8), uint8_t(first), 0, 0, 0, 0}, 0).Good());
  EXPECT_FALSE(drive_full());
  EXPECT_FALSE(sim->MediumLoaded("/dev/sg0"));
  EXPECT_EQ(SendIn(*sim, loader, {0xA5, 0, 0, 0, 0x00, 0x01, uint8_t(first >> 8), uint8_t(first), 0, 0, 0, 0}, 0).Kcq(),
            0x053B0E);  // source empty
  ASSERT_TRUE(
      SendIn(*sim, loader, {0xA5, 0, 0, 0, uint8_t(first >> 8), uint8_t(first), 0x00, 0x01, 0, 0, 0, 0}, 0).Good());
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
    EXPECT_TRUE(SendIn(*sim, loader,
                       {0xA5, 0, 0, 0, uint8_t(from >> 8), uint8_t(from), uint8_t(to >> 8), uint8_t(to), 0, 0, 0, 0}, 0)
                    .Good())
        << from << " to " << to;
  };
  constexpr uint16_t kDrive = 0x01, kMail = 0x0A, kSlot1 = 0x10, kSlot2 = 0x11;
  // The source of the element at `address` (its descriptor's bytes 10-11
  // when SVALID is set): -1 when it is empty or has none.
  auto source = [&](uint16_t address) {
    const uint8_t type = address == kDrive ? 4 : address == kMail ? 3 : 2;
    SgResult r =
        SendIn(*sim, loader, {0xB8, type, uint8_t(address >> 8), uint8_t(address), 0, 1, 0, 0, 0, 32, 0, 0}, 32);
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
