#include "frontend/script_loop.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/exit_statuses.h"
#include "frontend/later_modes.h"
#include "frontend/log_file.h"
#include "frontend/prompts.h"
#include "frontend/script_select.h"
#include "frontend/selection_failure.h"
#include "frontend/wizard_actions.h"
#include "script/core/kscript.h"

namespace {

void Log(Skerry_LogFile& log, const char* text) {
  if (!log.Skerry_Write2Log(1, kLogNormal, text)) print_wizard_error(nullptr);
}

std::string SerialForLog(const ConsoleState& console) {
  const char* serial = console.facade->GetSerialNumber(console.flags.DeviceIndex);
  std::string text = serial != nullptr ? serial : "";
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text.empty() ? "NoSerialNum" : text;
}

// Opens this run's log and returns its stream; without one the run goes on
// unlogged (the console's log dropped, null returned).
FILE* OpenRunLog(ConsoleState& console) {
  Skerry_LogFile& log = *console.log;
  FILE* stream = log.Skerry_OpenLog(SerialForLog(console).c_str());
  if (stream == nullptr) {
    std::fprintf(ErrorStream(), "%s\nVexil Wizard - Unable to open logfile.\n%s\n", kRuleLine, kRuleLine);
    console.log.reset();
    return nullptr;
  }
  Log(log, "Logfile opened successfully.");
  logversion(&log);
  Log(log, "Device Entered:");
  Log(log, console.flags.DeviceFile);
  Log(log, "Scriptfile Entered:");
  Log(log, console.flags.ScriptFile);
  return stream;
}

}  // namespace

int run_one_script(ConsoleState& console) {
  ScriptRunRecord& last_run = console.last_run;
  last_run = {};
  showselection(console.flags);
  if (console.facade->GetAutoReply() != 1) prompt2continue();

  KScript& engine = *console.engine;
  engine.SetLogFilePointer(nullptr);
  console.log.reset();
  console.log.reset(new (std::nothrow) Skerry_LogFile);
  if (!console.log) {
    print_memory_banner();
    cleanup(console);
    return -3;
  }
  FILE* const log_stream = OpenRunLog(console);
  if (console.log) last_run.log_file = console.log->FileName();

  engine.SetLogFilePointer(log_stream);
  if (engine.LoadScript(console.flags.ScriptFile, false, nullptr) != 0) {
    print_wizard_error("\nError loading script!");
    cleanup(console);
    return -3;
  }
  if (engine.ExecuteScript() != 0) {
    print_wizard_error("\nError executing script!");
    cleanup(console);
    return -3;
  }
  last_run.ran = true;
  last_run.exit_status = engine.GetExitStatus();
  if (engine.GetExitStatus() != 0) {
    std::printf("\n\nScript completed with a FAIL status!\n\n");
  }
  std::fflush(stdout);
  return 0;
}

int script_loop(ConsoleState& console, bool menu_first) {
  bool menu = menu_first;
  bool failed_run = false;  // the last script run ended with a FAIL status
  for (;;) {
    if (!menu) {
      if (console.flags.ScriptFile[0] == '\0') {
        switch (perform_wizard_action(console, static_cast<WizardAction>(console.flags.Action))) {
          case ActionResult::kLeave:
            cleanup(console);
            return 0;
          case ActionResult::kNoDevice:
            // The device list and the engine are gone; nothing can go on.
            cleanup(console);
            return console.end_normally ? 0 : -2;
          case ActionResult::kContinue:
            break;
        }
      } else {
        const int status = run_one_script(console);
        if (status != 0) return status;
        failed_run = console.engine->GetExitStatus() != 0;
      }
      // One run of -s: its verdict is the console's status, so that a caller
      // can tell a failing drive from a healthy one.
      if (console.facade && console.facade->GetAutoExit()) {
        cleanup(console);
        return failed_run ? kScriptFailedStatus : 0;
      }
    }
    menu = false;
    if (!process_s(console, nullptr)) {
      if (console.end_normally) {
        cleanup(console);
        return 0;
      }
      print_wizard_error(SfeMessage(console.sfe));
      return -1;
    }
  }
}
