#include "frontend/wizard_actions.h"

#include <cstdio>

#include "facade/scsi_wrapper.h"
#include "frontend/command_mode.h"
#include "frontend/device_select.h"
#include "frontend/fup_tape_drives.h"
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

// A firmware line is shown once its flow is in this build: a technician is
// not offered what only answers "not available".
bool NotDell() { return g_pFlags.Vendor != 1; }
bool UpdateOffered() { return LaterModeAvailable(LaterMode::kFirmwareUpdate); }
bool TapesOffered() {
  return LaterModeAvailable(LaterMode::kUpgradeTape) && NotDell() && DoesDriveSupportFUPTape(g_pFlags.DriveType);
}
bool TapeUpdateOffered() {
  return LaterModeAvailable(LaterMode::kUpdateFromTape) && NotDell() && DoesDriveSupportFUPTape(g_pFlags.DriveType) &&
         DoesDriveUpdateFromTape(g_pFlags.DriveType);
}

constexpr WizardActionRow kWizardActions[] = {
    {WizardAction::kCommandMode, "C", "Select 'C' to enter command mode", nullptr, true,
     [] { return Then([] { command_mode(); }); }},
    {WizardAction::kFirmwareUpdate, "U", "Select 'U' to update firmware", UpdateOffered, true,
     [] { return RunFirmware(LaterMode::kFirmwareUpdate); }},
    {WizardAction::kUpgradeTape, "T", "Select 'T' to create a firmware update tape", TapesOffered, true,
     [] { return RunFirmware(LaterMode::kUpgradeTape); }},
    {WizardAction::kUpdateFromTape, "F", "Select 'F' to update firmware from a tape", TapeUpdateOffered, true,
     [] { return RunFirmware(LaterMode::kUpdateFromTape); }},
    {WizardAction::kRevertTape, "R", "Select 'R' to revert a firmware update tape", TapeUpdateOffered, true,
     [] { return RunFirmware(LaterMode::kRevertTape); }},
    {WizardAction::kOtherDevice, "D", "Select 'D' to choose a different device", nullptr, false,
     [] { return process_f(nullptr) ? ActionResult::kContinue : ActionResult::kNoDevice; }},
    {WizardAction::kScriptHelp, "H", "Select 'H' to get a description of a script", nullptr, false,
     [] { return Then(PrintSciptHelp); }},
    {WizardAction::kExit, "XQ", "Select 'X' to exit\n", nullptr, false, [] { return ActionResult::kLeave; }},
    // Parse mode is chosen by its letter only; the menu does not list it.
    {WizardAction::kParseMode, "P", nullptr, nullptr, true, [] { return Then(parse_mode); }},
};

constexpr bool EveryActionHasOneRow() {
  for (int code = 1; code <= kLastWizardAction; ++code) {
    int rows = 0;
    for (const WizardActionRow& row : kWizardActions) rows += static_cast<int>(row.action) == code ? 1 : 0;
    if (rows != 1) return false;
  }
  return true;
}
static_assert(EveryActionHasOneRow(), "each wizard action has exactly one row");

}  // namespace

std::span<const WizardActionRow> WizardActionRows() { return kWizardActions; }

ActionResult perform_wizard_action(WizardAction action) {
  for (const WizardActionRow& row : kWizardActions) {
    if (row.action != action) continue;
    // A firmware update that lost its drive leaves none selected: nothing
    // may then go to whatever device the last scan listed.
    if (row.needs_device && g_pScsiWrapper && g_pScsiWrapper->GetDeviceSelected() < 0) {
      std::printf("No device is selected. Select 'D' to choose a device.\n");
      return ActionResult::kContinue;
    }
    return row.perform();
  }
  return ActionResult::kContinue;
}
