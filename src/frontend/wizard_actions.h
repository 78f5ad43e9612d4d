// The actions the script menu can choose instead of a script.
#pragma once

enum class ActionResult {
  kContinue,  // back to the script menu
  kLeave,     // the console ends normally
  kNoDevice,  // another device was asked for and none could be selected
};

// Performs wizard action `code` (1 to 9; others do nothing).
ActionResult perform_wizard_action(int code);
