// N 256 KiB WRITE(10) and then N READ(10) transfers through the device
// layer's data path (SendCdb on its own data buffer, as the tape data
// commands use it) to a disk-like unit. Meant for scsi_debug in the VM;
// vm_throughput_bench.sh runs it beside a bare SG_IO loop and sg_dd.
//
// Usage: throughput_bench NODE N [copy]
//   copy: hand the layer a buffer of our own, which it copies in and out.
// Prints: "vexil N WRITE_NS READ_NS FAILED" and a line comparing the
// layer's own totals and rates with the times measured here around each
// command.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/scsi_int.h"

namespace {

constexpr long kTransfer = 262144;
constexpr uint32_t kBlocks = kTransfer / 512;

struct Pass {
  long long wall = 0;  // the whole pass
  long long ns = 0;    // sum of the commands' own times
  long failed = 0;
};

Pass Run(uint8_t opcode, int direction, long count, uint32_t chunks, uint8_t* data) {
  Pass pass;
  const auto begin = std::chrono::steady_clock::now();
  for (long i = 0; i < count; ++i) {
    uint8_t cdb[10] = {opcode};
    const uint32_t lba = static_cast<uint32_t>(i % chunks) * kBlocks;
    cdb[2] = static_cast<uint8_t>(lba >> 24), cdb[3] = static_cast<uint8_t>(lba >> 16);
    cdb[4] = static_cast<uint8_t>(lba >> 8), cdb[5] = static_cast<uint8_t>(lba);
    cdb[7] = static_cast<uint8_t>(kBlocks >> 8), cdb[8] = static_cast<uint8_t>(kBlocks);
    const auto start = std::chrono::steady_clock::now();
    const long result = SCSI.SendCdb(direction, cdb, sizeof cdb, "Throughput", data, kTransfer);
    pass.ns += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (result != kTransfer) ++pass.failed;
  }
  pass.wall = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - begin).count();
  return pass;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: throughput_bench NODE N [copy]\n");
    return 2;
  }
  const long count = std::atol(argv[2]);
  const bool copy = argc > 3 && std::strcmp(argv[3], "copy") == 0;
  if (SCSI.ScanDevices(1, 1, 1, 1, argv[1]) < 1) {
    std::fprintf(stderr, "throughput_bench: no drive at %s\n", argv[1]);
    return 1;
  }
  SCSI.SetDeviceIndex(0);
  SCSI.TestUnitReady();  // opens the node; not timed
  // 8 MiB of the unit is written over and over.
  const uint32_t chunks = 32;
  std::vector<uint8_t> own(kTransfer, 0x5A);
  uint8_t* data = copy ? own.data() : SCSI.GetDataBuffer();
  std::memset(data, 0x5A, kTransfer);
  SCSI.ResetDeviceStats();
  const Pass write = Run(0x2A, kDataOut, count, chunks, data);
  const Pass read = Run(0x28, kDataIn, count, chunks, data);
  std::printf("%s %ld %lld %lld %ld\n", copy ? "vexil+copy" : "vexil", count, write.wall, read.wall,
              write.failed + read.failed);
  const double mib = static_cast<double>(count) * kTransfer / 1048576.0;
  std::printf(
      "stats %s write %.3f s %lld KiB avg %.2f MiB/s, own %.3f s %.2f MiB/s; "
      "read %.3f s %lld KiB avg %.2f MiB/s, own %.3f s %.2f MiB/s\n",
      copy ? "vexil+copy" : "vexil", SCSI.GetWriteSecs(), static_cast<long long>(SCSI.GetKBytesWritten()),
      SCSI.GetWriteMbPerSecAvg(), write.ns / 1e9, mib / (write.ns / 1e9), SCSI.GetReadSecs(),
      static_cast<long long>(SCSI.GetKBytesRead()), SCSI.GetReadMbPerSecAvg(), read.ns / 1e9, mib / (read.ns / 1e9));
  return write.failed + read.failed == 0 ? 0 : 1;
}
