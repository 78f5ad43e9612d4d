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

void ScsiWrapper::ClearLastCommand() { last_ = LAST_COMMAND{}; }

bool ScsiWrapper::ResetWhenNoSense() {
  if (last_.senseKey != 0 || last_.asc != 0 || last_.ascq != 0) return true;
  const int32_t result = last_.result;
  ClearLastCommand();
  last_.result = result;
  return false;
}

void ScsiWrapper::GetSenseData() {
  last_.senseKey = static_cast<uint8_t>(SCSI.GetSenseKey());
  last_.asc = static_cast<uint8_t>(SCSI.GetAsc());
  last_.ascq = static_cast<uint8_t>(SCSI.GetAscQ());
  last_.vsSense = static_cast<int32_t>(SCSI.GetVsSense());
  if (const uint8_t* regs = SCSI.GetATARegs()) std::copy_n(regs, last_.ataRegs.size(), last_.ataRegs.begin());
  last_.residual = static_cast<int32_t>(SCSI.GetResidual());
  last_.ltocFsc = static_cast<uint16_t>(SCSI.GetCheckLtocFSC());
  last_.ltocFlag = static_cast<uint16_t>(SCSI.GetCheckLtocFlag());
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
  char name[8];
  std::snprintf(name, sizeof name, "0x%02X", cdb[0]);
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.SendCdb(direction, cdb, cdbLength, kCaller, data, length));
  StoreResult(result);
  return CheckStatus(result, name);
}
