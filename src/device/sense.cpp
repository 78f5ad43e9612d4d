// Sense data: REQUEST SENSE, decoding into the device's sense record, the
// sense message, the three text buffers and the recovery operations.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/byte_order.h"
#include "base/sense_texts.h"
#include "base/sense_words.h"
#include "device/scsi_int.h"

namespace {

bool IsDescriptorFormat(const uint8_t* s) {
  const int code = s[0] & 0x7F;
  return code == 0x72 || code == 0x73;
}

// Key, ASC and ASCQ sit at bytes 2/12/13 in fixed format, 1/2/3 in
// descriptor format.
struct SenseTriple {
  int key, asc, ascq;
};

SenseTriple TripleOf(const uint8_t* s) {
  if (IsDescriptorFormat(s)) return {s[1] & 0x0F, s[2], s[3]};
  return {s[2] & 0x0F, s[12], s[13]};
}

// Appends formatted text to a fixed buffer, never past its end.
class TextBuilder {
 public:
  TextBuilder(char* text, size_t size) : text_(text), size_(size) {
    if (size_ > 0) text_[0] = '\0';
  }
  void Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    if (used_ + 1 >= size_) return;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text_ + used_, size_ - used_, format, args);
    va_end(args);
    if (n > 0) used_ = used_ + static_cast<size_t>(n) < size_ ? used_ + static_cast<size_t>(n) : size_ - 1;
  }
  size_t Used() const { return used_; }

 private:
  char* text_;
  size_t size_;
  size_t used_ = 0;
};

constexpr size_t kSenseDumpBytes = kSenseSize;

// The vendor event code: four bytes read as they lie in memory (bytes 8-11 of
// fixed-format sense, or the first four data bytes of a vendor-specific
// descriptor, types 80h to FFh); all ones when there is none.
constexpr uint32_t kNoVendorCode = 0xFFFFFFFFu;
constexpr uint8_t kVendorDescriptor = 0x80;
uint32_t VendorCode(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

void ScsiInt::SenseReset() {
  if (device_ == nullptr) return;
  _SCSI_DEVICE& d = *device_;
  d.responseCode = 0;
  d.senseKey = 0;
  d.asc = 0;
  d.ascq = 0;
  d.ili = 0;
  d.eom = 0;
  d.fileMark = 0;
  d.cleaning = 0;
  d.residual = 0;
  d.ltocFsc = 0;
  d.ltocFlag = 0;
  d.powerOnHours = 0;
  d.tapeMotionHours = 0;
  d.vendorCounter = 0;
}

long ScsiInt::RequestSense() {
  if (!Ready()) return -3;
  std::memset(device_->senseBuffer, 0, sizeof device_->senseBuffer);
  const uint8_t cdb[6] = {0x03, 0, 0, 0, 0xFF, 0};
  uint8_t sense[kSenseSize] = {};
  const long result = SendCdb(kDataIn, cdb, sizeof cdb, "RequestSense()", sense, kSenseSize);
  if (result > 0) {
    sense[0] |= 0x80;
    const size_t received = static_cast<size_t>(result) < kSenseSize ? static_cast<size_t>(result) : kSenseSize;
    HandleSenseData(sense, "RequestSense()", true, received);
  }
  return result;
}

void ScsiInt::HandleSenseData(const uint8_t* sense, const char* caller, bool report, size_t length) {
  if (device_ == nullptr) return;
  _SCSI_DEVICE& d = *device_;
  // Work on a zero-padded copy: short sense reads as zeros, never past its end.
  uint8_t s[kSenseSize] = {};
  if (sense != nullptr && length > 0) std::memcpy(s, sense, length < kSenseSize ? length : kSenseSize);

  d.responseCode = s[0] & 0x7F;
  const SenseTriple t = TripleOf(s);
  d.senseKey = t.key;
  if (IsDescriptorFormat(s)) {
    d.asc = t.asc;
    d.ascq = t.ascq;
    // Bytes 8-11 are the first descriptor here, not the vendor event code:
    // there is none unless a vendor-specific descriptor carries one.
    d.vsSense = kNoVendorCode;
    // Flags and residual live in the stream-commands and information
    // descriptors, which follow the 8-byte header.
    size_t end = 8 + static_cast<size_t>(s[7]);
    if (end > kSenseSize) end = kSenseSize;
    for (size_t at = 8; at + 2 <= end;) {
      const uint8_t* desc = s + at;
      const size_t size = static_cast<size_t>(desc[1]) + 2;
      if (at + size > end) break;
      if (desc[0] == 0x00 && size >= 12 && (desc[2] & 0x80)) d.residual += static_cast<int32_t>(be::Read32(desc + 8));
      if (desc[0] == 0x04 && size >= 4) {
        d.fileMark = (desc[3] >> 7) & 1;
        d.eom = (desc[3] >> 6) & 1;
        d.ili = (desc[3] >> 5) & 1;
      }
      if (desc[0] >= kVendorDescriptor && size >= 6) d.vsSense = VendorCode(desc + 2);
      at += size;
    }
    if (d.responseCode == 0x72) {
      const uint8_t regs[8] = {s[11], s[13], s[15], s[17], s[19], s[20], s[21], 0};
      std::memcpy(d.ataRegs, regs, sizeof regs);
    }
  } else {
    d.ili = (s[2] >> 5) & 1;
    d.fileMark = (s[2] >> 7) & 1;
    d.eom = (s[2] >> 6) & 1;
    d.asc = t.asc;
    d.ascq = t.ascq;
    d.vsSense = VendorCode(s + 8);
    if (s[0] & 0x80) d.residual += static_cast<int32_t>(be::Read32(s + 3));
    if (!(s[15] & 0x80)) {
      d.ltocFsc = static_cast<uint16_t>(d.ltocFsc + be::Read16(s + 16));
      d.ltocFlag = static_cast<uint16_t>(d.ltocFlag + be::Read16(s + 18));
    }
    d.cleaning = (s[18] & 0x80) && (s[18] & 0x01) ? 1 : 0;
    d.powerOnHours = be::Read32(s + 21);
    d.tapeMotionHours = be::Read16(s + 19);
    d.vendorCounter = be::Read32(s + 25);
  }

  std::memcpy(d.senseBuffer, s, kSenseSize);
  d.senseSize = kSenseSize;

  if (!report && !debug_) return;
  char text[1024];
  TextBuilder b(text, sizeof text);
  b.Add("%s - ", caller == nullptr ? "" : caller);
  char message[256];
  FormatSenseMessage(message, sizeof message, s);
  b.Add("%s", message);
  b.Add("\nSense Data(");
  for (size_t i = 0; i < kSenseDumpBytes; ++i) b.Add("%02X ", s[i]);
  b.Add(")\n");
  CopyText(d.scsiError, text);

  if (debug_) {
    std::fputs("\nSense Data(", stderr);
    for (size_t i = 0; i < kSenseDumpBytes; ++i) {
      std::fprintf(stderr, "%02X ", s[i]);
      if (i % 16 == 15) std::fputc('\n', stderr);
    }
    std::fputs(")\n", stderr);
  }
}

void ScsiInt::FormatSenseMessage(char* text, size_t size, const uint8_t* sense, size_t length) {
  if (text == nullptr || size == 0) return;
  uint8_t s[kSenseSize] = {};
  if (sense != nullptr && length > 0) std::memcpy(s, sense, length < kSenseSize ? length : kSenseSize);
  const SenseTriple t = TripleOf(s);
  TextBuilder b(text, size);
  b.Add("ErrorCode (0x%02Xh) ,", s[0]);
  b.Add("Sense Key (0x%02Xh) %s, ", t.key, SenseKeyName(t.key));
  char meaning[128];
  AscWords(t.asc, t.ascq, meaning, sizeof meaning);
  b.Add("%s", meaning);
  b.Add(" ASC(0x%02Xh), ASCQ(0x%02Xh) - ", t.asc, t.ascq);
}

const char* ScsiInt::GetErrorText(long code) { return ErrorCodeText(code); }

// Without a device: the last message that had none to hold it.
const char* ScsiInt::GetMessageBuffer() { return device_ == nullptr ? detachedMessage_ : device_->message; }
const char* ScsiInt::GetDevErrorBuffer() { return device_ == nullptr ? nullptr : device_->devError; }
const char* ScsiInt::GetScsiErrorBuffer() { return device_ == nullptr ? nullptr : device_->scsiError; }

const char* ScsiInt::GetErrorBuffer() {
  if (device_ == nullptr) return nullptr;
  _SCSI_DEVICE& d = *device_;
  char text[sizeof d.scratch];
  TextBuilder b(text, sizeof text);
  if (d.message[0] != '\0') b.Add("MSG: %s", d.message);
  if (d.devError[0] != '\0') b.Add("%sSYS: %s", b.Used() > 0 ? "\n" : "", d.devError);
  if (d.scsiError[0] != '\0') b.Add("%sSCSI: %s", b.Used() > 0 ? "\n" : "", d.scsiError);
  CopyText(d.scratch, std::string_view(text, b.Used()));
  return d.scratch;
}

long ScsiInt::CheckBusReset() {
  if (device_ == nullptr) return 0;
  if (device_->senseKey != 6 || device_->asc != 0x29) return 0;
  for (int i = 0; i < 3; ++i) TestUnitReady();
  return 1;
}

long ScsiInt::DeviceRecovery(long blockSize) {
  if (!Ready()) return -3;
  const long current = GetCurrentBlockSize();
  const long timeout = GetTimeout();
  WaitForUnitReady();
  if (current != blockSize) SetCurrentBlockSize(blockSize);
  if (GetCurrentBlockSize() != blockSize) SetCurrentBlockSize(blockSize);
  SetTimeout(timeout);
  return GetCurrentBlockSize() == blockSize ? 1 : 0;
}

long ScsiInt::GetSenseKey() { return device_ == nullptr ? -1 : device_->senseKey; }
long ScsiInt::GetAsc() { return device_ == nullptr ? -1 : device_->asc; }
long ScsiInt::GetAscQ() { return device_ == nullptr ? -1 : device_->ascq; }
long ScsiInt::GetVsSense() { return device_ == nullptr ? -1 : static_cast<long>(device_->vsSense); }
long ScsiInt::GetCheckCondition() {
  if (device_ == nullptr) return 0;
  return device_->senseKey * 65536L + device_->asc * 256L + device_->ascq;
}
long ScsiInt::GetResidual() { return device_ == nullptr ? -1 : device_->residual; }
long ScsiInt::GetIliFlag() { return device_ == nullptr ? 0 : device_->ili; }
long ScsiInt::GetFileMarkFlag() { return device_ == nullptr ? 0 : device_->fileMark; }
long ScsiInt::GetEomFlag() { return device_ == nullptr ? 0 : device_->eom; }
long ScsiInt::GetCleaningFlag() { return device_ == nullptr ? 0 : device_->cleaning; }
long ScsiInt::GetCheckLtocFSC() { return device_ == nullptr ? 65535 : device_->ltocFsc; }
long ScsiInt::GetCheckLtocFlag() { return device_ == nullptr ? 65535 : device_->ltocFlag; }
int64_t ScsiInt::GetPowerOnHours() { return device_ == nullptr ? -1 : device_->powerOnHours; }
int64_t ScsiInt::GetTapeMotionHours() { return device_ == nullptr ? -1 : device_->tapeMotionHours; }
const uint8_t* ScsiInt::GetATARegs() { return device_ == nullptr ? nullptr : device_->ataRegs; }
const uint8_t* ScsiInt::GetSenseBuffer() { return device_ == nullptr ? nullptr : device_->senseBuffer; }
long ScsiInt::GetSenseSize() { return device_ == nullptr ? -1 : device_->senseSize; }
