#include "base/utf8.h"

#include <array>
#include <cstdint>

namespace text {
namespace {

// The well-formed sequences by their first byte (Unicode, table 3-7): the
// length and the range of the second byte; later bytes are 80h to BFh.
struct Lead {
  uint8_t first_min, first_max;
  int length;
  uint8_t second_min, second_max;
};
constexpr std::array<Lead, 7> kLeads = {{
    {0xC2, 0xDF, 2, 0x80, 0xBF},
    {0xE0, 0xE0, 3, 0xA0, 0xBF},
    {0xE1, 0xEC, 3, 0x80, 0xBF},
    {0xED, 0xED, 3, 0x80, 0x9F},  // not the surrogates D800h to DFFFh
    {0xEE, 0xEF, 3, 0x80, 0xBF},
    {0xF0, 0xF0, 4, 0x90, 0xBF},
    {0xF1, 0xF4, 4, 0x80, 0xBF},  // F4h only up to U+10FFFF, checked below
}};

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// The length of the well-formed sequence at t[at], or 0.
size_t SequenceAt(std::string_view t, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(t[i]); };
  const uint8_t first = byte(at);
  if (first < 0x80) return 1;
  for (const Lead& lead : kLeads) {
    if (first < lead.first_min || first > lead.first_max) continue;
    const size_t length = static_cast<size_t>(lead.length);
    if (at + length > t.size()) return 0;
    const uint8_t second_max = first == 0xF4 ? 0x8F : lead.second_max;
    if (byte(at + 1) < lead.second_min || byte(at + 1) > second_max) return 0;
    for (size_t i = 2; i < length; ++i) {
      if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
  }
  return 0;
}

}  // namespace

std::string ValidUtf8(std::string_view t) {
  std::string out;
  out.reserve(t.size());
  for (size_t at = 0; at < t.size();) {
    const size_t length = SequenceAt(t, at);
    if (length == 0) {
      out += kReplacement;
      ++at;
    } else {
      out.append(t.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace text
