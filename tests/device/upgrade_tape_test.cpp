// Upgrade tapes: what each family writes onto the cartridge and how, the
// cartridge checks before anything is written, and the drive-side requests
// to update from or revert such a tape.
#include <string>

#include "device/firmware_fixture.h"
#include "sim/sim_device.h"

namespace {

std::string Text(const char* s) { return s == nullptr ? "" : s; }

class UpgradeTape : public FirmwareBench {
 protected:
  // A drive on /dev/sg0 with the cartridge a bench "medium" line describes
  // (empty: the drive's default cartridge).
  void Drive(const std::string& product, const std::string& medium = "", const std::string& revision = "J5A1") {
    SimDeviceConfig c = FirmwareBench::Drive("HALCYON", product);
    c.revision = revision;
    Only(c);
    if (!medium.empty()) {
      std::string error;
      ASSERT_TRUE(sim_->ParseBench("medium /dev/sg0 " + medium + "\n", &error)) << error;
    }
    SCSI.TestUnitReady();
    sim_->ClearCommands();
  }

  // Operation codes of the commands sent, with the data lengths of writes
  // and the first byte of diagnostic pages: "12 12 01 1D:A1 0A:32768 ...";
  // the two INQUIRY first ask the drive who it is.
  std::string Sequence() const {
    std::string out;
    char one[32];
    for (const SimCommand& c : sim_->Commands()) {
      const uint8_t op = c.cdb[0];
      if (op == 0x00) continue;  // readiness probes
      if (op == 0x0A)
        std::snprintf(one, sizeof one, "0A:%u", (c.cdb[2] << 16) | (c.cdb[3] << 8) | c.cdb[4]);
      else if (op == 0x1D && !c.data_out.empty())
        std::snprintf(one, sizeof one, "1D:%02X", c.data_out[0]);
      else
        std::snprintf(one, sizeof one, "%02X", op);
      out += (out.empty() ? "" : " ") + std::string(one);
    }
    return out;
  }

  // The data blocks on the cartridge, joined.
  std::vector<uint8_t> TapeData() {
    std::vector<uint8_t> all;
    for (const TapeEntry& e : sim_->Device("/dev/sg0")->tape)
      if (e.data) all.insert(all.end(), e.data->begin(), e.data->end());
    return all;
  }
};

TEST_F(UpgradeTape, EachFamilyWritesTheImageItsWay) {
  struct Case {
    const char* product;
    const char* medium;
    const char* revision;
    size_t size;
    long result;
    const char* sequence;
  } cases[] = {
      // Ultrium 5: an Ultrium 4 cartridge is written as it is, an Ultrium 5
      // one is formatted first; then creation mode and 32 KiB blocks.
      {"ULTRIUM 5", "gen=4", "J5A1", 100000, 0, "12 12 01 1A 1D:A1 0A:32768 0A:32768 0A:32768 0A:1696 01 1B"},
      {"ULTRIUM 5", "gen=5", "J5A1", 100000, 0, "12 12 01 1A 2B 04 1D:A1 0A:32768 0A:32768 0A:32768 0A:1696 01 1B"},
      // The second Ultrium 3 line: no density check.
      {"ULTRIUM 3", "", "D12F", 40000, 0, "12 12 01 1D:A1 0A:32768 0A:7232 01 1B"},
      // DAT 320: density and compression set, then a filemark and the
      // vendor command that finishes the tape.
      {"DAT320", "", "J5A1", 40000, 0, "12 12 01 5A 5A 55 5A 15 0A:32768 0A:7232 10 20 01 1B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.product) + " " + c.medium);
    sim_->RemoveDevice("/dev/sg0");
    Drive(c.product, c.medium, c.revision);
    const std::vector<uint8_t> image = Image(c.size);
    EXPECT_EQ(SCSI.FupTape(WriteFile(image).c_str()), c.result) << Text(SCSI.GetMessageBuffer());
    EXPECT_EQ(Sequence(), c.sequence);
    sim_->Device("/dev/sg0")->position = 0;
    EXPECT_EQ(TapeData(), image);
  }
}

TEST_F(UpgradeTape, UltriumThroughTheDriveBufferEndsOnTheTapeNotInTheFirmware) {
  Drive("ULTRIUM 3");
  const std::vector<uint8_t> image = Image(20000);
  EXPECT_EQ(SCSI.FupTape(WriteFile(image).c_str()), 0) << Text(SCSI.GetMessageBuffer());
  EXPECT_EQ(WriteBuffers(), "04/00@0+8192 04/00@8192+8192 04/00@16384+3616 05/FF@20000+0");
  EXPECT_EQ(TapeData(), image);
  EXPECT_TRUE(sim_->FirmwareImage("/dev/sg0").empty());
  EXPECT_EQ(sim_->Revision("/dev/sg0"), "J5A1");
}

TEST_F(UpgradeTape, HalfHeightUltriumCopiesItsOwnFirmwareWithoutAnImageFile) {
  Drive("ULTRIUM-HH6");
  EXPECT_EQ(SCSI.FupTape("/nonexistent/ignored.bin"), 0);
  EXPECT_EQ(Sequence(), "12 12 1D:80 1B");
  const std::vector<uint8_t> tape = TapeData();
  ASSERT_GE(tape.size(), 10u);
  EXPECT_EQ(std::string(tape.begin(), tape.begin() + 10), "FWREV=J5A1");
}

TEST_F(UpgradeTape, CartridgeChecksComeBeforeAnyWrite) {
  struct Case {
    const char* product;
    const char* medium;
    long result;
    const char* message;
  } cases[] = {
      {"ULTRIUM 5", "gen=3", 51, "FupTapeLTO5() - Writeable Medium, Ultrium 4 or Ultrium 5 required"},
      {"ULTRIUM-HH4", "", 56, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.product);
    sim_->RemoveDevice("/dev/sg0");
    Drive(c.product, c.medium);
    EXPECT_EQ(SCSI.FupTape(WriteFile(Image(9000)).c_str()), c.result);
    if (c.message[0] != '\0') {
      EXPECT_EQ(Text(SCSI.GetMessageBuffer()), c.message);
    }
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x0A), 0);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x04), 0);
  }
  // No cartridge at all.
  sim_->RemoveDevice("/dev/sg0");
  Drive("ULTRIUM 5");
  sim_->SetMedium("/dev/sg0", false);
  EXPECT_EQ(SCSI.FupTape(WriteFile(Image(9000)).c_str()), 63);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x0A), 0);
}

TEST_F(UpgradeTape, OnlyTheCartridgeOfTheDriveChosenIsOverwritten) {
  for (const char* product : {"ULTRIUM 5", "ULTRIUM-HH6"}) {
    SCOPED_TRACE(product);
    sim_->RemoveDevice("/dev/sg0");
    Drive(product);
    DriveIdentity other = SCSI.RecordedIdentity();
    std::snprintf(other.serialNumber, sizeof other.serialNumber, "HU999");
    EXPECT_EQ(SCSI.FupTape(WriteFile(Image(9000)).c_str(), &other), 68);
    EXPECT_EQ(Sequence(), "12 12");
    EXPECT_NE(Text(SCSI.GetMessageBuffer()).find("not as the drive chosen [HU999]"), std::string::npos);
  }
}

TEST_F(UpgradeTape, UpdateFromAndRevertAreArmedOnTheDrive) {
  Drive("ULTRIUM-HH6");
  EXPECT_EQ(SCSI.FupFromTape(), 58);
  EXPECT_EQ(sim_->Device("/dev/sg0")->armed_tape_request, 'u');
  EXPECT_EQ(Hex(sim_->Commands().back().data_out), "80 00 00 04 01 75 00 00 ");
  EXPECT_EQ(SCSI.RevertFupTape(), 58);
  EXPECT_EQ(sim_->Device("/dev/sg0")->armed_tape_request, 'q');

  SimFault refused;
  refused.opcode = 0x1D;
  refused.check = true;
  refused.key = 0x05, refused.asc = 0x24, refused.ascq = 0x00;
  sim_->InjectFault("/dev/sg0", refused);
  EXPECT_EQ(SCSI.FupFromTape(), 56);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x052400);
}

}  // namespace
