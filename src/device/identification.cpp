// What a device answers to INQUIRY turned into the values the rest of the
// system decides on: family code, manufacturer, serial number, revision,
// personality and build data.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/text_util.h"
#include "device/scsi_int.h"

namespace {

constexpr size_t kDescriptionLength = 24;

// Families whose serial number is cut to 10 characters (14 for the rest).
constexpr int kShortSerialFamilies[] = {1, 5, 6, 7, 8, 9, 18, 20, 21, 22, 23, 24, 25, 26};

bool HasShortSerial(int family) {
  for (int f : kShortSerialFamilies)
    if (f == family) return true;
  return false;
}

// Up to two ASCII digits read as a decimal number; stops at a non-digit.
long Digits(const uint8_t* p, int count) {
  long value = 0;
  for (int i = 0; i < count && std::isdigit(p[i]); ++i) value = value * 10 + (p[i] - '0');
  return value;
}

// Bytes of an answer as text: stops at the first zero byte, at most n.
std::string_view Chars(const uint8_t* p, size_t n) {
  const char* c = reinterpret_cast<const char*>(p);
  return std::string_view(c, strnlen(c, n));
}

}  // namespace

void ScsiInt::ToUpper(char* text, size_t n) {
  if (text == nullptr) return;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    text[i] = c < 29 ? ' ' : static_cast<char>(std::toupper(c));
  }
}

int ScsiInt::FamilyOfSelected(const char* text, const char* revision, bool writeBack) {
  char chosen[kDescriptionLength + 1] = {};
  if (text != nullptr && text[0] != '\0') {
    CopyText(chosen, Chars(reinterpret_cast<const uint8_t*>(text), kDescriptionLength));
  } else {
    if (device_ == nullptr || deviceCount_ < 1) return 0;
    CopyText(chosen, device_->description);
  }
  int code = siDeviceType(chosen, revision);
  if (device_ == nullptr) return code;
  if (code == kFamilyWn80 && device_->changer) {
    code = kFamilyWn80Loader;
    if (writeBack) device_->familyCode = kFamilyWn80Loader;
  }
  if (device_->familyCode == kFamilyZep1 || device_->familyCode == kFamilyWn80) {
    if (DellInquiry() > 0) {
      const std::string_view dell = Chars(dataBuffer_ + 8, 29);
      if (!dell.empty()) code = dell.find("ZEP1") != std::string_view::npos ? kFamilyZep1 : kFamilyWn80;
    }
  }
  return code;
}

long ScsiInt::GetDeviceType(const char* text, const char* revision) { return FamilyOfSelected(text, revision, false); }

const char* ScsiInt::GetDeviceTypeString(long code) {
  if (code >= 1) return siDeviceTypeString(static_cast<int>(code));
  if (device_ == nullptr) return nullptr;
  char revision[5] = {};
  CopyText(revision, device_->revData);
  const int family = FamilyOfSelected(device_->description, revision, true);
  CopyText(descRetVal_, siDeviceTypeString(family));
  return descRetVal_;
}

long ScsiInt::GetManufacturer(const char* text) {
  if (text != nullptr && text[0] != '\0') {
    char chosen[kDescriptionLength + 1] = {};
    CopyText(chosen, Chars(reinterpret_cast<const uint8_t*>(text), kDescriptionLength));
    return siManufacturer(chosen);
  }
  if (device_ == nullptr) return 0;
  return siManufacturer(device_->description);
}

long ScsiInt::GetMfgId() { return device_ == nullptr ? 0 : device_->mfgId; }

const char* ScsiInt::GetMfgString() { return device_ == nullptr ? nullptr : siManufacturerString(device_->mfgId); }

long ScsiInt::GetFamilyCode() { return device_ == nullptr ? -1 : device_->familyCode; }

void ScsiInt::SetDeviceString(const char* text) {
  if (text != nullptr && strnlen(text, sizeof deviceString_) < sizeof deviceString_) CopyText(deviceString_, text);
}

long ScsiInt::Inquiry() {
  if (!Ready()) return -3;
  const uint8_t cdb[6] = {0x12, 0, 0, 0, 0x48, 0};
  uint8_t answer[128] = {};
  const long result = SendCdb(kDataIn, cdb, sizeof cdb, "Inquiry()", answer, sizeof answer);
  if (result <= 0) return result;
  _SCSI_DEVICE& d = *device_;
  std::memset(d.inquiry, 0, sizeof d.inquiry);
  std::memcpy(d.inquiry, answer, 72);  // bytes the drive did not send read as 0
  d.inquirySize = 72;

  const uint8_t* q = d.inquiry;
  const int family = d.familyCode;
  if (family == kFamilyMagnachange || family == kFamilySbLoader) {
    d.revMajor = Digits(q + 32, 2);
    d.revMinor = Digits(q + 34, 2);
  } else if (family == kFamilyThriftstack || family == kFamilyPowervault) {
    d.revMajor = Digits(q + 33, 2);
    d.revMinor = 0;
    CopyText(d.revData, Chars(q + 32, 4));
  } else {
    d.revMajor = q[37];
    d.revMinor = q[38];
  }
  if (IsLTO(family)) CopyText(d.revData, Chars(q + 32, 4));
  d.persMajor = q[41];
  d.persMinor = (family == kFamilyThriftstack || family == kFamilyPowervault) ? 0 : q[42];
  return 1;
}

long ScsiInt::GetScsiRevData() {
  if (!Ready()) return -3;
  const uint8_t cdb[6] = {0x12, 0, 0, 0, 0x38, 0};
  uint8_t answer[64] = {};
  const long result = SendCdb(kDataIn, cdb, sizeof cdb, "GetScsiRevData()", answer, sizeof answer);
  if (result <= 0) return result;
  CopyText(device_->revData, Chars(answer + 32, 4));
  return 1;
}

long ScsiInt::GetScsiBuildData() {
  if (!Ready()) return -3;
  const uint8_t cdb[6] = {0x12, 0x01, 0xC0, 0, 0x40, 0};
  // The page is read with 64 bytes; the LTO text scan looks at 127 bytes
  // from byte 4, the rest reading as zeros.
  uint8_t answer[4 + 127 + 1] = {};
  const long result = SendCdb(kDataIn, cdb, sizeof cdb, "GetScsiBuildData()", answer, 64);
  if (result <= 0) return result;
  _SCSI_DEVICE& d = *device_;
  d.buildData[0] = '\0';
  const int family = d.familyCode;
  if (family == kFamilyZep1 || family == kFamilyWn80 || (family >= kFamilyZepFirst && family <= kFamilyZepLast)) {
    CopyText(d.buildData, Chars(answer + 4, 32));
  } else if (IsLTO(family)) {
    char text[128] = {};
    CopyText(text, Chars(answer + 4, 127));
    ToUpper(text, std::strlen(text));
    if (const char* vers = std::strstr(text, "VERS")) {
      if (const char* eq = std::strchr(vers, '=')) {
        int major = 0, minor = 0;
        if (std::sscanf(eq + 1, "%d.%d", &major, &minor) == 2) {
          d.revMajor = major;
          d.revMinor = minor;
        }
      }
    }
    if (const char* vari = std::strstr(text, "VARI")) {
      if (const char* eq = std::strchr(vari, '=')) {
        unsigned personality = 0;
        if (std::sscanf(eq + 1, "%x", &personality) == 1) d.persMajor = personality;
      }
    }
  } else {
    CopyText(d.buildData, Chars(answer + 4, 40));
  }
  return 1;
}

long ScsiInt::GetScsiSerialNumber() {
  if (!Ready()) return -3;
  char page[sizeof device_->serialPage] = {};
  const long result = ReadSerialPage(page);
  if (result <= 0) return result;
  _SCSI_DEVICE& d = *device_;
  if (page[0] != '\0') CopyText(d.serialPage, page);
  CutSerial(page, d.familyCode, d.serialNumber);
  GetScsiBuildData();
  GetScsiRevData();
  return 1;
}

long ScsiInt::ReadSerialPage(char (&page)[17]) {
  const uint8_t cdb[6] = {0x12, 0x01, 0x80, 0, 0x48, 0};
  uint8_t answer[74] = {};
  const long result = SendCdb(kDataIn, cdb, sizeof cdb, "GetScsiSerialNumber()", answer, sizeof answer);
  if (result <= 0) return result;
  for (int i = 14; i <= 21; ++i)
    if (answer[i] == 0 || (answer[i] & 0x80)) answer[i] = 0;
  CopyText(page, Chars(answer + 4, 16));
  return result;
}

void ScsiInt::CutSerial(const char* page, int family, char (&serial)[32]) {
  std::string_view candidate = text::View(page);
  const size_t cut = HasShortSerial(family) ? 10 : 14;
  if (candidate.size() > cut) candidate = candidate.substr(0, cut);
  // An empty page leaves the serial number as it was.
  if (candidate.empty()) return;
  char kept[sizeof serial] = {};
  size_t n = 0;
  for (char c : candidate) {
    if (c == ' ') continue;
    const unsigned char u = static_cast<unsigned char>(c);
    kept[n++] = (std::isalnum(u) || std::ispunct(u) || std::isspace(u)) ? c : '?';
  }
  CopyText(serial, std::string_view(kept, n));
}

DriveIdentity ScsiInt::RecordedIdentity() {
  DriveIdentity id{};
  if (device_ == nullptr) return id;
  CopyText(id.description, device_->description);
  CopyText(id.serialNumber, device_->serialNumber);
  CopyText(id.revision, Chars(reinterpret_cast<const uint8_t*>(device_->revData), 4));
  return id;
}

long ScsiInt::ReadIdentity(DriveIdentity* id) {
  if (!Ready() || id == nullptr) return -3;
  *id = DriveIdentity{};
  const uint8_t cdb[6] = {0x12, 0, 0, 0, 0x38, 0};
  uint8_t answer[0x38] = {};
  long result = SendCdb(kDataIn, cdb, sizeof cdb, "Inquiry()", answer, sizeof answer);
  if (result <= 0) return result;
  if (result < 36) return 0;
  char description[kDescriptionLength + 1] = {};
  std::memcpy(description, answer + 8, kDescriptionLength);
  ToUpper(description, kDescriptionLength);
  CopyText(id->description, description);
  CopyText(id->revision, Chars(answer + 32, 4));
  char page[sizeof device_->serialPage] = {};
  result = ReadSerialPage(page);
  if (result <= 0) return result;
  CutSerial(page, device_->familyCode, id->serialNumber);
  return 1;
}

long ScsiInt::DellInquiry() {
  if (!Ready()) return -3;
  const uint8_t cdb[6] = {0x12, 0x01, 0xDC, 0, 0x24, 0};
  return SendCdb(kDataIn, cdb, sizeof cdb, "DellInquiry()", nullptr, 128);
}

const char* ScsiInt::GetRevString() {
  if (device_ == nullptr) return "";
  _SCSI_DEVICE& d = *device_;
  const int family = d.familyCode;
  const bool numeric = (family >= 1 && family <= 13) || (family >= 36 && family <= 38);
  if (!numeric) {
    FormatText(d.revString, "Rev %s", d.revData);
  } else if (d.revMinor > 0 && d.persMinor > 0) {
    FormatText(d.revString, "Rev %ld-%ld Pers: %ld-%ld", static_cast<long>(d.revMajor), static_cast<long>(d.revMinor),
               static_cast<long>(d.persMajor), static_cast<long>(d.persMinor));
  } else if (d.revMinor > 0) {
    FormatText(d.revString, "Rev %ld-%ld Pers: %ld", static_cast<long>(d.revMajor), static_cast<long>(d.revMinor),
               static_cast<long>(d.persMajor));
  } else if (d.persMinor > 0) {
    FormatText(d.revString, "Rev %ld Pers: %ld-%ld", static_cast<long>(d.revMajor), static_cast<long>(d.persMajor),
               static_cast<long>(d.persMinor));
  } else {
    FormatText(d.revString, "Rev %ld Pers: %ld", static_cast<long>(d.revMajor), static_cast<long>(d.persMajor));
  }
  return d.revString;
}

const char* ScsiInt::GetRevString2() {
  if (device_ == nullptr) return "";
  CopyText(device_->revShort, device_->revData);
  return device_->revShort;
}

const char* ScsiInt::GetPersString() {
  if (device_ == nullptr) return "";
  _SCSI_DEVICE& d = *device_;
  if (d.persMinor > 0)
    FormatText(d.persString, "Pers: %ld-%ld", static_cast<long>(d.persMajor), static_cast<long>(d.persMinor));
  else
    FormatText(d.persString, "Pers: %ld", static_cast<long>(d.persMajor));
  return d.persString;
}

long ScsiInt::GetRevMajor() { return device_ == nullptr ? -1 : static_cast<long>(device_->revMajor); }
long ScsiInt::GetRevMinor() { return device_ == nullptr ? -1 : static_cast<long>(device_->revMinor); }
long ScsiInt::GetPersMajor() { return device_ == nullptr ? -1 : static_cast<long>(device_->persMajor); }
long ScsiInt::GetPersMinor() { return device_ == nullptr ? -1 : static_cast<long>(device_->persMinor); }
const char* ScsiInt::GetRevData() { return device_ == nullptr ? nullptr : device_->revData; }
const char* ScsiInt::GetBuildData() { return device_ == nullptr ? nullptr : device_->buildData; }
const uint8_t* ScsiInt::GetInquiryBuffer() { return device_ == nullptr ? nullptr : device_->inquiry; }
long ScsiInt::GetInquirySize() { return device_ == nullptr ? -1 : device_->inquirySize; }

long ScsiInt::GetCapabilities() { return Ready() ? 1 : -3; }
long ScsiInt::GetClaimedDevice() { return Ready() ? 0 : -3; }
long ScsiInt::GetClaimedChanger() { return Ready() ? 0 : -3; }
