// Firmware download: how each family's image is cut, addressed and
// committed, the image checks, the readiness check, failures at each step,
// and the drive found again after its restart.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "device/firmware_fixture.h"

namespace {

std::string Text(const char* s) { return s == nullptr ? "" : s; }

bool EndsWith(const std::vector<uint8_t>& whole, const std::vector<uint8_t>& tail) {
  return whole.size() >= tail.size() &&
         std::equal(tail.begin(), tail.end(), whole.end() - static_cast<long>(tail.size()));
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
      {"HALCYON", "ULTRIUM-HH6", SimDeviceType::kTape, 0, 140000, "04/04@0+65536 04/04@65536+65536 04/04@131072+8928"},
      // The rest kept for the commit: an exact multiple keeps a whole piece.
      {"HALCYON", "ZEP4000", SimDeviceType::kTape, 0, 32768,
       "04/00@0+8192 04/00@8192+8192 04/00@16384+8192 05/00@24576+8192"},
      {"HALCYON", "ZEP4000", SimDeviceType::kTape, 0, 32769,
       "04/00@0+8192 04/00@8192+8192 04/00@16384+8192 04/00@24576+8192 05/00@32768+1"},
      {"HALCYON", "TZ87", SimDeviceType::kTape, 0, 20000,
       "04/00@0+8192 04/00@8192+8192 04/00@16384+3616 05/00@20000+0"},
      {"HALCYON", "KORU600", SimDeviceType::kTape, 0, 20000, "04/00@0+8192 04/00@8192+8192 05/00@16384+3616"},
      {"HALCYON", "KORU220", SimDeviceType::kTape, 0, 20000, "04/00@0+8192 04/00@8192+8192 04/00@16384+3616 05/00@0+0"},
      {"HALCYON", "WN16", SimDeviceType::kTape, 0, 20000, "04/00@0+8192 04/00@8192+8192 05/00@16384+3616"},
      // DAT: one line starts at 1 MiB, one sends at offset 0 without a
      // commit, one uses buffer 1 and ends with an empty piece.
      {"HALCYON", "DDS3", SimDeviceType::kTape, 0, 20000, "04/00@1048576+16384 04/00@1064960+3616 05/00@1064960+0"},
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
  const auto put = [](std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(image, 96, 512);    // the loader part
  put(image, 16, 65792);  // the interface part
  const std::string mark = "FWREV=L0D2";
  std::copy(mark.begin(), mark.end(), image.begin() + 600);
  EXPECT_EQ(SCSI.FupDrive(WriteFile(image).c_str()), 0) << Text(SCSI.GetMessageBuffer());
  EXPECT_EQ(WriteBuffers(), "05/82@0+65280 05/81@0+60928");
  EXPECT_EQ(sim_->FirmwareImage("/dev/sg0"), std::vector<uint8_t>(image.begin() + 512, image.end()));
  EXPECT_EQ(sim_->Revision("/dev/sg0"), "L0D2");

  // A directory that points past the end, or anything but the composite
  // size, is refused before either part is committed.
  struct Case {
    uint32_t loader, interface;
    size_t size;
    const char* message;  // after "(path) "
  } cases[] = {
      {512, 126720 - 100, 126720, "Error reading image file for SCSI/loader (%s) 100 bytes."},
      {126720 - 65000, 65792, 126720, "Error reading image file for loader (%s) 65000 bytes."},
      {512, 0x7FFFFFFF, 126720, "Error reading image file for SCSI/loader (%s) 0 bytes."},
      {512, 65792, 126719,
       "ThriftStack/PowerVault Image size error - Only Composite images are supported -  126719 "
       "Bytes   126720 Required"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    sim_->ClearCommands();
    std::vector<uint8_t> bad = image;
    bad.resize(c.size);
    put(bad, 96, c.loader);
    put(bad, 16, c.interface);
    const std::string path = WriteFile(bad);
    EXPECT_EQ(SCSI.FupDrive(path.c_str()), 52);
    EXPECT_EQ(WriteBuffers(), "");
    char expected[256];
    std::snprintf(expected, sizeof expected, c.message, path.c_str());
    EXPECT_EQ(Text(SCSI.GetMessageBuffer()), std::string("FupDrive() - ") + expected);
  }
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
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()),
            "FupDrive() - Image file (" + path + ") does not include the Halcyon Header.");
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

TEST_F(FirmwareDownload, AnImageCutShortIsRefusedBeforeAnyPiece) {
  Only(Drive("HALCYON", "ULTRIUM 3"));
  // The file shrank after its size was taken: the whole image is read
  // before the first piece, so not even part of it reaches the drive.
  const std::string path = WriteFile(Image(40000));
  EXPECT_EQ(SCSI.FupLTO(path.c_str(), 60000), 52);
  EXPECT_EQ(WriteBuffers(), "");
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()),
            "FupDrive() - Error reading image file (" + path + ") after 40000 of 60000 bytes.");
}

TEST_F(FirmwareDownload, AnImageThatCannotBeOpenedSaysWhy) {
  Only(Drive("HALCYON", "ULTRIUM 3"));
  const std::string locked = WriteFile(Image(9000));
  ::chmod(locked.c_str(), 0);
  const std::string folder = std::filesystem::temp_directory_path().string();
  struct Case {
    std::string path;
    const char* reason;
  } cases[] = {
      {"/nonexistent/fw.bin", "not found."},
      {locked, "cannot be read: permission denied."},
      {folder, "is a folder, not a file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    // Root reads any file: read as nobody, as an operator would.
    const uid_t user = ::geteuid();
    if (user == 0) {
      ASSERT_EQ(::seteuid(65534), 0);
    }
    const long result = SCSI.FupFileSize(c.path.c_str());
    if (user == 0) {
      ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(result, 52);
    EXPECT_EQ(Text(SCSI.GetMessageBuffer()), "FupDrive() - Image file (" + c.path + ") " + c.reason);
  }
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
  slow.delay_seconds = 50;  // past the 45-second piece timeout
  SimFault restarting = check;
  restarting.key = 0x02, restarting.asc = 0x3E, restarting.ascq = 0x00;
  struct Case {
    const char* what;
    SimFault fault;
    int skip;
    long result;
    int writes;           // WRITE BUFFER commands the drive saw
    const char* message;  // "%s" is the image path
  } cases[] = {
      {"first piece rejected", check, 0, 53, 1,
       "FupDrive() - Error writing image file to drive (%s) 0 of 40000 bytes written."},
      {"second piece, node gone", gone, 1, 53, 1,
       "FupDrive() - Error writing image file to drive (%s) 16384 of 40000 bytes written."},
      // A piece that may have reached the drive is never sent again.
      {"third piece times out", slow, 2, 53, 3,
       "FupDrive() - Error writing image file to drive (%s) 32768 of 40000 bytes written."},
      {"commit rejected", check, 3, 54, 4,
       "FupDrive() - Error committing image file to drive (%s) 40000 of 40000 bytes written."},
      // "Restarting" with the old firmware kept is no update.
      {"commit answered by a restarting drive that keeps its firmware", restarting, 3, 67, 4,
       "FupDrive() - The drive came back with its old firmware revision J5A1, not N3W1 as the image names."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->RemoveDevice("/dev/sg0");
    sim_->ClearFaults();
    const std::string path = Ultrium();
    SimFault f = c.fault;
    f.skip = c.skip;
    f.count = 1;
    sim_->InjectFault("/dev/sg0", f);
    const long timeout = SCSI.GetTimeout();
    EXPECT_EQ(SCSI.FupDrive(path.c_str()), c.result);
    EXPECT_EQ(SCSI.GetTimeout(), timeout);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x3B), c.writes);
    char expected[512];
    std::snprintf(expected, sizeof expected, c.message, path.c_str());
    EXPECT_EQ(Text(SCSI.GetMessageBuffer()), expected);
    EXPECT_TRUE(sim_->FirmwareImage("/dev/sg0").empty());
    EXPECT_EQ(sim_->Revision("/dev/sg0"), "J5A1");
  }
}

TEST_F(FirmwareSteps, APieceThatTimedOutIsSentOnceOnEveryLine) {
  struct Case {
    const char* vendor;
    const char* product;
    size_t size;
    long delay;  // past the line's piece timeout
  } cases[] = {
      {"HALCYON", "ULTRIUM 3", 40000, 50},
      {"IBM", "ULTRIUM-TD3", 40000, 50},
      {"HP", "ULTRIUM 3-SCSI", 70000, 50},  // every piece at offset 0: a copy would be appended
      {"HALCYON", "ULTRIUM-HH6", 140000, 50},
      {"HALCYON", "WN16", 20000, 160},  // the line that tries a refused piece again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.product);
    sim_->RemoveDevice("/dev/sg0");
    sim_->ClearFaults();
    Only(Drive(c.vendor, c.product));
    SimFault f;
    f.opcode = 0x3B, f.skip = 1, f.count = 1, f.delay_seconds = c.delay;
    sim_->InjectFault("/dev/sg0", f);
    EXPECT_EQ(SCSI.FupDrive(WriteFile(Image(c.size, "N3W1")).c_str()), 53);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x3B), 2);
    EXPECT_TRUE(sim_->FirmwareImage("/dev/sg0").empty());
    EXPECT_EQ(sim_->Revision("/dev/sg0"), "J5A1");
  }

  // A piece the drive refused did not reach it: that line sends it again.
  sim_->RemoveDevice("/dev/sg0");
  sim_->ClearFaults();
  Only(Drive("HALCYON", "WN16"));
  SimFault refused;
  refused.opcode = 0x3B, refused.skip = 1, refused.count = 1, refused.check = true;
  refused.key = 0x02, refused.asc = 0x04, refused.ascq = 0x01;
  sim_->InjectFault("/dev/sg0", refused);
  EXPECT_EQ(SCSI.FupDrive(WriteFile(Image(20000, "N3W1")).c_str()), 0) << Text(SCSI.GetMessageBuffer());
  EXPECT_EQ(WriteBuffers(), "04/00@0+8192 04/00@8192+8192 04/00@8192+8192 05/00@16384+3616");
  EXPECT_EQ(sim_->Revision("/dev/sg0"), "N3W1");
}

TEST_F(FirmwareSteps, ALastPieceLostInTransportCountsOnlyWhenTheDriveProvesTheNewFirmware) {
  // The half-height line activates on its last piece and may restart before
  // the status: success only when it comes back with the image's revision.
  SimDeviceConfig restarts = Drive("HALCYON", "ULTRIUM-HH6");
  restarts.reset_drops_last_status = true;
  Only(restarts);
  const std::string path = WriteFile(Image(140000, "N3W1"));
  EXPECT_EQ(SCSI.FupDrive(path.c_str()), 0) << Text(SCSI.GetMessageBuffer());
  EXPECT_EQ(sim_->Revision("/dev/sg0"), "N3W1");

  // The same error from a piece that never arrived (the image names its
  // revision in that piece): the drive does not come back with the image's
  // revision, and the download is the failure it was.
  sim_->RemoveDevice("/dev/sg0");
  Only(Drive("HALCYON", "ULTRIUM-HH6"));
  std::vector<uint8_t> image = Image(140000, "N3W1");
  std::copy_n(image.begin() + 32, 10, image.begin() + 135000);
  std::fill_n(image.begin() + 32, 10, uint8_t{0});
  const std::string marked = WriteFile(image);
  SimFault lost;
  lost.opcode = 0x3B, lost.skip = 2, lost.count = 1, lost.host_status = 0x07;
  sim_->InjectFault("/dev/sg0", lost);
  EXPECT_EQ(SCSI.FupDrive(marked.c_str()), 53);
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()), "FupLTOC() - Error writing image file to drive (" + marked +
                                               ") 131072 of 140000 bytes written. Status = -5.");
  EXPECT_EQ(sim_->Revision("/dev/sg0"), "J5A1");
  EXPECT_EQ(Text(SCSI.GetSerialNumber()), "HU1234567A");  // still on the drive chosen
}

TEST_F(FirmwareSteps, TheNewRevisionMustDifferOrBeTheOneTheImageNames) {
  struct Case {
    const char* what;
    const char* nextRevision;  // what the drive reports when the image names none
    bool named;
    long result;
    const char* message;
  } cases[] = {
      {"named and taken", "", true, 0, nullptr},
      {"unnamed, the drive moved on", "K9Z1", false, 0, nullptr},
      {"unnamed, the drive kept its revision", "", false, 67,
       "FupDrive() - The drive came back with its old firmware revision J5A1."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->RemoveDevice("/dev/sg0");
    SimDeviceConfig config = Drive("HALCYON", "ULTRIUM 3");
    config.next_revision = c.nextRevision;
    Only(config);
    std::vector<uint8_t> image = Image(40000, "N3W1");
    if (!c.named) std::fill_n(image.begin() + 32, 10, uint8_t{0});
    EXPECT_EQ(SCSI.FupDrive(WriteFile(image).c_str()), c.result);
    if (c.message != nullptr) {
      EXPECT_EQ(Text(SCSI.GetMessageBuffer()), c.message);
    }
  }
}

TEST_F(FirmwareSteps, OnlyTheDriveChosenGetsTheImage) {
  SimDeviceConfig other = Drive("HALCYON", "ULTRIUM 3");
  other.serial = "HU999";
  DriveIdentity someoneElse{};
  std::strcpy(someoneElse.description, "HALCYON ULTRIUM 3       ");
  std::strcpy(someoneElse.serialNumber, "HU999");
  SimFault renamed;  // the product id of the third INQUIRY reads otherwise
  renamed.opcode = 0x12, renamed.skip = 2, renamed.count = 1, renamed.corrupt_offset = 16;
  SimFault reserialed = renamed;  // the last character of the first serial number read
  reserialed.skip = 1, reserialed.corrupt_offset = 13;
  struct Case {
    const char* what;
    bool swap;                    // another drive answers at the node now
    const DriveIdentity* chosen;  // null: the drive the record holds
    SimFault fault;
    bool touched;  // the readiness check ran (rewind and unload)
    const char* message;
  } cases[] = {
      // The node the drive was chosen on now leads elsewhere.
      {"another device behind the node", true, nullptr, SimFault{.count = 0}, false,
       "FupDrive() - Error: /dev/sg0 did not answer with its identity; nothing was sent."},
      {"another serial number at the node", false, nullptr, reserialed, false,
       "FupDrive() - Error: /dev/sg0 now answers as [HU1234567?] [HALCYON ULTRIUM 3], not as the drive chosen "
       "[HU1234567A] [HALCYON ULTRIUM 3]; nothing was sent."},
      {"the selection is not the drive chosen", false, &someoneElse, SimFault{.count = 0}, false,
       "FupDrive() - Error: /dev/sg0 now answers as [HU1234567A] [HALCYON ULTRIUM 3], not as the drive chosen "
       "[HU999] [HALCYON ULTRIUM 3]; nothing was sent."},
      {"another product right before the first piece", false, nullptr, renamed, true,
       "FupDrive() - Error: /dev/sg0 now answers as [HU1234567A] [HALCYON \xAALTRIUM 3], not as the drive chosen "
       "[HU1234567A] [HALCYON ULTRIUM 3]; nothing was sent."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->RemoveDevice("/dev/sg0");
    sim_->ClearFaults();
    const std::string path = Ultrium();
    if (c.swap) {
      sim_->RemoveDevice("/dev/sg0");
      ASSERT_TRUE(sim_->AddDevice(other));
    }
    sim_->InjectFault("/dev/sg0", c.fault);
    EXPECT_EQ(SCSI.FupDrive(path.c_str(), c.chosen), 68);
    EXPECT_EQ(Text(SCSI.GetMessageBuffer()), c.message);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x3B), 0);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x1B) > 0, c.touched);
    EXPECT_EQ(sim_->MediumLoaded("/dev/sg0"), !c.touched);
  }
}

TEST_F(FirmwareSteps, ChecksThatNeedNoDriveComeBeforeTheCartridgeIsTouched) {
  struct Case {
    const char* what;
    const char* product;
    size_t size;
    long result;
  } cases[] = {
      {"model line without a routine", "FOOBAR", 40000, 56},
      {"image too small", "ULTRIUM 3", 58, 52},
      {"image beyond the 24-bit offsets", "ULTRIUM 3", 16u << 20, 52},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->RemoveDevice("/dev/sg0");
    Only(Drive("HALCYON", c.product));
    EXPECT_EQ(SCSI.FupDrive(WriteFile(Image(c.size)).c_str()), c.result);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x01), 0);
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x1B), 0);
    EXPECT_TRUE(sim_->MediumLoaded("/dev/sg0"));
  }
}

TEST_F(FirmwareSteps, ANewFamilyThatCutsTheSerialAnotherWayStillFindsTheDrive) {
  // The Ultrium 3 line has two families by revision, one keeping 14
  // characters of the serial number and one 10.
  struct Case {
    const char* before;
    const char* after;
    const char* serial;  // as the new family keeps it
  } cases[] = {
      {"J5A1", "D9ZF", "HU12345678"},
      {"D9ZF", "J5A2", "HU1234567890AB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    sim_->RemoveDevice("/dev/sg0");
    SimDeviceConfig config = Drive("HALCYON", "ULTRIUM 3");
    config.revision = c.before;
    config.serial = "HU1234567890AB";
    config.reappear_node = "/dev/sg4";
    Only(config);
    EXPECT_EQ(SCSI.FupDrive(WriteFile(Image(40000, c.after)).c_str()), 0) << Text(SCSI.GetMessageBuffer());
    EXPECT_EQ(Text(SCSI.GetFilename()), "/dev/sg4");
    EXPECT_EQ(Text(SCSI.GetSerialNumber()), c.serial);
    sim_->RemoveDevice("/dev/sg4");
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

TEST_F(FirmwareSteps, DriveThatNeverComesBackGives55AndLeavesNoDeviceSelected) {
  SimDeviceConfig c = Drive("HALCYON", "ULTRIUM 3");
  c.reset_seconds = 100000;
  const std::string path = Ultrium(c);
  SimDeviceConfig neighbour = Drive("HALCYON", "ULTRIUM 5");
  neighbour.node = "/dev/sg3";
  neighbour.serial = "HU3";
  ASSERT_TRUE(sim_->AddDevice(neighbour));
  const double start = sim_->Elapsed();
  EXPECT_EQ(SCSI.FupDrive(path.c_str()), 55);
  // The search gives up after three minutes of rescans; the drive is gone
  // from the list, and the neighbour the rescan listed is not selected.
  EXPECT_GE(sim_->Elapsed() - start, 180.0);
  EXPECT_LT(sim_->Elapsed() - start, 400.0);
  EXPECT_EQ(SCSI.GetDeviceCount(), 1);
  EXPECT_EQ(SCSI.GetDeviceIndex(), -1);
  EXPECT_EQ(Text(SCSI.GetMessageBuffer()), "FupDrive() - Drive did not come ready after FUP");
  const long before = sim_->CountCommands("/dev/sg3", 0x12);
  EXPECT_EQ(SCSI.Inquiry(), -3);
  EXPECT_EQ(sim_->CountCommands("/dev/sg3", 0x12), before);
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
      // A cartridge state the drive cannot tell is no "empty".
      {"mode data unreadable", Drive("HALCYON", "ULTRIUM 3"),
       SimFault{.opcode = 0x5A, .check = true, .key = 0x05, .asc = 0x24, .ascq = 0x00}, 51,
       "FupDrive() - Error: Device not in correct state for FUP: the cartridge state could not be read (MODE SENSE "
       "failed)."},
      {"unload never answered", Drive("HALCYON", "ULTRIUM 3"), SimFault{.opcode = 0x1B, .delay_seconds = 700}, 51,
       "FupDrive() - Error: Device not in correct state for FUP: the cartridge state could not be read (UNLOAD "
       "failed)."},
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
