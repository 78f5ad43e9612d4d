// The wizard's two menus. Both end the console normally (end_normally)
// when the input ends before an answer is taken.
#pragma once

struct ConsoleState;

// The device menu: lists the facade's devices and selects the one chosen.
bool select_device(ConsoleState& console);
// The script menu of the catalogue built from `folder`: leaves the path
// folder + "/" + name of the chosen script in ScriptFile, or an empty
// ScriptFile with the action chosen in Action.
bool select_script(ConsoleState& console, const char* folder);
