// A virtual bench installed behind the OS seam for one facade test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "base/system.h"
#include "device/scsi_int.h"
#include "sim/sim.h"

class SimBenchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto sim = std::make_unique<SimSystem>();
    sim_ = sim.get();
    previous_ = InstallSystem(std::move(sim));
    ::unsetenv("VEXIL_HDD");
    ::unsetenv("VEXIL_MC");
  }

  void TearDown() override {
    SCSI.LeaveDeviceOpen(false);
    SCSI.SetDeviceIndex(-1);
    SCSI.ClearScsiList();
    InstallSystem(std::move(previous_));
    ::unsetenv("VEXIL_HDD");
    ::unsetenv("VEXIL_MC");
  }

  SimSystem& Sim() { return *sim_; }

 private:
  SimSystem* sim_ = nullptr;
  std::unique_ptr<System> previous_;
};
