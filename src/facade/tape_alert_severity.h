// The TapeAlert flags the command menu reports, with the severity each one
// is reported and logged with.
#pragma once

#include <cstdint>
#include <span>

struct TapeAlertRow {
  uint16_t flag;  // the TapeAlert flag number, also its log parameter code
  const char* name;
  const char* severity;  // "Informational", "Warning", "Critical" or empty
};

std::span<const TapeAlertRow> KoruSeverityAndMeaning();
// A medium changer's flags mean other things: the changer table of the
// TapeAlert standard (flags 1 to 32; the rest are reserved).
std::span<const TapeAlertRow> ChangerSeverityAndMeaning();
// The row of `flag` in `table`, or null when the table has none.
const TapeAlertRow* FindAlertRow(std::span<const TapeAlertRow> table, int flag);
