// Lines of a hexadecimal dump, sixteen bytes a line, in the layouts the
// console prints: an offset column, the bytes, and the bytes as characters
// from a fixed column. One layout per place that shows data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct HexDumpStyle {
  const char* offset_format;  // printf format of the line's offset; null: no offset column
  const char* byte_format;    // printf format of one byte (" %02X" or "%02X ")
  unsigned group;             // a blank more after every `group` bytes inside a line; 0: none
  size_t chars_column;        // column of the characters (at least 3 blanks after the bytes); 0: none
  uint8_t printable_first;    // bytes shown as themselves; the others as '.'
  uint8_t printable_last;
};

inline constexpr size_t kHexDumpBytesPerLine = 16;

// One line for the bytes of [first, end) of `data`, sixteen at a time;
// `end` is cut to the data.
std::vector<std::string> HexDumpLines(std::span<const uint8_t> data, uint32_t first, uint32_t end,
                                      const HexDumpStyle& style);
