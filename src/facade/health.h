// What a health run found on each device: the record `--health` fills by
// reading only (no command that moves the tape or changes the drive's
// state), and that the text, JSON, metrics and plugin outputs print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Ordered: a device's verdict is the worst of its findings. kUnreadable is
// a device none of whose health pages could be read: never OK.
enum class HealthVerdict { kOk = 0, kWarning = 1, kFail = 2, kUnreadable = 3 };

// "OK", "WARNING", "FAIL", "UNREADABLE".
const char* HealthVerdictName(HealthVerdict verdict);

struct DeviceHealth;
// The device's state as a number: 0 OK, 1 WARNING, 2 FAIL or unreadable (a
// device that could not be read is never better than a failing one).
int HealthStatus(const DeviceHealth& device);

struct HealthFinding {
  HealthVerdict severity = HealthVerdict::kWarning;
  // Where it came from: "tapealert", "errors", "temperature", "cleaning",
  // "cartridge", "log".
  std::string source;
  // The TapeAlert flag (1 to 64) of a "tapealert" finding, else 0.
  int flag = 0;
  // What was found ("TapeAlert 20 Cleaning required") and what to do about
  // it ("load a cleaning cartridge").
  std::string text;
  std::string action;
};

// The loaded cartridge's medium auxiliary memory (READ ATTRIBUTE); each
// attribute is absent when the cartridge does not hold it.
struct CartridgeMemory {
  std::string medium_serial, manufacturer, manufacture_date;  // date YYYYMMDD
  std::string barcode, user_label, medium_type;
  std::optional<uint32_t> density_code, generation;
  std::optional<uint64_t> load_count;
  // MiB, lifetime and in the current or last load.
  std::optional<uint64_t> mib_written, mib_read, mib_written_last_load, mib_read_last_load;
  std::optional<uint64_t> remaining_capacity_mib, maximum_capacity_mib;
  std::optional<uint64_t> mam_space_remaining, mam_capacity;  // bytes
  // Vendor and serial of the last drives that loaded it, latest first.
  std::vector<std::string> last_drives;
  // The TapeAlert flags drives raised while it was loaded (its own error
  // history), ascending.
  std::vector<int> tape_alerts;
};

struct DeviceHealth {
  // Identity.
  std::string node;  // "/dev/sg1"
  std::string vendor, product, serial, revision;
  bool changer = false;
  std::string hctl;  // "0:0:1:0", as lsscsi shows it
  std::string type;  // "tape", "changer" or "disk"
  // Other names of the same device where they exist: "/dev/tape/by-id/...",
  // "/dev/st0", "/dev/nst0".
  std::string by_id, st, nst;

  HealthVerdict verdict = HealthVerdict::kOk;
  std::vector<HealthFinding> findings;

  // TapeAlert flags set (1 to 64, ascending) and the page that gave them:
  // "12h" (TapeAlert response, not cleared by reading), "2Eh" (read only
  // where 12h is missing; many drives clear their flags when it is read) or
  // "" when neither could be read.
  std::vector<int> tape_alerts;
  std::string tape_alert_page;

  // Counters of pages 02h/03h (total corrected and uncorrected errors),
  // temperature (0Dh) and the device statistics (14h).
  std::optional<uint64_t> write_errors_corrected, write_errors_uncorrected;
  std::optional<uint64_t> read_errors_corrected, read_errors_uncorrected;
  std::optional<int> temperature_c, temperature_reference_c;
  std::optional<uint64_t> lifetime_loads, lifetime_cleanings, power_on_hours;
  std::optional<uint64_t> lifetime_mib_written, lifetime_mib_read;
  std::optional<bool> cleaning_required;

  bool cartridge_loaded = false;
  std::optional<CartridgeMemory> cartridge;
};

struct HealthRun {
  std::vector<DeviceHealth> devices;
  // 0 all OK, 1 any WARNING, 2 any FAIL, 3 no device could be read (or
  // none found).
  int ExitStatus() const;
};
