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
