// The mode pages each virtual device type starts with (page bytes including
// the two-byte page header).
#pragma once

#include <cstdint>
#include <initializer_list>

struct SimModePage {
  uint8_t code;
  bool tape, changer, disk;
  std::initializer_list<uint8_t> bytes;
};

inline const SimModePage kSimModePages[] = {
    // Read-write error recovery.
    {0x01, true, false, true, {0x01, 0x0A, 0x00, 0x03, 0, 0, 0, 0, 0x03, 0, 0, 0}},
    // Disconnect-reconnect.
    {0x02, true, true, false, {0x02, 0x0E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    // Caching (disks).
    {0x08, false, false, true, {0x08, 0x12, 0x04, 0,    0xFF, 0xFF, 0, 0, 0xFF, 0xFF,
                                0xFF, 0xFF, 0x80, 0x20, 0,    0,    0, 0, 0,    0}},
    // Control.
    {0x0A, true, false, true, {0x0A, 0x0A, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}},
    // Data compression: DCE and DCC set, DDE set, algorithm ALDC.
    {0x0F, true, false, false, {0x0F, 0x0E, 0xC0, 0x80, 0, 0, 0, 0x03, 0, 0, 0, 0x03, 0, 0, 0, 0}},
    // Device configuration: byte 14 selects the compression algorithm.
    {0x10, true, false, false, {0x10, 0x0E, 0, 0, 0, 0, 0, 0, 0x48, 0, 0x18, 0, 0, 0, 0x01, 0}},
    // Protocol-specific logical unit: protocol identifier in byte 2.
    {0x18, true, true, false, {0x18, 0x06, 0x01, 0, 0, 0, 0, 0}},
    // Informational exceptions: TapeAlert reporting on request.
    {0x1C, true, true, true, {0x1C, 0x0A, 0x08, 0x03, 0, 0, 0, 0, 0, 0, 0, 0}},
    // Element address assignment (changers; filled in from the bench).
    {0x1D, false, true, false, {0x1D, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
};

// Element addresses of the virtual autoloaders.
inline constexpr uint16_t kTransportAddress = 0x0000;
inline constexpr uint16_t kDriveAddress = 0x0001;
inline constexpr uint16_t kMailAddress = 0x000A;
inline constexpr uint16_t kFirstSlotAddress = 0x0010;
