// The text of `--health` and `--mam`: which rows each kind of device shows,
// the column they line up in, and what a drive's control bytes become.
#include "frontend/health_output.h"

#include <gtest/gtest.h>

#include <sstream>

#include "frontend/health_fixture.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
  for (const std::string& l : Lines(text)) {
    if (l == line) return true;
  }
  return false;
}

// Every row's value starts in the same column, continuation lines included.
void ExpectAligned(const std::string& text) {
  constexpr size_t kValueColumn = 23;
  for (const std::string& line : Lines(text)) {
    if (!line.starts_with("  ") || line.starts_with("  No ") || line.starts_with("  The ")) continue;
    ASSERT_GT(line.size(), kValueColumn) << line;
    EXPECT_EQ(line[kValueColumn - 1], ' ') << line;
    EXPECT_NE(line[kValueColumn], ' ') << line;
  }
}

TEST(HealthText, EachKindOfDeviceShowsItsRows) {
  struct Case {
    const char* name;
    DeviceHealth device;
    std::vector<std::string> lines;   // whole lines that must be there
    std::vector<std::string> absent;  // texts that must not
  };
  const Case cases[] = {
      {"healthy",
       fixture::HealthyDrive(),
       {"Tape drive /dev/sg1 (HU1234567A)", "  Vendor               HP", "  Product              Ultrium 6-SCSI",
        "  Serial               HU1234567A", "  Firmware revision    J5SW",
        "  By id                /dev/tape/by-id/scsi-HU1234567A", "  Tape nodes           /dev/st0, /dev/nst0",
        "  Verdict              OK", "  Findings             none", "  Temperature          38 C (reference 55 C)",
        "  Write errors         0 corrected, 0 uncorrected", "  Read errors          12 corrected, 0 uncorrected",
        "  Loads                1234", "  Cleanings            5", "  Power-on time        4321 hours",
        "  Written              123456 MiB", "  Read                 234567 MiB", "  Cleaning required    no",
        "  Cartridge            none loaded"},
       {"Note"}},
      {"alerting",
       fixture::AlertingDrive(),
       {"  Verdict              FAIL",
        "  Findings             TapeAlert 3 Hard error: copy the data off the cartridge and run a diagnostic",
        "                       TapeAlert 20 Cleaning required: load a cleaning cartridge",
        "  Write errors         0 corrected, 2 uncorrected", "  Cleaning required    yes"},
       {"Note"}},
      {"unreadable",
       fixture::UnreadableDrive(),
       {"Tape drive /dev/sg3", "  Verdict              UNREADABLE",
        "  Findings             No health page could be read: check the drive's power and cabling"},
       {"Serial", "Temperature", "Cartridge", "Tape nodes", "By id"}},
      {"changer",
       fixture::Changer(),
       {"Changer /dev/sg4 (DEC12345AB)", "  Product              MSL G3 Series", "  Verdict              OK"},
       {"Cartridge", "Temperature"}},
      {"cartridge and page 2Eh",
       fixture::DriveWithCartridge(),
       {"  Verdict              WARNING", "  Tape nodes           /dev/st2",
        "  Cartridge            CM4711, generation 7, 57 loads, 2048000 MiB written, 1024000 MiB read",
        "  Note                 page 12h is missing; page 2Eh was read instead, which clears the flags on many "
        "drives"},
       {"By id"}},
      {"hostile texts",
       fixture::HostileDrive(),
       {"Tape drive /dev/sg6 (SN|?\xff)", "  Product              back\\slash?line",
        "  Findings             TapeAlert 21 Clean \"periodic\"?\xed\xa0\x80: clean | soon??",
        "  Cartridge            loaded"},
       {"\n\n", "\x01", "\x7f"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = DeviceHealthText(c.device);
    for (const std::string& line : c.lines) EXPECT_TRUE(HasLine(text, line)) << "missing: " << line << "\n" << text;
    for (const std::string& absent : c.absent)
      EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
    ExpectAligned(text);
  }
}

TEST(HealthText, DevicesOfARunAreSeparatedByABlankLine) {
  const std::string text = HealthText(fixture::RunOf({fixture::HealthyDrive(), fixture::Changer()}));
  EXPECT_EQ(text, DeviceHealthText(fixture::HealthyDrive()) + "\n" + DeviceHealthText(fixture::Changer()));
  EXPECT_EQ(HealthText(HealthRun{}), "No tape drive or changer was found.\n");
}

TEST(CartridgeMemoryText, EveryAttributeWithItsUnitOrWhyThereIsNone) {
  DeviceHealth memory_unread = fixture::DriveWithCartridge();
  memory_unread.cartridge.reset();
  DeviceHealth empty_memory = fixture::DriveWithCartridge();
  empty_memory.cartridge = CartridgeMemory{};
  struct Case {
    const char* name;
    DeviceHealth device;
    std::string text;
  };
  const Case cases[] = {
      {"full memory", fixture::DriveWithCartridge(),
       "Cartridge memory in /dev/sg5 (1097000042)\n"
       "  Medium serial        CM4711\n"
       "  Manufacturer         FUJIFILM\n"
       "  Manufacture date     2021-03-04\n"
       "  Medium type          data\n"
       "  Generation           7\n"
       "  Density code         5Ch\n"
       "  Barcode              A00042L7\n"
       "  Load count           57\n"
       "  Written              2048000 MiB\n"
       "  Read                 1024000 MiB\n"
       "  Written, last load   1500 MiB\n"
       "  Read, last load      0 MiB\n"
       "  Remaining capacity   4000000 MiB\n"
       "  Maximum capacity     5723166 MiB\n"
       "  MAM space remaining  1024 bytes\n"
       "  MAM capacity         16384 bytes\n"
       "  Last drives          IBM 1097000042\n"
       "                       HP HU1234567A\n"},
      {"no cartridge", fixture::HealthyDrive(),
       "Cartridge memory in /dev/sg1 (HU1234567A)\n  No cartridge is loaded.\n"},
      {"memory unread", memory_unread,
       "Cartridge memory in /dev/sg5 (1097000042)\n  The cartridge memory could not be read.\n"},
      {"memory empty", empty_memory,
       "Cartridge memory in /dev/sg5 (1097000042)\n  The cartridge memory holds none of the attributes read.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CartridgeMemoryText(c.device), c.text);
  }
}

TEST(TapeAlertFlagName, FromItsFindingElseFromTheTableOfTheDeviceKind) {
  DeviceHealth drive = fixture::AlertingDrive();
  EXPECT_EQ(TapeAlertFlagName(drive, 20), "Cleaning required");
  EXPECT_EQ(TapeAlertFlagName(drive, 4), "Media");  // no finding names it
  drive.changer = true;
  EXPECT_EQ(TapeAlertFlagName(drive, 4), "Library Hardware D");
  EXPECT_EQ(TapeAlertFlagName(drive, 63), "");
}

}  // namespace
