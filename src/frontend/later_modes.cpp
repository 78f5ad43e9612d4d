#include "frontend/later_modes.h"

#include <cstdio>

#include "frontend/globals.h"

namespace {

struct LaterModeRow {
  LaterMode mode;
  const char* name;
  bool (*run)();  // null: not in this build
};

constexpr LaterModeRow kLaterModes[] = {
    {LaterMode::kFirmwareUpdate, "Firmware update (-u)", nullptr},
    {LaterMode::kUpgradeTape, "Firmware upgrade tapes (-t)", nullptr},
    {LaterMode::kUpdateFromTape, "Firmware update from a tape", nullptr},
    {LaterMode::kRevertTape, "Firmware tape revert", nullptr},
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
  return row == nullptr || row->run != nullptr;
}

bool RunLaterMode(LaterMode mode) {
  const LaterModeRow* row = Find(mode);
  if (row != nullptr && row->run != nullptr) return row->run();
  std::printf("%s is not available in this build.\n", row != nullptr ? row->name : "This mode");
  g_EndNormally = true;
  return false;
}
