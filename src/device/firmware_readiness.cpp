// Before a download: is the device in a state to take new firmware? A tape
// drive must be empty (the check rewinds and unloads a cartridge itself), a
// changer idle, a drive of the BR line must hold its cartridge.
#include "base/system.h"
#include "device/firmware.h"
#include "device/scsi_int.h"

namespace {

constexpr const char* kContext = "FupDrive()";
constexpr long kCheckTimeout = 35;
constexpr long kRewindTimeout = 510;
constexpr long kUnloadTimeout = 600;
constexpr long kWaitSeconds = 100;
constexpr int kProbePasses = 3;
constexpr int kProbesPerPass = 3;
constexpr int kBrFamily = 44;

constexpr const char* kNoRdc = "Error: Device not in correct state for FUP (RDC not present): ";
constexpr const char* kStateUnknownModeSense =
    "Error: Device not in correct state for FUP: the cartridge state could not be read (MODE SENSE failed).";
constexpr const char* kStateUnknownUnload =
    "Error: Device not in correct state for FUP: the cartridge state could not be read (UNLOAD failed).";

bool NoCartridge(long condition) {
  return condition == fup::kNoMedium || condition == fup::kNoMediumLoadable || condition == fup::kRestarting;
}

}  // namespace

// Passes of three TEST UNIT READY until they agree: a pass with some but not
// all of them failing (a unit attention being cleared) is repeated. The
// check condition of the last one, 0 when it succeeded.
long ScsiInt::ProbeReadiness() {
  long last = 0;
  for (int pass = 0; pass < kProbePasses; ++pass) {
    int checks = 0;
    for (int i = 0; i < kProbesPerPass; ++i) {
      const long result = TestUnitReady();
      last = result == -2 ? GetCheckCondition() : 0;
      if (result == -2) ++checks;
      if (pass > 0) Sleep(500);
    }
    if (checks == 0 || checks == kProbesPerPass) break;
  }
  return last;
}

// Rewinds and unloads the cartridge; 58 when the drive then reports no
// medium, 61 when one is still there. When the drive cannot tell (its mode
// data cannot be read, or the unload failed for another reason than a
// missing cartridge) the state is unknown, which is no reason to go on: 51
// with the reason.
long ScsiInt::EmptyForUpdate() {
  const long saved = GetTimeout();
  Rewind(kRewindTimeout);
  long unloaded = Unload(kUnloadTimeout);
  if (unloaded != 1) {
    SetMediumRemoval(false);
    unloaded = Unload(kUnloadTimeout);
  }
  const bool unloadFailed = unloaded != 1 && !(unloaded == -2 && NoCartridge(GetCheckCondition()));
  SetTimeout(saved);
  if (MediaCheck() != 1) {
    SetMessage(kStateUnknownModeSense, kContext);
    return fup::kNotReadyForUpdate;
  }
  if (GetMediaType() != 0 || GetMediaDensity() != 0) return fup::kMediumPresent;
  if (unloadFailed) {
    SetMessage(kStateUnknownUnload, kContext);
    return fup::kNotReadyForUpdate;
  }
  return fup::kDone;
}

long ScsiInt::CheckFupReadyness() {
  if (!Ready()) return -3;
  KeepTimeout keep(*this);
  SetTimeout(kCheckTimeout);
  const time_t start = Sys().Now().tv_sec;
  const int family = device_->familyCode;

  long result = 0;
  if (device_->sequential && unloadBeforeUpdate_) {
    if (NoCartridge(ProbeReadiness())) return fup::kDone;
    result = EmptyForUpdate();
    if (result != fup::kMediumPresent) return result;
  } else if (family == kBrFamily) {
    if (ProbeReadiness() != fup::kNoMedium) return fup::kDone;
    SetMessage(kNoRdc, kContext);
    return fup::kNotReadyForUpdate;
  }

  while (Sys().Now().tv_sec - start < kWaitSeconds) {
    long last = 0;
    for (int i = 0; i < 4; ++i) last = TestUnitReady();
    const long condition = last == -2 ? GetCheckCondition() : 0;
    if (device_->sequential) {
      // A cartridge that would not come out stays a reason to stop.
      if (result != fup::kMediumPresent) return fup::kDone;
      SetMessage("Operate Device Handle - Remove Tape", kContext);
      return fup::kMediumPresent;
    }
    if (device_->changer) {
      if (condition != fup::kChangerInitializing) return fup::kDone;
      result = fup::kChangerBusy;
    } else if (unloadBeforeUpdate_) {
      result = EmptyForUpdate();
      if (result != fup::kMediumPresent) return result;
      SetMessage("Operate Device Handle - Remove Tape", kContext);
      Sleep(5000);
    } else if (family == kBrFamily) {
      if (last == 1) return fup::kDone;
      SetMessage(kNoRdc, kContext);
    } else {
      if (MediaCheck() != 1) {
        SetMessage(kStateUnknownModeSense, kContext);
        return fup::kNotReadyForUpdate;
      }
      SetMessage("Error: Device not in correct state for FUP: ", kContext);
      return GetMediaType() != 0 || GetMediaDensity() != 0 ? fup::kCartridgeAtFinalCheck : fup::kDone;
    }
    Sleep(1000);
  }
  SetMessage("Error: Device not ready / incorrect state for FUP: ", kContext);
  return result != 0 ? result : fup::kNotReadyForUpdate;
}
