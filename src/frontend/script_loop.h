// The script loop: one script run or wizard action per pass.
#pragma once

// Runs the loop; with menu_first the script menu comes before the first
// pass. Returns main's status.
int script_loop(bool menu_first);
// One run of g_pFlags.ScriptFile with its own session log. 0, or -3 when the
// log object cannot be made or the script fails to load or to execute.
int run_one_script();
