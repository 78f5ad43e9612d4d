// One script named with -s: its run, its exit status, its session log, and
// the interruptions that end it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "vexil_process.h"

namespace {

const std::map<std::string, std::string> kSim = {{"VEXIL_SIM", "1"}};

std::string Script(const std::string& body) {
  return "[TEST]\nFAMILY ALL\nDESCRIPTION Drive-less check\nSTART:\n" + body;
}

ProcessResult RunScript(const ScratchDir& dir, const std::string& name,
                        const std::map<std::string, std::string>& env = kSim) {
  return RunVexil(dir.path(), {"-f", "/dev/sg0", "-s", name, "-y"}, env);
}

// A script's exit status decides the FAIL message and the console's status:
// a cron job tells a failing drive (1) from a healthy one (0).
TEST(ScriptRun, ExitStatusDecidesTheFailMessageAndTheConsoleStatus) {
  struct Case {
    const char* body;
    bool fail_message;
  };
  const Case cases[] = {
      {"PASS \"all good\"\n", false},  // runs to the end of the list
      {"PASS \"all good\"\nEXIT 0\nFAIL \"never\"\n", false},
      {"PASS \"all good\"\nCALL SUB\nFAIL \"never\"\nSUB:\nEXIT 3\n", true},  // EXIT in a routine ends the run
      {"PASS \"all good\"\nEXIT 256\n", true},                                // any non-zero status, not its low byte
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.Write("Scripts/run.scs", Script(c.body));
    const ProcessResult r = RunScript(dir, "run.scs");
    EXPECT_EQ(r.status, c.fail_message ? 1 : 0) << c.body << r.out << r.err;
    EXPECT_NE(r.out.find("all good"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("never"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\n\nScript completed with a FAIL status!\n\n") != std::string::npos, c.fail_message)
        << c.body << r.out;
    EXPECT_NE(r.out.find("Script entered\t\t->run.scs<-"), std::string::npos) << r.out;
  }
}

TEST(ScriptRun, LockedScriptIsCheckedAndRun) {
  ScratchDir dir;
  std::string locked = Script("PASS \"locked script ran\"\nEXIT 2\n");
  for (char& c : locked) c = static_cast<char>(c | 0x80);  // the simplest lock: bit 7 set
  dir.Write("Scripts/locked.xcs", locked);
  const ProcessResult r = RunScript(dir, "locked.xcs");
  EXPECT_EQ(r.status, 1) << r.out << r.err;  // its EXIT 2 is a FAIL
  EXPECT_NE(r.out.find("locked script ran"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Script completed with a FAIL status!"), std::string::npos) << r.out;
  EXPECT_EQ(dir.Read("Scripts/locked.xcs"), locked);  // unlocked in memory only
}

TEST(ScriptRun, ScriptThatDoesNotCompileEndsAt253WithItsReport) {
  ScratchDir dir;
  dir.Write("Scripts/broken.scs", "[TEST]\nFAMILY ALL\nDESCRIPTION broken\nSTART:\nJUMP NOWHERE\n");
  const ProcessResult r = RunScript(dir, "broken.scs");
  EXPECT_EQ(r.status, 253) << r.out << r.err;
  const size_t report = r.out.find("Error In Scripts/broken.scs @ Line 5 :");
  EXPECT_NE(report, std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Error loading script!\n"), std::string::npos) << r.err;
}

TEST(ScriptRun, SelectionFailuresEndAt255) {
  struct Case {
    const char* name;
    const char* message;
  };
  const Case cases[] = {
      {"nothere.scs", "Requested script file not found\n"},
      {"dat.scs", "Requested script file is not compatible with selected device\n"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.Write("Scripts/dat.scs", "FAMILY DAT\nDESCRIPTION only DAT drives\nS:\nEXIT 0\n");
    const ProcessResult r = RunScript(dir, c.name);
    EXPECT_EQ(r.status, 255) << r.out;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Script entered"), std::string::npos) << r.out;
  }
  ScratchDir dir;
  const ProcessResult r = RunScript(dir, "nothere.scs");
  EXPECT_NE(r.err.find("nothere.scs: No such file or directory"), std::string::npos) << r.err;
}

TEST(ScriptRun, WithoutYesTheRunWaitsForEnterAndEndOfInputDoesNotHang) {
  for (const char* input : {"\n", ""}) {
    ScratchDir dir;
    dir.Write("Scripts/run.scs", Script("PASS \"after the prompt\"\n"));
    const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-s", "run.scs"}, kSim, input);
    EXPECT_EQ(r.status, 0) << r.out;
    const size_t prompt = r.out.find("Press 'Enter' when ready to continue or Ctrl-C to cancel:");
    ASSERT_NE(prompt, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("after the prompt", prompt), std::string::npos) << r.out;
  }
}

TEST(ScriptRun, ValuesThatLookLikeOptionsAreRefusedAtSelection) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{"-f", "-s"}, 254, "Vexil: You must specify a valid option!\n"},
      {{"-f", "/dev/sg0", "-s", "-y"}, 255, "Invalid argument\n"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const ProcessResult r = RunVexil(dir.path(), c.args, kSim);
    EXPECT_EQ(r.status, c.status) << r.out;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Script entered"), std::string::npos) << r.out;
  }
}

TEST(SessionLog, NamePatternAndFirstLines) {
  ScratchDir dir;
  dir.Write("Scripts/log.scs", Script("LOG Written by the script\nEXIT 0\n"));
  const ProcessResult r = RunScript(dir, "log.scs");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::vector<std::string> logs = dir.SessionLogs();
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_TRUE(std::regex_match(logs[0], std::regex(R"(\d\d_\d\d_\d{4}_\d{6}_HU1234567A_Vexil\.txt)"))) << logs[0];

  const std::string text = dir.Read("Logs/" + logs[0]);
  const std::string t = R"(\[\d\d:\d\d:\d\d\]: )";
  const std::regex first_lines("\\[Vexil\\]-\\[NORMAL\\]-" + t +
                               "Logfile opened successfully\\.\n"
                               "\\[Vexil\\]-\\[NORMAL\\]-" +
                               t +
                               "Version 6\\.7\\.0\\.0\n\n\n"
                               "\\[Vexil\\]-\\[NORMAL\\]-" +
                               t +
                               "Device Entered:\n"
                               "\\[Vexil\\]-\\[NORMAL\\]-" +
                               t +
                               "/dev/sg0\n"
                               "\\[Vexil\\]-\\[NORMAL\\]-" +
                               t +
                               "Scriptfile Entered:\n"
                               "\\[Vexil\\]-\\[NORMAL\\]-" +
                               t +
                               "Scripts/log\\.scs\n"
                               "Written by the script\n");
  EXPECT_TRUE(std::regex_match(text, first_lines)) << text;
}

TEST(SessionLog, AMissingLogsFolderIsMadeAndAFileInItsPlaceStillLetsTheScriptRun) {
  ScratchDir fresh;
  ::rmdir((fresh.path() + "/Logs").c_str());
  fresh.Write("Scripts/run.scs", Script("LOG written to the log\nPASS \"ran\"\n"));
  ProcessResult r = RunScript(fresh, "run.scs");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err.find("Unable to open logfile"), std::string::npos) << r.err;
  ASSERT_EQ(fresh.SessionLogs().size(), 1u) << r.out;
  EXPECT_NE(fresh.Read("Logs/" + fresh.SessionLogs()[0]).find("written to the log"), std::string::npos);

  ScratchDir blocked;
  ::rmdir((blocked.path() + "/Logs").c_str());
  blocked.Write("Logs", "not a folder");
  blocked.Write("Scripts/run.scs", Script("PASS \"still ran\"\n"));
  r = RunScript(blocked, "run.scs");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const std::string rule(67, '=');
  EXPECT_NE(r.err.find(rule + "\nVexil Wizard - Unable to open logfile.\n" + rule + "\n"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("still ran"), std::string::npos) << r.out;
  EXPECT_EQ(r.err.find("Unable to write to log file"), std::string::npos) << r.err;
}

TEST(SessionLog, EachRunWritesItsOwnLog) {
  ScratchDir dir;
  dir.Write("Scripts/run.scs", Script("EXIT 0\n"));
  ASSERT_EQ(RunScript(dir, "run.scs").status, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  ASSERT_EQ(RunScript(dir, "run.scs").status, 0);
  EXPECT_EQ(dir.SessionLogs().size(), 2u);
}

TEST(Signals, InterruptionIsLoggedAndEndsWithItsStatus) {
  struct Case {
    int signal;
    int status;
    const char* line;
  };
  const Case cases[] = {
      {SIGINT, 246, "The user interrupted the program...exiting!"},
      {SIGTERM, 245, "The program was terminated...exiting!"},
      {SIGABRT, 244, "The program was abnormally terminated...exiting!"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.Write("real_clock.bench", "bench default\nclock real\n");
    dir.Write("Scripts/sleepy.scs", Script("PASS \"going to sleep\"\nSLEEP 30000\nPASS \"woke up\"\n"));
    VexilProcess process(dir.path(), {"-f", "/dev/sg0", "-s", "sleepy.scs", "-y"},
                         {{"VEXIL_SIM", dir.path() + "/real_clock.bench"}});
    ASSERT_TRUE(process.WaitForOutput("going to sleep", 20000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    process.Signal(c.signal);
    const ProcessResult r = process.Finish(20000);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_EQ(r.out.find("woke up"), std::string::npos);

    const std::vector<std::string> logs = dir.SessionLogs();
    ASSERT_EQ(logs.size(), 1u);
    const std::string text = dir.Read("Logs/" + logs[0]);
    EXPECT_TRUE(std::regex_search(
        text, std::regex(std::string(R"(\[Vexil\]-\[SEVERE\]-\[\d\d:\d\d:\d\d\]: )") + c.line + "\n$")))
        << text;
  }
}

TEST(BundledScripts, RunToTheirPassOnTheVirtualDrives) {
  for (const char* drive : {"/dev/sg0", "/dev/sg2"}) {
    for (const char* name : {"Console_Check.scs", "Clock_Check.scs"}) {
      ScratchDir dir;
      dir.Write(std::string("Scripts/") + name, ScratchDir().Read(std::string(VEXIL_SOURCE_DIR) + "/Scripts/" + name));
      const ProcessResult r = RunVexil(dir.path(), {"-f", drive, "-s", name, "-y"}, kSim);
      EXPECT_EQ(r.status, 0) << name << r.out << r.err;
      EXPECT_NE(r.out.find("check passed"), std::string::npos) << name << r.out;
      EXPECT_EQ(r.out.find("FAIL"), std::string::npos) << name << r.out;
      const std::vector<std::string> logs = dir.SessionLogs();
      ASSERT_EQ(logs.size(), 1u);
      EXPECT_NE(dir.Read("Logs/" + logs[0]).find("Scripts/" + std::string(name)), std::string::npos);
    }
  }
}

TEST(LaterModes, UnreadableParseModeFileIsACommandLineError) {
  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-p", "missing.txt"}, kSim);
  EXPECT_EQ(r.status, 253) << r.out;
  EXPECT_NE(r.err.find("missing.txt: No such file or directory"), std::string::npos) << r.err;
}

}  // namespace
