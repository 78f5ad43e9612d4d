// Choosing the script to run.
#pragma once

// Selects the script named (a file, or a folder whose menu is shown), or
// through the script menu when name is null. On failure sfe says why.
bool process_s(const char* name);
