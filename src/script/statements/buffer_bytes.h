// The byte work of the buffer statements, on spans: every index and length
// is checked here in 64 bits, so no script value can wrap past a buffer.
#pragma once

#include <cstdint>
#include <span>

namespace buffer_bytes {

// True when `count` bytes from `index` lie inside a buffer of `size` bytes.
constexpr bool Fits(uint64_t size, uint64_t index, uint64_t count) { return index <= size && count <= size - index; }

// Big-endian value of `width` (1, 2, 4 or 8) bytes at `index`; 0 when they do
// not fit.
uint64_t Peek(std::span<const uint8_t> buffer, uint64_t index, int width);

// FILLBUFFER: byte i = i modulo 256; seeded pseudo-random bytes (srandom with
// the seed, then the low byte of each rand()); one value everywhere.
void FillIncrementing(std::span<uint8_t> buffer);
void FillRandom(std::span<uint8_t> buffer, uint8_t seed);

// PATTERN9: each 4-byte word (host order, little-endian) receives the next
// value of a shift register started at `seed`; a last partial word receives
// only the bytes that fit. Returns the register's final value (the seed for
// an empty buffer).
uint32_t Pattern9(std::span<uint8_t> buffer, uint32_t seed);

// WNENCRYPTBUFFER: every byte has kScrambleConstant added. After the 55th
// consecutive byte that reads 0xBC the next two bytes (as far as they lie in
// the buffer) become CR LF and the scan stops; the result is then the index
// of that byte plus 2, cut to the buffer size. Otherwise the buffer size.
inline constexpr uint8_t kScrambleConstant = 0x5A;
inline constexpr int kScrambleMarkerRun = 55;
uint32_t Scramble(std::span<uint8_t> buffer);

// COMPAREBUFFER: the first difference within `length` bytes (both buffers
// must hold them).
struct Difference {
  bool found = false;
  uint32_t index = 0;
  uint8_t first = 0;   // buffer 1's byte
  uint8_t second = 0;  // buffer 2's byte
};
Difference FirstDifference(std::span<const uint8_t> a, std::span<const uint8_t> b, uint32_t length);

// COPYBUFFERPART: destination bytes 0..count-1 = source bytes offset..; false
// (nothing copied) when the part is not inside the source or longer than the
// destination.
bool CopyPart(std::span<const uint8_t> source, std::span<uint8_t> destination, uint64_t offset, uint64_t count);

}  // namespace buffer_bytes
