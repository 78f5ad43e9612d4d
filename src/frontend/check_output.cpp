#include "frontend/check_output.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "frontend/health_output.h"

namespace {

// The plugin states by exit status.
constexpr std::array<const char*, 4> kStates = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};

// The line must stay one line, and a '|' would start the performance data.
std::string OneLine(std::string_view t) {
  std::string out(t);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '|') c = '?';
  }
  return out;
}

// A performance data label: letters, digits, '.', '-' and '_' only, so it
// needs no quoting.
std::string PerfLabel(const DeviceHealth& d, const char* figure) {
  std::string label = DeviceLabel(d) + "_" + figure;
  for (char& c : label) {
    const bool plain =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
    if (!plain) c = '_';
  }
  return label;
}

std::string DeviceSummary(const DeviceHealth& d) {
  std::vector<std::string> items;
  if (d.verdict == HealthVerdict::kUnreadable) items.push_back("unreadable");
  if (!d.tape_alerts.empty()) {
    std::string alerts = "TapeAlert";
    for (size_t i = 0; i < d.tape_alerts.size(); ++i) {
      const int flag = d.tape_alerts[i];
      alerts += (i == 0 ? " " : ", ") + std::to_string(flag) + " " + TapeAlertFlagName(d, flag);
    }
    items.push_back(alerts);
  }
  for (const HealthFinding& f : d.findings) {
    if (f.source != "tapealert") items.push_back(f.text);
  }
  if (items.empty()) items.push_back(d.tape_alert_page.empty() ? "no findings" : "no TapeAlert");
  std::string text = DeviceLabel(d) + ":";
  for (size_t i = 0; i < items.size(); ++i) text += (i == 0 ? " " : ", ") + items[i];
  return OneLine(text);
}

// Temperature as a plain number, the error counters as continuous counters
// ("c").
std::string PerfData(const DeviceHealth& d) {
  struct Figure {
    const char* name;
    std::optional<uint64_t> value;
  };
  std::string out;
  if (d.temperature_c) out += " " + PerfLabel(d, "temperature") + "=" + std::to_string(*d.temperature_c);
  const Figure counters[] = {{"write_errors_corrected", d.write_errors_corrected},
                             {"write_errors_uncorrected", d.write_errors_uncorrected},
                             {"read_errors_corrected", d.read_errors_corrected},
                             {"read_errors_uncorrected", d.read_errors_uncorrected}};
  for (const Figure& f : counters) {
    if (f.value) out += " " + PerfLabel(d, f.name) + "=" + std::to_string(*f.value) + "c";
  }
  return out;
}

}  // namespace

std::string CheckLine(const HealthRun& run) {
  std::string line = std::string(kStates[static_cast<size_t>(run.ExitStatus())]) + " - ";
  if (run.devices.empty()) return line + "no tape drive or changer found\n";
  std::vector<const DeviceHealth*> order;
  for (const DeviceHealth& d : run.devices) order.push_back(&d);
  std::stable_sort(order.begin(), order.end(),
                   [](const DeviceHealth* a, const DeviceHealth* b) { return HealthStatus(*a) > HealthStatus(*b); });
  std::string perf;
  for (const DeviceHealth* d : order) {
    line += (d == order.front() ? "" : "; ") + DeviceSummary(*d);
    perf += PerfData(*d);
  }
  if (!perf.empty()) line += " |" + perf;
  return line + "\n";
}
