// Trace buffer collection (-b): the drive's trace buffer read with READ BUFFER
// into "<folder>/TraceBuffer_<serial>.svm".
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/text_util.h"
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
  const std::string path = dir + "/TraceBuffer_" + text::FileNamePart(text::View(SCSI.GetSerialNumber())) + ".svm";
  // The collection goes to a file beside the old one, which it replaces only
  // when complete: a failed run never costs the trace of an earlier one.
  const std::string partial = path + ".part";

  // The default folder may not exist yet on a fresh installation.
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
    std::printf("Unable to create the folder %s\n", dir.c_str());
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(partial.c_str(), "wb"));
  if (!file) {
    std::printf("Unable to open %s for writing\n", partial.c_str());
    return false;
  }
  std::printf("Starting the trace collection. Output will be written to %s\n", path.c_str());

  uint32_t offset = 0;
  uint32_t total = 0;
  // Whatever happens after the file is open: keep only a complete trace, and
  // the bytes of a short one beside it for a look.
  const auto fail = [&]() {
    file.reset();
    if (offset == 0)
      std::remove(partial.c_str());
    else
      std::printf("The incomplete trace (%u of %u bytes) is left in %s\n", offset, total, partial.c_str());
    return false;
  };

  std::vector<uint8_t> chunk(kChunk);
  uint32_t length = kChunk;
  for (;;) {
    // READ BUFFER, mode 4 (descriptor-less data), buffer id 7: the trace.
    uint8_t cdb[10] = {0x3C, 0x04, 0x07};
    be::Write24(cdb + 3, offset);
    be::Write24(cdb + 6, length);
    const int32_t result = RunCommand(1, cdb, sizeof cdb, "LTO Trace", chunk.data(), length);
    if (!CheckStatus(result, "ReadBuffer (trace)")) return fail();
    const uint32_t arrived = static_cast<uint32_t>(result);

    if (offset == 0) {
      if (arrived < kTotalSizeOffset + 4) {
        std::printf("The trace buffer header is too short (%u bytes)\n", arrived);
        return fail();
      }
      total = LittleEndian32(chunk.data() + kTotalSizeOffset);
      std::printf("Total data size = %u bytes\n", total);
      if (total > kMaxTotal) {
        std::printf("The trace buffer size is not valid\n");
        return fail();
      }
    }

    // The first chunk may hold more than the whole trace; a drive that sends
    // less than asked has cut the trace short.
    const uint32_t wanted = std::min(length, total - offset);
    const uint32_t take = std::min(wanted, arrived);
    if (std::fwrite(chunk.data(), 1, take, file.get()) != take) {
      std::printf("Unable to write %s\n", partial.c_str());
      return fail();
    }
    offset += take;
    if (take < wanted) {
      std::printf("The drive sent %u of %u bytes at offset %u: the trace is incomplete\n", arrived, wanted,
                  offset - take);
      return fail();
    }
    if (total > 0) std::printf("%3.2f %% complete\n", 100.0 - 100.0 * static_cast<double>(total - offset) / total);
    if (offset >= total) break;
    length = std::min(kChunk, total - offset);
  }
  if (std::fclose(file.release()) != 0 || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    std::printf("Unable to write %s\n", path.c_str());
    return false;
  }
  return true;
}
