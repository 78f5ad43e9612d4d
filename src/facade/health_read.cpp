#include "facade/health_read.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/byte_order.h"
#include "base/sense_texts.h"
#include "device/records.h"
#include "device/scsi_int.h"
#include "device/tape_alert_defs.h"
#include "facade/console_sense.h"
#include "facade/health_pages.h"
#include "facade/tape_alert_severity.h"

namespace {

constexpr uint8_t kTapeAlertResponse = 0x12;
constexpr uint8_t kTapeAlertPage = 0x2E;
constexpr uint8_t kWriteErrors = 0x02;
constexpr uint8_t kReadErrors = 0x03;
constexpr uint8_t kSequentialAccess = 0x0C;
constexpr uint8_t kTemperature = 0x0D;
constexpr uint8_t kDeviceStatistics = 0x14;
constexpr uint32_t kAttributeAllocation = 0x8000;
constexpr uint8_t kCumulative = 0x40;  // LOG SENSE page control, in the page code byte

// What one command brought back, or why it brought nothing usable.
struct Answer {
  bool ok = false;
  bool incomplete = false;
  std::vector<uint8_t> data;
  std::string failure;  // "sense 05/24/00 (ILLEGAL REQUEST: Invalid field in CDB)" or the transport's word
  int sense_key = -1, asc = -1, ascq = -1;
};

std::string Describe(long result) {
  const CommandOutcome& o = SCSI.LastOutcome();
  char text[256];
  if (o.senseKey > 0 || o.asc > 0) {
    std::snprintf(text, sizeof text, "sense %02X/%02X/%02X (%s: %s)", o.senseKey & 0xFF, o.asc & 0xFF, o.ascq & 0xFF,
                  SenseKeyName(o.senseKey), AscDescription(o.asc, o.ascq));
  } else if (IsTransportFailure(static_cast<int32_t>(result))) {
    const uint8_t asc = TransportAsc(static_cast<int32_t>(result));
    std::snprintf(text, sizeof text, "lost in the transport (%s)", ConsoleSenseText(0xFF, asc, 0));
  } else {
    std::snprintf(text, sizeof text, "%s", ErrorCodeText(result));
  }
  return text;
}

Answer Fail(long result) {
  Answer a;
  a.failure = Describe(result);
  const CommandOutcome& o = SCSI.LastOutcome();
  if (o.senseKey > 0 || o.asc > 0) {
    a.sense_key = o.senseKey;
    a.asc = o.asc;
    a.ascq = o.ascq;
  }
  return a;
}

Answer LogPage(uint8_t code) {
  // Page control 01b, the current cumulative values: with 00b a drive
  // answers its thresholds, not its counts. Some libraries take only 00b
  // and refuse the field; they are asked once more that way.
  long result = SCSI.FetchLogPage(kCumulative | code, 0);
  const CommandOutcome& refused = SCSI.LastOutcome();
  if (result < 1 && result != kIncompleteData && refused.senseKey == 0x05 && refused.asc == 0x24) {
    result = SCSI.FetchLogPage(code, 0);
  }
  if (result < 1 && result != kIncompleteData) return Fail(result);
  Answer a;
  const uint8_t* page = SCSI.GetLogBuffer();
  const long size = std::max(SCSI.GetLogSize(), 0L);
  if (page != nullptr) a.data.assign(page, page + size);
  if (result == kIncompleteData) {
    a.incomplete = true;
    char text[96];
    std::snprintf(text, sizeof text, "cut short: %ld of %ld bytes arrived", size, SCSI.GetLogDeclaredSize());
    a.failure = text;
    return a;
  }
  a.ok = true;
  return a;
}

Answer ReadAttributeValues() {
  uint8_t cdb[16] = {0x8C, 0x00};
  be::Write32(cdb + 10, kAttributeAllocation);
  std::vector<uint8_t> data(kAttributeAllocation);
  const long result = SCSI.SendCdb(kDataIn, cdb, sizeof cdb, "ReadAttribute", data.data(), kAttributeAllocation);
  if (result < 1) return Fail(result);
  Answer a;
  a.ok = true;
  const int64_t moved = std::clamp<int64_t>(SCSI.LastOutcome().bytesMoved, 0, kAttributeAllocation);
  data.resize(static_cast<size_t>(moved));
  a.data = std::move(data);
  return a;
}

void Add(DeviceHealth& d, HealthVerdict severity, const char* source, std::string text, std::string action,
         int flag = 0) {
  d.findings.push_back({severity, source, flag, std::move(text), std::move(action)});
}

// The severity the TapeAlert tables give a flag; a flag they do not name
// is a warning: the drive says something is wrong.
HealthVerdict FlagSeverity(const TapeAlertRow* row) {
  if (row == nullptr) return HealthVerdict::kWarning;
  if (std::strcmp(row->severity, kSeverityCritical) == 0) return HealthVerdict::kFail;
  if (std::strcmp(row->severity, kSeverityInformational) == 0) return HealthVerdict::kOk;
  return HealthVerdict::kWarning;
}

void TapeAlertFindings(DeviceHealth& d) {
  const std::span<const TapeAlertRow> table = d.changer ? ChangerSeverityAndMeaning() : KoruSeverityAndMeaning();
  for (int flag : d.tape_alerts) {
    const TapeAlertRow* row = FindAlertRow(table, flag);
    const std::string name = row != nullptr ? row->name : "no description";
    std::string action = "see the drive's documentation of this flag";
    if (!d.changer && flag >= 1 && flag <= kTapeAlertFlags && TAPE_ALERT_DEFS[flag].message[0] != '\0' &&
        row != nullptr) {
      action = TAPE_ALERT_DEFS[flag].message;
    } else if (d.changer) {
      action = "see the changer's documentation of this flag";
    }
    Add(d, FlagSeverity(row), "tapealert", "TapeAlert " + std::to_string(flag) + " " + name, action, flag);
  }
}

bool Lists(const std::vector<uint8_t>& supported, uint8_t code) {
  return std::find(supported.begin(), supported.end(), code) != supported.end();
}

// The flags drives raised while the loaded cartridge was in them: a warning
// about the cartridge, whatever the flag's weight for a drive.
void CartridgeFindings(DeviceHealth& d) {
  const std::string name =
      d.cartridge->medium_serial.empty() ? "The cartridge" : "Cartridge " + d.cartridge->medium_serial;
  for (int flag : d.cartridge->tape_alerts) {
    const TapeAlertRow* row = FindAlertRow(KoruSeverityAndMeaning(), flag);
    if (FlagSeverity(row) == HealthVerdict::kOk) continue;
    const std::string flag_name = row != nullptr ? row->name : "no description";
    Add(d, HealthVerdict::kWarning, "cartridge",
        name + " has TapeAlert " + std::to_string(flag) + " " + flag_name + " in its memory",
        row != nullptr ? TAPE_ALERT_DEFS[flag].message : "check the cartridge in another drive");
  }
}

void ReadTapeAlerts(DeviceHealth& d, const std::vector<uint8_t>& supported) {
  const bool response = Lists(supported, kTapeAlertResponse);
  const uint8_t code = response ? kTapeAlertResponse : kTapeAlertPage;
  if (!response && !Lists(supported, kTapeAlertPage)) {
    Add(d, HealthVerdict::kWarning, "log", "The device lists no TapeAlert page (12h or 2Eh)",
        "its alerts cannot be read: check it with the maker's tools");
    return;
  }
  const Answer a = LogPage(code);
  char page[8];
  std::snprintf(page, sizeof page, "%02Xh", code);
  if (!a.ok) {
    Add(d, HealthVerdict::kFail, "log", std::string("TapeAlert page ") + page + " could not be read: " + a.failure,
        "its alerts are unknown: check the connection and read it again");
    return;
  }
  const auto flags = response ? health::ResponseFlags(a.data) : health::AlertPageFlags(a.data);
  if (!flags) {
    Add(d, HealthVerdict::kFail, "log", std::string("TapeAlert page ") + page + " holds no flags",
        "its alerts are unknown: check the device");
    return;
  }
  d.tape_alert_page = page;
  d.tape_alerts = *flags;
  TapeAlertFindings(d);
}

// A page the device lists that did not arrive whole: what it would have
// told is unknown, which is a failure, never an OK.
void PageFailed(DeviceHealth& d, const std::string& what, uint8_t code, const Answer& a) {
  char page[8];
  std::snprintf(page, sizeof page, "%02Xh", code);
  Add(d, HealthVerdict::kFail, "log", "The " + what + " (page " + page + ") could not be read: " + a.failure,
      "read it again; if it persists, check the connection and the drive");
}

void ReadErrorCounters(DeviceHealth& d, uint8_t code, std::optional<uint64_t>& corrected,
                       std::optional<uint64_t>& uncorrected, const char* what) {
  const Answer a = LogPage(code);
  if (!a.ok) return PageFailed(d, std::string(what) + " error counters", code, a);
  corrected = health::Counter(a.data, 0x0003);
  uncorrected = health::Counter(a.data, 0x0006);
  if (uncorrected && *uncorrected > 0) {
    Add(d, HealthVerdict::kWarning, "errors",
        std::string("Uncorrected ") + what + " errors (" + std::to_string(*uncorrected) + ")",
        "try another cartridge; if the errors follow the drive, clean it, then call for service");
  }
}

void ReadTemperature(DeviceHealth& d) {
  const Answer a = LogPage(kTemperature);
  if (!a.ok) return PageFailed(d, "temperature", kTemperature, a);
  health::Temperatures(a.data, d);
  if (d.temperature_c && d.temperature_reference_c && *d.temperature_c >= *d.temperature_reference_c) {
    Add(d, HealthVerdict::kWarning, "temperature",
        "Temperature " + std::to_string(*d.temperature_c) + " C at or above the reference " +
            std::to_string(*d.temperature_reference_c) + " C",
        "check the cooling and the airflow around the drive");
  }
}

void ReadSequentialAccess(DeviceHealth& d) {
  const Answer a = LogPage(kSequentialAccess);
  if (!a.ok) return PageFailed(d, "sequential-access counters", kSequentialAccess, a);
  if (const auto written = health::Counter(a.data, 0x0000)) d.lifetime_mib_written = *written >> 20;
  if (const auto read = health::Counter(a.data, 0x0003)) d.lifetime_mib_read = *read >> 20;
  if (const auto cleaning = health::Counter(a.data, 0x0100)) {
    d.cleaning_required = *cleaning != 0;
    // The TapeAlert flags say it already when they are set.
    const bool said = std::find(d.tape_alerts.begin(), d.tape_alerts.end(), 20) != d.tape_alerts.end();
    if (*cleaning != 0 && !said) {
      Add(d, HealthVerdict::kWarning, "cleaning", "Cleaning required", "load a cleaning cartridge");
    }
  }
}

void ReadDeviceStatistics(DeviceHealth& d) {
  const Answer a = LogPage(kDeviceStatistics);
  if (!a.ok) return PageFailed(d, "device statistics", kDeviceStatistics, a);
  d.lifetime_loads = health::Counter(a.data, 0x0000);
  d.lifetime_cleanings = health::Counter(a.data, 0x0001);
  d.power_on_hours = health::Counter(a.data, 0x0002);
}

// A cartridge is loaded unless the drive says the medium is not present.
bool CartridgeLoaded() {
  const long result = SCSI.TestUnitReady();
  if (result >= 1) return true;
  const CommandOutcome& o = SCSI.LastOutcome();
  return !(o.senseKey == 0x02 && o.asc == 0x3A);
}

HealthVerdict Worst(const DeviceHealth& d) {
  HealthVerdict worst = HealthVerdict::kOk;
  for (const HealthFinding& f : d.findings) worst = std::max(worst, f.severity);
  return worst;
}

}  // namespace

DeviceHealth IdentifyDevice(ScsiWrapper& wrapper, int32_t position) {
  DeviceHealth d;
  wrapper.SetDeviceSelected(position);
  const char* node = SCSI.GetFilename();
  d.node = node != nullptr ? node : "";
  if (const uint8_t* inquiry = SCSI.GetInquiryBuffer(); inquiry != nullptr && SCSI.GetInquirySize() >= 36) {
    const std::span<const uint8_t> data(inquiry, 36);
    d.vendor = health::DriveText(data.subspan(8, 8));
    d.product = health::DriveText(data.subspan(16, 16));
    d.revision = health::DriveText(data.subspan(32, 4));
  }
  const char* serial = SCSI.GetSerialNumber();
  d.serial = serial != nullptr ? serial : "";
  d.changer = SCSI.IsChanger() != 0;
  d.type = d.changer ? "changer" : SCSI.IsSequential() != 0 ? "tape" : "disk";
  d.hctl = std::to_string(SCSI.GetPort()) + ":" + std::to_string(SCSI.GetBus()) + ":" +
           std::to_string(SCSI.GetTarget()) + ":" + std::to_string(SCSI.GetLun());
  return d;
}

DeviceHealth ReadDeviceHealth(ScsiWrapper& wrapper, int32_t position) {
  DeviceHealth d = IdentifyDevice(wrapper, position);
  const Answer list = LogPage(0x00);
  if (!list.ok) {
    d.verdict = HealthVerdict::kUnreadable;
    Add(d, HealthVerdict::kUnreadable, "log", "The list of log pages could not be read: " + list.failure,
        "check the connection and that the device answers (vexil -c)");
    return d;
  }
  const std::vector<uint8_t> supported = health::SupportedPages(list.data);
  const auto has = [&](uint8_t code) { return Lists(supported, code); };

  ReadTapeAlerts(d, supported);
  if (!d.changer) {
    if (has(kWriteErrors))
      ReadErrorCounters(d, kWriteErrors, d.write_errors_corrected, d.write_errors_uncorrected, "write");
    if (has(kReadErrors)) ReadErrorCounters(d, kReadErrors, d.read_errors_corrected, d.read_errors_uncorrected, "read");
    if (has(kSequentialAccess)) ReadSequentialAccess(d);
  }
  if (has(kTemperature)) ReadTemperature(d);
  if (has(kDeviceStatistics)) ReadDeviceStatistics(d);
  if (!d.changer) {
    d.cartridge_loaded = CartridgeLoaded();
    if (d.cartridge_loaded) {
      const CartridgeRead read = ReadCartridgeMemory(wrapper, position);
      d.cartridge = read.memory;
      if (read.failed) {
        Add(d, HealthVerdict::kFail, "cartridge", "The cartridge memory could not be read: " + read.why,
            "read it again; if it persists, check the connection and the drive");
      }
    }
    if (d.cartridge) CartridgeFindings(d);
  }
  d.verdict = Worst(d);
  return d;
}

HealthRun ReadHealth(ScsiWrapper& wrapper) {
  HealthRun run;
  const int32_t count = wrapper.GetDeviceCount();
  for (int32_t position = 0; position < count; ++position) run.devices.push_back(ReadDeviceHealth(wrapper, position));
  return run;
}

CartridgeRead ReadCartridgeMemory(ScsiWrapper& wrapper, int32_t position) {
  if (wrapper.GetDeviceSelected() != position) wrapper.SetDeviceSelected(position);
  CartridgeRead read;
  if (SCSI.IsChanger() != 0) {
    read.why = "a medium changer has no cartridge memory to read";
    return read;
  }
  const Answer a = ReadAttributeValues();
  if (a.ok) {
    read.memory = health::Attributes(a.data);
  } else if (a.sense_key == 0x02 && a.asc == 0x3A) {
    read.loaded = false;
    read.why = "no cartridge is loaded";
  } else if (a.sense_key == 0x05 && (a.asc == 0x20 || a.asc == 0x24)) {
    read.why = "the drive does not read cartridge memory (READ ATTRIBUTE is not supported)";
  } else {
    read.failed = true;
    read.why = "READ ATTRIBUTE failed: " + a.failure;
  }
  return read;
}
