// TapeAlert flags from log page 2Eh, the iterator over the set ones and
// their texts.
#include "device/drive_contract.h"
#include "device/scsi_int.h"
#include "device/tape_alert_defs.h"

namespace {

constexpr int kAlertProbes = 5;

const TapeAlertDef* Def(int flag) { return flag >= 1 && flag <= kTapeAlertFlags ? &TAPE_ALERT_DEFS[flag] : nullptr; }

}  // namespace

void ScsiInt::ResetAlerts() {
  if (device_ == nullptr) return;
  for (int i = 0; i <= kTapeAlertFlags; ++i) device_->alerts[i] = {i, 0};
  device_->alertIterator = 0;
}

long ScsiInt::CollectAlerts() {
  if (!Ready()) return -3;
  ResetAlerts();
  ReadinessProbes(kAlertProbes);
  // A page the drive rejects is a failure with its sense, not "no alerts";
  // a page cut short sets the flags that arrived and stays a failure.
  const long result = FetchLogPage(contract::kTapeAlertLog, 0);
  if (result < 1 && result != kIncompleteData) return result;
  for (int flag = 1; flag <= kTapeAlertFlags; ++flag) {
    long length = 0;
    const uint8_t* value = GetLogParameter(flag, &length);
    if (value != nullptr && length >= 1 && length <= 8) device_->alerts[flag].set = value[0] & 0x01;
  }
  return result;
}

long ScsiInt::GetNextAlert() {
  if (device_ == nullptr) return 0;
  int& position = device_->alertIterator;
  const int from = position >= 1 && position <= kTapeAlertFlags ? position + 1 : 1;
  for (int flag = from; flag <= kTapeAlertFlags; ++flag) {
    if (device_->alerts[flag].set) return position = flag;
  }
  position = 0;
  return 0;
}

const char* ScsiInt::GetAlertFlag(int flag) { return Def(flag) ? Def(flag)->name : nullptr; }
const char* ScsiInt::GetAlertType(int flag) { return Def(flag) ? Def(flag)->type : nullptr; }
const char* ScsiInt::GetAlertMessage(int flag) { return Def(flag) ? Def(flag)->message : nullptr; }
const char* ScsiInt::GetAlertCause(int flag) { return Def(flag) ? Def(flag)->cause : nullptr; }
