// The read-only health run: for each device of the list, what its log pages
// and its cartridge's memory tell, turned into findings and a verdict. It
// sends only INQUIRY, TEST UNIT READY, LOG SENSE and READ ATTRIBUTE: nothing
// that moves the tape or changes the drive's state, and it never reads the
// TapeAlert page 2Eh (which clears the flags on many drives) where the
// TapeAlert response page 12h is there.
#pragma once

#include <optional>
#include <string>

#include "facade/health.h"
#include "facade/scsi_wrapper.h"

// Selects the device at `position` of the list and gives its identity:
// node, vendor, product, revision (from its INQUIRY data), serial number,
// whether it is a medium changer.
DeviceHealth IdentifyDevice(ScsiWrapper& wrapper, int32_t position);

// Every device of the list the wrapper holds (InitScsiDll done).
HealthRun ReadHealth(ScsiWrapper& wrapper);
DeviceHealth ReadDeviceHealth(ScsiWrapper& wrapper, int32_t position);

// The cartridge memory of the device at `position`, or the reason there is
// none to read: no cartridge (loaded false), a changer, a drive without
// cartridge memory, a failed command.
struct CartridgeRead {
  std::optional<CartridgeMemory> memory;
  bool loaded = true;
  bool failed = false;  // the drive has cartridge memory, but it did not arrive
  std::string why;
};
CartridgeRead ReadCartridgeMemory(ScsiWrapper& wrapper, int32_t position);
