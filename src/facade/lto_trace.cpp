// Trace buffer collection (-b): the drive's trace buffer read with READ BUFFER
// into "<folder>/TraceBuffer_<serial>.svm".
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"

namespace {

constexpr uint32_t kChunk = 65536;
// The first chunk carries the total size, little-endian, at this offset.
constexpr size_t kTotalSizeOffset = 84;
// Offsets travel in three CDB bytes; a larger total is not a trace size.
constexpr uint32_t kMaxTotal = 0x1000000;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

uint32_t LittleEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

bool ScsiWrapper::LTO_Trace(const char* folder) {
  const std::string dir = folder != nullptr ? folder : "FAData";
  const char* serial = SCSI.GetSerialNumber();
  const std::string path = dir + "/TraceBuffer_" + (serial != nullptr ? serial : "") + ".svm";

  // The default folder may not exist yet on a fresh installation.
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
    std::printf("Unable to create the folder %s\n", dir.c_str());
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    std::printf("Unable to open %s for writing\n", path.c_str());
    return false;
  }
  std::printf("Starting the trace collection. Output will be written to %s\n", path.c_str());

  std::vector<uint8_t> chunk(kChunk);
  uint32_t offset = 0;
  uint32_t total = 0;
  uint32_t length = kChunk;
  for (;;) {
    // READ BUFFER, mode 4 (descriptor-less data), buffer id 7: the trace.
    const uint8_t cdb[10] = {0x3C,
                             0x04,
                             0x07,
                             static_cast<uint8_t>(offset >> 16),
                             static_cast<uint8_t>(offset >> 8),
                             static_cast<uint8_t>(offset),
                             static_cast<uint8_t>(length >> 16),
                             static_cast<uint8_t>(length >> 8),
                             static_cast<uint8_t>(length),
                             0x00};
    std::fill(chunk.begin(), chunk.end(), 0);
    const int32_t result = RunCommand(1, cdb, sizeof cdb, "LTO Trace", chunk.data(), length);
    if (!CheckStatus(result, "ReadBuffer (trace)")) return false;

    if (offset == 0) {
      if (result < static_cast<int32_t>(kTotalSizeOffset + 4)) {
        std::printf("The trace buffer header is too short (%d bytes)\n", result);
        return false;
      }
      total = LittleEndian32(chunk.data() + kTotalSizeOffset);
      std::printf("Total data size = %u bytes\n", total);
      if (total == 0) return true;
      if (total > kMaxTotal) {
        std::printf("The trace buffer size is not valid\n");
        return false;
      }
    }

    // The first chunk may hold more than the whole trace.
    const uint32_t take = std::min(length, total - offset);
    offset += take;
    std::printf("%3.2f %% complete\n", 100.0 - 100.0 * static_cast<double>(total - offset) / total);
    if (std::fwrite(chunk.data(), 1, take, file.get()) != take) {
      std::printf("Unable to write %s\n", path.c_str());
      return false;
    }
    if (offset >= total) break;
    length = std::min(kChunk, total - offset);
  }
  if (std::fclose(file.release()) != 0) {
    std::printf("Unable to write %s\n", path.c_str());
    return false;
  }
  return true;
}
