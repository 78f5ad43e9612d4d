// A script's output on the console and in the session log, and its prompts
// answered on standard input or by -y / -n.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

const std::map<std::string, std::string> kSim = {{"VEXIL_SIM", "1"}};

const char* const kScript =
    "[TEST]\n"
    "FAMILY ALL\n"
    "DESCRIPTION Output and prompts\n"
    "BYTE n = 0\n"
    "START:\n"
    "PRINT SCREEN 'screen only %d' 7\n"
    "PRINT LOG 'log only %X' 255\n"
    "PRINT BOTH 'both, here'\n"
    "MSG plain   message\n"
    "LOG plain log line\n"
    "ASK \"Continue?\" ONNO STOPPED\n"
    "ASKFORNUMBER \"How many\" n DEC ONOK STOPPED\n"
    "INSTRUCT Insert a tape ONCANCEL STOPPED\n"
    "PRINT 'n=%d' n\n"
    "EXIT 0\n"
    "STOPPED:\n"
    "PRINT 'stopped'\n"
    "EXIT 1\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The session log of the run, as lines.
std::vector<std::string> SessionLog(const ScratchDir& dir) {
  const std::vector<std::string> logs = dir.SessionLogs();
  EXPECT_EQ(logs.size(), 1u);
  return logs.empty() ? std::vector<std::string>{} : Lines(dir.Read("Logs/" + logs[0]));
}

// The lines the script itself wrote: those after the front end's own lines.
std::vector<std::string> ScriptLines(const std::vector<std::string>& log) {
  std::vector<std::string> lines;
  for (const std::string& line : log)
    if (line.rfind("[Vexil]-", 0) != 0 && !line.empty()) lines.push_back(line);
  return lines;
}

ProcessResult RunOutScript(const ScratchDir& dir, const std::vector<std::string>& extra, const std::string& input) {
  std::vector<std::string> args = {"-f", "/dev/sg0", "-s", "out.scs"};
  args.insert(args.end(), extra.begin(), extra.end());
  return RunVexil(dir.path(), args, kSim, input);
}

TEST(OutputE2e, ScreenLogAndBothWithAnswersFromStandardInput) {
  ScratchDir dir;
  dir.Write("Scripts/out.scs", kScript);
  // Enter for the start prompt, then the answers to ASK, ASKFORNUMBER, INSTRUCT.
  const ProcessResult r = RunOutScript(dir, {}, "\nyes\n4x\n42\nok\n");
  ASSERT_EQ(r.status, 0) << r.out << r.err;

  EXPECT_NE(r.out.find("screen only 7\nboth  here\nplain   message\nContinue? (Yes/No)How many\n(_Byte:DEC)>"
                       "Illegal Decimal Character Detected...\nHow many\n(_Byte:DEC)>Insert a tape (Ok/Cancel)"
                       "n=42\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("log only"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("FAIL status"), std::string::npos) << r.out;

  const std::vector<std::string> log = SessionLog(dir);
  ASSERT_FALSE(log.empty());
  EXPECT_TRUE(
      std::regex_match(log[0], std::regex(R"(\[Vexil\]-\[NORMAL\]-\[\d\d:\d\d:\d\d\]: Logfile opened successfully\.)")))
      << log[0];
  // The script's own lines are written as they are, in order, after the front end's.
  const std::vector<std::string> expected = {"log only FF", "both  here", "plain log line", "n=42"};
  EXPECT_EQ(ScriptLines(log), expected);
  EXPECT_EQ(log.back(), "n=42");
}

TEST(OutputE2e, AutoReplyAnswersAskButNotTheOtherPrompts) {
  struct Case {
    const char* option;
    const char* input;
    const char* tail;  // last script line of the log
    bool fail;
  };
  const Case cases[] = {
      {"-y", "7\nOK\n", "n=7", false},  // ASK ... ONNO continues on yes
      {"-n", "", "stopped", true},      // and jumps on no, before any other prompt
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    ScratchDir dir;
    dir.Write("Scripts/out.scs", kScript);
    const ProcessResult r = RunOutScript(dir, {c.option}, c.input);
    ASSERT_EQ(r.status, c.fail ? 1 : 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("(Yes/No)"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("FAIL status") != std::string::npos, c.fail) << r.out;
    const std::vector<std::string> lines = ScriptLines(SessionLog(dir));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), c.tail);
  }
}

TEST(OutputE2e, EndOfInputAtAPromptEndsTheRun) {
  ScratchDir dir;
  dir.Write("Scripts/out.scs", kScript);
  const ProcessResult r = RunOutScript(dir, {"-y"}, "");  // ASKFORNUMBER finds no answer
  EXPECT_FALSE(r.timed_out);
  EXPECT_NE(r.out.find("How many\n(_Byte:DEC)>\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("RunTime Error: End of input at a prompt"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Error executing script!"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("n=0"), std::string::npos) << r.out;
}

}  // namespace
