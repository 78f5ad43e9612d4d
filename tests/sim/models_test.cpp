// The model record the virtual devices read from their identity: which
// line, which format, which settings page.
#include "sim/models.h"

#include <gtest/gtest.h>

namespace {

TEST(SimModels, ReadFromTheProductIdOnce) {
  struct Case {
    const char* vendor;
    const char* product;
    bool standard_only;
    bool lto, dat, dat_commands;
    uint8_t density, parameter_page;
  };
  const Case cases[] = {
      {"HALCYON", "ULTRIUM-HH6", false, true, false, false, 0x5A, 0x3E},
      {"HALCYON", "ULTRIUM 5", false, true, false, false, 0x58, 0x3E},
      {"HALCYON", "DAT160", false, false, true, true, 0x48, 0x3E},
      {"HP", "ULTRIUM 3-SCSI", false, true, false, true, 0x44, 0x3E},
      {"HALCYON", "ZEP1", false, false, false, false, 0x40, 0x30},
      {"HALCYON", "WN80", false, false, false, false, 0x5E, 0x30},
      {"KESTREL", "LTO-5 HH", true, false, false, false, 0x58, kNoModePage},
  };
  for (const Case& c : cases) {
    SimDeviceConfig config;
    config.type = SimDeviceType::kTape;
    config.vendor = c.vendor;
    config.product = c.product;
    config.standard_only = c.standard_only;
    const SimModel m = ModelOf(config);
    EXPECT_EQ(m.lto, c.lto) << c.product;
    EXPECT_EQ(m.dat, c.dat) << c.product;
    EXPECT_EQ(m.dat_commands, c.dat_commands) << c.product;
    EXPECT_EQ(m.density, c.density) << c.product;
    EXPECT_EQ(m.parameter_page, c.parameter_page) << c.product;
  }
}

}  // namespace
