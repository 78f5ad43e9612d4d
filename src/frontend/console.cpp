#include "frontend/console.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "base/work_folders.h"
#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/command_mode.h"
#include "frontend/console_streams.h"
#include "frontend/device_select.h"
#include "frontend/env_modes.h"
#include "frontend/exit_statuses.h"
#include "frontend/firmware_flows.h"
#include "frontend/globals.h"
#include "frontend/json_output.h"
#include "frontend/later_modes.h"
#include "frontend/options.h"
#include "frontend/report_modes.h"
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

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using CommandFile = std::unique_ptr<FILE, FileCloser>;

// A mode that needs a drive was asked for on the command line: ending without
// one is "no device", not a success.
bool ModeAskedFor(const CommandLine& line) {
  return line.has_firmware || line.has_script || line.command || line.parse || line.trace;
}

int Dispatch(const CommandLine& line, FILE* commands) {
  if (line.command && !line.has_firmware) {
    const bool all_succeeded = command_mode();
    cleanup();
    return all_succeeded ? 0 : kCommandFailedStatus;
  }
  if (line.has_firmware) {
    // -s is not looked at once a firmware image is given.
    const bool done = RunLaterMode(line.tape ? LaterMode::kUpgradeTape : LaterMode::kFirmwareUpdate);
    cleanup();
    return done ? 0 : kFirmwareFailedStatus;
  }
  if (line.parse) {
    const bool all_succeeded = run_parse_mode(commands != nullptr ? commands : stdin);
    cleanup();
    return all_succeeded ? 0 : kCommandFailedStatus;
  }
  if (line.trace) {
    const bool collected = g_pScsiWrapper->LTO_Trace(nullptr);
    cleanup();
    return collected ? 0 : kTraceFailedStatus;
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

// -s with --json: everything the run prints (the drive chosen, the script's
// own output) goes to standard error, and standard output holds only the
// document of its verdict.
int ScriptRunAsJson(const CommandLine& line, const char* device) {
  ScriptRunReport report;
  report.script = line.script;
  const auto start = std::chrono::steady_clock::now();
  int status;
  {
    const OutputToErrors run_output;
    if (process_f(device)) {
      status = Dispatch(line, nullptr);
    } else {
      cleanup();
      status = kNoDeviceStatus;
    }
  }
  report.duration_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  report.node = g_pFlags.DeviceFile;
  const ScriptRunRecord& run = LastScriptRun();
  report.log_file = run.log_file;
  // A script that did not run to its end has the console's status.
  report.status = run.ran ? run.exit_status : (status < 0 ? 256 + status : status);
  std::fputs(ScriptRunJson(report).c_str(), stdout);
  return status;
}

// -init DIR: 0 when DIR is ready to run in, else the syntax status.
int MakeWorkingFolder(const std::string& dir) {
  const std::string library = folders::ScriptFolder();
  const std::string failure = folders::MakeWorkingFolder(dir, library);
  cleanup();
  if (!failure.empty()) {
    std::fprintf(ErrorStream(), "Vexil: cannot make the working folder %s: %s\n", dir.c_str(), failure.c_str());
    return -3;
  }
  std::printf("Vexil: %s is a working folder (scripts from %s).\n", dir.c_str(), library.c_str());
  return 0;
}

}  // namespace

int VexilMain(int argc, char** argv) {
  ResetConsoleState();

  g_pScsiWrapper.reset();
  g_pScsiWrapper.reset(new (std::nothrow) ScsiWrapper);
  ReadEnvironmentModes();
  g_pFlags.Vendor = IsFolder((folders::ScriptFolder() + ".dell").c_str()) ? 1 : 0;
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

  // The options are read first (silently) only to know where the banners
  // go: an unattended run whose output is not a terminal keeps its report
  // clean. They still come before anything the options do.
  const CommandLine line = ParseCommandLine(argc, argv);
  const bool asks_nothing = line.auto_reply != 0 || line.Report() || line.json;
  SetBannersToErrors(line.outcome != ParseOutcome::kVersion && asks_nothing && ::isatty(STDOUT_FILENO) == 0);
  showversion();
  showdisclaimer();
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
        std::fprintf(ErrorStream(), "Vexil: an argument is longer than %zu characters.\n", kMaxArgumentLength);
      } else {
        std::fprintf(ErrorStream(), "Vexil: the value of %s is too long.\n", line.bad_argument.c_str());
      }
      printsyntax(0, nullptr);
      cleanup();
      return -3;
    case ParseOutcome::kRun:
    case ParseOutcome::kConflict:
      break;
  }
  if (line.init && line.outcome == ParseOutcome::kRun) return MakeWorkingFolder(line.init_dir);
  if (line.has_firmware) SetField(g_pFlags.FirmwareFile, line.firmware.c_str());
  // The commands of -p FILE are read from the file, while the device menu
  // keeps reading the terminal: no word of the file can choose a drive.
  CommandFile commands;
  if (line.outcome == ParseOutcome::kRun && !line.parse_file.empty()) {
    commands.reset(std::fopen(line.parse_file.c_str(), "r"));
    if (!commands) {
      std::perror(line.parse_file.c_str());
      cleanup();
      return -3;
    }
  }

  HandToFacade(line);
  if (line.outcome == ParseOutcome::kConflict) {
    printsyntax(argc, argv);
    printhelp(ErrorStream());
    cleanup();
    return -3;
  }

  const char* device = line.has_device ? line.device.c_str() : default_device;
  if (line.Report()) {
    const int status = RunReport(line, device);
    cleanup();
    return status;
  }
  if (line.json) return ScriptRunAsJson(line, device);  // the options allow it only with -s
  if (!process_f(device)) {
    if (g_EndNormally && !ModeAskedFor(line)) return EndNormally();
    cleanup();
    return kNoDeviceStatus;
  }
  return Dispatch(line, commands.get());
}
