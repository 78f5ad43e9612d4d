// Verdict names and the exit status of a health run.
#include <algorithm>
#include <array>

#include "facade/health.h"

const char* HealthVerdictName(HealthVerdict verdict) {
  static constexpr std::array<const char*, 4> kNames = {"OK", "WARNING", "FAIL", "UNREADABLE"};
  return kNames[static_cast<size_t>(verdict)];
}

int HealthStatus(const DeviceHealth& device) {
  return device.verdict == HealthVerdict::kUnreadable ? 2 : static_cast<int>(device.verdict);
}

// An unreadable device among readable ones is a failure of that device; the
// run is "unknown" only when no device could be read at all.
int HealthRun::ExitStatus() const {
  if (devices.empty()) return 3;
  const bool none_read = std::all_of(devices.begin(), devices.end(),
                                     [](const DeviceHealth& d) { return d.verdict == HealthVerdict::kUnreadable; });
  if (none_read) return 3;
  int status = 0;
  for (const DeviceHealth& d : devices) status = std::max(status, HealthStatus(d));
  return status;
}
