// The health run as text for a person: per device its identity, verdict,
// findings with their actions and the figures that were read (`--health`),
// and the loaded cartridge's memory (`--mam`). Plain aligned columns, no
// colour. The names here are shared by the machine-readable outputs.
#pragma once

#include <string>

#include "facade/health.h"

// The report of every device of the run, a blank line between devices.
std::string HealthText(const HealthRun& run);
std::string DeviceHealthText(const DeviceHealth& device);

// The cartridge memory of the device's loaded cartridge, every attribute the
// cartridge holds with its unit; or why there is none.
std::string CartridgeMemoryText(const DeviceHealth& device);

// How a device is named in one-line outputs: its serial number, or its node
// when the serial is unknown.
std::string DeviceLabel(const DeviceHealth& device);

// The name of a TapeAlert flag set on the device, as its finding reads
// ("Cleaning required" of "TapeAlert 20 Cleaning required"); the standard
// table's name when no finding names it.
std::string TapeAlertFlagName(const DeviceHealth& device, int flag);
