#include <algorithm>
#include <cstdio>
#include <string>

#include "base/hex_dump.h"
#include "facade/scsi_wrapper.h"

namespace {

// The inquiry dump: a six-digit offset, the bytes, the printable characters.
constexpr HexDumpStyle kRawDataStyle = {"  %06X:", " %02X", 0, 60, 0x20, 0x7E};

}  // namespace

void ScsiWrapper::HexDump(const uint8_t* data, int32_t length) {
  std::printf(" RAW_DATA: %u\n", static_cast<unsigned>(std::max(length, 0)));
  if (length < 1 || data == nullptr) return;
  const std::span<const uint8_t> bytes(data, static_cast<size_t>(length));
  for (const std::string& line : HexDumpLines(bytes, 0, static_cast<uint32_t>(length), kRawDataStyle))
    std::printf("%s\n", line.c_str());
}
