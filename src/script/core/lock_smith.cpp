// Script scrambler: lock and unlock byte streams and files.
#include "script/core/lock_smith.h"
#include "script/core/file_stack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace {

constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;

uint8_t RotateRight(uint8_t b, unsigned k) {
  k &= 7u;
  return k == 0 ? b : static_cast<uint8_t>((b >> k) | (b << (8 - k)));
}

uint8_t RotateLeft(uint8_t b, unsigned k) {
  k &= 7u;
  return k == 0 ? b : static_cast<uint8_t>((b << k) | (b >> (8 - k)));
}

uint8_t SwapHalves(uint8_t b) { return static_cast<uint8_t>((b >> 4) | (b << 4)); }

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& content) {
  content.clear();
  if (path.empty()) return false;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.insert(content.end(), chunk, chunk + got);
  bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

enum class WriteResult { kDone, kNoTemporary, kFailed };

// Write bytes to a unique temporary file beside target, then move it into
// place. The target is untouched unless every step succeeded; an existing
// target keeps its permissions.
WriteResult ReplaceFile(const std::string& target, const std::vector<uint8_t>& bytes) {
  std::filesystem::path dir = std::filesystem::path(target).parent_path();
  std::string pattern = (dir.empty() ? std::string(".") : dir.string()) + "/.vexil-lock-XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0) return WriteResult::kNoTemporary;
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) fchmod(fd, st.st_mode & 07777);
  size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) ok = false;
  if (ok && std::rename(pattern.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    unlink(pattern.c_str());
    return WriteResult::kFailed;
  }
  return WriteResult::kDone;
}

// Unscramble every byte with the given method; bytes that come out as a
// carriage return are dropped, so line ends become single line feeds.
std::vector<uint8_t> UnlockDroppingReturns(const std::vector<uint8_t>& in, int method) {
  std::vector<uint8_t> out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    uint8_t b = KLockSmith::UnlockByte(in[i], method, i);
    if (b != kCarriageReturn) out.push_back(b);
  }
  return out;
}

}  // namespace

uint8_t KLockSmith::LockByte(uint8_t b, int method, size_t position) {
  switch (method) {
    case 1:
      return static_cast<uint8_t>(b | 0x80);
    case 2:
      return static_cast<uint8_t>(~SwapHalves(b));
    case 3:
      return RotateRight(static_cast<uint8_t>(b | 0x80), static_cast<unsigned>(position % 8));
    default:
      return b;
  }
}

uint8_t KLockSmith::UnlockByte(uint8_t b, int method, size_t position) {
  switch (method) {
    case 1:
      return static_cast<uint8_t>(b & 0x7F);
    case 2:
      return SwapHalves(static_cast<uint8_t>(~b));
    case 3:
      return static_cast<uint8_t>(RotateLeft(b, static_cast<unsigned>(position % 8)) & 0x7F);
    default:
      return b;
  }
}

int KLockSmith::SetLockMethod(int method) {
  if (method < 0 || method > 3) return -1;
  lockMethod_ = method;
  return 0;
}

int KLockSmith::DetermineLock(const uint8_t* buffer, size_t length) {
  countHigh_ = countBit3_ = countMethod3_ = countZero_ = 0;
  // An empty stream carries no scrambling (every count would match); an empty
  // vector may well have no storage at all.
  if (length == 0) return kPlain;
  if (buffer == nullptr) return -1;
  for (size_t i = 0; i < length; ++i) {
    uint8_t b = buffer[i];
    if (b & 0x80) ++countHigh_;
    if (b & 0x08) ++countBit3_;
    if (b == 0) ++countZero_;
    if (b & (0x80u >> (i % 8))) ++countMethod3_;
  }
  if (countHigh_ == length) return 1;
  if (countBit3_ == length) return 2;
  if (countMethod3_ == length) return 3;
  if (countHigh_ > 0) return kUnknown;
  return countZero_ == 0 ? kPlain : kUnknown;
}

int KLockSmith::DetermineLock(const std::string& fileName) {
  std::vector<uint8_t> content;
  if (!ReadWholeFile(fileName, content)) return -1;
  return DetermineLock(content.data(), content.size());
}

int KLockSmith::Lock(uint8_t* buffer, size_t length) {
  if (lockMethod_ == 0) return 1;
  if (buffer == nullptr && length > 0) return -1;
  for (size_t i = 0; i < length; ++i) buffer[i] = LockByte(buffer[i], lockMethod_, i);
  return 0;
}

int KLockSmith::Unlock(uint8_t* buffer, size_t length) {
  int method = DetermineLock(buffer, length);
  if (method < 0) return -1;
  if (method == kPlain) return 1;
  if (method == kUnknown) return 2;
  for (size_t i = 0; i < length; ++i) buffer[i] = UnlockByte(buffer[i], method, i);
  return 0;
}

int KLockSmith::UnlockFileToMemory(const std::string& fileName, std::vector<uint8_t>& content) {
  if (!ReadWholeFile(fileName, content)) return -1;
  return Unlock(content);
}

int KLockSmith::LockFile(const std::string& source, const std::string& destination) {
  if (lockMethod_ == 0) return 1;
  std::vector<uint8_t> plain;
  if (!ReadWholeFile(source, plain)) return -1;
  // A locked source is unlocked first so that it is never scrambled twice.
  int found = DetermineLock(plain.data(), plain.size());
  if (found == kUnknown) return -4;
  if (found < 0) return -5;
  if (found != kPlain) plain = UnlockDroppingReturns(plain, found);

  std::vector<uint8_t> locked;
  locked.reserve(plain.size() + plain.size() / 16 + 8);
  uint8_t previous = 0;
  for (uint8_t b : plain) {
    if (b == kLineFeed && previous != kCarriageReturn)
      locked.push_back(LockByte(kCarriageReturn, lockMethod_, locked.size()));
    locked.push_back(LockByte(b, lockMethod_, locked.size()));
    previous = b;
  }

  bool toDestination = !destination.empty();
  switch (ReplaceFile(toDestination ? destination : source, locked)) {
    case WriteResult::kDone:
      return 0;
    case WriteResult::kNoTemporary:
      return toDestination ? -3 : -2;
    case WriteResult::kFailed:
      return toDestination ? -3 : -2;
  }
  return -2;
}

int KLockSmith::UnlockFile(const std::string& fileName) {
  std::vector<uint8_t> content;
  if (!ReadWholeFile(fileName, content)) return -1;
  int method = DetermineLock(content.data(), content.size());
  if (method == kPlain) return 1;
  if (method == kUnknown || method < 0) return 2;
  return ReplaceFile(fileName, UnlockDroppingReturns(content, method)) == WriteResult::kDone ? 0 : -2;
}

int KLockSmith::ForceUnlockFile(const std::string& source, int method, const std::string& destination) {
  std::vector<uint8_t> content;
  if (!ReadWholeFile(source, content)) return -1;
  if (method < 1 || method > 3) return -2;
  if (destination.empty()) return -3;
  return ReplaceFile(destination, UnlockDroppingReturns(content, method)) == WriteResult::kDone ? 0 : -3;
}

int KLockSmith::CleanBeforeLock(uint8_t* buffer, size_t length, bool replace, char replacement) {
  if (buffer == nullptr) return -1;
  size_t out = 0;
  for (size_t i = 0; i < length; ++i) {
    if (buffer[i] <= 127) {
      buffer[out++] = buffer[i];
    } else if (replace) {
      buffer[out++] = static_cast<uint8_t>(replacement);
    }
  }
  return static_cast<int>(out);
}

int KLockSmith::CleanBeforeLock(const std::string& fileName, bool replace, char replacement) {
  std::vector<uint8_t> content;
  if (!ReadWholeFile(fileName, content)) return -1;
  int length = CleanBeforeLock(content.data(), content.size(), replace, replacement);
  content.resize(static_cast<size_t>(length));
  return ReplaceFile(fileName, content) == WriteResult::kDone ? 0 : -2;
}

int ReadScriptFile(const std::string& fileName, std::vector<uint8_t>& content) {
  KLockSmith smith;
  return smith.UnlockFileToMemory(fileName, content);
}
