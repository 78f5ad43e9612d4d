// Cost of a firmware download: an 8 MiB image sent by the Ultrium routine
// (16 KiB pieces, a 20 ms pause after each, then the commit) on the real
// clock, printed against what the routine cannot avoid: the sum of its
// pauses plus the same WRITE BUFFER commands sent back to back.
//
// Usage: firmware_download_bench [NODE [MiB]]   (default /dev/sg0, 8)
// Without VEXIL_SIM it runs on the virtual drives (a real-clock bench with
// one Ultrium 3 drive); with VEXIL_SIM set to a bench file, or on a real
// sg node (VEXIL_SIM=0), it uses that.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/system.h"
#include "device/scsi_int.h"
#include "sim/sim.h"

namespace {

constexpr long kPiece = 16384;
constexpr long kPauseMs = 20;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const char* node = argc > 1 ? argv[1] : "/dev/sg0";
  const long mib = argc > 2 ? std::atol(argv[2]) : 8;
  const long length = mib << 20;
  const char* setting = std::getenv("VEXIL_SIM");
  std::unique_ptr<SimSystem> sim;
  if (setting == nullptr) {
    sim = std::make_unique<SimSystem>(true);
    SimDeviceConfig c;
    c.node = node;
    c.product = "ULTRIUM 3";
    sim->AddDevice(c);
  } else if (*setting != '\0' && std::string(setting) != "0") {
    std::string error;
    sim = MakeSimSystem(setting, &error);
    if (!sim) {
      std::fprintf(stderr, "firmware_download_bench: %s\n", error.c_str());
      return 1;
    }
    sim->UseRealClock(true);
  }
  if (sim) InstallSystem(std::move(sim));

  if (SCSI.ScanDevices(1, 1, 1, 1, node) < 1) {
    std::fprintf(stderr, "firmware_download_bench: no drive at %s\n", node);
    return 1;
  }
  SCSI.SetDeviceIndex(0);
  SCSI.LeaveDeviceOpen(true);
  SCSI.TestUnitReady();
  // The routine unloads the cartridge first: do it here, untimed, as the
  // readiness check of a real update does.
  SCSI.Unload(600);
  SCSI.TestUnitReady();

  const std::string path = "/tmp/vexil_firmware_bench.bin";
  {
    std::vector<char> image(static_cast<size_t>(length));
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 3);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || std::fwrite(image.data(), 1, image.size(), f) != image.size()) {
      std::fprintf(stderr, "firmware_download_bench: cannot write %s\n", path.c_str());
      return 1;
    }
    std::fclose(f);
  }

  // The same pieces back to back, without pauses, file reads or commit.
  const long pieces = (length + kPiece - 1) / kPiece;
  std::vector<uint8_t> piece(kPiece, 0x5A);
  const auto bareStart = std::chrono::steady_clock::now();
  for (long i = 0; i < pieces; ++i) {
    if (SCSI.WriteBuffer(piece.data(), kPiece, 0x04, 0, i * kPiece, 0) != 1) {
      std::fprintf(stderr, "firmware_download_bench: bare piece %ld failed\n", i);
      return 1;
    }
  }
  const double bare = Seconds(std::chrono::steady_clock::now() - bareStart);

  // The pauses as this machine sleeps them (a sleep overshoots a little).
  const auto sleepStart = std::chrono::steady_clock::now();
  for (long i = 0; i < pieces; ++i) Sleep(kPauseMs);
  const double slept = Seconds(std::chrono::steady_clock::now() - sleepStart);

  const auto start = std::chrono::steady_clock::now();
  const long result = SCSI.FupLTO(path.c_str(), length);
  const double download = Seconds(std::chrono::steady_clock::now() - start);
  std::remove(path.c_str());
  if (result != 58) {
    std::fprintf(stderr, "firmware_download_bench: download gave %ld: %s\n", result, SCSI.GetMessageBuffer());
    return 1;
  }

  const double pauses = pieces * kPauseMs / 1000.0;
  std::printf("%ld MiB image, %ld pieces of %ld bytes on %s\n", mib, pieces, kPiece, node);
  std::printf("  download            %8.3f s\n", download);
  std::printf("  prescribed pauses   %8.3f s  (%.3f s as slept here)\n", pauses, slept);
  std::printf("  bare WRITE BUFFER   %8.3f s  (%.1f us a piece)\n", bare, bare / pieces * 1e6);
  std::printf("  download / (pauses + bare) = %.3f  (%.3f with the pauses as slept); %.1f us a piece beyond them\n",
              download / (pauses + bare), download / (slept + bare), (download - slept - bare) / pieces * 1e6);
  return 0;
}
