// Big-endian field access, shared by the device layer, the script statements
// and the virtual drives: CDBs, sense data, log and mode pages and script
// buffers all hold their multi-byte values most significant byte first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace be {

// n (at most 8) bytes at p.
inline uint64_t Read(const uint8_t* p, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}
inline uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(Read(p, 2)); }
inline uint32_t Read24(const uint8_t* p) { return static_cast<uint32_t>(Read(p, 3)); }
inline uint32_t Read32(const uint8_t* p) { return static_cast<uint32_t>(Read(p, 4)); }
inline uint64_t Read64(const uint8_t* p) { return Read(p, 8); }

// Bounded read: bytes past the end of b read as zeros.
inline uint64_t Read(std::span<const uint8_t> b, size_t at, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | (at + i < b.size() && at + i >= at ? b[at + i] : 0);
  return v;
}

// The low n (at most 8) bytes of v at p.
inline void Write(uint8_t* p, size_t n, uint64_t v) {
  for (size_t i = 0; i < n; ++i) p[n - 1 - i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Write16(uint8_t* p, uint64_t v) { Write(p, 2, v); }
inline void Write24(uint8_t* p, uint64_t v) { Write(p, 3, v); }
inline void Write32(uint8_t* p, uint64_t v) { Write(p, 4, v); }
inline void Write64(uint8_t* p, uint64_t v) { Write(p, 8, v); }

// Bounded write: false, and nothing written, when the field does not fit in b.
inline bool Write(std::span<uint8_t> b, size_t at, size_t n, uint64_t v) {
  if (at > b.size() || n > b.size() - at) return false;
  Write(b.data() + at, n, v);
  return true;
}

// Growing write for replies being built: b is extended to hold the field.
inline void Put(std::vector<uint8_t>& b, size_t at, size_t n, uint64_t v) {
  if (b.size() < at + n) b.resize(at + n);
  Write(b.data() + at, n, v);
}

}  // namespace be
