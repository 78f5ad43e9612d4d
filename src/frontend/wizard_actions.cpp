#include "frontend/wizard_actions.h"

#include <cstdio>

#include "facade/scsi_wrapper.h"
#include "frontend/command_mode.h"
#include "frontend/console_state.h"
#include "frontend/device_select.h"
#include "frontend/fup_tape_drives.h"
#include "frontend/later_modes.h"
#include "frontend/script_help.h"

namespace {

// A menu of the facade; the script menu comes back after it.
template <auto menu>
ActionResult OnFacade(ConsoleState& console) {
  menu(*console.facade);
  return ActionResult::kContinue;
}

// The wizard always asks for the image path itself.
template <LaterMode mode>
ActionResult RunFirmware(ConsoleState& console) {
  console.flags.FirmwareFile[0] = '\0';
  RunLaterMode(console, mode);
  return ActionResult::kContinue;
}

// A firmware line is shown once its flow is in this build: a technician is
// not offered what only answers "not available".
bool NotDell(const WIZARD_FLAGS& flags) { return flags.Vendor != 1; }
bool UpdateOffered(const WIZARD_FLAGS&) { return LaterModeAvailable(LaterMode::kFirmwareUpdate); }
bool TapesOffered(const WIZARD_FLAGS& flags) {
  return LaterModeAvailable(LaterMode::kUpgradeTape) && NotDell(flags) && DoesDriveSupportFUPTape(flags.DriveType);
}
bool TapeUpdateOffered(const WIZARD_FLAGS& flags) {
  return LaterModeAvailable(LaterMode::kUpdateFromTape) && NotDell(flags) && DoesDriveSupportFUPTape(flags.DriveType) &&
         DoesDriveUpdateFromTape(flags.DriveType);
}

constexpr WizardActionRow kWizardActions[] = {
    {WizardAction::kCommandMode, "C", "Select 'C' to enter command mode", nullptr, true, OnFacade<command_mode>},
    {WizardAction::kFirmwareUpdate, "U", "Select 'U' to update firmware", UpdateOffered, true,
     RunFirmware<LaterMode::kFirmwareUpdate>},
    {WizardAction::kUpgradeTape, "T", "Select 'T' to create a firmware update tape", TapesOffered, true,
     RunFirmware<LaterMode::kUpgradeTape>},
    {WizardAction::kUpdateFromTape, "F", "Select 'F' to update firmware from a tape", TapeUpdateOffered, true,
     RunFirmware<LaterMode::kUpdateFromTape>},
    {WizardAction::kRevertTape, "R", "Select 'R' to revert a firmware update tape", TapeUpdateOffered, true,
     RunFirmware<LaterMode::kRevertTape>},
    {WizardAction::kOtherDevice, "D", "Select 'D' to choose a different device", nullptr, false,
     [](ConsoleState& c) { return process_f(c, nullptr) ? ActionResult::kContinue : ActionResult::kNoDevice; }},
    {WizardAction::kScriptHelp, "H", "Select 'H' to get a description of a script", nullptr, false,
     [](ConsoleState& c) {
       PrintSciptHelp(c.scripts.get());
       return ActionResult::kContinue;
     }},
    {WizardAction::kExit, "XQ", "Select 'X' to exit\n", nullptr, false,
     [](ConsoleState&) { return ActionResult::kLeave; }},
    // Parse mode is chosen by its letter only; the menu does not list it.
    {WizardAction::kParseMode, "P", nullptr, nullptr, true, OnFacade<parse_mode>},
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

ActionResult perform_wizard_action(ConsoleState& console, WizardAction action) {
  for (const WizardActionRow& row : kWizardActions) {
    if (row.action != action) continue;
    // A firmware update that lost its drive leaves none selected: nothing
    // may then go to whatever device the last scan listed.
    if (row.needs_device && console.facade && console.facade->GetDeviceSelected() < 0) {
      std::printf("No device is selected. Select 'D' to choose a device.\n");
      return ActionResult::kContinue;
    }
    return row.perform(console);
  }
  return ActionResult::kContinue;
}
