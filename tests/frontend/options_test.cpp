#include "frontend/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine Parse(std::vector<std::string> words) {
  std::vector<const char*> argv = {"vexil"};
  for (const std::string& word : words) argv.push_back(word.c_str());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

struct OutcomeCase {
  std::vector<std::string> words;
  ParseOutcome outcome;
  std::string bad_argument;
};

TEST(ParseCommandLine, OutcomeOfEachLine) {
  const std::vector<OutcomeCase> cases = {
      {{}, ParseOutcome::kRun, ""},
      {{"-help"}, ParseOutcome::kHelp, ""},
      {{"-help", "-x"}, ParseOutcome::kHelp, ""},  // later arguments are never examined
      {{"-version", "-f"}, ParseOutcome::kVersion, ""},
      {{"-x", "-help"}, ParseOutcome::kUnknown, "-x"},
      {{"-f", "/dev/sg0", "-X"}, ParseOutcome::kUnknown, "-X"},
      {{"-HELP"}, ParseOutcome::kUnknown, "-HELP"},  // compared case-sensitively
      {{"-f"}, ParseOutcome::kMissingValue, "-f"},
      {{"-c", "-s"}, ParseOutcome::kMissingValue, "-s"},
      {{"-c", "-u", "fw.bin"}, ParseOutcome::kConflict, ""},
      {{"-c", "-t", "fw.bin"}, ParseOutcome::kConflict, ""},
      {{"-c", "-p"}, ParseOutcome::kConflict, ""},
      {{"-c", "-b"}, ParseOutcome::kConflict, ""},
      {{"-p", "-b"}, ParseOutcome::kConflict, ""},
      {{"-p", "-u", "fw.bin"}, ParseOutcome::kConflict, ""},
      {{"-b", "-t", "fw.bin"}, ParseOutcome::kConflict, ""},
      {{"-c", "-b", "-help"}, ParseOutcome::kHelp, ""},           // -help is met before conflicts are judged
      {{"-s", "x.scs", "-u", "fw.bin"}, ParseOutcome::kRun, ""},  // -s is simply ignored later
      {{"-c", "-y", "-v"}, ParseOutcome::kRun, ""},
  };
  for (const OutcomeCase& c : cases) {
    std::string shown;
    for (const std::string& w : c.words) shown += w + " ";
    const CommandLine line = Parse(c.words);
    EXPECT_EQ(line.outcome, c.outcome) << shown;
    EXPECT_EQ(line.bad_argument, c.bad_argument) << shown;
  }
}

TEST(ParseCommandLine, ValuesAreTakenWhateverTheyLookLike) {
  const CommandLine line = Parse({"-f", "-s", "-s", "-help"});
  ASSERT_EQ(line.outcome, ParseOutcome::kRun);
  EXPECT_TRUE(line.has_device);
  EXPECT_EQ(line.device, "-s");
  EXPECT_TRUE(line.has_script);
  EXPECT_EQ(line.script, "-help");
}

TEST(ParseCommandLine, LaterFirmwareOptionOverwritesThePath) {
  CommandLine line = Parse({"-t", "tape.bin", "-u", "image.bin"});
  EXPECT_EQ(line.firmware, "image.bin");
  EXPECT_TRUE(line.tape);  // the tape flag stays once -t was seen
  line = Parse({"-u", "image.bin"});
  EXPECT_FALSE(line.tape);
}

TEST(ParseCommandLine, ParseModeFileIsTakenOnlyWhenItIsNoOption) {
  CommandLine line = Parse({"-p", "commands.txt", "-y"});
  EXPECT_TRUE(line.parse);
  EXPECT_EQ(line.parse_file, "commands.txt");
  EXPECT_EQ(line.auto_reply, 1);

  line = Parse({"-p", "-y"});
  EXPECT_TRUE(line.parse);
  EXPECT_EQ(line.parse_file, "");
  EXPECT_EQ(line.auto_reply, 1);
}

TEST(ParseCommandLine, AnswerAndTraceSwitches) {
  struct Case {
    std::vector<std::string> words;
    int auto_reply;
    bool debug, verbose;
  };
  const std::vector<Case> cases = {
      {{}, 0, false, false},    {{"-y"}, 1, false, false}, {{"-n"}, -1, false, false}, {{"-y", "-n"}, -1, false, false},
      {{"-v"}, 0, true, false}, {{"-vv"}, 0, true, true},
  };
  for (const Case& c : cases) {
    const CommandLine line = Parse(c.words);
    EXPECT_EQ(line.auto_reply, c.auto_reply);
    EXPECT_EQ(line.debug, c.debug);
    EXPECT_EQ(line.verbose, c.verbose);
  }
}

TEST(ParseCommandLine, OverlongInputIsRefusedNotCut) {
  const std::string arg1024(1024, 'a');
  const std::string arg1023(1023, 'a');
  EXPECT_EQ(Parse({arg1024}).outcome, ParseOutcome::kTooLong);
  EXPECT_EQ(Parse({"-f", "/dev/sg0", arg1024}).bad_argument, "");
  EXPECT_EQ(Parse({arg1023}).outcome, ParseOutcome::kUnknown);

  // Field limits: 63 characters for a device file, 255 for paths.
  EXPECT_EQ(Parse({"-f", std::string(63, 'd')}).outcome, ParseOutcome::kRun);
  EXPECT_EQ(Parse({"-f", std::string(64, 'd')}).outcome, ParseOutcome::kTooLong);
  EXPECT_EQ(Parse({"-s", std::string(255, 's')}).outcome, ParseOutcome::kRun);
  EXPECT_EQ(Parse({"-s", std::string(256, 's')}).outcome, ParseOutcome::kTooLong);
  EXPECT_EQ(Parse({"-s", std::string(256, 's')}).bad_argument, "-s");
  EXPECT_EQ(Parse({"-u", std::string(256, 'u')}).outcome, ParseOutcome::kTooLong);
  EXPECT_EQ(Parse({"-t", std::string(256, 't')}).outcome, ParseOutcome::kTooLong);
}

}  // namespace
