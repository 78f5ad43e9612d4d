// The bundled script library on the virtual bench: each script passes on a
// healthy drive and fails, saying why, on every fault bench of
// Scripts/Benches/ that touches what it checks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

// Exit status of a -s run whose script ends with a FAIL status.
constexpr int kFailExitStatus = 1;
constexpr int kPassExitStatus = 0;

struct LibraryCase {
  const char* node;
  const char* bench;                  // under Scripts/Benches/, or null for the default bench
  const char* input;                  // answers to the script's questions
  std::vector<std::string> expected;  // in this order in the output
  bool fails;
};

struct RunOptions {
  bool logsFolder = true;
};

ProcessResult RunBundled(const char* script, const LibraryCase& c, ScratchDir& dir, RunOptions options = {}) {
  const std::string scripts = std::string(VEXIL_SOURCE_DIR) + "/Scripts/";
  dir.Write(std::string("Scripts/") + script, ScratchDir().Read(scripts + script));
  if (!options.logsFolder) ::rmdir((dir.path() + "/Logs").c_str());
  std::map<std::string, std::string> env = {{"VEXIL_SIM", "1"}, {"VEXIL_MC", "true"}};
  if (c.bench != nullptr) env["VEXIL_SIM"] = scripts + "Benches/" + c.bench;
  return RunVexil(dir.path(), {"-f", c.node, "-s", script, "-y"}, env, c.input);
}

void ExpectOutcome(const char* script, const LibraryCase& c, RunOptions options = {}) {
  ScratchDir dir;
  const ProcessResult r = RunBundled(script, c, dir, options);
  const std::string label = std::string(script) + " on " + c.node + " " + (c.bench ? c.bench : "default bench");
  EXPECT_EQ(r.status, c.fails ? kFailExitStatus : kPassExitStatus) << label << r.out << r.err;
  size_t at = 0;
  for (const std::string& part : c.expected) {
    const size_t found = r.out.find(part, at);
    EXPECT_NE(found, std::string::npos) << label << ": missing " << part << "\n" << r.out;
    if (found != std::string::npos) at = found;
  }
  EXPECT_EQ(r.out.find("Script completed with a FAIL status!") != std::string::npos, c.fails) << label << r.out;
  EXPECT_EQ(
      r.out.find(" passed ") != std::string::npos || r.out.find("no uncorrected error counted") != std::string::npos,
      !c.fails)
      << label << ": a verdict is a pass or a failure, never both\n"
      << r.out;
}

TEST(ScriptLibrary, DriveQuickCheckPassesOnlyOnAReadyDriveWithAWholeTapeAlertPage) {
  const LibraryCase cases[] = {
      {"/dev/sg0",
       nullptr,
       "",
       {"Vendor ID: HALCYON", "The drive is ready", "No TapeAlert flag is set", "Drive quick check passed"},
       false},
      {"/dev/sg2",
       nullptr,
       "",
       {"No cartridge is loaded: the drive answers but cannot be ready", "No TapeAlert flag is set",
        "No cartridge is loaded: load one and run the check again"},
       true},
      {"/dev/sg0",
       "tapealerts_set.bench",
       "",
       {"TapeAlert flag 3 is set", "TapeAlert flag 20 is set", "Drive quick check failed: TapeAlert flags are set"},
       true},
      {"/dev/sg0",
       "ready_timeout.bench",
       "",
       {"= Transport failure: the command timed out", "The drive did not answer TEST UNIT READY"},
       true},
      {"/dev/sg0",
       "alert_page_host_error.bench",
       "",
       {"= Transport failure: host adapter or driver error", "The drive did not return its TapeAlert page"},
       true},
      {"/dev/sg0",
       "short_log_pages.bench",
       "",
       {"= Incomplete log page: shorter than its page length",
        "The TapeAlert page arrived incomplete: its flags cannot be checked"},
       true},
  };
  for (const LibraryCase& c : cases) ExpectOutcome("Drive_Quick_Check.scs", c);
}

TEST(ScriptLibrary, TapeAlertReportReadsWholePagesAndNeedsNoLogsFolder) {
  const LibraryCase cases[] = {
      {"/dev/sg0",
       nullptr,
       "",
       {"No TapeAlert flag is set",
        "Write errors: ", "Read errors: ", "No TapeAlert flag set and no uncorrected error counted"},
       false},
      {"/dev/sg0",
       "tapealerts_set.bench",
       "",
       {"TapeAlert flag 3 is set", "Hard error: an operation stopped on an error the drive could not correct.",
        "TapeAlert flag 20 is set", "Clean now: the drive needs cleaning. Insert a cleaning cartridge.",
        "TapeAlert flags are set"},
       true},
      {"/dev/sg0",
       "alert_page_host_error.bench",
       "",
       {"= Transport failure: host adapter or driver error", "The drive did not return a log page of the report"},
       true},
      {"/dev/sg0",
       "short_log_pages.bench",
       "",
       {"= Incomplete log page: shorter than its page length", "A log page of the report arrived incomplete"},
       true},
  };
  for (const LibraryCase& c : cases) ExpectOutcome("TapeAlert_Error_Report.scs", c);

  // A fresh folder without Logs/: the report and its log are written all the same.
  ScratchDir dir;
  const ProcessResult r = RunBundled("TapeAlert_Error_Report.scs", cases[0], dir, {.logsFolder = false});
  EXPECT_EQ(r.status, kPassExitStatus) << r.out << r.err;
  EXPECT_EQ(r.out.find("Unable to"), std::string::npos) << r.out;
  ASSERT_EQ(dir.SessionLogs().size(), 1u) << r.out;
  EXPECT_NE(dir.Read("Logs/" + dir.SessionLogs()[0]).find("Page Code: 02H"), std::string::npos);
}

TEST(ScriptLibrary, WriteReadCompareFailsOnEveryWriteOrReadFaultAndSaysWhere) {
  const LibraryCase cases[] = {
      {"/dev/sg0",
       nullptr,
       "0\n",
       {"Writing 16 blocks of 64 KiB", "Reading back and comparing", "Write read and compare test passed"},
       false},
      // Unattended: no answer to the size question gives the smallest size.
      {"/dev/sg0",
       nullptr,
       "",
       {"No answer: the test writes 1 MiB", "Writing 16 blocks of 64 KiB", "Write read and compare test passed"},
       false},
      {"/dev/sg0", nullptr, "1\n", {"Writing 128 blocks of 64 KiB", "Write read and compare test passed"}, false},
      // 1 MiB fits a 1 MiB cartridge, early warning on the last block; 8 MiB do not.
      {"/dev/sg0", "early_warning.bench", "0\n", {"Write read and compare test passed"}, false},
      {"/dev/sg0",
       "early_warning.bench",
       "1\n",
       {"= End of medium: early warning reached", "The end of the medium came at block 16 of 128",
        "The cartridge has no room for the test data"},
       true},
      {"/dev/sg2", nullptr, "0\n", {"No cartridge in the drive"}, true},
      {"/dev/sg0", "write_protected.bench", "0\n", {"The cartridge is write protected"}, true},
      {"/dev/sg0",
       "ready_timeout.bench",
       "0\n",
       {"= Transport failure: the command timed out", "The drive did not answer TEST UNIT READY"},
       true},
      {"/dev/sg0",
       "write_timeout.bench",
       "0\n",
       {"Write of block 6 of 16 failed", "= Transport failure: the command timed out", "Write failed"},
       true},
      {"/dev/sg0",
       "read_medium_error.bench",
       "0\n",
       {"Read of block 4 of 16 failed", "Sense: CC: 03  ASC: 11  ASCQ: 00  = Medium error", "Read failed"},
       true},
      {"/dev/sg0",
       "short_reads.bench",
       "0\n",
       {"Read of block 3 of 16 failed", "= Short transfer: less data than the command announced", "Read failed"},
       true},
      {"/dev/sg0",
       "corrupt_reads.bench",
       "0\n",
       {"Block 1 differs at byte", "The data read back differs from the data written"},
       true},
      // Every block carries its number: a block lost on the way is found.
      {"/dev/sg0",
       "dropped_write.bench",
       "0\n",
       {"Block 4 differs at byte 3: read 05 instead of 04", "a block was dropped or repeated or misplaced",
        "The data read back differs from the data written"},
       true},
  };
  for (const LibraryCase& c : cases) ExpectOutcome("Write_Read_Compare.scs", c);
}

TEST(ScriptLibrary, LoadUnloadExerciseFailsWhenALoadOrUnloadFailsInAnyWay) {
  const LibraryCase cases[] = {
      {"/dev/sg0",
       nullptr,
       "",
       {"Cycle 1: unloaded and loaded again", "Cycle 3: unloaded and loaded again", "Load and unload exercise passed"},
       false},
      {"/dev/sg2", nullptr, "", {"No cartridge in the drive: insert one"}, true},
      {"/dev/sg0",
       "stuck_loader.bench",
       "",
       {"Sense: CC: 03  ASC: 53", "Unload of cycle 1 failed", "Unload failed"},
       true},
      {"/dev/sg0",
       "load_host_error.bench",
       "",
       {"= Transport failure: host adapter or driver error", "Load of cycle 1 failed", "Load failed"},
       true},
      {"/dev/sg0",
       "ready_timeout.bench",
       "",
       {"= Transport failure: the command timed out", "The drive is not ready: the exercise did not start"},
       true},
  };
  for (const LibraryCase& c : cases) ExpectOutcome("Load_Unload_Exercise.scs", c);
}

TEST(ScriptLibrary, LoaderMoveInventoryReadsTheWholeMagazineAndChecksEachMove) {
  const LibraryCase cases[] = {
      {"/dev/sg1",
       nullptr,
       "",
       {"Slots: 4 full  4 empty", "Moving the cartridge of slot 2 at element 17 to slot 1 at element 16",
        "Moving the cartridge of slot 1 at element 16 to slot 2 at element 17",
        "Autoloader move and inventory exercise passed"},
       false},
      {"/dev/sg5",
       "large_magazine.bench",
       "",
       {"Slots: 2 full  98 empty", "Moving the cartridge of slot 7 at element 22 to slot 1 at element 16",
        "Autoloader move and inventory exercise passed"},
       false},
      {"/dev/sg1", "picker_fault.bench", "", {"Sense: CC: 04  ASC: 15  ASCQ: 01", "Move failed"}, true},
      {"/dev/sg1",
       "move_timeout.bench",
       "",
       {"= Transport failure: the command timed out", "Moving from slot 2 to slot 1 failed", "Move failed"},
       true},
      {"/dev/sg1",
       "short_element_status.bench",
       "",
       {"The element status arrived incomplete: 40 bytes of 144", "inventory arrived incomplete"},
       true},
      {"/dev/sg1",
       "lost_move.bench",
       "",
       {"Slot 2 at element 17 still shows a cartridge after the move", "The inventory does not match the move"},
       true},
  };
  for (const LibraryCase& c : cases) ExpectOutcome("Loader_Move_Inventory.scs", c);

  // On the tape drive the script is not offered: no verdict at all.
  ScratchDir dir;
  const ProcessResult r = RunBundled("Loader_Move_Inventory.scs", {"/dev/sg0", nullptr, "", {}, false}, dir);
  EXPECT_NE(r.err.find("Requested script file is not compatible"), std::string::npos) << r.err;
}

}  // namespace
