#include "base/hex_dump.h"

#include <algorithm>
#include <cstdio>

std::vector<std::string> HexDumpLines(std::span<const uint8_t> data, uint32_t first, uint32_t end,
                                      const HexDumpStyle& style) {
  std::vector<std::string> lines;
  end = std::min<uint32_t>(end, static_cast<uint32_t>(data.size()));
  char text[32];
  for (uint32_t at = first; at < end; at += kHexDumpBytesPerLine) {
    const uint32_t n = std::min<uint32_t>(kHexDumpBytesPerLine, end - at);
    std::string line;
    if (style.offset_format != nullptr) {
      std::snprintf(text, sizeof text, style.offset_format, static_cast<unsigned>(at));
      line = text;
    }
    std::string chars;
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t b = data[at + i];
      std::snprintf(text, sizeof text, style.byte_format, static_cast<unsigned>(b));
      line += text;
      if (style.group != 0 && (i + 1) % style.group == 0 && i + 1 < kHexDumpBytesPerLine) line += ' ';
      chars += b >= style.printable_first && b <= style.printable_last ? static_cast<char>(b) : '.';
    }
    if (style.chars_column != 0) {
      line.resize(std::max(line.size() + 3, style.chars_column), ' ');
      line += chars;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}
