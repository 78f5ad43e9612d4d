// Named drive parameters (a vendor mode page holding "NAME VALUE"), the
// LOG SELECT reset, and the maintenance operations built on them.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/system.h"
#include "device/drive_contract.h"
#include "device/family.h"
#include "device/log_decode.h"
#include "device/scsi_int.h"

namespace {

constexpr int kParameterProbes = 3;
constexpr size_t kModeHeader = 4;
constexpr size_t kPageHeader = 2;
// MODE SELECT(6) carries at most 255 bytes: header, page header, text, 2 zeros.
constexpr size_t kLongestSetting = 255 - kModeHeader - kPageHeader - 2;
constexpr long kEventLogTimeout = 60;
constexpr long kRebuildSettle = 20;
constexpr long kRebuildLimit = 300;
constexpr long kRelocateSeconds = 240;
constexpr long kUnloadSeconds = 600;

// The parameter list of a setting text for one vendor page.
std::vector<uint8_t> SettingList(const std::string& setting, uint8_t page) {
  std::vector<uint8_t> list = {0x00, 0x00, 0x10, 0x00, page, static_cast<uint8_t>(setting.size() + 2)};
  list.insert(list.end(), setting.begin(), setting.end());
  list.insert(list.end(), {0x00, 0x00});
  return list;
}

bool TakesFallbackPage(const char* familyText) {
  for (const char* name : contract::kFallbackFamilies)
    if (std::strstr(familyText, name) != nullptr) return true;
  return false;
}

std::string Number(const char* format, long n) {
  char text[32];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

}  // namespace

long ScsiInt::LogReset() {
  if (!Ready()) return -3;
  ReadinessProbes(3);
  const uint8_t cdb[10] = {0x4C, contract::kLogSelectParameterReset};
  return DataCommand(cdb, sizeof cdb, kDataNone, 0, "LogReset()");
}

long ScsiInt::ResetDriveParameters() {
  if (!Ready()) return 0;
  WaitForUnitReady();
  const uint8_t cdb[10] = {0x4C, contract::kLogSelectParameterReset};
  const bool passed = DataCommand(cdb, sizeof cdb, kDataNone, 0, "ResetDriveParameters()") > 0;
  SetMessage(passed ? "SCSI-RESET DRIVE PARAMETERS TEST PASSED" : "SCSI-RESET DRIVE PARAMETERS TEST FAILED",
             "ResetDriveParameter()");
  return passed ? 1 : 0;
}

long ScsiInt::SetParameter(const char* name, const char* value) {
  if (!Ready()) return 0;
  const std::string n = name == nullptr ? "" : name;
  const std::string v = value == nullptr ? "" : value;
  const std::string shown = n + " " + v;
  // A value the drive cannot take is refused here, never sent empty.
  if (n.empty() || v.size() > static_cast<size_t>(contract::kParameterValueLimit) ||
      shown.size() + 1 > kLongestSetting) {
    char message[160];
    std::snprintf(message, sizeof message, "Error - parameter setting (%.100s) is too long or has no name.",
                  shown.c_str());
    SetMessage(message, "SetParameter()");
    return 0;
  }
  ReadinessProbes(kParameterProbes);
  const std::string setting = shown + "\n";
  std::vector<uint8_t> list = SettingList(setting, contract::kParameterPage);
  auto send = [&] {
    std::memcpy(dataBuffer_, list.data(), list.size());
    const uint8_t cdb[6] = {0x15, 0x10, 0, 0, static_cast<uint8_t>(list.size()), 0};
    return DataCommand(cdb, sizeof cdb, kDataOut, static_cast<long>(list.size()), "SetParameter()");
  };
  if (send() > 0) return 1;
  if (!TakesFallbackPage(GetDeviceTypeString(device_->familyCode))) return 0;
  list[kModeHeader] = contract::kParameterFallbackPage;
  if (send() > 0) return 1;
  char message[160];
  std::snprintf(message, sizeof message, "Error - MODE SELECT 0x3E and 0x30 (%s) FAILED.", shown.c_str());
  SetMessage(message, "SetParameter()");
  return 0;
}

long ScsiInt::SetSerialNumber(const char* text) {
  const long result = SetParameter(contract::kSerialNumberParameter, text);
  if (result == 1) {
    GetScsiSerialNumber();  // first: its command clears the message texts
    char message[96];
    std::snprintf(message, sizeof message, "SN Set to: %.40s", text == nullptr ? "" : text);
    SetMessage(message, "SetSerialNumber()");
  }
  return result;
}

long ScsiInt::SetRebuild(long n) { return SetParameter(contract::kRebuildParameter, Number("%5ld", n).c_str()); }
long ScsiInt::SetRawErrorLogging(long n) {
  return SetParameter(contract::kRawErrorLoggingParameter, Number("%5ld", n).c_str());
}
long ScsiInt::SetScsiEject(long n) { return SetParameter(contract::kScsiEjectParameter, Number("%ld", n).c_str()); }

long ScsiInt::ClearSegments() {
  if (!Ready()) return 0;
  const char* failure = nullptr;
  if (SetParameter(contract::kRebuildSegmentParameter, "2") != 1) {
    failure = "SCSI-CLR SEGMENTS (1) TEST FAILED";
  } else if (SetParameter(contract::kRebuildSegmentParameter, "4") != 1) {
    failure = "SCSI-CLR SEGMENTS (2) TEST FAILED";
  } else if (FetchLogPage(contract::kEventLogPage, 0) < 1) {
    failure = "SCSI-CLR SEGMENTS (Log Check) TEST FAILED";
  } else if (!logpage::ScanEvents(device_->logBuffer, 1).empty()) {
    failure = "SCSI-CLR SEGMENTS (Log Verify) TEST FAILED";
  }
  SetMessage(failure ? failure : "SCSI-CLR SEGMENTS TEST PASSED", "ClearSegments()");
  return failure ? 0 : 1;
}

long ScsiInt::ClearEventLog() {
  if (!Ready()) return 0;
  constexpr const char* kContext = "ClearEventLog()";
  const std::string serial = GetSerialNumber();
  const long savedTimeout = GetTimeout();
  SetTimeout(kEventLogTimeout);
  auto fail = [&](const char* message) {
    if (device_ != nullptr) SetMessage(message, kContext);
    SetTimeout(savedTimeout);
    return 0L;
  };
  const time_t requested = Sys().Now().tv_sec;
  if (SetRebuild(1) != 1) return fail("SCSI-CLR EVENT LOG (1) TEST FAILED");
  Sleep(kRebuildSettle * 1000);
  // The drive rebuilds and restarts: find it again, then unload until it
  // reports no cartridge.
  // Not found again: the selection may now be another device.
  if (RelocateDevice(kRelocateSeconds) != 1) return fail("SCSI-CLR EVENT LOG (Rescan/Unload-Timeout) TEST FAILED");
  bool settled = false;
  while (Sys().Now().tv_sec - requested < kRebuildLimit) {
    if (TestUnitReady() < 1) {
      settled = true;
      break;
    }
    Unload(kUnloadSeconds);
    Sleep(1000);
  }
  if (!settled) return fail("SCSI-CLR EVENT LOG (Rescan/Unload-Timeout) TEST FAILED");
  if (FetchLogPage(contract::kEventLogPage, 0) < 1) return fail("SCSI-CLR EVENT LOG (Log Verify) TEST FAILED");
  if (SetSerialNumber(serial.c_str()) != 1) return fail("SCSI-CLR EVENT LOG (Restore SN) TEST FAILED");
  RelocateDevice(kRelocateSeconds);
  SetTimeout(savedTimeout);
  return 1;
}
