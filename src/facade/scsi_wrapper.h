// The drive session facade: the one object through which the console and the
// script engine reach the drives.
//
// It sits on the device layer (the global SCSI) and adds what the console
// needs on top of it: its own filtered, renumbered device list, the 8-bit
// drive-type code of a device, the record of the last command's outcome that
// the script engine copies after every command, the translation of
// device-layer result codes into console text (CheckStatus, the only place
// that does it), the user-mode switches and a few utilities.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "device/fup_phase.h"
#include "device/records.h"
#include "facade/drive_session.h"
#include "facade/script_commands.h"

struct TapeAlertRow;

// How the last script command ended at the transport, beside the sense of
// the last-command record: kept apart so that the TapeAlert report after a
// failed read or write cannot overwrite it.
struct SCRIPT_TRANSPORT {
  uint32_t hostStatus = 0;
  uint32_t driverStatus = 0;
  bool timedOut = false;
  // Data in: bytes that reached the script's buffer (0 unless the command
  // ended with good status). Data out: bytes the drive took.
  uint32_t bytesMoved = 0;
};

// Why a script read or write loop sent nothing.
enum ScriptTransferCheck : int32_t {
  kTransferOk = 0,
  kTransferBufferTooSmall,  // the CDB announces more bytes than its buffer holds
  kTransferNoBlockLength,   // fixed blocks, but the drive reported no block length
  kTransferNotSent,         // asking the block length failed: the record says why
};

class ScsiWrapper {
 public:
  ScsiWrapper();
  virtual ~ScsiWrapper();
  ScsiWrapper(const ScsiWrapper&) = delete;
  ScsiWrapper& operator=(const ScsiWrapper&) = delete;

  // ---- Device list -------------------------------------------------------

  // How many scans the device layer has made: a firmware step that rescans
  // moves it, so the caller knows to follow the chosen drive.
  static long DeviceScanCount();
  // Closes the nodes the device layer keeps open; the console calls it at
  // exit while the OS seam that opened them still exists.
  static void CloseDeviceNodes();
  // Where a firmware download stands, for the note an interrupt prints.
  using FupPhase = ::FupPhase;
  static FupPhase FupPhaseNow();

  // Scans through the device layer (all /dev/sg nodes, or only `deviceFile`
  // when given), classifies every device and keeps the accepted ones.
  // Returns the number of accepted devices, 0 when none. VEXIL_HDD and
  // VEXIL_MC ("true") admit other disks and changers; the Dell edition
  // (SetDellEdition) without engineering mode admits only its own drives.
  int32_t InitScsiDll(const char* deviceFile);
  void UninitScsiDll();
  // "\t%d) [%s] [%s] [%s]\n" per accepted device, then an empty line.
  void ListDevices();
  // Number of accepted devices in the list.
  int32_t GetDeviceCount() const;
  // Medium changers the last scan found and left out (VEXIL_MC not "true").
  int32_t GetHiddenChangerCount() const { return hiddenChangers_; }

  // Per-position getters (0-based list positions). The device-layer
  // selection is switched only for the call and restored. Null for a free or
  // out-of-range position. The file name and the description each have a
  // 64-byte buffer of their own, valid until the next call of that getter, so
  // one printf may show both.
  const char* GetDeviceFilename(int32_t position);
  const char* GetDeviceDescription(int32_t position);
  const char* GetSerialNumber(int32_t position);

  // Binds the drive session to the device at `position`: selects it in the
  // device layer and keeps it open; its identity becomes the drive chosen.
  // The one place that binds the session; returns it.
  DriveSession& SetDeviceSelected(int32_t position);
  // The drive session (bound or not).
  DriveSession& Session() { return session_; }
  const DriveSession& Session() const { return session_; }
  // The session's list position, drive and model (see DriveSession).
  int32_t GetDeviceSelected() const { return session_.Position(); }
  const DriveIdentity& GetChosenDrive() const { return session_.Drive(); }
  const char* GetModel() const { return session_.Model(); }

  // The Dell edition of the console (marker folder "Scripts/.dell"); the
  // front end passes its `Vendor` selection flag here before InitScsiDll.
  void SetDellEdition(bool on) { dellEdition_ = on; }
  bool GetDellEdition() const { return dellEdition_; }
  // The reports of every tape device (health, list) take medium changers
  // as VEXIL_MC=true does.
  void SetListChangers(bool on) { listChangers_ = on; }

  // ---- Classification ----------------------------------------------------

  // Sends a standard INQUIRY to the device selected in the device layer and
  // returns its drive-type code; the code is also kept as the drive type.
  uint8_t GetDriveType();
  // The kept drive-type code; the front end stores the selected device's
  // code here so that later readers (command menu) see it.
  uint8_t GetDriveTypeCode() const { return driveType_; }
  void SetDriveTypeCode(uint8_t code) { driveType_ = code; }
  // MODE SENSE of the protocol-specific logical unit page: true for SAS.
  bool IsSAS();

  // ---- Commands and their outcome -----------------------------------------

  // One raw command (direction 0 out, 1 in, 2 none) named "0x%02X" after its
  // operation code; failures are reported by CheckStatus.
  bool SendCmd(int direction, const uint8_t* cdb, int cdbLength, uint8_t* data, uint32_t length);
  // Turns a device-layer result into console text; true for success.
  bool CheckStatus(int32_t result, const char* commandName);
  // Reads the sense of the last command from the device layer into the
  // last-command record.
  void GetSenseData();
  // The sense values of an outcome record of the device layer, as a whole.
  void TakeSense(const CommandOutcome& outcome);
  // Fills the last-command record with its "no command yet" values.
  void ClearLastCommand();
  // After a command: without sense data the record returns to the
  // "no sense" values (keeping the result). True when there was sense.
  bool ResetWhenNoSense();
  const LAST_COMMAND& GetLastCommand() const { return session_.LastCommand(); }

  void HexDump(const uint8_t* data, int32_t length);

  void SetTimeout(long seconds);
  long GetTimeout();
  // Waits whole seconds through the OS seam (a virtual clock does not wait).
  void Sleep(long seconds);

  // Expected and read-back buffers of the read-and-compare path.
  bool SetBufferSize(uint32_t size);
  void SetDataPattern(const uint8_t* data);
  bool CompareBuffers() const;
  // Current byte count of the compare path (the size of the expected buffer
  // after SetBufferSize).
  uint32_t GetByteCount() const { return byteCount_; }
  uint8_t* GetExpectedBuffer() { return expected_.empty() ? nullptr : expected_.data(); }
  uint8_t* GetReadBackBuffer() { return readBack_.empty() ? nullptr : readBack_.data(); }

  // Frees the facade's copy of the tape-alert log page.
  void CleanUpAllocatedBuffers();
  // The device layer's last fetched log page and its size.
  uint8_t* GetLogPageBuffer();
  int32_t GetLogPageSize();

  // Collects the drive's trace buffer into "<folder>/TraceBuffer_<serial>.svm"
  // (folder "FAData" when null).
  bool LTO_Trace(const char* folder);

  // ---- Firmware (firmware_commands.cpp) ----------------------------------

  // Updates the session's drive from an image file / writes an upgrade tape
  // from it / readies the drive to update from, or revert, such a tape.
  // `session` is the one this facade handed out. True on success; a failure
  // is reported on the console with the device layer's reason and the text
  // of its result code. The update goes only to the drive chosen; the device
  // layer rescans while the drive restarts, after which the list is rebuilt
  // and the session is bound again to the drive chosen, found by its serial
  // number, or to none.
  bool DoFup(DriveSession& session, const char* imagePath);
  bool DoFupTape(DriveSession& session, const char* imagePath);
  bool DoFupFromTape(DriveSession& session);
  bool DoRevertFupTape(DriveSession& session);
  // ---- Command menu and parse mode ----------------------------------------

  // Prints the command menu of the selected drive's table; returns the
  // number of entries shown.
  int32_t ListCommands();
  // The single commands of the command menu; failures are reported by
  // CheckStatus.
  bool SendTestUnitReady();
  bool SendInquiry();
  bool SendLoad();
  bool SendUnload();
  bool SendRewind();
  // Fetches one log page into the device layer.
  bool GetLogPage(uint8_t page);
  // Prints every TapeAlert flag the drive has set (a changer's by their
  // changer meaning; a flag the table lacks by its number) and logs it by
  // severity. False when the page could not be read whole: a page cut short
  // still shows the flags that arrived. AlertFound() tells whether any flag
  // was set.
  bool GetTapeAlerts();
  bool AlertFound() const { return alertFound_ != 0; }
  // The flag (1 to 64) was set at the last report.
  bool AlertActive(int flag) const { return flag >= 1 && flag <= 64 && alertActive_.test(static_cast<size_t>(flag)); }
  // Session log the TapeAlert report writes to (empty: none).
  using AlertLog = std::function<void(int level, const char* text)>;
  void SetAlertLog(AlertLog write) { alertLog_ = std::move(write); }
  // The line interpreter of parse mode, reading `in`: 0 after quit or the
  // end of input, -1 when the input ends inside a data or CDB list or memory
  // runs out. *failures (when given) counts the commands sent that failed and
  // the command lines refused.
  int ParseCommands(FILE* in = stdin, int* failures = nullptr);
  // One hexadecimal byte ("0A", "0010"); one decimal number of digits only.
  static bool isValidHexByte(const char* text);
  static bool isValidDecNum(const char* text);

  // ---- Script hooks (script_hooks.cpp) -------------------------------------
  // The script engine's device statements hand their declared commands here.
  // None prints a failure: the outcome is in the last-command record. With a
  // check condition the record holds the decoded sense (ILI, EOM, filemark and
  // residual included), also when the driver reported a host or driver status
  // with it; a command lost in the transport holds the console's transport
  // triple (console_sense.h); otherwise the "no sense" values. A null command
  // does nothing.

  // SCSI: the declared CDB as it stands, with the script's timeout.
  void OnScriptCdbCmds(const CDB_LINK* command);
  // ATA: wrapped in ATA PASS-THROUGH(12); the returned register image goes
  // into the first 8 bytes of the buffer (zeros when the reply carried none;
  // nothing for a buffer shorter than 8 bytes).
  void OnScriptCdbCmds(const ATA_LINK* command);
  // The read and write loops move exactly what the CDB announces with each
  // command: its transfer length in bytes, or with the FIXED bit that many
  // blocks of the drive's block length (asked with MODE SENSE first). A
  // buffer smaller than that sends nothing (kTransferBufferTooSmall). A loop
  // stops at its first command that does not end cleanly: a check
  // condition, a transport failure (then the drive's TapeAlerts are
  // reported, the record kept), a short transfer (the console's short-data
  // triple, the missing bytes as residual) or a mismatch; the record then
  // describes that command. *completed receives the commands that ended
  // cleanly before it (all of them when none failed).
  //
  // READ(6) `count` times with the CDB's other bytes; with `compare` each
  // block is compared with the buffer's contents before the first read (the
  // buffer keeps them); without, the data lands in the buffer.
  ScriptTransferCheck OnScriptReadCmd(const CDB_LINK* command, uint32_t count, SCRIPT_COMPARE* compare = nullptr,
                                      uint32_t* completed = nullptr);
  // The CDB's first 6 bytes, data out, `count` times.
  ScriptTransferCheck OnScriptWriteCmd(const CDB_LINK* command, uint32_t count, uint32_t* completed);
  // Standard INQUIRY (56 bytes) into `record`, shown with HexDump; false
  // (record untouched) when it failed.
  bool OnScriptInquiryCmd(uint8_t* record);
  static constexpr uint32_t kScriptInquiryLength = 56;
  // Host adapter status of the script's last command (0xFFFFFFFF without a
  // selected device).
  uint32_t OnScriptGetHaStat();
  const SCRIPT_TRANSPORT& GetScriptTransport() const { return transport_; }
  // Timeout of the script's commands, whole seconds: 1 to 4294967; 0 puts
  // back the default of 600.
  void SetScriptTimeout(uint32_t seconds);
  uint32_t GetScriptTimeout() const { return scriptTimeout_; }
  static constexpr uint32_t kDefaultScriptTimeout = 600;
  uint8_t OnScriptGetDeviceType();
  // Firmware update from a script: not offered; prints a notice, sends nothing.
  uint32_t OnScriptFupDrive(const char* file);
  const SCRIPT_CURRENT_COMMAND& GetCurrentCommand() const { return current_; }

  // ---- Mode switches -----------------------------------------------------

  void EnableDebug(bool on);
  void EnableVerbose(bool on);
  bool IsDebug() const { return debug_ != 0; }
  bool IsVerbose() const { return verbose_ != 0; }
  // 0 ask, 1 answer yes, -1 answer no.
  void SetAutoReply(int32_t value) { autoReply_ = value; }
  int32_t GetAutoReply() const { return autoReply_; }
  void SetAutoExit(bool on) { autoExit_ = on ? 1 : 0; }
  bool GetAutoExit() const { return autoExit_ != 0; }
  void SetEngMode(bool on) { engMode_ = on ? 1 : 0; }
  bool GetEngMode() const { return engMode_ != 0; }
  void SetSasMode(bool on) { sasMode_ = on ? 1 : 0; }
  bool GetSasMode() const { return sasMode_ != 0; }
  void SetParkMode(bool on) { parkMode_ = on ? 1 : 0; }
  bool GetParkMode() const { return parkMode_ != 0; }
  // Brand text, "HALCYON" unless replaced; a null text is ignored.
  void SetVendor(const char* text);
  const char* GetVendor() const { return vendor_.c_str(); }

 private:
  // One command with the record kept: cleared before, result and sense after
  // (reset to "no sense" when the drive reported none). Returns the result.
  int32_t RunCommand(int direction, const uint8_t* cdb, int cdbLength, const char* caller, void* data, uint32_t length);
  void StoreResult(int32_t result) { session_.last_.result = result; }
  // A device-layer command of the menus with the record kept: cleared
  // before, its result stored after. Returns the result.
  int32_t RunAndStore(long (*send)());
  // Script commands: the record after one command of a hook (see above).
  void TakeScriptOutcome(int32_t result, int direction);
  // One command of a hook, its outcome taken.
  int32_t SendScriptCdb(int direction, const uint8_t* cdb, int cdbLength, uint8_t* data, uint32_t length);
  // Bytes each READ or WRITE of a loop moves (see the loops above).
  ScriptTransferCheck ScriptTransferBytes(const CDB_LINK& command, uint32_t& bytes);
  // The drive's block length from the block descriptor of MODE SENSE(6).
  ScriptTransferCheck ScriptBlockLength(uint32_t& length);
  // Marks the record of a command that moved fewer bytes than it announced.
  void MarkShortTransfer(uint32_t missing);
  SCRIPT_TRANSPORT transport_;
  uint32_t scriptTimeout_ = kDefaultScriptTimeout;
  // A read or write of a script failed in transport: the drive's TapeAlerts
  // are reported, and the record still describes the failed command.
  void ReportTapeAlertsKeepingRecord();
  // The TapeAlert report itself (script_tape_alerts.cpp).
  void ScriptTapeAlertReport();
  // One set flag of the TapeAlert report: printed, kept and logged.
  void ReportAlert(const TapeAlertRow& row);
  // Decodes the copy of the TapeAlert page and reports its set flags; false
  // when the page cannot be decoded.
  bool ReportSetAlerts();
  SCRIPT_CURRENT_COMMAND current_;

  // Tape-alert state of the command menu: the last alert severities, the
  // alert-found flag and the facade's copy of the alert log page.
  std::string lastSeverity_;
  std::string lastInformational_;
  std::string lastWarning_;
  std::string lastCritical_;
  uint8_t alertFound_ = 0;
  std::vector<uint8_t> alertPage_;
  AlertLog alertLog_;
  std::bitset<65> alertActive_;  // bit n: TapeAlert flag n was set

  // Device-layer index of a list position, or -1 for a free entry.
  int DeviceIndexAt(int32_t position) const;
  // The device layer's list as it stands, filtered into devList_.
  void AcceptScannedDevices(long scanned, bool hddFlag, bool changerFlag);
  // After the device layer rebuilt its list under us: the list again, and
  // the drive chosen selected where the device layer found it, or none.
  void FollowRescan();
  // Copies a text of the device at `position` into `buffer`; `getter` reads
  // it from the device selected in the device layer.
  const char* CopyFromDevice(int32_t position, const char* (*getter)(), std::array<char, 64>& buffer);
  bool AcceptDevice(uint8_t code, bool hddFlag, bool changerFlag) const;
  void PrintAdapterLines();
  // The sense of the last command, in numbers and in words.
  void PrintSenseStatus() const;
  // The device layer's reason and result text after a failed firmware step.
  void PrintFirmwareReason(int32_t result);

  uint8_t debug_ = 0;
  uint8_t verbose_ = 0;
  std::array<char, 64> nameBuffer_{};
  std::array<char, 64> descriptionBuffer_{};
  uint8_t driveType_ = 0;
  DriveSession session_;

  std::vector<uint8_t> expected_;
  std::vector<uint8_t> readBack_;
  uint32_t byteCount_ = 0;

  // Device-layer indexes of the accepted devices; 0xFF marks a free entry.
  std::vector<uint8_t> devList_;
  long scanSeen_ = 0;  // the device layer's scan count behind devList_
  int32_t hiddenChangers_ = 0;

  int32_t autoReply_ = 0;
  uint8_t autoExit_ = 0;
  uint8_t engMode_ = 0;
  uint8_t sasMode_ = 0;
  uint8_t parkMode_ = 0;
  bool dellEdition_ = false;
  bool listChangers_ = false;
  std::string vendor_ = "HALCYON";
};
