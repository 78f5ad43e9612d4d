// Start-up and command cost on the virtual drives.
//
// 1. `vexil -version` as a process (VEXIL_SIM=1): the cost of starting the
//    console, showing its banners and cleaning up.
// 2. 1,000 TEST UNIT READY commands to the virtual /dev/sg0, through the
//    facade (ScsiWrapper::SendCmd) and through the device layer alone
//    (ScsiInt::SendCdb), without a script.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/system.h"
#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"
#include "sim/sim.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// One `vexil -version` run with its output thrown away; false if it failed.
bool RunVersionOnce() {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::setenv("VEXIL_SIM", "1", 1);
    ::execl(VEXIL_BINARY, VEXIL_BINARY, "-version", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BenchVersion(int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    if (!RunVersionOnce()) {
      std::printf("vexil -version failed on run %d\n", i + 1);
      return;
    }
    times.push_back(Milliseconds(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  double sum = 0;
  for (double t : times) sum += t;
  std::printf("vexil -version (%d runs): mean %.2f ms, median %.2f ms, min %.2f ms, max %.2f ms\n", runs, sum / runs,
              times[times.size() / 2], times.front(), times.back());
}

template <typename Send>
void BenchCommands(const char* label, int count, Send send) {
  const auto start = Clock::now();
  int failures = 0;
  for (int i = 0; i < count; ++i) failures += send() ? 0 : 1;
  const double total = Milliseconds(Clock::now() - start);
  std::printf("%-38s %d commands in %.2f ms: %.2f us per command (%d failed)\n", label, count, total,
              total * 1000.0 / count, failures);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  BenchVersion(runs);

  std::string error;
  std::unique_ptr<SimSystem> sim = MakeSimSystem("1", &error);
  if (!sim) {
    std::printf("virtual drives unavailable: %s\n", error.c_str());
    return 1;
  }
  InstallSystem(std::move(sim));

  ScsiWrapper facade;
  if (facade.InitScsiDll("/dev/sg0") < 1) {
    std::printf("virtual /dev/sg0 not found\n");
    return 1;
  }
  facade.SetDeviceSelected(0);
  const uint8_t tur[6] = {0x00, 0, 0, 0, 0, 0};
  constexpr int kCommands = 1000;
  BenchCommands("TEST UNIT READY via the facade:", kCommands,
                [&] { return facade.SendCmd(2, tur, sizeof tur, nullptr, 0); });
  BenchCommands("TEST UNIT READY via the device layer:", kCommands,
                [&] { return SCSI.SendCdb(2, tur, sizeof tur, "Bench", nullptr, 0) >= 1; });
  return 0;
}
