#include "frontend/later_modes.h"

#include <cstdio>

#include "frontend/console_state.h"
#include "frontend/firmware_flows.h"

namespace {

struct LaterModeRow {
  LaterMode mode;
  const char* name;
  bool (*run)(ConsoleState&);  // null: not in this build
};

constexpr LaterModeRow kLaterModes[] = {
    {LaterMode::kFirmwareUpdate, "Firmware update (-u)", [](ConsoleState& c) { return do_fup(c, false); }},
    {LaterMode::kUpgradeTape, "Firmware upgrade tapes (-t)", [](ConsoleState& c) { return do_fup(c, true); }},
    {LaterMode::kUpdateFromTape, "Firmware update from a tape", do_fup_from_tape},
    {LaterMode::kRevertTape, "Firmware tape revert", do_revert_lto6c_fup_tape},
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

bool RunLaterMode(ConsoleState& console, LaterMode mode) {
  const LaterModeRow* row = Find(mode);
  if (row != nullptr && row->run != nullptr) return row->run(console);
  std::printf("%s is not available in this build.\n", row != nullptr ? row->name : "This mode");
  console.end_normally = true;
  return false;
}
