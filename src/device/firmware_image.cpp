// The image file checks before a download: name, size, the changer header
// and the wrapping prefix some images carry.
#include <cerrno>
#include <cstring>

#include "device/firmware.h"
#include "device/scsi_int.h"

ImageHeaderArea ImageHeader;

namespace {

constexpr const char* kContext = "FupDrive()";
constexpr size_t kHeaderLengthAt = 16;
constexpr size_t kHeaderMarkerAt = 20;
constexpr long kLongestHeader = 999;
// An image no larger than this cannot even hold a header.
constexpr long kSmallestImage = 59;
constexpr uint8_t kWrapPrefix[7] = {0xDE, 0xAD, 0xBE, 0xEF, 0xBA, 0xD0, 0x00};
constexpr int kIbm = 4;
constexpr int kHp = 5;

int32_t HeaderLength(const ImageHeaderArea& h) {
  return static_cast<int32_t>(ReadLe32(h.bytes.data() + kHeaderLengthAt));
}

}  // namespace

long ImageHeaderArea::Length() const {
  const int32_t h = HeaderLength(*this);
  return h >= 1 && h <= kLongestHeader ? h : 0;
}

uint32_t ImageHeaderArea::Marker() const { return ReadLe32(bytes.data() + kHeaderMarkerAt); }

int validateImageFile(FILE* file, long& length) {
  uint8_t prefix[8];
  if (file == nullptr || std::fread(prefix, 1, sizeof prefix, file) != sizeof prefix) return 0;
  if (std::memcmp(prefix, kWrapPrefix, sizeof kWrapPrefix) != 0) {
    std::rewind(file);
    return 1;
  }
  if (prefix[7] != 0) return 0;
  length -= static_cast<long>(sizeof prefix);
  return 1;
}

long ScsiInt::FupFileSize(const char* path) {
  if (path == nullptr || path[0] == '\0') {
    SetMessage("No Image file specified.", kContext);
    return fup::kNoFileName;
  }
  char text[512];
  ImageFile file(std::fopen(path, "rb"));
  if (!file) {
    const int error = errno;
    std::snprintf(text, sizeof text, "Image file (%s) not found.", path);
    SetMessage(text, kContext);
    SystemError(error, kContext);
    return fup::kImageError;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) {
    std::snprintf(text, sizeof text, "Error seeking to end of image file (%s).", path);
    SetMessage(text, kContext);
    return fup::kImageError;
  }
  const long length = std::ftell(file.get());
  if (length < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    std::snprintf(text, sizeof text, "Error seeking to beginning of image file (%s).", path);
    SetMessage(text, kContext);
    return fup::kImageError;
  }
  if (length == 0) {
    std::snprintf(text, sizeof text, "Error Image File is empty (%s).", path);
    SetMessage(text, kContext);
    return fup::kImageError;
  }
  // 58 bytes would read as "download done" to every caller.
  if (length < kSmallestImage) return fup::kImageError;

  if (device_ != nullptr && device_->changer) {
    ImageHeader.bytes.fill(0);
    std::fread(ImageHeader.bytes.data(), 1, ImageHeader.bytes.size(), file.get());
    const long h = HeaderLength(ImageHeader);
    if (!(length - h >= 1 && h <= kLongestHeader && h >= -200 && h <= 800)) ImageHeader.bytes.fill(0);
    if ((device_->mfgId == kIbm || device_->mfgId == kHp) && ImageHeader.Marker() == 0) {
      std::snprintf(text, sizeof text, "Image file (%s) does not include the Halcyon Header.", path);
      SetMessage(text, kContext);
      SystemError(errno, kContext);
      return fup::kImageError;
    }
  } else {
    ImageHeader.bytes.fill(0);
  }
  return length;
}
