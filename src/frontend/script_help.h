// The script description browser of the wizard (choice H).
#pragma once

class Skerry_Scriptlist;

// Lists the tasks and tests and shows the description of the one chosen,
// until E is typed or the input ends. `catalogue` may be null (no entries).
void PrintSciptHelp(const Skerry_Scriptlist* catalogue);
// "Script selected <name>", then the description of every entry of that name.
void PrintScriptHelpInfo(const Skerry_Scriptlist* catalogue, const char* name);
