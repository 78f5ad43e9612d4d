#include "frontend/command_mode.h"

#include <cstdio>

#include "facade/command_table.h"
#include "facade/scsi_wrapper.h"
#include "frontend/globals.h"
#include "frontend/log_file.h"
#include "frontend/menu_input.h"

namespace {

// The TapeAlert report says when it found nothing; a page that could not be
// read has been reported as a failure instead.
bool ReportTapeAlerts(ScsiWrapper& facade) {
  const bool read = facade.GetTapeAlerts();
  if (read && !facade.AlertFound()) std::printf("No TapeAlerts are set.\n");
  return read;
}

// What each entry of the command menu does, by command id.
struct CommandAction {
  int32_t id;
  const char* before;
  bool (*send)(ScsiWrapper&);
  const char* after;  // printed whether the command succeeded or not; null: nothing
};

constexpr CommandAction kCommandActions[] = {
    {kCmdTestUnitReady, "\nSending 'Test Unit Ready' command...", [](ScsiWrapper& f) { return f.SendTestUnitReady(); },
     "\n'Test Unit Ready' command completed"},
    {kCmdInquiry, "\nSending 'Inquiry' command...", [](ScsiWrapper& f) { return f.SendInquiry(); },
     "\n'Inquiry' command completed"},
    {kCmdLoad, "\nSending 'Load' command...", [](ScsiWrapper& f) { return f.SendLoad(); },
     "\n'Load' command completed"},
    {kCmdRewind, "\nSending 'Rewind' command...", [](ScsiWrapper& f) { return f.SendRewind(); },
     "\n'Rewind' command completed"},
    {kCmdUnload, "\nSending 'Unload' command...", [](ScsiWrapper& f) { return f.SendUnload(); },
     "\n'Unload' command completed"},
    {kCmdTapeAlerts, "\nRetrieving TapeAlerts...", ReportTapeAlerts, nullptr},
};

const CommandAction* FindAction(int32_t id) {
  for (const CommandAction& row : kCommandActions) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

}  // namespace

void log_tape_alert(int level, const char* text) {
  if (g_pLogFile) g_pLogFile->Skerry_Write2Log(1, level, text);
}

int send_command(int32_t n) {
  ScsiWrapper& facade = *g_pScsiWrapper;
  const auto rows = CommandsShown(facade.GetDriveTypeCode());
  if (n < 1 || static_cast<size_t>(n) > rows.size()) return -1;
  const int32_t id = rows[static_cast<size_t>(n - 1)].id;
  if (id == kCmdExit) return 0;
  const CommandAction* action = FindAction(id);
  if (action == nullptr) return -1;
  std::puts(action->before);
  action->send(facade);
  if (action->after != nullptr) std::puts(action->after);
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
