// Questions asked of a loaded event log: the query record a script's IFTRUE
// or CREATELIST fills, and the search engine that walks the log's packets and
// keeps the matching ones as hits, newest (highest power-on hours) first.
// Independent of the script engine: the statements fill the query and print
// the lines returned here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/statements/k_log_page7.h"

enum QUERY_TYPE : uint8_t {
  QUERY_SENSE = 0,
  QUERY_BUGCHECK = 1,
  QUERY_EVENT = 2,
  QUERY_SCSI = 3,
  QUERY_DIAG_ILOG = 4,
  QUERY_DIAG_4_CHN_WRITE = 5,
  QUERY_DIAG_4_CHN_READ = 6,
  QUERY_DIAG_TEST = 7,
  QUERY_CUP = 8,
  QUERY_OVERTEMP = 9,
  QUERY_POST = 10,
  QUERY_NONE = 11,
};

enum QUERY_OP : uint8_t { QOP_EQ = 0, QOP_NE, QOP_LT, QOP_GT, QOP_LE, QOP_GE, QOP_ANY };

enum EventQueryResult : int32_t {
  SEARCH_OK = 0,
  SEARCH_ENGINE_DETECTED_NO_TEXT_FOR_LP7 = -271,
  SEARCH_ENGINE_DETECTED_UNEXPECTED_EOL_FOR_BUGCHK = -318,
  PG7_GETVALUE_NO_EMPTY_LIST_ERROR = -469,
  PG7_GETVALUE_IDX_OUT_OF_RANGE_ERROR = -470,
  PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR1 = -471,
  PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR2 = -472,
  PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR3 = -473,
  PG7_GETVALUE_INVALID_LONG_VALUE_FIELD_DETECTED = -474,
};

// An id that stands for every code of its type.
inline constexpr uint32_t kQueryAnyId = 0xFFFF;
inline constexpr size_t kQueryLabelMax = 127;
inline constexpr size_t kHitTagMax = 31;

// The question (one per script engine; cleared before every search).
struct KTRAP_Controll {
  QUERY_TYPE type = QUERY_NONE;
  // Sense triple of SENSE and SCSI queries (a SENSEKEYS tag is resolved
  // into these by the statement); the "any" flags stand for an XX field.
  bool has_sense = false;
  uint8_t key = 0, asc = 0, ascq = 0;
  uint8_t asc_any = 0, ascq_any = 0;
  // Event or bug-check code, or range (the drive's codes run to 8 digits).
  uint32_t id_low = 0, id_high = 0;
  uint8_t range = 0;
  QUERY_OP op = QOP_EQ;
  uint16_t limit = 0;
  bool within = false;
  uint32_t within_hours = 0;
  uint32_t current_poh = 0;
  uint8_t with = 0, same = 1;
  bool call = false;  // else jump
  std::string label;

  void Clear() { *this = KTRAP_Controll{}; }
};

struct HIT_LINK {
  size_t line = 0;  // the packet's header line in the log
  uint32_t packet_number = 0;
  QUERY_TYPE type = QUERY_NONE;
  uint32_t id = 0;
  std::string tag;  // at most kHitTagMax characters
  uint32_t poh = 0, pc = 0;
  int month = 12, day = 0, year = 0, hour = 0, minute = 0;  // month 0..11, 12 unknown
  double seconds = 0;
  uint8_t sk = 0, asc = 0, ascq = 0;
  double poh_double = 0;
  uint32_t occurrences = 1;
};

// One term of GETVALUE: word `field` of the packet body, masked and shifted.
struct GetValueTerm {
  uint16_t field = 0;
  uint32_t mask = 0;
  bool left = false;
  uint8_t shift = 0;
};

class CSearchEngine {
 public:
  // Runs the query on the log: the hit list is rebuilt (emptied on failure).
  // A log never loaded gives SEARCH_ENGINE_DETECTED_NO_TEXT_FOR_LP7.
  int32_t Search(const KLogPage7& log, const KTRAP_Controll& q);
  // Whether the hit count meets the query's operator and limit.
  bool Holds(const KTRAP_Controll& q) const;
  // Removes hits older than `hours` before `currentPoh` (a window reaching
  // back past hour 0 keeps every hit).
  void FilterTime(uint32_t hours, uint32_t currentPoh);
  // One line per hit, or the "no hits" line.
  std::vector<std::string> PrintLines() const;
  // The sum of the terms read from the body of hit `index`.
  int32_t GetValue(const KLogPage7& log, size_t index, const std::vector<GetValueTerm>& terms, uint32_t& sum) const;
  bool Remove(size_t index);
  void Clear() { hits_.clear(); }

  const std::vector<HIT_LINK>& Hits() const { return hits_; }
  size_t Count() const { return hits_.size(); }

 private:
  void Add(HIT_LINK hit);
  std::vector<HIT_LINK> hits_;
};

// The query type named by a script word (any case), or QUERY_NONE.
QUERY_TYPE QueryTypeFromName(const std::string& word);
