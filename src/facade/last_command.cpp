// The last-command record: cleared before every command, filled from the
// device layer after it, and put back to "no sense" when the drive reported
// none.
#include <algorithm>
#include <cstdio>

#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"

namespace {

constexpr const char* kCaller = "Vexil";

}  // namespace

void ScsiWrapper::ClearLastCommand() { session_.last_ = LAST_COMMAND{}; }

int32_t ScsiWrapper::RunAndStore(long (*send)()) {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(send());
  StoreResult(result);
  return result;
}

bool ScsiWrapper::ResetWhenNoSense() {
  if (session_.last_.senseKey != 0 || session_.last_.asc != 0 || session_.last_.ascq != 0) return true;
  const int32_t result = session_.last_.result;
  ClearLastCommand();
  session_.last_.result = result;
  return false;
}

void ScsiWrapper::GetSenseData() { TakeSense(SCSI.LastOutcome()); }

// The sense part of the device layer's outcome record, as a whole.
void ScsiWrapper::TakeSense(const CommandOutcome& outcome) {
  LAST_COMMAND& last = session_.last_;
  last.senseKey = static_cast<uint8_t>(outcome.senseKey);
  last.asc = static_cast<uint8_t>(outcome.asc);
  last.ascq = static_cast<uint8_t>(outcome.ascq);
  last.vsSense = static_cast<int32_t>(outcome.vsSense);
  std::copy_n(outcome.ataRegs, last.ataRegs.size(), last.ataRegs.begin());
  last.residual = outcome.residual;
  last.ltocFsc = outcome.ltocFsc;
  last.ltocFlag = outcome.ltocFlag;
}

int32_t ScsiWrapper::RunCommand(int direction, const uint8_t* cdb, int cdbLength, const char* caller, void* data,
                                uint32_t length) {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.SendCdb(direction, cdb, cdbLength, caller, data, length));
  StoreResult(result);
  GetSenseData();
  ResetWhenNoSense();
  return result;
}

bool ScsiWrapper::SendCmd(int direction, const uint8_t* cdb, int cdbLength, uint8_t* data, uint32_t length) {
  if (cdb == nullptr || cdbLength < 1) return false;
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.SendCdb(direction, cdb, cdbLength, kCaller, data, length));
  StoreResult(result);
  if (result >= 1) return true;  // the name is for the failure text only
  char name[8];
  std::snprintf(name, sizeof name, "0x%02X", cdb[0]);
  return CheckStatus(result, name);
}
