#include "frontend/later_modes.h"

#include <cstdio>

#include "frontend/firmware_flows.h"

bool g_LaterModeMissing = false;

namespace {

struct LaterModeRow {
  LaterMode mode;
  const char* name;
  bool (*run)();  // null: not in this build
};

constexpr LaterModeRow kLaterModes[] = {
    {LaterMode::kDeviceMenu, "The device menu (start with -f <device_file> instead)", nullptr},
    {LaterMode::kScriptMenu, "The script menu (start with -s <test_script> instead)", nullptr},
    {LaterMode::kScriptFolderMenu, "The script menu for a folder", nullptr},
    {LaterMode::kCommandMode, "Command mode (-c)", nullptr},
    {LaterMode::kParseMode, "Parse mode (-p)", nullptr},
    {LaterMode::kFirmwareUpdate, "Firmware update (-u)", [] { return do_fup(false); }},
    {LaterMode::kUpgradeTape, "Firmware upgrade tapes (-t)", [] { return do_fup(true); }},
    {LaterMode::kUpdateFromTape, "Firmware update from a tape", do_fup_from_tape},
    {LaterMode::kRevertTape, "Firmware tape revert", do_revert_lto6c_fup_tape},
    {LaterMode::kScriptHelp, "The script description browser", nullptr},
};

const LaterModeRow* Find(LaterMode mode) {
  for (const LaterModeRow& row : kLaterModes) {
    if (row.mode == mode) return &row;
  }
  return nullptr;
}

}  // namespace

bool LaterModeAvailable(LaterMode mode) {
  const LaterModeRow* row = Find(mode);
  return row != nullptr && row->run != nullptr;
}

bool RunLaterMode(LaterMode mode) {
  const LaterModeRow* row = Find(mode);
  if (row != nullptr && row->run != nullptr) return row->run();
  std::printf("%s is not available in this build.\n", row != nullptr ? row->name : "This mode");
  g_LaterModeMissing = true;
  return false;
}
