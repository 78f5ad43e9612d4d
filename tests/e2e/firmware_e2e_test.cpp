// The firmware flows of the console: -u and -t on virtual drives, what the
// user reads when a step fails, and the exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

constexpr int kFirmwareFailed = 252;

// An Ultrium 3 drive on /dev/sg5 that comes back on /dev/sg6 after its
// update, plus the lines of one case.
std::string BenchWith(const std::string& extra) {
  return "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 3\" rev=J5A1 serial=HU5 reappear=/dev/sg6\n" +
         extra;
}

// 40,000 bytes: three pieces and a commit.
std::string ImageBytes(size_t size) {
  std::string b(size, '\0');
  for (size_t i = 0; i < size; ++i) b[i] = static_cast<char>(i * 7 + 3);
  b.replace(32, 10, "FWREV=N3W1");
  return b;
}

ProcessResult RunOnBench(const ScratchDir& dir, const std::vector<std::string>& args, const std::string& bench,
                  const std::string& input = "") {
  dir.Write("fw.bench", bench);
  dir.Write("fw.bin", ImageBytes(40000));
  std::vector<std::string> all = {"-f", "/dev/sg5"};
  all.insert(all.end(), args.begin(), args.end());
  return RunVexil(dir.path(), all, {{"VEXIL_SIM", dir.path() + "/fw.bench"}}, input);
}

// The lines must appear in this order.
void ExpectInOrder(const std::string& out, const std::vector<std::string>& lines) {
  size_t at = 0;
  for (const std::string& line : lines) {
    const size_t found = out.find(line, at);
    EXPECT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << out;
    if (found != std::string::npos) at = found + line.size();
  }
}

TEST(FirmwareUpdate, ImageGoesOutWithProgressAndTheDriveComesBack) {
  ScratchDir dir;
  const ProcessResult r = RunOnBench(dir, {"-u", "fw.bin"}, BenchWith(""));
  EXPECT_EQ(r.status, 0) << r.out;
  ExpectInOrder(r.out, {"Performing FUP operation...", "Checking image file (fw.bin)", "Checking device readiness",
                        "Sending image file to the device", "40% sent (16384 of 40000 bytes)",
                        "100% sent (40000 of 40000 bytes)", "Redetecting device", "FUP operation complete.",
                        "Please reboot your computer."});
}

TEST(FirmwareUpdate, EachFailedStepIsExplainedAndEndsWithAFailureStatus) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string bench;
    std::vector<std::string> lines;
  } cases[] = {
      {"no such image", {"-u", "missing.bin"}, BenchWith(""),
       {"Fup drive command failed: Unknown error! (status = -100)",
        "FupDrive() - Image file (missing.bin) not found.", "Result 52: Error reading Firmware File.",
        "Unable to perform FUP operation."}},
      {"second piece rejected", {"-u", "fw.bin"}, BenchWith("fault /dev/sg5 op=0x3B skip=1 count=1 check=3/0C/00\n"),
       {"FupDrive() - Error writing image file to drive (fw.bin) 16384 of 40000 bytes written.",
        "Result 53: Error during Firmware Update write buffer command.", "Unable to perform FUP operation."}},
      {"drive gone at the commit", {"-u", "fw.bin"}, BenchWith("fault /dev/sg5 op=0x3B skip=3 errno=19\n"),
       {"FupDrive() - Error committing image file to drive (fw.bin) 40000 of 40000 bytes written.",
        "Result 54: Error during Firmware Update FINAL write buffer command."}},
      {"first piece never answered", {"-u", "fw.bin"}, BenchWith("fault /dev/sg5 op=0x3B count=3 delay=60\n"),
       {"Result 53: Error during Firmware Update write buffer command."}},
      {"drive never comes back", {"-u", "fw.bin"},
       "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 3\" serial=HU5 reset=86400\n",
       {"Redetecting device", "Result 55: Error after Firmware Update - relocate device after update.",
        "Unable to perform FUP operation."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const ProcessResult r = RunOnBench(dir, c.args, c.bench);
    EXPECT_EQ(r.status, kFirmwareFailed) << r.out;
    ExpectInOrder(r.out, c.lines);
    EXPECT_EQ(r.out.find("FUP operation complete."), std::string::npos) << r.out;
  }
}

TEST(UpgradeTapeFlow, AsksBeforeOverwritingTheCartridge) {
  const std::string bench =
      "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 5\" serial=HU5\nmedium /dev/sg5 gen=4\n";
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::vector<std::string> lines;
  } cases[] = {
      {"yes", {"-t", "fw.bin"}, "yes\n", 0,
       {"overwrites the cartridge", "Creating FUP tape...", "FUP tape creation complete."}},
      {"no", {"-t", "fw.bin"}, "no\n", kFirmwareFailed, {"overwrites the cartridge", "No FUP tape was created."}},
      {"-n declines without reading", {"-t", "fw.bin", "-n"}, "", kFirmwareFailed,
       {"overwrites the cartridge in the drive and its data is lost.\nDo you wish to continue? (Yes/No)No",
        "No FUP tape was created."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const ProcessResult r = RunOnBench(dir, c.args, bench, c.input);
    EXPECT_EQ(r.status, c.status) << r.out;
    ExpectInOrder(r.out, c.lines);
    if (c.status != 0) {
      EXPECT_EQ(r.out.find("Creating FUP tape..."), std::string::npos) << r.out;
    }
  }
}

TEST(UpgradeTapeFlow, HalfHeightDriveCopiesItsOwnFirmwareAfterTwoQuestions) {
  ScratchDir dir;
  dir.Write("fw.bench", "bench default\n");
  const ProcessResult r =
      RunVexil(dir.path(), {"-f", "/dev/sg0", "-t", "not-read.bin", "-y"}, {{"VEXIL_SIM", dir.path() + "/fw.bench"}},
               "y\ny\n");
  EXPECT_EQ(r.status, 0) << r.out;
  ExpectInOrder(r.out, {"This model drive writes the current firmware image to tape.\nDo you wish to continue?",
                        "overwrites the cartridge", "Creating FUP tape...", "FUP tape creation complete."});
}

TEST(UpgradeTapeFlow, UnsupportedDriveSaysSoAndFails) {
  ScratchDir dir;
  const ProcessResult r =
      RunOnBench(dir, {"-t", "fw.bin"}, "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM-HH4\" serial=HU5\n", "y\n");
  EXPECT_EQ(r.status, kFirmwareFailed) << r.out;
  ExpectInOrder(r.out, {"Creation of FUP tapes is not supported on this device", "Fup tape command failed",
                        "Result 56: Unknown error during Firmware Update.", "Unable to create FUP tape."});
}

}  // namespace
