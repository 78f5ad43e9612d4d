#include "facade/drive_type.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

struct Case {
  const char* label;
  uint8_t peripheralType;
  std::string product;  // raw inquiry bytes 16-31, padded with blanks
  uint8_t expected = 0;
  const char* revision = "0000";
  uint8_t nibble = 0;            // family nibble, inquiry byte 36
  uint8_t personality = '0';     // inquiry byte 41
  uint8_t afterPersonality = 0;  // inquiry byte 42
};

std::array<uint8_t, kDriveTypeInquiryLength> Inquiry(const Case& c) {
  std::array<uint8_t, kDriveTypeInquiryLength> inq{};
  inq[0] = c.peripheralType;
  std::string product = c.product;
  product.resize(16, ' ');
  std::memcpy(inq.data() + 16, product.data(), 16);
  std::memcpy(inq.data() + 32, c.revision, 4);
  inq[36] = static_cast<uint8_t>(c.nibble << 4);
  inq[41] = c.personality;
  inq[42] = c.afterPersonality;
  return inq;
}

const Case kCases[] = {
    // Product text normalisation.
    {"padded", 1, "ULTRIUM 5", 100},
    {"inner blanks kept", 1, "ULTRIUM 5 FC", 184},
    {"lower case", 1, "ultrium 1", 96},
    {"trailing NULs", 1, std::string("ULTRIUM-HH6\0\0\0\0\0", 16), 226},
    {"trailing punctuation", 1, "ULTRIUM-HH7.-", 227},
    {"control character is a blank", 1,
     "ULTRIUM\x01"
     "5",
     100},
    {"hyphenated ids are whole", 1, "ULTRIUM 1-SCSI", 177},
    // Peripheral types.
    {"bramble disk", 0, "BRAMBLE", 21},
    {"other disk", 0, "ST3300657SS", 22},
    {"optical", 5, "DVD", 255},
    {"changer", 8, "LTO LOADER", 254},
    {"processor", 3, "ULTRIUM 5", 255},
    // Product rules, first match wins.
    {"koru600", 1, "KORU600", 12},
    {"superzep", 1, "SUPERZEP1", 10},
    {"dat72 long form", 1, "DAT    DAT72-000", 23},
    {"dds-4 contained", 1, "C5683A DDS-4", 36},
    {"dds gen 5", 1, "DDS GEN 5", 23},
    {"dat160", 1, "DAT160", 24},
    {"marten with 2", 1, "MARTEN2", 35},
    {"marten with 6", 1, "MARTEN6", 36},
    {"marten without digit goes on to the nibble", 1, "MARTEN", 1, "0000", 1},
    {"ultrium 2 full height", 1, "ULTRIUM 2", 97, "0000", 0, '2'},
    {"ultrium 2 half height", 1, "ULTRIUM 2", 192, "0000", 0, '4'},
    {"ultrium 2 other personality", 1, "ULTRIUM 2", 97, "0000", 0, '7'},
    {"ultrium 3 revision D..F", 1, "ULTRIUM 3", 210, "D12F"},
    {"ultrium 3 revision Q..T", 1, "ULTRIUM 3", 208, "Q34T"},
    {"ultrium 3 revision D..2, personality 8", 1, "ULTRIUM 3", 193, "D122", 0, '8'},
    {"ultrium 3 revision D..2, personality 6", 1, "ULTRIUM 3", 98, "D122", 0, '6'},
    {"ultrium 4 revision W..F", 1, "ULTRIUM 4", 211, "W01F"},
    {"ultrium 4 revision U..T", 1, "ULTRIUM 4", 209, "U01T"},
    {"ultrium 4 personality B", 1, "ULTRIUM 4", 194, "A01F", 0, 'B'},
    {"ultrium 4 personality after CR", 1, "ULTRIUM 4", 194, "0000", 0, 0x0D, 'A'},
    {"ultrium 4 plain", 1, "ULTRIUM 4", 99, "0000", 0, '1'},
    {"ultrium 4 sas", 1, "ULTRIUM 4 SAS", 186},
    {"ultrium-hh4", 1, "ULTRIUM-HH4", 224},
    // Family nibble for ids no rule names.
    {"ibm id, nibble 3", 1, "ULTRIUM-TD4", 96, "0000", 3},
    {"nibble 3 named id", 1, "ULTRIUM 2-FC", 181, "0000", 3},
    {"nibble 3 other id", 1, "ULT3580-TD4", 3, "0000", 3},
    {"nibble 0 zep7000", 1, "ZEP7000", 7},
    // A tape drive of no model line is not a changer.
    {"nibble 0 other", 1, "TAPE", 253},
    {"nibble 8 zep8000", 1, "ZEP8000", 8, "0000", 8},
    {"nibble 8 other", 1, "TAPE", 1, "0000", 8},
    {"nibble 7", 1, "TAPE", 7, "0000", 7},
    {"nibble 12", 1, "TAPE", 12, "0000", 12},
    {"nibble 9", 1, "TAPE", 253, "0000", 9},
    {"nibble 15", 1, "TAPE", 253, "0000", 15},
    {"another maker's LTO-5", 1, "LTO-5 HH", 253},
};

TEST(DriveType, ClassifiesInquiryData) {
  for (const Case& c : kCases) {
    const auto inq = Inquiry(c);
    EXPECT_EQ(int{ClassifyDriveType(inq.data())}, int{c.expected}) << c.label;
  }
}

TEST(DriveType, ProductTextIsNormalised) {
  const Case c{"", 1, std::string("dat\x80\x05 x-1-\0\0", 12), 0};
  const auto inq = Inquiry(c);
  EXPECT_EQ(DriveTypeProductText(inq.data()), "DAT   X-1");
}

TEST(DriveType, DellEditionCodes) {
  for (int code : {3, 23, 100, 192, 193, 194}) EXPECT_TRUE(IsDellEditionDriveType(code)) << code;
  for (int code : {0, 21, 96, 98, 101, 226, 253, 254}) EXPECT_FALSE(IsDellEditionDriveType(code)) << code;
}

}  // namespace
