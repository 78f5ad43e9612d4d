// What the event-log decoder shows: the packets, the tally and time line,
// and the failure-marker scan.
#include <cstdio>

#include "script/statements/k_log_page7.h"

namespace {

// Markers of a failed operation, found anywhere but at the start of a line,
// and where the word that names the failure starts after the marker.
struct FailureMarker {
  std::string_view text;
  size_t skip;       // characters after the marker before the word
  bool second_word;  // colons as blanks, the first word dropped
};
constexpr FailureMarker kFailureMarkers[] = {
    {"***POST Error", 4, false},   {"***DiagFailure", 5, true}, {"***CalFailure", 5, true}, {"***InvalidCart", 5, true},
    {"***InvalidFormat", 5, true}, {"***ServoError", 5, true},  {"***PERMRead", 5, true},   {"***PERMWrite", 5, true},
    {"***BUGCHECK", 6, false},     {"***ScsiEvent", 5, true},
};
constexpr size_t kSummaryWords = 3;

std::string FailureWord(std::string_view line, size_t markerEnd, const FailureMarker& m) {
  if (markerEnd + m.skip >= line.size()) return {};
  std::string rest(line.substr(markerEnd + m.skip));
  size_t pick = 0;
  if (m.second_word) {
    for (char& c : rest) {
      if (c == ':') c = ' ';
    }
    pick = 1;
  }
  const std::vector<std::string_view> w = pg7::Words(rest);
  return pick < w.size() ? std::string(w[pick]) : std::string();
}

}  // namespace

std::vector<std::string> KLogPage7::PacketLines(bool forLog, int type) const {
  std::vector<std::string> out;
  for (const PG7_PACKET_LINK& p : packets_) {
    if (type >= 0 && p.type != type) continue;
    if (p.line_count == 0) continue;
    out.push_back(lines_[p.first_line]);
    for (size_t i = 1; i < p.line_count; ++i) out.push_back("\t" + lines_[p.first_line + i]);
  }
  if (out.empty()) out.emplace_back(forLog ? "*** No Packets To Record ***" : "*** No Packets To List ***");
  return out;
}

std::vector<std::string> KLogPage7::MapLines() const {
  std::vector<std::string> out;
  char text[96];
  out.emplace_back("Log Page 7 Event Tally Report");
  for (size_t c = 0; c < counters_.size(); ++c) {
    if (counters_[c] == 0) continue;
    std::snprintf(text, sizeof text, "\t%-13s= %u", kPg7CounterLabels[c], counters_[c]);
    out.emplace_back(text);
  }
  out.emplace_back(" ");
  if (packets_.empty()) return out;
  out.emplace_back("Log Page 7 Event Time Line Report");
  std::map<uint32_t, std::vector<size_t>> byHour;  // first lines, in packet order
  for (const PG7_PACKET_LINK& p : packets_) byHour[p.poh].push_back(p.first_line);
  for (const auto& [hour, count] : histogram_) {
    std::snprintf(text, sizeof text, "  POH: %u Events: %u", hour, count);
    out.emplace_back(text);
    for (size_t line : byHour[hour]) out.push_back("\t" + lines_[line]);
  }
  out.emplace_back("\t");
  return out;
}

KLogPage7::ScanResult KLogPage7::WnScan() const {
  ScanResult r;
  r.summary = "( ";
  for (const std::string& line : lines_) {
    for (const FailureMarker& m : kFailureMarkers) {
      const size_t at = line.find(m.text);
      if (at == std::string::npos || at == 0) continue;
      ++r.count;
      if (r.count <= kSummaryWords) {
        if (r.count > 1) r.summary += ", ";
        r.summary += FailureWord(line, at + m.text.size(), m);
      } else if (r.count == kSummaryWords + 1) {
        r.summary += ", ...";
      }
    }
  }
  if (r.count > 0) r.summary += " )";
  return r;
}
