#include "frontend/signals.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "frontend/console_state.h"
#include "frontend/firmware_flows.h"
#include "frontend/log_file.h"

namespace {

volatile sig_atomic_t g_ending = 0;

// A handler receives only the signal number, so the one state it must clean
// up is reached through this pointer, set where the handlers are installed.
ConsoleState* g_console = nullptr;

[[noreturn]] void EndOnSignal(const char* text, int status) {
  // A second signal while the first is being handled must not run the
  // clean-up again over half-freed objects.
  if (g_ending != 0) ::_exit(status & 0xFF);
  g_ending = 1;
  note_interrupted_update();
  if (g_console != nullptr) {
    if (g_console->log) g_console->log->Skerry_Write2Log(1, kLogSevere, text);
    cleanup(*g_console);
  }
  std::exit(status);
}

}  // namespace

void handlectrl_c(int) { EndOnSignal("The user interrupted the program...exiting!", -10); }
void handleterm(int) { EndOnSignal("The program was terminated...exiting!", -11); }
void handleabort(int) { EndOnSignal("The program was abnormally terminated...exiting!", -12); }

namespace {

struct HandlerRow {
  int signal;
  void (*handler)(int);
};
constexpr HandlerRow kHandlers[] = {{SIGINT, handlectrl_c}, {SIGABRT, handleabort}, {SIGTERM, handleterm}};

}  // namespace

ScopedSignalBlock::ScopedSignalBlock() {
  sigset_t blocked;
  sigemptyset(&blocked);
  for (const HandlerRow& row : kHandlers) sigaddset(&blocked, row.signal);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
}

ScopedSignalBlock::~ScopedSignalBlock() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void InstallSignalHandlers(ConsoleState& console) {
  g_console = &console;
  for (const HandlerRow& row : kHandlers) {
    struct sigaction action {};
    action.sa_handler = row.handler;
    // One handler at a time: a second signal waits until the first has
    // written its line and cleaned up.
    sigemptyset(&action.sa_mask);
    for (const HandlerRow& other : kHandlers) sigaddset(&action.sa_mask, other.signal);
    ::sigaction(row.signal, &action, nullptr);
  }
}

void ForgetConsoleOnSignals(const ConsoleState& console) {
  if (g_console == &console) g_console = nullptr;
}
