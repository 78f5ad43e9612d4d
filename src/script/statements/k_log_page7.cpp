#include "script/statements/k_log_page7.h"

#include <algorithm>
#include <charconv>

#include "base/byte_order.h"
#include "base/text_util.h"
#include "script/core/ktext.h"

namespace pg7 {

std::string Upper(std::string_view t) {
  std::string u(t);
  KText::UpperCase(u);
  return u;
}

std::vector<std::string_view> Words(std::string_view t) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < t.size()) {
    while (at < t.size() && text::IsBlank(t[at])) ++at;
    const size_t begin = at;
    while (at < t.size() && !text::IsBlank(t[at])) ++at;
    if (at > begin) words.push_back(t.substr(begin, at - begin));
  }
  return words;
}

namespace {
bool Parse(std::string_view t, uint32_t& value, int base) {
  uint32_t v = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v, base);
  if (ec != std::errc() || end == t.data()) return false;
  value = v;
  return true;
}
}  // namespace

bool ParseDec(std::string_view t, uint32_t& value) { return Parse(t, value, 10); }
bool ParseHex(std::string_view t, uint32_t& value) { return Parse(t, value, 16); }

}  // namespace pg7

namespace {

constexpr uint8_t kEventLogPage = 0x07;
constexpr size_t kHeader = 4;
constexpr std::string_view kPacketMark = "Packet #";

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// "<a>/<b>/..." read into up to n fields (decimal or hexadecimal each).
size_t SlashFields(std::string_view t, uint32_t* out, const bool* hex, size_t n) {
  size_t got = 0;
  while (got < n) {
    const size_t slash = t.find('/');
    const std::string_view field = text::Trim(t.substr(0, slash));
    if (!(hex[got] ? pg7::ParseHex(field, out[got]) : pg7::ParseDec(field, out[got]))) break;
    ++got;
    if (slash == std::string_view::npos) break;
    t.remove_prefix(slash + 1);
  }
  return got;
}

// What follows a marker, from `at` on (empty when the line ends first).
std::string_view After(std::string_view line, size_t at) {
  return at < line.size() ? line.substr(at) : std::string_view{};
}

// The markers of a packet line that give hours, cycles and sense, tried in
// order on the upper-cased line; the first one found decides.
using MarkerReader = void (*)(std::string_view rest, std::string_view line, PG7_PACKET_LINK& p);

void ReadPohPc(std::string_view rest, std::string_view, PG7_PACKET_LINK& p) {
  const std::vector<std::string_view> w = pg7::Words(rest);
  if (w.empty()) return;
  uint32_t f[2] = {};
  const bool hex[2] = {false, false};
  const size_t n = SlashFields(w[0], f, hex, 2);
  if (n >= 1) p.poh = f[0];
  if (n >= 2) p.pc = f[1];
}

void ReadScsiFields(std::string_view rest, std::string_view, PG7_PACKET_LINK& p) {
  const std::vector<std::string_view> w = pg7::Words(rest);
  if (w.empty()) return;
  uint32_t f[6] = {};
  const bool hex[6] = {false, false, true, true, true, true};
  const size_t n = SlashFields(w[0], f, hex, 6);
  if (n >= 1) p.poh = f[0];
  if (n >= 2) p.pc = f[1];
  if (n >= 6) {
    p.sk = static_cast<uint8_t>(f[3]);
    p.asc = static_cast<uint8_t>(f[4]);
    p.ascq = static_cast<uint8_t>(f[5]);
  }
}

void ReadTimePoh(std::string_view rest, std::string_view, PG7_PACKET_LINK& p) {
  std::string t(rest);
  std::replace(t.begin(), t.end(), ':', ' ');
  const std::vector<std::string_view> w = pg7::Words(t);
  uint32_t v = 0;
  if (!w.empty() && pg7::ParseDec(w[0], v)) p.poh = v;
}

void ReadPoh(std::string_view rest, std::string_view, PG7_PACKET_LINK& p) {
  const std::vector<std::string_view> w = pg7::Words(rest);
  uint32_t v = 0;
  if (!w.empty() && pg7::ParseDec(w[0], v)) p.poh = v;
}

// "POH: <poh> PCYC: <pc>" (only on a line that holds both)
void ReadPohPcyc(std::string_view rest, std::string_view, PG7_PACKET_LINK& p) {
  const std::vector<std::string_view> w = pg7::Words(rest);
  uint32_t v = 0;
  if (w.size() >= 1 && pg7::ParseDec(w[0], v)) p.poh = v;
  if (w.size() >= 3 && pg7::ParseDec(w[2], v)) p.pc = v;
}

struct Marker {
  std::string_view text;
  MarkerReader read;
};
constexpr Marker kMarkers[] = {
    {"POH/PC=", ReadPohPc},    {"POH/PC/MID/SK/ASC/ASCQ/ADDERR=", ReadScsiFields},
    {"TIMEPOH=", ReadTimePoh}, {"POH=", ReadPoh},
    {"POH:", ReadPohPcyc},
};

}  // namespace

void KLogPage7::Clear() {
  text_.clear();
  lines_.clear();
  packets_.clear();
  counters_.fill(0);
  lowest_poh_ = highest_poh_ = 0;
  histogram_.clear();
  page_code_ = -1;
  page_length_ = 0;
  loaded_ = false;
}

void KLogPage7::AddText(std::string_view t) { text_.append(t); }

int32_t KLogPage7::Load(std::span<const uint8_t> data) {
  Clear();
  const bool binary = std::find(data.begin(), data.end(), kEventLogPage) != data.end();
  if (binary) {
    if (data[0] != kEventLogPage) return KPG7_LOADING_INVALID_PAGE;
    if (data.size() < kHeader) return KPG7_BROKEN_PARAMETER_CHAIN;
    const uint16_t length = be::Read16(&data[2]);
    // The page as it arrived: a length that claims more is not believed.
    const size_t end = std::min(data.size(), kHeader + length);
    for (size_t at = kHeader; at < end;) {
      if (end - at < kHeader || data[at + 3] > end - at - kHeader) return KPG7_BROKEN_PARAMETER_CHAIN;
      at += kHeader + data[at + 3];
    }
    for (size_t at = kHeader; at < end; at += kHeader + data[at + 3]) {
      const std::string_view value(reinterpret_cast<const char*>(&data[at + kHeader]), data[at + 3]);
      AddText(value);
      if (value.find_first_of("\r\n") == std::string_view::npos) AddText("\r\n");
    }
    AddText("\r\n");
    page_code_ = kEventLogPage;
    page_length_ = length;
  } else {
    const auto zero = std::find(data.begin(), data.end(), uint8_t{0});
    AddText(std::string_view(reinterpret_cast<const char*>(data.data()), static_cast<size_t>(zero - data.begin())));
  }
  SplitLines();
  FindPackets();
  Analyse();
  loaded_ = true;
  return KPG7_OK;
}

// Lines end at CR, LF or a zero byte; a run longer than kMaxLine goes on in
// the next line. Lines are trimmed and empty ones dropped.
void KLogPage7::SplitLines() {
  const std::string_view all(text_);
  size_t at = 0;
  while (at < all.size()) {
    size_t end = at;
    while (end < all.size() && !IsLineEnd(all[end]) && end - at < kMaxLine) ++end;
    const std::string_view line = text::TrimSpace(all.substr(at, end - at));
    if (!line.empty()) lines_.emplace_back(line);
    at = end;
    while (at < all.size() && IsLineEnd(all[at])) ++at;
  }
  text_.clear();
  text_.shrink_to_fit();
}

void KLogPage7::FindPackets() {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].find(kPacketMark) == std::string::npos) continue;
    if (!packets_.empty()) packets_.back().line_count = i - packets_.back().first_line;
    PG7_PACKET_LINK p;
    p.first_line = i;
    packets_.push_back(p);
  }
  if (!packets_.empty()) packets_.back().line_count = lines_.size() - packets_.back().first_line;
}

void KLogPage7::Collect(PG7_PACKET_LINK& p) const {
  // Packet number: "Packet # 12 ..." is decimal, "Packet 1A, ..." hexadecimal.
  const std::string_view first = lines_[p.first_line];
  const std::vector<std::string_view> w = pg7::Words(first);
  p.number = 0;
  if (w.size() >= 3 && w[1] == "#") {
    pg7::ParseDec(w[2], p.number);
  } else if (w.size() >= 2) {
    std::string rest(first.substr(w[1].data() - first.data()));
    std::replace(rest.begin(), rest.end(), ',', ' ');
    const std::vector<std::string_view> r = pg7::Words(rest);
    if (!r.empty()) pg7::ParseHex(r[0], p.number);
  }
  for (size_t i = p.first_line; i < p.first_line + p.line_count; ++i) {
    const std::string line = pg7::Upper(lines_[i]);
    for (const Marker& m : kMarkers) {
      const size_t at = line.find(m.text);
      if (at == std::string::npos) continue;
      if (m.read == ReadPohPcyc && line.find("PCYC:") == std::string::npos) continue;
      m.read(After(line, at + m.text.size()), line, p);
      break;
    }
  }
}

void KLogPage7::Analyse() {
  counters_.fill(0);
  histogram_.clear();
  lowest_poh_ = highest_poh_ = 0;
  bool first = true;
  for (PG7_PACKET_LINK& p : packets_) {
    const std::string head = pg7::Upper(lines_[p.first_line]);
    p.type = kPg7NoType;
    for (size_t t = 0; t < kPg7PacketTypes.size(); ++t) {
      if (head.find(kPg7PacketTypes[t].text) != std::string::npos) {
        p.type = static_cast<int>(t);
        break;
      }
    }
    const Pg7Counter c = p.type == kPg7NoType ? Pg7Counter::Other : kPg7PacketTypes[p.type].counter;
    ++counters_[static_cast<size_t>(c)];
    Collect(p);
    lowest_poh_ = first ? p.poh : std::min(lowest_poh_, p.poh);
    highest_poh_ = first ? p.poh : std::max(highest_poh_, p.poh);
    first = false;
    ++histogram_[p.poh];
  }
}

void KLogPage7::DeltaFilter(const KLogPage7& earlier) {
  const std::vector<PG7_PACKET_LINK> gone = earlier.packets_;  // a copy: earlier may be this log
  for (const PG7_PACKET_LINK& a : gone) {
    const auto same = std::find_if(packets_.begin(), packets_.end(), [&](const PG7_PACKET_LINK& b) {
      return b.number == a.number && b.type == a.type && b.poh == a.poh && b.pc == a.pc;
    });
    if (same != packets_.end()) packets_.erase(same);
  }
  Analyse();
}

std::span<const std::string> KLogPage7::BodyAfter(size_t headerLine) const {
  if (headerLine >= lines_.size()) return {};
  size_t end = headerLine + 1;
  while (end < lines_.size() && lines_[end].rfind("Packet", 0) != 0) ++end;
  return std::span<const std::string>(lines_).subspan(headerLine + 1, end - headerLine - 1);
}
