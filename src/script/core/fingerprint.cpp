// KFingerPrint: name, reading, checking and writing of fingerprint side files.
#include "script/core/fingerprint.h"

#include "script/core/file_stack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using FileCloser = int (*)(FILE*);
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void WriteLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Byte sum and size of a regular file; false when it cannot be read whole.
bool SumFile(const std::string& path, uint32_t& sum, uint64_t& size) {
  UniqueFile f(std::fopen(path.c_str(), "rb"), &std::fclose);
  struct stat st {};
  if (!f || fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  sum = 0;
  size = 0;
  std::array<uint8_t, 16384> block;
  size_t n = 0;
  while ((n = std::fread(block.data(), 1, block.size(), f.get())) > 0) {
    sum = KFingerPrint::Checksum(std::span<const uint8_t>(block.data(), n), sum);
    size += n;
  }
  return std::ferror(f.get()) == 0;
}

}  // namespace

std::string KFingerPrint::FingerPrintName(std::string_view path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::string(path) + "FPF";
  return std::string(path.substr(0, dot + 1)) + "FPF";
}

uint32_t KFingerPrint::Checksum(std::span<const uint8_t> bytes, uint32_t sum) {
  for (const uint8_t b : bytes) sum += b;
  return sum;
}

int KFingerPrint::FetchFingerPrintData(const std::string& fingerPrintPath, uint32_t& checksum, uint32_t& size) const {
  UniqueFile f(std::fopen(fingerPrintPath.c_str(), "rb"), &std::fclose);
  struct stat st {};
  if (!f || fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return kNoFingerPrint;
  std::array<uint8_t, kFileSize + 1> data{};
  if (std::fread(data.data(), 1, data.size(), f.get()) != kFileSize) return kBadFingerPrint;
  checksum = ReadLe32(data.data() + kChecksumAt);
  size = ReadLe32(data.data() + kSizeAt);
  return 0;
}

int KFingerPrint::ValidateFingerPrint(const std::string& path) const {
  uint32_t sum = 0;
  uint64_t size = 0;
  if (!SumFile(path, sum, size)) return kFileUnreadable;
  uint32_t storedSum = 0;
  uint32_t storedSize = 0;
  const int rc = FetchFingerPrintData(FingerPrintName(path), storedSum, storedSize);
  if (rc == kNoFingerPrint) return kFileNoFingerPrint;
  if (rc != 0) return kFileBadFingerPrint;
  if (size != storedSize) return kFileSizeDiffers;
  if (sum != storedSum) return kFileChecksumDiffers;
  return 0;
}

int KFingerPrint::ValidateFingerPrint(const std::string& path, const uint8_t* bytes, int64_t length) const {
  if (bytes == nullptr) return kNoBuffer;
  if (length < 0) return kNegativeLength;
  uint32_t storedSum = 0;
  uint32_t storedSize = 0;
  const int rc = FetchFingerPrintData(FingerPrintName(path), storedSum, storedSize);
  if (rc != 0) return rc;
  if (static_cast<uint64_t>(length) != storedSize) return kSizeDiffers;
  if (Checksum(std::span<const uint8_t>(bytes, static_cast<size_t>(length))) != storedSum) return kChecksumDiffers;
  return 0;
}

int KFingerPrint::CreateFingerPrint(const std::string& path) const {
  uint32_t sum = 0;
  uint64_t size = 0;
  if (!SumFile(path, sum, size) || size > UINT32_MAX) return kSourceUnreadable;
  std::array<uint8_t, kFileSize> data{};
  for (uint8_t& b : data) b = static_cast<uint8_t>(std::rand());
  WriteLe32(data.data() + kChecksumAt, sum);
  WriteLe32(data.data() + kSizeAt, static_cast<uint32_t>(size));

  const std::string target = FingerPrintName(path);
  std::string temp = target + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return kCannotWrite;
  // The new file gets the mode a plain create would give it, or the old file's mode.
  struct stat old {};
  mode_t mode = 0;
  if (stat(target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
  ok = fchmod(fd, mode) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return kCannotWrite;
  }
  return 0;
}

int ValidateScriptFingerPrint(const std::string& fileName) { return KFingerPrint().ValidateFingerPrint(fileName); }
