// The actions the script menu can choose instead of a script: one row each,
// with the letters that choose it, its line in the menu, when the line is
// offered, whether it needs a selected drive, and what it does.
#pragma once

#include <span>

#include "frontend/wizard_flags.h"

struct ConsoleState;

enum class ActionResult {
  kContinue,  // back to the script menu
  kLeave,     // the console ends normally
  kNoDevice,  // another device was asked for and none could be selected
};

// The actions; a typed number -1..-8 chooses the action of code 1 - number.
enum class WizardAction : int {
  kNone = 0,
  kExit = 1,
  kCommandMode = 2,
  kFirmwareUpdate = 3,
  kUpgradeTape = 4,
  kUpdateFromTape = 5,
  kRevertTape = 6,
  kParseMode = 7,
  kOtherDevice = 8,
  kScriptHelp = 9,
};
inline constexpr int kLastWizardAction = static_cast<int>(WizardAction::kScriptHelp);

struct WizardActionRow {
  WizardAction action;
  const char* letters;    // the letters that choose it (either case)
  const char* menu_line;  // its line under "Other:", in menu order; null: not listed
  bool (*offered)(const WIZARD_FLAGS&);  // the line is shown only when this says so; null: always
  bool needs_device;                     // it sends commands to the selected drive
  ActionResult (*perform)(ConsoleState&);
};

// The rows, in the order of the menu's lines.
std::span<const WizardActionRow> WizardActionRows();

// Performs the action (refused, with the reason, when it needs a drive and
// none is selected); kNone and unknown codes do nothing.
ActionResult perform_wizard_action(ConsoleState& console, WizardAction action);
