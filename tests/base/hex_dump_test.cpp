// The dump layouts the console prints, each on a full line and a short one:
// offsets, byte groups, the character column and which bytes show as
// themselves.
#include "base/hex_dump.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

TEST(HexDump, EachLayoutOnAFullAndAShortLine) {
  std::vector<uint8_t> data(20);
  std::iota(data.begin(), data.end(), uint8_t{0x2E});  // ". / 0 1 ... A"
  data[1] = 0x7E;                                      // printable in one layout only
  struct Case {
    const char* name;
    HexDumpStyle style;
    uint32_t first, end;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"inquiry dump",
       {"  %06X:", " %02X", 0, 60, 0x20, 0x7E},
       0,
       20,
       {"  000000: 2E 7E 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D   .~0123456789:;<=",
        "  000010: 3E 3F 40 41                                       >?@A"}},
      {"script buffer",
       {"%08X  ", "%02X ", 4, 64, 0x21, 0x7A},
       2,
       20,
       {"00000002  30 31 32 33  34 35 36 37  38 39 3A 3B  3C 3D 3E 3F    0123456789:;<=>?",
        "00000012  40 41                                                 @A"}},
      {"parse mode",
       {nullptr, "%02X ", 0, 0, 0, 0},
       0,
       99,
       {"2E 7E 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D ", "3E 3F 40 41 "}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HexDumpLines(data, c.first, c.end, c.style), c.lines) << c.name;
  }
  EXPECT_TRUE(HexDumpLines(data, 20, 40, cases[0].style).empty());
}

}  // namespace
