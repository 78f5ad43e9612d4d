// Ctrl-C, SIGTERM and SIGABRT: log the interruption, clean up, end.
#pragma once

#include <signal.h>

void handlectrl_c(int signal);
void handleterm(int signal);
void handleabort(int signal);
struct ConsoleState;

// Installs the handlers; they clean up `console`, which must outlive them
// (main's state lives until the process ends).
void InstallSignalHandlers(ConsoleState& console);
// From then on the handlers only end the process (the state is going away).
void ForgetConsoleOnSignals(const ConsoleState& console);

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
