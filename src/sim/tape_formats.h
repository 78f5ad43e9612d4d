// What each recording format of the virtual drives is: its REPORT DENSITY SUPPORT description and the
// native rate data crosses the heads at.
#pragma once

#include <cstdint>
#include <string>

struct SimFormat {
  uint8_t density;
  int lto_generation;  // 0: not an LTO format
  uint32_t bits_per_mm;
  uint16_t width;  // tenths of a millimetre
  uint16_t tracks;
  uint32_t capacity;  // native, in 10^6 bytes
  double rate;        // native, in 10^6 bytes per second
  const char* organization;
  const char* name;
  const char* description;
};

inline constexpr SimFormat kSimFormats[] = {
    {0x40, 1, 4880, 127, 384, 100000, 20, "LTO-CVE", "U-18", "Ultrium 1/8T"},
    {0x42, 2, 7398, 127, 512, 200000, 40, "LTO-CVE", "U-28", "Ultrium 2/8T"},
    {0x44, 3, 9638, 127, 704, 400000, 80, "LTO-CVE", "U-316", "Ultrium 3/16T"},
    {0x46, 4, 13250, 127, 896, 800000, 120, "LTO-CVE", "U-416", "Ultrium 4/16T"},
    {0x58, 5, 15142, 127, 1280, 1500000, 140, "LTO-CVE", "U-516", "Ultrium 5/16T"},
    {0x5A, 6, 15143, 127, 2176, 2500000, 160, "LTO-CVE", "U-616", "Ultrium 6/16T"},
    {0x5C, 7, 19094, 127, 3584, 6000000, 300, "LTO-CVE", "U-732", "Ultrium 7/32T"},
    {0x5E, 8, 20668, 127, 6656, 12000000, 360, "LTO-CVE", "U-832", "Ultrium 8/32T"},
    {0x26, 0, 4803, 38, 1, 20000, 3, "DDS", "DDS-4", "DDS-4 4mm"},
    {0x47, 0, 6023, 38, 1, 36000, 3.5, "DDS", "DAT72", "DAT 72 4mm"},
    {0x48, 0, 8110, 38, 1, 80000, 6.9, "DDS", "DAT160", "DAT 160 4mm"},
    {0x49, 0, 9173, 38, 1, 160000, 12, "DDS", "DAT320", "DAT 320 4mm"},
};

// The format of a density code, or null for one no drive here knows.
inline const SimFormat* FormatOf(uint8_t density) {
  for (const SimFormat& f : kSimFormats) {
    if (f.density == density) return &f;
  }
  return nullptr;
}

// The format of an LTO generation (1 to 8), or null.
inline const SimFormat* LtoFormat(int generation) {
  for (const SimFormat& f : kSimFormats) {
    if (f.lto_generation != 0 && f.lto_generation == generation) return &f;
  }
  return nullptr;
}
