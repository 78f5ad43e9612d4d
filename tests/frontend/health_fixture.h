// Health records of a few kinds of device, the drives a `--list` finds and
// script runs, for the tests of the outputs and the JSON samples checked
// against their schemas.
#pragma once

#include <string>
#include <vector>

#include "facade/health.h"
#include "frontend/json_output.h"

namespace fixture {

DeviceHealth HealthyDrive();        // OK, every figure read, no cartridge
DeviceHealth AlertingDrive();       // FAIL: TapeAlert 3 and 20, cleaning required
DeviceHealth UnreadableDrive();     // none of its health pages could be read
DeviceHealth Changer();             // OK, a changer's own TapeAlert page only
DeviceHealth DriveWithCartridge();  // WARNING: hot, a cartridge with its memory
// Texts as a drive may send them: quotes, backslashes, control characters,
// '|', valid non-ASCII and invalid UTF-8.
DeviceHealth HostileDrive();

struct NamedDevice {
  const char* name;
  DeviceHealth (*make)();
};
// Every device above with its name ("healthy", "alerting", ...).
std::vector<NamedDevice> AllDevices();

HealthRun RunOf(std::vector<DeviceHealth> devices);

std::vector<ListedDevice> ListedDevices();  // a tape drive, a changer, a disk, a hostile one
ScriptRunReport PassedRun();
ScriptRunReport FailedRun();
ScriptRunReport HostileRun();

}  // namespace fixture
