// Windows-style system calls over the Linux sg driver. The device layer is
// written against these; they reach the OS only through Sys().
#pragma once

#include <cstddef>
#include <cstdint>

// DeviceIoControl codes.
inline constexpr unsigned long SCSI_IO_GET_INQUIRY_DATA = 3;
inline constexpr unsigned long SCSI_IO_RESCAN_BUS = 4;
inline constexpr unsigned long SCSI_IO_PASS_THROUGH = 5;
inline constexpr unsigned long SCSI_IO_GET_ADDRESS = 6;
inline constexpr unsigned long SCSI_IO_RESCAN_BUS2 = 7;
inline constexpr unsigned long SCSI_IO_PASS_THROUGH_DIRECT = 16;

// The bus-information block written by SCSI_IO_GET_INQUIRY_DATA:
// byte 0 number of buses; bus entries of 8 bytes from byte 4 (units,
// initiator bus id, 2 spare, u32 offset of the first inquiry entry); each
// inquiry entry: host, channel, target, lun, claimed, 3 spare, u32 inquiry
// length, u32 offset of the next entry (0: none), the inquiry bytes.
inline constexpr size_t kBusInfoFirstEntry = 20;
inline constexpr size_t kInquiryEntryHeader = 16;
inline constexpr size_t kProbeInquiryLength = 48;
inline constexpr size_t kBusInfoSize = kBusInfoFirstEntry + kInquiryEntryHeader + kProbeInquiryLength;

// The address record written by SCSI_IO_GET_ADDRESS.
struct SCSI_ADDRESS {
  uint32_t Length;
  uint8_t PortNumber;
  uint8_t PathId;
  uint8_t TargetId;
  uint8_t Lun;
};

// Why the latest failing shim call failed: the code (an errno, or the host
// status of the inquiry query), the call in words, and the errno it left
// (also GetLastError()). The caller reports it in its own context.
struct ShimFailure {
  long code;
  char context[192];
  long systemErrno;
};
const ShimFailure& LastShimFailure();

// Opens a node read-write; -1 on failure (reason in LastShimFailure()).
int CreateFile(const char* path, unsigned access = 0xC, unsigned share = 3, void* security = nullptr,
               unsigned creation = 0x10, unsigned flags = 0, void* tmpl = nullptr);
int CloseHandle(int handle);
// 1 success, 0 failure, -1 bad handle, -2 host-status error of the inquiry query.
// `outLen` bounds what is written at `out`.
int DeviceIoControl(int handle, unsigned long code, void* in, size_t inLen, void* out, size_t outLen,
                    unsigned long* bytesReturned = nullptr, void* overlapped = nullptr);
long GetLastError();
void SetLastError(long value);
void WaitFor(long seconds, long milliseconds);
void Sleep(unsigned long milliseconds);
void ZeroMemory(void* p, size_t n);
// Trace hook for every sg request/response; does nothing.
void PrintSGIO(const void* request, const void* response);
