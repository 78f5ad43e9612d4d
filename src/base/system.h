// The one seam between the device layer and the operating system.
//
// Everything the device layer needs from the host goes through here: opening
// and closing device nodes, the sg ioctls, the wall clock and sleeping, the
// user id, and the few shell commands the console runs for its diagnostics.
// LinuxSystem makes the real calls; the virtual drives of src/sim provide
// another implementation so the console can run, and be tested, without
// hardware and without waiting for real time to pass.
#pragma once

#include <sys/time.h>
#include <sys/types.h>

#include <memory>

class System {
 public:
  virtual ~System() = default;

  // Node access. Results and errno follow the POSIX calls of the same name.
  virtual int Open(const char* path, int flags) = 0;
  virtual int Fcntl(int fd, int cmd, long arg) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
  virtual int Close(int fd) = 0;

  // Wall clock (gettimeofday) and sleeping (select on no descriptors).
  virtual struct timeval Now() = 0;
  virtual void Wait(long seconds, long microseconds) = 0;

  // Privileges, as setuid/getuid.
  virtual int SetUid(uid_t uid) = 0;
  virtual uid_t GetUid() = 0;

  // Runs a command through the shell with its output on our standard
  // output; returns the shell's exit status (as system() does).
  virtual int Shell(const char* command) = 0;
};

// The system in use: LinuxSystem unless another was installed.
System& Sys();

// Replaces the system in use (the virtual drives, or a test's fake).
// Returns the previous one so a test can put it back.
std::unique_ptr<System> InstallSystem(std::unique_ptr<System> system);

// The real system calls.
std::unique_ptr<System> MakeLinuxSystem();
