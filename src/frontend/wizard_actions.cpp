#include "frontend/wizard_actions.h"

#include <cstdio>

#include "facade/scsi_wrapper.h"
#include "frontend/command_mode.h"
#include "frontend/device_select.h"
#include "frontend/globals.h"
#include "frontend/later_modes.h"
#include "frontend/script_help.h"

namespace {

ActionResult Run(LaterMode mode) {
  RunLaterMode(mode);
  return ActionResult::kContinue;
}

ActionResult Then(void (*action)()) {
  action();
  return ActionResult::kContinue;
}

// The wizard always asks for the image path itself.
ActionResult RunFirmware(LaterMode mode) {
  g_pFlags.FirmwareFile[0] = '\0';
  return Run(mode);
}

struct ActionRow {
  int code;
  bool needsDevice;  // sends commands to the selected drive
  ActionResult (*perform)();
};

constexpr ActionRow kWizardActions[] = {
    {1, false, [] { return ActionResult::kLeave; }},
    {2, true, [] { return Then([] { command_mode(); }); }},
    {3, true, [] { return RunFirmware(LaterMode::kFirmwareUpdate); }},
    {4, true, [] { return RunFirmware(LaterMode::kUpgradeTape); }},
    {5, true, [] { return RunFirmware(LaterMode::kUpdateFromTape); }},
    {6, true, [] { return RunFirmware(LaterMode::kRevertTape); }},
    {7, true, [] { return Then(parse_mode); }},
    {8, false, [] { return process_f(nullptr) ? ActionResult::kContinue : ActionResult::kNoDevice; }},
    {9, false, [] { return Then(PrintSciptHelp); }},
};

}  // namespace

ActionResult perform_wizard_action(int code) {
  for (const ActionRow& row : kWizardActions) {
    if (row.code != code) continue;
    // A firmware update that lost its drive leaves none selected: nothing
    // may then go to whatever device the last scan listed.
    if (row.needsDevice && g_pScsiWrapper && g_pScsiWrapper->GetDeviceSelected() < 0) {
      std::printf("No device is selected. Select 'D' to choose a device.\n");
      return ActionResult::kContinue;
    }
    return row.perform();
  }
  return ActionResult::kContinue;
}
