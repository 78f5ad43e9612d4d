// Per-device timing of reads and writes and the rates derived from it.
#include "base/system.h"
#include "device/scsi_int.h"

namespace {

constexpr double kMiB = 1.0 / 1048576.0;

int64_t Stamp() {
  const struct timeval now = Sys().Now();
  return static_cast<int64_t>(now.tv_sec % 10000000) * 1000 + now.tv_usec / 1000;
}

}  // namespace

void ScsiInt::PerformanceStart() {
  if (device_ == nullptr || !device_->timing) return;
  device_->startStamp = Stamp();
}

void ScsiInt::PerformanceStop(int kind, bool sample) {
  if (device_ == nullptr || !device_->timing) return;
  _SCSI_DEVICE& d = *device_;
  d.stopStamp = Stamp();
  const int64_t spent = d.stopStamp - d.startStamp;
  const bool write = kind == 2;
  int64_t& elapsed = write ? d.writeElapsed : d.readElapsed;
  const uint64_t bytes = write ? d.bytesWritten : d.bytesRead;
  double& secs = write ? d.writeSecs : d.readSecs;
  elapsed += spent;
  secs = static_cast<double>(elapsed + 1) / 1000.0;
  (write ? d.writeRateAvg : d.readRateAvg) = static_cast<double>(bytes) * kMiB / secs;
  if (!sample) return;
  int64_t& checkElapsed = write ? d.writeCheckElapsed : d.readCheckElapsed;
  uint64_t& checkBytes = write ? d.writeCheckBytes : d.readCheckBytes;
  const double interval = static_cast<double>(elapsed - checkElapsed + 1) / 1000.0;
  (write ? d.writeRate : d.readRate) = static_cast<double>(bytes - checkBytes) * kMiB / interval;
  checkElapsed = elapsed;
  checkBytes = bytes;
}
