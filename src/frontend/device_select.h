// Choosing the drive the console works with.
#pragma once

#include <cstdint>

struct ConsoleState;

// Selects the device named (a /dev/sg node), or through the device menu when
// name is null. True when a device is selected.
bool process_f(ConsoleState& console, const char* name);
// Builds the facade's device list (only the named device when given); with
// none found prints the not-found diagnostics, drops the list and cleans up.
bool init_dll(ConsoleState& console, const char* device);
// Finds the selection record's DeviceFile in the facade's list and selects it.
bool find_user_device(ConsoleState& console);
// Makes the device at a list position the selected one: records it, prints
// "Selected device = ..." and the drive's families, starts a new catalogue.
void take_device(ConsoleState& console, int32_t position);
