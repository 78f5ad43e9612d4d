#include "frontend/wizard_actions.h"

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
  ActionResult (*perform)();
};

constexpr ActionRow kWizardActions[] = {
    {1, [] { return ActionResult::kLeave; }},
    {2, [] { return Then([] { command_mode(); }); }},
    {3, [] { return RunFirmware(LaterMode::kFirmwareUpdate); }},
    {4, [] { return RunFirmware(LaterMode::kUpgradeTape); }},
    {5, [] { return RunFirmware(LaterMode::kUpdateFromTape); }},
    {6, [] { return RunFirmware(LaterMode::kRevertTape); }},
    {7, [] { return Then(parse_mode); }},
    {8, [] { return process_f(nullptr) ? ActionResult::kContinue : ActionResult::kNoDevice; }},
    {9, [] { return Then(PrintSciptHelp); }},
};

}  // namespace

ActionResult perform_wizard_action(int code) {
  for (const ActionRow& row : kWizardActions) {
    if (row.code == code) return row.perform();
  }
  return ActionResult::kContinue;
}
