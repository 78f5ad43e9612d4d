// The image file checks before a download: name, size, the changer header
// and the wrapping prefix some images carry; and the whole image, read and
// checked for its download routine before anything is sent.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <new>

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
// The virtual drives' images name their revision this way.
constexpr char kRevisionMark[] = "FWREV=";
constexpr size_t kRevisionLength = 4;
// The whole image is held in memory while it is sent; no model line's
// image comes near this.
constexpr long kLargestImage = 64l << 20;

// The text of an image file that cannot be opened, by the reason.
struct OpenFailure {
  int error;
  const char* format;  // "%s" is the path
};
constexpr OpenFailure kOpenFailures[] = {
    {ENOENT, "Image file (%s) not found."},
    {ENOTDIR, "Image file (%s) not found."},
    {EACCES, "Image file (%s) cannot be read: permission denied."},
    {EPERM, "Image file (%s) cannot be read: permission denied."},
    {EISDIR, "Image file (%s) is a folder, not a file."},
};

int32_t HeaderLength(const ImageHeaderArea& h) {
  return static_cast<int32_t>(ReadLe32(h.bytes.data() + kHeaderLengthAt));
}

// The revision an image names: the mark and four letters or digits.
void NamedRevision(const uint8_t* bytes, long length, char (&revision)[5]) {
  revision[0] = '\0';
  const size_t mark = sizeof kRevisionMark - 1;
  const uint8_t* end = bytes + length;
  const uint8_t* at = std::search(bytes, end, kRevisionMark, kRevisionMark + mark);
  if (end - at < static_cast<long>(mark + kRevisionLength)) return;
  const uint8_t* name = at + mark;
  if (!std::all_of(name, name + kRevisionLength, [](uint8_t c) { return std::isalnum(c) != 0; })) return;
  std::memcpy(revision, name, kRevisionLength);
  revision[kRevisionLength] = '\0';
}

}  // namespace

long ImageHeaderArea::Length() const {
  const int32_t h = HeaderLength(*this);
  return h >= 1 && h <= kLongestHeader ? h : 0;
}

uint32_t ImageHeaderArea::Marker() const { return ReadLe32(bytes.data() + kHeaderMarkerAt); }

ImageFile OpenImage(ScsiInt& s, const char* path, const char* context) {
  errno = 0;
  ImageFile file(std::fopen(path, "rb"));
  struct stat status {};
  // fopen takes a folder for reading; reading it fails later.
  if (file && ::fstat(::fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
    file.reset();
    errno = EISDIR;
  }
  if (file) return file;
  const int error = errno;
  char text[512];
  const OpenFailure* row = std::find_if(std::begin(kOpenFailures), std::end(kOpenFailures),
                                        [error](const OpenFailure& f) { return f.error == error; });
  if (row != std::end(kOpenFailures)) {
    std::snprintf(text, sizeof text, row->format, path);
  } else {
    std::snprintf(text, sizeof text, "Image file (%s) cannot be opened: %s.", path, std::strerror(error));
  }
  s.SetMessage(text, context);
  s.SystemError(error, context);
  return file;
}

int WrappedPrefix(const uint8_t* first8) {
  if (std::memcmp(first8, kWrapPrefix, sizeof kWrapPrefix) != 0) return 0;
  return first8[7] == 0 ? 1 : -1;
}

int validateImageFile(FILE* file, long& length) {
  uint8_t prefix[8];
  if (file == nullptr || std::fread(prefix, 1, sizeof prefix, file) != sizeof prefix) return 0;
  switch (WrappedPrefix(prefix)) {
    case 0:
      std::rewind(file);
      return 1;
    case 1:
      length -= static_cast<long>(sizeof prefix);
      return 1;
    default:
      return 0;
  }
}

long ScsiInt::FupFileSize(const char* path) {
  if (path == nullptr || path[0] == '\0') {
    SetMessage("No Image file specified.", kContext);
    return fup::kNoFileName;
  }
  char text[512];
  ImageFile file = OpenImage(*this, path, kContext);
  if (!file) return fup::kImageError;
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

long ScsiInt::LoadImage(const FupPlan& plan, const char* path, long fileLength, FupImage* image) {
  char text[640];
  const char* shown = path != nullptr ? path : "";
  const auto refuse = [&](long code, const char* context) {
    SetMessage(text, context);
    return code;
  };
  ImageFile file = OpenImage(*this, shown, plan.context);
  if (!file) return fup::kImageError;
  if (fileLength > kLargestImage) {
    std::snprintf(text, sizeof text, "Image file (%s) too large: %ld bytes, at most %ld are taken.", shown, fileLength,
                  kLargestImage);
    return refuse(fup::kImageError, plan.context);
  }
  if (fileLength < 1) {
    std::snprintf(text, sizeof text, "Image file (%s) zero length.", shown);
    return refuse(fup::kImageError, plan.context);
  }
  image->file.reset(new (std::nothrow) uint8_t[static_cast<size_t>(fileLength)]);
  if (!image->file) {
    std::snprintf(text, sizeof text, "Memory Allocation Error.");
    return refuse(fup::kNoMemory, "FupGeneric()");
  }
  const long got = static_cast<long>(std::fread(image->file.get(), 1, static_cast<size_t>(fileLength), file.get()));
  if (got != fileLength) {
    std::snprintf(text, sizeof text, "Error reading image file (%s) after %ld of %ld bytes.", shown, got, fileLength);
    return refuse(fup::kImageError, plan.context);
  }
  if (std::fgetc(file.get()) != EOF) {
    std::snprintf(text, sizeof text, "Image file (%s) grew while it was read: more than %ld bytes.", shown, fileLength);
    return refuse(fup::kImageError, plan.context);
  }
  image->fileLength = fileLength;
  image->data = image->file.get();
  image->length = fileLength;

  if (plan.composite) {
    if (fileLength != fup::kCompositeSize) {
      std::snprintf(text, sizeof text,
                    "ThriftStack/PowerVault Image size error - Only Composite images are supported -  %ld Bytes   %ld "
                    "Required",
                    fileLength, fup::kCompositeSize);
      return refuse(fup::kImageError, kContext);
    }
    // Both parts must lie inside the file before the first is committed.
    struct Part {
      size_t at;
      long size;
      const char* format;
    };
    constexpr Part kParts[] = {
        {fup::kLoaderAt, fup::kLoaderPart, "Error reading image file for loader (%s) %ld bytes."},
        {fup::kInterfaceAt, fup::kInterfacePart, "Error reading image file for SCSI/loader (%s) %ld bytes."},
    };
    for (const Part& part : kParts) {
      const long position = static_cast<long>(ReadLe32(image->data + part.at));
      const long readable = std::clamp(fileLength - position, 0L, part.size);
      if (readable == part.size) continue;
      std::snprintf(text, sizeof text, part.format, shown, readable);
      return refuse(fup::kImageError, kContext);
    }
    NamedRevision(image->data, image->length, image->revision);
    return fup::kDone;
  }

  if (plan.prep == FupPrep::kValidateWrapped) {
    const int wrapped = fileLength >= 8 ? WrappedPrefix(image->data) : -1;
    if (wrapped < 0) {
      std::snprintf(text, sizeof text, "Invalid firmware image file.");
      return refuse(fup::kNoMemory, "FupBR()");
    }
    if (wrapped == 1) {
      image->data += 8;
      image->length -= 8;
    }
  } else if (const long header = device_->changer ? ImageHeader.Length() : 0; header > 0) {
    // Only a changer's image carries a header (kept by FupFileSize).
    image->data += std::min(header, image->length);
    image->length -= std::min(header, image->length);
  }
  if (image->length < 1) {
    std::snprintf(text, sizeof text, "Image file (%s) zero length.", shown);
    return refuse(fup::kImageError, plan.context);
  }
  // The offset field has 24 bits: a larger image would wrap onto its start.
  if (!plan.offsetsZero && plan.startOffset + image->length >= fup::kAddressable) {
    std::snprintf(text, sizeof text, "Image file (%s) too large: %ld bytes, the device addresses at most %ld.", shown,
                  image->length, fup::kAddressable - 1 - plan.startOffset);
    return refuse(fup::kImageError, plan.context);
  }
  // Named by the bytes the drive receives, as the drive itself reads it.
  NamedRevision(image->data, image->length, image->revision);
  return fup::kDone;
}
