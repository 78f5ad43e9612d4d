#include "scratch_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

time_t g_fixed_time = 0;

class FixedClockSystem final : public System {
 public:
  explicit FixedClockSystem(System* inner) : inner_(inner) {}
  int Open(const char* path, int flags) override { return inner_->Open(path, flags); }
  int Fcntl(int fd, int cmd, long arg) override { return inner_->Fcntl(fd, cmd, arg); }
  int Ioctl(int fd, unsigned long request, void* arg) override { return inner_->Ioctl(fd, request, arg); }
  int Close(int fd) override { return inner_->Close(fd); }
  struct timeval Now() override {
    struct timeval tv {};
    tv.tv_sec = g_fixed_time;
    return tv;
  }
  void Wait(long, long) override {}
  int SetUid(uid_t uid) override { return inner_->SetUid(uid); }
  uid_t GetUid() override { return inner_->GetUid(); }
  int Shell(const char* command) override { return inner_->Shell(command); }

 private:
  System* inner_;
};

}  // namespace

void ScratchFolder::SetUp() {
  workdir_.emplace("front", std::initializer_list<const char*>{});
  root_ = workdir_->path();
  ASSERT_FALSE(root_.empty());
}

void ScratchFolder::TearDown() { workdir_.reset(); }

void ScratchFolder::WriteFile(const std::string& name, const std::string& content) {
  std::ofstream out(root_ + "/" + name, std::ios::binary);
  out << content;
}

std::string ScratchFolder::ReadFile(const std::string& name) {
  std::ifstream in(name.empty() || name[0] == '/' ? name : root_ + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

FixedClock::FixedClock(time_t when) {
  g_fixed_time = when;
  // The fake forwards everything but the clock to the real system calls.
  static std::unique_ptr<System> real = MakeLinuxSystem();
  previous_ = InstallSystem(std::make_unique<FixedClockSystem>(real.get()));
}

FixedClock::~FixedClock() { InstallSystem(std::move(previous_)); }

void FixedClock::Set(time_t when) { g_fixed_time = when; }
