// The firmware flows of the console: -u and -t on virtual drives, what the
// user reads when a step fails, and the exit status; the wizard's U that
// loses its drive, and an interrupted download.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "vexil_process.h"

namespace {

constexpr int kFirmwareFailed = 252;

// An Ultrium 3 drive on /dev/sg5 that comes back on /dev/sg6 after its
// update, plus the lines of one case.
std::string BenchWith(const std::string& extra) {
  return "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 3\" rev=J5A1 serial=HU5 reappear=/dev/sg6\n" + extra;
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
                        "100% sent (40000 of 40000 bytes)", "Redetecting device", "Firmware revision J5A1 -> N3W1",
                        "FUP operation complete.", "Please reboot your computer."});
}

TEST(FirmwareUpdate, EachFailedStepIsExplainedAndEndsWithAFailureStatus) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string bench;
    std::vector<std::string> lines;
  } cases[] = {
      {"no such image",
       {"-u", "missing.bin"},
       BenchWith(""),
       {"Fup drive command failed: Unknown error! (status = -100)", "FupDrive() - Image file (missing.bin) not found.",
        "Result 52: Error reading Firmware File.", "Unable to perform FUP operation."}},
      {"second piece rejected",
       {"-u", "fw.bin"},
       BenchWith("fault /dev/sg5 op=0x3B skip=1 count=1 check=3/0C/00\n"),
       {"FupDrive() - Error writing image file to drive (fw.bin) 16384 of 40000 bytes written.",
        "Result 53: Error during Firmware Update write buffer command.", "Unable to perform FUP operation."}},
      {"drive gone at the commit",
       {"-u", "fw.bin"},
       BenchWith("fault /dev/sg5 op=0x3B skip=3 errno=19\n"),
       {"FupDrive() - Error committing image file to drive (fw.bin) 40000 of 40000 bytes written.",
        "Result 54: Error during Firmware Update FINAL write buffer command."}},
      {"first piece never answered",
       {"-u", "fw.bin"},
       BenchWith("fault /dev/sg5 op=0x3B count=1 delay=60\n"),
       {"FupDrive() - Error writing image file to drive (fw.bin) 0 of 40000 bytes written.",
        "Result 53: Error during Firmware Update write buffer command."}},
      {"restarting, but with the old firmware",
       {"-u", "fw.bin"},
       BenchWith("fault /dev/sg5 op=0x3B skip=3 count=1 check=2/3E/00\n"),
       {"Firmware revision J5A1 -> J5A1",
        "FupDrive() - The drive came back with its old firmware revision J5A1, not N3W1 as the image names.",
        "Result 67: Firmware Update not confirmed - the drive did not come back with the new firmware revision.",
        "Unable to perform FUP operation."}},
      {"cartridge state unreadable",
       {"-u", "fw.bin"},
       BenchWith("fault /dev/sg5 op=0x5A check=5/24/00\n"),
       {"FupDrive() - Error: Device not in correct state for FUP: the cartridge state could not be read (MODE "
        "SENSE failed).",
        "Result 51: Device is not in proper state to perform Firmware Update."}},
      {"drive never comes back",
       {"-u", "fw.bin"},
       "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 3\" serial=HU5 reset=86400\n",
       {"Redetecting device", "FupDrive() - Drive did not come ready after FUP",
        "Result 55: Error after Firmware Update - relocate device after update.", "Unable to perform FUP operation.",
        "No device is selected: the drive [HU5] was not found again after the update."}},
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

// Two drives; the wizard chooses the first (HU5 on /dev/sg5) and updates it.
struct WizardRun {
  std::string out;
  size_t after;  // where the update's outcome was printed
};

WizardRun UpdateInTheWizard(const std::string& drive5, const std::string& typed) {
  ScratchDir dir;
  dir.Write("fw.bench", drive5 + "device /dev/sg7 type=tape hctl=1:0:5:0 product=\"ULTRIUM 5\" serial=HU7\n");
  dir.Write("fw.bin", ImageBytes(40000));
  dir.Write("Scripts/any.scs", "[TASK]\nFAMILY ALL\nDESCRIPTION Any drive\nSTART:\n    PASS \"ran\"\n    EXIT 0\n");
  const ProcessResult r = RunVexil(dir.path(), {}, {{"VEXIL_SIM", dir.path() + "/fw.bench"}}, typed);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const size_t after = r.out.find("FUP operation");
  EXPECT_NE(after, std::string::npos) << r.out;
  return {r.out, after == std::string::npos ? r.out.size() : after};
}

TEST(WizardUpdate, ADriveLostInTheUpdateLeavesNoDeviceAndNothingReachesAnother) {
  // U, the drive never comes back; then C (Inquiry) and U again.
  const WizardRun run =
      UpdateInTheWizard("device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 3\" serial=HU5 reset=86400\n",
                        "1\nU\nfw.bin\nC\n2\n7\nU\nfw.bin\nX\n");
  ExpectInOrder(run.out, {"Selected device = [HU5] [/dev/sg5]", "Performing FUP operation...",
                          "FupDrive() - Drive did not come ready after FUP", "Unable to perform FUP operation.",
                          "No device is selected: the drive [HU5] was not found again after the update.",
                          "No device is selected. Select 'D' to choose a device.",
                          "No device is selected. Select 'D' to choose a device."});
  const std::string later = run.out.substr(run.after);
  EXPECT_EQ(later.find("HU7"), std::string::npos) << later;
  EXPECT_EQ(later.find("ULTRIUM 5"), std::string::npos) << later;
  EXPECT_EQ(later.find("Selected device"), std::string::npos) << later;
  EXPECT_EQ(later.find("Performing FUP operation..."), std::string::npos) << later;
}

TEST(WizardUpdate, ADriveBackUnderAnotherNodeIsTheOneTheConsoleTalksTo) {
  const WizardRun run =
      UpdateInTheWizard("device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 3\" serial=HU5 reappear=/dev/sg6\n",
                        "1\nU\nfw.bin\nC\n2\n7\nX\n");
  ExpectInOrder(run.out, {"Firmware revision J5A1 -> N3W1", "FUP operation complete.",
                          "Selected device = [HU5] [/dev/sg6] [HALCYON ULTRIUM 3", "Sending 'Inquiry' command...",
                          "'Inquiry' command completed"});
  const std::string later = run.out.substr(run.after);
  EXPECT_NE(later.find("HU5"), std::string::npos) << later;  // the serial number page of the inquiry
  EXPECT_EQ(later.find("HU7"), std::string::npos) << later;
}

TEST(FirmwareUpdate, AnInterruptedDownloadSaysNothingWasCommitted) {
  ScratchDir dir;
  // No cartridge, so that only the prescribed settling pause passes before
  // the first piece, which then takes its time.
  dir.Write("fw.bench",
            "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM 3\" serial=HU5 medium=0\nclock real\n"
            "fault /dev/sg5 op=0x3B count=1 delay=30\n");
  dir.Write("fw.bin", ImageBytes(40000));
  VexilProcess process(dir.path(), {"-f", "/dev/sg5", "-u", "fw.bin"}, {{"VEXIL_SIM", dir.path() + "/fw.bench"}});
  ASSERT_TRUE(process.WaitForOutput("Sending image file to the device", 40000));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  process.Signal(SIGINT);
  const ProcessResult r = process.Finish(20000);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 246) << r.out << r.err;
  EXPECT_NE(r.out.find("Firmware download interrupted: nothing was committed; the drive keeps its current firmware."),
            std::string::npos)
      << r.out;
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
      {"yes",
       {"-t", "fw.bin"},
       "yes\n",
       0,
       {"overwrites the cartridge", "Creating FUP tape...", "FUP tape creation complete."}},
      {"no", {"-t", "fw.bin"}, "no\n", kFirmwareFailed, {"overwrites the cartridge", "No FUP tape was created."}},
      {"-n declines without reading",
       {"-t", "fw.bin", "-n"},
       "",
       kFirmwareFailed,
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
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-t", "not-read.bin", "-y"},
                                   {{"VEXIL_SIM", dir.path() + "/fw.bench"}}, "y\ny\n");
  EXPECT_EQ(r.status, 0) << r.out;
  ExpectInOrder(r.out, {"This model drive writes the current firmware image to tape.\nDo you wish to continue?",
                        "overwrites the cartridge", "Creating FUP tape...", "FUP tape creation complete."});
}

TEST(UpgradeTapeFlow, UnsupportedDriveSaysSoAndFails) {
  ScratchDir dir;
  const ProcessResult r = RunOnBench(
      dir, {"-t", "fw.bin"}, "device /dev/sg5 type=tape hctl=1:0:3:0 product=\"ULTRIUM-HH4\" serial=HU5\n", "y\n");
  EXPECT_EQ(r.status, kFirmwareFailed) << r.out;
  ExpectInOrder(r.out, {"Creation of FUP tapes is not supported on this device", "Fup tape command failed",
                        "Result 56: Unknown error during Firmware Update.", "Unable to create FUP tape."});
}

}  // namespace
