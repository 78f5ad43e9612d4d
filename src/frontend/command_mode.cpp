#include "frontend/command_mode.h"

#include <cstdio>

#include "facade/command_table.h"
#include "facade/scsi_wrapper.h"
#include "frontend/globals.h"
#include "frontend/log_file.h"
#include "frontend/menu_input.h"

namespace {

// What each entry of the command menu does, by command id.
struct CommandAction {
  int32_t id;
  const char* before;
  bool (ScsiWrapper::*send)();
  const char* after;  // printed whether the command succeeded or not
};

constexpr CommandAction kCommandActions[] = {
    {kCmdTestUnitReady, "\nSending 'Test Unit Ready' command...", &ScsiWrapper::SendTestUnitReady,
     "\n'Test Unit Ready' command completed"},
    {kCmdInquiry, "\nSending 'Inquiry' command...", &ScsiWrapper::SendInquiry, "\n'Inquiry' command completed"},
};

const CommandAction* FindAction(int32_t id) {
  for (const CommandAction& row : kCommandActions) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

}  // namespace

int send_command(int32_t n) {
  ScsiWrapper& facade = *g_pScsiWrapper;
  const auto rows = CommandsShown(facade.GetDriveTypeCode());
  if (n < 1 || static_cast<size_t>(n) > rows.size()) return -1;
  const CmdTypeRow& row = rows[static_cast<size_t>(n - 1)];
  if (row.id == kCmdExit) return 0;
  const CommandAction* action = FindAction(row.id);
  if (action == nullptr) {
    std::printf("\n'%s' is not available in this build.\n", row.name);
    return 1;
  }
  std::puts(action->before);
  (facade.*action->send)();
  std::puts(action->after);
  return 1;
}

bool command_mode() {
  for (;;) {
    g_pScsiWrapper->ListCommands();
    char answer[kUserInputSize];
    const AnswerRead got = ReadAnswer(answer);
    // Nothing more to read: leave the menu instead of showing it forever.
    if (got == AnswerRead::kEnd) return true;
    SkipRestOfLine();
    if (send_command(AnswerNumber(answer)) == 0) return true;
  }
}

void parse_mode() { g_pScsiWrapper->ParseCommands(stdin); }
