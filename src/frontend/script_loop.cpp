#include "frontend/script_loop.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_streams.h"
#include "frontend/exit_statuses.h"
#include "frontend/globals.h"
#include "frontend/later_modes.h"
#include "frontend/log_file.h"
#include "frontend/prompts.h"
#include "frontend/script_select.h"
#include "frontend/selection_failure.h"
#include "frontend/wizard_actions.h"
#include "script/core/kscript.h"

namespace {

void Log(const char* text) {
  if (!g_pLogFile->Skerry_Write2Log(1, kLogNormal, text)) print_wizard_error(nullptr);
}

std::string SerialForLog() {
  const char* serial = g_pScsiWrapper->GetSerialNumber(g_pFlags.DeviceIndex);
  std::string text = serial != nullptr ? serial : "";
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text.empty() ? "NoSerialNum" : text;
}

// Opens this run's log; without one the run goes on unlogged.
void OpenRunLog() {
  pFilePtr = g_pLogFile->Skerry_OpenLog(SerialForLog().c_str());
  if (pFilePtr == nullptr) {
    std::fprintf(ErrorStream(), "%s\nVexil Wizard - Unable to open logfile.\n%s\n", kRuleLine, kRuleLine);
    g_pLogFile.reset();
    return;
  }
  Log("Logfile opened successfully.");
  logversion();
  Log("Device Entered:");
  Log(g_pFlags.DeviceFile);
  Log("Scriptfile Entered:");
  Log(g_pFlags.ScriptFile);
}

ScriptRunRecord last_run;

}  // namespace

const ScriptRunRecord& LastScriptRun() { return last_run; }

int run_one_script() {
  last_run = {};
  showselection();
  if (g_pScsiWrapper->GetAutoReply() != 1) prompt2continue();

  m_ScriptObjPtr->SetLogFilePointer(nullptr);
  g_pLogFile.reset();
  pFilePtr = nullptr;
  g_pLogFile.reset(new (std::nothrow) Skerry_LogFile);
  if (!g_pLogFile) {
    print_memory_banner();
    cleanup();
    return -3;
  }
  OpenRunLog();
  if (g_pLogFile) last_run.log_file = g_pLogFile->FileName();

  m_ScriptObjPtr->SetLogFilePointer(pFilePtr);
  if (m_ScriptObjPtr->LoadScript(g_pFlags.ScriptFile, false, nullptr) != 0) {
    print_wizard_error("\nError loading script!");
    cleanup();
    return -3;
  }
  if (m_ScriptObjPtr->ExecuteScript() != 0) {
    print_wizard_error("\nError executing script!");
    cleanup();
    return -3;
  }
  last_run.ran = true;
  last_run.exit_status = m_ScriptObjPtr->GetExitStatus();
  if (m_ScriptObjPtr->GetExitStatus() != 0) {
    std::printf("\n\nScript completed with a FAIL status!\n\n");
  }
  std::fflush(stdout);
  return 0;
}

int script_loop(bool menu_first) {
  bool menu = menu_first;
  bool failed_run = false;  // the last script run ended with a FAIL status
  for (;;) {
    if (!menu) {
      if (g_pFlags.ScriptFile[0] == '\0') {
        switch (perform_wizard_action(static_cast<WizardAction>(g_pFlags.Action))) {
          case ActionResult::kLeave:
            cleanup();
            return 0;
          case ActionResult::kNoDevice:
            // The device list and the engine are gone; nothing can go on.
            cleanup();
            return g_EndNormally ? 0 : -2;
          case ActionResult::kContinue:
            break;
        }
      } else {
        const int status = run_one_script();
        if (status != 0) return status;
        failed_run = m_ScriptObjPtr->GetExitStatus() != 0;
      }
      // One run of -s: its verdict is the console's status, so that a caller
      // can tell a failing drive from a healthy one.
      if (g_pScsiWrapper && g_pScsiWrapper->GetAutoExit()) {
        cleanup();
        return failed_run ? kScriptFailedStatus : 0;
      }
    }
    menu = false;
    if (!process_s(nullptr)) {
      if (g_EndNormally) {
        cleanup();
        return 0;
      }
      print_wizard_error(SfeMessage(sfe));
      return -1;
    }
  }
}
