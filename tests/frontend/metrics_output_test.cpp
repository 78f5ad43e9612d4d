// The Prometheus text of a health run, parsed back: every line a comment of
// a family declared once or a valid sample of it with escaped labels, and
// the samples each kind of device gives.
#include "frontend/metrics_output.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "base/utf8.h"
#include "frontend/health_fixture.h"
#include "support/scratch_workdir.h"

namespace {

using Labels = std::map<std::string, std::string>;

struct ParsedSample {
  std::string name;
  Labels labels;
  std::string value;
};

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':'; }
bool IsNameChar(char c) { return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

std::string NameAt(const std::string& line, size_t& at) {
  const size_t start = at;
  if (at < line.size() && IsNameStart(line[at])) {
    while (at < line.size() && IsNameChar(line[at])) ++at;
  }
  return line.substr(start, at - start);
}

// A label value after its opening quote, unescaped; only \\, \" and \n may
// be escaped and a raw line feed cannot occur.
bool ValueAt(const std::string& line, size_t& at, std::string& value) {
  for (; at < line.size(); ++at) {
    const char c = line[at];
    if (c == '"') {
      ++at;
      return true;
    }
    if (c != '\\') {
      value += c;
      continue;
    }
    if (++at == line.size()) return false;
    const char e = line[at];
    if (e != '\\' && e != '"' && e != 'n') return false;
    value += e == 'n' ? '\n' : e;
  }
  return false;
}

// name{label="value",...} value
bool ParseSample(const std::string& line, ParsedSample& sample) {
  size_t at = 0;
  sample.name = NameAt(line, at);
  if (sample.name.empty() || line[at] != '{') return false;
  ++at;
  while (line[at] != '}') {
    const std::string label = NameAt(line, at);
    if (label.empty() || line.compare(at, 2, "=\"") != 0) return false;
    at += 2;
    std::string value;
    if (!ValueAt(line, at, value) || !sample.labels.emplace(label, value).second) return false;
    if (line[at] == ',') ++at;
  }
  if (line.compare(at, 2, "} ") != 0) return false;
  sample.value = line.substr(at + 2);
  char* end = nullptr;
  std::strtod(sample.value.c_str(), &end);
  return !sample.value.empty() && *end == '\0';
}

// The samples of the text, after checking every line.
std::vector<ParsedSample> ParseBack(const std::string& text) {
  std::vector<ParsedSample> samples;
  std::set<std::string> helped, typed;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    SCOPED_TRACE(line);
    if (line.starts_with("# HELP ") || line.starts_with("# TYPE ")) {
      size_t at = 7;
      const std::string family = NameAt(line, at);
      EXPECT_FALSE(family.empty());
      EXPECT_TRUE((line[2] == 'H' ? helped : typed).insert(family).second) << "declared twice";
      if (line[2] == 'T') {
        const std::string type = line.substr(at);
        EXPECT_TRUE(type == " gauge" || type == " counter");
        EXPECT_EQ(type == " counter", family.ends_with("_total"));
      }
      continue;
    }
    ParsedSample sample;
    EXPECT_TRUE(ParseSample(line, sample)) << "not a sample";
    EXPECT_TRUE(typed.count(sample.name) == 1 && helped.count(sample.name) == 1) << "undeclared family";
    samples.push_back(sample);
  }
  EXPECT_TRUE(text.empty() || text.back() == '\n');
  return samples;
}

// The sample of that name whose labels include `labels`, or null.
const ParsedSample* Find(const std::vector<ParsedSample>& samples, const std::string& name, const Labels& labels) {
  for (const ParsedSample& s : samples) {
    if (s.name != name) continue;
    bool all = true;
    for (const auto& [label, value] : labels) all = all && s.labels.count(label) && s.labels.at(label) == value;
    if (all) return &s;
  }
  return nullptr;
}

TEST(HealthMetrics, EverySampleParsesBackWithTheDeviceLabels) {
  struct Expected {
    std::string name;
    Labels labels;
    const char* value;  // null: no such sample
  };
  struct Case {
    const char* name;
    DeviceHealth device;
    std::vector<Expected> samples;
  };
  const Case cases[] = {
      {"healthy",
       fixture::HealthyDrive(),
       {{"vexil_health_status",
         {{"serial", "HU1234567A"}, {"vendor", "HP"}, {"product", "Ultrium 6-SCSI"}, {"node", "/dev/sg1"}},
         "0"},
        {"vexil_device_info", {{"revision", "J5SW"}, {"type", "tape"}}, "1"},
        {"vexil_health_readable", {}, "1"},
        {"vexil_tape_alert_active", {}, nullptr},
        {"vexil_write_errors_corrected_total", {}, "0"},
        {"vexil_read_errors_corrected_total", {}, "12"},
        {"vexil_temperature_celsius", {}, "38"},
        {"vexil_temperature_reference_celsius", {}, "55"},
        {"vexil_loads_total", {}, "1234"},
        {"vexil_cleanings_total", {}, "5"},
        {"vexil_power_on_seconds_total", {}, "15555600"},
        {"vexil_written_bytes_total", {}, "129452998656"},
        {"vexil_read_bytes_total", {}, "245961326592"},
        {"vexil_cleaning_required", {}, "0"},
        {"vexil_cartridge_loaded", {}, "0"},
        {"vexil_cartridge_loads", {}, nullptr}}},
      {"alerting",
       fixture::AlertingDrive(),
       {{"vexil_health_status", {}, "2"},
        {"vexil_tape_alert_active", {{"serial", "HU7654321B"}, {"flag", "3"}, {"name", "Hard error"}}, "1"},
        {"vexil_tape_alert_active", {{"flag", "20"}, {"name", "Cleaning required"}}, "1"},
        {"vexil_write_errors_uncorrected_total", {}, "2"},
        {"vexil_cleaning_required", {}, "1"}}},
      {"unreadable",
       fixture::UnreadableDrive(),
       {{"vexil_health_status", {{"serial", ""}, {"node", "/dev/sg3"}}, "2"},
        {"vexil_health_readable", {}, "0"},
        {"vexil_temperature_celsius", {}, nullptr},
        {"vexil_cartridge_loaded", {}, nullptr}}},
      {"changer",
       fixture::Changer(),
       {{"vexil_device_info", {{"type", "changer"}}, "1"},
        {"vexil_health_status", {}, "0"},
        {"vexil_cartridge_loaded", {}, nullptr}}},
      {"cartridge",
       fixture::DriveWithCartridge(),
       {{"vexil_health_status", {}, "1"}, {"vexil_cartridge_loaded", {}, "1"}, {"vexil_cartridge_loads", {}, "57"}}},
      {"hostile",
       fixture::HostileDrive(),
       {{"vexil_health_status",
         {{"vendor", "Q\"uote"}, {"product", "back\\slash\nline"}, {"serial", text::ValidUtf8("SN|\x01\xff")}},
         "1"},
        {"vexil_device_info", {{"revision", text::ValidUtf8("\x7f\xc3\x28")}}, "1"},
        {"vexil_tape_alert_active",
         {{"flag", "21"}, {"name", text::ValidUtf8("Clean \"periodic\"\t\xed\xa0\x80")}},
         "1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<ParsedSample> samples = ParseBack(HealthMetrics(fixture::RunOf({c.device})));
    for (const ParsedSample& s : samples) {
      for (const char* label : {"serial", "vendor", "product", "node"}) EXPECT_EQ(s.labels.count(label), 1u) << s.name;
    }
    for (const Expected& e : c.samples) {
      SCOPED_TRACE(e.name);
      const ParsedSample* found = Find(samples, e.name, e.labels);
      if (e.value == nullptr) {
        EXPECT_EQ(found, nullptr);
      } else {
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->value, e.value);
      }
    }
  }
}

TEST(HealthMetrics, EachFamilyOnceWithTheSamplesOfEveryDevice) {
  std::vector<DeviceHealth> all;
  for (const fixture::NamedDevice& d : fixture::AllDevices()) all.push_back(d.make());
  const std::string text = HealthMetrics(fixture::RunOf(all));
  const std::vector<ParsedSample> samples = ParseBack(text);
  std::set<std::string> nodes;
  for (const ParsedSample& s : samples) {
    if (s.name == "vexil_health_status") nodes.insert(s.labels.at("node"));
  }
  EXPECT_EQ(nodes.size(), all.size());
  // A family's samples follow its HELP and TYPE lines, not spread over the file.
  std::string last;
  std::set<std::string> finished;
  for (const ParsedSample& s : samples) {
    if (s.name != last) {
      EXPECT_TRUE(finished.insert(s.name).second) << s.name;
    }
    last = s.name;
  }
  EXPECT_EQ(HealthMetrics(HealthRun{}), "");
}

TEST(WriteHealthMetrics, WritesTheRunOrSaysWhyNot) {
  const HealthRun run = fixture::RunOf({fixture::AlertingDrive()});
  ScratchWorkdir dir("metrics", {});
  const std::string path = dir.path() + "/vexil.prom";
  std::string error;
  ASSERT_TRUE(WriteHealthMetrics(path, run, error)) << error;
  std::ifstream in(path);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), HealthMetrics(run));
  EXPECT_FALSE(WriteHealthMetrics("/nonexistent/folder/vexil.prom", run, error));
  EXPECT_EQ(error, "Unable to write /nonexistent/folder/vexil.prom: No such file or directory");
}

}  // namespace
