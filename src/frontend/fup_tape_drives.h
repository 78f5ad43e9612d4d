// Which drives can make and read firmware upgrade tapes.
#pragma once

#include <cstdint>

// True when the drive-type code belongs to a drive that takes upgrade tapes.
bool DoesDriveSupportFUPTape(uint8_t driveType);
// True for the drives that also update from, and revert, an upgrade tape
// ("ULTRIUM-HH6", "ULTRIUM-HH7").
bool DoesDriveUpdateFromTape(uint8_t driveType);
