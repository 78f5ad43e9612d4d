// The sg driver's side of the seam: nodes, descriptors and the ioctls.
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

TEST(SimNodes, OpenFailsLikeTheKernelForMissingAndForbiddenNodes) {
  auto sim = QuietBench();
  sim->SetUnreadable("/dev/sg2", true);
  struct Case {
    const char* path;
    int error;
  } cases[] = {
      {"/dev/sg5", ENOENT}, {"/dev/sg16", ENOENT}, {"/dev/sg", ENOENT}, {"/etc/passwd", ENOENT}, {"/dev/sg2", EACCES},
  };
  for (const Case& c : cases) {
    errno = 0;
    EXPECT_EQ(sim->Open(c.path, O_RDWR), -1) << c.path;
    EXPECT_EQ(errno, c.error) << c.path;
  }
  int fd = sim->Open("/dev/sg0", O_RDWR);
  EXPECT_GT(fd, 2);
  EXPECT_NE(fd, 32);
  EXPECT_EQ(sim->Close(fd), 0);
  EXPECT_EQ(sim->OpenDescriptors(), 0);
}

TEST(SimNodes, BadDescriptorsGiveEbadf) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  ASSERT_EQ(sim->Close(fd), 0);
  int size = 0;
  errno = 0;
  EXPECT_EQ(sim->Ioctl(fd, SG_GET_RESERVED_SIZE, &size), -1);
  EXPECT_EQ(errno, EBADF);
  errno = 0;
  EXPECT_EQ(sim->Close(fd), -1);
  EXPECT_EQ(errno, EBADF);
  errno = 0;
  EXPECT_EQ(sim->Fcntl(-1, F_GETFL, 0), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST(SimNodes, FcntlKeepsTheAccessModeAndChangesTheStatusFlags) {
  auto sim = QuietBench();
  int fd = sim->Open("/dev/sg0", O_RDWR | O_NONBLOCK);
  EXPECT_EQ(sim->Fcntl(fd, F_GETFL, 0), O_RDWR | O_NONBLOCK);
  EXPECT_EQ(sim->Fcntl(fd, F_SETFL, O_RDONLY), 0);
  EXPECT_EQ(sim->Fcntl(fd, F_GETFL, 0), O_RDWR);
}

TEST(SimIoctl, IdLunWordPacksTargetLunChannelAndHost) {
  SimSystem sim;
  struct Case {
    int host, channel, target, lun;
    int word;
  } cases[] = {
      {0, 0, 0, 0, 0x00000000},
      {0, 0, 0, 1, 0x00000100},
      {2, 1, 5, 3, 0x02010305},
      {255, 7, 15, 255, static_cast<int>(0xFF07FF0Fu)},
  };
  int n = 0;
  for (const Case& c : cases) {
    SimDeviceConfig config;
    config.node = "/dev/sg" + std::to_string(n++);
    config.host = c.host, config.channel = c.channel, config.target = c.target, config.lun = c.lun;
    ASSERT_TRUE(sim.AddDevice(config));
    int fd = OpenNode(sim, config.node);
    int id[2] = {-1, -1};
    ASSERT_EQ(sim.Ioctl(fd, SCSI_IOCTL_GET_IDLUN, id), 0);
    EXPECT_EQ(id[0], c.word) << config.node;
    int bus = -1;
    ASSERT_EQ(sim.Ioctl(fd, SCSI_IOCTL_GET_BUS_NUMBER, &bus), 0);
    EXPECT_EQ(bus, c.host);
  }
}

TEST(SimIoctl, ReservedSizeIsPerDescriptorAndRefusesNegativeSizes) {
  auto sim = QuietBench();
  int a = OpenNode(*sim, "/dev/sg0");
  int b = OpenNode(*sim, "/dev/sg0");
  int size = 0;
  ASSERT_EQ(sim->Ioctl(a, SG_GET_RESERVED_SIZE, &size), 0);
  EXPECT_EQ(size, 32768);
  int wanted = 131072;
  ASSERT_EQ(sim->Ioctl(a, SG_SET_RESERVED_SIZE, &wanted), 0);
  ASSERT_EQ(sim->Ioctl(a, SG_GET_RESERVED_SIZE, &size), 0);
  EXPECT_EQ(size, 131072);
  ASSERT_EQ(sim->Ioctl(b, SG_GET_RESERVED_SIZE, &size), 0);
  EXPECT_EQ(size, 32768);
  wanted = -1;
  errno = 0;
  EXPECT_EQ(sim->Ioctl(a, SG_SET_RESERVED_SIZE, &wanted), -1);
  EXPECT_EQ(errno, EINVAL);
}

TEST(SimIoctl, SgIoRefusesMalformedHeaders) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  uint8_t cdb[6] = {0x00};
  sg_io_hdr_t h{};
  h.interface_id = 'Q';
  h.cmdp = cdb;
  h.cmd_len = 6;
  h.dxfer_direction = SG_DXFER_NONE;
  errno = 0;
  EXPECT_EQ(sim->Ioctl(fd, SG_IO, &h), -1);
  EXPECT_EQ(errno, ENOSYS);
  h.interface_id = 'S';
  h.cmd_len = 3;
  errno = 0;
  EXPECT_EQ(sim->Ioctl(fd, SG_IO, &h), -1);
  EXPECT_EQ(errno, EINVAL);
  errno = 0;
  EXPECT_EQ(sim->Ioctl(fd, 0x1234, &h), -1);
  EXPECT_EQ(errno, EINVAL);
}

TEST(SimIoctl, SgIoReportsResidualForShortAnswers) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  // The device layer's probe asks for 48 bytes; READ BLOCK LIMITS moves 6 of 128.
  SgResult inq = SendIn(*sim, fd, {0x12, 0, 0, 0, 48, 0}, 48);
  ASSERT_TRUE(inq.Good());
  EXPECT_EQ(inq.hdr.resid, 0);
  SgResult limits = SendIn(*sim, fd, {0x05, 0, 0, 0, 0, 0}, 128);
  ASSERT_TRUE(limits.Good());
  EXPECT_EQ(limits.hdr.resid, 122);
  EXPECT_EQ(limits.data.size(), 6u);
  EXPECT_EQ(limits.hdr.sb_len_wr, 0);
  EXPECT_EQ(limits.hdr.driver_status, 0);
}

TEST(SimIoctl, CheckConditionFillsStatusSenseAndDriverSense) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg2");  // DAT drive without a cartridge
  SgResult tur = SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
  ASSERT_TRUE(tur.Check());
  EXPECT_EQ(tur.hdr.status, 0x02);
  EXPECT_EQ(tur.hdr.driver_status, 0x08);
  EXPECT_EQ(tur.hdr.host_status, 0);
  EXPECT_EQ(tur.Kcq(), 0x023A00);
  EXPECT_EQ(tur.sense[0], 0x70);
  EXPECT_GE(tur.sense.size(), 18u);
  EXPECT_EQ(tur.sense[7] + 8u, tur.sense.size());
  EXPECT_NE(tur.hdr.info & SG_INFO_CHECK, 0u);

  // The sense is cut to mx_sb_len, and a failed data-in moves nothing.
  SgResult rd = SendIn(*sim, fd, {0x08, 0, 0, 0x10, 0, 0}, 4096, 14);
  ASSERT_TRUE(rd.Check());
  EXPECT_EQ(rd.hdr.sb_len_wr, 14);
  EXPECT_EQ(rd.Kcq(), 0x023A00);
  EXPECT_EQ(rd.hdr.resid, 4096);
}

TEST(SimIoctl, UnknownOpcodeAndInvalidFieldAreIllegalRequests) {
  auto sim = QuietBench();
  int fd = OpenNode(*sim, "/dev/sg0");
  SgResult unknown = SendIn(*sim, fd, {0xE7, 0, 0, 0, 0, 0}, 0);
  ASSERT_TRUE(unknown.Check());
  EXPECT_EQ(unknown.Kcq(), 0x052000);
  SgResult badpage = SendIn(*sim, fd, {0x12, 0x01, 0x77, 0, 64, 0}, 64);
  ASSERT_TRUE(badpage.Check());
  EXPECT_EQ(badpage.Kcq(), 0x052400);
  EXPECT_EQ(badpage.sense[15], 0xC0);  // field pointer valid, in the CDB
  EXPECT_EQ(badpage.sense[17], 2);     // byte 2: the page code
}

}  // namespace
