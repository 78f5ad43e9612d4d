// Tape motion and data: load, unload, positioning, filemarks, reads and
// writes, medium removal and SEND DIAGNOSTIC.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/byte_order.h"
#include "device/scsi_int.h"

namespace {

constexpr long kRemovalTimeout = 15;
// WriteData puts a filemark after this many bytes' worth of records.
constexpr int64_t kFilemarkSpan = 50000000;

}  // namespace

long ScsiInt::WithTimeout(long seconds, const uint8_t* cdb, int cdbLength, const char* caller) {
  if (!Ready()) return -3;
  const long saved = GetTimeout();
  SetTimeout(seconds);
  const long result = SendCdb(kDataNone, cdb, cdbLength, caller, nullptr, 0);
  SetTimeout(saved);
  return result;
}

long ScsiInt::DataCommand(const uint8_t* cdb, int cdbLength, int direction, long length, const char* caller) {
  if (!Ready()) return -3;
  std::memset(record_->Cdb, 0, sizeof record_->Cdb);
  std::memcpy(record_->Cdb, cdb, static_cast<size_t>(cdbLength));
  return DevIo(length, cdbLength, direction, caller, true);
}

// The largest transfer the device takes; -3 with the device error text when
// `length` is beyond it.
long ScsiInt::TransferLimit(long length, const char* name) {
  const _SCSI_DEVICE& d = *device_;
  const long maximum = static_cast<long>(std::min<uint64_t>(d.maxTransfer, kDataBufferSize));
  if (length >= 0 && length <= maximum) return 1;
  FormatText(device_->devError, "%s - Requested transfer (%ld) exceeds maximum capability (%ld).", name, length,
             maximum);
  return -3;
}

long ScsiInt::Load() {
  const uint8_t cdb[6] = {0x1B, 0, 0, 0, 0x01, 0};
  return SimpleCommand(cdb, sizeof cdb, "Load()");
}

long ScsiInt::Unload(long seconds) {
  if (!Ready()) return -3;
  // Family 44 ejects the cartridge as well.
  const uint8_t cdb[6] = {0x1B, 0, 0, 0, static_cast<uint8_t>(device_->familyCode == 44 ? 0x02 : 0x00), 0};
  return WithTimeout(seconds, cdb, sizeof cdb, "Unload()");
}

long ScsiInt::Rewind(long seconds) {
  const uint8_t cdb[6] = {0x01, 0, 0, 0, 0, 0};
  return WithTimeout(seconds, cdb, sizeof cdb, "Rewind()");
}

long ScsiInt::Erase() {
  const uint8_t cdb[6] = {0x19, 0, 0, 0, 0, 0};  // short erase: end of data here
  return SimpleCommand(cdb, sizeof cdb, "Erase()");
}

long ScsiInt::SetMediumRemoval(bool prevent) {
  const uint8_t cdb[6] = {0x1E, 0, 0, 0, static_cast<uint8_t>(prevent ? 0x01 : 0x00), 0};
  return WithTimeout(kRemovalTimeout, cdb, sizeof cdb, "Unload()");
}

long ScsiInt::Locate(int partition, long block) {
  uint8_t cdb[10] = {0x2B, 0x02};  // change partition
  be::Write(cdb + 3, 4, static_cast<uint64_t>(block));
  cdb[8] = static_cast<uint8_t>(partition);
  char caller[64];
  std::snprintf(caller, sizeof caller, "Locate(%d-%ld)", partition, block);
  // LOCATE moves no data.
  return DataCommand(cdb, sizeof cdb, kDataNone, 0, caller);
}

long ScsiInt::Space(long count) {
  uint8_t cdb[6] = {0x11, 0x01};  // filemarks
  be::Write(cdb + 2, 3, static_cast<uint64_t>(count) & 0xFFFFFF);
  char caller[64];
  std::snprintf(caller, sizeof caller, "Space(%ld)", count);
  return DataCommand(cdb, sizeof cdb, kDataNone, 0, caller);
}

long ScsiInt::WriteFileMark(int count) {
  const uint8_t cdb[6] = {0x10, 0, 0, 0, static_cast<uint8_t>(count), 0};
  char caller[64];
  std::snprintf(caller, sizeof caller, "WriteFileMark(%d)", count);
  return DataCommand(cdb, sizeof cdb, kDataNone, 0, caller);
}

long ScsiInt::Write(const uint8_t* data, long length) {
  if (!Ready()) return -3;
  if (debug_) ReadPosition();
  PerformanceStart();
  if (TransferLimit(length, "Write()") < 0 || (length > 0 && data == nullptr)) return -3;
  if (length > 0 && data != dataBuffer_) std::memcpy(dataBuffer_, data, static_cast<size_t>(length));
  uint8_t cdb[6] = {0x0A, 0x00};
  be::Write(cdb + 2, 3, static_cast<uint64_t>(length));
  char caller[64];
  std::snprintf(caller, sizeof caller, "Write(%ld)", length);
  const long result = DataCommand(cdb, sizeof cdb, kDataOut, length, caller);
  if (result > 0) {
    device_->bytesWritten += static_cast<uint64_t>(length);
    PerformanceStop(2, true);
  }
  return result;
}

long ScsiInt::WriteBlock(const uint8_t* data, long blocks) {
  if (!Ready()) return -3;
  if (debug_) ReadPosition();
  PerformanceStart();
  const long length = blocks * currentBlockSize_;
  if (blocks < 0 || TransferLimit(length, "WriteBlock()") < 0 || (length > 0 && data == nullptr)) return -3;
  if (length > 0 && data != dataBuffer_) std::memcpy(dataBuffer_, data, static_cast<size_t>(length));
  uint8_t cdb[6] = {0x0A, 0x01};
  be::Write(cdb + 2, 3, static_cast<uint64_t>(blocks));
  char caller[64];
  std::snprintf(caller, sizeof caller, "WriteBlock(%ld-%ld)", blocks, currentBlockSize_);
  const long result = DataCommand(cdb, sizeof cdb, kDataOut, length, caller);
  if (result > 0) {
    device_->bytesWritten += static_cast<uint64_t>(length);
    PerformanceStop(2, true);
  }
  return result;
}

long ScsiInt::Read(long length) {
  if (!Ready()) return -3;
  PerformanceStart();
  if (TransferLimit(length, "Read()") < 0) return -3;
  uint8_t cdb[6] = {0x08, 0x00};
  be::Write(cdb + 2, 3, static_cast<uint64_t>(length));
  char caller[64];
  std::snprintf(caller, sizeof caller, "Read(%ld)", length);
  device_->residual = 0;
  const long result = DataCommand(cdb, sizeof cdb, kDataIn, length, caller);
  _SCSI_DEVICE& d = *device_;
  if (result > 0 || d.residual != 0) {
    // A shorter block leaves its residual: count what arrived, and leave
    // nothing of an earlier command behind it in the buffer.
    const long arrived = d.residual > 0 ? std::max(0L, length - d.residual) : length;
    if (arrived < length) std::memset(dataBuffer_ + arrived, 0, static_cast<size_t>(length - arrived));
    d.bytesRead += static_cast<uint64_t>(arrived);
    d.byteCount = arrived;
    PerformanceStop(3, true);
  }
  return result;
}

long ScsiInt::ReadBlock(long blocks) {
  if (!Ready()) return -3;
  if (debug_) ReadPosition();
  PerformanceStart();
  const long length = blocks * currentBlockSize_;
  if (blocks < 0 || TransferLimit(length, "ReadBlock()") < 0) return -3;
  uint8_t cdb[6] = {0x08, 0x01};
  be::Write(cdb + 2, 3, static_cast<uint64_t>(blocks));
  char caller[64];
  std::snprintf(caller, sizeof caller, "ReadBlock(%ld-%ld)", blocks, currentBlockSize_);
  const long result = DataCommand(cdb, sizeof cdb, kDataIn, length, caller);
  if (result > 0) {
    device_->bytesRead += static_cast<uint64_t>(length);
    device_->byteCount = length;
    PerformanceStop(3, true);
  }
  return result;
}

int64_t ScsiInt::WriteData(const uint8_t* data, long length, long count) {
  // The record at which the running total first passes the span.
  long interval = 0;
  int64_t sum = 0;
  for (long record = 1; record <= count && length > 0; ++record) {
    sum += length;
    if (sum > kFilemarkSpan) {
      interval = record;
      break;
    }
  }
  int64_t written = 0;
  long sinceMark = 0;
  for (long record = 0; record < count; ++record) {
    if (Write(data, length) < 1) break;
    written += length;
    if (++sinceMark > interval) {
      WriteFileMark(1);
      sinceMark = 1;
    }
  }
  return written;
}

long ScsiInt::Diag(int mode, const uint8_t* data, long length) {
  if (!Ready()) return -3;
  uint8_t cdb[6] = {0x1D};
  long result;
  if (length <= 0) {
    cdb[1] = mode == 1 ? 0x04 : 0x05;  // self-test, or self-test off-line
    result = DataCommand(cdb, sizeof cdb, kDataNone, 0, "Diag()");
  } else {
    if (TransferLimit(length, "Diag()") < 0 || data == nullptr || length > 0xFFFF) return -3;
    if (data != dataBuffer_) std::memcpy(dataBuffer_, data, static_cast<size_t>(length));
    cdb[1] = static_cast<uint8_t>(mode);
    be::Write(cdb + 3, 2, static_cast<uint64_t>(length));
    result = DataCommand(cdb, sizeof cdb, kDataOut, length, "Diag()");
  }
  device_->diagnosticRun = 1;
  return result;
}
