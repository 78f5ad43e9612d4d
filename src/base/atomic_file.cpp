#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

mode_t ModeFor(const std::string& path) {
  struct stat old {};
  if (stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string& error) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = "Unable to write " + path + ": " + std::strerror(errno);
    return false;
  }
  // The reason of the first step that fails is the one to report.
  int failure = 0;
  const auto step = [&failure](bool done) {
    if (!done && failure == 0) failure = errno;
    return done;
  };
  bool ok = step(WriteAll(fd, content)) && step(fchmod(fd, ModeFor(path)) == 0) && step(fsync(fd) == 0);
  ok = step(close(fd) == 0) && ok;
  ok = ok && step(std::rename(temp.c_str(), path.c_str()) == 0);
  if (!ok) {
    unlink(temp.c_str());
    error = "Unable to write " + path + ": " + std::strerror(failure);
    return false;
  }
  return true;
}
