// The script loop: one script run or wizard action per pass.
#pragma once

#include <string>

// Runs the loop; with menu_first the script menu comes before the first
// pass. Returns main's status.
int script_loop(bool menu_first);
// One run of g_pFlags.ScriptFile with its own session log. 0, or -3 when the
// log object cannot be made or the script fails to load or to execute.
int run_one_script();

// What the last script run left: its session log and, once it ran to its
// end, its exit status (0 PASS).
struct ScriptRunRecord {
  std::string log_file;
  bool ran = false;
  int exit_status = 0;
};
const ScriptRunRecord& LastScriptRun();
