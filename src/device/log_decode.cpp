// Parameter walk of log pages and the packet scan of the text event log.
#include "device/log_decode.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/byte_order.h"
#include "device/drive_contract.h"

namespace logpage {

namespace {

struct EventKind {
  const char* keyword;
  int type;
  const char* errorKeyword;  // the error code follows this keyword, or null
};

// Tried in this order; a packet of none of these is a general event.
constexpr EventKind kEventKinds[] = {
    {"OVERTEMP", 2, nullptr},   {"BUGCHECK", kEventBugcheck, "ERROR:"},
    {"PO/ST", 4, nullptr},      {"CUP EVENT", 5, nullptr},
    {"SCSI EVENT", 6, nullptr}, {"DIR", 7, nullptr},
    {"CAL", 8, nullptr},        {"DRIVE", 9, nullptr},
};
constexpr const char* kGeneralErrorKeyword = "EVENT:";
// The four characters of the error code start this far after its keyword.
constexpr size_t kErrorCodeOffset = 7;

std::string ErrorCodeAfter(const std::string& text, const char* keyword) {
  const size_t at = text.find(keyword);
  if (at == std::string::npos || at + kErrorCodeOffset >= text.size()) return {};
  return text.substr(at + kErrorCodeOffset, kEventErrorCode);
}

bool Decode(std::string packet, EventPacket* out) {
  if (packet.size() > kEventText - 1) packet.resize(kEventText - 1);
  for (char& c : packet) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const size_t at = packet.find(contract::kPacketKeyword);
  if (at == std::string::npos) return false;
  std::string text = packet.substr(at);
  long code = 0;
  char after = 0;
  // "PACKET # n " with the blank after the number.
  if (std::sscanf(text.c_str(), "PACKET # %ld%c", &code, &after) != 2 || after != ' ') return false;
  out->code = code;
  out->type = kEventGeneral;
  out->errorCode = ErrorCodeAfter(text, kGeneralErrorKeyword);
  for (const EventKind& kind : kEventKinds) {
    if (text.find(kind.keyword) == std::string::npos) continue;
    out->type = kind.type;
    out->errorCode = kind.errorKeyword ? ErrorCodeAfter(text, kind.errorKeyword) : std::string();
    break;
  }
  out->text = std::move(text);
  return true;
}

}  // namespace

std::vector<Parameter> Walk(std::span<const uint8_t> page, size_t limit) {
  std::vector<Parameter> out;
  for (size_t at = kPageHeader; out.size() < limit && at + kParameterHeader <= page.size();) {
    const size_t length = page[at + 3];
    if (length > kLongestValue || length > page.size() - at - kParameterHeader) break;
    out.push_back({static_cast<int>(be::Read16(page.data() + at)), page.subspan(at + kParameterHeader, length)});
    at += kParameterHeader + length;
  }
  return out;
}

bool Find(std::span<const uint8_t> page, int code, Parameter* out) {
  for (const Parameter& p : Walk(page)) {
    if (p.code != code) continue;
    *out = p;
    return true;
  }
  return false;
}

std::vector<uint8_t> WholeParameters(std::span<const uint8_t> page) {
  if (page.size() < kPageHeader) return {};
  size_t end = kPageHeader;
  while (end + kParameterHeader <= page.size() && page[end + 3] <= page.size() - end - kParameterHeader)
    end += kParameterHeader + page[end + 3];
  std::vector<uint8_t> whole(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(end));
  be::Write(whole.data() + 2, 2, end - kPageHeader);
  return whole;
}

std::vector<EventPacket> ScanEvents(std::span<const uint8_t> page, size_t limit) {
  std::vector<EventPacket> events;
  size_t at = std::min(kPageHeader, page.size());
  while (at < page.size() && events.size() < limit) {
    const auto* begin = page.data() + at;
    const auto* zero = static_cast<const uint8_t*>(std::memchr(begin, 0, page.size() - at));
    const size_t length = zero ? static_cast<size_t>(zero - begin) : page.size() - at;
    EventPacket e;
    if (length > 0 && Decode(std::string(reinterpret_cast<const char*>(begin), length), &e))
      events.push_back(std::move(e));
    at += length + 1;
  }
  return events;
}

}  // namespace logpage
