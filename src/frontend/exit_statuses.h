// Exit statuses of the console that tell a caller (a cron job, a service
// script) what happened; main returns them, negative ones as 256 + value.
#pragma once

// -s: the script ran to its end with a FAIL status (PASS stays 0).
inline constexpr int kScriptFailedStatus = 1;
// -c, -p: a command of the session failed or a command line was refused.
inline constexpr int kCommandFailedStatus = 2;
// -b: the trace collection failed or is incomplete (the shell sees 250).
inline constexpr int kTraceFailedStatus = -6;
// No device could be selected, also when the input ended at the device menu
// of a mode that needs one (the shell sees 254).
inline constexpr int kNoDeviceStatus = -2;
