// LOG SENSE into the device record, the walk over its parameters and the
// two vendor parameter tables (pages 42h and 43h).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/byte_order.h"
#include "device/drive_contract.h"
#include "device/log_decode.h"
#include "device/scsi_int.h"

namespace {

constexpr long kLogAllocation = 0xFFF0;
constexpr size_t kTableEntries = 32;

// Table 2 or 3 as an index into the record's two tables; -1 for others.
int TableIndex(int table) { return table == 2 ? 0 : table == 3 ? 1 : -1; }

}  // namespace

long ScsiInt::FetchLogPage(int page, int parameterPointer) {
  if (!Ready()) return -3;
  _SCSI_DEVICE& d = *device_;
  std::vector<uint8_t>().swap(d.logBuffer);
  d.logSize = 0;
  d.logDeclared = 0;
  uint8_t cdb[10] = {0x4D, 0x00, static_cast<uint8_t>(page)};
  be::Write(cdb + 5, 2, static_cast<uint64_t>(parameterPointer));
  be::Write(cdb + 7, 2, kLogAllocation);
  char caller[64];
  std::snprintf(caller, sizeof caller, "FetchLogPage(%02X-%ld)", page & 0xFF, static_cast<long>(parameterPointer));
  std::memset(dataBuffer_, 0, kLogAllocation);
  const long result = DataCommand(cdb, sizeof cdb, kDataIn, kLogAllocation, caller);
  if (result < 1) return result;
  const size_t arrived = std::min<size_t>(record_->DataTransferLength, kLogAllocation);
  const size_t claimed = arrived >= logpage::kPageHeader ? be::Read16(dataBuffer_ + 2) + logpage::kPageHeader : 0;
  // Bytes past the page are padding; a page longer than what arrived is
  // kept as far as it came, never filled up with zeros.
  const size_t kept = claimed == 0 ? arrived : std::min(claimed, arrived);
  d.logBuffer.assign(dataBuffer_, dataBuffer_ + kept);
  d.logSize = static_cast<int32_t>(kept);
  d.logDeclared = static_cast<int32_t>(claimed);
  return claimed != 0 && claimed <= arrived ? 1 : kIncompleteData;
}

bool ScsiInt::FetchLog(int page) { return FetchLogPage(page, 0) > 0; }

const uint8_t* ScsiInt::GetLogBuffer() {
  return device_ == nullptr || device_->logBuffer.empty() ? nullptr : device_->logBuffer.data();
}

long ScsiInt::GetLogSize() { return device_ == nullptr ? -3 : device_->logSize; }

long ScsiInt::GetLogDeclaredSize() { return device_ == nullptr ? -3 : device_->logDeclared; }

const uint8_t* ScsiInt::GetLogParameter(int code, long* length) {
  if (device_ == nullptr) return nullptr;
  logpage::Parameter p;
  if (!logpage::Find(device_->logBuffer, code, &p)) return nullptr;
  if (length != nullptr) *length = static_cast<long>(p.value.size());
  return p.value.data();
}

int64_t ScsiInt::GetLogParameterValue(int code) {
  long length = 0;
  const uint8_t* value = GetLogParameter(code, &length);
  if (value == nullptr) return -1;
  return static_cast<int64_t>(be::Read(value, static_cast<size_t>(length)));
}

const char* ScsiInt::GetLogParameterString(int code) {
  long length = 0;
  const uint8_t* value = GetLogParameter(code, &length);
  // A missing parameter is an empty text, never the one asked for before.
  parameterText_.assign(
      value == nullptr ? "" : reinterpret_cast<const char*>(value),
      value == nullptr ? 0 : strnlen(reinterpret_cast<const char*>(value), static_cast<size_t>(length)));
  return parameterText_.c_str();
}

long ScsiInt::ParseParameters(int table) {
  const int index = TableIndex(table);
  if (device_ == nullptr || index < 0) return 0;
  _SCSI_DEVICE& d = *device_;
  if (d.logBuffer.size() < logpage::kPageHeader) return 0;
  const std::vector<logpage::Parameter> found = logpage::Walk(d.logBuffer, kTableEntries);
  for (LogParameter& p : d.logParams[index]) p = {-1, -1};
  for (size_t i = 0; i < found.size(); ++i)
    d.logParams[index][i] = {found[i].code, GetLogParameterValue(found[i].code)};
  return static_cast<long>(found.size());
}

void ScsiInt::ClearParameters() {
  if (device_ == nullptr) return;
  for (auto& table : device_->logParams)
    for (LogParameter& p : table) p = {-1, -1};
}

int64_t ScsiInt::GetParameterValue(int table, int code) {
  const int index = TableIndex(table);
  if (device_ == nullptr || index < 0) return -1;
  for (const LogParameter& p : device_->logParams[index])
    if (p.code == code && p.code != -1) return p.value;
  return -1;
}

long ScsiInt::CollectParameters() {
  if (!Ready()) return -3;
  const long saved = GetTimeout();
  SetTimeout(1);
  WaitForUnitReady();
  SetTimeout(saved);
  ClearParameters();
  struct Step {
    uint8_t page;
    int table;
    const char* fetchFailed;
    const char* parseFailed;
  };
  static constexpr Step kSteps[] = {
      {contract::kVendorParameterLogA, 2, "FetchLogPage(0x42) FAILED", "Parse Log Page (0x42) FAILED"},
      {contract::kVendorParameterLogB, 3, "FetchLogPage(0x43) FAILED", "Parse Log Page (0x43) FAILED"},
  };
  for (const Step& step : kSteps) {
    const long fetched = FetchLogPage(step.page, 0);
    if (fetched < 1) {
      SetMessage(step.fetchFailed, "CollectParameters()");
      return fetched;
    }
    if (ParseParameters(step.table) < 1) {
      SetMessage(step.parseFailed, "CollectParameters()");
      return 0;
    }
  }
  return 1;
}
