// Mode-page edits of a tape drive: compression, DCE, density, block size and
// the media check. Each reads the page fresh (three readiness probes, MODE
// SENSE) and sends it back edited, in the ten-byte form for the families
// that take it and as a 28-byte six-byte list for the others.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/byte_order.h"
#include "device/scsi_int.h"

namespace {

constexpr int kDeviceConfigurationPage = 0x10;
constexpr int kDataCompressionPage = 0x0F;
constexpr int kEditProbes = 3;
// An answer: 8-byte header, 8-byte block descriptor, then the page.
constexpr size_t kAnswerUsed = 48;
constexpr size_t kShortestAnswer = 19;
constexpr size_t kSixByteList = 28;
// Bytes of the answer a six-byte list is built from (up to byte 31).
constexpr size_t kSixByteSource = 32;
constexpr size_t kMediumType = 2;
constexpr size_t kDensityCode = 8;
constexpr size_t kBlockLength = 13;           // three bytes
constexpr size_t kCompressionAlgorithm = 30;  // page 10h byte 14
constexpr size_t kDceByte = 18;               // page 0Fh byte 2, bit 7

// The first bytes of the last answer; bytes past its end read as zero.
struct Answer {
  std::array<uint8_t, kAnswerUsed> bytes{};
  size_t size = 0;
};

Answer ReadAnswer(ScsiInt& s) {
  Answer a;
  const uint8_t* mode = s.GetModeBuffer();
  const long size = s.GetModeSize();
  if (mode == nullptr || size <= 0) return a;
  a.size = std::min<size_t>(static_cast<size_t>(size), kAnswerUsed);
  std::memcpy(a.bytes.data(), mode, a.size);
  return a;
}

// Probes and MODE SENSE of `page`; an empty answer when it failed.
Answer SensePage(ScsiInt& s, int page, const char* caller) {
  for (int i = 0; i < kEditProbes; ++i) s.TestUnitReady();
  if (s.ModeSense(page, caller) < 1) return {};
  return ReadAnswer(s);
}

bool TenByteFamily(int family) { return family == 0 || family == 1 || IsLTO(family); }

// The answer sent back in its own ten-byte form: mode data length cleared.
std::vector<uint8_t> TenByteList(const Answer& a) {
  std::vector<uint8_t> list(a.bytes.begin(), a.bytes.begin() + static_cast<long>(a.size));
  list[0] = list[1] = 0;
  return list;
}

// The answer as a six-byte list: header (medium type 0, block descriptor
// length), block descriptor, then the page. Answer byte n is list byte n-4.
std::vector<uint8_t> SixByteList(const Answer& a) {
  std::vector<uint8_t> list(kSixByteList, 0);
  for (size_t i = 3; i < kSixByteList; ++i) list[i] = a.bytes[i + 4];
  return list;
}

// Sends the edited page back; `edit` gets the list and the offset of answer
// byte 0 within it (0 ten-byte, -4 six-byte). 1 when the select worked.
template <typename Edit>
long SendEdited(ScsiInt& s, const Answer& a, bool tenByte, size_t lastByte, const char* caller, Edit edit) {
  if (tenByte) {
    if (a.size <= lastByte) return 0;
    std::vector<uint8_t> list = TenByteList(a);
    edit(list, 0);
    return s.ModeSelect(static_cast<long>(list.size()), list.data(), caller, false) > 0 ? 1 : 0;
  }
  if (a.size < kSixByteSource) return 0;
  std::vector<uint8_t> list = SixByteList(a);
  edit(list, -4);
  return s.ModeSelect(static_cast<long>(list.size()), list.data(), caller, false) > 0 ? 1 : 0;
}

size_t At(size_t answerByte, int shift) { return static_cast<size_t>(static_cast<long>(answerByte) + shift); }

}  // namespace

long ScsiInt::GetCompression() {
  if (!Ready()) return 0;
  const Answer a = SensePage(*this, kDeviceConfigurationPage, "GetCompression()");
  return a.size > kCompressionAlgorithm ? a.bytes[kCompressionAlgorithm] : 0;
}

long ScsiInt::SetCompression(int value) {
  if (!Ready()) return -3;
  const int family = device_->familyCode;
  if (IsDAT(family) || IsTRAVAN(family) || family == 0) {
    // These keep their compression; the probes still wake the drive.
    for (int i = 0; i < kEditProbes; ++i) TestUnitReady();
    return 1;
  }
  const Answer a = SensePage(*this, kDeviceConfigurationPage, "SetCompression()");
  if (a.size < kShortestAnswer) return 0;
  return SendEdited(*this, a, TenByteFamily(family), kCompressionAlgorithm, "SetCompression()",
                    [&](std::vector<uint8_t>& list, int shift) {
                      list[At(kCompressionAlgorithm, shift)] = static_cast<uint8_t>(value);
                    });
}

long ScsiInt::SetCompressionDCE(bool on) {
  if (!Ready()) return -3;
  const int family = device_->familyCode;
  if (family == 0) return 1;
  if (IsLTO(family)) return 0;
  const Answer a = SensePage(*this, kDataCompressionPage, "SetCompressionDCE()");
  if (a.size < kShortestAnswer) return 0;
  return SendEdited(*this, a, family == 1, kDceByte, "SetCompressionDCE()", [&](std::vector<uint8_t>& list, int shift) {
    uint8_t& dce = list[At(kDceByte, shift)];
    dce = static_cast<uint8_t>(on ? (dce | 0x80) : (dce & 0x7F));
  });
}

long ScsiInt::MediaCheck() {
  if (!Ready()) return -3;
  const Answer a = SensePage(*this, kDeviceConfigurationPage, "MediaCheck()");
  if (a.size <= kDensityCode) {
    // No answer: nothing of an earlier cartridge may be reported.
    device_->mediaType = 0;
    device_->mediaDensity = 0;
    SetMessage("SCSI - MEDIA CHECK TEST FAILED", "MediaCheck()");
    return 0;
  }
  device_->mediaType = a.bytes[kMediumType];
  device_->mediaDensity = a.bytes[kDensityCode];
  char message[64];
  std::snprintf(message, sizeof message, "TYPE=0x%02x DENSITY=0x%02x", device_->mediaType, device_->mediaDensity);
  for (char* c = message; *c != '\0'; ++c) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
  SetMessage(message, "MediaCheck()");
  return 1;
}

long ScsiInt::SetMediaDensity(int density) {
  if (!Ready()) return -3;
  const Answer a = SensePage(*this, kDeviceConfigurationPage, "SetMediaDensity()");
  if (a.size <= kDensityCode) {
    SetMessage("SCSI - MEDIA CHECK TEST FAILED", "MediaCheck()");
    return 0;
  }
  // The whole answer goes back, not only its first bytes.
  std::vector<uint8_t> list(device_->modeBuffer.begin(), device_->modeBuffer.begin() + device_->modeSize);
  list[0] = list[1] = 0;
  list[kDensityCode] = static_cast<uint8_t>(density);
  return ModeSelect(static_cast<long>(list.size()), list.data(), "SetMediaDensity()", true) > 0 ? 1 : 0;
}

long ScsiInt::GetMediaType() { return device_ == nullptr ? 0 : device_->mediaType; }
long ScsiInt::GetMediaDensity() { return device_ == nullptr ? 0 : device_->mediaDensity; }

long ScsiInt::GetCurrentBlockSize() {
  if (!Ready()) return -3;
  const Answer a = SensePage(*this, kDeviceConfigurationPage, "GetCurrentBlockSize()");
  currentBlockSize_ = a.size > 15 ? static_cast<long>(be::Read24(a.bytes.data() + kBlockLength)) : 0;
  return currentBlockSize_;
}

long ScsiInt::SetCurrentBlockSize(long size) {
  if (!Ready()) return -3;
  const int family = device_->familyCode;
  if (IsDAT(family) || IsTRAVAN(family) || family == 0) return 1;
  const Answer a = SensePage(*this, kDeviceConfigurationPage, "SetCurrentBlockSize()");
  currentBlockSize_ = size;
  if (a.size < kShortestAnswer) return 0;
  return SendEdited(*this, a, TenByteFamily(family), kBlockLength + 2, "SetCurrentBlockSize()",
                    [&](std::vector<uint8_t>& list, int shift) {
                      be::Write(list.data() + At(kBlockLength, shift), 3, static_cast<uint64_t>(size));
                    });
}
