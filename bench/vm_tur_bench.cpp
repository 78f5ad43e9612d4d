// N TEST UNIT READY commands through the console's command path: the facade's
// SendCmd (the path of a raw CDB in parse mode) down to the device layer's
// SendCdb and DevIo and one SG_IO each. Meant for a real sg node; vm_bench.sh
// runs it in the VM beside a bare SG_IO loop and sg_turs.
//
// Usage: vm_tur_bench [NODE [N]]   (default /dev/sg0, 10000)
// Prints: "vexil N NANOSECONDS FAILED"
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/system.h"
#include "facade/scsi_wrapper.h"
#include "sim/sim.h"

int main(int argc, char** argv) {
  const char* node = argc > 1 ? argv[1] : "/dev/sg0";
  const long count = argc > 2 ? std::atol(argv[2]) : 10000;
  // VEXIL_SIM as for the console: a quick look on a machine without drives.
  if (const char* setting = std::getenv("VEXIL_SIM")) {
    std::string error;
    std::unique_ptr<SimSystem> sim = MakeSimSystem(setting, &error);
    if (!sim) {
      std::fprintf(stderr, "vm_tur_bench: %s\n", error.c_str());
      return 1;
    }
    InstallSystem(std::move(sim));
  }
  ScsiWrapper wrapper;
  if (wrapper.InitScsiDll(node) < 1) {
    std::fprintf(stderr, "vm_tur_bench: no drive at %s\n", node);
    return 1;
  }
  wrapper.SetDeviceSelected(0);
  const uint8_t tur[6] = {0, 0, 0, 0, 0, 0};
  // The first command opens the node for good; it is not timed.
  wrapper.SendCmd(2, tur, sizeof tur, nullptr, 0);

  long failed = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < count; ++i) {
    if (!wrapper.SendCmd(2, tur, sizeof tur, nullptr, 0)) ++failed;
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::printf("vexil %ld %lld %ld\n", count,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()), failed);
  return failed == 0 ? 0 : 1;
}
