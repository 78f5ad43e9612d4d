// The wizard's two menus. Both end the console normally (g_EndNormally)
// when the input ends before an answer is taken.
#pragma once

// The device menu: lists the facade's devices and selects the one chosen.
bool select_device();
// The script menu of the catalogue built from `folder`: leaves the path
// folder + "/" + name of the chosen script in ScriptFile, or an empty
// ScriptFile with the action code chosen in its second byte.
bool select_script(const char* folder);
