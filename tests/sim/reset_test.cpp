// Power-on attention, the virtual clock, and the restart that follows a
// firmware download.
#include <fcntl.h>
#include <scsi/sg.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

const std::initializer_list<uint8_t> kTur = {0x00, 0, 0, 0, 0, 0};

std::vector<uint8_t> WriteBufferCdb(uint8_t mode, uint8_t id, uint32_t offset, uint32_t length) {
  return {0x3B,
          mode,
          id,
          uint8_t(offset >> 16),
          uint8_t(offset >> 8),
          uint8_t(offset),
          uint8_t(length >> 16),
          uint8_t(length >> 8),
          uint8_t(length),
          0};
}

SgResult Piece(SimSystem& sim, int fd, uint8_t mode, uint8_t id, uint32_t offset, const std::vector<uint8_t>& bytes) {
  return SendCdb(sim, fd, WriteBufferCdb(mode, id, offset, static_cast<uint32_t>(bytes.size())),
                 bytes.empty() ? SG_DXFER_NONE : SG_DXFER_TO_DEV, bytes);
}

std::vector<uint8_t> Image(size_t size, const std::string& revision) {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 13);
  if (!revision.empty()) {
    const std::string mark = "FWREV=" + revision;
    std::memcpy(image.data() + 100, mark.data(), mark.size());
  }
  return image;
}

TEST(SimAttention, PowerOnAttentionComesOnceAndRequestSenseCanTakeIt) {
  auto sim = MakeSimSystem("1", nullptr);
  int fd = OpenNode(*sim, "/dev/sg0");
  EXPECT_EQ(SendIn(*sim, fd, kTur, 0).Kcq(), 0x062900);
  EXPECT_TRUE(SendIn(*sim, fd, kTur, 0).Good());

  sim->PowerOnReset("/dev/sg0");
  SgResult rs = SendIn(*sim, fd, {0x03, 0, 0, 0, 0xFF, 0}, 255);
  ASSERT_TRUE(rs.Good());
  ASSERT_GE(rs.data.size(), 18u);
  EXPECT_EQ(rs.data[0], 0x70);
  EXPECT_EQ(rs.data[2] & 0x0F, 0x06);
  EXPECT_EQ(rs.data[12], 0x29);
  EXPECT_TRUE(SendIn(*sim, fd, kTur, 0).Good());
  // With nothing pending, REQUEST SENSE says NO SENSE.
  SgResult none = SendIn(*sim, fd, {0x03, 0, 0, 0, 0xFF, 0}, 255);
  EXPECT_EQ(none.data[2] & 0x0F, 0x00);
  EXPECT_EQ(none.data[12], 0x00);
}

TEST(SimClock, WaitsAndSlowCommandsMoveOnlyTheVirtualClock) {
  auto sim = QuietBench();
  struct timeval start = sim->Now();
  sim->Wait(70, 500000);
  struct timeval later = sim->Now();
  EXPECT_EQ(later.tv_sec - start.tv_sec + (later.tv_usec - start.tv_usec) / 1e6, 70.5);

  SimFault slow;
  slow.opcode = 0x00;
  slow.delay_seconds = 400;
  slow.count = 1;
  sim->InjectFault("/dev/sg0", slow);
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult r = SendIn(*sim, fd, kTur, 0);
  EXPECT_TRUE(r.Good());
  EXPECT_EQ(r.hdr.duration, 400000u);
  EXPECT_NEAR(sim->Elapsed(), 470.5, 0.01);
  sim->Advance(30);
  EXPECT_NEAR(sim->Elapsed(), 500.5, 0.01);
}

TEST(SimClock, RealClockSleepsForReal) {
  SimSystem sim(true);
  EXPECT_TRUE(sim.RealClock());
  struct timeval a = sim.Now();
  sim.Wait(0, 50000);
  struct timeval b = sim.Now();
  const double slept = double(b.tv_sec - a.tv_sec) + double(b.tv_usec - a.tv_usec) / 1e6;
  EXPECT_GE(slept, 0.045);
  EXPECT_LT(slept, 2.0);
}

TEST(SimFirmware, CommitRestartsTheDriveWhichComesBackAfterItsResetTime) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  const std::vector<uint8_t> image = Image(40000, "J6B0");
  // Pieces of 16 KiB with offsets, then an empty commit.
  for (uint32_t offset = 0; offset < image.size(); offset += 16384) {
    std::vector<uint8_t> piece(image.begin() + offset, image.begin() + std::min<size_t>(image.size(), offset + 16384));
    ASSERT_TRUE(Piece(*sim, fd, 0x04, 0x00, offset, piece).Good());
    EXPECT_TRUE(sim->IsPresent("/dev/sg0"));  // no restart before the commit
  }
  SgResult commit = Piece(*sim, fd, 0x05, 0x00, 0, {});
  EXPECT_TRUE(commit.Good());
  EXPECT_EQ(sim->FirmwareImage("/dev/sg0"), image);

  // Gone from the bus: the old descriptor is dead, the node does not open.
  EXPECT_FALSE(sim->IsPresent("/dev/sg0"));
  errno = 0;
  EXPECT_EQ(SendIn(*sim, fd, kTur, 0).rc, -1);
  EXPECT_EQ(errno, ENODEV);
  errno = 0;
  EXPECT_EQ(sim->Open("/dev/sg0", O_RDWR), -1);
  EXPECT_EQ(errno, ENOENT);

  sim->Wait(29, 0);
  EXPECT_FALSE(sim->IsPresent("/dev/sg0"));
  sim->Wait(1, 0);
  ASSERT_TRUE(sim->IsPresent("/dev/sg0"));
  EXPECT_EQ(SendIn(*sim, fd, kTur, 0).error, ENODEV);  // still the old descriptor

  int again = OpenNode(*sim, "/dev/sg0");
  SgResult inq = SendIn(*sim, again, {0x12, 0, 0, 0, 36, 0}, 36);
  EXPECT_EQ(std::string(inq.data.begin() + 32, inq.data.begin() + 36), "J6B0");
  EXPECT_EQ(SendIn(*sim, again, kTur, 0).Kcq(), 0x062900);
  EXPECT_TRUE(SendIn(*sim, again, kTur, 0).Good());

  // The update leaves a code-update packet in the event log.
  SgResult log = SendIn(*sim, again, {0x4D, 0, 0x07, 0, 0, 0, 0, 0xFF, 0xF0, 0}, 65520);
  const std::string text(log.data.begin(), log.data.end());
  EXPECT_NE(text.find("OldRev: J5A1 NewRev: J6B0"), std::string::npos);
}

TEST(SimFirmware, DriveMayComeBackUnderAnotherNode) {
  SimSystem sim;
  SimDeviceConfig c;
  c.node = "/dev/sg0";
  c.reappear_node = "/dev/sg4";
  c.next_revision = "J5A2";
  c.reset_seconds = 45;
  ASSERT_TRUE(sim.AddDevice(c));
  int fd = OpenNode(sim, "/dev/sg0");
  ASSERT_EQ(SendIn(sim, fd, kTur, 0).Kcq(), 0x062900);
  ASSERT_TRUE(Piece(sim, fd, 0x05, 0x00, 0, Image(1000, "")).Good());
  sim.Wait(45, 0);
  EXPECT_FALSE(sim.IsPresent("/dev/sg0"));
  EXPECT_TRUE(sim.IsPresent("/dev/sg4"));
  EXPECT_EQ(sim.Revision("/dev/sg4"), "J5A2");
  EXPECT_EQ(sim.Serial("/dev/sg4"), c.serial);
}

TEST(SimFirmware, ImmediatePiecesActivateOnAShortPieceOrAfterTheHostFallsQuiet) {
  struct Case {
    size_t size;
    long quiet;  // seconds waited after the last piece
    bool restarted;
  } cases[] = {
      {150000, 0, true},   // 65536 + 65536 + 18928: the short one ends it
      {131072, 0, false},  // two full pieces: the drive waits for more
      {131072, 5, true},   // ... and activates once the host has been quiet
  };
  for (const Case& c : cases) {
    auto sim = QuietBench();
    int fd = OpenNode(*sim, "/dev/sg0");
    const std::vector<uint8_t> image = Image(c.size, "J7C0");
    for (size_t offset = 0; offset < image.size(); offset += 65536) {
      std::vector<uint8_t> piece(image.begin() + static_cast<long>(offset),
                                 image.begin() + static_cast<long>(std::min(image.size(), offset + 65536)));
      ASSERT_TRUE(Piece(*sim, fd, 0x04, 0x04, static_cast<uint32_t>(offset), piece).Good());
    }
    sim->Wait(c.quiet, 0);
    EXPECT_EQ(!sim->IsPresent("/dev/sg0"), c.restarted) << c.size << " quiet " << c.quiet;
    sim->Wait(60, 0);
    EXPECT_EQ(sim->Revision("/dev/sg0"), c.restarted ? "J7C0" : "J5A1");
  }
}

TEST(SimFirmware, DroppedStatusOnTheLastPieceIsATransportError) {
  SimSystem sim;
  SimDeviceConfig c;
  c.node = "/dev/sg0";
  c.reset_drops_last_status = true;
  ASSERT_TRUE(sim.AddDevice(c));
  int fd = OpenNode(sim, "/dev/sg0");
  ASSERT_EQ(SendIn(sim, fd, kTur, 0).Kcq(), 0x062900);
  SgResult r = Piece(sim, fd, 0x05, 0x00, 0, Image(100, ""));
  EXPECT_EQ(r.rc, 0);
  EXPECT_NE(r.hdr.host_status, 0);
  EXPECT_FALSE(sim.IsPresent("/dev/sg0"));
}

TEST(SimFirmware, DatDriveAppendsPiecesSentAtOffsetZero) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg2");
  const std::vector<uint8_t> image = Image(3000, "");
  for (size_t at = 0; at < image.size(); at += 1000) {
    std::vector<uint8_t> piece(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at + 1000));
    ASSERT_TRUE(Piece(*sim, fd, 0x04, 0x00, 0, piece).Good());
  }
  sim->Wait(5, 0);
  EXPECT_FALSE(sim->IsPresent("/dev/sg2"));
  EXPECT_EQ(sim->FirmwareImage("/dev/sg2"), image);
}

TEST(SimTrace, TraceBufferReadsInChunksWithItsSizeAtByte84) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult desc = SendIn(*sim, fd, {0x3C, 0x03, 0x07, 0, 0, 0, 0, 0, 4, 0}, 4);
  ASSERT_TRUE(desc.Good());
  const uint32_t capacity = desc.data[1] << 16 | desc.data[2] << 8 | desc.data[3];

  std::vector<uint8_t> all;
  uint32_t total = 0;
  for (uint32_t offset = 0; offset == 0 || offset < total;) {
    const uint32_t want = offset == 0 ? 65536 : std::min<uint32_t>(65536, total - offset);
    SgResult r = SendCdb(*sim, fd,
                         {0x3C, 0x04, 0x07, uint8_t(offset >> 16), uint8_t(offset >> 8), uint8_t(offset),
                          uint8_t(want >> 16), uint8_t(want >> 8), uint8_t(want), 0},
                         SG_DXFER_FROM_DEV, std::vector<uint8_t>(want));
    ASSERT_TRUE(r.Good());
    ASSERT_EQ(r.data.size(), want);
    if (offset == 0) total = r.data[84] | r.data[85] << 8 | r.data[86] << 16 | uint32_t(r.data[87]) << 24;
    all.insert(all.end(), r.data.begin(), r.data.end());
    offset += want;
  }
  EXPECT_EQ(total, capacity);
  EXPECT_GT(total, 65536u * 2);  // more than two chunks
  EXPECT_EQ(all, sim->TraceBuffer("/dev/sg0"));

  // Past the end is an invalid field; the loader has no trace.
  EXPECT_EQ(SendIn(*sim, fd, {0x3C, 0x02, 0x07, 0x7F, 0, 0, 0, 0, 16, 0}, 16).Kcq(), 0x052400);
  int loader = OpenNode(*sim, "/dev/sg1");
  EXPECT_EQ(SendIn(*sim, loader, {0x3C, 0x03, 0x07, 0, 0, 0, 0, 0, 4, 0}, 4).Kcq(), 0x052400);
}

}  // namespace
