#include "frontend/command_mode.h"

#include <cstdio>

#include "facade/command_table.h"
#include "facade/scsi_wrapper.h"
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

// What each entry of the command menu does, by command id. A command that
// failed has been reported by the facade; its line then says so instead of
// "completed".
struct CommandAction {
  int32_t id;
  const char* before;
  bool (*send)(ScsiWrapper&);
  const char* completed;  // null: nothing
  const char* failed;     // null: nothing
};

constexpr CommandAction kCommandActions[] = {
    {kCmdTestUnitReady, "\nSending 'Test Unit Ready' command...", [](ScsiWrapper& f) { return f.SendTestUnitReady(); },
     "\n'Test Unit Ready' command completed", "\n'Test Unit Ready' command failed"},
    {kCmdInquiry, "\nSending 'Inquiry' command...", [](ScsiWrapper& f) { return f.SendInquiry(); },
     "\n'Inquiry' command completed", "\n'Inquiry' command failed"},
    {kCmdLoad, "\nSending 'Load' command...", [](ScsiWrapper& f) { return f.SendLoad(); }, "\n'Load' command completed",
     "\n'Load' command failed"},
    {kCmdRewind, "\nSending 'Rewind' command...", [](ScsiWrapper& f) { return f.SendRewind(); },
     "\n'Rewind' command completed", "\n'Rewind' command failed"},
    {kCmdUnload, "\nSending 'Unload' command...", [](ScsiWrapper& f) { return f.SendUnload(); },
     "\n'Unload' command completed", "\n'Unload' command failed"},
    {kCmdTapeAlerts, "\nRetrieving TapeAlerts...", ReportTapeAlerts, nullptr, nullptr},
};

const CommandAction* FindAction(int32_t id) {
  for (const CommandAction& row : kCommandActions) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

}  // namespace

void log_tape_alert(Skerry_LogFile* log, int level, const char* text) {
  if (log != nullptr) log->Skerry_Write2Log(1, level, text);
}

int send_command(ScsiWrapper& facade, int32_t n, bool* succeeded) {
  const auto rows = CommandsShown(facade.GetDriveTypeCode());
  if (n < 1 || static_cast<size_t>(n) > rows.size()) return -1;
  const int32_t id = rows[static_cast<size_t>(n - 1)].id;
  if (id == kCmdExit) return 0;
  const CommandAction* action = FindAction(id);
  if (action == nullptr) return -1;
  std::puts(action->before);
  const bool done = action->send(facade);
  const char* after = done ? action->completed : action->failed;
  if (after != nullptr) std::puts(after);
  if (succeeded != nullptr) *succeeded = done;
  return 1;
}

bool command_mode(ScsiWrapper& facade) {
  bool all_succeeded = true;
  for (;;) {
    facade.ListCommands();
    char answer[kUserInputSize];
    const AnswerRead got = ReadAnswer(answer);
    // Nothing more to read: leave the menu instead of showing it forever.
    if (got == AnswerRead::kEnd) return all_succeeded;
    SkipRestOfLine();
    bool succeeded = true;
    if (send_command(facade, AnswerNumber(answer), &succeeded) == 0) return all_succeeded;
    all_succeeded = all_succeeded && succeeded;
  }
}

bool run_parse_mode(ScsiWrapper& facade, FILE* in) {
  int failures = 0;
  const int result = facade.ParseCommands(in, &failures);
  return result == 0 && failures == 0;
}

void parse_mode(ScsiWrapper& facade) { run_parse_mode(facade, stdin); }
