// The bundled library on another maker's drives: the virtual bench's KESTREL
// LTO-5 (/dev/sg3) and autoloader (/dev/sg4), which answer the standard
// command sets only and which no model rule names. The catalogue offers them
// the scripts of the generic families, and each script ends on them exactly
// as on the bench's own drives, healthy and under each fault bench.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

const std::string kScripts = std::string(VEXIL_SOURCE_DIR) + "/Scripts/";

// The other maker's drive that stands in for each of the bench's own.
const std::map<std::string, std::string> kOtherNode = {{"/dev/sg0", "/dev/sg3"}, {"/dev/sg1", "/dev/sg4"}};

struct Row {
  const char* script;
  const char* node;   // the bench's own drive the script runs on
  const char* bench;  // under Scripts/Benches/ (faults on the own drives), or null: healthy
  const char* input = "";
};

// One row per bundled script healthy and per fault bench of it.
const Row kRows[] = {
    {"Drive_Quick_Check.scs", "/dev/sg0", nullptr},
    {"Drive_Quick_Check.scs", "/dev/sg0", "tapealerts_set.bench"},
    {"Drive_Quick_Check.scs", "/dev/sg0", "ready_timeout.bench"},
    {"Drive_Quick_Check.scs", "/dev/sg0", "alert_page_host_error.bench"},
    {"Drive_Quick_Check.scs", "/dev/sg0", "short_log_pages.bench"},
    {"TapeAlert_Error_Report.scs", "/dev/sg0", nullptr},
    {"TapeAlert_Error_Report.scs", "/dev/sg0", "tapealerts_set.bench"},
    {"TapeAlert_Error_Report.scs", "/dev/sg0", "alert_page_host_error.bench"},
    {"TapeAlert_Error_Report.scs", "/dev/sg0", "short_log_pages.bench"},
    {"Write_Read_Compare.scs", "/dev/sg0", nullptr, "0\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "write_protected.bench", "0\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "corrupt_reads.bench", "0\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "ready_timeout.bench", "0\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "write_timeout.bench", "0\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "dropped_write.bench", "0\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "early_warning.bench", "1\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "read_medium_error.bench", "0\n"},
    {"Write_Read_Compare.scs", "/dev/sg0", "short_reads.bench", "0\n"},
    {"Load_Unload_Exercise.scs", "/dev/sg0", nullptr},
    {"Load_Unload_Exercise.scs", "/dev/sg0", "stuck_loader.bench"},
    {"Load_Unload_Exercise.scs", "/dev/sg0", "load_host_error.bench"},
    {"Loader_Move_Inventory.scs", "/dev/sg1", nullptr},
    {"Loader_Move_Inventory.scs", "/dev/sg1", "picker_fault.bench"},
    {"Loader_Move_Inventory.scs", "/dev/sg1", "move_timeout.bench"},
    {"Loader_Move_Inventory.scs", "/dev/sg1", "lost_move.bench"},
    {"Loader_Move_Inventory.scs", "/dev/sg1", "short_element_status.bench"},
    {"Console_Check.scs", "/dev/sg0", nullptr},
    {"Clock_Check.scs", "/dev/sg0", nullptr},
};

// Benches of the library that hold no fault (a larger magazine of the
// bench's own maker): nothing to compare on the other maker's devices.
const std::set<std::string> kHealthyBenches = {"large_magazine.bench"};

std::string Label(const Row& row, const std::string& node) {
  return std::string(row.script) + " on " + node + " with " + (row.bench ? row.bench : "the default bench");
}

// The bench file with its faults moved from the own drives to the other
// maker's; a cartridge of the own LTO-6 drive becomes one the LTO-5 reads.
std::string Retargeted(const std::string& bench) {
  std::string text = bench;
  for (const auto& [own, other] : kOtherNode) text = std::regex_replace(text, std::regex(own + "\\b"), other);
  return std::regex_replace(text, std::regex("\\bgen=6\\b"), "gen=5");
}

// What a run says of the drive: its status, and the script's lines after
// loading except the inquiry report (GETINQINFO), whose lines differ by maker.
struct Outcome {
  int status = -1;
  std::vector<std::string> lines;
};

// The inquiry report's lines: its fields ("   Vendor ID: ...") and its dump
// (" RAW_DATA: 56", "  000000: ..."); a script's PASS or FAIL line starts
// with one blank only.
bool InquiryReportLine(const std::string& line) { return line.starts_with("  ") || line.starts_with(" RAW_DATA:"); }

Outcome RunScript(const Row& row, const std::string& node, const std::string& bench_text) {
  ScratchDir dir;
  dir.Write(std::string("Scripts/") + row.script, dir.Read(kScripts + row.script));
  std::map<std::string, std::string> env = {{"VEXIL_SIM", "1"}, {"VEXIL_MC", "true"}};
  if (!bench_text.empty()) {
    dir.Write("faults.bench", bench_text);
    env["VEXIL_SIM"] = dir.path() + "/faults.bench";
  }
  const ProcessResult r = RunVexil(dir.path(), {"-f", node, "-s", row.script, "-y"}, env, row.input);
  Outcome outcome{r.status, {}};
  const size_t run = r.out.find("Phase 3 Complete.\n");
  EXPECT_NE(run, std::string::npos) << Label(row, node) << " did not run:\n" << r.out << r.err;
  if (run == std::string::npos) return outcome;
  std::istringstream text(r.out.substr(run));
  // Elapsed times depend on the drive's native rate.
  const std::regex elapsed(" in [0-9.]+ seconds");
  for (std::string line; std::getline(text, line);) {
    if (!InquiryReportLine(line)) outcome.lines.push_back(std::regex_replace(line, elapsed, " in N seconds"));
  }
  return outcome;
}

TEST(OtherMaker, EachBundledScriptEndsAsOnTheBenchsOwnDrives) {
  for (const Row& row : kRows) {
    const std::string bench = row.bench ? ScratchDir().Read(kScripts + "Benches/" + row.bench) : std::string();
    ASSERT_TRUE(!row.bench || !bench.empty()) << row.bench;
    const std::string other = kOtherNode.at(row.node);
    const Outcome own = RunScript(row, row.node, bench);
    const Outcome theirs = RunScript(row, other, Retargeted(bench));
    EXPECT_EQ(theirs.status, own.status) << Label(row, other);
    EXPECT_EQ(theirs.lines, own.lines) << Label(row, other);
    const bool failed = std::find(theirs.lines.begin(), theirs.lines.end(), "Script completed with a FAIL status!") !=
                        theirs.lines.end();
    EXPECT_EQ(failed, row.bench != nullptr) << Label(row, other);
  }
}

// A fault bench added to the library needs its row above.
TEST(OtherMaker, EveryFaultBenchHasARow) {
  std::set<std::string> covered;
  for (const Row& row : kRows) {
    if (row.bench) covered.insert(row.bench);
  }
  for (const auto& entry : std::filesystem::directory_iterator(kScripts + "Benches")) {
    const std::string name = entry.path().filename().string();
    // The health_ benches are for the console's health report, not the scripts.
    if (entry.path().extension() == ".bench" && !kHealthyBenches.count(name) && !name.starts_with("health_")) {
      EXPECT_TRUE(covered.count(name)) << name << " has no row";
    }
  }
}

// The catalogue offers the tape drive scripts of the SSC family to the other
// maker's drive and the autoloader script to its changer, and nothing else.
TEST(OtherMaker, CatalogueOffersTheGenericFamilies) {
  ScratchDir dir;
  for (const auto& entry : std::filesystem::directory_iterator(kScripts)) {
    if (entry.path().extension() == ".scs") {
      dir.Write("Scripts/" + entry.path().filename().string(), dir.Read(entry.path().string()));
    }
  }
  struct Case {
    const char* node;
    const char* family;
    const char* lists;
  };
  const Case cases[] = {
      {"/dev/sg3", "Drive family = SSC\n",
       "\nTasks:\n1) Console_Check.scs\n\nTests:\n2) Clock_Check.scs\n3) Drive_Quick_Check.scs\n"
       "4) Load_Unload_Exercise.scs\n5) TapeAlert_Error_Report.scs\n6) Write_Read_Compare.scs\n\nOther:\n"},
      {"/dev/sg4", "Drive family = LOADER\n",
       "\nTasks:\n1) Console_Check.scs\n\nTests:\n2) Clock_Check.scs\n3) Loader_Move_Inventory.scs\n\nOther:\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = RunVexil(dir.path(), {"-f", c.node}, {{"VEXIL_SIM", "1"}, {"VEXIL_MC", "true"}}, "X\n");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const size_t family = r.out.find(c.family);
    EXPECT_NE(family, std::string::npos) << c.node << r.out;
    EXPECT_NE(r.out.find(std::string("Vexil Wizard - Scripts found:\n") + c.lists, family), std::string::npos)
        << c.node << r.out;
  }
}

}  // namespace
