// Byte work of the buffer statements.
#include "script/statements/buffer_bytes.h"

#include <algorithm>
#include <cstdlib>

#include "base/byte_order.h"

namespace buffer_bytes {

uint64_t Peek(std::span<const uint8_t> buffer, uint64_t index, int width) {
  if (width < 1 || width > 8 || !Fits(buffer.size(), index, static_cast<uint64_t>(width))) return 0;
  return be::Read(buffer.data() + index, static_cast<size_t>(width));
}

void FillIncrementing(std::span<uint8_t> buffer) {
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i);
}

void FillRandom(std::span<uint8_t> buffer, uint8_t seed) {
  ::srandom(seed);
  for (uint8_t& b : buffer) b = static_cast<uint8_t>(std::rand());
}

uint32_t Pattern9(std::span<uint8_t> buffer, uint32_t seed) {
  constexpr uint32_t kTaps = 0xE0000200u;
  uint32_t v = seed;
  for (size_t at = 0; at < buffer.size(); at += 4) {
    const uint32_t p = v;
    v <<= 1;
    if ((p & kTaps) < kTaps && v != 0) v |= 1;
    const size_t n = std::min<size_t>(4, buffer.size() - at);
    for (size_t i = 0; i < n; ++i) buffer[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  return v;
}

uint32_t Scramble(std::span<uint8_t> buffer) {
  constexpr uint8_t kMarker = 0xBC;
  int run = 0;
  for (size_t i = 0; i < buffer.size(); ++i) {
    buffer[i] = static_cast<uint8_t>(buffer[i] + kScrambleConstant);
    run = buffer[i] == kMarker ? run + 1 : 0;
    if (run < kScrambleMarkerRun) continue;
    if (i + 1 < buffer.size()) buffer[i + 1] = 0x0D;
    if (i + 2 < buffer.size()) buffer[i + 2] = 0x0A;
    return static_cast<uint32_t>(std::min<size_t>(i + 2, buffer.size()));
  }
  return static_cast<uint32_t>(buffer.size());
}

Difference FirstDifference(std::span<const uint8_t> a, std::span<const uint8_t> b, uint32_t length) {
  const size_t n = std::min<size_t>({length, a.size(), b.size()});
  const auto diff = std::mismatch(a.begin(), a.begin() + static_cast<long>(n), b.begin());
  if (diff.first == a.begin() + static_cast<long>(n)) return {};
  return {true, static_cast<uint32_t>(diff.first - a.begin()), *diff.first, *diff.second};
}

bool CopyPart(std::span<const uint8_t> source, std::span<uint8_t> destination, uint64_t offset, uint64_t count) {
  if (!Fits(source.size(), offset, count) || count > destination.size()) return false;
  std::copy_n(source.begin() + static_cast<long>(offset), count, destination.begin());
  return true;
}

}  // namespace buffer_bytes
