// Density codes the virtual drives report for their cartridges.
#pragma once

#include <cstdint>
#include <string>

struct SimDensity {
  const char* product_mark;  // first mark found in the product id wins
  uint8_t density;
};

inline constexpr SimDensity kSimDensities[] = {
    {"DAT320", 0x49}, {"DAT160", 0x48}, {"DAT72", 0x47}, {"DDS4", 0x26},
    {"HH7", 0x5C},    {"HH6", 0x5A},    {"HH5", 0x58},   {"HH4", 0x46},
    {"7", 0x5C},      {"6", 0x5A},      {"5", 0x58},     {"4", 0x46},
    {"3", 0x44},      {"2", 0x42},      {"1", 0x40},
};

inline uint8_t DensityFor(const std::string& product) {
  for (const SimDensity& d : kSimDensities) {
    if (product.find(d.product_mark) != std::string::npos) return d.density;
  }
  return 0x5A;
}
