// The bundled script library on the virtual bench: each script passes on a
// healthy drive and fails with its own message on the bench of its fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

struct LibraryCase {
  const char* script;
  const char* node;
  const char* bench;  // under Scripts/Benches/, or null for the default bench
  const char* input;  // answers to the script's questions
  std::vector<std::string> expected;
  bool fails;
};

ProcessResult RunBundled(const LibraryCase& c) {
  ScratchDir dir;
  const std::string scripts = std::string(VEXIL_SOURCE_DIR) + "/Scripts/";
  dir.Write(std::string("Scripts/") + c.script, ScratchDir().Read(scripts + c.script));
  std::map<std::string, std::string> env = {{"VEXIL_SIM", "1"}, {"VEXIL_MC", "true"}};
  if (c.bench != nullptr) env["VEXIL_SIM"] = scripts + "Benches/" + c.bench;
  return RunVexil(dir.path(), {"-f", c.node, "-s", c.script, "-y"}, env, c.input);
}

void ExpectOutcome(const LibraryCase& c) {
  const ProcessResult r = RunBundled(c);
  const std::string label = std::string(c.script) + " on " + c.node + " " + (c.bench ? c.bench : "default");
  EXPECT_NE(r.status, 253) << label << r.out << r.err;
  size_t at = 0;
  for (const std::string& part : c.expected) {
    const size_t found = r.out.find(part, at);
    EXPECT_NE(found, std::string::npos) << label << ": missing " << part << "\n" << r.out;
    if (found != std::string::npos) at = found;
  }
  EXPECT_EQ(r.out.find("Script completed with a FAIL status!") != std::string::npos, c.fails) << label << r.out;
}

TEST(ScriptLibrary, EachScriptPassesOnAHealthyBenchAndNamesTheFaultOnItsOwn) {
  const LibraryCase cases[] = {
      {"Drive_Quick_Check.scs", "/dev/sg0", nullptr, "",
       {"Vendor ID: HALCYON", "The drive is ready", "No TapeAlert flag is set",
        "Drive quick check passed"},
       false},
      // The DAT drive of the default bench holds no cartridge: still healthy.
      {"Drive_Quick_Check.scs", "/dev/sg2", nullptr, "", {"No cartridge is loaded", "Drive quick check passed"},
       false},
      {"Drive_Quick_Check.scs", "/dev/sg0", "tapealerts_set.bench", "",
       {"TapeAlert flag 3 is set", "TapeAlert flag 20 is set", "Drive quick check failed: TapeAlert flags are set"},
       true},
      {"Write_Read_Compare.scs", "/dev/sg0", nullptr, "0\n",
       {"Writing 16 blocks of 64 KiB", "Reading back and comparing", "Write read and compare test passed"}, false},
      {"Write_Read_Compare.scs", "/dev/sg2", nullptr, "0\n", {"No cartridge in the drive"}, true},
      {"Write_Read_Compare.scs", "/dev/sg0", "write_protected.bench", "0\n", {"The cartridge is write protected"},
       true},
      {"Write_Read_Compare.scs", "/dev/sg0", "corrupt_reads.bench", "0\n",
       {"differs at byte", "The data read back differs from the data written"}, true},
      {"Load_Unload_Exercise.scs", "/dev/sg0", nullptr, "",
       {"Cycle 1: unloaded and loaded again", "Cycle 3: unloaded and loaded again", "Load and unload exercise passed"},
       false},
      {"Load_Unload_Exercise.scs", "/dev/sg0", "stuck_loader.bench", "", {"Unload of cycle 1 failed", "Unload failed"},
       true},
      {"Loader_Move_Inventory.scs", "/dev/sg1", nullptr, "",
       {"Slots: 4 full  4 empty", "Moving the cartridge of slot 17 to slot 16",
        "Moving the cartridge of slot 16 to slot 17", "Autoloader move and inventory exercise passed"},
       false},
      {"Loader_Move_Inventory.scs", "/dev/sg1", "picker_fault.bench", "", {"Move failed"}, true},
      {"Loader_Move_Inventory.scs", "/dev/sg0", nullptr, "", {"Requested script file is not compatible"}, false},
  };
  for (const LibraryCase& c : cases) ExpectOutcome(c);
}

// The report reads its error counters through LOGPAGE and page operands.
TEST(ScriptLibrary, TapeAlertAndErrorCounterReport) {
  const LibraryCase cases[] = {
      {"TapeAlert_Error_Report.scs", "/dev/sg0", nullptr, "",
       {"No TapeAlert flag is set", "Write errors: ", "Read errors: ",
        "No TapeAlert flag set and no uncorrected error counted"},
       false},
      {"TapeAlert_Error_Report.scs", "/dev/sg0", "tapealerts_set.bench", "",
       {"TapeAlert flag 3 is set", "TapeAlert flag 20 is set", "The drive needs cleaning", "TapeAlert flags are set"},
       true},
  };
  for (const LibraryCase& c : cases) ExpectOutcome(c);
}

}  // namespace
