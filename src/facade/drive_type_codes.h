// What the console does with a drive-type code beyond naming its family:
// whether its drives take firmware upgrade tapes, whether they also write
// their own firmware to one and update from (or revert) such a tape, and
// whether the Dell edition lists them. One row per code, in code order; a
// code without a row has none of these.
#pragma once

#include <cstdint>
#include <iterator>

enum DriveTypeTrait : uint8_t {
  kTakesUpgradeTapes = 1,
  kUpdatesFromTape = 2,      // also writes its own firmware to a tape and reverts one
  kListedByDellEdition = 4,  // when engineering mode is off
};

struct DriveTypeCode {
  uint8_t code;
  uint8_t traits;
};

inline constexpr DriveTypeCode kDriveTypeCodes[] = {
    {1, kTakesUpgradeTapes},
    {3, kTakesUpgradeTapes | kListedByDellEdition},
    {4, kTakesUpgradeTapes},
    {5, kTakesUpgradeTapes},
    {7, kTakesUpgradeTapes},
    {8, kTakesUpgradeTapes},
    {10, kTakesUpgradeTapes},
    {11, kTakesUpgradeTapes},
    {12, kTakesUpgradeTapes},
    {13, kTakesUpgradeTapes},
    {14, kTakesUpgradeTapes},
    {23, kListedByDellEdition},
    {25, kTakesUpgradeTapes},
    {32, kTakesUpgradeTapes},
    {33, kTakesUpgradeTapes},
    {34, kTakesUpgradeTapes},
    {96, kTakesUpgradeTapes},
    {97, kTakesUpgradeTapes},
    {98, kTakesUpgradeTapes},
    {99, kTakesUpgradeTapes},
    {100, kTakesUpgradeTapes | kListedByDellEdition},
    {101, kTakesUpgradeTapes},
    {161, kTakesUpgradeTapes},
    {162, kTakesUpgradeTapes},
    {163, kTakesUpgradeTapes},
    {164, kTakesUpgradeTapes},
    {177, kTakesUpgradeTapes},
    {178, kTakesUpgradeTapes},
    {179, kTakesUpgradeTapes},
    {180, kTakesUpgradeTapes},
    {181, kTakesUpgradeTapes},
    {182, kTakesUpgradeTapes},
    {183, kTakesUpgradeTapes},
    {184, kTakesUpgradeTapes},
    {186, kTakesUpgradeTapes},
    {187, kTakesUpgradeTapes},
    {188, kTakesUpgradeTapes},
    {192, kTakesUpgradeTapes | kListedByDellEdition},
    {193, kTakesUpgradeTapes | kListedByDellEdition},
    {194, kTakesUpgradeTapes | kListedByDellEdition},
    {195, kTakesUpgradeTapes},
    {196, kTakesUpgradeTapes},
    {197, kTakesUpgradeTapes},
    {199, kTakesUpgradeTapes},
    {200, kTakesUpgradeTapes},
    {208, kTakesUpgradeTapes},
    {209, kTakesUpgradeTapes},
    {210, kTakesUpgradeTapes},
    {211, kTakesUpgradeTapes},
    {226, kTakesUpgradeTapes | kUpdatesFromTape},
    {227, kTakesUpgradeTapes | kUpdatesFromTape},
};

constexpr bool CodesInOrder() {
  for (size_t i = 1; i < std::size(kDriveTypeCodes); ++i) {
    if (kDriveTypeCodes[i - 1].code >= kDriveTypeCodes[i].code) return false;
  }
  return true;
}
static_assert(CodesInOrder(), "one row per code, in code order");

// Whether the drives of `code` have `trait`.
constexpr bool DriveTypeHas(uint8_t code, DriveTypeTrait trait) {
  for (const DriveTypeCode& row : kDriveTypeCodes) {
    if (row.code == code) return (row.traits & trait) != 0;
  }
  return false;
}
