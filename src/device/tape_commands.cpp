// The few tape commands identification, tracing and recovery rely on.
#include <cstdio>
#include <cstring>

#include "base/byte_order.h"
#include "device/scsi_int.h"

namespace {

constexpr long kModeSenseAllocation = 0xFFFF;

}  // namespace

long ScsiInt::SimpleCommand(const uint8_t* cdb, int cdbLength, const char* caller) {
  return SendCdb(kDataNone, cdb, cdbLength, caller, nullptr, 0);
}

long ScsiInt::ReadinessProbes(int count) {
  for (int i = 0; i < count; ++i) TestUnitReady();
  return 1;
}

long ScsiInt::TestUnitReady() {
  const uint8_t cdb[6] = {0x00, 0, 0, 0, 0, 0};
  return SimpleCommand(cdb, sizeof cdb, "TestUnitReady()");
}

long ScsiInt::ReadPosition() {
  if (!Ready()) return -3;
  constexpr long kLength = 32;
  std::memset(record_->Cdb, 0, sizeof record_->Cdb);
  record_->Cdb[0] = 0x34;
  record_->Cdb[1] = 0x06;
  std::memset(dataBuffer_, 0, kLength);
  const long result = DevIo(kLength, 10, kDataIn, "ReadPosition", true);
  if (result > 0 && debug_)
    std::fprintf(stderr, "\n Position = 0x%04lX\n", static_cast<unsigned long>(be::Read32(dataBuffer_ + 12)));
  return result;
}

long ScsiInt::ModeSense(int page, const char* caller) {
  if (!Ready()) return -3;
  char context[160];
  std::snprintf(context, sizeof context, "%s-ModeSense(%02X)", caller == nullptr ? "" : caller, page & 0xFF);
  std::memset(record_->Cdb, 0, sizeof record_->Cdb);
  record_->Cdb[0] = 0x5A;
  record_->Cdb[2] = static_cast<uint8_t>(page);
  record_->Cdb[7] = 0xFF;
  record_->Cdb[8] = 0xFF;
  std::memset(dataBuffer_, 0, kModeSenseAllocation);
  const long result = DevIo(kModeSenseAllocation, 10, kDataIn, context, true);
  _SCSI_DEVICE& d = *device_;
  if (result < 1) {
    // Nothing of an earlier answer may be read as this page.
    d.modeBuffer.clear();
    d.modeSize = 0;
    return result < 0 ? result : -5;
  }
  // The header's length may lie: never take more than the drive sent.
  long length = static_cast<long>(be::Read16(dataBuffer_)) + 2;
  const long received = result > 0 ? static_cast<long>(record_->DataTransferLength) : 0;
  if (length > received) length = received;
  bufferedMode_ = (dataBuffer_[3] >> 4) & 1;
  d.modeBuffer.assign(static_cast<size_t>(length) + 1, 0);
  std::memcpy(d.modeBuffer.data(), dataBuffer_, static_cast<size_t>(length));
  d.modeSize = static_cast<int32_t>(length);
  d.byteCount = length;
  return result;
}

long ScsiInt::ModeSelect(long length, const uint8_t* data, const char* caller, bool tenByte) {
  if (!Ready()) return -3;
  PerformanceStart();
  _SCSI_DEVICE& d = *device_;
  const long maximum = static_cast<long>(d.maxTransfer < kDataBufferSize ? d.maxTransfer : kDataBufferSize);
  const bool longForm = d.familyCode == 0 || d.familyCode == 1 || IsLTO(d.familyCode) || tenByte;
  if (length < 0 || length > maximum || (!longForm && length > 0xFF) || (length > 0 && data == nullptr)) {
    FormatText(d.devError, "ModeSelect() - Requested transfer (%ld) exceeds maximum capability (%ld).", length,
               longForm ? maximum : 0xFFL);
    return -3;
  }
  char context[160];
  std::snprintf(context, sizeof context, "%s-ModeSelect()", caller == nullptr ? "" : caller);
  if (length > 0) std::memmove(dataBuffer_, data, static_cast<size_t>(length));
  std::memset(record_->Cdb, 0, sizeof record_->Cdb);
  int cdbLength;
  if (longForm) {
    if (length > 3) dataBuffer_[3] = 0x10;  // buffered mode
    record_->Cdb[0] = 0x55;
    record_->Cdb[1] = 0x10;
    record_->Cdb[7] = static_cast<uint8_t>(length >> 8);
    record_->Cdb[8] = static_cast<uint8_t>(length);
    cdbLength = 10;
  } else {
    if (length > 2) dataBuffer_[2] = 0x10;
    record_->Cdb[0] = 0x15;
    record_->Cdb[1] = 0x10;
    record_->Cdb[4] = static_cast<uint8_t>(length);
    cdbLength = 6;
  }
  d.modeBuffer.assign(dataBuffer_, dataBuffer_ + length);
  d.modeSize = static_cast<int32_t>(length);
  const long result = DevIo(length, cdbLength, kDataOut, context, true);
  if (result > 0) {
    d.bytesWritten += static_cast<uint64_t>(length);
    PerformanceStop(2, true);
  }
  return result;
}

const uint8_t* ScsiInt::GetModeBuffer() {
  return device_ == nullptr || device_->modeBuffer.empty() ? nullptr : device_->modeBuffer.data();
}

long ScsiInt::GetModeSize() { return device_ == nullptr ? -1 : device_->modeSize; }
