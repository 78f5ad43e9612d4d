// Run modes and menus that this build of the console does not have yet.
// Every mode the dispatch can reach is listed in one table; a mode without
// an entry point announces itself as not available and the console ends
// normally.
#pragma once

enum class LaterMode {
  kDeviceMenu,
  kScriptMenu,
  kScriptFolderMenu,
  kCommandMode,
  kParseMode,
  kFirmwareUpdate,
  kUpgradeTape,
  kUpdateFromTape,
  kRevertTape,
  kScriptHelp,
};

// Runs the mode and returns its result. A mode that is not available prints
// "<name> is not available in this build." and returns false.
bool RunLaterMode(LaterMode mode);
bool LaterModeAvailable(LaterMode mode);

// Set when a mode that is not available was asked for; the console then
// cleans up and ends with status 0.
extern bool g_LaterModeMissing;
