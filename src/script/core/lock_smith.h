// KLockSmith: scrambles ("locks") and unscrambles script files and byte
// streams with one of three keyless, reversible byte transformations, and
// recognises which one a stream carries.
//
// For a byte b at position i (k = i % 8):
//   method 1: lock b | 0x80                      unlock b & 0x7F
//   method 2: lock ~(b with its nibbles swapped)  unlock the exact inverse
//   method 3: lock (b | 0x80) rotated right by k  unlock rotate left by k, & 0x7F
// Methods 1 and 3 assume 7-bit text.
//
// File operations write to a unique temporary file beside the target and move
// it into place only when every step succeeded, so a failure leaves the
// original file as it was and concurrent runs never share a temporary file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class KLockSmith {
 public:
  // Results of DetermineLock.
  static constexpr int kPlain = 0;
  static constexpr int kUnknown = 4;

  KLockSmith() = default;
  virtual ~KLockSmith() = default;

  // 0, or -1 for a method above 3 (the method is then unchanged).
  int SetLockMethod(int method);
  int GetLockMethod() const { return lockMethod_; }

  // 0 plain text, 1, 2 or 3 the method found, 4 unknown; -1 no buffer or file.
  // An empty stream (even without storage) is plain.
  int DetermineLock(const uint8_t* buffer, size_t length);
  int DetermineLock(const std::string& fileName);

  // In place with the object's method: 0 done; 1 when the method is 0;
  // -1 no buffer.
  int Lock(uint8_t* buffer, size_t length);
  // In place with the determined method (no line-end change): 0 unlocked;
  // 1 already plain (no change); 2 unknown scrambling (no change); -1 no buffer.
  int Unlock(uint8_t* buffer, size_t length);
  int Unlock(std::vector<uint8_t>& content) { return Unlock(content.data(), content.size()); }

  // Read a file and unlock its content in memory, the file untouched: what the
  // script loader and the catalogue use to read .XCS and .SCS files alike.
  // Results as Unlock (0 unlocked, 1 plain, 2 unknown), -1 file can't be read.
  // content holds the file's bytes (unlocked when the result is 0 or 1).
  int UnlockFileToMemory(const std::string& fileName, std::vector<uint8_t>& content);

  // Lock a file with the object's method. A locked source is unlocked first
  // (never scrambled twice); bare line feeds get a carriage return before
  // them. Written to destination when given, else the source is replaced.
  // 0 done; 1 method is 0; -1 source can't be read; -2 temporary file can't be
  // created (or written); -3 destination can't be created; -4 unknown
  // scrambling; -5 the preliminary unlock failed.
  int LockFile(const std::string& source, const std::string& destination = "");
  // Unlock a file in place; carriage returns are dropped (line ends become
  // single line feeds). 0 unlocked; 1 plain; 2 unknown; -1 file can't be read;
  // -2 temporary file can't be created (or written).
  int UnlockFile(const std::string& fileName);
  // Unlock a file with a given method (no detection) into destination.
  // 0 done; -1 source can't be read; -2 bad method; -3 destination can't be created.
  int ForceUnlockFile(const std::string& source, int method, const std::string& destination);

  // Remove every byte above 127, or replace it with replacement when replace
  // is true. Buffer form: returns the new length (or -1 for no buffer).
  // File form (in place): 0 done; -1 file can't be read; -2 temporary file
  // can't be created (or written).
  int CleanBeforeLock(uint8_t* buffer, size_t length, bool replace = false, char replacement = ' ');
  int CleanBeforeLock(const std::string& fileName, bool replace = false, char replacement = ' ');

  // Single-byte transformations (k = position % 8).
  static uint8_t LockByte(uint8_t b, int method, size_t position);
  static uint8_t UnlockByte(uint8_t b, int method, size_t position);

  // Counts of the last DetermineLock.
  uint32_t CountHigh() const { return countHigh_; }
  uint32_t CountBit3() const { return countBit3_; }
  uint32_t CountMethod3() const { return countMethod3_; }
  uint32_t CountZero() const { return countZero_; }

 private:
  uint32_t countHigh_ = 0;
  uint32_t countBit3_ = 0;
  uint32_t countMethod3_ = 0;
  uint32_t countZero_ = 0;
  int lockMethod_ = 1;
};
