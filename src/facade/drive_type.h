// Drive-type codes: the facade's 8-bit classification of a device from its
// standard inquiry data (a code space of its own, apart from the device
// layer's family codes). Script matching, menus and firmware paths decide on
// these codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr uint8_t kDriveTypeNoInquiry = 0;
inline constexpr uint8_t kDriveTypeBramble = 21;     // "BRAMBLE" removable disk
inline constexpr uint8_t kDriveTypeOtherDisk = 22;   // any other direct-access device
inline constexpr uint8_t kDriveTypeOtherTape = 253;  // a tape drive that no rule recognises
inline constexpr uint8_t kDriveTypeChanger = 254;    // any medium changer
inline constexpr uint8_t kDriveTypeOther = 255;      // any other peripheral type

// Bytes of standard inquiry data the classification reads.
inline constexpr size_t kDriveTypeInquiryLength = 56;

// The product id (inquiry bytes 16-31) as the rules compare it: trailing
// characters that are neither letters nor digits dropped, upper case, control
// and non-ASCII characters turned into blanks.
std::string DriveTypeProductText(const uint8_t* inquiry);

// Drive-type code of a device from its standard inquiry data
// (kDriveTypeInquiryLength bytes).
uint8_t ClassifyDriveType(const uint8_t* inquiry);

// Whether the Dell edition of the console lists a device of this code.
bool IsDellEditionDriveType(uint8_t code);
