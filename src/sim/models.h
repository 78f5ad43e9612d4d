// What a virtual device's model line is like: read once from its inquiry
// identity when the device is made, so that the rest of the virtual drives
// ask the record instead of testing product names.
#pragma once

#include <cstdint>

#include "sim/sim.h"

struct SimModel {
  bool lto = false;               // an Ultrium drive: key=value firmware build data
  bool dat = false;               // a DAT drive: its own download buffer, block limits and log counters
  bool dat_commands = false;      // answers the DAT command overrides (DAT drives, and HP's tape drives)
  uint8_t density = 0x5A;         // the recording format it writes
  uint8_t parameter_page = 0x3E;  // mode page of its "NAME VALUE" settings; kNoModePage: none
};

inline constexpr uint8_t kNoModePage = 0xFF;  // no page code is this

SimModel ModelOf(const SimDeviceConfig& config);
