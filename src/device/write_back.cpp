// Write-back data of the drive generations that keep it: log page 38h or
// READ BUFFER of buffer 80h, turned into lines of hex and raw text.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "base/byte_order.h"
#include "device/drive_contract.h"
#include "device/scsi_int.h"

namespace {

constexpr int kWriteBackLines = 64;
constexpr size_t kLineBytes = 64;
constexpr size_t kLongestData = 4096;
constexpr long kDescriptorLength = 4;
constexpr long kSerialPageLength = 64;
constexpr size_t kSerialCharacters = 14;

struct Applicability {
  int firstFamily, lastFamily;
  long minimumRevision;                      // the revision major must be at least this
  std::initializer_list<int> personalities;  // empty: any
};

const Applicability kApplicable[] = {
    {2, 2, 63, {4, 12}},
    {9, 9, 88, {8, 10, 12, 15, 21, 28, 44}},
    {10, 11, 45, {12, 60}},
    {12, 13, 0, {60}},
};

bool Applies(int family, long revision, long personality) {
  for (const Applicability& a : kApplicable) {
    if (family < a.firstFamily || family > a.lastFamily || revision < a.minimumRevision) continue;
    return std::find(a.personalities.begin(), a.personalities.end(), personality) != a.personalities.end();
  }
  return false;
}

}  // namespace

long ScsiInt::CollectLTTWriteBackData() {
  if (!Ready()) return -3;
  ReadinessProbes(3);
  _SCSI_DEVICE& d = *device_;
  d.writeBackCount = 0;
  const int family = d.familyCode;
  if (!Applies(family, static_cast<long>(d.revMajor), static_cast<long>(d.persMajor))) return -1;
  if (family >= 10 && family <= 13) {
    if (FetchLogPage(contract::kWriteBackLog, 0) < 1) return 0;
    if (d.logBuffer.size() <= 8) return d.writeBackCount;
    const std::vector<uint8_t> page = d.logBuffer;
    return SetWritebackData(page.data(), static_cast<long>(page.size()), 8);
  }
  // Buffer 80h: its capacity first, then as much of it as the lines hold;
  // the capacity is the drive's word and is never used as a length here.
  auto readBuffer = [&](uint8_t mode, long length) {
    uint8_t cdb[10] = {0x3C, mode, contract::kBufferWriteBack};
    be::Write(cdb + 6, 3, static_cast<uint64_t>(length));
    char caller[48];
    std::snprintf(caller, sizeof caller, "ReadBuffer(%ld)", length);
    std::memset(dataBuffer_, 0, static_cast<size_t>(length));
    return DataCommand(cdb, sizeof cdb, kDataIn, length, caller);
  };
  if (readBuffer(contract::kReadBufferDescriptor, kDescriptorLength) < 1) return 0;
  const long capacity = static_cast<long>(be::Read24(dataBuffer_ + 1));
  const long wanted = std::min<long>(capacity, kLongestData);
  if (wanted < 1) return 0;
  if (readBuffer(contract::kReadBufferData, wanted) < 1) return 0;
  const long arrived = std::min<long>(wanted, record_->DataTransferLength);
  const std::vector<uint8_t> data(dataBuffer_, dataBuffer_ + arrived);
  return SetWritebackData(data.data(), static_cast<long>(data.size()), 0);
}

long ScsiInt::SetWritebackData(const uint8_t* data, long length, long start) {
  if (!Ready()) return -3;
  // Our own copy: the commands below reuse the data buffer.
  const size_t taken = data == nullptr || length < 0 ? 0 : std::min<size_t>(static_cast<size_t>(length), kLongestData);
  const std::vector<uint8_t> bytes(data, data + taken);
  Inquiry();
  _SCSI_DEVICE& d = *device_;
  d.writeBackCount = 0;
  auto addText = [&](const char* text) {
    CopyText(d.writeBackHex[d.writeBackCount], text);
    CopyText(d.writeBackText[d.writeBackCount], text);
    ++d.writeBackCount;
  };

  uint8_t page[kSerialPageLength] = {};
  const uint8_t cdb[6] = {0x12, 0x01, 0x80, 0x00, 0x3C, 0x00};
  const long got = SendCdb(kDataIn, cdb, sizeof cdb, "Inquiry(0x80)", page, sizeof page);
  char serial[kSerialCharacters + 1] = {};
  if (got > 4) {
    const size_t n = std::min<size_t>({kSerialCharacters, static_cast<size_t>(got) - 4, size_t{page[3]}});
    std::memcpy(serial, page + 4, n);
  }
  addText(serial);
  char product[17] = {};
  std::memcpy(product, d.inquiry + 16, 16);
  addText(product);
  char personality[48];
  std::snprintf(personality, sizeof personality, "%.02llX%.02llX", static_cast<unsigned long long>(d.persMajor),
                static_cast<unsigned long long>(d.persMinor));
  addText(personality);

  for (size_t at = start < 0 ? 0 : static_cast<size_t>(start); at < bytes.size() && d.writeBackCount < kWriteBackLines;
       at += kLineBytes) {
    const size_t n = std::min(kLineBytes, bytes.size() - at);
    char* hex = d.writeBackHex[d.writeBackCount];
    for (size_t i = 0; i < n; ++i) std::snprintf(hex + 2 * i, 3, "%.02X", bytes[at + i]);
    hex[2 * n] = '\0';
    char* raw = d.writeBackText[d.writeBackCount];
    std::memcpy(raw, bytes.data() + at, n);
    raw[n] = '\0';
    ++d.writeBackCount;
  }
  return d.writeBackCount;
}

long ScsiInt::GetWriteBackCount() { return device_ == nullptr ? -3 : device_->writeBackCount; }

const char* ScsiInt::GetWriteBackDataHex(int index) {
  if (device_ == nullptr || index < 0 || index >= device_->writeBackCount) return nullptr;
  return device_->writeBackHex[index];
}

const char* ScsiInt::GetWriteBackDataString(int index) {
  if (device_ == nullptr || index < 0 || index >= device_->writeBackCount) return nullptr;
  return device_->writeBackText[index];
}
