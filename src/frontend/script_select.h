// Choosing the script to run.
#pragma once

struct ConsoleState;

// Selects the script named (a file, or a folder whose menu is shown), or
// through the script menu when name is null. On failure console.sfe says why.
bool process_s(ConsoleState& console, const char* name);
