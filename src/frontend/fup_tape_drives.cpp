#include "frontend/fup_tape_drives.h"

#include "facade/drive_type_codes.h"

bool DoesDriveSupportFUPTape(uint8_t driveType) { return DriveTypeHas(driveType, kTakesUpgradeTapes); }

bool DoesDriveUpdateFromTape(uint8_t driveType) { return DriveTypeHas(driveType, kUpdatesFromTape); }
