// Where an installed console finds its scripts and writes its logs, -init,
// and what goes to standard output and what to standard error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "vexil_process.h"

namespace fs = std::filesystem;

namespace {

constexpr char kScript[] =
    "[TEST]\n"
    "FAMILY ALL\n"
    "DESCRIPTION Drive-less check\n"
    "START:\n"
    "LOG logged by the script\n"
    "PASS \"script ran\"\n";

// A folder without Scripts/ runs a script of the library VEXIL_SCRIPTS
// names and logs where VEXIL_LOGS says; a local Scripts/ still wins.
TEST(WorkFolders, LibraryAndLogsFromTheEnvironment) {
  ScratchDir lib;
  lib.Write("Scripts/ok.scs", kScript);
  ScratchDir work;
  fs::remove_all(work.path() + "/Scripts");
  fs::remove_all(work.path() + "/Logs");
  const std::string logs = lib.path() + "/run_logs";
  const std::map<std::string, std::string> env = {
      {"VEXIL_SIM", "1"}, {"VEXIL_SCRIPTS", lib.path() + "/Scripts"}, {"VEXIL_LOGS", logs}};

  ProcessResult r = RunVexil(work.path(), {"-f", "/dev/sg0", "-s", "ok.scs", "-y"}, env);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("script ran"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(work.path() + "/Logs"));
  size_t session_logs = 0;
  for (const auto& entry : fs::directory_iterator(logs)) {
    if (entry.path().filename().string().find("_Vexil.txt") != std::string::npos) ++session_logs;
  }
  EXPECT_EQ(session_logs, 1u);

  // The working folder's own library comes first.
  work.Write("Scripts/ok.scs", "[TEST]\nFAMILY ALL\nDESCRIPTION local\nSTART:\nPASS \"local copy ran\"\n");
  r = RunVexil(work.path(), {"-f", "/dev/sg0", "-s", "ok.scs", "-y"}, env);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("local copy ran"), std::string::npos) << r.out;
}

// -init makes a working folder that a run can use at once; a folder that
// cannot be made is an error.
TEST(WorkFolders, InitMakesAWorkingFolder) {
  ScratchDir dir;
  dir.Write("Scripts/ok.scs", kScript);
  ProcessResult r = RunVexil(dir.path(), {"-init", "bench/work"}, {{"VEXIL_SIM", "1"}});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(dir.Read("bench/work/Scripts/ok.scs"), kScript);
  EXPECT_TRUE(fs::is_directory(dir.path() + "/bench/work/Logs"));
  r = RunVexil(dir.path() + "/bench/work", {"-f", "/dev/sg0", "-s", "ok.scs", "-y"}, {{"VEXIL_SIM", "1"}});
  EXPECT_EQ(r.status, 0) << r.out << r.err;

  dir.Write("blocked", "a file");
  r = RunVexil(dir.path(), {"-init", "blocked/work"}, {{"VEXIL_SIM", "1"}});
  EXPECT_EQ(r.status, 253) << r.out << r.err;
  EXPECT_NE(r.err.find("Vexil: cannot make the working folder blocked/work"), std::string::npos) << r.err;
}

// Unattended with its output in a file, the run's report holds only what it
// found: the banners and the console's own errors go to standard error.
TEST(WorkFolders, UnattendedReportHoldsOnlyTheRun) {
  struct Case {
    std::vector<std::string> args;
    bool banners_in_output;
  };
  const Case cases[] = {
      {{"-f", "/dev/sg0", "-s", "ok.scs", "-y"}, false},
      {{"-f", "/dev/sg0", "-s", "ok.scs", "-n"}, false},
      {{"-f", "/dev/sg0", "-s", "ok.scs"}, true},  // may ask: the banners stay with the questions
      {{"-version", "-y"}, true},                  // the version is what was asked for
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.Write("Scripts/ok.scs", kScript);
    const ProcessResult r = RunVexil(dir.path(), c.args, {{"VEXIL_SIM", "1"}});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::string& with = c.banners_in_output ? r.out : r.err;
    const std::string& without = c.banners_in_output ? r.err : r.out;
    EXPECT_NE(with.find("Vexil version 6.7.0.0"), std::string::npos) << c.args[0] << with;
    EXPECT_EQ(without.find("Vexil version"), std::string::npos) << c.args[0] << without;
  }

  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg9", "-s", "ok.scs", "-y"}, {{"VEXIL_SIM", "1"}});
  EXPECT_EQ(r.status, 254);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Possible causes include"), std::string::npos) << r.err;
}

}  // namespace
