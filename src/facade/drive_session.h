// The drive session: the drive the console works with, as the facade binds
// it. It carries the drive's place in the facade's device list, who the
// drive is, and its one outcome record (LAST_COMMAND); through it the
// facade reads the device layer's outcome and data buffer of that drive.
//
// The facade hands the session out when a drive is chosen
// (ScsiWrapper::SetDeviceSelected) and the firmware flows take it back as
// a parameter; the facade's device list is the one place that binds it, so
// no caller moves the device layer's selection behind the session's back.
#pragma once

#include <array>
#include <cstdint>

#include "device/records.h"

// "No sense" marker of the last-command record: a script tests for the
// absence of sense data by this value in the sense key, ASC and ASCQ.
inline constexpr uint8_t kNoSense = 0xCC;
// VS sense of the last-command record when the command had no sense data.
inline constexpr int32_t kNoVsSense = -1;

// Outcome of the last command, read by the script engine right after each
// command. Before every command every field holds 0xCC bytes (kNoSense,
// 0xCCCC, 0xCCCCCCCC) and vsSense -1; after a command without sense data the
// record is put back to that state, except for `result`, which keeps the
// device-layer result of the command.
struct LAST_COMMAND {
  uint8_t senseKey = kNoSense;
  uint8_t asc = kNoSense;
  uint8_t ascq = kNoSense;
  // Copied by the script engine as its ILI, EOM and FM values; no command
  // fills them, so they read 0xCC.
  uint8_t ili = kNoSense;
  uint8_t eom = kNoSense;
  uint8_t fm = kNoSense;
  int32_t result = static_cast<int32_t>(0xCCCCCCCCu);
  int32_t vsSense = kNoVsSense;
  // Copy of the device layer's returned ATA register image.
  std::array<uint8_t, 8> ataRegs{kNoSense, kNoSense, kNoSense, kNoSense, kNoSense, kNoSense, kNoSense, kNoSense};
  int32_t residual = static_cast<int32_t>(0xCCCCCCCCu);
  uint16_t ltocFsc = 0xCCCC;
  uint16_t ltocFlag = 0xCCCC;
};

class DriveSession {
 public:
  // A list position is bound (a position outside the list binds no device:
  // HasDevice tells).
  bool Bound() const { return position_ >= 0; }
  // The list position the session was bound to; -1 when no drive is (also
  // after a firmware update that lost the drive).
  int32_t Position() const { return position_; }
  // Who the drive is: serial number, vendor and product, revision.
  const DriveIdentity& Drive() const { return drive_; }
  // The drive's description without its first word (the vendor).
  const char* Model() const { return model_.data(); }

  // The session's outcome record of its last command.
  const LAST_COMMAND& LastCommand() const { return last_; }
  // What the device layer recorded of the last command it sent, and its
  // data buffer (null if never allocated).
  const CommandOutcome& LastOutcome() const;
  uint8_t* DataBuffer() const;
  // The device layer has a device to send to.
  bool HasDevice() const;

 private:
  friend class ScsiWrapper;

  int32_t position_ = -1;
  DriveIdentity drive_{};
  std::array<char, 64> model_{};
  LAST_COMMAND last_;
};
