// The bench VEXIL_SIM=1 gives: a SAS LTO-6 half-height drive with its
// autoloader at the next lun, a DAT160 drive at the next target, and at the
// target after it another maker's LTO-5 drive and autoloader, which answer
// the standard command sets only and which no model rule names.
#pragma once

#include "sim/sim.h"

inline const SimDeviceConfig kDefaultBench[] = {
    {.node = "/dev/sg0", .type = SimDeviceType::kTape, .host = 0, .channel = 0, .target = 0, .lun = 0,
     .vendor = "HALCYON", .product = "ULTRIUM-HH6", .revision = "J5A1", .serial = "HU1234567A",
     .sas = true, .medium_loaded = true},
    {.node = "/dev/sg1", .type = SimDeviceType::kChanger, .host = 0, .channel = 0, .target = 0, .lun = 1,
     .vendor = "HALCYON", .product = "LTO LOADER", .revision = "L102", .serial = "HL0987654321",
     .sas = true, .medium_loaded = false, .reset_seconds = 60},
    {.node = "/dev/sg2", .type = SimDeviceType::kTape, .host = 0, .channel = 0, .target = 1, .lun = 0,
     .vendor = "HALCYON", .product = "DAT160", .revision = "V10D", .serial = "HD16012345",
     .sas = false, .medium_loaded = false},
    {.node = "/dev/sg3", .type = SimDeviceType::kTape, .host = 0, .channel = 0, .target = 2, .lun = 0,
     .vendor = "KESTREL", .product = "LTO-5 HH", .revision = "K5B2", .serial = "KS5A001234",
     .sas = false, .medium_loaded = true, .standard_only = true},
    {.node = "/dev/sg4", .type = SimDeviceType::kChanger, .host = 0, .channel = 0, .target = 2, .lun = 1,
     .vendor = "KESTREL", .product = "AUTOLOADER A8", .revision = "A120", .serial = "KSA8000123",
     .sas = false, .medium_loaded = false, .standard_only = true},
};
