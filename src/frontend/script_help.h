// The script description browser of the wizard (choice H).
#pragma once

// Lists the tasks and tests and shows the description of the one chosen,
// until E is typed or the input ends.
void PrintSciptHelp();
// "Script selected <name>", then the description of every entry of that name.
void PrintScriptHelpInfo(const char* name);
