// A fresh set of virtual drives behind the OS seam for each test, and the
// device layer put back to its start-up state afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/system.h"
#include "device/scsi_int.h"
#include "sim/sim.h"

// Bytes as "1B 00 01 " for readable comparisons.
inline std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char b[4];
  for (uint8_t v : bytes) {
    std::snprintf(b, sizeof b, "%02X ", v);
    text += b;
  }
  return text;
}

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

  // A bench of one device on /dev/sg0, listed, selected, its power-on
  // attention taken and the command record cleared.
  void ListOne(const std::string& product, SimDeviceType type = SimDeviceType::kTape, char personality = '0') {
    SimDeviceConfig c = Device("/dev/sg0", type, product);
    c.personality = personality;
    sim_->RemoveDevice("/dev/sg0");
    ASSERT_TRUE(sim_->AddDevice(c));
    ASSERT_EQ(Scan(), 1);
    SCSI.SetDeviceIndex(0);
    SCSI.TestUnitReady();
    sim_->ClearCommands();
  }

  // The last command the drive received.
  const SimCommand& Last() const { return sim_->Commands().back(); }

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
