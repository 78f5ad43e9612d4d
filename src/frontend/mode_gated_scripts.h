// Scripts of the default folder that are offered only in a mode. The paths
// are compared whole, as the catalogue builds them from "./Scripts/", so a
// folder named with -s is not gated.
#pragma once

#include <cstdint>

#include "frontend/wizard_flags.h"

struct ModeGatedScript {
  const char* path;
  uint8_t WIZARD_FLAGS::*mode;
  uint8_t WIZARD_FLAGS::*also;  // a second condition, or null
};

inline constexpr ModeGatedScript kModeGatedScripts[] = {
    {"./Scripts//LTO_SASCableConfig.xcs", &WIZARD_FLAGS::SasMode, &WIZARD_FLAGS::SasDrive},
    {"./Scripts//SAS_Cable_Config.xcs", &WIZARD_FLAGS::SasMode, &WIZARD_FLAGS::SasDrive},
    {"./Scripts//Turn_Off_On_TLR.xcs", &WIZARD_FLAGS::SasMode, &WIZARD_FLAGS::SasDrive},
    {"./Scripts//GetTuningCalVer_LTOEX.xcs", &WIZARD_FLAGS::TuneMode, nullptr},
    {"./Scripts//Issue_Park_Command.xcs", &WIZARD_FLAGS::ParkMode, nullptr},
    {"./Scripts//Issue_Unpark_Command.xcs", &WIZARD_FLAGS::ParkMode, nullptr},
};
