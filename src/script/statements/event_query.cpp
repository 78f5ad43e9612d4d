#include "script/statements/event_query.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/text_util.h"

namespace {

// Kind words of packet headers ("Packet # 12 - EVENT: ..."), by QUERY_TYPE.
constexpr std::string_view kKindWords[] = {
    "SENSE",           "BUGCHECK",  "EVENT", "SCSI",     "DIAG ILOG", "DIAG 4 CHN WRITE",
    "DIAG 4 CHN READ", "DIAG TEST", "CUP",   "OVERTEMP", "PO/ST",
};
// Script names of the query types, by QUERY_TYPE.
constexpr std::string_view kTypeNames[] = {
    "SENSE",           "BUGCHECK",  "EVENT", "SCSI",     "DIAG_ILOG", "DIAG_4_CHN_WRITE",
    "DIAG_4_CHN_READ", "DIAG_TEST", "CUP",   "OVERTEMP", "POST",
};
// Type texts of the hit list, by QUERY_TYPE; the two with sense take the triple.
constexpr const char* kHitTypeTexts[] = {
    "SENSE : %02X %02X %02X ",
    "BUGCHK",
    "EVENT",
    "SCSI   : %02X %02X %02X ",
    "DIAG ILOG",
    "DIAG 4 CHN WRITE",
    "DIAG 4 CHN READ",
    "DIAG TEST",
    "CUP",
    "OVERTEMP",
    "POST",
};
constexpr std::string_view kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::string_view kPohPc = "POH/PC=";

bool IsHexWord(std::string_view w, size_t minDigits, size_t maxDigits) {
  if (w.size() < minDigits || w.size() > maxDigits) return false;
  return std::all_of(w.begin(), w.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// A drive's code: 3 to 8 hexadecimal digits, else 0.
uint32_t Code(std::string_view w) {
  uint32_t v = 0;
  if (IsHexWord(w, 3, 8)) pg7::ParseHex(w, v);
  return v;
}

// "<poh>/<pc>" after "POH/PC=" anywhere in t.
void ReadPohPc(std::string_view t, HIT_LINK& h) {
  const size_t at = t.find(kPohPc);
  if (at == std::string_view::npos) return;
  const std::vector<std::string_view> w = pg7::Words(t.substr(at + kPohPc.size()));
  if (w.empty()) return;
  const std::string_view v = w[0];
  const size_t slash = v.find('/');
  pg7::ParseDec(v.substr(0, slash), h.poh);
  if (slash != std::string_view::npos) pg7::ParseDec(v.substr(slash + 1), h.pc);
  h.poh_double = h.poh;
}

// "<hh>:<mm>:<ss.s>" in the first word of t that holds two colons.
void ReadTime(std::string_view t, HIT_LINK& h) {
  for (std::string_view w : pg7::Words(t)) {
    const size_t c1 = w.find(':');
    const size_t c2 = c1 == std::string_view::npos ? c1 : w.find(':', c1 + 1);
    if (c2 == std::string_view::npos || c1 == 0) continue;
    uint32_t hh = 0, mm = 0;
    if (!pg7::ParseDec(w.substr(0, c1), hh) || !pg7::ParseDec(w.substr(c1 + 1, c2 - c1 - 1), mm)) continue;
    const std::string seconds(w.substr(c2 + 1));
    h.hour = static_cast<int>(std::min<uint32_t>(hh, 999999));
    h.minute = static_cast<int>(std::min<uint32_t>(mm, 999999));
    h.seconds = std::strtod(seconds.c_str(), nullptr);
    return;
  }
}

// "[<tag> <dd>-<MON>-<yyyy>]"; returns what follows the "]" (or t when no tag).
std::string_view ReadTagDate(std::string_view t, HIT_LINK& h) {
  const size_t open = t.find('[');
  if (open == std::string_view::npos) return t;
  const size_t close = t.find(']', open);
  const std::string_view inside =
      t.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
  const std::vector<std::string_view> w = pg7::Words(inside);
  if (!w.empty()) h.tag = std::string(w[0].substr(0, kHitTagMax));
  if (w.size() >= 2) {
    const std::string_view date = w[1];
    const size_t d1 = date.find('-');
    const size_t d2 = d1 == std::string_view::npos ? d1 : date.find('-', d1 + 1);
    uint32_t v = 0;
    if (d1 != std::string_view::npos && pg7::ParseDec(date.substr(0, d1), v))
      h.day = static_cast<int>(std::min<uint32_t>(v, 99));
    if (d2 != std::string_view::npos) {
      const std::string month = pg7::Upper(date.substr(d1 + 1, d2 - d1 - 1));
      const auto m = std::find(std::begin(kMonths), std::end(kMonths), month);
      h.month = static_cast<int>(m - std::begin(kMonths));
      if (pg7::ParseDec(date.substr(d2 + 1), v)) h.year = static_cast<int>(std::min<uint32_t>(v, 9999));
    }
  }
  return close == std::string_view::npos ? std::string_view{} : t.substr(close + 1);
}

bool IdMatches(uint32_t code, const KTRAP_Controll& q) {
  if (q.id_low == kQueryAnyId || code == q.id_low) return true;
  return q.range != 0 && code >= q.id_low && code <= q.id_high;
}

bool SenseMatches(const HIT_LINK& h, const KTRAP_Controll& q) {
  if (!q.has_sense) return true;
  return h.sk == q.key && (q.asc_any != 0 || h.asc == q.asc) && (q.ascq_any != 0 || h.ascq == q.ascq);
}

// Parsers of the header lines, by query type: true when the packet is a hit.
// `rest` is the header after its kind word; `next` the line after the header
// (null when the log ends there).
using HeaderParser = int32_t (*)(std::string_view rest, const std::string* next, const KTRAP_Controll& q, HIT_LINK& h,
                                 bool& hit);

int32_t ParseEvent(std::string_view rest, const std::string*, const KTRAP_Controll& q, HIT_LINK& h, bool& hit) {
  const std::vector<std::string_view> w = pg7::Words(rest);
  h.id = w.empty() ? 0 : Code(w[0]);
  const std::string_view after = ReadTagDate(rest, h);
  ReadTime(after, h);
  ReadPohPc(after, h);
  hit = IdMatches(h.id, q);
  return SEARCH_OK;
}

int32_t ParseBugCheck(std::string_view rest, const std::string* next, const KTRAP_Controll& q, HIT_LINK& h, bool& hit) {
  if (next == nullptr) return SEARCH_ENGINE_DETECTED_UNEXPECTED_EOL_FOR_BUGCHK;
  const std::vector<std::string_view> w = pg7::Words(rest);
  h.id = w.empty() ? 0 : Code(w[0]);
  ReadTagDate(rest, h);
  // The next line: "PC=... SR=... Cntxt=... <time> POH/PC= <poh>/<pc>".
  ReadTime(*next, h);
  ReadPohPc(*next, h);
  hit = IdMatches(h.id, q);
  return SEARCH_OK;
}

int32_t ParseScsi(std::string_view rest, const std::string*, const KTRAP_Controll& q, HIT_LINK& h, bool& hit) {
  hit = false;
  const size_t eq = rest.find('=');
  if (eq == std::string_view::npos) return SEARCH_OK;
  const std::vector<std::string_view> w = pg7::Words(rest.substr(eq + 1));
  if (w.empty()) return SEARCH_OK;
  // <poh>/<pc>/<mid>/<sk>/<asc>/<ascq>/<adderr>: hours and cycles decimal, the rest hexadecimal.
  uint32_t f[6] = {};
  std::string_view v = w[0];
  for (size_t n = 0; n < 6; ++n) {
    const size_t slash = v.find('/');
    if (!(n < 2 ? pg7::ParseDec(v.substr(0, slash), f[n]) : pg7::ParseHex(v.substr(0, slash), f[n]))) return SEARCH_OK;
    if (slash == std::string_view::npos && n < 5) return SEARCH_OK;
    if (slash != std::string_view::npos) v.remove_prefix(slash + 1);
  }
  h.poh = f[0];
  h.pc = f[1];
  h.poh_double = h.poh;
  h.sk = static_cast<uint8_t>(f[3]);
  h.asc = static_cast<uint8_t>(f[4]);
  h.ascq = static_cast<uint8_t>(f[5]);
  hit = SenseMatches(h, q);
  return SEARCH_OK;
}

int32_t ParseOvertemp(std::string_view rest, const std::string*, const KTRAP_Controll&, HIT_LINK& h, bool& hit) {
  const std::vector<std::string_view> w = pg7::Words(rest);
  if (!w.empty()) pg7::ParseDec(w[0], h.id);
  ReadPohPc(rest, h);
  hit = true;
  return SEARCH_OK;
}

int32_t ParsePost(std::string_view rest, const std::string*, const KTRAP_Controll&, HIT_LINK& h, bool& hit) {
  ReadPohPc(rest, h);
  hit = true;
  return SEARCH_OK;
}

constexpr HeaderParser kParsers[] = {
    nullptr,                                            // SENSE: no parser, no hits
    ParseBugCheck,                                      // BUGCHECK
    ParseEvent,                                         // EVENT
    ParseScsi,                                          // SCSI
    nullptr,       nullptr, nullptr, nullptr, nullptr,  // DIAG ILOG .. CUP
    ParseOvertemp,                                      // OVERTEMP
    ParsePost,                                          // POST
};
static_assert(std::size(kParsers) == QUERY_NONE && std::size(kKindWords) == QUERY_NONE &&
              std::size(kTypeNames) == QUERY_NONE && std::size(kHitTypeTexts) == QUERY_NONE);

// "Packet # <n> [-] <KIND>[:] <rest>": the number, the kind and the rest.
bool ReadHeader(std::string_view line, uint32_t& number, QUERY_TYPE& kind, std::string_view& rest) {
  const std::vector<std::string_view> w = pg7::Words(line);
  if (w.size() < 4 || w[0] != "Packet" || w[1] != "#") return false;
  number = 0;
  pg7::ParseDec(w[2], number);
  size_t k = 3;
  if (w[k] == "-") ++k;
  if (k >= w.size()) return false;
  std::string word = pg7::Upper(w[k]);
  word.erase(std::remove(word.begin(), word.end(), ':'), word.end());
  const auto found = std::find(std::begin(kKindWords), std::end(kKindWords), word);
  if (found == std::end(kKindWords)) return false;
  kind = static_cast<QUERY_TYPE>(found - std::begin(kKindWords));
  rest = line.substr(static_cast<size_t>(w[k].data() + w[k].size() - line.data()));
  if (kind == QUERY_POST) {
    // "PO/ST: - Last Fail: <code> ...": the dash and the two words dropped.
    std::vector<std::string_view> r = pg7::Words(rest);
    size_t drop = 0;
    if (drop < r.size() && r[drop] == "-") ++drop;
    if (drop + 1 < r.size() && pg7::Upper(r[drop]) == "LAST" && pg7::Upper(r[drop + 1]) == "FAIL:") drop += 2;
    if (drop > 0)
      rest = drop < r.size() ? rest.substr(static_cast<size_t>(r[drop].data() - rest.data())) : std::string_view{};
  }
  return true;
}

}  // namespace

QUERY_TYPE QueryTypeFromName(const std::string& word) {
  const std::string upper = pg7::Upper(word);
  const auto found = std::find(std::begin(kTypeNames), std::end(kTypeNames), upper);
  return found == std::end(kTypeNames) ? QUERY_NONE : static_cast<QUERY_TYPE>(found - std::begin(kTypeNames));
}

void CSearchEngine::Add(HIT_LINK hit) {
  const auto before = std::find_if(hits_.begin(), hits_.end(), [&](const HIT_LINK& h) { return h.poh < hit.poh; });
  hits_.insert(before, std::move(hit));
}

int32_t CSearchEngine::Search(const KLogPage7& log, const KTRAP_Controll& q) {
  hits_.clear();
  // A log that was never loaded has no text to search; a loaded empty one
  // (a cleared drive) simply has no hits.
  if (!log.IsLoaded()) return SEARCH_ENGINE_DETECTED_NO_TEXT_FOR_LP7;
  if (q.type >= QUERY_NONE || kParsers[q.type] == nullptr) return SEARCH_OK;
  const std::vector<std::string>& lines = log.Lines();
  // The packets still listed (a delta filter may have removed some).
  for (const PG7_PACKET_LINK& p : log.Packets()) {
    uint32_t number = 0;
    QUERY_TYPE kind = QUERY_NONE;
    std::string_view rest;
    if (!ReadHeader(lines[p.first_line], number, kind, rest) || kind != q.type) continue;
    HIT_LINK h;
    h.line = p.first_line;
    h.packet_number = number;
    h.type = kind;
    const std::string* next = p.first_line + 1 < lines.size() ? &lines[p.first_line + 1] : nullptr;
    bool hit = false;
    const int32_t rc = kParsers[q.type](rest, next, q, h, hit);
    if (rc != SEARCH_OK) {
      hits_.clear();
      return rc;
    }
    if (hit) Add(std::move(h));
  }
  if (q.within) FilterTime(q.within_hours, q.current_poh);
  return SEARCH_OK;
}

bool CSearchEngine::Holds(const KTRAP_Controll& q) const {
  const size_t n = hits_.size();
  switch (q.op) {
    case QOP_EQ:
      return n == q.limit;
    case QOP_NE:
      return n != q.limit;
    case QOP_LT:
      return n < q.limit;
    case QOP_GT:
      return n > q.limit;
    case QOP_LE:
      return n <= q.limit;
    case QOP_GE:
      return n >= q.limit;
    case QOP_ANY:
      return true;
  }
  return false;
}

void CSearchEngine::FilterTime(uint32_t hours, uint32_t currentPoh) {
  if (hours > currentPoh) return;  // the window reaches back past hour 0
  const uint32_t oldest = currentPoh - hours;
  std::erase_if(hits_, [&](const HIT_LINK& h) { return h.poh < oldest; });
}

std::vector<std::string> CSearchEngine::PrintLines() const {
  std::vector<std::string> out;
  if (hits_.empty()) {
    out.emplace_back("*** No Hits In List ***");
    return out;
  }
  char type[48];
  char line[400];
  for (size_t i = 0; i < hits_.size(); ++i) {
    const HIT_LINK& h = hits_[i];
    std::snprintf(type, sizeof type, kHitTypeTexts[h.type], h.sk, h.asc, h.ascq);
    // Months print as 1 to 12 (0 when the drive's text named none).
    const int month = h.month < 12 ? h.month + 1 : 0;
    std::snprintf(line, sizeof line,
                  "(%03d * %02d)[%10.3f] Packet # %u - %s: %04X  [%s %02d-%02d-%04d]  %03d:%02d:%02.3f  POH/PC= %u/%u",
                  static_cast<int>(i), static_cast<int>(h.occurrences), h.poh_double, h.packet_number, type, h.id,
                  h.tag.c_str(), month, h.day, h.year, h.hour, h.minute, h.seconds, h.poh, h.pc);
    out.emplace_back(line);
  }
  return out;
}

int32_t CSearchEngine::GetValue(const KLogPage7& log, size_t index, const std::vector<GetValueTerm>& terms,
                                uint32_t& sum) const {
  if (hits_.empty()) return PG7_GETVALUE_NO_EMPTY_LIST_ERROR;
  if (index >= hits_.size()) return PG7_GETVALUE_IDX_OUT_OF_RANGE_ERROR;
  const size_t header = hits_[index].line;
  const std::span<const std::string> body = log.BodyAfter(header);
  if (body.empty()) return PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR1;
  const bool lastPacket = header + 1 + body.size() >= log.Lines().size();

  // The words of the body's data lines (first word 8 hexadecimal digits).
  std::vector<std::string_view> words;
  for (const std::string& line : body) {
    const std::vector<std::string_view> w = pg7::Words(line);
    if (!w.empty() && IsHexWord(w[0], 8, 8)) words.insert(words.end(), w.begin(), w.end());
  }
  uint32_t total = 0;
  for (const GetValueTerm& t : terms) {
    if (t.field >= words.size()) {
      return lastPacket ? PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR3 : PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR2;
    }
    uint32_t v = 0;
    if (!IsHexWord(words[t.field], 8, 8) || !pg7::ParseHex(words[t.field], v)) {
      return PG7_GETVALUE_INVALID_LONG_VALUE_FIELD_DETECTED;
    }
    v &= t.mask;
    v = t.left ? v << (t.shift & 31) : v >> (t.shift & 31);
    total += v;
  }
  sum = total;
  return SEARCH_OK;
}

bool CSearchEngine::Remove(size_t index) {
  if (index >= hits_.size()) return false;
  hits_.erase(hits_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}
