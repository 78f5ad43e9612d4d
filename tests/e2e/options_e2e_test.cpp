// The command line of the real binary: banners, usage, syntax errors and
// conflicting modes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

const std::string kRule(67, '=');
const std::string kUsageStart = "Vexil is a diagnostic utility that tests whether";

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

const std::map<std::string, std::string> kSim = {{"VEXIL_SIM", "1"}};

TEST(CommandLine, HelpShowsBannersFirstThenTheUsageOfTheEdition) {
  struct Case {
    bool dell;
    const char* brand;
    bool tape_line;
  };
  for (const Case& c : {Case{false, "Halcyon", true}, Case{true, "Dell", false}}) {
    ScratchDir dir;
    if (c.dell) dir.Write("Scripts/.dell/marker", "");
    const ProcessResult r = RunVexil(dir.path(), {"-help"}, kSim);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const size_t version = r.out.find("Vexil version 6.7.0.0");
    const size_t usage = r.out.find(kUsageStart + " " + c.brand + " drives\n\n");
    ASSERT_NE(version, std::string::npos) << r.out;
    ASSERT_NE(usage, std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind(kRule + "\nVexil version 6.7.0.0\n", 0), 0u) << r.out;
    EXPECT_LT(version, usage);
    EXPECT_EQ(r.out.find("-t -> Firmware image file to use to create an upgrade tape") != std::string::npos,
              c.tape_line);
    EXPECT_NE(r.out.find("     -s -> The scriptfile to execute (Automatically exits when script is completed)\n"),
              std::string::npos);
    EXPECT_EQ(r.out.substr(r.out.size() - kRule.size() - 2), "\n" + kRule + "\n");
  }
}

// The common spellings answer like -help and -version.
TEST(CommandLine, HelpAndVersionSpellings) {
  for (const char* word : {"--help", "-h", "--version"}) {
    ScratchDir dir;
    const ProcessResult r = RunVexil(dir.path(), {word, "-x"}, kSim);
    EXPECT_EQ(r.status, 0) << word << r.out;
    EXPECT_EQ(Count(r.out, kUsageStart), std::string(word) == "--version" ? 0 : 1) << word << r.out;
    EXPECT_EQ(r.out.find("You must specify a valid option"), std::string::npos) << word << r.out;
  }
}

TEST(CommandLine, VersionShowsOnlyTheBanners) {
  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"-version", "-x"}, kSim);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind(kRule + "\nVexil version 6.7.0.0\n", 0), 0u) << r.out;
  EXPECT_EQ(Count(r.out, kRule), 4) << r.out;  // version banner and legal notice
  EXPECT_EQ(r.out.find(kUsageStart), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - kRule.size() - 2), kRule + "\n\n");
}

// VEXIL_SIM empty or 0 means the real system; a bench file that is not there
// stops the console before it starts.
TEST(CommandLine, VirtualDrivesOnlyWhenAsked) {
  struct Case {
    const char* value;
    int status;
  };
  for (const Case& c : {Case{"", 0}, Case{"0", 0}, Case{"no-such-bench.txt", 253}}) {
    ScratchDir dir;
    const ProcessResult r = RunVexil(dir.path(), {"-version"}, {{"VEXIL_SIM", c.value}});
    EXPECT_EQ(r.status, c.status) << c.value << r.err;
    EXPECT_EQ(r.err.find("cannot start the virtual drives") != std::string::npos, c.status == 253) << r.err;
  }
}

TEST(CommandLine, SyntaxErrorsShowTheLineAndTheUsage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    bool shows_line;
    int usages;
  };
  const Case cases[] = {
      {{"-f"}, 253, true, 1},  // a value is missing
      {{"-c", "-s"}, 253, true, 1},
      {{"-x"}, 253, true, 1},  // unknown option
      {{"-f", "/dev/sg0", "-X"}, 253, true, 1},
      {{"-x", "-help"}, 253, true, 1},         // -help comes too late
      {{"-help", "-x"}, 0, false, 1},          // never looked at
      {{"-c", "-u", "fw.bin"}, 253, true, 2},  // conflicting modes: usage twice
      {{"-p", "-b"}, 253, true, 2},
      {{"-b", "-t", "fw.bin"}, 253, true, 2},
      {{"-c", "-p", "-y"}, 253, true, 2},
      // -s beside another one-shot mode would silently not run.
      {{"-s", "x.scs", "-c"}, 253, true, 2},
      {{"-p", "cmds.txt", "-s", "x.scs"}, 253, true, 2},
      {{"-b", "-s", "x.scs"}, 253, true, 2},
      {{"-s", std::string(300, 's')}, 253, false, 1},  // refused, not cut
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    std::string line = std::string("\n<") + VEXIL_BINARY + " ";
    for (const std::string& a : c.args) line += a + " ";
    line += ">\nVexil: You must specify a valid option!\n";
    const ProcessResult r = RunVexil(dir.path(), c.args, kSim);
    EXPECT_EQ(r.status, c.status) << line << r.err;
    EXPECT_EQ(r.err.find(line) != std::string::npos, c.shows_line) << line << r.err;
    // The usage asked for is output; with an error it goes with the error.
    const bool asked = c.status == 0;
    EXPECT_EQ(Count(asked ? r.out : r.err, kUsageStart), c.usages) << line << r.out << r.err;
    EXPECT_EQ(Count(asked ? r.err : r.out, kUsageStart), 0) << line << r.out << r.err;
    // Nothing was selected: no device scan happened.
    EXPECT_EQ(r.out.find("Selected device"), std::string::npos);
  }
}

TEST(CommandLine, EnvironmentModesNeedExactlyOne) {
  ScratchDir dir;
  const ProcessResult r = RunVexil(
      dir.path(), {"-version"},
      {{"VEXIL_SIM", "1"}, {"VEXIL_ENG", "yes"}, {"VEXIL_SAS", "1"}, {"VEXIL_PARK", "1"}, {"VEXIL_TUNE", "1 "}});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Engineering mode is enabled!"), std::string::npos);
  EXPECT_EQ(r.out.find("Tune mode is enabled!"), std::string::npos);
  const size_t sas = r.out.find("\nSAS mode is enabled!\n");
  const size_t park = r.out.find("\nPark mode is enabled!\n");
  ASSERT_NE(sas, std::string::npos);
  ASSERT_NE(park, std::string::npos);
  EXPECT_LT(sas, park);
  EXPECT_LT(park, r.out.find("Vexil version"));  // announced as read, before the banners
}

TEST(CommandLine, BadVirtualDriveSettingEndsAt253) {
  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"-version"}, {{"VEXIL_SIM", dir.path() + "/no_such_bench"}});
  EXPECT_EQ(r.status, 253);
  EXPECT_NE(r.err.find("no_such_bench"), std::string::npos) << r.err;
}

}  // namespace
