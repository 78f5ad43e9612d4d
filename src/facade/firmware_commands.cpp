// The firmware operations as the console sees them: each runs one device
// layer operation, keeps its result in the last-command record and reports
// a failure through CheckStatus, followed by the reason the device layer
// gave, which the status line alone does not tell.
#include <cstdio>
#include <cstring>

#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"

namespace {

// The firmware operations' "done" code.
constexpr int32_t kStepDone = 58;

}  // namespace

void ScsiWrapper::PrintFirmwareReason(int32_t result) {
  const char* message = SCSI.GetMessageBuffer();
  if (message != nullptr && message[0] != '\0') std::printf("%s\n", message);
  if (result > 0) std::printf("Result %d: %s\n\n", result, ScsiInt::GetErrorText(result));
}

bool ScsiWrapper::DoFup(const char* imagePath) {
  ClearLastCommand();
  const int32_t result = static_cast<int32_t>(SCSI.FupDrive(imagePath));
  StoreResult(result);
  if (CheckStatus(result, "Fup drive")) return true;
  PrintFirmwareReason(result);
  return false;
}

bool ScsiWrapper::DoFupTape(const char* imagePath) {
  ClearLastCommand();
  const int32_t result = static_cast<int32_t>(SCSI.FupTape(imagePath));
  StoreResult(result);
  if (CheckStatus(result, "Fup tape")) return true;
  PrintFirmwareReason(result);
  return false;
}

namespace {

// The update-from and revert requests answer 58 when the drive took them.
// Anything else is a failure, reported with the drive's sense when it gave
// one.
int32_t AsCommandResult(int32_t result) {
  if (result == kStepDone) return 1;
  if (result < 0) return result;
  return SCSI.GetCheckCondition() != 0 ? -2 : 0;
}

}  // namespace

bool ScsiWrapper::DoFupFromTape() {
  ClearLastCommand();
  const int32_t result = static_cast<int32_t>(SCSI.FupFromTape());
  StoreResult(result);
  if (CheckStatus(AsCommandResult(result), "Fup from tape")) return true;
  PrintFirmwareReason(result);
  return false;
}

bool ScsiWrapper::DoRevertFupTape() {
  ClearLastCommand();
  const int32_t result = static_cast<int32_t>(SCSI.RevertFupTape());
  StoreResult(result);
  if (CheckStatus(AsCommandResult(result), "Revert FUP tape")) return true;
  PrintFirmwareReason(result);
  return false;
}
