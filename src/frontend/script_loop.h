// The script loop: one script run or wizard action per pass.
#pragma once

struct ConsoleState;

// Runs the loop; with menu_first the script menu comes before the first
// pass. Returns main's status.
int script_loop(ConsoleState& console, bool menu_first);
// One run of the selection's ScriptFile with its own session log, recorded
// in console.last_run. 0, or -3 when the log object cannot be made or the
// script fails to load or to execute.
int run_one_script(ConsoleState& console);
