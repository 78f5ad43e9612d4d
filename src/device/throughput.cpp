// Throughput figures per device, test patterns and the comparison of what
// came back, and the stored settings of the bit-error-rate test.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/text_util.h"
#include "device/scsi_int.h"

namespace {

constexpr unsigned kPatternSeed = 27;  // the same bytes in every run
constexpr size_t kLongestFolder = 118;
constexpr const char* kPatternContext = "ReadPatternFile()";

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

double ScsiInt::GetReadSecs() { return device_ == nullptr ? -1 : device_->readSecs; }
double ScsiInt::GetWriteSecs() { return device_ == nullptr ? -1 : device_->writeSecs; }
void ScsiInt::SetReadSecs(double seconds) {
  if (device_ != nullptr) device_->readSecs = seconds;
}
void ScsiInt::SetWriteSecs(double seconds) {
  if (device_ != nullptr) device_->writeSecs = seconds;
}
double ScsiInt::GetReadMbPerSec() { return device_ == nullptr ? -1 : device_->readRate; }
double ScsiInt::GetWriteMbPerSec() { return device_ == nullptr ? -1 : device_->writeRate; }
double ScsiInt::GetReadMbPerSecAvg() { return device_ == nullptr ? -1 : device_->readRateAvg; }
double ScsiInt::GetWriteMbPerSecAvg() { return device_ == nullptr ? -1 : device_->writeRateAvg; }
int64_t ScsiInt::GetKBytesRead() { return device_ == nullptr ? -1 : static_cast<int64_t>(device_->bytesRead / 1024); }
int64_t ScsiInt::GetKBytesWritten() {
  return device_ == nullptr ? -1 : static_cast<int64_t>(device_->bytesWritten / 1024);
}

void ScsiInt::ResetDeviceStats() {
  if (device_ == nullptr) return;
  _SCSI_DEVICE& d = *device_;
  d.bytesRead = d.bytesWritten = 0;
  d.readElapsed = d.writeElapsed = 0;
  d.startStamp = d.stopStamp = 0;
  d.readCheckElapsed = d.writeCheckElapsed = 0;
  d.readCheckBytes = d.writeCheckBytes = 0;
  d.readSecs = d.writeSecs = 0;
  d.readRate = d.writeRate = d.readRateAvg = d.writeRateAvg = 0;
  d.commandCount = 0;
}

long ScsiInt::ReadPatternFile(const char* name, long length, uint8_t* buffer) {
  if (device_ == nullptr) return -3;
  const std::string file = name == nullptr ? "" : name;
  char message[512];
  auto fail = [&](const char* format, auto... args) {
    std::snprintf(message, sizeof message, format, args...);
    SetMessage(message, kPatternContext);
    return -4L;
  };
  char folder[kLongestFolder + 1];
  if (getcwd(folder, sizeof folder) == nullptr)
    return fail("Pattern File (%.200s) not found: the working folder path is too long.", file.c_str());
  const std::string path = std::string(folder) + "/" + file;
  std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) return fail("Pattern File (%.200s) not found.", path.c_str());
  if (std::fseek(f.get(), 0, SEEK_END) != 0)
    return fail("Error seeking to end of Pattern File (%.200s).", path.c_str());
  const long size = std::ftell(f.get());
  if (size < 0 || std::fseek(f.get(), 0, SEEK_SET) != 0)
    return fail("Error seeking to beginning of image file (%.200s).", path.c_str());
  if (size < length || length < 0 || (length > 0 && buffer == nullptr)) {
    return fail(
        "ERROR:  Pattern File (%.200s) size(%ld) does not contain the requested number of bytes, request size(%ld)",
        path.c_str(), size, length);
  }
  const size_t got = std::fread(buffer, 1, static_cast<size_t>(length), f.get());
  if (std::ferror(f.get())) return fail("Error reading (%ld) Bytes from Pattern File (%.200s).", length, path.c_str());
  if (got != static_cast<size_t>(length)) {
    return fail("Error reading (%ld) Bytes into the specified data buffer from Pattern File (%.200s).", length,
                path.c_str());
  }
  return 1;
}

long ScsiInt::GenerateRandomPattern(long length, uint8_t* buffer) {
  if (buffer == nullptr || length <= 0) return 1;
  std::memset(buffer, 0, static_cast<size_t>(length));
  std::srand(kPatternSeed);
  for (long i = 0; i < length; ++i) buffer[i] = static_cast<uint8_t>(std::rand() & 0xFF);
  return 1;
}

long ScsiInt::VerifyBuffer(const uint8_t* data, long length) {
  if (!Ready()) return -3;
  if (data == nullptr || length < 0 || length > device_->byteCount || length > static_cast<long>(kDataBufferSize))
    return -2;
  // Every byte counts, the last ones too.
  return std::memcmp(data, dataBuffer_, static_cast<size_t>(length)) == 0 ? 1 : -2;
}

long ScsiInt::GetReadBuffer(uint8_t* data, long length) {
  if (!Ready() || data == nullptr || length < 0) return 0;
  const long maximum = static_cast<long>(std::min<uint64_t>(device_->maxTransfer, kDataBufferSize));
  if (length > maximum) return 0;
  const long available = static_cast<long>(std::clamp<int64_t>(device_->byteCount, 0, maximum));
  const long n = std::min(length, available);
  if (n > 0) std::memcpy(data, dataBuffer_, static_cast<size_t>(n));
  return n;
}

void ScsiInt::SetBerBlockCount(int n) {
  berBlockCount_ = n;
  if (device_ != nullptr) device_->berBlockCount = n;
}

void ScsiInt::SetImagePath(const char* path, int flag) {
  text::CopyBounded(imagePath_, text::View(path));
  imagePathFlag_ = flag;
}
