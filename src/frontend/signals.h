// Ctrl-C, SIGTERM and SIGABRT: log the interruption, clean up, end.
#pragma once

#include <signal.h>

void handlectrl_c(int signal);
void handleterm(int signal);
void handleabort(int signal);
void InstallSignalHandlers();

// Holds SIGINT, SIGTERM and SIGABRT back for its lifetime, so that the
// handlers never run in the middle of a clean-up.
class ScopedSignalBlock {
 public:
  ScopedSignalBlock();
  ~ScopedSignalBlock();
  ScopedSignalBlock(const ScopedSignalBlock&) = delete;
  ScopedSignalBlock& operator=(const ScopedSignalBlock&) = delete;

 private:
  sigset_t previous_;
};
