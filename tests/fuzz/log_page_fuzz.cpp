// Fuzz target: the log page parameter walk and the text event log scan on
// whatever bytes a drive might send. Every parameter found must lie within
// the page, and event texts and error codes must stay within their fields.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "device/log_decode.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool Inside(std::span<const uint8_t> page, std::span<const uint8_t> part) {
  return part.empty() || (part.data() >= page.data() && part.data() + part.size() <= page.data() + page.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> page(data, size);
  const auto parameters = logpage::Walk(page);
  for (const logpage::Parameter& p : parameters) {
    Check(Inside(page, p.value));
    Check(p.value.size() <= logpage::kLongestValue);
    logpage::Parameter found;
    Check(logpage::Find(page, p.code, &found));
    Check(Inside(page, found.value));
  }
  Check(logpage::Walk(page, 32).size() <= 32);
  // What a decoder is handed of a page cut short: a prefix of the bytes
  // that arrived whose page length and parameters end together.
  const std::vector<uint8_t> whole = logpage::WholeParameters(page);
  Check(whole.empty() == (size < logpage::kPageHeader));
  if (!whole.empty()) {
    Check(whole.size() <= size);
    Check(size_t(whole[2] << 8 | whole[3]) + logpage::kPageHeader == whole.size());
    Check(std::equal(whole.begin() + 4, whole.end(), page.begin() + 4));
    size_t at = logpage::kPageHeader;
    while (at + logpage::kParameterHeader <= whole.size()) at += logpage::kParameterHeader + whole[at + 3];
    Check(at == whole.size());
  }
  const size_t limit = size % 97;
  const auto events = logpage::ScanEvents(page, limit);
  Check(events.size() <= limit);
  for (const logpage::EventPacket& e : events) {
    Check(e.text.size() < logpage::kEventText);
    Check(e.errorCode.size() <= logpage::kEventErrorCode);
    Check(e.text.rfind("PACKET", 0) == 0);
    Check(e.type >= 1 && e.type <= 9);
  }
  return 0;
}
