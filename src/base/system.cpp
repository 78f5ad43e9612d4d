#include "base/system.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

class LinuxSystem final : public System {
 public:
  int Open(const char* path, int flags) override { return ::open(path, flags); }
  int Fcntl(int fd, int cmd, long arg) override { return ::fcntl(fd, cmd, arg); }
  int Ioctl(int fd, unsigned long request, void* arg) override { return ::ioctl(fd, request, arg); }
  int Close(int fd) override { return ::close(fd); }

  struct timeval Now() override {
    struct timeval tv {};
    ::gettimeofday(&tv, nullptr);
    return tv;
  }

  void Wait(long seconds, long microseconds) override {
    struct timeval tv {};
    tv.tv_sec = seconds;
    tv.tv_usec = microseconds;
    ::select(0, nullptr, nullptr, nullptr, &tv);
  }

  int SetUid(uid_t uid) override { return ::setuid(uid); }
  uid_t GetUid() override { return ::getuid(); }

  int Shell(const char* command) override {
    // Our own buffered output must come before the command's.
    std::fflush(stdout);
    std::fflush(stderr);
    return std::system(command);
  }
};

// The holder is never destroyed: the device layer's process-wide object
// closes its nodes during static destruction, which may come after any
// ordinary static here is gone.
std::unique_ptr<System>& Current() {
  union Holder {
    Holder() : system(MakeLinuxSystem()) {}
    ~Holder() {}
    std::unique_ptr<System> system;
  };
  static Holder holder;
  return holder.system;
}

}  // namespace

std::unique_ptr<System> MakeLinuxSystem() { return std::make_unique<LinuxSystem>(); }

System& Sys() { return *Current(); }

std::unique_ptr<System> InstallSystem(std::unique_ptr<System> system) {
  std::unique_ptr<System> previous = std::move(Current());
  Current() = std::move(system);
  return previous;
}
