// Drive families of the script catalogue: one name per bit of a family mask,
// the words of a FAMILY line that stand for more than one bit, and the family
// of each drive-type code. The compiler accepts exactly these words.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "facade/drive_type.h"

// Two families stand for the published command sets rather than a model
// line, so that a script using only standard commands can be offered to any
// drive: bit 22, LOADER, is every medium changer's (drive type 254, peripheral
// type 8), and bit 23, SSC, a tape drive's that no model rule recognises
// (drive type 253).
inline constexpr const char* kFamilyNames[24] = {
    "ZEP",   "DAT",     "LTO",      "LTOHH",     "HDD",       "KORU1",     "KORU2",     "ZEPV4",
    "ZEPS4", "HP_LTO",  "HP_LTOHH", "IBM_LTO",   "IBM_LTOHH", "MOR_LTO",   "MOR_LTOHH", "WN160",
    "LTO5",  "HPQ_LTO", "LTOEX",    "LTO4_MDLC", "LTO5_MDLC", "LTO6_MDLC", "LOADER",    "SSC",
};

// Words of a FAMILY line that stand for more than their own bit.
struct FamilyAlias {
  const char* word;
  uint32_t mask;
};
inline constexpr FamilyAlias kFamilyAliases[] = {
    {"ALL", 0xFFFFFFFFu},    {"LTO", 0x2A04u},   // LTO, HP_LTO, IBM_LTO, MOR_LTO
    {"LTOHH", 0x5408u},                          // LTOHH, HP_LTOHH, IBM_LTOHH, MOR_LTOHH
    {"WIZARD", 0x80000000u}, {"SMC", 1u << 22},  // the changers' command set: another word for LOADER
};

// Drive-type codes first..last belong to the family of `bit`.
struct DriveFamilyRange {
  uint8_t first;
  uint8_t last;
  int bit;
};
inline constexpr DriveFamilyRange kDriveFamilies[] = {
    {1, 1, 0},
    {5, 5, 0},
    {7, 8, 0},
    {34, 34, 0},  // ZEP
    {23, 25, 1},
    {35, 37, 1},  // DAT
    {21, 22, 4},  // HDD
    {10, 11, 5},
    {12, 12, 6},
    {4, 4, 7},
    {13, 13, 8},  // KORU1/2, ZEPV4/S4
    {177, 182, 9},
    {195, 196, 10},
    {161, 163, 11},
    {96, 99, 13},
    {192, 194, 14},
    {3, 3, 15},  // WN160
    {100, 100, 16},
    {184, 184, 16},
    {188, 188, 16},  // LTO5
    {208, 211, 17},
    {101, 101, 18},
    {224, 224, 19},
    {225, 225, 20},
    {226, 227, 21},
    {kDriveTypeChanger, kDriveTypeChanger, 22},      // LOADER
    {kDriveTypeOtherTape, kDriveTypeOtherTape, 23},  // SSC
};

constexpr bool FamilyBitsNamed() {
  for (const DriveFamilyRange& row : kDriveFamilies)
    if (row.bit < 0 || row.bit >= static_cast<int>(std::size(kFamilyNames)) || row.first > row.last) return false;
  return true;
}
static_assert(FamilyBitsNamed(), "each drive-type range names a family bit of kFamilyNames");

// A word a FAMILY line may give (upper case): a family or an alias.
constexpr bool IsFamilyWord(std::string_view word) {
  for (const char* name : kFamilyNames)
    if (word == name) return true;
  for (const FamilyAlias& alias : kFamilyAliases)
    if (word == alias.word) return true;
  return false;
}
