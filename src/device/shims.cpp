#include "device/shims.h"

#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/scsi_ioctl.h>
#include <scsi/sg.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/system.h"
#include "device/records.h"

namespace {

long localErrno = 0;
ShimFailure lastFailure{};

// A failed shim call: its reason stays here for the caller to report in its
// own context; the shims never write into the device layer's records.
void Fail(long code, const char* what, long systemErrno) {
  lastFailure.code = code;
  std::snprintf(lastFailure.context, sizeof lastFailure.context, "%s", what);
  lastFailure.systemErrno = systemErrno;
  localErrno = systemErrno;
}

// The sg reserved buffer we want for pass-through requests: room for the
// largest transfer the layer sends (its whole data buffer), so the driver
// never has to find more memory for one command, as sg_dd arranges too.
constexpr int kReservedSize = static_cast<int>(kDataBufferSize);
// The node whose reserved buffer was last checked.
int reservedHandle = -1;

void PutU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }

// SCSI_IO_GET_INQUIRY_DATA / SCSI_IO_GET_ADDRESS: one INQUIRY plus the
// node's address, in the Windows-style layouts callers parse.
int AddressQuery(int handle, unsigned long code, void* out, size_t outLen) {
  uint8_t cdb[6] = {0x12, 0, 0, 0, static_cast<uint8_t>(kProbeInquiryLength), 0};
  uint8_t inquiry[kProbeInquiryLength] = {};
  uint8_t sense[32] = {};
  sg_io_hdr_t io{};
  io.interface_id = 'S';
  io.dxfer_direction = SG_DXFER_FROM_DEV;
  io.cmd_len = sizeof cdb;
  io.mx_sb_len = sizeof sense;
  io.dxfer_len = sizeof inquiry;
  io.dxferp = inquiry;
  io.cmdp = cdb;
  io.sbp = sense;
  io.timeout = 60000;
  io.flags = 0;
  errno = 0;
  if (Sys().Ioctl(handle, SG_IO, &io) < 0) {
    Fail(errno, "DeviceIoControl - ioctl(SCSI_INQUIRY)", errno);
    return 0;
  }
  if (io.host_status != 0) {
    Fail(io.host_status, "DeviceIoControl - ioctl(SCSI_INQUIRY) host status error", errno);
    return -2;
  }
  int idlun[2] = {0, 0};
  if (Sys().Ioctl(handle, SCSI_IOCTL_GET_IDLUN, idlun) < 0) {
    Fail(errno, "DeviceIoControl - ioctl(SCSI_IOCTL_GET_IDLUN)", errno);
    return 0;
  }
  const uint8_t target = idlun[0] & 0xFF;
  const uint8_t lun = (idlun[0] >> 8) & 0xFF;
  const uint8_t channel = (idlun[0] >> 16) & 0xFF;
  const uint8_t host = (static_cast<unsigned>(idlun[0]) >> 24) & 0xFF;
  int busNumber = 0;
  Sys().Ioctl(handle, SCSI_IOCTL_GET_BUS_NUMBER, &busNumber);  // traced only

  if (out == nullptr) return 0;
  auto* o = static_cast<uint8_t*>(out);
  if (code == 6) {
    if (outLen < sizeof(SCSI_ADDRESS)) return 0;
    SCSI_ADDRESS address{sizeof(SCSI_ADDRESS), host, channel, target, lun};
    std::memcpy(o, &address, sizeof address);
  } else {
    if (outLen < kBusInfoSize) return 0;
    std::memset(o, 0, kBusInfoSize);
    o[0] = 1;  // buses
    o[4] = 1;  // logical units on bus 0
    o[5] = 1;  // initiator bus id
    PutU32(o + 8, kBusInfoFirstEntry);
    uint8_t* entry = o + kBusInfoFirstEntry;
    entry[0] = host;
    entry[1] = channel;
    entry[2] = target;
    entry[3] = lun;
    entry[4] = 0;  // claimed
    int received = static_cast<int>(kProbeInquiryLength) - io.resid;
    if (received < 0) received = 0;
    if (received > static_cast<int>(kProbeInquiryLength)) received = kProbeInquiryLength;
    PutU32(entry + 8, static_cast<uint32_t>(received));
    PutU32(entry + 12, 0);
    std::memcpy(entry + kInquiryEntryHeader, inquiry, static_cast<size_t>(received));
  }
  PrintSGIO(&io, &io);
  return 1;
}

int PassThrough(int handle, void* in) {
  if (in == nullptr) return 0;
  auto* r = static_cast<_SCSI_STRUCT*>(in);
  sg_io_hdr_t io{};
  io.interface_id = 'S';
  io.dxfer_direction = r->DataIn == kDataIn    ? SG_DXFER_FROM_DEV
                       : r->DataIn == kDataOut ? SG_DXFER_TO_DEV
                                               : SG_DXFER_NONE;
  io.cmd_len = r->CdbLength;
  io.mx_sb_len = sizeof r->SenseBuffer;
  io.dxfer_len = io.dxfer_direction == SG_DXFER_NONE ? 0 : r->DataTransferLength;
  io.dxferp = r->DataBuffer;
  io.cmdp = r->Cdb;
  io.sbp = r->SenseBuffer;
  io.timeout = r->TimeOutValue * 1000u;
  io.flags = 0;

  // Once per node: asking the driver again on every command would double
  // the system calls of a short command.
  if (handle != reservedHandle) {
    int reserved = 0;
    if (Sys().Ioctl(handle, SG_GET_RESERVED_SIZE, &reserved) >= 0 && reserved < kReservedSize) {
      int wanted = kReservedSize;
      Sys().Ioctl(handle, SG_SET_RESERVED_SIZE, &wanted);
    }
    reservedHandle = handle;
  }

  errno = 0;
  const int rc = Sys().Ioctl(handle, SG_IO, &io);
  const int saved = errno;
  r->ScsiStatus = io.masked_status;
  r->HostStatus = io.host_status & 0xFF;
  r->DriverStatus = io.driver_status & 0xFF;
  const long moved = static_cast<long>(io.dxfer_len) - io.resid;
  r->DataTransferLength = moved < 0 ? 0 : static_cast<uint32_t>(moved);
  r->SenseInfoLength = io.sb_len_wr > io.mx_sb_len ? io.mx_sb_len : io.sb_len_wr;
  PrintSGIO(&io, &io);
  if (rc < 0) {
    Fail(saved, "DeviceIoControl - ioctl(SCSI_PASS_THROUGH_DIRECT)", saved);
    return 0;
  }
  return 1;
}

}  // namespace

int CreateFile(const char* path, unsigned, unsigned, void*, unsigned, unsigned, void*) {
  errno = 0;
  int handle = path == nullptr ? -1 : Sys().Open(path, O_RDWR | O_NONBLOCK);
  if (handle < 1) {
    const int saved = path == nullptr ? EINVAL : errno;
    char text[192];
    std::snprintf(text, sizeof text, "CreateFile - Error Opening %s.", path == nullptr ? "" : path);
    Fail(saved, text, saved);
    if (handle > 0) Sys().Close(handle);
    return -1;
  }
  const int flags = Sys().Fcntl(handle, F_GETFL, 0);
  if (flags >= 0) Sys().Fcntl(handle, F_SETFL, flags & ~O_NONBLOCK);
  return handle;
}

int CloseHandle(int handle) {
  if (handle < 1) return 0;
  if (handle == reservedHandle) reservedHandle = -1;  // the number may come back for another node
  return Sys().Close(handle) == 0 ? 1 : 0;
}

int DeviceIoControl(int handle, unsigned long code, void* in, size_t, void* out, size_t outLen, unsigned long*, void*) {
  if (handle <= 0) {
    Fail(errno, "DeviceIoControl - Bad File Descriptor", errno);
    return -1;
  }
  switch (code) {
    case SCSI_IO_GET_INQUIRY_DATA:
    case SCSI_IO_GET_ADDRESS:
      return AddressQuery(handle, code, out, outLen);
    case SCSI_IO_RESCAN_BUS:
    case SCSI_IO_RESCAN_BUS2:
      return 1;
    case SCSI_IO_PASS_THROUGH:
    case SCSI_IO_PASS_THROUGH_DIRECT:
      return PassThrough(handle, in);
    default:
      std::fputs("Unknown dwIoControlCode", stdout);
      Fail(errno, "DeviceIoControl - Unknown dwIoControlCode", errno);
      return 0;
  }
}

long GetLastError() { return localErrno; }

const ShimFailure& LastShimFailure() { return lastFailure; }

void SetLastError(long value) { localErrno = value; }

void WaitFor(long seconds, long milliseconds) {
  Sys().Wait(seconds + milliseconds / 1000, (milliseconds % 1000) * 1000);
}

void Sleep(unsigned long milliseconds) {
  WaitFor(static_cast<long>(milliseconds / 1000), static_cast<long>(milliseconds % 1000));
}

void ZeroMemory(void* p, size_t n) {
  if (p != nullptr && n > 0) std::memset(p, 0, n);
}

void PrintSGIO(const void*, const void*) {}
