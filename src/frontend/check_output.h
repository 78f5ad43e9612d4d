// The health run as one Nagios/Icinga plugin line (`--check`):
//   CRITICAL - HU1234567A: TapeAlert 3 Hard error, 20 Cleaning required; HU7654321B: no TapeAlert | ...
// The first word is the worst state of the run, the devices follow worst
// first, and the performance data after '|' holds each device's temperature
// and error counters. The plugin's exit status is the run's ExitStatus():
// 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN (no device could be read).
#pragma once

#include <string>

#include "facade/health.h"

// The line, ending in a newline.
std::string CheckLine(const HealthRun& run);
