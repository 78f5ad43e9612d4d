#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/menu_input.h"
#include "frontend/script_catalogue.h"
#include "frontend/wizard_actions.h"
#include "frontend/wizard_menus.h"

namespace {

enum class Choice { kAgain, kScript, kAction };

// Reads the answer: a letter of an action, a script number, or a negative
// number that names an action (-1 the first after exit: 1 - number is its code).
Choice Interpret(const char* answer, const ScriptMenuLists& lists, int& value, WizardAction& action) {
  const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(answer[0])));
  for (const WizardActionRow& row : WizardActionRows()) {
    if (first != '\0' && std::strchr(row.letters, first) != nullptr) {
      action = row.action;
      return Choice::kAction;
    }
  }
  value = AnswerNumber(answer);
  if (value >= 1 && value <= lists.Size()) return Choice::kScript;
  // 0 asks again; so does a number below the last action, which names none.
  if (value < 0 && 1 - value <= kLastWizardAction) {
    action = static_cast<WizardAction>(1 - value);
    return Choice::kAction;
  }
  return Choice::kAgain;
}

}  // namespace

bool select_script(ConsoleState& console, const char* folder) {
  std::puts(kRuleLine);
  std::puts("Vexil Wizard - Scripts found:");
  const ScriptMenuLists lists = BuildMenuLists(console.scripts.get());
  PrintMenuLists(lists);
  std::puts("\nOther:");
  for (const WizardActionRow& row : WizardActionRows()) {
    if (row.menu_line != nullptr && (row.offered == nullptr || row.offered(console.flags))) std::puts(row.menu_line);
  }
  WIZARD_FLAGS& flags = console.flags;
  for (;;) {
    std::puts(kRuleLine);
    std::puts("Select script or action, then press 'Enter':");
    std::fflush(stdout);
    char answer[kUserInputSize] = {};
    const AnswerRead got = ReadAnswer(answer);
    if (got == AnswerRead::kEnd) {
      console.end_normally = true;
      return false;
    }
    std::puts(kRuleLine);
    int value = 0;
    WizardAction action = WizardAction::kNone;
    const Choice choice = got == AnswerRead::kWord ? Interpret(answer, lists, value, action) : Choice::kAgain;
    if (choice == Choice::kAgain) continue;
    if (choice == Choice::kScript) {
      flags.Action = static_cast<int32_t>(WizardAction::kNone);
      const std::string path = std::string(folder) + "/" + *lists.Pick(value);
      if (!SetField(flags.ScriptFile, path.c_str())) {
        std::fprintf(ErrorStream(), "Vexil: the script path is too long (at most %zu characters).\n",
                     sizeof flags.ScriptFile - 1);
        continue;
      }
    } else {
      flags.ScriptFile[0] = '\0';
      flags.Action = static_cast<int32_t>(action);
    }
    SkipRestOfLine();
    return true;
  }
}
