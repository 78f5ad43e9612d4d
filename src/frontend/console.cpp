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
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/device_select.h"
#include "frontend/env_modes.h"
#include "frontend/exit_statuses.h"
#include "frontend/firmware_flows.h"
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
void HandToFacade(ScsiWrapper* facade, const CommandLine& line) {
  if (facade == nullptr) return;
  facade->SetAutoReply(line.auto_reply);
  facade->SetAutoExit(false);
  facade->EnableDebug(line.debug);
  facade->EnableVerbose(line.verbose);
}

// The input ended at a menu, or a mode this build lacks was asked for.
int EndNormally(ConsoleState& console) {
  cleanup(console);
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

int Dispatch(ConsoleState& console, const CommandLine& line, FILE* commands) {
  if (line.command && !line.has_firmware) {
    const bool all_succeeded = command_mode(*console.facade);
    cleanup(console);
    return all_succeeded ? 0 : kCommandFailedStatus;
  }
  if (line.has_firmware) {
    // -s is not looked at once a firmware image is given.
    const bool done = RunLaterMode(console, line.tape ? LaterMode::kUpgradeTape : LaterMode::kFirmwareUpdate);
    cleanup(console);
    return done ? 0 : kFirmwareFailedStatus;
  }
  if (line.parse) {
    const bool all_succeeded = run_parse_mode(*console.facade, commands != nullptr ? commands : stdin);
    cleanup(console);
    return all_succeeded ? 0 : kCommandFailedStatus;
  }
  if (line.trace) {
    const bool collected = console.facade->LTO_Trace(nullptr);
    cleanup(console);
    return collected ? 0 : kTraceFailedStatus;
  }
  if (line.has_script) {
    if (!process_s(console, line.script.c_str())) {
      if (console.end_normally) return EndNormally(console);
      print_wizard_error(SfeMessage(console.sfe));
      return -1;
    }
    console.facade->SetAutoExit(true);
    return script_loop(console, false);
  }
  return script_loop(console, true);
}

// -s with --json: everything the run prints (the drive chosen, the script's
// own output) goes to standard error, and standard output holds only the
// document of its verdict.
int ScriptRunAsJson(ConsoleState& console, const CommandLine& line, const char* device) {
  ScriptRunReport report;
  report.script = line.script;
  const auto start = std::chrono::steady_clock::now();
  int status;
  {
    const OutputToErrors run_output;
    if (process_f(console, device)) {
      status = Dispatch(console, line, nullptr);
    } else {
      cleanup(console);
      status = kNoDeviceStatus;
    }
  }
  report.duration_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  report.node = console.flags.DeviceFile;
  const ScriptRunRecord& run = console.last_run;
  report.log_file = run.log_file;
  // A script that did not run to its end has the console's status.
  report.status = run.ran ? run.exit_status : (status < 0 ? 256 + status : status);
  std::fputs(ScriptRunJson(report).c_str(), stdout);
  return status;
}

// -init DIR: 0 when DIR is ready to run in, else the syntax status.
int MakeWorkingFolder(ConsoleState& console, const std::string& dir) {
  const std::string library = folders::ScriptFolder();
  const std::string failure = folders::MakeWorkingFolder(dir, library);
  cleanup(console);
  if (!failure.empty()) {
    std::fprintf(ErrorStream(), "Vexil: cannot make the working folder %s: %s\n", dir.c_str(), failure.c_str());
    return -3;
  }
  std::printf("Vexil: %s is a working folder (scripts from %s).\n", dir.c_str(), library.c_str());
  return 0;
}

}  // namespace

int VexilMain(ConsoleState& console, int argc, char** argv) {
  ResetConsoleState(console);

  console.facade.reset();
  console.facade.reset(new (std::nothrow) ScsiWrapper);
  ReadEnvironmentModes(console);
  console.flags.Vendor = IsFolder((folders::ScriptFolder() + ".dell").c_str()) ? 1 : 0;
  if (console.facade) console.facade->SetDellEdition(console.flags.Vendor == 1);
  InstallSignalHandlers(console);
  console.engine.reset(new (std::nothrow) KScript);
  if (!console.facade || !console.engine) {
    print_memory_banner();
    cleanup(console);
    return -3;
  }
  ScsiWrapper& facade = *console.facade;
  console.engine->SetScsiWrapper(&facade);
  // P at the single-step prompt of a script opens parse mode.
  console.engine->SetCommandModeHandler([&facade] { parse_mode(facade); });
  facade.SetAlertLog([&console](int level, const char* text) { log_tape_alert(console.log.get(), level, text); });
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
      printhelp(console.flags);
      cleanup(console);
      return 0;
    case ParseOutcome::kVersion:
      cleanup(console);
      return 0;
    case ParseOutcome::kMissingValue:
      printsyntax(console.flags, argc, argv);
      return -3;
    case ParseOutcome::kUnknown:
      printsyntax(console.flags, argc, argv);
      cleanup(console);
      return -3;
    case ParseOutcome::kTooLong:
      if (line.bad_argument.empty()) {
        std::fprintf(ErrorStream(), "Vexil: an argument is longer than %zu characters.\n", kMaxArgumentLength);
      } else {
        std::fprintf(ErrorStream(), "Vexil: the value of %s is too long.\n", line.bad_argument.c_str());
      }
      printsyntax(console.flags, 0, nullptr);
      cleanup(console);
      return -3;
    case ParseOutcome::kRun:
    case ParseOutcome::kConflict:
      break;
  }
  if (line.init && line.outcome == ParseOutcome::kRun) return MakeWorkingFolder(console, line.init_dir);
  if (line.has_firmware) SetField(console.flags.FirmwareFile, line.firmware.c_str());
  // The commands of -p FILE are read from the file, while the device menu
  // keeps reading the terminal: no word of the file can choose a drive.
  CommandFile commands;
  if (line.outcome == ParseOutcome::kRun && !line.parse_file.empty()) {
    commands.reset(std::fopen(line.parse_file.c_str(), "r"));
    if (!commands) {
      std::perror(line.parse_file.c_str());
      cleanup(console);
      return -3;
    }
  }

  HandToFacade(console.facade.get(), line);
  if (line.outcome == ParseOutcome::kConflict) {
    printsyntax(console.flags, argc, argv);
    printhelp(console.flags, ErrorStream());
    cleanup(console);
    return -3;
  }

  const char* device = line.has_device ? line.device.c_str() : default_device;
  if (line.Report()) {
    const int status = RunReport(console, line, device);
    cleanup(console);
    return status;
  }
  if (line.json) return ScriptRunAsJson(console, line, device);  // the options allow it only with -s
  if (!process_f(console, device)) {
    if (console.end_normally && !ModeAskedFor(line)) return EndNormally(console);
    cleanup(console);
    return kNoDeviceStatus;
  }
  return Dispatch(console, line, commands.get());
}
