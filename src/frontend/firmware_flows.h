// The console's firmware flows: update the drive from an image file (-u,
// wizard U), write an upgrade tape (-t, wizard T), ready the drive to update
// from such a tape (wizard F) or to turn one back into a data tape (wizard R).
#pragma once

// Exit status of -u and -t when the update or the tape failed (main returns
// it as a negative value, the shell sees 252).
inline constexpr int kFirmwareFailedStatus = -4;

struct ConsoleState;

// Asks for the image path when the selection has none. True when the update
// or the tape was done. An update that made the drive restart leaves the
// console on the drive where it came back, or with none selected.
bool do_fup(ConsoleState& console, bool tape);
// True when the drive was readied, or the user chose not to go on; false
// also on a drive that does not offer the request.
bool do_fup_from_tape(ConsoleState& console);
bool do_revert_lto6c_fup_tape(ConsoleState& console);
// For the signal handlers: when a firmware update is under way, says what
// the interruption leaves behind (nothing committed, or a drive that may be
// restarting with the new firmware).
void note_interrupted_update();
