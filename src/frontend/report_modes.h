// The read-only reports of the command line: --health (and --metrics),
// --check, --mam and --list, as text or, with --json, one JSON document.
// They ask nothing, change nothing and end with their own exit status.
#pragma once

#include "frontend/options.h"

struct ConsoleState;

// `device` is the node named with -f (or VEXIL_DEV), null for every device
// found. Reads through the console's facade. Returns the exit status.
int RunReport(ConsoleState& console, const CommandLine& line, const char* device);
