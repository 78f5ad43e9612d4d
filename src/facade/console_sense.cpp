// The console's own sense triples and their texts, one row each.
#include "facade/console_sense.h"

#include <iterator>

namespace {

constexpr int32_t kCheckCondition = -2;

struct ConsoleSenseRow {
  int32_t result;  // device-layer result of a transport failure; 1 for the data checks
  uint8_t asc;
  uint8_t ascq;
  const char* text;
};

constexpr ConsoleSenseRow kRows[] = {
    {-1, kAscTimedOut, 0, "Transport failure: the command timed out"},
    {0, kAscRefused, 0, "Transport failure: the sg driver refused the request"},
    {-3, kAscNotSent, 0, "Transport failure: not sent (no device, or longer than the driver takes)"},
    {-4, kAscNoNode, 0, "Transport failure: the device node could not be opened"},
    {-5, kAscHostError, 0, "Transport failure: host adapter or driver error"},
    {-6, kAscNoMemory, 0, "Transport failure: no memory for the request"},
    {1, kAscOtherTransport, 0, "Transport failure"},
    {1, kAscShortData, kAscqShortTransfer, "Short transfer: less data than the command announced"},
    {1, kAscShortData, kAscqShortPage, "Incomplete log page: shorter than its page length"},
};

}  // namespace

bool IsTransportFailure(int32_t result) { return result <= 0 && result != kCheckCondition; }

uint8_t TransportAsc(int32_t result) {
  for (const ConsoleSenseRow& row : kRows)
    if (row.result == result && row.asc < kAscShortData) return row.asc;
  return kAscOtherTransport;
}

bool IsTransportSense(uint8_t key, uint8_t asc) { return key == kConsoleSenseKey && asc < kAscShortData; }

const char* ConsoleSenseText(uint8_t key, uint8_t asc, uint8_t ascq) {
  if (key != kConsoleSenseKey) return nullptr;
  for (const ConsoleSenseRow& row : kRows)
    if (row.asc == asc && row.ascq == ascq) return row.text;
  return nullptr;
}
