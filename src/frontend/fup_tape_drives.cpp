#include "frontend/fup_tape_drives.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<uint8_t, 50> kUpgradeTapeDrives = {
    1,   3,   4,   5,   7,   8,   10,  11,  12,  13,  14,  25,  32,  33,  34,  96,  97,
    98,  99,  100, 101, 161, 162, 163, 164, 177, 178, 179, 180, 181, 182, 183, 184, 186,
    187, 188, 192, 193, 194, 195, 196, 197, 199, 200, 208, 209, 210, 211, 226, 227,
};
static_assert(std::ranges::is_sorted(kUpgradeTapeDrives));

constexpr std::array<uint8_t, 2> kTapeUpdateDrives = {226, 227};

}  // namespace

bool DoesDriveSupportFUPTape(uint8_t driveType) { return std::ranges::binary_search(kUpgradeTapeDrives, driveType); }

bool DoesDriveUpdateFromTape(uint8_t driveType) { return std::ranges::binary_search(kTapeUpdateDrives, driveType); }
