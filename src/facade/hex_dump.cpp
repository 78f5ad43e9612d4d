#include <algorithm>
#include <cstdio>

#include "facade/scsi_wrapper.h"

void ScsiWrapper::HexDump(const uint8_t* data, int32_t length) {
  constexpr int kPerLine = 16;
  std::printf(" RAW_DATA: %u\n", static_cast<unsigned>(std::max(length, 0)));
  if (length < 1 || data == nullptr) return;
  for (int32_t line = 0; line < length; line += kPerLine) {
    const int count = static_cast<int>(std::min<int32_t>(kPerLine, length - line));
    std::printf("  %06X:", static_cast<unsigned>(line));
    for (int i = 0; i < count; ++i) std::printf(" %02X", data[line + i]);
    // Keep the character column where a full line has it.
    for (int i = count; i < kPerLine; ++i) std::printf("   ");
    std::printf("   ");
    for (int i = 0; i < count; ++i) {
      const uint8_t c = data[line + i];
      std::putchar(c >= 0x20 && c < 0x7F ? c : '.');
    }
    std::printf("\n");
  }
}
