// Decoders of the log page answers a drive sends, kept apart from the
// command path so they can be tested and fuzzed on raw bytes. Nothing in an
// answer is trusted: every length is checked against what arrived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace logpage {

inline constexpr size_t kPageHeader = 4;
inline constexpr size_t kParameterHeader = 4;
// Longer parameters end every walk: the walk reads numbers, not texts.
inline constexpr size_t kLongestValue = 8;

struct Parameter {
  int code = 0;
  std::span<const uint8_t> value;
};

// The parameters after the page header, in order, up to `limit` of them; the
// walk ends at the end of `page`, at a parameter that does not fit in it, or
// at one longer than 8 bytes.
std::vector<Parameter> Walk(std::span<const uint8_t> page, size_t limit = SIZE_MAX);
// The first parameter with `code`, or false.
bool Find(std::span<const uint8_t> page, int code, Parameter* out);
// The header and the whole parameters of a page that arrived cut short
// (whatever their length), with its page length field made to say so: a
// decoder then sees a page that holds exactly what arrived.
std::vector<uint8_t> WholeParameters(std::span<const uint8_t> page);

// One packet of the text event log (page 07h).
struct EventPacket {
  long code = 0;
  int type = 1;
  std::string text;       // upper case, from "PACKET", at most 255 characters
  std::string errorCode;  // at most 4 characters
};

inline constexpr size_t kEventText = 256;
inline constexpr size_t kEventErrorCode = 4;
// Event types by keyword, the first found wins; 1 when none is found.
inline constexpr int kEventGeneral = 1;
inline constexpr int kEventBugcheck = 3;

// The packets of an event log page from byte 4: texts separated by zero
// bytes; only those holding "PACKET # n " count. At most `limit`.
std::vector<EventPacket> ScanEvents(std::span<const uint8_t> page, size_t limit);

}  // namespace logpage
