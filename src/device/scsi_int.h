// The device layer: one process-wide object, SCSI, that finds the attached
// drives, selects one, and sends it commands over the sg driver.
//
// Results are signed codes: a byte count or 1 for success; -1 timeout,
// -2 check condition (sense decoded), -3 no device selected or request too
// long, -4 the node could not be opened, -5 transport error, -6 no memory,
// -7 an answer shorter than the drive declared it (what arrived is kept).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "device/family.h"
#include "device/fup_phase.h"
#include "device/records.h"
#include "device/shims.h"

struct FupPlan;
struct FupImage;

// An answer whose own length field claims more than arrived: what arrived
// is kept, but it is no whole answer.
inline constexpr long kIncompleteData = -7;

// Held while the device list is rebuilt.
extern std::mutex scanLock;

class ScsiInt {
 public:
  ScsiInt();
  virtual ~ScsiInt();
  ScsiInt(const ScsiInt&) = delete;
  ScsiInt& operator=(const ScsiInt&) = delete;

  // ---- transport ----
  // direction 0 out, 1 in, 2 none. Bytes moved, 1 for no data, or a code.
  long SendCdb(int direction, const uint8_t* cdb, int cdbLength, const char* caller, void* data, long length);
  // The CDB is already in the pass-through record.
  long DevIo(int64_t length, int cdbLength, int direction, const char* caller, bool reportSense);
  // Everything the latest command on the selected device left: status,
  // decoded sense, bytes moved, timed-out flag and texts (an empty record
  // when no device is selected). Valid until the next command.
  const CommandOutcome& LastOutcome() const;
  long OpenDevice(const char* caller);
  long CloseDevice();
  void SetTimeout(long seconds);
  long GetTimeout();
  void EnableDebug(bool on) { debug_ = on; }
  void EnableVerbose(bool on) { verbose_ = on; }
  void LeaveDeviceOpen(bool on) { leaveOpen_ = on; }
  bool IsDebug() const { return debug_; }
  bool IsVerbose() const { return verbose_; }
  void SetLastCdb(const uint8_t* cdb, int length);
  const char* GetLastCdb();
  void SystemError(long code, const char* context);
  void SetMessage(const char* message, const char* context);
  long CreateHeap(size_t size);
  void* AllocateHeap(size_t size);
  long FreeHeap(void* p);
  long DestroyHeap();
  int64_t GetByteCount();
  int64_t GetCommandCount();
  long GetStatus();
  long GetHAStatus();
  long GetDriverStatus();
  long WaitForUnitReady();
  // The shared data buffer and pass-through record (null if never allocated).
  uint8_t* GetDataBuffer() { return dataBuffer_; }
  _SCSI_STRUCT* GetScsiStruct() { return record_; }
  bool TimedOut();
  long GetMaxTransfer();

  // ---- discovery and selection ----
  long ScanDevices(int flag, int includeSequential, int includeChanger, int includeAll, const char* devicePath);
  long Initialize(int flag, const char* devicePath);
  long GetUnixAdapters(const char* filter, const char* devicePath);
  long CheckUnixDevice(const char* path);
  long ListDevices();
  long FindAdapter(const char* name);
  long ScanNamedBus(const char* path);
  long ReScanBus();
  long ScanAllBusses() { return 0; }
  long ResetBus() { return 0; }
  long ResetNamedBus(const char*) { return 0; }
  void SetDeviceIndex(int index);
  int GetDeviceIndex() const { return selected_; }
  long GetDeviceCount() const { return deviceCount_; }
  // Grows with every rebuild of the device list: a caller that kept list
  // positions knows when they went stale (a firmware update rescans).
  long ScanCount() const { return scanCount_; }
  long GetAdapterCount() const { return adapterCount_; }
  void SetAdapterFilter(const char* filter);
  long FindDevice(const char* serial);
  long FindSerialNumber(const char* serial);
  long FindRelatedLoader();
  long RelocateDevice(long seconds);
  long FindAfterFUP();
  void ClearScsiList();
  void ClearScsiDev();
  void ClearAdapter(int index);
  void CleanUp();
  const char* GetAdapterFilename(int i);
  const char* GetAdapterDescription(int i);
  const char* GetAdapterDriver(int i);
  long GetAdapterNumberOfBusses(int i);
  long GetAdapterBusId(int i, int bus);
  long GetAdapterInitiatorId(int i, int bus);
  long GetAdapterNumberOfUnits(int i, int bus);
  const char* GetDescription();
  const char* GetSerialNumber();
  const char* GetFilename();
  long GetAdapterIdx();
  long GetPort();
  long GetBus();
  long GetTarget();
  long GetLun();
  long IsClaimed();
  long IsSequential();
  long IsChanger();
  long GetClaimedDevice();
  long GetClaimedChanger();
  long GetCapabilities();
  long GetUpdateState();
  void SetUpdateState(int state);
  const char* GetTestName(int index);

  // ---- identification ----
  long GetDeviceType(const char* text, const char* revision);
  const char* GetDeviceTypeString(long code);
  long GetManufacturer(const char* text);
  long GetMfgId();
  const char* GetMfgString();
  long GetFamilyCode();
  long Inquiry();
  long GetScsiSerialNumber();
  // The identity the selected record holds (no command is sent), and the
  // one the device gives now (INQUIRY and the serial number page, the serial
  // cut as the record's family cuts it; the record is left as it is).
  DriveIdentity RecordedIdentity();
  long ReadIdentity(DriveIdentity* id);
  long GetScsiRevData();
  long GetScsiBuildData();
  long DellInquiry();
  const char* GetRevString();
  const char* GetRevString2();
  const char* GetPersString();
  long GetRevMajor();
  long GetRevMinor();
  long GetPersMajor();
  long GetPersMinor();
  const char* GetRevData();
  const char* GetBuildData();
  const uint8_t* GetInquiryBuffer();
  long GetInquirySize();
  void SetDeviceString(const char* text);
  const char* GetDeviceString() const { return deviceString_; }
  static void ToUpper(char* text, size_t n);

  // ---- sense and error text ----
  long RequestSense();
  // `length` is how many bytes of `sense` are valid (the rest reads as 0).
  void HandleSenseData(const uint8_t* sense, const char* caller, bool report, size_t length = kSenseSize);
  // Writes the sense message for the first `length` bytes of `sense` into
  // `text` (at most `size` bytes, terminated).
  static void FormatSenseMessage(char* text, size_t size, const uint8_t* sense, size_t length = kSenseSize);
  void SenseReset();
  static const char* GetErrorText(long code);
  const char* GetMessageBuffer();
  const char* GetDevErrorBuffer();
  const char* GetScsiErrorBuffer();
  const char* GetErrorBuffer();
  long CheckBusReset();
  long DeviceRecovery(long blockSize);
  long GetSenseKey();
  long GetAsc();
  long GetAscQ();
  long GetVsSense();
  long GetCheckCondition();
  long GetResidual();
  long GetIliFlag();
  long GetFileMarkFlag();
  long GetEomFlag();
  long GetCleaningFlag();
  long GetCheckLtocFSC();
  long GetCheckLtocFlag();
  int64_t GetPowerOnHours();
  int64_t GetTapeMotionHours();
  const uint8_t* GetATARegs();
  const uint8_t* GetSenseBuffer();
  long GetSenseSize();

  // ---- the few tape commands identification and recovery need ----
  long TestUnitReady();
  long ReadPosition();
  long ModeSense(int page, const char* caller);
  long ModeSelect(long length, const uint8_t* data, const char* caller, bool tenByte);
  long GetCurrentBlockSize();
  long SetCurrentBlockSize(long size);
  const uint8_t* GetModeBuffer();
  long GetModeSize();

  // ---- tape and changer operations, log pages, drive parameters, throughput ----
  // (tape_motion.cpp, mode_edits.cpp, element_status.cpp, log_pages.cpp,
  // tape_alerts.cpp, events.cpp, drive_parameters.cpp, write_back.cpp,
  // throughput.cpp; the drive-specific exchanges are in drive_contract.h)
  long Load();
  long Unload(long seconds);
  long Rewind(long seconds);
  long Erase();
  long SetMediumRemoval(bool prevent);
  long Locate(int partition, long block);
  long Space(long count);
  long WriteFileMark(int count);
  long Write(const uint8_t* data, long length);
  long WriteBlock(const uint8_t* data, long blocks);
  long Read(long length);
  long ReadBlock(long blocks);
  int64_t WriteData(const uint8_t* data, long length, long count);
  long Diag(int mode, const uint8_t* data, long length);
  long GetCompression();
  long SetCompression(int value);
  long SetCompressionDCE(bool on);
  long MediaCheck();
  long SetMediaDensity(int density);
  long GetMediaType();
  long GetMediaDensity();
  long ReadElementStatus(int type, int count);
  long MoveElement(int source, int destination);
  long InitializeElementStatus();
  const char* PrintElementReport();

  // 1 for a whole page; kIncompleteData when the page length claims more
  // than arrived (the log buffer then holds what did arrive).
  long FetchLogPage(int page, int parameterPointer);
  bool FetchLog(int page);
  const uint8_t* GetLogBuffer();
  // Bytes of the last page that arrived, and the bytes its header declared
  // (page length + 4; 0 when not even the header arrived).
  long GetLogSize();
  long GetLogDeclaredSize();
  const uint8_t* GetLogParameter(int code, long* length);
  int64_t GetLogParameterValue(int code);
  const char* GetLogParameterString(int code);
  long ParseParameters(int table);
  void ClearParameters();
  int64_t GetParameterValue(int table, int code);
  long CollectParameters();
  void ResetAlerts();
  // 1, or FetchLogPage's failure; a page cut short still sets the flags
  // that arrived and gives kIncompleteData.
  long CollectAlerts();
  long GetNextAlert();
  const char* GetAlertFlag(int flag);
  const char* GetAlertType(int flag);
  const char* GetAlertMessage(int flag);
  const char* GetAlertCause(int flag);
  void ResetEvents();
  long CollectEvents();
  long GetEventCount();
  const char* GetEventText(int index);
  long GetEventLength(int index);
  long GetEventCode(int index);
  long GetEventType(int index);
  const char* GetEventErrorCode(int index);
  long LogReset();
  long ResetDriveParameters();
  long SetParameter(const char* name, const char* value);
  long SetSerialNumber(const char* text);
  long SetRebuild(long n);
  long SetRawErrorLogging(long n);
  long SetScsiEject(long n);
  long ClearSegments();
  long ClearEventLog();
  long CollectLTTWriteBackData();
  long SetWritebackData(const uint8_t* data, long length, long start);
  long GetWriteBackCount();
  const char* GetWriteBackDataHex(int index);
  const char* GetWriteBackDataString(int index);

  double GetReadSecs();
  double GetWriteSecs();
  void SetReadSecs(double seconds);
  void SetWriteSecs(double seconds);
  double GetReadMbPerSec();
  double GetWriteMbPerSec();
  double GetReadMbPerSecAvg();
  double GetWriteMbPerSecAvg();
  int64_t GetKBytesRead();
  int64_t GetKBytesWritten();
  void ResetDeviceStats();
  long ReadPatternFile(const char* name, long length, uint8_t* buffer);
  long GenerateRandomPattern(long length, uint8_t* buffer);
  long VerifyBuffer(const uint8_t* data, long length);
  long GetReadBuffer(uint8_t* data, long length);
  void SetBerBlockSize(int n) { berBlockSize_ = n; }
  void SetBerBlockCount(int n);
  void SetBerIterations(int n) { berIterations_ = n; }
  void SetBerAppend(int n) { berAppend_ = n; }
  void SetImagePath(const char* path, int flag);
  int GetBerBlockSize() const { return berBlockSize_; }
  int GetBerBlockCount() const { return berBlockCount_; }
  int GetBerIterations() const { return berIterations_; }
  int GetBerAppend() const { return berAppend_; }
  const char* GetImagePath() const { return imagePath_; }
  int GetImagePathFlag() const { return imagePathFlag_; }
  // ---- end of tape and changer operations ----

  // ---- timing ----
  void PerformanceStart();
  void PerformanceStop(int kind, bool sample);

  // ---- firmware download and upgrade tapes ----
  // (firmware_image.cpp, firmware_readiness.cpp, firmware_download.cpp,
  // firmware_families.cpp, upgrade_tape.cpp). Results: the codes of
  // GetErrorText (58 a step done, 0 the whole operation done).
  // The image goes only to `chosen` (the selected record's identity when
  // null): checked before the readiness check touches the drive and again,
  // from the drive's own answers, before the first piece.
  long FupDrive(const char* path, const DriveIdentity* chosen = nullptr);
  long FupFileSize(const char* path);
  long CheckFupReadyness();
  // WRITE BUFFER; 1 or the DevIo result, -3 for a length or offset the
  // device cannot take.
  long WriteBuffer(const uint8_t* data, long length, int mode, int bufferId, long offset, int bufferIdOverride);
  long GetFupStat();
  const char* GetFupStatus();
  // On after construction: the readiness check may rewind and unload a tape.
  void SetUnloadBeforeUpdate(bool on) { unloadBeforeUpdate_ = on; }
  long FupLTO(const char* path, long length);
  long FupLTOC(const char* path, long length);
  long FupZEP(const char* path, long length);
  long FupKORU(const char* path, long length);
  long FupWN(const char* path, long length);
  long FupDAT(const char* path, long length);
  long FupTRAVAN(const char* path, long length);
  long FupMagnaChange(const char* path, long length);
  long FupThriftStack(const char* path, long length);
  long FupBR(const char* path, long length);
  // Like FupDrive, only to `chosen`, checked before anything is sent.
  long FupTape(const char* path, const DriveIdentity* chosen = nullptr);
  long FupTapeLTO(const char* path, long length);
  long FupTapeLTOB(const char* path, long length);
  long FupTapeLTO5(const char* path, long length);
  long FupTapeKORU(const char* path, long length);
  long FupTapeDAT320(const char* path, long length);
  long FupTapeLTOC();
  long FupFromTape();
  long RevertFupTape();
  long WriteUpgradeTape();
  using FupPhase = ::FupPhase;
  static FupPhase FupPhaseNow();
  // ---- end of firmware ----

  // The selected record (null when none); for the other modules of the layer.
  _SCSI_DEVICE* Device() { return device_; }
  _SCSI_DEVICE* DeviceAt(int index);

 private:
  void Select(int index);  // selection without side effects
  bool Ready() const { return device_ != nullptr && record_ != nullptr; }
  void ClearRecord(_SCSI_DEVICE& d);
  void ClearTexts();
  void TraceBytes(const char* title, const uint8_t* bytes, int64_t length);
  long ReadinessProbes(int count);
  int FamilyOfSelected(const char* text, const char* revision, bool writeBack);
  long SimpleCommand(const uint8_t* cdb, int cdbLength, const char* caller);
  // The unit serial number page's text (16 characters at most); the result
  // of the command.
  long ReadSerialPage(char (&page)[17]);
  // The serial number as a family keeps it: cut to its length, blanks
  // dropped; an empty page leaves `serial` as it was.
  static void CutSerial(const char* page, int family, char (&serial)[32]);
  // Re-discovery after a restart: selects the listed device whose serial
  // number is `page` cut as that device's family now cuts it (`serial`
  // when the page is unknown); false, with the selection on none, when
  // there is none.
  bool FindRestarted(const char* page, const char* serial);
  // DevIo with the caller's context and the step it came through ("::SendCdb()").
  long Transfer(int64_t length, int cdbLength, int direction, const char* caller, const char* via, bool reportSense);
  // Byte totals and timing of a finished data command; SendCdb's result.
  long CountTransfer(uint8_t op, int direction);
  // The failing shim's reason into the device error text.
  void ReportShimFailure();
  // firmware
  long FupRoutine(const char* routine, const char* path, long length);
  // Reads and checks the whole image for a plan: 58, or 3 or 52 with the
  // reason in the message.
  long LoadImage(const FupPlan& plan, const char* path, long fileLength, FupImage* image);
  long FupPieces(const FupPlan& plan, const char* path, const FupImage& image);
  long FupComposite(const FupPlan& plan, const char* path, const FupImage& image);
  // 58 when the selected node answers as `chosen`, else 68 with the reason.
  long ConfirmChosenDrive(const DriveIdentity& chosen, DriveIdentity* now);
  // After the restart: the revision the drive reports against the one it
  // had and the one the image names; 0, or 67 (53, with `unacknowledged` as
  // the message, when the last piece was never acknowledged).
  long VerifyRevision(const char* before, const char* named, const char* unacknowledged);
  long FupPrepare(const FupPlan& plan);
  long ProbeReadiness();
  long EmptyForUpdate();
  long FupTapeDiagnostic(uint8_t action, uint8_t value);
  long FupTapeWrite(const char* routine, const char* path, long length, long pieceSize, bool viaBuffer);
  bool unloadBeforeUpdate_ = true;

  bool debug_ = false;
  bool verbose_ = false;
  bool leaveOpen_ = false;
  char deviceString_[32] = {};
  char descRetVal_[32] = {};
  int includeSequential_ = 1;
  int includeChanger_ = 1;
  int includeAll_ = 0;
  char adapterFilter_[10] = {};
  int adapterCount_ = 0;
  int deviceCount_ = 0;
  int selected_ = -1;
  int scanFlag_ = 0;
  long scanCount_ = 0;
  // A message with no device selected to hold it (the drive was lost).
  char detachedMessage_[256] = {};
  long currentBlockSize_ = 0;
  int bufferedMode_ = 0;
  _ADAPTER adapters_[kMaxAdapters] = {};
  std::unique_ptr<_SCSI_DEVICE[]> devices_;
  _SCSI_DEVICE* device_ = nullptr;
  struct IoRegion;
  std::unique_ptr<IoRegion> ioRegion_;
  _SCSI_STRUCT* record_ = nullptr;
  uint8_t* dataBuffer_ = nullptr;
  std::unique_ptr<uint8_t[]> heapMarker_;
  bool requestingSense_ = false;
  // Sense bytes the driver wrote into the record by the last command.
  size_t senseWritten_ = kSenseSize;
  // ---- state of the tape and changer operations ----
  long DataCommand(const uint8_t* cdb, int cdbLength, int direction, long length, const char* caller);
  long WithTimeout(long seconds, const uint8_t* cdb, int cdbLength, const char* caller);
  long TransferLimit(long length, const char* name);
  std::string elementReport_;
  std::string parameterText_;
  int berBlockSize_ = 0;
  int berBlockCount_ = 0;
  int berIterations_ = 0;
  int berAppend_ = 0;
  char imagePath_[256] = {};
  int imagePathFlag_ = 0;
  // ---- end of state of the tape and changer operations ----
  // Off while the process exits: the OS seam may already be gone then.
  bool closeNodes_ = true;
};

extern ScsiInt SCSI;
