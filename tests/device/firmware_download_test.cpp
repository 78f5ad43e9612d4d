// Firmware download: how each family's image is cut, addressed and
// committed, the image checks, the readiness check, failures at each step,
// and the drive found again after its restart.
#include <algorithm>
#include <cstring>
#include <string>

#include "device/firmware_fixture.h"

namespace {

std::string Text(const char* s) { return s == nullptr ? "" : s; }

bool EndsWith(const std::vector<uint8_t>& whole, const std::vector<uint8_t>& tail) {
  return whole.size() >= tail.size() && std::equal(tail.begin(), tail.end(), whole.end() - static_cast<long>(tail.size()));
}

class FirmwareDownload : public FirmwareBench {};

TEST_F(FirmwareDownload, EachFamilyCutsAddressesAndCommitsItsImage) {
  struct Case {
    const char* vendor;
    const char* product;
    SimDeviceType type;
    int lun;
    size_t size;
    const char* writes;
  } cases[] = {
      // Ultrium: 16 KiB pieces and an empty commit; one maker keeps the rest
      // for the commit in buffer 80h, another sends everything at offset 0.
      {"HALCYON", "ULTRIUM 3", SimDeviceType::kTape, 0, 40000,
       "04/00@0+16384 04/00@16384+16384 04/00@32768+7232 05/00@0+0"},
      {"IBM", "ULTRIUM-TD3", SimDeviceType::kTape, 0, 40000, "04/80@0+16384 04/80@16384+16384 05/80@32768+7232"},
      {"HP", "ULTRIUM 3-SCSI", SimDeviceType::kTape, 0, 40000, "04/00@0+32768 04/00@0+7232 05/00@0+0"},
      {"HALCYON", "ULTRIUM 3", SimDeviceType::kTape, 0, 32768, "04/00@0+16384 04/00@16384+16384 05/00@0+0"},
      {"HALCYON", "ULTRIUM 3", SimDeviceType::kTape, 0, 32769,
       "04/00@0+16384 04/00@16384+16384 04/00@32768+1 05/00@0+0"},
      // Half-height Ultrium: every piece final, no commit.
      {"HALCYON", "ULTRIUM-HH6", SimDeviceType::kTape, 0, 140000,
       "04/04@0+65536 04/04@65536+65536 04/04@131072+8928"},
      // The rest kept for the commit: an exact multiple keeps a whole piece.
      {"HALCYON", "ZEP4000", SimDeviceType::kTape, 0, 32768,
       "04/00@0+8192 04/00@8192+8192 04/00@16384+8192 05/00@24576+8192"},
      {"HALCYON", "ZEP4000", SimDeviceType::kTape, 0, 32769,
       "04/00@0+8192 04/00@8192+8192 04/00@16384+8192 04/00@24576+8192 05/00@32768+1"},
      {"HALCYON", "TZ87", SimDeviceType::kTape, 0, 20000, "04/00@0+8192 04/00@8192+8192 04/00@16384+3616 05/00@20000+0"},
      {"HALCYON", "KORU600", SimDeviceType::kTape, 0, 20000, "04/00@0+8192 04/00@8192+8192 05/00@16384+3616"},
      {"HALCYON", "KORU220", SimDeviceType::kTape, 0, 20000, "04/00@0+8192 04/00@8192+8192 04/00@16384+3616 05/00@0+0"},
      {"HALCYON", "WN16", SimDeviceType::kTape, 0, 20000, "04/00@0+8192 04/00@8192+8192 05/00@16384+3616"},
      // DAT: one line starts at 1 MiB, one sends at offset 0 without a
      // commit, one uses buffer 1 and ends with an empty piece.
      {"HALCYON", "DDS3", SimDeviceType::kTape, 0, 20000,
       "04/00@1048576+16384 04/00@1064960+3616 05/00@1064960+0"},
      {"HALCYON", "DAT160", SimDeviceType::kTape, 0, 140000, "04/00@0+65536 04/00@0+65536 04/00@0+8928"},
      {"HALCYON", "DAT320", SimDeviceType::kTape, 0, 40000, "04/01@0+32768 04/01@32768+7232 04/01@40000+0"},
      {"HALCYON", "TR5", SimDeviceType::kTape, 0, 9000, "04/00@0+8192 04/00@8192+808 05/00@0+0"},
      // Loaders: the lun rides in the mode byte except on two lines.
      {"HALCYON", "LTO LOADER", SimDeviceType::kChanger, 1, 9000, "24/00@0+8192 24/00@8192+808 25/00@0+0"},
      {"HALCYON", "MGCH", SimDeviceType::kChanger, 1, 9000, "04/00@0+8192 04/00@8192+808 05/00@0+0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.vendor) + " " + c.product + " " + std::to_string(c.size));
    sim_->RemoveDevice("/dev/sg0");
    Only(Drive(c.vendor, c.product, c.type, c.lun));
    const std::vector<uint8_t> image = Image(c.size, "N3W1");
    EXPECT_EQ(SCSI.FupDrive(WriteFile(image).c_str()), 0) << Text(SCSI.GetMessageBuffer());
    EXPECT_EQ(WriteBuffers(), c.writes);
    EXPECT_TRUE(EndsWith(sim_->FirmwareImage("/dev/sg0"), image));
    EXPECT_EQ(sim_->Revision("/dev/sg0"), "N3W1");
    EXPECT_STREQ(SCSI.GetFupStatus(), "FUP Complete");
  }
}

TEST_F(FirmwareDownload, LoaderCompositeImageGoesAsTwoCommittedParts) {
  Only(Drive("HALCYON", "THRIFTSTACK", SimDeviceType::kChanger));
  std::vector<uint8_t> image = Image(126720, "L0D2");
  const auto put = [&image](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(96, 512);    // the loader part
  put(16, 65792);  // the interface part
  const std::string mark = "FWREV=L0D2";
  std::copy(mark.begin(), mark.end(), image.begin() + 600);
  EXPECT_EQ(SCSI.FupDrive(WriteFile(image).c_str()), 0) << Text(SCSI.GetMessageBuffer());
  EXPECT_EQ(WriteBuffers(), "05/82@0+65280 05/81@0+60928");
  EXPECT_EQ(sim_->FirmwareImage("/dev/sg0"), std::vector<uint8_t>(image.begin() + 512, image.end()));
  EXPECT_EQ(sim_->Revision("/dev/sg0"), "L0D2");

  // Anything but the composite size is refused before a command is sent.
  sim_->ClearCommands();
  image.pop_back();
  EXPECT_EQ(SCSI.FupDrive(WriteFile(image).c_str()), 52);
  EXPECT_EQ(WriteBuffers(), "");
  EXPECT_NE(Text(SCSI.GetMessageBuffer()).find("126719 Bytes   126720 Required"), std::string::npos);
}

TEST_F(FirmwareDownload, WrappedImageLosesItsPrefixAndADamagedPrefixIsRefused) {
  Only(Drive("HALCYON", "BRAMBLE", SimDeviceType::kDisk));
  const std::vector<uint8_t> body = Image(9000, "B1R2");
  std::vector<uint8_t> wrapped = {0xDE, 0xAD, 0xBE, 0xEF, 0xBA, 0xD0, 0x00, 0x00};
  wrapped.insert(wrapped.end(), body.begin(), body.end());
  EXPECT_EQ(SCSI.FupDrive(WriteFile(wrapped).c_str()), 0) << Text(SCSI.GetMessageBuffer());
  EXPECT_EQ(WriteBuffers(), "04/00@0+9000 05/00@0+0");
  EXPECT_EQ(sim_->FirmwareImage("/dev/sg0"), body);

  sim_->ClearCommands();
  wrapped[7] = 0x01;
  EXPECT_EQ(SCSI.FupDrive(WriteFile(wrapped).c_str()), 3);
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()), "FupBR() - Invalid firmware image file.");
  EXPECT_EQ(WriteBuffers(), "");
}

TEST_F(FirmwareDownload, ImageChecksAtTheSizeBoundaries) {
  Only(Drive("HALCYON", "ULTRIUM 3"));
  struct Case {
    long size;
    long result;
  } cases[] = {{57, 52}, {58, 52}, {59, 59}};
  for (const Case& c : cases) {
    EXPECT_EQ(SCSI.FupFileSize(WriteFile(Image(static_cast<size_t>(c.size))).c_str()), c.result) << c.size;
  }
  // 58 bytes used to read as "download done" and stop silently.
  EXPECT_EQ(SCSI.FupDrive(WriteFile(Image(58)).c_str()), 52);
  EXPECT_EQ(SCSI.FupDrive(WriteFile(Image(59)).c_str()), 0);
  EXPECT_EQ(WriteBuffers(), "04/00@0+59 05/00@0+0");

  EXPECT_EQ(SCSI.FupFileSize(WriteFile({}).c_str()), 52);
  EXPECT_NE(Text(SCSI.GetMessageBuffer()).find("Error Image File is empty"), std::string::npos);
  EXPECT_EQ(SCSI.FupFileSize(""), 57);
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()), "FupDrive() - No Image file specified.");
  EXPECT_EQ(SCSI.FupFileSize("/nonexistent/fw.bin"), 52);
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()), "FupDrive() - Image file (/nonexistent/fw.bin) not found.");
}

TEST_F(FirmwareDownload, ChangerImagesCarryAHeader) {
  // Header length 100 at byte 16, marker at byte 20: the first 100 bytes
  // stay on the host.
  std::vector<uint8_t> image = Image(9100, "H3D1");
  image[16] = 100;
  image[20] = 1;
  const std::string mark = "FWREV=H3D1";
  std::copy(mark.begin(), mark.end(), image.begin() + 200);
  Only(Drive("HALCYON", "LTO LOADER", SimDeviceType::kChanger));
  EXPECT_EQ(SCSI.FupDrive(WriteFile(image).c_str()), 0);
  EXPECT_EQ(WriteBuffers(), "04/00@0+8192 04/00@8192+808 05/00@0+0");
  EXPECT_EQ(sim_->FirmwareImage("/dev/sg0"), std::vector<uint8_t>(image.begin() + 100, image.end()));

  // Changers of two makers need the marker.
  sim_->RemoveDevice("/dev/sg0");
  Only(Drive("IBM", "LTO LOADER", SimDeviceType::kChanger));
  image[20] = 0;
  const std::string path = WriteFile(image);
  EXPECT_EQ(SCSI.FupDrive(path.c_str()), 52);
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()), "FupDrive() - Image file (" + path + ") does not include the Halcyon Header.");
  EXPECT_EQ(WriteBuffers(), "");
}

TEST_F(FirmwareDownload, ImagesTheOffsetFieldCannotAddressAreRefused) {
  Only(Drive("HALCYON", "ULTRIUM 3"));
  const std::string path = WriteFile({0});
  std::filesystem::resize_file(path, 16u << 20);
  EXPECT_EQ(SCSI.FupLTO(path.c_str(), 16l << 20), 52);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x3B), 0);
  EXPECT_NE(Text(SCSI.GetMessageBuffer()).find("too large"), std::string::npos);
  // The line that starts at 1 MiB has 1 MiB less room.
  sim_->RemoveDevice("/dev/sg0");
  Only(Drive("HALCYON", "DDS3"));
  std::filesystem::resize_file(path, 15u << 20);
  EXPECT_EQ(SCSI.FupDAT(path.c_str(), 15l << 20), 52);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x3B), 0);
}

TEST_F(FirmwareDownload, AnImageCutShortIsNeverCommitted) {
  Only(Drive("HALCYON", "ULTRIUM 3"));
  // The file shrank after its size was taken.
  const std::string path = WriteFile(Image(40000));
  EXPECT_EQ(SCSI.FupLTO(path.c_str(), 60000), 52);
  EXPECT_EQ(WriteBuffers(), "04/00@0+16384 04/00@16384+16384");
  EXPECT_TRUE(sim_->FirmwareImage("/dev/sg0").empty());
  EXPECT_NE(Text(SCSI.GetMessageBuffer()).find("Error reading image file"), std::string::npos);
}

}  // namespace

namespace {

class FirmwareSteps : public FirmwareBench {
 protected:
  // An Ultrium drive, a 40,000-byte image: three pieces and a commit.
  std::string Ultrium(SimDeviceConfig config = Drive("HALCYON", "ULTRIUM 3")) {
    Only(config);
    return WriteFile(Image(40000, "N3W1"));
  }
};

TEST_F(FirmwareSteps, FailureAtEachStepStopsWithItsCodeAndReason) {
  SimFault check;
  check.opcode = 0x3B;
  check.check = true;
  check.key = 0x03, check.asc = 0x0C, check.ascq = 0x00;
  SimFault gone = check;
  gone.check = false;
  gone.ioctl_errno = 19;  // ENODEV: the node went away
  SimFault slow = check;
  slow.check = false;
  slow.delay_seconds = 50;  // past the 45-second piece timeout, and its retries too
  SimFault restarting = check;
  restarting.key = 0x02, restarting.asc = 0x3E, restarting.ascq = 0x00;
  struct Case {
    const char* what;
    SimFault fault;
    int skip;
    long result;
    const char* message;  // "%s" is the image path
  } cases[] = {
      {"first piece rejected", check, 0, 53, "FupDrive() - Error writing image file to drive (%s) 0 of 40000 bytes written."},
      {"second piece, node gone", gone, 1, 53,
       "FupDrive() - Error writing image file to drive (%s) 16384 of 40000 bytes written."},
      {"third piece times out", slow, 2, 53,
       "FupDrive() - Error writing image file to drive (%s) 32768 of 40000 bytes written."},
      {"commit rejected", check, 3, 54,
       "FupDrive() - Error committing image file to drive (%s) 40000 of 40000 bytes written."},
      {"commit answered by a restarting drive", restarting, 3, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->RemoveDevice("/dev/sg0");
    const std::string path = Ultrium();
    SimFault f = c.fault;
    f.skip = c.skip;
    f.count = f.delay_seconds > 0 ? 3 : 1;
    sim_->InjectFault("/dev/sg0", f);
    const long timeout = SCSI.GetTimeout();
    EXPECT_EQ(SCSI.FupDrive(path.c_str()), c.result);
    EXPECT_EQ(SCSI.GetTimeout(), timeout);
    if (c.message != nullptr) {
      char expected[512];
      std::snprintf(expected, sizeof expected, c.message, path.c_str());
      EXPECT_EQ(Text(SCSI.GetMessageBuffer()), expected);
      EXPECT_TRUE(sim_->FirmwareImage("/dev/sg0").empty());
      EXPECT_EQ(sim_->Revision("/dev/sg0"), "J5A1");
    }
  }
}

TEST_F(FirmwareSteps, DriveFoundAgainUnderItsNewNodeWithItsNewRevision) {
  SimDeviceConfig c = Drive("HALCYON", "ULTRIUM 3");
  c.reappear_node = "/dev/sg7";
  const std::string path = Ultrium(c);
  EXPECT_EQ(SCSI.FupDrive(path.c_str()), 0);
  EXPECT_EQ(Text(SCSI.GetFilename()), "/dev/sg7");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(SCSI.GetInquiryBuffer()) + 32, 4), "N3W1");
  EXPECT_EQ(SCSI.GetFupStat(), 6);
  EXPECT_FALSE(sim_->IsPresent("/dev/sg0"));
}

TEST_F(FirmwareSteps, DriveThatNeverComesBackGives55) {
  SimDeviceConfig c = Drive("HALCYON", "ULTRIUM 3");
  c.reset_seconds = 100000;
  const std::string path = Ultrium(c);
  const double start = sim_->Elapsed();
  EXPECT_EQ(SCSI.FupDrive(path.c_str()), 55);
  // The search gives up after three minutes of rescans; the drive is gone
  // from the list.
  EXPECT_GE(sim_->Elapsed() - start, 180.0);
  EXPECT_LT(sim_->Elapsed() - start, 400.0);
  EXPECT_LE(SCSI.GetDeviceCount(), 0);
}

TEST_F(FirmwareSteps, ReadinessEmptiesTheDriveOrStopsBeforeAnyPiece) {
  // A loaded cartridge is rewound and unloaded first.
  std::string path = Ultrium();
  EXPECT_EQ(SCSI.CheckFupReadyness(), 58);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x01), 1);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x1B), 1);
  EXPECT_FALSE(sim_->MediumLoaded("/dev/sg0"));
  EXPECT_EQ(SCSI.CheckFupReadyness(), 58);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x1B), 1);  // nothing left to unload

  struct Case {
    const char* what;
    SimDeviceConfig config;
    SimFault fault;
    long result;
    const char* message;
  } cases[] = {
      // The cartridge would not come out: the download must not start.
      {"cartridge stuck", Drive("HALCYON", "ULTRIUM 3"),
       [] {
         SimFault f;
         f.opcode = 0x1B, f.check = true, f.key = 0x03, f.asc = 0x53, f.ascq = 0x00;
         return f;
       }(),
       61, "FupDrive() - Operate Device Handle - Remove Tape"},
      {"changer busy", Drive("HALCYON", "LTO LOADER", SimDeviceType::kChanger),
       [] {
         SimFault f;
         f.opcode = 0x00, f.check = true, f.key = 0x04, f.asc = 0x03, f.ascq = 0x07;
         return f;
       }(),
       64, "FupDrive() - Error: Device not ready / incorrect state for FUP: "},
      {"BR drive without its cartridge",
       [] {
         SimDeviceConfig c = Drive("HALCYON", "BRAMBLE", SimDeviceType::kDisk);
         c.medium_loaded = false;
         return c;
       }(),
       SimFault{.opcode = 0x12, .count = 0}, 51,
       "FupDrive() - Error: Device not in correct state for FUP (RDC not present): "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->RemoveDevice("/dev/sg0");
    path = Ultrium(c.config);
    sim_->InjectFault("/dev/sg0", c.fault);
    EXPECT_EQ(SCSI.FupDrive(path.c_str()), c.result);
    EXPECT_EQ(Text(SCSI.GetMessageBuffer()), c.message);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x3B), 0);
    EXPECT_EQ(SCSI.GetFupStat(), 1);
    sim_->ClearFaults();
  }
}

}  // namespace
