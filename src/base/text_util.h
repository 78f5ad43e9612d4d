// Text helpers shared by every subsystem: blank trimming and the bounded copy
// that fills fixed-size text fields (cut to fit, always terminated).
#pragma once

#include <array>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace text {

// Blanks of the script language: space and tab.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// Any white space, for texts from drives and the system (padding, line ends).
inline bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// t without leading and trailing blanks (by default the script language's).
inline std::string_view Trim(std::string_view t, bool (*blank)(char) = IsBlank) {
  size_t b = 0;
  size_t e = t.size();
  while (b < e && blank(t[b])) ++b;
  while (e > b && blank(t[e - 1])) --e;
  return t.substr(b, e - b);
}
inline std::string_view TrimSpace(std::string_view t) { return Trim(t, IsSpace); }

// Copies src into dst (dstSize bytes) cut to dstSize - 1 characters and
// NUL-terminated; src may overlap dst or be empty. Returns the characters written.
inline size_t CopyBounded(char* dst, size_t dstSize, std::string_view src) {
  if (dst == nullptr || dstSize == 0) return 0;
  const size_t n = src.size() < dstSize - 1 ? src.size() : dstSize - 1;
  if (n > 0) std::memmove(dst, src.data(), n);
  dst[n] = '\0';
  return n;
}
template <size_t N>
size_t CopyBounded(char (&dst)[N], std::string_view src) {
  return CopyBounded(dst, N, src);
}
template <size_t N>
size_t CopyBounded(std::array<char, N>& dst, std::string_view src) {
  return CopyBounded(dst.data(), N, src);
}
// t as one part of a file name: bytes that could leave the folder or break
// the name ('/', blanks, control and non-ASCII bytes) become '_'.
inline std::string FileNamePart(std::string_view t) {
  std::string part(t);
  for (char& c : part) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || u < 0x21 || u > 0x7E) c = '_';
  }
  return part;
}
// A possibly null C string as a view (an absent text is an empty one).
inline std::string_view View(const char* s) { return s != nullptr ? std::string_view(s) : std::string_view{}; }

}  // namespace text
