// The command path must not allocate: one data buffer serves every command.
// A minimal system that itself never allocates answers the commands, and
// every operator new of this test program is counted while commands run.
#include <gtest/gtest.h>
#include <scsi/scsi.h>
#include <scsi/scsi_ioctl.h>
#include <scsi/sg.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "base/system.h"
#include "device/scsi_int.h"

namespace {

bool g_counting = false;
long g_allocations = 0;

void* Allocate(size_t size) {
  if (g_counting) ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

// One tape drive on /dev/sg0. INQUIRY answers; opcode 0x55 fails with sense
// bytes, 0x15 fails without them (so the layer asks with REQUEST SENSE).
class QuietSystem final : public System {
 public:
  int Open(const char* path, int) override {
    if (std::strcmp(path, "/dev/sg0") != 0) {
      errno = ENOENT;
      return -1;
    }
    return 3;
  }
  int Fcntl(int, int, long) override { return 0; }
  int Close(int) override { return 0; }
  struct timeval Now() override {
    return {1000, 0};
  }
  void Wait(long, long) override {}
  int SetUid(uid_t) override { return 0; }
  uid_t GetUid() override { return 0; }
  int Shell(const char*) override { return 0; }

  int Ioctl(int, unsigned long request, void* arg) override {
    if (request == SCSI_IOCTL_GET_IDLUN) {
      static_cast<int*>(arg)[0] = 0;
      return 0;
    }
    if (request == SG_GET_RESERVED_SIZE) {
      *static_cast<int*>(arg) = 0x20000;
      return 0;
    }
    if (request != SG_IO) return 0;
    auto* h = static_cast<sg_io_hdr_t*>(arg);
    const uint8_t op = h->cmdp[0];
    auto* data = static_cast<uint8_t*>(h->dxferp);
    h->masked_status = h->host_status = h->driver_status = 0;
    h->sb_len_wr = 0;
    h->resid = 0;
    if (op == 0x12 && h->dxfer_len >= 36) {
      std::memset(data, 0, h->dxfer_len);
      data[0] = 0x01;
      std::memcpy(data + 8, "HALCYON DAT160          V7A2", 28);
    } else if (op == 0x03 && h->dxfer_len >= 18) {
      std::memset(data, 0, 18);
      data[0] = 0x70;
      data[2] = 0x02;
      data[12] = 0x3A;
      h->resid = static_cast<int>(h->dxfer_len) - 18;
    } else if (op == 0x55 || op == 0x15) {
      h->masked_status = 1;
      if (op == 0x55) {
        h->sbp[0] = 0x70;
        h->sbp[2] = 0x05;
        h->sbp[12] = 0x24;
        h->sb_len_wr = 18;
        h->driver_status = 8;
      }
    }
    return 0;
  }
};

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  if (g_counting) ++g_allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

TEST(CommandPath, SendsWithoutAllocating) {
  auto previous = InstallSystem(std::make_unique<QuietSystem>());
  ASSERT_EQ(SCSI.ScanDevices(1, 1, 1, 1, nullptr), 1);
  SCSI.SetDeviceIndex(0);

  const uint8_t inquiry[6] = {0x12, 0, 0, 0, 0x60, 0};
  const uint8_t modeSelect10[10] = {0x55, 0x10, 0, 0, 0, 0, 0, 0, 0x10, 0};
  const uint8_t modeSelect6[6] = {0x15, 0x10, 0, 0, 0x10, 0};
  uint8_t data[96] = {};
  g_allocations = 0;
  g_counting = true;
  const long in = SCSI.SendCdb(kDataIn, inquiry, 6, "Test", data, sizeof data);
  const long withSense = SCSI.SendCdb(kDataOut, modeSelect10, 10, "Test", data, 16);
  const long askedSense = SCSI.SendCdb(kDataOut, modeSelect6, 6, "Test", data, 16);
  const char* text = SCSI.GetErrorBuffer();
  g_counting = false;

  EXPECT_EQ(in, 96);
  EXPECT_EQ(withSense, -2);
  EXPECT_EQ(askedSense, -2);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x00023A00);
  EXPECT_NE(std::strstr(text, "MEDIUM NOT PRESENT."), nullptr);
  EXPECT_EQ(g_allocations, 0);

  SCSI.ClearScsiList();
  InstallSystem(std::move(previous));
}
