// The command menu's tape commands: Load, Unload, Rewind and the TapeAlert
// report.
#include <cstdio>
#include <cstring>
#include <span>

#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"
#include "facade/tape_alert_severity.h"
#include "script/statements/k_pages.h"

namespace {

constexpr long kMotionTimeout = 600;
constexpr uint8_t kTapeAlertPage = 0x2E;

// The session log level an alert of this severity is written with; an empty
// severity is not logged.
struct SeverityLevel {
  const char* severity;
  int level;
};
constexpr SeverityLevel kSeverityLevels[] = {
    {"Informational", 2},  // CAUTION
    {"Warning", 3},        // WARNING
    {"Critical", 4},       // SEVERE
};

int LevelOf(const char* severity) {
  for (const SeverityLevel& row : kSeverityLevels) {
    if (std::strcmp(row.severity, severity) == 0) return row.level;
  }
  return -1;
}

}  // namespace

bool ScsiWrapper::SendLoad() {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.Load());
  StoreResult(result);
  return CheckStatus(result, "Load");
}

bool ScsiWrapper::SendUnload() {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.Unload(kMotionTimeout));
  StoreResult(result);
  return CheckStatus(result, "Unload");
}

bool ScsiWrapper::SendRewind() {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.Rewind(kMotionTimeout));
  StoreResult(result);
  return CheckStatus(result, "Rewind");
}

bool ScsiWrapper::GetLogPage(uint8_t page) {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.FetchLogPage(page, 0));
  StoreResult(result);
  if (result >= 1) return true;
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

bool ScsiWrapper::GetTapeAlerts() {
  alertFound_ = 0;
  if (!GetLogPage(kTapeAlertPage) || GetLogPageSize() <= 0) return false;
  const uint8_t* buffer = GetLogPageBuffer();
  if (buffer == nullptr) {
    std::printf("Log page buffer is empty.\n");
    return false;
  }
  alertPage_.assign(buffer, buffer + GetLogPageSize());
  KPages page;
  if (page.Load(kTapeAlertPage, std::span<const uint8_t>(alertPage_)) != 0) {
    std::printf("Unable to load tape alert log page.\n");
    CleanUpAllocatedBuffers();
    return false;
  }
  alertActive_ = 0;
  for (const TapeAlertRow& row : KoruSeverityAndMeaning()) {
    uint8_t value = 0;
    if (page.FetchValue(row.flag, value) != 0) continue;  // the drive has no such flag
    if (value != 1) continue;
    alertFound_ = 1;
    alertActive_ |= uint64_t{1} << row.flag;
    char text[160];
    std::snprintf(text, sizeof text, "\n*** Tape Alert: %s\n***\tSeverity: %s\n\n", row.name, row.severity);
    std::fputs(text, stdout);
    lastSeverity_ = row.severity;
    const int level = LevelOf(row.severity);
    if (level == 2) lastInformational_ = row.severity;
    if (level == 3) lastWarning_ = row.severity;
    if (level == 4) lastCritical_ = row.severity;
    // The log takes the alert as one line.
    if (level >= 0 && alertLog_ != nullptr) {
      std::snprintf(text, sizeof text, "*** Tape Alert: %s ***\tSeverity: %s", row.name, row.severity);
      alertLog_(level, text);
    }
  }
  CleanUpAllocatedBuffers();
  return true;
}
