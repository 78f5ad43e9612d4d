#include "frontend/console.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/command_mode.h"
#include "frontend/device_select.h"
#include "frontend/env_modes.h"
#include "frontend/firmware_flows.h"
#include "frontend/globals.h"
#include "frontend/later_modes.h"
#include "frontend/options.h"
#include "frontend/script_loop.h"
#include "frontend/script_select.h"
#include "frontend/selection_failure.h"
#include "frontend/signals.h"
#include "frontend/usage.h"
#include "script/core/kscript.h"

namespace {

bool IsFolder(const char* path) {
  struct stat status {};
  return ::stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// Settings of the command line that the facade keeps.
void HandToFacade(const CommandLine& line) {
  if (!g_pScsiWrapper) return;
  g_pScsiWrapper->SetAutoReply(line.auto_reply);
  g_pScsiWrapper->SetAutoExit(false);
  g_pScsiWrapper->EnableDebug(line.debug);
  g_pScsiWrapper->EnableVerbose(line.verbose);
}

// The input ended at a menu, or a mode this build lacks was asked for.
int EndNormally() {
  cleanup();
  return 0;
}

int Dispatch(const CommandLine& line) {
  if (line.command && !line.has_firmware) {
    command_mode();
    cleanup();
    return 0;
  }
  if (line.has_firmware) {
    // -s is not looked at once a firmware image is given.
    const bool done = RunLaterMode(line.tape ? LaterMode::kUpgradeTape : LaterMode::kFirmwareUpdate);
    cleanup();
    return done ? 0 : kFirmwareFailedStatus;
  }
  if (line.parse) {
    parse_mode();
    cleanup();
    return 0;
  }
  if (line.trace) {
    g_pScsiWrapper->LTO_Trace(nullptr);
    cleanup();
    return 0;
  }
  if (line.has_script) {
    if (!process_s(line.script.c_str())) {
      if (g_EndNormally) return EndNormally();
      print_wizard_error(SfeMessage(sfe));
      return -1;
    }
    g_pScsiWrapper->SetAutoExit(true);
    return script_loop(false);
  }
  return script_loop(true);
}

}  // namespace

int VexilMain(int argc, char** argv) {
  ResetConsoleState();

  g_pScsiWrapper.reset();
  g_pScsiWrapper.reset(new (std::nothrow) ScsiWrapper);
  ReadEnvironmentModes();
  g_pFlags.Vendor = IsFolder("Scripts/.dell") ? 1 : 0;
  if (g_pScsiWrapper) g_pScsiWrapper->SetDellEdition(g_pFlags.Vendor == 1);
  InstallSignalHandlers();
  m_ScriptObjPtr.reset(new (std::nothrow) KScript);
  if (!g_pScsiWrapper || !m_ScriptObjPtr) {
    print_memory_banner();
    cleanup();
    return -3;
  }
  m_ScriptObjPtr->SetScsiWrapper(g_pScsiWrapper.get());
  // P at the single-step prompt of a script opens parse mode.
  m_ScriptObjPtr->SetCommandModeHandler(parse_mode);
  g_pScsiWrapper->SetAlertLog(log_tape_alert);
  const char* default_device = std::getenv("VEXIL_DEV");
  if (default_device != nullptr && default_device[0] == '\0') default_device = nullptr;  // set but empty

  showversion();
  showdisclaimer();

  const CommandLine line = ParseCommandLine(argc, argv);
  CopyCut(cmdstring, line.bad_argument.c_str());
  switch (line.outcome) {
    case ParseOutcome::kHelp:
      printhelp();
      cleanup();
      return 0;
    case ParseOutcome::kVersion:
      cleanup();
      return 0;
    case ParseOutcome::kMissingValue:
      printsyntax(argc, argv);
      return -3;
    case ParseOutcome::kUnknown:
      printsyntax(argc, argv);
      cleanup();
      return -3;
    case ParseOutcome::kTooLong:
      if (line.bad_argument.empty()) {
        std::printf("Vexil: an argument is longer than %zu characters.\n", kMaxArgumentLength);
      } else {
        std::printf("Vexil: the value of %s is too long.\n", line.bad_argument.c_str());
      }
      printsyntax(0, nullptr);
      cleanup();
      return -3;
    case ParseOutcome::kRun:
    case ParseOutcome::kConflict:
      break;
  }
  if (line.has_firmware) SetField(g_pFlags.FirmwareFile, line.firmware.c_str());
  if (line.outcome == ParseOutcome::kRun && !line.parse_file.empty() &&
      std::freopen(line.parse_file.c_str(), "r", stdin) == nullptr) {
    std::perror(line.parse_file.c_str());
    cleanup();
    return -3;
  }

  HandToFacade(line);
  if (line.outcome == ParseOutcome::kConflict) {
    printsyntax(argc, argv);
    printhelp();
    cleanup();
    return -3;
  }

  const char* device = line.has_device ? line.device.c_str() : default_device;
  if (!process_f(device)) return g_EndNormally ? EndNormally() : -2;
  return Dispatch(line);
}
