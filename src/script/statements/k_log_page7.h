// KLogPage7: the drive's event log (log page 07h) as text lines and typed
// packets. A drive's event log is a run of short text packets, each opened by
// a line holding "Packet #"; the decoder splits the page into lines, groups
// them into packets, types each packet by its first line, pulls out its
// power-on hours, power cycles, number and sense bytes, and keeps a tally per
// category and the packets per power-on hour. Nothing in the page is trusted:
// every length and offset is checked against the bytes that arrived.
// Independent of the script engine: reports come back as lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum KLogPage7Result : int32_t {
  KPG7_OK = 0,
  KPG7_BROKEN_PARAMETER_CHAIN = -7,
  KPG7_LOADING_INVALID_PAGE = -349,
};

// Categories of the tally, in the order the tally report lists them.
enum class Pg7Counter : uint8_t {
  Sense,
  Scsi,
  Event,
  BugCheck,
  Cup,
  Diags,
  Post,
  LoaderError,
  DriveError,
  DirRdError,
  DirWrError,
  CalError,
  Overtemp,
  Optimize,
  RwParamsLost,
  CalFailure,
  Cleaning,
  Other,
  Count
};

// One row of the packet type table: the text searched for in the packet's
// upper-cased first line and the category it counts in.
struct Pg7PacketType {
  const char* text;
  Pg7Counter counter;
};
// Searched in order, the first match wins; a packet matching none has type
// kPg7NoType and counts as Other.
extern const std::array<Pg7PacketType, 22> kPg7PacketTypes;
inline constexpr int kPg7NoType = 22;
// Tally report label of each counter, by Pg7Counter.
extern const std::array<const char*, static_cast<size_t>(Pg7Counter::Count)> kPg7CounterLabels;

struct PG7_PACKET_LINK {
  size_t first_line = 0;  // index of the line that holds "Packet #"
  size_t line_count = 0;
  int type = kPg7NoType;
  uint32_t poh = 0;
  uint32_t pc = 0;
  uint32_t number = 0;
  uint8_t sk = 0, asc = 0, ascq = 0;
};

class KLogPage7 {
 public:
  // Longest line kept whole; a longer run of text goes on in the next line.
  static constexpr size_t kMaxLine = 2048;

  // Binary page (any byte equal to 7): byte 0 must be 7 (else
  // KPG7_LOADING_INVALID_PAGE) and every parameter must end within the page
  // as it arrived (else KPG7_BROKEN_PARAMETER_CHAIN); the values make up
  // the text. Other data are plain text up to the first zero byte.
  // A failed load leaves the decoder empty and not loaded.
  int32_t Load(std::span<const uint8_t> data);
  void Clear();

  // True after a successful load, also of a log that holds no packet (an
  // empty log is a loaded log with no packets).
  bool IsLoaded() const { return loaded_; }
  bool HasText() const { return !lines_.empty(); }

  const std::vector<std::string>& Lines() const { return lines_; }
  const std::vector<PG7_PACKET_LINK>& Packets() const { return packets_; }
  size_t PacketCount() const { return packets_.size(); }
  uint32_t Tally(Pg7Counter c) const { return counters_[static_cast<size_t>(c)]; }
  uint32_t LowestPoh() const { return lowest_poh_; }
  uint32_t HighestPoh() const { return highest_poh_; }
  // Packets per power-on hour, for the hours that have any.
  const std::map<uint32_t, uint32_t>& Histogram() const { return histogram_; }
  int PageCode() const { return page_code_; }
  uint16_t PageLength() const { return page_length_; }

  // Removes from this log every packet that also occurs in `earlier` (same
  // number, type, hours and cycles; one removal per packet of `earlier`),
  // then analyses again: what is left is new since `earlier`.
  void DeltaFilter(const KLogPage7& earlier);

  // Each packet (or each of one type): its first line, then "\t" and each
  // further line; with none, the "no packets" line of the screen or the log.
  std::vector<std::string> PacketLines(bool forLog, int type = -1) const;
  // The tally and time-line report.
  std::vector<std::string> MapLines() const;

  // Failure-marker scan: the number of hits and a summary such as
  // "( w1, w2, w3, ... )".
  struct ScanResult {
    uint32_t count = 0;
    std::string summary;
  };
  ScanResult WnScan() const;

  // The lines of a packet's body: from after the header line up to the next
  // line that begins with "Packet", or the end of the log.
  std::span<const std::string> BodyAfter(size_t headerLine) const;

 private:
  void AddText(std::string_view text);
  void SplitLines();
  void FindPackets();
  void Analyse();
  void Collect(PG7_PACKET_LINK& p) const;

  std::string text_;
  std::vector<std::string> lines_;
  std::vector<PG7_PACKET_LINK> packets_;
  std::array<uint32_t, static_cast<size_t>(Pg7Counter::Count)> counters_{};
  uint32_t lowest_poh_ = 0;
  uint32_t highest_poh_ = 0;
  std::map<uint32_t, uint32_t> histogram_;
  int page_code_ = -1;
  uint16_t page_length_ = 0;
  bool loaded_ = false;
};

// Small text readers shared by the event-log decoder and the query parsers.
namespace pg7 {
// The upper-cased copy of t.
std::string Upper(std::string_view t);
// The blank-separated words of t (blanks: space and tab).
std::vector<std::string_view> Words(std::string_view t);
// Leading decimal or hexadecimal digits of t; false when there are none or the
// number does not fit 32 bits.
bool ParseDec(std::string_view t, uint32_t& value);
bool ParseHex(std::string_view t, uint32_t& value);
}  // namespace pg7
