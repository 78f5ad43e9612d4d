// KFingerPrint: the side file (".FPF", 128 bytes) that holds the size and the
// byte sum of a released script, its check when a script is loaded with the
// check asked for, and the writer.
//
// Layout: 60 filler bytes, the checksum (32-bit little-endian) at 60, 60
// filler bytes, the size (32-bit little-endian) at 124. The checksum is the
// sum of the file's bytes, each taken unsigned, modulo 2^32; the check and
// the writer use the same rule. The bytes summed are the file as stored on
// disk (a locked script is fingerprinted and checked in its locked form).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class KFingerPrint {
 public:
  static constexpr size_t kFileSize = 128;
  static constexpr size_t kChecksumAt = 60;
  static constexpr size_t kSizeAt = 124;

  // Results of ValidateFingerPrint over a file.
  static constexpr int kFileUnreadable = -1;
  static constexpr int kFileNoFingerPrint = -2;
  static constexpr int kFileBadFingerPrint = -3;  // not 128 bytes
  static constexpr int kFileSizeDiffers = -4;
  static constexpr int kFileChecksumDiffers = -5;
  // Results of ValidateFingerPrint over bytes in memory.
  static constexpr int kNoBuffer = -1;
  static constexpr int kNegativeLength = -2;
  static constexpr int kNoFingerPrint = -3;
  static constexpr int kBadFingerPrint = -4;  // not 128 bytes
  static constexpr int kSizeDiffers = -5;
  static constexpr int kChecksumDiffers = -8;
  // Results of CreateFingerPrint.
  static constexpr int kSourceUnreadable = -1;
  static constexpr int kCannotWrite = -2;

  virtual ~KFingerPrint() = default;

  // The path cut after the last "." of its file name, followed by "FPF"
  // ("Scripts/a.xcs" gives "Scripts/a.FPF"); a name without "." gets "FPF" appended.
  static std::string FingerPrintName(std::string_view path);
  static uint32_t Checksum(std::span<const uint8_t> bytes, uint32_t sum = 0);

  // Checksum and size stored in a fingerprint file: 0, kNoFingerPrint or kBadFingerPrint.
  int FetchFingerPrintData(const std::string& fingerPrintPath, uint32_t& checksum, uint32_t& size) const;
  // The file at path against its fingerprint file.
  int ValidateFingerPrint(const std::string& path) const;
  // Bytes already read from path (length as read) against path's fingerprint file.
  int ValidateFingerPrint(const std::string& path, const uint8_t* bytes, int64_t length) const;
  // Writes the fingerprint file of path: 0, kSourceUnreadable or kCannotWrite.
  // The file is written beside its final name and moved into place, so an
  // existing (even read-only) fingerprint file is replaced without touching
  // any permission, and a failure leaves the old one as it was.
  int CreateFingerPrint(const std::string& path) const;
};
