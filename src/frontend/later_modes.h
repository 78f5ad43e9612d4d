// Run modes and menus that this build of the console does not have yet.
// Every mode the dispatch can reach is listed in one table; a mode without
// an entry point announces itself as not available and the console ends
// normally.
#pragma once

struct ConsoleState;

enum class LaterMode {
  kFirmwareUpdate,
  kUpgradeTape,
  kUpdateFromTape,
  kRevertTape,
};

// Runs the mode and returns its result. A mode that is not available prints
// "<name> is not available in this build.", marks the console to end
// normally and returns false.
bool RunLaterMode(ConsoleState& console, LaterMode mode);
// False while the mode's row says it is not in this build; a mode without a
// row is built.
bool LaterModeAvailable(LaterMode mode);
