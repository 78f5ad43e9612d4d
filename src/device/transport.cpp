// The command path: SendCdb and DevIo over the pass-through record, opening
// the node, the error texts of the transport and the I/O heap.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/system.h"
#include "device/scsi_int.h"

ScsiInt SCSI;

// The pass-through record and the one data buffer every command shares.
struct ScsiInt::IoRegion {
  _SCSI_STRUCT record;
  uint8_t data[kDataBufferSize];
};

namespace {

constexpr uint8_t kTestUnitReady = 0x00;
constexpr uint8_t kRequestSense = 0x03;
constexpr uint8_t kWriteBuffer = 0x3B;
constexpr int kAttempts = 3;
constexpr int kRetryProbes = 5;
constexpr uint32_t kRetryTimeoutLimit = 110;  // longer commands are never retried
constexpr size_t kTraceLimit = 512;
constexpr long kZeroLengthTransfer = 128;  // what a no-length command still asks for
constexpr uint8_t kHostTimedOut = 0x03;    // DID_TIME_OUT

bool OneOf(uint8_t op, std::initializer_list<uint8_t> ops) {
  for (uint8_t o : ops)
    if (o == op) return true;
  return false;
}

// Opcodes that need no TEST UNIT READY before them.
bool SkipsReadinessProbe(uint8_t op) { return OneOf(op, {0x00, 0x03, 0x08, 0x0A, 0x0F, 0x10, 0x28, 0x2A, 0x2E, 0x2F}); }

// Reads and writes whose trace shows the tape position first.
bool TracesPosition(uint8_t op) { return OneOf(op, {0x08, 0x0A, 0x10, 0x28, 0x2A}); }

// A command that timed out may have reached the drive. It is sent again only
// when a second copy cannot do anything the first did not: never a firmware
// piece, a tape read or write or move, a diagnostic, a format or erase, a
// changer move, the upgrade-tape command, or REQUEST SENSE (whose first copy
// may have taken the sense away).
bool RepeatsSafely(uint8_t op) {
  return !OneOf(
      op, {0x03, 0x04, 0x08, 0x0A, 0x10, 0x11, 0x19, 0x1D, 0x20, 0x28, 0x2A, 0x3B, 0x80, 0x88, 0x8A, 0x91, 0xA5, 0xA6});
}

bool CountsAsRead(uint8_t op) { return OneOf(op, {0x08, 0x0F, 0x28, 0x3C, 0x43, 0x44}); }
bool CountsAsWrite(uint8_t op) { return OneOf(op, {0x0A, 0x2A, 0x2E, 0x3B}); }

// "<caller><via>::<step>()", formatted only when a text needs it: most
// commands succeed and never show their context.
class Context {
 public:
  Context(const char* caller, const char* via, const char* step) : caller_(caller), via_(via), step_(step) {}
  const char* Text() {
    if (!built_) {
      std::snprintf(text_, sizeof text_, "%s%s::%s()", caller_ == nullptr ? "" : caller_, via_, step_);
      built_ = true;
    }
    return text_;
  }

 private:
  const char* caller_;
  const char* via_;
  const char* step_;
  bool built_ = false;
  char text_[192];
};

const char* ErrnoName(long code) {
  switch (code) {
    case 1:
      return "EPERM ";
    case 5:
      return "EIO ";
    case 6:
      return "EXIO ";
    case 13:
      return "EACCES ";
    case 14:
      return "EFAULT ";
    case 19:
      return "ENODEV ";
    case 22:
      return "EINVAL ";
    case 25:
      return "ENOTTY ";
    case 67:
      return "ENOLINK ";
    default:
      return "UNK ";
  }
}

}  // namespace

ScsiInt::ScsiInt() : devices_(std::make_unique<_SCSI_DEVICE[]>(kMaxDevices)) {
  for (int i = 0; i < kMaxDevices; ++i) ClearRecord(devices_[i]);
  for (int i = 0; i < kMaxAdapters; ++i) ClearAdapter(i);
  Select(-1);
  ioRegion_.reset(new (std::nothrow) IoRegion);
  if (ioRegion_) {
    std::memset(ioRegion_.get(), 0, sizeof(IoRegion));
    record_ = &ioRegion_->record;
    dataBuffer_ = ioRegion_->data;
  }
}

ScsiInt::~ScsiInt() {
  // The global object outlives the OS seam; the OS closes our nodes at exit.
  closeNodes_ = false;
  CleanUp();
  DestroyHeap();
}

void ScsiInt::Select(int index) {
  if (index < 0 || index >= kMaxDevices) {
    selected_ = -1;
    device_ = nullptr;
  } else {
    selected_ = index;
    device_ = &devices_[index];
  }
}

_SCSI_DEVICE* ScsiInt::DeviceAt(int index) {
  if (index < 0 || index >= kMaxDevices) return nullptr;
  return &devices_[index];
}

void ScsiInt::ClearTexts() {
  device_->scratch[0] = '\0';
  device_->message[0] = '\0';
  device_->devError[0] = '\0';
  device_->scsiError[0] = '\0';
}

long ScsiInt::SendCdb(int direction, const uint8_t* cdb, int cdbLength, const char* caller, void* data, long length) {
  if (!Ready()) return -3;
  if (cdb == nullptr || cdbLength < 1 || cdbLength > 16 || length < 0) return -3;
  // The caller's CDB may live in the record the probes below reuse.
  uint8_t command[16] = {};
  std::memcpy(command, cdb, static_cast<size_t>(cdbLength));
  const uint8_t op = command[0];

  if (debug_ && TracesPosition(op) && device_->sequential) {
    ReadPosition();
  } else if (!SkipsReadinessProbe(op)) {
    TestUnitReady();  // result ignored: it only wakes the drive up
  }

  // Only the reads and writes are timed; a clock read for the others is lost.
  if (CountsAsRead(op) || CountsAsWrite(op)) PerformanceStart();
  const uint64_t maximum = device_->maxTransfer < kDataBufferSize ? device_->maxTransfer : kDataBufferSize;
  if (static_cast<uint64_t>(length) > maximum) {
    FormatText(device_->devError, "%s::SendCdb() - Requested transfer (%ld) exceeds maximum capability (%ld).",
               caller == nullptr ? "" : caller, length, static_cast<long>(maximum));
    return -3;
  }

  const bool inPlace = data == dataBuffer_;  // caller hands us our own buffer
  // Only the bytes this command can move need clearing (none for a command
  // without data); clearing the whole buffer would dominate the cost of
  // every short command.
  if (!inPlace && direction != kDataNone) {
    const uint64_t span = std::min<uint64_t>(maximum, static_cast<uint64_t>(std::max(length, kZeroLengthTransfer)));
    std::memset(dataBuffer_, 0, span);
    if (direction == kDataOut && data != nullptr && length > 0)
      std::memcpy(dataBuffer_, data, static_cast<size_t>(length));
  }
  std::memcpy(record_->Cdb, command, sizeof command);

  const long result = Transfer(length, cdbLength, direction, caller, "::SendCdb()", true);
  // 0: the ioctl itself failed; nothing was moved.
  if (result <= 0) return result;
  if (direction == kDataIn) {
    const long moved = record_->DataTransferLength;
    const long copy = moved < length ? moved : length;
    if (data != nullptr && copy > 0 && !inPlace) std::memcpy(data, dataBuffer_, static_cast<size_t>(copy));
  }
  return CountTransfer(op, direction);
}

long ScsiInt::CountTransfer(uint8_t op, int direction) {
  const long moved = record_->DataTransferLength;
  if (direction == kDataIn) {
    if (CountsAsRead(op)) {
      device_->bytesRead += static_cast<uint64_t>(moved);
      PerformanceStop(3, true);
    }
    return moved;
  }
  if (direction == kDataOut) {
    if (CountsAsWrite(op)) {
      device_->bytesWritten += static_cast<uint64_t>(moved);
      PerformanceStop(2, true);
    }
    return moved;
  }
  return 1;
}

void ScsiInt::TraceBytes(const char* title, const uint8_t* bytes, int64_t length) {
  std::fprintf(stderr, title, static_cast<long long>(length));
  int64_t shown = length;
  if (!verbose_ && shown > static_cast<int64_t>(kTraceLimit)) shown = kTraceLimit;
  if (shown > static_cast<int64_t>(kDataBufferSize)) shown = kDataBufferSize;
  for (int64_t i = 0; i < shown; ++i) {
    std::fprintf(stderr, " 0x%02x", bytes[i]);
    if ((i + 1) % 16 == 0) std::fputc('\n', stderr);
  }
  if (shown < length)
    std::fputs("\n... (truncated)\n", stderr);
  else
    std::fputc('\n', stderr);
}

long ScsiInt::DevIo(int64_t length, int cdbLength, int direction, const char* caller, bool reportSense) {
  return Transfer(length, cdbLength, direction, caller, "", reportSense);
}

long ScsiInt::Transfer(int64_t length, int cdbLength, int direction, const char* caller, const char* via,
                       bool reportSense) {
  if (!Ready()) return -3;
  Context context(caller, via, "DevIo");
  if (cdbLength < 1 || cdbLength > 16) return -3;
  if (length == 0 && record_->Cdb[0] != kWriteBuffer) length = kZeroLengthTransfer;
  if (length < 0 || length > static_cast<int64_t>(kDataBufferSize)) {
    FormatText(device_->devError, "%s - Requested transfer (%ld) exceeds maximum capability (%ld).", context.Text(),
               static_cast<long>(length), static_cast<long>(kDataBufferSize));
    return -3;
  }
  // REQUEST SENSE or the retry probes reuse the record: keep our CDB.
  uint8_t cdb[16];
  std::memcpy(cdb, record_->Cdb, sizeof cdb);
  const uint8_t op = cdb[0];
  // The CDB bytes beyond its length go out as zeros.
  std::memset(cdb + cdbLength, 0, sizeof cdb - static_cast<size_t>(cdbLength));

  if (debug_) {
    std::fprintf(stderr, "\n CDB (%ld) = ", static_cast<long>(cdbLength));
    for (int i = 0; i < cdbLength; ++i) std::fprintf(stderr, " 0x%02x", cdb[i]);
    std::fputc('\n', stderr);
    if (direction == kDataOut) TraceBytes("\n Data out (%lld) =\n", dataBuffer_, length);
  }

  if (!leaveOpen_) CloseDevice();
  long result = 0;
  _SCSI_DEVICE& d = *device_;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (d.handle == 0 && OpenDevice(context.Text()) < 1) return -4;

    if (attempt > 0) {
      // Wake the drive before trying again. The probes send no data and
      // issue no REQUEST SENSE, so outgoing data stays in the buffer.
      const _SCSI_STRUCT saved = *record_;
      const bool wasRequesting = requestingSense_;
      requestingSense_ = true;
      for (int i = 0; i < kRetryProbes; ++i) {
        std::memset(record_->Cdb, 0, sizeof record_->Cdb);
        if (DevIo(0, 6, kDataNone, "TestUnitReady()", false) > 0) break;
        Sleep(50);
      }
      requestingSense_ = wasRequesting;
      *record_ = saved;
      senseWritten_ = kSenseSize;  // the restored record holds older sense bytes
    }

    // Nothing of an earlier command may show in this one's outcome; only
    // what an earlier command wrote needs clearing.
    ClearTexts();
    if (d.senseSize != 0) {
      std::memset(d.senseBuffer, 0, sizeof d.senseBuffer);
      d.senseSize = 0;
    }
    if (senseWritten_ != 0) {
      std::memset(record_->SenseBuffer, 0, senseWritten_);
      senseWritten_ = 0;
    }
    std::memcpy(record_->Cdb, cdb, sizeof cdb);
    SetLastCdb(cdb, cdbLength);
    SenseReset();

    record_->ScsiStatus = 0;
    record_->Length = 44;
    record_->HostStatus = 0;
    record_->DriverStatus = 0;
    record_->PathId = static_cast<uint8_t>(d.bus);
    record_->TargetId = static_cast<uint8_t>(d.target);
    record_->Lun = static_cast<uint8_t>(d.lun);
    record_->CdbLength = static_cast<uint8_t>(cdbLength);
    record_->SenseInfoLength = kSenseSize;
    record_->DataIn = static_cast<uint8_t>(direction);
    record_->DataTransferLength = static_cast<uint32_t>(length);
    record_->TimeOutValue = d.timeout;
    record_->DataBuffer = dataBuffer_;
    record_->SenseInfoOffset = 48;
    record_->Filler = 303;
    d.timedOut = 0;

    const struct timeval start = Sys().Now();
    if (d.handle <= 0 && OpenDevice(context.Text()) < 1) return -4;
    const int rc = DeviceIoControl(d.handle, SCSI_IO_PASS_THROUGH, record_, 303, record_, 303);
    if (!leaveOpen_) CloseDevice();
    const struct timeval end = Sys().Now();
    senseWritten_ = record_->SenseInfoLength;
    if (rc <= 0) ReportShimFailure();

    // Whole seconds only: a command within one second counts 1 ms.
    long elapsed = ((end.tv_sec % 10000000) - (start.tv_sec % 10000000)) * 1000;
    if (elapsed <= 0) elapsed = 1;
    d.commandCount++;
    const uint8_t status = record_->ScsiStatus;
    const uint8_t host = record_->HostStatus;
    const uint8_t driver = record_->DriverStatus;
    const uint32_t moved = record_->DataTransferLength;
    const uint8_t senseLength = record_->SenseInfoLength;

    bool retry = false;
    // The sg driver ends a command it had to abort with DID_TIME_OUT: that is
    // the command's timeout, not a transport fault.
    const bool driverTimedOut = host == kHostTimedOut;
    const bool timedOut = elapsed / 1000 >= static_cast<long>(d.timeout) || driverTimedOut;
    if (timedOut) {
      result = -1;
      retry = d.timeout < kRetryTimeoutLimit && RepeatsSafely(op);
    } else {
      result = rc;
    }

    if (status != 0) {
      result = -2;
      if (senseLength != 0 || requestingSense_) {
        HandleSenseData(record_->SenseBuffer, context.Text(), reportSense, senseLength);
      } else {
        requestingSense_ = true;
        RequestSense();
        requestingSense_ = false;
        retry = false;  // the data buffer now holds the sense
        std::memcpy(record_->Cdb, cdb, sizeof cdb);
        SetLastCdb(cdb, cdbLength);
      }
    }

    if (timedOut) FormatText(d.devError, "%s - SCSI Command Timeout.", context.Text());

    if (!driverTimedOut && (host != 0 || (driver != 0 && driver != 8))) {
      result = -5;
      retry = false;
    }
    if (op == kTestUnitReady) retry = false;

    if (rc == 1 && !timedOut && status == 0 && result == 1) {
      result = static_cast<long>(moved);
      d.byteCount = moved;
      if (debug_ && direction == kDataIn) TraceBytes("\n Data in (%lld) =\n", dataBuffer_, moved);
      if (result == 0) result = 1;
    }

    // Recorded after sense handling, which may have sent its own command.
    CommandStatus& outcome = d;
    outcome.result = static_cast<int32_t>(result);
    outcome.ioctlResult = rc;
    outcome.scsiStatus = status;
    outcome.hostStatus = host;
    outcome.driverStatus = driver;
    outcome.timedOut = timedOut ? 1 : 0;
    outcome.bytesMoved = moved;

    if (!retry || attempt + 1 >= kAttempts) break;
    if (!leaveOpen_) CloseDevice();
  }
  return result;
}

long ScsiInt::OpenDevice(const char* caller) {
  if (!Ready()) return -3;
  if (device_->handle != 0) return 1;
  const int handle = CreateFile(device_->path);
  if (handle > 0) {
    device_->handle = handle;
    return 1;
  }
  char context[224];  // room for a DevIo context and this step
  std::snprintf(context, sizeof context, "%s::OpenDevice()", caller == nullptr ? "" : caller);
  char message[160];
  std::snprintf(message, sizeof message, "Error opening %s - ", device_->path);
  SetMessage(message, context);
  SystemError(GetLastError(), context);
  device_->handle = 0;
  return -4;
}

long ScsiInt::CloseDevice() {
  if (!Ready()) return -3;
  // The node stays open in the record; later commands reuse the handle.
  if (debug_) std::fputs("Closing device file\n", stderr);
  return 1;
}

void ScsiInt::SetTimeout(long seconds) {
  if (device_ != nullptr) device_->timeout = seconds < 0 ? 0 : static_cast<uint32_t>(seconds);
}

long ScsiInt::GetTimeout() { return device_ == nullptr ? kDefaultTimeout : device_->timeout; }

bool ScsiInt::TimedOut() { return device_ != nullptr && device_->timedOut != 0; }

long ScsiInt::GetMaxTransfer() { return device_ == nullptr ? 0 : static_cast<long>(device_->maxTransfer); }

void ScsiInt::SetLastCdb(const uint8_t* cdb, int length) {
  if (device_ == nullptr) return;
  char* text = device_->lastCdb;  // "%02X " per byte, 13 bytes at most: 39 of 40
  text[0] = '\0';
  if (cdb == nullptr) return;
  if (length > 13) length = 13;
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int i = 0; i < length; ++i) {
    *text++ = kHex[cdb[i] >> 4];
    *text++ = kHex[cdb[i] & 0xF];
    *text++ = ' ';
  }
  *text = '\0';
}

void ScsiInt::ReportShimFailure() {
  const ShimFailure& failure = LastShimFailure();
  SystemError(failure.code, failure.context);
  SetLastError(failure.systemErrno);  // SystemError took errno as it is now
}

const CommandOutcome& ScsiInt::LastOutcome() const {
  static const CommandOutcome kNone{};
  return device_ == nullptr ? kNone : *device_;
}

const char* ScsiInt::GetLastCdb() { return device_ == nullptr ? "" : device_->lastCdb; }

void ScsiInt::SystemError(long code, const char* context) {
  if (device_ == nullptr) return;
  device_->devError[0] = '\0';
  if (code == -1) return;
  SetLastError(errno);
  char text[256];
  std::snprintf(text, sizeof text, "DevErrno: %ld - %s%.90s", code, ErrnoName(code),
                std::strerror(static_cast<int>(code)));
  FormatText(device_->devError, "%s - ERROR (%ld) - %s", context == nullptr ? "" : context, code, text);
}

void ScsiInt::SetMessage(const char* message, const char* context) {
  char(&buffer)[256] = device_ == nullptr ? detachedMessage_ : device_->message;
  FormatText(buffer, "%s - %s", context == nullptr ? "" : context, message == nullptr ? "" : message);
}

long ScsiInt::CreateHeap(size_t size) {
  heapMarker_.reset(new (std::nothrow) uint8_t[16]);
  return heapMarker_ ? static_cast<long>(size) : 0;
}

void* ScsiInt::AllocateHeap(size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) SystemError(GetLastError(), "AllocateHeap()");
  return p;
}

long ScsiInt::FreeHeap(void* p) {
  if (p == nullptr) return 0;
  std::free(p);
  return 1;
}

long ScsiInt::DestroyHeap() {
  ioRegion_.reset();
  record_ = nullptr;
  dataBuffer_ = nullptr;
  heapMarker_.reset();
  return 1;
}

int64_t ScsiInt::GetByteCount() { return device_ == nullptr ? 0 : device_->byteCount; }
int64_t ScsiInt::GetCommandCount() { return device_ == nullptr ? -1 : static_cast<int64_t>(device_->commandCount); }
long ScsiInt::GetStatus() { return device_ == nullptr ? -1 : device_->scsiStatus; }
long ScsiInt::GetHAStatus() { return device_ == nullptr ? -1 : device_->hostStatus; }
long ScsiInt::GetDriverStatus() { return device_ == nullptr ? -1 : device_->driverStatus; }

long ScsiInt::WaitForUnitReady() {
  if (device_ == nullptr) return -3;
  const long attempts = static_cast<long>(device_->timeout);
  if (attempts < 1) return -2;
  for (long i = 0; i < attempts; ++i) {
    if (TestUnitReady() > 0) return 1;
    Sleep(1000);
  }
  return -2;
}
