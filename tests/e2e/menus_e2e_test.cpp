// The wizard through standard input: the device menu, the script menu with
// its letters and numbers, the description browser, command mode and parse
// mode, and the end of the input at every question.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "vexil_process.h"

namespace {

const std::map<std::string, std::string> kSim = {{"VEXIL_SIM", "1"}};
constexpr char kDeviceQuestion[] = "Select device then press 'Enter':";
constexpr char kScriptQuestion[] = "Select script or action, then press 'Enter':";
constexpr char kCommandQuestion[] = "Select command then press 'Enter':";

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Positions of the parts must rise in this order.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& parts) {
  size_t at = 0;
  for (const std::string& part : parts) {
    const size_t found = text.find(part, at);
    ASSERT_NE(found, std::string::npos) << "missing in order: " << part << "\n" << text;
    at = found + part.size();
  }
}

std::string Script(const char* kind, const char* description, const char* family = "ALL") {
  return std::string(kind) + "\nFAMILY " + family + "\nDESCRIPTION " + description + "\nSTART:\n    PASS \"" +
         description + " ran\"\n    EXIT 0\n";
}

// A folder with two tasks and two tests, deliberately out of order.
void WriteScripts(const ScratchDir& dir) {
  dir.Write("Scripts/zz_task.scs", Script("[TASK]", "Last task"));
  dir.Write("Scripts/Alpha_task.scs", Script("[TASK]", "First task"));
  dir.Write("Scripts/beta_test.scs", Script("[TEST]", "Second test"));
  dir.Write("Scripts/Beta_test.SCS", Script("[TEST]", "First test"));
  dir.Write("Scripts/dat_test.scs", Script("[TEST]", "Only for DAT", "DAT"));
  dir.Write("Scripts/readme.txt", "not a script");
}

TEST(DeviceMenu, AsksAgainUntilANumberOfTheListAndSelectsIt) {
  ScratchDir dir;
  WriteScripts(dir);
  // An answer longer than the input buffer is refused whole, not cut to "1".
  const std::string too_long = std::string(300, '0') + "1";
  const ProcessResult r = RunVexil(dir.path(), {}, kSim, "0\nx\n-1\n9\n99999999999\n" + too_long + "\n2\nX\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  ExpectInOrder(r.out,
                {"Vexil Wizard - Devices detected:\n", "\t1) [HU1234567A] [/dev/sg0] [HALCYON ULTRIUM-HH6",
                 "\t2) [HD16012345] [/dev/sg2] [HALCYON DAT160", kDeviceQuestion,
                 "Selected device = [HD16012345] [/dev/sg2] [HALCYON DAT160", "Drive family = DAT\n", kScriptQuestion});
  EXPECT_EQ(Count(r.out, kDeviceQuestion), 7u) << r.out;
  EXPECT_NE(r.out.find("The answer is too long (at most 254 characters)."), std::string::npos) << r.out;
  // The DAT drive gets the script of its family.
  EXPECT_NE(r.out.find("dat_test.scs"), std::string::npos) << r.out;
}

TEST(ScriptMenu, ListsTasksThenTestsSortedAndShowsDescriptions) {
  ScratchDir dir;
  WriteScripts(dir);
  const ProcessResult r = RunVexil(dir.path(), {}, kSim, "1\nh\n1\n4\n5\nzz\nE\nX\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const std::string lists =
      "\nTasks:\n1) Alpha_task.scs\n2) zz_task.scs\n\nTests:\n3) Beta_test.SCS\n4) beta_test.scs\n";
  ExpectInOrder(r.out, {"Drive family = LTO6_MDLC\n", "Vexil Wizard - Scripts found:\n" + lists, "\nOther:\n",
                        "Select 'C' to enter command mode\n", "Select 'X' to exit\n\n", kScriptQuestion, lists,
                        "Please select the script that you want information on or press E to exit : ",
                        "Script selected Alpha_task.scs\n\nFirst task\n",
                        "Script selected beta_test.scs\n\nSecond test\n", kScriptQuestion});
  EXPECT_EQ(r.out.find("dat_test.scs"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("readme.txt"), std::string::npos) << r.out;
  EXPECT_EQ(Count(r.out, "Script selected"), 2u) << r.out;  // 5 and zz show the lists again
  EXPECT_EQ(Count(r.out, "Please select the script that you want information on"), 5u) << r.out;
}

TEST(ScriptMenu, RunsTheChosenScriptAndComesBack) {
  ScratchDir dir;
  WriteScripts(dir);
  const ProcessResult r = RunVexil(dir.path(), {}, kSim, "1\n3\n\n2\n\nq\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  ExpectInOrder(r.out, {"Script entered\t\t->Beta_test.SCS<-", "Press 'Enter' when ready to continue", "First test ran",
                        kScriptQuestion, "Script entered\t\t->zz_task.scs<-", "Last task ran", kScriptQuestion});
  ASSERT_FALSE(dir.SessionLogs().empty());
  const std::string log = dir.Read("Logs/" + dir.SessionLogs()[0]);
  EXPECT_NE(log.find("./Scripts//"), std::string::npos) << log;
}

TEST(ScriptMenu, NamesAlikeInTheirFirst64CharactersRunTheirOwnFile) {
  ScratchDir dir;
  const std::string stem(70, 'n');
  dir.Write("Scripts/" + stem + "_first.scs", Script("[TEST]", "First of the twins"));
  dir.Write("Scripts/" + stem + "_second.scs", Script("[TEST]", "Second of the twins"));
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0"}, kSim, "2\n\nX\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("2) " + stem + "_second.scs\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Second of the twins ran"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("First of the twins ran"), std::string::npos) << r.out;
}

TEST(ScriptMenu, LettersNumbersAndOutOfRangeAnswers) {
  struct Case {
    const char* input;
    const char* expected;  // printed once the answer is taken
    size_t device_menus;   // times the device menu was shown
  };
  const Case cases[] = {
      // -1 is command mode, like C; 7 is its Exit.
      {"1\n-1\n7\nx\n", "Commands:\n", 1},
      // -263 names no action (it must not wrap round to D); 0 and 99 ask again.
      {"1\n-263\n0\n99\n-9\nQ\n", nullptr, 1},
      // D: the device menu again, then the other drive.
      {"1\nd\n2\nX\n", "Selected device = [HD16012345] [/dev/sg2]", 2},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    WriteScripts(dir);
    const ProcessResult r = RunVexil(dir.path(), {}, kSim, c.input);
    EXPECT_EQ(r.status, 0) << c.input << r.out << r.err;
    if (c.expected != nullptr) {
      EXPECT_NE(r.out.find(c.expected), std::string::npos) << c.input << r.out;
    }
    EXPECT_EQ(Count(r.out, "Vexil Wizard - Devices detected:"), c.device_menus) << c.input << r.out;
    EXPECT_EQ(r.out.find("Script entered"), std::string::npos) << c.input << r.out;
  }
}

TEST(Wizard, EndOfInputAtAnyQuestionEndsTheConsoleNormally) {
  struct Case {
    const char* input;
    const char* last_question;
  };
  const Case cases[] = {
      {"", kDeviceQuestion},       {"1\n", kScriptQuestion},
      {"1\nC\n", kScriptQuestion},  // command mode returns, then the script menu ends
      {"1\nH\n", kScriptQuestion}, {"1\nD\n", kDeviceQuestion},
      {"1\nP\n", kScriptQuestion}, {"1\n1\n", nullptr},  // at the Enter prompt the script still runs
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    WriteScripts(dir);
    const ProcessResult r = RunVexil(dir.path(), {}, kSim, c.input);
    EXPECT_EQ(r.status, 0) << '"' << c.input << '"' << r.out << r.err;
    EXPECT_FALSE(r.timed_out);
    if (c.last_question != nullptr) {
      EXPECT_LE(Count(r.out, c.last_question), 2u) << c.input << r.out;
      EXPECT_NE(r.out.find(c.last_question), std::string::npos) << c.input << r.out;
    }
  }
}

TEST(Wizard, ModeScriptsNeedTheirModeAndSasAlsoASasDrive) {
  struct Case {
    const char* node;
    std::map<std::string, std::string> env;
    bool tlr_shown;
    bool park_shown;
  };
  const Case cases[] = {
      {"/dev/sg0", {}, false, false},
      {"/dev/sg0", {{"VEXIL_SAS", "1"}, {"VEXIL_PARK", "1"}}, true, true},
      {"/dev/sg2", {{"VEXIL_SAS", "1"}}, false, false},  // the DAT drive does not answer as SAS
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.Write("Scripts/Turn_Off_On_TLR.xcs", Script("[TASK]", "TLR"));
    dir.Write("Scripts/Issue_Park_Command.xcs", Script("[TASK]", "Park"));
    dir.Write("Scripts/plain.scs", Script("[TASK]", "Plain"));
    std::map<std::string, std::string> env = kSim;
    env.insert(c.env.begin(), c.env.end());
    const ProcessResult r = RunVexil(dir.path(), {"-f", c.node}, env, "X\n");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("plain.scs"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Turn_Off_On_TLR.xcs") != std::string::npos, c.tlr_shown) << c.node << r.out;
    EXPECT_EQ(r.out.find("Issue_Park_Command.xcs") != std::string::npos, c.park_shown) << c.node << r.out;
  }
}

TEST(Wizard, NoScriptForTheDriveEndsWithTheSelectionFailure) {
  ScratchDir dir;
  dir.Write("Scripts/dat_test.scs", Script("[TEST]", "Only for DAT", "DAT"));
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0"}, kSim);
  EXPECT_EQ(r.status, 255) << r.out << r.err;
  ExpectInOrder(r.err, {"No scripts found!", "No compatible script files found\n"});
}

// Without ./Scripts/ the console says so, with the folder it looked in.
TEST(Wizard, MissingScriptsFolderIsNamed) {
  ScratchDir dir;
  std::filesystem::remove_all(dir.path() + "/Scripts");
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0"}, kSim);
  EXPECT_EQ(r.status, 255) << r.out << r.err;
  ExpectInOrder(r.err,
                {"Unable to open scripts directory!\n\t" + dir.path() + "/Scripts/ (No such file or directory)\n",
                 "No compatible script files found\n"});
  EXPECT_EQ(r.err.find("No scripts found!"), std::string::npos) << r.err;
}

TEST(Wizard, ScriptFolderNamedWithSRunsOneChoiceAndEnds) {
  ScratchDir dir;
  WriteScripts(dir);
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-s", "Scripts", "-y"}, kSim, "2\n1\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Script entered\t\t->zz_task.scs<-"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Last task ran"), std::string::npos) << r.out;
  EXPECT_EQ(Count(r.out, kScriptQuestion), 1u) << r.out;
  EXPECT_NE(dir.Read("Logs/" + dir.SessionLogs().at(0)).find("Scripts/zz_task.scs"), std::string::npos);
}

TEST(CommandMode, MenuCommandsAndTheWayOut) {
  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-c"}, kSim, "1\n0\nabc\n8\n2\n7\n1\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  ExpectInOrder(r.out, {"Commands:\n\t1) Test Unit Ready\n", "\t6) Get TapeAlerts\n\t7) Exit\n", kCommandQuestion,
                        "\nSending 'Test Unit Ready' command...\n", "Status: Drive is ready\n",
                        "\n'Test Unit Ready' command completed\n", "\nSending 'Inquiry' command...\n", "HALCYON ",
                        "ULTRIUM-HH6", "HU1234567A", "\n'Inquiry' command completed\n"});
  // 1, 0, abc, 8, 2 and 7 each saw the menu; after Exit nothing more is read.
  EXPECT_EQ(Count(r.out, kCommandQuestion), 6u) << r.out;
  EXPECT_EQ(Count(r.out, "Sending 'Test Unit Ready'"), 1u) << r.out;
}

// The session's status is 0 only when every command it sent succeeded; a
// failed command is reported with its sense in numbers and words, and its
// line says "failed", never "completed".
TEST(CommandMode, TapeCommandsAndTheTapeAlertReport) {
  struct Case {
    const char* bench;
    std::vector<std::string> in_order;
    const char* absent;
    int status;
  };
  const Case cases[] = {
      {"bench default\n",
       {"\nSending 'Unload' command...\n", "\n'Unload' command completed\n", "\nSending 'Load' command...\n",
        "\n'Load' command completed\n", "\nSending 'Rewind' command...\n", "\n'Rewind' command completed\n",
        "\nRetrieving TapeAlerts...\n", "No TapeAlerts are set.\n"},
       "Status: SenseKey",
       0},
      // Alerts are findings of a command that worked.
      {"bench default\ntapealert /dev/sg0 20\n",
       {"\nRetrieving TapeAlerts...\n", "\n*** Tape Alert: Clean Now\n***\tSeverity: Critical\n"},
       "No TapeAlerts are set.",
       0},
      // A drive that rejects the page: the failure and its sense, never "no alerts".
      {"bench default\nfault /dev/sg0 op=0x4d check=5/24/00 count=always\n",
       {"\nRetrieving TapeAlerts...\n", "Something happened in call to SCSI_DLL::FetchLog()...\n",
        "Status: SenseKey=05 ASC=24 ASCQ=00\nSense: ILLEGAL REQUEST, INVALID FIELD IN CDB.\n"},
       "No TapeAlerts are set.",
       2},
      // A page cut short: what arrived is shown, the rest is unknown, never "no alerts".
      {"bench default\ntapealert /dev/sg0 1,20\nfault /dev/sg0 op=0x4d data=29 count=always\n",
       {"\nRetrieving TapeAlerts...\n", "Log page 2Eh is incomplete: 29 of 324 bytes arrived.\n",
        "\n*** Tape Alert: Read Warning\n", "TapeAlert report incomplete: flags past the 29 bytes that arrived"},
       "No TapeAlerts are set.",
       2},
      {"bench default\nfault /dev/sg0 op=0x4d data=100 count=always\n",
       {"\nRetrieving TapeAlerts...\n", "Log page 2Eh is incomplete: 100 of 324 bytes arrived.\n",
        "TapeAlert report incomplete"},
       "No TapeAlerts are set.",
       2},
      {"bench default\nfault /dev/sg0 op=0x1b skip=1 check=2/3A/00 count=1\n",
       {"\nSending 'Unload' command...\n", "\n'Unload' command completed\n", "\nSending 'Load' command...\n",
        "Status: SenseKey=02 ASC=3A ASCQ=00\nSense: NOT READY, MEDIUM NOT PRESENT.\n", "\n'Load' command failed\n",
        "\n'Rewind' command failed\n", "No TapeAlerts are set.\n"},  // still unloaded
       "'Load' command completed",
       2},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.Write("drives.bench", c.bench);
    const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-c"},
                                     {{"VEXIL_SIM", dir.path() + "/drives.bench"}}, "5\n3\n4\n6\n7\n");
    EXPECT_EQ(r.status, c.status) << c.bench << r.out << r.err;
    ExpectInOrder(r.out, c.in_order);
    EXPECT_EQ(r.out.find(c.absent), std::string::npos) << c.bench << r.out;
  }
}

// An autoloader's flags are reported by their changer meaning.
TEST(CommandMode, ChangerTapeAlertsByTheirChangerMeaning) {
  ScratchDir dir;
  dir.Write("drives.bench", "bench default\ntapealert /dev/sg1 16,40\n");
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg1", "-c"},
                                   {{"VEXIL_SIM", dir.path() + "/drives.bench"}, {"VEXIL_MC", "true"}}, "6\n7\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  ExpectInOrder(r.out, {"\nRetrieving TapeAlerts...\n", "\n*** Tape Alert: Library Door\n***\tSeverity: Critical\n",
                        "\n*** Tape Alert: Flag 40 - no description\n"});
  EXPECT_EQ(r.out.find("Clean Now"), std::string::npos) << r.out;
}

TEST(CommandMode, RemovableDiskGetsFourEntries) {
  ScratchDir dir;
  dir.Write("disk.bench", "device /dev/sg3 type=disk product=BRAMBLE\n");
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg3", "-c"},
                                   {{"VEXIL_SIM", dir.path() + "/disk.bench"}, {"VEXIL_HDD", "true"}}, "3\n4\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Commands:\n\t1) Test Unit Ready\n\t2) Inquiry\n\t3) Unload\n\t4) Exit\n\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\nSending 'Unload' command...\n"), std::string::npos) << r.out;  // entry 3
}

TEST(ParseMode, SessionFromAFile) {
  ScratchDir dir;
  dir.Write("commands.txt",
            "# TEST UNIT READY, then a standard INQUIRY of 36 bytes\n"
            "cdb 6 NONE 0 0 0 0 0 0\n"
            "CDB 6 in 24 12 0 0 0 24 0\n"
            "data 4 1 2\n"
            "\n"
            "timeout 600\n"
            "timeout 0x10\n"
            "timeout 0\n"
            "hello\n"
            "quit\n"
            "cdb 6 none 0 0 0 0 0 0\n");
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-p", "commands.txt"}, kSim);
  EXPECT_EQ(r.status, 2) << r.out << r.err;  // lines were refused
  ExpectInOrder(r.out,
                {"\n>> CDB (6):\n00 00 00 00 00 00 \nCDB direction = NONE\nCDB xfer len = 0\n",
                 "\n>> CDB (6):\n12 00 00 00 24 00 \nCDB direction = IN\nCDB xfer len = 36\n",
                 "\n>> Data buffer length truncated (3)\nData buffer (2):\n01 02 \n",
                 "\n>> SCSI timeout changed from 300 to 600\n", "\n>> Timeout value was not valid\n",
                 "\n>> Timeout must be from 1 to 4294967 seconds\n", "\n>> \nInvalid command!\n", "\n>> \nGoodbye"});
  EXPECT_EQ(Count(r.out, "CDB ("), 2u) << r.out;
  // Parse mode traces every command and its data.
  EXPECT_NE(r.err.find("0x12 0x00 0x00 0x00 0x24 0x00"), std::string::npos) << r.err;
}

// The session's status is 0 only when every command line was carried out and
// every command sent succeeded. Comments may follow a command; only the word
// "mod" ends the session silently.
TEST(ParseMode, StatusSaysWhetherEveryCommandWasCarriedOut) {
  struct Case {
    const char* name;
    std::string commands;
    std::string bench;
    int status;
    std::vector<std::string> in_order;
    const char* absent;
  };
  const Case cases[] = {
      {"comments after commands, blanks before them",
       "  # a comment line\n  cdb 6 NONE 0 0 0 0 0 0   # TEST UNIT READY\n\tdata 4 1 2 # two of four\n3 4\n"
       "timeout 600 # seconds\ncdb 6 IN 24 12 0 0 0 # the rest on the next line\n  # (a comment inside the list)\n"
       "24 0\nquit\n",
       "",
       0,
       {"CDB direction = NONE", "Data buffer (4):\n01 02 03 04 \n", "SCSI timeout changed from 300 to 600",
        "CDB (6):\n12 00 00 00 24 00 \n", "Goodbye"},
       "Invalid"},
      {"a command the drive rejects",
       "cdb 6 NONE 0 0 0 0 0 0\ncdb 6 NONE 0 0 0 0 0 0\n",
       "fault /dev/sg0 op=0x00 check=2/04/01 count=always\n",
       2,
       {"Status: SenseKey=02 ASC=04 ASCQ=01\nSense: NOT READY, LOGICAL UNIT IS IN PROCESS OF BECOMING READY.\n",
        "CDB direction = NONE"},
       nullptr},
      {"a line that is refused",
       "hello\ncdb 6 NONE 0 0 0 0 0 0\n",
       "",
       2,
       {"\nInvalid command!\n", "CDB (6)"},
       nullptr},
      {"the input ends inside a CDB", "cdb 6 NONE 0 0 0\n", "", 2, {}, "CDB (6)"},
      {"a word that only begins with mod",
       "model\ncdb 6 NONE 0 0 0 0 0 0\n",
       "",
       2,
       {"\nInvalid command!\n", "CDB (6)"},
       nullptr},
      {"mod ends the session", "mod\ncdb 6 NONE 0 0 0 0 0 0\n", "", 0, {}, "CDB (6)"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.Write("commands.txt", c.commands);
    dir.Write("drives.bench", "bench default\n" + c.bench);
    const ProcessResult r =
        RunVexil(dir.path(), {"-f", "/dev/sg0", "-p", "commands.txt"}, {{"VEXIL_SIM", dir.path() + "/drives.bench"}});
    EXPECT_EQ(r.status, c.status) << c.name << r.out << r.err;
    ExpectInOrder(r.out, c.in_order);
    if (c.absent != nullptr) {
      EXPECT_EQ(r.out.find(c.absent), std::string::npos) << c.name << r.out;
    }
  }
}

// The example of the README, pasted as it stands (indented), runs cleanly.
TEST(ParseMode, TheReadmeExampleRunsAsPasted) {
  ScratchDir dir;
  const std::string readme = dir.Read(std::string(VEXIL_SOURCE_DIR) + "/README.md");
  const size_t intro = readme.find("Parse mode reads one command per line");
  ASSERT_NE(intro, std::string::npos);
  const size_t start = readme.find("\n    ", intro);
  const size_t end = readme.find("\n\n", start + 1);
  ASSERT_NE(end, std::string::npos);
  const std::string example = readme.substr(start + 1, end - start);
  ASSERT_NE(example.find("quit"), std::string::npos) << example;
  dir.Write("example.txt", example);
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-p", "example.txt"}, kSim);
  EXPECT_EQ(r.status, 0) << example << r.out << r.err;
  for (const char* refused : {"Invalid", "not valid", "Insufficient"}) {
    EXPECT_EQ(r.out.find(refused), std::string::npos) << refused << r.out;
  }
  ExpectInOrder(r.out, {"CDB direction = NONE", "CDB direction = IN", "CDB (10):", "CDB direction = OUT",
                        "SCSI timeout changed", "Goodbye"});
}

// -p FILE without -f: the drive is chosen at the terminal, never by a word of
// the file; without an answer there is no device (254) and nothing is sent.
TEST(ParseMode, FileWithoutFChoosesTheDriveAtTheTerminal) {
  struct Case {
    const char* answer;
    int status;
    bool sent;
  };
  for (const Case& c : {Case{"2\n", 0, true}, Case{"", 254, false}}) {
    ScratchDir dir;
    dir.Write("commands.txt", "1\ncdb 6 IN 24 12 0 0 0 24 0\nquit\n");
    const ProcessResult r = RunVexil(dir.path(), {"-p", "commands.txt"}, kSim, c.answer);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_EQ(r.out.find("Selected device = [HD16012345] [/dev/sg2]") != std::string::npos, c.sent) << r.out;
    EXPECT_EQ(r.out.find("CDB (6):\n12 00 00 00 24 00") != std::string::npos, c.sent) << r.out;
  }
}

// End of input at the device menu of a mode that needs a drive is "no device".
TEST(DeviceMenu, EndOfInputForAModeIsNoDevice) {
  const std::vector<std::vector<std::string>> modes = {{"-s", "x.scs"}, {"-c"},           {"-p"},
                                                       {"-b"},          {"-u", "fw.bin"}, {"-t", "fw.bin"}};
  for (const auto& args : modes) {
    ScratchDir dir;
    WriteScripts(dir);
    const ProcessResult r = RunVexil(dir.path(), args, kSim, "");
    EXPECT_EQ(r.status, 254) << args[0] << r.out << r.err;
    EXPECT_NE(r.out.find(kDeviceQuestion), std::string::npos) << r.out;
  }
}

TEST(ParseMode, HiddenWizardChoiceReturnsToTheMenu) {
  ScratchDir dir;
  WriteScripts(dir);
  const ProcessResult r = RunVexil(dir.path(), {}, kSim, "1\nP\ncdb 6 none 0 0 0 0 0 0\nmod\nX\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  ExpectInOrder(r.out, {kScriptQuestion, "CDB direction = NONE", kScriptQuestion});
  EXPECT_EQ(r.out.find("Select 'P'"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Goodbye"), std::string::npos) << r.out;
}

}  // namespace
