#include "frontend/metrics_output.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "base/atomic_file.h"
#include "base/utf8.h"
#include "frontend/health_output.h"

namespace {

using Labels = std::vector<std::pair<std::string, std::string>>;

struct Sample {
  Labels labels;
  std::string value;
};

// One metric family: its name, type and help, and the samples of a device
// (none where the figure was not read).
struct Family {
  const char* name;
  const char* type;
  const char* help;
  std::vector<Sample> (*samples)(const DeviceHealth&);
};

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kSecondsPerHour = 3600;

template <typename Number>
std::vector<Sample> One(const std::optional<Number>& value, uint64_t scale = 1) {
  if (!value) return {};
  return {{{}, std::to_string(*value * static_cast<Number>(scale))}};
}

std::vector<Sample> Flag(bool set) { return {{{}, set ? "1" : "0"}}; }

std::vector<Sample> IfRead(const DeviceHealth& d, std::vector<Sample> samples) {
  return d.verdict == HealthVerdict::kUnreadable ? std::vector<Sample>{} : samples;
}

std::vector<Sample> Status(const DeviceHealth& d) { return {{{}, std::to_string(HealthStatus(d))}}; }

std::vector<Sample> TapeAlerts(const DeviceHealth& d) {
  std::vector<Sample> samples;
  for (const int flag : d.tape_alerts) {
    samples.push_back({{{"flag", std::to_string(flag)}, {"name", TapeAlertFlagName(d, flag)}}, "1"});
  }
  return samples;
}

std::vector<Sample> Info(const DeviceHealth& d) {
  return {{{{"revision", d.revision}, {"type", d.changer ? "changer" : "tape"}}, "1"}};
}

std::vector<Sample> CartridgeLoads(const DeviceHealth& d) {
  return d.cartridge ? One(d.cartridge->load_count) : std::vector<Sample>{};
}

// Counters count from the drive's manufacture or from when its log was last
// reset; values that follow the loaded cartridge are gauges.
constexpr std::array<Family, 18> kFamilies = {{
    {"vexil_device_info", "gauge", "Identity of the device: its firmware revision and type.", Info},
    {"vexil_health_status", "gauge", "Health verdict: 0 OK, 1 WARNING, 2 FAIL or unreadable.", Status},
    {"vexil_health_readable", "gauge", "1 when the device's health pages could be read, else 0.",
     [](const DeviceHealth& d) { return Flag(d.verdict != HealthVerdict::kUnreadable); }},
    {"vexil_tape_alert_active", "gauge", "TapeAlert flag set on the device.", TapeAlerts},
    {"vexil_write_errors_corrected_total", "counter", "Write errors corrected by the drive.",
     [](const DeviceHealth& d) { return One(d.write_errors_corrected); }},
    {"vexil_write_errors_uncorrected_total", "counter", "Write errors the drive could not correct.",
     [](const DeviceHealth& d) { return One(d.write_errors_uncorrected); }},
    {"vexil_read_errors_corrected_total", "counter", "Read errors corrected by the drive.",
     [](const DeviceHealth& d) { return One(d.read_errors_corrected); }},
    {"vexil_read_errors_uncorrected_total", "counter", "Read errors the drive could not correct.",
     [](const DeviceHealth& d) { return One(d.read_errors_uncorrected); }},
    {"vexil_temperature_celsius", "gauge", "Temperature of the drive.",
     [](const DeviceHealth& d) { return One(d.temperature_c); }},
    {"vexil_temperature_reference_celsius", "gauge", "Reference (highest rated) temperature of the drive.",
     [](const DeviceHealth& d) { return One(d.temperature_reference_c); }},
    {"vexil_loads_total", "counter", "Cartridge loads over the drive's life.",
     [](const DeviceHealth& d) { return One(d.lifetime_loads); }},
    {"vexil_cleanings_total", "counter", "Cleaning cartridge loads over the drive's life.",
     [](const DeviceHealth& d) { return One(d.lifetime_cleanings); }},
    {"vexil_power_on_seconds_total", "counter", "Power-on time of the drive, counted in whole hours.",
     [](const DeviceHealth& d) { return One(d.power_on_hours, kSecondsPerHour); }},
    {"vexil_written_bytes_total", "counter", "Data written over the drive's life, counted in MiB.",
     [](const DeviceHealth& d) { return One(d.lifetime_mib_written, kMiB); }},
    {"vexil_read_bytes_total", "counter", "Data read over the drive's life, counted in MiB.",
     [](const DeviceHealth& d) { return One(d.lifetime_mib_read, kMiB); }},
    {"vexil_cleaning_required", "gauge", "1 when the drive asks to be cleaned, else 0.",
     [](const DeviceHealth& d) { return d.cleaning_required ? Flag(*d.cleaning_required) : std::vector<Sample>{}; }},
    {"vexil_cartridge_loaded", "gauge", "1 when a cartridge is loaded in the drive, else 0.",
     [](const DeviceHealth& d) { return d.changer ? std::vector<Sample>{} : IfRead(d, Flag(d.cartridge_loaded)); }},
    {"vexil_cartridge_loads", "gauge", "Load count of the loaded cartridge, from its memory.", CartridgeLoads},
}};

// A label value inside double quotes: backslash, double quote and line feed
// escaped, invalid UTF-8 replaced.
std::string LabelValue(std::string_view value) {
  std::string out;
  for (const char c : text::ValidUtf8(value)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return out;
}

std::string LabelSet(const DeviceHealth& d, const Labels& own) {
  Labels labels = {{"serial", d.serial}, {"vendor", d.vendor}, {"product", d.product}, {"node", d.node}};
  labels.insert(labels.end(), own.begin(), own.end());
  std::string out = "{";
  for (const auto& [name, value] : labels) out += (out.size() > 1 ? "," : "") + name + "=\"" + LabelValue(value) + "\"";
  return out + "}";
}

}  // namespace

std::string HealthMetrics(const HealthRun& run) {
  std::string out;
  for (const Family& family : kFamilies) {
    std::string lines;
    for (const DeviceHealth& d : run.devices) {
      for (const Sample& s : family.samples(d)) lines += family.name + LabelSet(d, s.labels) + " " + s.value + "\n";
    }
    if (lines.empty()) continue;
    out += std::string("# HELP ") + family.name + " " + family.help + "\n";
    out += std::string("# TYPE ") + family.name + " " + family.type + "\n";
    out += lines;
  }
  return out;
}

bool WriteHealthMetrics(const std::string& path, const HealthRun& run, std::string& error) {
  return WriteFileAtomically(path, HealthMetrics(run), error);
}
