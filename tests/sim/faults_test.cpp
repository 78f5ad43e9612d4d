// Injected faults, one behaviour each, on a bench whose attention is taken.
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

const std::initializer_list<uint8_t> kTur = {0x00, 0, 0, 0, 0, 0};
const std::initializer_list<uint8_t> kInquiry = {0x12, 0, 0, 0, 72, 0};

SimFault Check(int opcode, uint8_t key, uint8_t asc, uint8_t ascq, int count) {
  SimFault f;
  f.opcode = opcode;
  f.check = true;
  f.key = key, f.asc = asc, f.ascq = ascq;
  f.count = count;
  return f;
}

TEST(SimFaults, CountedCheckConditionHitsOnlyItsOpcodeAndWearsOff) {
  auto sim = QuietBench();
  sim->InjectFault("/dev/sg0", Check(0x00, 0x02, 0x04, 0x01, 2));
  int fd = OpenNode(*sim, "/dev/sg0");
  EXPECT_TRUE(SendIn(*sim, fd, kInquiry, 72).Good());  // another opcode
  EXPECT_EQ(SendIn(*sim, fd, kTur, 0).Kcq(), 0x020401);
  EXPECT_EQ(SendIn(*sim, fd, kTur, 0).Kcq(), 0x020401);
  EXPECT_TRUE(SendIn(*sim, fd, kTur, 0).Good());
  // Other nodes never see it.
  sim->InjectFault("/dev/sg1", Check(-1, 0x04, 0x44, 0x00, -1));
  EXPECT_TRUE(SendIn(*sim, fd, kTur, 0).Good());
  int loader = OpenNode(*sim, "/dev/sg1");
  EXPECT_EQ(SendIn(*sim, loader, kInquiry, 72).Kcq(), 0x044400);
  EXPECT_EQ(SendIn(*sim, loader, kTur, 0).Kcq(), 0x044400);
  sim->ClearFaults();
  EXPECT_TRUE(SendIn(*sim, loader, kTur, 0).Good());
}

TEST(SimFaults, WithheldSenseIsThereForRequestSense) {
  auto sim = QuietBench();
  SimFault f = Check(0x00, 0x03, 0x11, 0x00, 1);
  f.withhold_sense = true;
  sim->InjectFault("/dev/sg0", f);
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult tur = SendIn(*sim, fd, kTur, 0);
  ASSERT_TRUE(tur.Check());
  EXPECT_EQ(tur.hdr.sb_len_wr, 0);
  EXPECT_EQ(tur.hdr.driver_status, 0);
  SgResult rs = SendIn(*sim, fd, {0x03, 0, 0, 0, 0xFF, 0}, 255);
  ASSERT_TRUE(rs.Good());
  EXPECT_EQ(rs.data[2] & 0x0F, 0x03);
  EXPECT_EQ(rs.data[12], 0x11);
  // Taken once: asked again it is gone.
  SgResult again = SendIn(*sim, fd, {0x03, 0, 0, 0, 0xFF, 0}, 255);
  EXPECT_EQ(again.data[2] & 0x0F, 0x00);
}

TEST(SimFaults, SenseShapes) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");

  SimFault descriptor = Check(0x00, 0x05, 0x24, 0x00, 1);
  descriptor.descriptor_sense = true;
  sim->InjectFault("/dev/sg0", descriptor);
  SgResult d = SendIn(*sim, fd, kTur, 0);
  ASSERT_TRUE(d.Check());
  EXPECT_EQ(d.sense[0], 0x72);
  EXPECT_EQ(d.Kcq(), 0x052400);
  EXPECT_EQ(d.sense[7] + 8u, d.sense.size());
  EXPECT_EQ(d.sense[8], 0x09);  // ATA status return descriptor first

  SimFault shorter = Check(0x00, 0x06, 0x29, 0x00, 1);
  shorter.sense_length = 8;
  sim->InjectFault("/dev/sg0", shorter);
  SgResult s = SendIn(*sim, fd, kTur, 0);
  ASSERT_TRUE(s.Check());
  EXPECT_EQ(s.hdr.sb_len_wr, 8);
}

TEST(SimFaults, TransportErrorsDoNotReachTheDrive) {
  auto sim = QuietBench();
  SimFault host;
  host.opcode = 0x1B;
  host.host_status = 0x03;  // DID_TIME_OUT
  host.count = 1;
  sim->InjectFault("/dev/sg0", host);
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult unload = SendIn(*sim, fd, {0x1B, 0, 0, 0, 0, 0}, 0);
  EXPECT_EQ(unload.rc, 0);
  EXPECT_EQ(unload.hdr.host_status, 0x03);
  EXPECT_EQ(unload.hdr.masked_status, 0);
  EXPECT_TRUE(sim->MediumLoaded("/dev/sg0"));

  SimFault driver;
  driver.driver_status = 0x06;  // DRIVER_TIMEOUT
  driver.count = 1;
  sim->InjectFault("/dev/sg0", driver);
  SgResult inq = SendIn(*sim, fd, kInquiry, 72);
  EXPECT_EQ(inq.hdr.driver_status, 0x06);
  EXPECT_EQ(inq.hdr.resid, 72);
}

TEST(SimFaults, IoctlAndOpenFailures) {
  auto sim = QuietBench();
  struct Case {
    const char* ioctl;
    unsigned long request;
  } cases[] = {{"sgio", SG_IO}, {"reserved", SG_GET_RESERVED_SIZE}, {"idlun", SCSI_IOCTL_GET_IDLUN}};
  for (const Case& c : cases) {
    ASSERT_TRUE(sim->ParseBench(std::string("fault /dev/sg0 ioctl=") + c.ioctl + " errno=5 count=1", nullptr));
    int fd = OpenNode(*sim, "/dev/sg0");
    uint8_t cdb[6] = {0};
    sg_io_hdr_t h{};
    h.interface_id = 'S';
    h.cmdp = cdb;
    h.cmd_len = 6;
    h.dxfer_direction = SG_DXFER_NONE;
    int words[2] = {0, 0};
    void* arg = c.request == SG_IO ? static_cast<void*>(&h) : static_cast<void*>(words);
    errno = 0;
    EXPECT_EQ(sim->Ioctl(fd, c.request, arg), -1) << c.ioctl;
    EXPECT_EQ(errno, EIO) << c.ioctl;
    EXPECT_EQ(sim->Ioctl(fd, c.request, arg), 0) << c.ioctl;  // once only
  }
  ASSERT_TRUE(sim->ParseBench("fault /dev/sg2 ioctl=open errno=13 count=1", nullptr));
  errno = 0;
  EXPECT_EQ(sim->Open("/dev/sg2", O_RDWR), -1);
  EXPECT_EQ(errno, EACCES);
  EXPECT_GT(sim->Open("/dev/sg2", O_RDWR), 0);
}

TEST(SimFaults, InquiryWithoutDataShortDataAndGarbage) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  const SgResult clean = SendIn(*sim, fd, kInquiry, 72);

  struct Case {
    const char* line;
    size_t moved;
  } cases[] = {
      {"fault /dev/sg0 op=0x12 data=0 count=1", 0},
      {"fault /dev/sg0 op=0x12 data=20 count=1", 20},
      {"fault /dev/sg0 op=0x12 garbage count=1", 72},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(sim->ParseBench(c.line, nullptr));
    SgResult r = SendIn(*sim, fd, kInquiry, 72);
    ASSERT_TRUE(r.Good()) << c.line;
    EXPECT_EQ(r.data.size(), c.moved) << c.line;
    EXPECT_EQ(r.hdr.resid, static_cast<int>(72 - c.moved)) << c.line;
    if (c.moved == 20) {
      EXPECT_TRUE(std::equal(r.data.begin(), r.data.end(), clean.data.begin()));
    }
    if (c.moved == 72) {
      EXPECT_NE(r.data, clean.data);
    }
  }
  EXPECT_EQ(SendIn(*sim, fd, kInquiry, 72).data, clean.data);
}

// A dropped command answers good status and is not carried out: the write
// of the second block is lost, the one after it takes its place.
TEST(SimFaults, ADroppedWriteIsAcknowledgedAndLost) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  ASSERT_TRUE(sim->ParseBench("fault /dev/sg0 op=0x0a skip=1 count=1 drop", nullptr));
  for (uint8_t block = 1; block <= 3; ++block)
    EXPECT_TRUE(SendOut(*sim, fd, {0x0A, 0, 0, 0, 4, 0}, {block, block, block, block}).Good());
  ASSERT_TRUE(SendIn(*sim, fd, {0x01, 0, 0, 0, 0, 0}, 0).Good());
  EXPECT_EQ(SendIn(*sim, fd, {0x08, 0, 0, 0, 4, 0}, 4).data, (std::vector<uint8_t>{1, 1, 1, 1}));
  EXPECT_EQ(SendIn(*sim, fd, {0x08, 0, 0, 0, 4, 0}, 4).data, (std::vector<uint8_t>{3, 3, 3, 3}));
}

TEST(SimFaults, AbsentAndUnreadableNodes) {
  auto sim = QuietBench();
  ASSERT_TRUE(sim->ParseBench("absent /dev/sg1\nunreadable /dev/sg2\n", nullptr));
  errno = 0;
  EXPECT_EQ(sim->Open("/dev/sg1", O_RDWR), -1);
  EXPECT_EQ(errno, ENOENT);
  errno = 0;
  EXPECT_EQ(sim->Open("/dev/sg2", O_RDWR), -1);
  EXPECT_EQ(errno, EACCES);
  sim->SetUnreadable("/dev/sg2", false);
  EXPECT_GT(sim->Open("/dev/sg2", O_RDWR), 0);
}

}  // namespace
