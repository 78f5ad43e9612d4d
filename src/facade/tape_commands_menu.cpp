// The command menu's tape commands: Load, Unload, Rewind and the TapeAlert
// report.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>

#include "device/log_decode.h"
#include "device/scsi_int.h"
#include "device/tape_alert_defs.h"
#include "facade/k_pages.h"
#include "facade/scsi_wrapper.h"
#include "facade/tape_alert_severity.h"

namespace {

constexpr long kMotionTimeout = 600;
constexpr uint8_t kTapeAlertPage = 0x2E;
constexpr int kTapeAlertFlagCount = 64;
constexpr uint8_t kFlagBit = 0x01;  // the rest of the value byte is reserved

// Session log levels.
constexpr int kCaution = 2;
constexpr int kWarning = 3;
constexpr int kSevere = 4;

// The session log level an alert of this severity is written with; an empty
// severity is not logged.
struct SeverityLevel {
  const char* severity;
  int level;
};
constexpr SeverityLevel kSeverityLevels[] = {
    {kSeverityInformational, kCaution},
    {kSeverityWarning, kWarning},
    {kSeverityCritical, kSevere},
};

int LevelOf(const char* severity) {
  for (const SeverityLevel& row : kSeverityLevels) {
    if (std::strcmp(row.severity, severity) == 0) return row.level;
  }
  return -1;
}

}  // namespace

bool ScsiWrapper::SendLoad() {
  return CheckStatus(RunAndStore([] { return SCSI.Load(); }), "Load");
}

bool ScsiWrapper::SendUnload() {
  return CheckStatus(RunAndStore([] { return SCSI.Unload(kMotionTimeout); }), "Unload");
}

bool ScsiWrapper::SendRewind() {
  return CheckStatus(RunAndStore([] { return SCSI.Rewind(kMotionTimeout); }), "Rewind");
}

bool ScsiWrapper::GetLogPage(uint8_t page) {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.FetchLogPage(page, 0));
  StoreResult(result);
  if (result >= 1) return true;
  // Part of a page is no page: say how much of it came.
  if (result == kIncompleteData) {
    if (SCSI.GetLogDeclaredSize() > 0) {
      std::printf("Log page %02Xh is incomplete: %ld of %ld bytes arrived.\n", page, SCSI.GetLogSize(),
                  SCSI.GetLogDeclaredSize());
    } else {
      std::printf("Log page %02Xh is incomplete: %ld bytes arrived, too few for its header.\n", page,
                  SCSI.GetLogSize());
    }
    return false;
  }
  std::printf("Something happened in call to SCSI_DLL::FetchLog()...\n");
  // A page that could not be read is a failure, with or without sense data.
  if (result == -2) {
    GetSenseData();
    PrintSenseStatus();
    ResetWhenNoSense();
    return false;
  }
  return CheckStatus(result, "FetchLog");
}

void ScsiWrapper::ReportAlert(const TapeAlertRow& row) {
  alertFound_ = 1;
  alertActive_.set(row.flag);
  char text[160];
  std::snprintf(text, sizeof text, "\n*** Tape Alert: %s\n***\tSeverity: %s\n\n", row.name, row.severity);
  std::fputs(text, stdout);
  lastSeverity_ = row.severity;
  const int level = LevelOf(row.severity);
  if (level == kCaution) lastInformational_ = row.severity;
  if (level == kWarning) lastWarning_ = row.severity;
  if (level == kSevere) lastCritical_ = row.severity;
  // The log takes the alert as one line.
  if (level >= 0 && alertLog_ != nullptr) {
    std::snprintf(text, sizeof text, "*** Tape Alert: %s ***\tSeverity: %s", row.name, row.severity);
    alertLog_(level, text);
  }
}

// Every flag set in the facade's copy of the page, in flag order.
bool ScsiWrapper::ReportSetAlerts() {
  KPages page;
  if (page.Load(kTapeAlertPage, std::span<const uint8_t>(alertPage_)) != 0) {
    std::printf("Unable to load tape alert log page.\n");
    return false;
  }
  // A changer's flags have meanings of their own.
  const std::span<const TapeAlertRow> table = SCSI.IsChanger() ? ChangerSeverityAndMeaning() : KoruSeverityAndMeaning();
  for (int flag = 1; flag <= kTapeAlertFlagCount; ++flag) {
    uint8_t value = 0;
    if (page.FetchValue(static_cast<uint16_t>(flag), value) != 0) continue;  // the drive has no such flag
    if ((value & kFlagBit) == 0) continue;
    if (const TapeAlertRow* row = FindAlertRow(table, flag)) {
      ReportAlert(*row);
      continue;
    }
    // A flag the table has no row for is still set: show it by its number.
    char name[32];
    std::snprintf(name, sizeof name, "Flag %d - no description", flag);
    ReportAlert(TapeAlertRow{static_cast<uint16_t>(flag), name, ""});
  }
  return true;
}

bool ScsiWrapper::GetTapeAlerts() {
  alertFound_ = 0;
  alertActive_.reset();
  // What arrived of a page cut short is still reported, and the report
  // then fails: the flags it did not hold may be set.
  const bool whole = GetLogPage(kTapeAlertPage);
  const bool incomplete = !whole && session_.last_.result == kIncompleteData;
  if (!whole && !incomplete) return false;
  const uint8_t* buffer = GetLogPageBuffer();
  const long size = buffer == nullptr ? 0 : GetLogPageSize();
  if (whole && size <= 0) {
    std::printf("Log page buffer is empty.\n");
    return false;
  }
  const std::span<const uint8_t> arrived(buffer, static_cast<size_t>(std::max(size, 0L)));
  if (incomplete) {
    alertPage_ = logpage::WholeParameters(arrived);
  } else {
    alertPage_.assign(arrived.begin(), arrived.end());
  }
  // Not even a header of a page cut short: nothing to decode.
  const bool reported = alertPage_.empty() || ReportSetAlerts();
  CleanUpAllocatedBuffers();
  if (!reported) return false;
  if (incomplete) {
    char text[128];
    std::snprintf(text, sizeof text, "TapeAlert report incomplete: flags past the %ld bytes that arrived are unknown.",
                  size);
    std::printf("%s\n", text);
    if (alertLog_ != nullptr) alertLog_(kWarning, text);
  }
  return whole;
}
