// The script hooks: the script engine's declared commands turned into
// device-layer commands, their data moved into the script's buffers and
// their outcome left in the last-command record.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/byte_order.h"
#include "device/scsi_int.h"
#include "facade/console_sense.h"
#include "facade/scsi_wrapper.h"

namespace {

constexpr const char* kCaller = "Vexil";
constexpr int32_t kCheckCondition = -2;
constexpr int32_t kHostError = -5;  // host or driver status, perhaps beside a check condition
constexpr uint8_t kRead6 = 0x08;
constexpr int kSixByteCdb = 6;
constexpr uint32_t kMaxScriptTimeout = 4294967;  // seconds the driver's millisecond field holds

void Describe(SCRIPT_CURRENT_COMMAND& current, const CDB_LINK& command, int32_t direction, uint32_t byteCount) {
  current = {};
  current.direction = direction;
  current.data = command.bufferData;
  current.byteCount = byteCount;
  current.cdbLength = command.cdbLength;
  current.cdb = command.cdb;
  current.name = command.name;
  current.line = command.line;
  current.fileId = command.fileId;
  current.action = command.action;
  current.bufferName = command.bufferName;
}

// The ATA status return descriptor of descriptor-format sense, when the
// reply carried one: error, count, LBA low, mid, high, device, status, 0.
bool ReturnedAtaRegisters(const CommandOutcome& outcome, std::array<uint8_t, 8>& regs) {
  const uint8_t* s = outcome.senseBuffer;
  if ((s[0] & 0x7F) != 0x72 || s[7] < 14 || s[8] != 0x09 || s[9] < 0x0C) return false;
  regs = {s[11], s[13], s[15], s[17], s[19], s[20], s[21], 0};
  return true;
}

// A compare record that says why nothing (more) was compared: the command
// after `done` good ones failed without data to compare.
void FailedBeforeCompare(SCRIPT_COMPARE* compare, uint32_t done) {
  if (compare == nullptr) return;
  compare->status = kCompareMismatch;
  compare->iteration = done;
  compare->offset = kCompareNoOffset;
  compare->readValue = compare->expectedValue = 0;
}

}  // namespace

void ScsiWrapper::TakeScriptOutcome(int32_t result, int direction) {
  // Requests refused before they reached the driver (no device, too long, no
  // node, no memory) leave the device layer's outcome of an earlier command.
  static const CommandOutcome kNotSent{};
  const bool reached = result > -3 || result == kHostError;
  const CommandOutcome& outcome = reached ? session_.LastOutcome() : kNotSent;
  ClearLastCommand();
  transport_.hostStatus = static_cast<uint32_t>(outcome.hostStatus);
  transport_.driverStatus = static_cast<uint32_t>(outcome.driverStatus);
  transport_.timedOut = outcome.timedOut != 0;
  // The device layer hands data in to the caller only after good status.
  const bool moved = direction == kFromHost ? !IsTransportFailure(result) : result > 0;
  transport_.bytesMoved = moved && outcome.bytesMoved > 0 ? static_cast<uint32_t>(outcome.bytesMoved) : 0;
  // The drive's own sense comes first, also when the driver reported a host
  // or driver status beside the check condition.
  const bool driveSense = outcome.scsiStatus != 0 && outcome.senseSize > 0 &&
                          (outcome.senseKey != 0 || outcome.asc != 0 || outcome.ascq != 0 || outcome.ili != 0 ||
                           outcome.eom != 0 || outcome.fileMark != 0);
  if (result == kCheckCondition || (result == kHostError && driveSense)) {
    TakeSense(outcome);
    session_.last_.ili = outcome.ili;
    session_.last_.eom = outcome.eom;
    session_.last_.fm = outcome.fileMark;
  } else if (IsTransportFailure(result)) {
    session_.last_.senseKey = kConsoleSenseKey;
    session_.last_.asc = TransportAsc(result);
    session_.last_.ascq = 0;
  }
  StoreResult(result);
}

int32_t ScsiWrapper::SendScriptCdb(int direction, const uint8_t* cdb, int cdbLength, uint8_t* data, uint32_t length) {
  ClearLastCommand();
  SCSI.SetTimeout(scriptTimeout_);
  const auto result = static_cast<int32_t>(SCSI.SendCdb(direction, cdb, cdbLength, kCaller, data, length));
  TakeScriptOutcome(result, direction);
  return result;
}

void ScsiWrapper::MarkShortTransfer(uint32_t missing) {
  LAST_COMMAND& last = session_.last_;
  last.senseKey = kConsoleSenseKey;
  last.asc = kAscShortData;
  last.ascq = kAscqShortTransfer;
  last.residual = static_cast<int32_t>(missing);
}

void ScsiWrapper::ReportTapeAlertsKeepingRecord() {
  const LAST_COMMAND failed = session_.last_;
  const SCRIPT_TRANSPORT transport = transport_;
  ScriptTapeAlertReport();
  session_.last_ = failed;
  transport_ = transport;
}

void ScsiWrapper::SetScriptTimeout(uint32_t seconds) {
  scriptTimeout_ = seconds == 0 ? kDefaultScriptTimeout : std::min(seconds, kMaxScriptTimeout);
}

ScriptTransferCheck ScsiWrapper::ScriptBlockLength(uint32_t& length) {
  // Page 3Fh cut at 12 bytes: the header and the block descriptor.
  static constexpr uint8_t kModeSense[kSixByteCdb] = {0x1A, 0x00, 0x3F, 0x00, 12, 0x00};
  uint8_t reply[12] = {};
  const int32_t result = SendScriptCdb(kToHost, kModeSense, kSixByteCdb, reply, sizeof reply);
  if (result < 1 || session_.last_.senseKey != kNoSense) return kTransferNotSent;
  if (reply[3] < 8 || transport_.bytesMoved < sizeof reply) return kTransferNoBlockLength;
  length = be::Read24(reply + 9);
  return kTransferOk;
}

ScriptTransferCheck ScsiWrapper::ScriptTransferBytes(const CDB_LINK& command, uint32_t& bytes) {
  const uint32_t length = be::Read24(command.cdb.data() + 2);
  uint64_t wanted = length;
  if ((command.cdb[1] & 0x01) != 0 && length != 0) {
    uint32_t blockLength = 0;
    if (const ScriptTransferCheck check = ScriptBlockLength(blockLength); check != kTransferOk) return check;
    wanted = uint64_t{length} * blockLength;
  }
  if (wanted > command.bufferSize || (wanted != 0 && command.bufferData == nullptr)) return kTransferBufferTooSmall;
  bytes = static_cast<uint32_t>(wanted);
  return kTransferOk;
}

// SCSI cdb
void ScsiWrapper::OnScriptCdbCmds(const CDB_LINK* command) {
  if (command == nullptr) return;
  Describe(current_, *command, command->direction, command->bufferSize);
  SendScriptCdb(command->direction, command->cdb.data(), command->cdbLength, command->bufferData, command->bufferSize);
}

// ATA atacmd
void ScsiWrapper::OnScriptCdbCmds(const ATA_LINK* command) {
  if (command == nullptr) return;
  std::array<uint8_t, 16> cdb{};
  cdb[0] = 0xA1;
  const bool out = command->direction == kFromHost;
  cdb[1] = out ? 0x0A : 0x08;
  cdb[2] = out ? 0x21 : 0x20;
  std::copy(command->registers.begin(), command->registers.end(), cdb.begin() + 3);
  cdb[11] = 0;  // control byte: nothing carried over from an earlier command

  current_ = {};
  current_.direction = command->direction;
  current_.data = command->bufferData;
  current_.byteCount = command->bufferSize;
  current_.cdbLength = 12;
  current_.cdb = cdb;
  current_.name = command->name;
  current_.line = command->line;
  current_.fileId = command->fileId;
  current_.bufferName = command->bufferName;

  const int direction = out ? kFromHost : kToHost;
  const int32_t result = SendScriptCdb(direction, cdb.data(), 12, command->bufferData, command->bufferSize);
  std::array<uint8_t, 8> regs{};
  const bool returned = result == kCheckCondition && ReturnedAtaRegisters(session_.LastOutcome(), regs);
  if (!returned) regs.fill(0);
  session_.last_.ataRegs = regs;
  if (command->bufferData != nullptr && command->bufferSize >= regs.size())
    std::copy(regs.begin(), regs.end(), command->bufferData);
}

// READNOCOMPARE / READCOMPARE
ScriptTransferCheck ScsiWrapper::OnScriptReadCmd(const CDB_LINK* command, uint32_t count, SCRIPT_COMPARE* compare,
                                                 uint32_t* completed) {
  if (command == nullptr) return kTransferOk;
  Describe(current_, *command, kToHost, 0);
  current_.cdb[0] = kRead6;
  current_.cdbLength = kSixByteCdb;
  uint32_t done = 0;
  if (completed != nullptr) *completed = 0;
  if (count == 0) return kTransferOk;
  CDB_LINK read = *command;
  read.cdb = current_.cdb;
  uint32_t bytes = 0;
  if (const ScriptTransferCheck check = ScriptTransferBytes(read, bytes); check != kTransferOk) {
    if (check == kTransferNotSent) FailedBeforeCompare(compare, 0);
    return check;
  }
  current_.byteCount = bytes;
  if (compare != nullptr) {
    if (!SetBufferSize(bytes)) {
      FailedBeforeCompare(compare, 0);  // nothing compared is no match
      return kTransferOk;
    }
    SetDataPattern(command->bufferData);
  }
  // Compared reads land in the device layer's buffer only: the script's
  // buffer keeps the expected data.
  uint8_t* target = compare != nullptr ? nullptr : command->bufferData;
  for (; done < count; ++done) {
    const int32_t result = SendScriptCdb(kToHost, current_.cdb.data(), kSixByteCdb, target, bytes);
    if (IsTransportFailure(result)) ReportTapeAlertsKeepingRecord();
    if (result < 1) {
      FailedBeforeCompare(compare, done);
      break;
    }
    const uint32_t moved = std::min(transport_.bytesMoved, bytes);
    if (compare != nullptr) {
      const uint8_t* expected = GetExpectedBuffer();
      const uint8_t* received = session_.DataBuffer();
      const auto diff = std::mismatch(expected, expected + moved, received);
      if (diff.first != expected + moved || moved < bytes) {
        // A block that came back short differs where its data ends.
        const uint32_t at = static_cast<uint32_t>(diff.first - expected);
        compare->status = kCompareMismatch;
        compare->iteration = done;
        compare->offset = at;
        compare->readValue = at < moved ? *diff.second : 0;
        compare->expectedValue = expected[at];
      } else {
        compare->status = 0;
      }
    }
    if (moved < bytes) MarkShortTransfer(bytes - moved);
    if (moved < bytes || (compare != nullptr && compare->status != 0)) break;
  }
  if (completed != nullptr) *completed = done;
  return kTransferOk;
}

// WRITE cdb
ScriptTransferCheck ScsiWrapper::OnScriptWriteCmd(const CDB_LINK* command, uint32_t count, uint32_t* completed) {
  if (command == nullptr) return kTransferOk;
  Describe(current_, *command, kFromHost, 0);
  uint32_t done = 0;
  if (completed != nullptr) *completed = 0;
  if (count == 0) return kTransferOk;
  uint32_t bytes = 0;
  if (const ScriptTransferCheck check = ScriptTransferBytes(*command, bytes); check != kTransferOk) return check;
  current_.byteCount = bytes;
  for (; done < count; ++done) {
    const int32_t result = SendScriptCdb(kFromHost, command->cdb.data(), kSixByteCdb, command->bufferData, bytes);
    if (IsTransportFailure(result)) ReportTapeAlertsKeepingRecord();
    if (result < 1) break;
    if (transport_.bytesMoved < bytes) {
      MarkShortTransfer(bytes - transport_.bytesMoved);
      break;
    }
  }
  if (completed != nullptr) *completed = done;
  return kTransferOk;
}

bool ScsiWrapper::OnScriptInquiryCmd(uint8_t* record) {
  static constexpr uint8_t kInquiry[6] = {0x12, 0x00, 0x00, 0x00, kScriptInquiryLength, 0x00};
  uint8_t data[kScriptInquiryLength] = {};
  const int32_t result = SendScriptCdb(kToHost, kInquiry, sizeof kInquiry, data, sizeof data);
  // A failed INQUIRY (0 or a negative code) has no data to show.
  if (result < 1 || record == nullptr) return false;
  HexDump(data, kScriptInquiryLength);
  std::memcpy(record, data, kScriptInquiryLength);
  return true;
}

uint32_t ScsiWrapper::OnScriptGetHaStat() {
  // No selected device: no command, no status (0xFFFFFFFF).
  return !session_.HasDevice() ? 0xFFFFFFFFu : transport_.hostStatus;
}

uint8_t ScsiWrapper::OnScriptGetDeviceType() { return GetDriveType(); }

uint32_t ScsiWrapper::OnScriptFupDrive(const char* /*file*/) {
  std::printf("FUP not working yet...\n");
  return 1;
}
