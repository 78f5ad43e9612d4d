// The read-only reports as a technician and a monitoring system meet them:
// --health on benches that are healthy, failing, unreadable; the trace of a
// run; the JSON documents against their schemas; the metrics file; the
// plugin line and its codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "vexil_process.h"

namespace {

const std::string kSource = VEXIL_SOURCE_DIR;

std::map<std::string, std::string> Bench(const std::string& name) {
  return {{"VEXIL_SIM", kSource + "/Scripts/Benches/" + name + ".bench"}};
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Verdict and exit status of --health, per bench.
TEST(Health, VerdictsAndExitStatuses) {
  struct Case {
    const char* bench;
    std::vector<std::string> args;
    int status;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"health_fleet", {"--health"}, 0, {"Verdict              OK\n"}},
      {"health_alerts",
       {"--health", "-f", "/dev/sg0"},
       2,
       {"Verdict              FAIL\n", "TapeAlert 3 Hard Error: The operation has stopped",
        "TapeAlert 20 Clean Now: The tape drive needs cleaning"}},
      {"health_hot", {"--health", "-f", "/dev/sg0"}, 1, {"Verdict              WARNING\n", "Temperature 68 C"}},
      // Pages that fail are never OK: one device unreadable, the other
      // read; a run of only unreadable devices knows nothing.
      {"health_log_fail",
       {"--health"},
       2,
       {"Tape drive /dev/sg0 (HU1234567A)", "Verdict              UNREADABLE\n", "04/44/00"}},
      {"health_log_fail", {"--health", "-f", "/dev/sg0"}, 3, {"Verdict              UNREADABLE\n"}},
      // Counter pages cut short: what they would have said is unknown.
      {"short_log_pages",
       {"--health", "-f", "/dev/sg0"},
       2,
       {"Verdict              FAIL\n", "The write error counters (page 02h) could not be read: cut short: 24 of 64"}},
      // A changer: its flags by the changer table, no cartridge of its own.
      {"health_fleet", {"--check", "-f", "/dev/sg9"}, 0, {"OK - HU00000009: no TapeAlert"}},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const ProcessResult r = RunVexil(dir.path(), c.args, Bench(c.bench));
    EXPECT_EQ(r.status, c.status) << c.bench << "\n" << r.out << r.err;
    for (const std::string& text : c.shown)
      EXPECT_NE(r.out.find(text), std::string::npos) << c.bench << ": " << text << "\n" << r.out;
    EXPECT_EQ(r.out.find("Vexil version"), std::string::npos) << "banner in the report";
  }
  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"--health"}, Bench("health_fleet"));
  EXPECT_EQ(Count(r.out, "Verdict              OK\n"), 16u) << r.out;
  const ProcessResult changer = RunVexil(dir.path(), {"--health", "-f", "/dev/sg1"}, {{"VEXIL_SIM", "1"}});
  EXPECT_EQ(changer.status, 0) << changer.out << changer.err;
  EXPECT_NE(changer.out.find("Changer /dev/sg1 (HL0987654321)"), std::string::npos) << changer.out;
}

// Flags that persist show on every run, and nothing the run sends moves
// the tape or changes the drive.
TEST(Health, ReadsWithoutChangingTheDrive) {
  ScratchDir dir;
  for (int run = 0; run < 2; ++run) {
    const ProcessResult r = RunVexil(dir.path(), {"--health", "-v"}, Bench("health_alerts"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("TapeAlert 3 Hard Error"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("TapeAlert 20 Clean Now"), std::string::npos) << r.out;
    std::set<std::string> opcodes;
    std::smatch m;
    const std::regex cdb(R"(CDB \(\d+\) =  (0x[0-9A-F]{2}))");
    for (auto it = std::sregex_iterator(r.err.begin(), r.err.end(), cdb); it != std::sregex_iterator(); ++it) {
      opcodes.insert((*it)[1]);
    }
    ASSERT_FALSE(opcodes.empty()) << "no trace";
    // SPACE, LOCATE, READ, WRITE, LOAD/UNLOAD, LOG SELECT, REWIND, ERASE, MOVE MEDIUM.
    for (const char* op : {"0x11", "0x2B", "0x92", "0x08", "0x28", "0x88", "0x0A", "0x2A", "0x8A", "0x1B", "0x4C",
                           "0x01", "0x19", "0xA5"}) {
      EXPECT_EQ(opcodes.count(op), 0u) << op;
    }
  }
}

// Each JSON document validates against its schema.
TEST(Health, JsonDocumentsMatchTheirSchemas) {
  if (std::system("python3 -c 'import jsonschema' 2>/dev/null") != 0) GTEST_SKIP() << "python3-jsonschema missing";
  struct Case {
    const char* kind;
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
  };
  ScratchDir dir;
  dir.Write("Scripts/ok.scs",
            "[TEST]\nFAMILY ALL\nDESCRIPTION ok\nSTART:\nPRINT BOTH 'said by the script'\nPASS \"ran\"\n");
  const Case cases[] = {
      {"health", {"--health", "--json"}, Bench("health_alerts")},
      {"health", {"--health", "--json"}, Bench("health_log_fail")},
      {"health", {"--health", "--json", "-f", "/dev/sg0"}, Bench("health_hot")},
      {"list", {"--list", "--json"}, {{"VEXIL_SIM", "1"}}},
      {"script_run", {"-f", "/dev/sg0", "-s", "ok.scs", "-y", "--json"}, {{"VEXIL_SIM", "1"}}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const ProcessResult r = RunVexil(dir.path(), c.args, c.env);
    const std::string file = "doc" + std::to_string(n++) + ".json";
    dir.Write(file, r.out);
    const std::string check = "python3 " + kSource + "/tests/frontend/check_json_schema.py " + kSource + "/schema " +
                              c.kind + " " + dir.path() + "/" + file;
    EXPECT_EQ(std::system(check.c_str()), 0) << c.kind << "\n" << r.out;
  }
  // The script's own words went to standard error, the document alone out.
  const ProcessResult r = RunVexil(dir.path(), cases[4].args, cases[4].env);
  EXPECT_EQ(r.out.find("said by the script"), std::string::npos);
  EXPECT_NE(r.err.find("said by the script"), std::string::npos);
  EXPECT_NE(r.out.find("\"verdict\": \"PASS\""), std::string::npos) << r.out;
}

// Every line of the metrics file is a comment or a sample with its labels.
TEST(Health, MetricsFileHoldsOnlySamples) {
  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"--metrics", dir.path() + "/vexil.prom"}, Bench("health_alerts"));
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(r.out, "");  // --metrics alone prints nothing
  const std::string text = dir.Read("vexil.prom");
  const std::regex sample(
      R"re([a-z_]+\{serial="[^"\\]*",vendor="[^"\\]*",product="[^"\\]*",node="[^"\\]*"(,[a-z]+="(\\.|[^"\\])*")*\} -?[0-9]+(\.[0-9]+)?)re");
  std::istringstream in(text);
  int samples = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# HELP ", 0) == 0 || line.rfind("# TYPE ", 0) == 0) continue;
    EXPECT_TRUE(std::regex_match(line, sample)) << line;
    ++samples;
  }
  EXPECT_GT(samples, 0);
  EXPECT_NE(text.find("flag=\"20\",name=\"Clean Now\"} 1\n"), std::string::npos) << text;

  // A file that cannot be written: the watcher learns nothing new, status 3.
  const ProcessResult blocked =
      RunVexil(dir.path(), {"--metrics", dir.path() + "/no/such/folder/vexil.prom"}, Bench("health_fleet"));
  EXPECT_EQ(blocked.status, 3);
  EXPECT_NE(blocked.err.find("Unable to write"), std::string::npos) << blocked.err;
}

TEST(Health, ReportsRunAlone) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"--health", "--check"},
                                                                                    {"--mam", "--list"},
                                                                                    {"--health", "-s", "x.scs"},
                                                                                    {"--json"},
                                                                                    {"--check", "--json"},
                                                                                    {"--list", "-c"}}) {
    ScratchDir dir;
    const ProcessResult r = RunVexil(dir.path(), args, {{"VEXIL_SIM", "1"}});
    EXPECT_EQ(r.status, 253) << args[0] << " " << args[1 % args.size()];
  }
}

// No device at all: the plugin knows nothing, and says so.
TEST(Health, NoDeviceIsUnknown) {
  ScratchDir dir;
  dir.Write("empty.bench", "# no devices\n");
  const ProcessResult r = RunVexil(dir.path(), {"--check"}, {{"VEXIL_SIM", dir.path() + "/empty.bench"}});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "UNKNOWN - no tape drive or changer found\n");
  EXPECT_NE(r.err.find("No SCSI devices found"), std::string::npos) << r.err;
}

}  // namespace
