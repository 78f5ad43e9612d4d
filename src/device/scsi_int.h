// The device layer: one process-wide object, SCSI, that finds the attached
// drives, selects one, and sends it commands over the sg driver.
//
// Results are signed codes: a byte count or 1 for success; -1 timeout,
// -2 check condition (sense decoded), -3 no device selected or request too
// long, -4 the node could not be opened, -5 transport error, -6 no memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "device/family.h"
#include "device/records.h"
#include "device/shims.h"

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
  long SendCdb(int direction, const uint8_t* cdb, int cdbLength, const char* caller, void* data,
               long length);
  // The CDB is already in the pass-through record.
  long DevIo(int64_t length, int cdbLength, int direction, const char* caller, bool reportSense);
  // The path of the data commands (reads, writes, WRITE BUFFER): no readiness
  // probe and no copy or clear of the data buffer. Outgoing data is already
  // in GetDataBuffer(), incoming data is left there. Results as SendCdb.
  long SendData(int direction, const uint8_t* cdb, int cdbLength, const char* caller, long length);
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
  long ScanDevices(int flag, int includeSequential, int includeChanger, int includeAll,
                   const char* devicePath);
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
  void HandleSenseData(const uint8_t* sense, const char* caller, bool report,
                       size_t length = kSenseSize);
  // Writes the sense message for the first `length` bytes of `sense` into
  // `text` (at most `size` bytes, terminated).
  static void FormatSenseMessage(char* text, size_t size, const uint8_t* sense,
                                 size_t length = kSenseSize);
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

  // ---- timing ----
  void PerformanceStart();
  void PerformanceStop(int kind, bool sample);

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
  // DevIo with the caller's context and the step it came through ("::SendCdb()").
  long Transfer(int64_t length, int cdbLength, int direction, const char* caller, const char* via,
                bool reportSense);
  // Byte totals and timing of a finished data command; SendCdb's result.
  long CountTransfer(uint8_t op, int direction);
  // The failing shim's reason into the device error text.
  void ReportShimFailure();

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
  // Off while the process exits: the OS seam may already be gone then.
  bool closeNodes_ = true;
};

extern ScsiInt SCSI;
