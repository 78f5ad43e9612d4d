// Image files for the firmware tests and a readable form of the WRITE
// BUFFER commands a virtual drive received.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "device/bench_fixture.h"

class FirmwareBench : public Bench {
 protected:
  void TearDown() override {
    for (const std::string& path : files_) std::remove(path.c_str());
    Bench::TearDown();
  }

  // An image of `size` bytes naming revision `revision` near its start.
  // Bytes 16-23 stay zero, so that a changer does not read a header in it.
  static std::vector<uint8_t> Image(size_t size, const std::string& revision = "Z9Z9") {
    std::vector<uint8_t> b(size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(i * 7 + 3);
    for (size_t i = 16; i < 24 && i < size; ++i) b[i] = 0;
    const std::string mark = "FWREV=" + revision;
    for (size_t i = 0; i < mark.size() && 32 + i < size; ++i) b[32 + i] = static_cast<uint8_t>(mark[i]);
    return b;
  }

  std::string WriteFile(const std::vector<uint8_t>& bytes) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vexil_fw_" + std::to_string(::getpid()) + "_" + std::to_string(files_.size())))
                                 .string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    files_.push_back(path);
    return path;
  }

  // One device on its own bench, listed and selected.
  void Only(const SimDeviceConfig& config) {
    ASSERT_TRUE(sim_->AddDevice(config));
    ASSERT_EQ(Scan(), 1);
    SCSI.SetDeviceIndex(0);
    sim_->ClearCommands();
  }

  static SimDeviceConfig Drive(const std::string& vendor, const std::string& product,
                               SimDeviceType type = SimDeviceType::kTape, int lun = 0) {
    SimDeviceConfig c = Device("/dev/sg0", type, product);
    c.vendor = vendor;
    c.lun = lun;
    return c;
  }

  // "byte1/id@offset+length" per WRITE BUFFER, blank separated.
  std::string WriteBuffers() const {
    std::string out;
    char one[64];
    for (const SimCommand& c : sim_->Commands()) {
      if (c.cdb.size() < 10 || c.cdb[0] != 0x3B) continue;
      const unsigned offset = (c.cdb[3] << 16) | (c.cdb[4] << 8) | c.cdb[5];
      const unsigned length = (c.cdb[6] << 16) | (c.cdb[7] << 8) | c.cdb[8];
      std::snprintf(one, sizeof one, "%s%02X/%02X@%u+%u", out.empty() ? "" : " ", c.cdb[1], c.cdb[2], offset, length);
      out += one;
    }
    return out;
  }

  std::vector<std::string> files_;
};
