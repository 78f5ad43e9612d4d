// A fresh set of virtual drives behind the OS seam for each test, and the
// device layer put back to its start-up state afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "device/scsi_int.h"
#include "device/system.h"
#include "sim/sim.h"

class Bench : public ::testing::Test {
 protected:
  void SetUp() override {
    auto sim = std::make_unique<SimSystem>();
    sim_ = sim.get();
    previous_ = InstallSystem(std::move(sim));
    ResetLayer();
  }

  void TearDown() override {
    ResetLayer();
    InstallSystem(std::move(previous_));
  }

  static void ResetLayer() {
    SCSI.ClearScsiList();
    SCSI.EnableDebug(false);
    SCSI.EnableVerbose(false);
    SCSI.LeaveDeviceOpen(false);
    SCSI.SetAdapterFilter("");
  }

  // Lists every device of the bench the way the console does.
  long Scan(const char* path = nullptr) { return SCSI.ScanDevices(1, 1, 1, 1, path); }

  // Default bench listed, and the device on `node` selected.
  void SelectNode(const std::string& node) {
    if (!sim_->IsPresent("/dev/sg0")) sim_->AddDefaultBench();
    ASSERT_GT(Scan(), 0);
    for (int i = 0; i < SCSI.GetDeviceCount(); ++i) {
      SCSI.SetDeviceIndex(i);
      if (node == SCSI.GetFilename()) return;
    }
    FAIL() << "no device on " << node;
  }

  static SimDeviceConfig Device(const std::string& node, SimDeviceType type, const std::string& product) {
    SimDeviceConfig c;
    c.node = node;
    c.type = type;
    c.product = product;
    return c;
  }

  SimSystem* sim_ = nullptr;

 private:
  std::unique_ptr<System> previous_;
};
