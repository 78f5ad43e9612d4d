// The device layer's records: the pass-through request, the adapter entry
// and the per-device record, plus the one helper every fixed-size text of
// these records is filled through.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/text_util.h"

// Number of device and adapter records the layer keeps.
inline constexpr int kMaxDevices = 24;
inline constexpr int kMaxAdapters = 24;
inline constexpr int kMaxBusses = 6;

// The shared data buffer every command uses (256 KiB).
inline constexpr size_t kDataBufferSize = 0x40000;
inline constexpr uint32_t kDefaultTimeout = 300;
inline constexpr uint32_t kDefaultMaxTransfer = 4096;
inline constexpr size_t kSenseSize = 255;

// Copies `src` into a fixed-size text field: cut at the field size, always
// terminated. The only way the records' texts are written.
template <size_t N>
inline void CopyText(char (&dst)[N], std::string_view src) {
  static_assert(N > 0);
  text::CopyBounded(dst, src);
}

// Formats one of our own constant formats into a fixed-size field, through
// CopyText.
template <size_t N>
inline void FormatText(char (&dst)[N], const char* format, ...) __attribute__((format(printf, 2, 3)));

template <size_t N>
inline void FormatText(char (&dst)[N], const char* format, ...) {
  char text[N + 1];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  CopyText(dst, std::string_view(text, n < 0 ? 0 : strnlen(text, sizeof text)));
}

// Bounded text length of a field that may be unterminated.
template <size_t N>
inline size_t TextLength(const char (&text)[N]) {
  return strnlen(text, N);
}

// The pass-through request record (Windows SCSI_PASS_THROUGH_DIRECT style).
struct _SCSI_STRUCT {
  uint16_t Length;
  uint8_t ScsiStatus;
  uint8_t HostStatus;
  uint8_t DriverStatus;
  uint8_t PathId;
  uint8_t TargetId;
  uint8_t Lun;
  uint8_t CdbLength;
  uint8_t SenseInfoLength;
  uint8_t DataIn;
  uint32_t DataTransferLength;
  uint32_t TimeOutValue;
  uint8_t* DataBuffer;
  uint32_t SenseInfoOffset;
  uint8_t Cdb[16];
  uint32_t Filler;
  uint8_t SenseBuffer[kSenseSize];
};

inline constexpr uint8_t kDataOut = 0;
inline constexpr uint8_t kDataIn = 1;
inline constexpr uint8_t kDataNone = 2;

// One sg node that answered during discovery.
struct _ADAPTER {
  char FileName[64];
  char Driver[64];
  char Description[64];
  int32_t NumberOfBusses;
  int32_t BusId[kMaxBusses];
  int32_t InitiatorId[kMaxBusses];
  int32_t NumberOfUnits[kMaxBusses];
};

struct LogParameter {
  int32_t code;
  int64_t value;
};

struct EventEntry {
  int32_t code;
  int32_t type;
  int32_t length;
  char text[256];
  char errorCode[32];
};

struct TapeAlertEntry {
  int32_t flag;
  uint8_t set;
};

// How one command ended at the transport: the DevIo result and what the
// driver reported with it.
struct CommandStatus {
  int32_t result;       // the DevIo code (bytes moved, 1 for none, or a failure code)
  int32_t ioctlResult;  // the DeviceIoControl result
  int32_t scsiStatus;   // masked SCSI status
  int32_t hostStatus;
  int32_t driverStatus;
  uint8_t timedOut;
  int64_t bytesMoved;  // requested minus residual, whatever the status
};

// The sense data of one command, decoded once (HandleSenseData); every later
// decision reads these values. vsSense and ataRegs keep their last values
// until the device record is cleared.
struct SenseRecord {
  int32_t responseCode;
  int32_t senseKey;
  int32_t asc;
  int32_t ascq;
  uint32_t vsSense;
  uint8_t ili;
  uint8_t cleaning;
  uint8_t fileMark;
  uint8_t eom;
  int32_t residual;
  uint16_t ltocFsc;
  uint16_t ltocFlag;
  int64_t powerOnHours;
  int64_t tapeMotionHours;
  int64_t vendorCounter;
  uint8_t ataRegs[8];
  uint8_t senseBuffer[kSenseSize];
  int32_t senseSize;
};

// The texts a command leaves: cleared before it, filled by its failure.
struct CommandTexts {
  char scratch[768];
  char message[256];
  char devError[256];
  char scsiError[256];
};

// The whole outcome of the latest command sent to a device, one record kept
// in the device record itself: callers take it as a whole through
// ScsiInt::LastOutcome() instead of one getter per field.
struct CommandOutcome : CommandStatus, SenseRecord, CommandTexts {};

// One listed device. Defaults after a clear are set by ScsiInt::ClearScsiDev.
struct _SCSI_DEVICE : CommandOutcome {
  // address
  int32_t port;
  int32_t bus;
  int32_t target;
  int32_t lun;
  int32_t adapterIndex;
  char path[128];
  int handle;

  // identity
  char description[25];  // vendor (8) + product (16), upper case
  char serialNumber[32];
  // The unit serial number page's text before it is cut for the family: a
  // drive whose new firmware moves it to another family is still found by it.
  char serialPage[17];
  char revData[64];
  char buildData[64];
  uint8_t inquiry[128];
  int32_t inquirySize;
  int32_t familyCode;
  int32_t mfgId;
  int64_t revMajor;
  int64_t revMinor;
  int64_t persMajor;
  int64_t persMinor;
  char revString[64];
  char revShort[5];
  char persString[64];
  uint8_t claimed;
  uint8_t sequential;
  uint8_t changer;
  uint8_t directAccess;

  // command settings and counters (the outcome itself is the base record)
  uint32_t timeout;
  uint64_t maxTransfer;
  int64_t byteCount;  // bytes of the last successful command
  uint64_t commandCount;
  char lastCdb[40];

  // media
  int32_t mediaType;
  int32_t mediaDensity;
  uint8_t diagnosticRun;

  // element status answers of a changer, as received, by element type
  // (1 transport, 2 storage, 3 import/export, 4 data transfer)
  uint8_t elementTransport[52];
  uint8_t elementStorage[2176];
  uint8_t elementImportExport[48];
  uint8_t elementDataTransfer[196];
  uint8_t elementValid[5];  // indexed by element type

  // buffers (owned)
  std::vector<uint8_t> modeBuffer;
  int32_t modeSize;
  std::vector<uint8_t> logBuffer;
  int32_t logSize;
  int32_t logDeclared;  // page length + 4 as the page header gave it
  int32_t bufferSize;

  // statistics
  uint8_t timing;
  uint64_t bytesRead;
  uint64_t bytesWritten;
  int64_t readElapsed;
  int64_t writeElapsed;
  int64_t startStamp;
  int64_t stopStamp;
  int64_t readCheckElapsed;
  uint64_t readCheckBytes;
  int64_t writeCheckElapsed;
  uint64_t writeCheckBytes;
  double readSecs;
  double writeSecs;
  double readRate;
  double writeRate;
  double readRateAvg;
  double writeRateAvg;
  int32_t berBlockCount;

  // firmware update
  int32_t updateState;
  int32_t writeBackCount;
  char writeBackHex[64][130];
  char writeBackText[64][65];

  // log and events
  LogParameter logParams[2][32];
  EventEntry events[96];
  int32_t eventCount;
  TapeAlertEntry alerts[65];
  int32_t alertIterator;
};

// Who a device is, as the console showed it when the user chose it: a
// firmware download goes only to a device that still answers this way.
struct DriveIdentity {
  char description[25];   // vendor (8) + product (16), upper case
  char serialNumber[32];  // as the family cuts it
  char revision[5];
};
