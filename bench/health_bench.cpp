// Benchmark: a health run over 16 virtual tape drives, each with its pages
// and a cartridge, against a bare loop that sends the same commands (LOG
// SENSE of the same pages, TEST UNIT READY, READ ATTRIBUTE) and decodes
// nothing. Prints the time per drive of each and their ratio: what the
// health run's own work (decoding, findings) costs on top of the commands.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/system.h"
#include "device/records.h"
#include "device/scsi_int.h"
#include "facade/health_read.h"
#include "facade/scsi_wrapper.h"
#include "sim/sim.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDrives = 16;

std::string FleetBench() {
  std::string bench;
  for (int i = 0; i < kDrives; ++i) {
    bench += "device /dev/sg" + std::to_string(i) + " type=tape hctl=0:0:" + std::to_string(i) +
             ":0 vendor=HALCYON product=ULTRIUM-HH6 medium=1 serial=HU00000" + std::to_string(100 + i) + "\n";
  }
  return bench;
}

// The commands a health run sends to one drive, with nothing decoded.
void BareCommands(ScsiWrapper& wrapper, int32_t position) {
  wrapper.SetDeviceSelected(position);
  for (int page : {0x00, 0x12, 0x02, 0x03, 0x0C, 0x0D, 0x14}) SCSI.FetchLogPage(0x40 | page, 0);
  SCSI.TestUnitReady();
  uint8_t cdb[16] = {0x8C};
  be::Write32(cdb + 10, 0x8000);
  std::vector<uint8_t> data(0x8000);
  SCSI.SendCdb(kDataIn, cdb, sizeof cdb, "bench", data.data(), static_cast<long>(data.size()));
}

double UsPerDrive(Clock::duration d, int rounds) {
  return std::chrono::duration<double, std::micro>(d).count() / (rounds * kDrives);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  auto sim = std::make_unique<SimSystem>();
  std::string error;
  if (!sim->ParseBench(FleetBench(), &error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    return 1;
  }
  InstallSystem(std::move(sim));
  ScsiWrapper wrapper;
  if (wrapper.InitScsiDll(nullptr) != kDrives) {
    std::fprintf(stderr, "bench: the fleet was not found\n");
    return 1;
  }

  // Interleaved rounds so that both see the same machine.
  Clock::duration health{}, bare{};
  size_t findings = 0;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = Clock::now();
    const HealthRun run = ReadHealth(wrapper);
    auto t1 = Clock::now();
    for (int32_t p = 0; p < kDrives; ++p) BareCommands(wrapper, p);
    auto t2 = Clock::now();
    health += t1 - t0;
    bare += t2 - t1;
    for (const DeviceHealth& d : run.devices) findings += d.findings.size();
  }
  const double h = UsPerDrive(health, rounds), b = UsPerDrive(bare, rounds);
  std::printf("health run of %d virtual drives, %d rounds (%zu findings)\n", kDrives, rounds, findings);
  std::printf("  --health           %8.1f us/drive\n", h);
  std::printf("  bare LOG SENSE loop %7.1f us/drive\n", b);
  std::printf("  ratio health/bare  %8.3f\n", h / b);
  SCSI.CleanUp();
  return 0;
}
