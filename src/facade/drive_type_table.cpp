#include "facade/drive_type_table.h"

#include <array>

#include "facade/drive_type.h"

namespace {

using enum TextMatch;

// First matching row wins.
constexpr ProductRule kProductRules[] = {
    {.match = kIs, .text = "KORU600", .code = 12},
    {.match = kIs, .text = "KORU320", .code = 11},
    {.match = kIs, .text = "SUPERZEP1", .code = 10},
    {.match = kIs, .text = "ZEP-S4", .code = 13},
    {.match = kIs, .text = "ZEP-S5", .code = 14},
    {.match = kIs, .text = "ZEP-V4", .code = 4},
    {.match = kIs, .text = "DAT72", .code = 23},
    {.match = kIs, .text = "DAT    DAT72-000", .code = 23},
    {.match = kContains, .text = "MARTEN", .code = 35, .alsoContains = "2"},
    {.match = kContains, .text = "MARTEN", .code = 36, .alsoContains = "6"},
    {.match = kContains, .text = "DDS3", .code = 35},
    {.match = kContains, .text = "DDS-3", .code = 35},
    {.match = kContains, .text = "DDS4", .code = 36},
    {.match = kContains, .text = "DDS-4", .code = 36},
    {.match = kContains, .text = "06240", .code = 36},
    {.match = kContains, .text = "06241", .code = 36},
    {.match = kContains, .text = "0640", .code = 36},
    {.match = kContains, .text = "SP40", .code = 36},
    {.match = kContains, .text = "04106", .code = 35},
    {.match = kContains, .text = "DAT72", .code = 23},
    {.match = kContains, .text = "DAT7", .code = 23},
    {.match = kContains, .text = "DDS5", .code = 23},
    {.match = kContains, .text = "DDS-5", .code = 23},
    {.match = kContains, .text = "DDS GEN5", .code = 23},
    {.match = kContains, .text = "DDS GEN 5", .code = 23},
    {.match = kContains, .text = "DAT160", .code = 24},
    {.match = kContains, .text = "DAT320", .code = 25},
    {.match = kIs, .text = "ULTRIUM 1", .code = 96},
    {.match = kContains, .text = "ULTRIUM0624", .code = 96},
    {.match = kIs, .text = "ULTRIUM 1-SCSI", .code = 177},
    {.match = kIs, .text = "ULTRIUM 1-FC", .code = 180},
    {.match = kIs, .text = "ULTRIUM-TD1", .code = 161},
    // A personality other than the half-height '4' is taken as the
    // full-height drive, as for generations 3 and 4.
    {.match = kIs, .text = "ULTRIUM 2", .code = 97, .personalities = "4", .personalityCode = 192},
    {.match = kIs, .text = "ULTRIUM 2 SCSI", .code = 178},
    {.match = kIs, .text = "ULTRIUM 2 FC", .code = 181},
    {.match = kIs, .text = "ULTRIUM-TD2", .code = 162},
    {.match = kIs,
     .text = "ULTRIUM 3",
     .code = 98,
     .revisions = {{'D', 210}, {'Q', 208}},
     .personalities = "98",
     .personalityCode = 193},
    {.match = kIs, .text = "ULTRIUM 3 SCSI", .code = 179},
    {.match = kIs, .text = "ULTRIUM 4 SCSI", .code = 179},
    {.match = kIs, .text = "ULTRIUM 3 FC", .code = 182},
    {.match = kIs, .text = "ULTRIUM 4 FC", .code = 182},
    {.match = kIs, .text = "ULTRIUM 3 SAS", .code = 186},
    {.match = kIs, .text = "ULTRIUM 4 SAS", .code = 186},
    {.match = kIs, .text = "ULTRIUM-TD3", .code = 163},
    {.match = kIs,
     .text = "ULTRIUM 4",
     .code = 99,
     .revisions = {{'W', 211}, {'U', 209}},
     .personalities = "AB",
     .personalityCode = 194},
    {.match = kIs, .text = "ULTRIUM-HH4", .code = 224},
    {.match = kIs, .text = "ULTRIUM 5", .code = 100},
    {.match = kIs, .text = "ULTRIUM 5 FC", .code = 184},
    {.match = kIs, .text = "ULTRIUM 5 SAS", .code = 188},
    {.match = kIs, .text = "ULTRIUM-HH5", .code = 225},
    {.match = kIs, .text = "ULTRIUM 6", .code = 101},
    {.match = kIs, .text = "ULTRIUM-HH6", .code = 226},
    {.match = kIs, .text = "ULTRIUM-HH7", .code = 227},
};

// Checked in order before the nibble's default.
constexpr NibbleRule kNibbleRows[] = {
    {.nibble = 0, .match = kIs, .text = "ZEP7000", .code = 7},
    {.nibble = 3, .match = kIs, .text = "ULTRIUM 2-SCSI", .code = 178},
    {.nibble = 3, .match = kIs, .text = "ULTRIUM 2-FC", .code = 181},
    {.nibble = 3, .match = kIs, .text = "ULTRIUM 3-SCSI", .code = 179},
    {.nibble = 3, .match = kIs, .text = "ULTRIUM 3-FC", .code = 182},
    {.nibble = 3, .match = kBeginsWith, .text = "ULTRIUM", .code = 96},
    {.nibble = 8, .match = kIs, .text = "ZEP8000", .code = 8},
};

// Index: the family nibble. A nibble of no model line is a tape drive of
// another maker: a code of its own, apart from the changers'.
constexpr uint8_t kOther = kDriveTypeOtherTape;
constexpr std::array<uint8_t, 16> kNibbleDefaults = {
    kOther, 1, kOther, 3, 4, 5, kOther, 7, 1, kOther, 10, 11, 12, 13, kOther, kOther,
};


}  // namespace

const std::span<const ProductRule> kTapeProductRules(kProductRules);
const std::span<const NibbleRule> kNibbleRules(kNibbleRows);
const std::span<const uint8_t, 16> kNibbleDefaultCodes(kNibbleDefaults);
