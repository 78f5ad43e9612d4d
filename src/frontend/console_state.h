// The console's state: the selection record, the objects the console made
// and what its last steps left behind. main owns the one instance and the
// front end's functions receive it (or the part they need) by reference.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frontend/wizard_flags.h"

class ScsiWrapper;
class KScript;
class Skerry_LogFile;
class Skerry_Scriptlist;

// What the last script run left: its session log and, once it ran to its
// end, its exit status (0 PASS).
struct ScriptRunRecord {
  std::string log_file;
  bool ran = false;
  int exit_status = 0;
};

struct ConsoleState {
  ConsoleState();
  // Cleans up what is still held (see cleanup).
  ~ConsoleState();
  ConsoleState(const ConsoleState&) = delete;
  ConsoleState& operator=(const ConsoleState&) = delete;

  WIZARD_FLAGS flags{};                        // the current selection
  std::unique_ptr<ScsiWrapper> facade;         // the facade
  std::unique_ptr<KScript> engine;             // the script engine
  std::unique_ptr<Skerry_LogFile> log;         // log of the current run
  std::unique_ptr<Skerry_Scriptlist> scripts;  // catalogue of the drive

  int32_t device_count = 0;  // devices in the facade's list after the last init_dll
  int32_t sfe = 0;           // selection failure code, index into SFE_MSG

  // Set when the console is to end normally (status 0) after cleaning up: the
  // input ended at a menu, or a mode this build does not have was asked for.
  bool end_normally = false;

  // True when the console runs on the virtual drives (VEXIL_SIM).
  bool simulated = false;

  ScriptRunRecord last_run;
};

// Deletes the log, the catalogue, the facade and the engine, in this order.
// Safe to call any number of times.
void cleanup(ConsoleState& console);

// Clears the selection record and the failure and end marks (start-up step 1).
void ResetConsoleState(ConsoleState& console);
