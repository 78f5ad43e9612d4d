#include <cctype>
#include <cstdio>
#include <string>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/fup_tape_drives.h"
#include "frontend/globals.h"
#include "frontend/later_modes.h"
#include "frontend/menu_input.h"
#include "frontend/script_catalogue.h"
#include "frontend/wizard_menus.h"

namespace {

// Letters of the script menu and the selection values they stand for; the
// wizard action code is 1 - value. P (parse mode) is not listed in the menu.
struct MenuLetter {
  char letter;
  int value;
};
constexpr MenuLetter kMenuLetters[] = {
    {'X', 0}, {'Q', 0}, {'C', -1}, {'U', -2}, {'T', -3}, {'F', -4}, {'R', -5}, {'P', -6}, {'D', -7}, {'H', -8},
};
// The lowest value a typed number may have: the last action (H).
constexpr int kLowestAction = -8;

// A firmware line is shown once its flow is in this build: a technician is
// not offered what only answers "not available".
bool NotDell() { return g_pFlags.Vendor != 1; }
bool UpdateOffered() { return LaterModeAvailable(LaterMode::kFirmwareUpdate); }
bool TapesOffered() {
  return LaterModeAvailable(LaterMode::kUpgradeTape) && NotDell() && DoesDriveSupportFUPTape(g_pFlags.DriveType);
}
bool TapeUpdateOffered() {
  return LaterModeAvailable(LaterMode::kUpdateFromTape) && NotDell() &&
         DoesDriveSupportFUPTape(g_pFlags.DriveType) && DoesDriveUpdateFromTape(g_pFlags.DriveType);
}

struct OtherLine {
  const char* text;
  bool (*shown)();  // null: always
};
constexpr OtherLine kOtherLines[] = {
    {"Select 'C' to enter command mode", nullptr},
    {"Select 'U' to update firmware", UpdateOffered},
    {"Select 'T' to create a firmware update tape", TapesOffered},
    {"Select 'F' to update firmware from a tape", TapeUpdateOffered},
    {"Select 'R' to revert a firmware update tape", TapeUpdateOffered},
    {"Select 'D' to choose a different device", nullptr},
    {"Select 'H' to get a description of a script", nullptr},
    {"Select 'X' to exit\n", nullptr},
};

enum class Choice { kAgain, kScript, kAction };

// Reads the answer: a letter, a script number or an action value.
Choice Interpret(const char* answer, const ScriptMenuLists& lists, int& value) {
  const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(answer[0])));
  for (const MenuLetter& row : kMenuLetters) {
    if (row.letter == first) {
      value = row.value;
      return Choice::kAction;
    }
  }
  value = AnswerNumber(answer);
  if (value >= 1 && value <= lists.Size()) return Choice::kScript;
  // 0 asks again; so does a number below the last action, which names none.
  if (value < 0 && value >= kLowestAction) return Choice::kAction;
  return Choice::kAgain;
}

}  // namespace

bool select_script(const char* folder) {
  std::puts(kRuleLine);
  std::puts("Vexil Wizard - Scripts found:");
  const ScriptMenuLists lists = BuildMenuLists();
  PrintMenuLists(lists);
  std::puts("\nOther:");
  for (const OtherLine& line : kOtherLines) {
    if (line.shown == nullptr || line.shown()) std::puts(line.text);
  }
  for (;;) {
    std::puts(kRuleLine);
    std::puts("Select script or action, then press 'Enter':");
    std::fflush(stdout);
    const AnswerRead got = ReadAnswer(userinput2);
    if (got == AnswerRead::kEnd) {
      g_EndNormally = true;
      return false;
    }
    std::puts(kRuleLine);
    int value = 0;
    const Choice choice = got == AnswerRead::kWord ? Interpret(userinput2, lists, value) : Choice::kAgain;
    if (choice == Choice::kAgain) continue;
    if (choice == Choice::kScript) {
      const std::string path = std::string(folder) + "/" + *lists.Pick(value);
      if (!SetField(g_pFlags.ScriptFile, path.c_str())) {
        std::printf("Vexil: the script path is too long (at most %zu characters).\n",
                    sizeof g_pFlags.ScriptFile - 1);
        continue;
      }
    } else {
      g_pFlags.ScriptFile[0] = '\0';
      g_pFlags.ScriptFile[1] = static_cast<char>(1 - value);
    }
    SkipRestOfLine();
    return true;
  }
}
