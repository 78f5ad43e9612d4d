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

bool ScsiWrapper::DoFup(DriveSession& session, const char* imagePath) {
  ClearLastCommand();
  // Without a drive chosen there is no drive the image may go to.
  if (!session.Bound()) {
    std::printf("Fup drive: no device is selected; nothing was sent.\n\n");
    return false;
  }
  const int32_t result = static_cast<int32_t>(SCSI.FupDrive(imagePath, &session.drive_));
  StoreResult(result);
  const bool done = CheckStatus(result, "Fup drive");
  if (!done) PrintFirmwareReason(result);
  // After the reason: rebuilding the list sends commands, which clear it.
  FollowRescan();
  return done;
}

bool ScsiWrapper::DoFupTape(DriveSession& session, const char* imagePath) {
  ClearLastCommand();
  if (!session.Bound()) {
    std::printf("Fup tape: no device is selected; nothing was written.\n\n");
    return false;
  }
  const int32_t result = static_cast<int32_t>(SCSI.FupTape(imagePath, &session.drive_));
  StoreResult(result);
  if (CheckStatus(result, "Fup tape")) return true;
  PrintFirmwareReason(result);
  return false;
}

namespace {

// The update-from and revert requests answer 58 when the drive took them.
// Anything else is a failure, reported as the command that failed ended:
// its sense, its timeout, or its transport error (a failed ioctl is one).
int32_t AsCommandResult(const DriveSession& session, int32_t result) {
  if (result == kStepDone) return 1;
  if (result < 0) return result;
  if (SCSI.GetCheckCondition() != 0) return -2;
  const int32_t command = session.LastOutcome().result;
  if (command == 0) return -5;
  return command < 0 ? command : 0;
}

}  // namespace

bool ScsiWrapper::DoFupFromTape(DriveSession& session) {
  ClearLastCommand();
  const int32_t result = static_cast<int32_t>(SCSI.FupFromTape());
  StoreResult(result);
  if (CheckStatus(AsCommandResult(session, result), "Fup from tape")) return true;
  PrintFirmwareReason(result);
  return false;
}

bool ScsiWrapper::DoRevertFupTape(DriveSession& session) {
  ClearLastCommand();
  const int32_t result = static_cast<int32_t>(SCSI.RevertFupTape());
  StoreResult(result);
  if (CheckStatus(AsCommandResult(session, result), "Revert FUP tape")) return true;
  PrintFirmwareReason(result);
  return false;
}
