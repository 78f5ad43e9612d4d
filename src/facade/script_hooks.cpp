// The script hooks: the script engine's declared commands turned into
// device-layer commands, their data moved into the script's buffers and
// their outcome left in the last-command record.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/byte_order.h"
#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"

namespace {

constexpr const char* kCaller = "Vexil";
constexpr long kScriptTimeoutSeconds = 600;
constexpr int32_t kCheckCondition = -2;
constexpr uint8_t kRead6 = 0x08;
constexpr int kSixByteCdb = 6;

// Any negative result but a check condition: the command never completed.
bool TransportFailure(int32_t result) { return result < 0 && result != kCheckCondition; }

// Bytes per transfer of a script read or write: the buffer, or for a
// fixed-block CDB with a transfer length the buffer divided by that length.
uint32_t ScriptByteCount(const CDB_LINK& command) {
  const bool fixed = command.cdb[1] & 0x01;
  const uint32_t blocks = be::Read24(command.cdb.data() + 2);
  return fixed && blocks != 0 ? command.bufferSize / blocks : command.bufferSize;
}

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
bool ReturnedAtaRegisters(std::array<uint8_t, 8>& regs) {
  const uint8_t* s = SCSI.GetSenseBuffer();
  if (s == nullptr || (s[0] & 0x7F) != 0x72 || s[7] < 14 || s[8] != 0x09 || s[9] < 0x0C) return false;
  regs = {s[11], s[13], s[15], s[17], s[19], s[20], s[21], 0};
  return true;
}

}  // namespace

void ScsiWrapper::TakeScriptOutcome(int32_t result) {
  if (result == kCheckCondition) {
    GetSenseData();
    last_.ili = static_cast<uint8_t>(SCSI.GetIliFlag());
    last_.eom = static_cast<uint8_t>(SCSI.GetEomFlag());
    last_.fm = static_cast<uint8_t>(SCSI.GetFileMarkFlag());
  } else {
    ClearLastCommand();
  }
  StoreResult(result);
}

void ScsiWrapper::ReportTapeAlertsKeepingRecord() {
  const LAST_COMMAND failed = last_;
  ScriptTapeAlertReport();
  last_ = failed;
}

// SCSI cdb
void ScsiWrapper::OnScriptCdbCmds(const CDB_LINK* command) {
  if (command == nullptr) return;
  Describe(current_, *command, command->direction, command->bufferSize);
  ClearLastCommand();
  SCSI.SetTimeout(kScriptTimeoutSeconds);
  const auto result = static_cast<int32_t>(SCSI.SendCdb(command->direction, command->cdb.data(), command->cdbLength,
                                                        kCaller, command->bufferData, command->bufferSize));
  TakeScriptOutcome(result);
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

  ClearLastCommand();
  const int direction = out ? kFromHost : kToHost;
  const auto result = static_cast<int32_t>(
      SCSI.SendCdb(direction, cdb.data(), 12, kCaller, command->bufferData, command->bufferSize));
  std::array<uint8_t, 8> regs{};
  const bool returned = result == kCheckCondition && ReturnedAtaRegisters(regs);
  TakeScriptOutcome(result);
  if (!returned) regs.fill(0);
  last_.ataRegs = regs;
  if (command->bufferData != nullptr && command->bufferSize >= regs.size())
    std::copy(regs.begin(), regs.end(), command->bufferData);
}

// READNOCOMPARE / READCOMPARE
void ScsiWrapper::OnScriptReadCmd(const CDB_LINK* command, uint32_t count, SCRIPT_COMPARE* compare) {
  if (command == nullptr) return;
  const uint32_t byteCount = ScriptByteCount(*command);
  Describe(current_, *command, kToHost, byteCount);
  current_.cdb[0] = kRead6;
  current_.cdbLength = kSixByteCdb;
  if (compare != nullptr) {
    if (!SetBufferSize(byteCount)) return;
    SetDataPattern(command->bufferData);
  }
  for (uint32_t done = 0; done < count; ++done) {
    ClearLastCommand();
    const auto result = static_cast<int32_t>(
        SCSI.SendCdb(kToHost, current_.cdb.data(), kSixByteCdb, kCaller, command->bufferData, byteCount));
    TakeScriptOutcome(result);
    if (TransportFailure(result)) {
      ReportTapeAlertsKeepingRecord();
      if (compare != nullptr) {
        // Nothing was verified: never let a failed read pass as a match.
        compare->status = kCompareMismatch;
        compare->iteration = done;
        compare->offset = kCompareNoOffset;
        compare->readValue = compare->expectedValue = 0;
      }
      return;
    }
    if (result == kCheckCondition) continue;  // counts; its data is not compared
    // Only what arrived is taken; the rest of the block reads as zeros.
    const uint32_t moved = std::min(byteCount, static_cast<uint32_t>(std::max(result, 0)));
    const uint8_t* received = SCSI.GetDataBuffer();
    uint8_t* target = compare != nullptr ? GetReadBackBuffer() : command->bufferData;
    if (target == nullptr || received == nullptr) continue;
    std::copy_n(received, moved, target);
    std::fill(target + moved, target + byteCount, 0);
    if (compare == nullptr) continue;
    const uint8_t* expected = GetExpectedBuffer();
    const auto diff = std::mismatch(expected, expected + byteCount, target);
    if (diff.first == expected + byteCount) {
      compare->status = 0;
      continue;
    }
    compare->status = kCompareMismatch;
    compare->iteration = done;
    compare->offset = static_cast<uint32_t>(diff.first - expected);
    compare->readValue = *diff.second;
    compare->expectedValue = *diff.first;
    return;
  }
}

// WRITE cdb
void ScsiWrapper::OnScriptWriteCmd(const CDB_LINK* command, uint32_t count, uint32_t* countResult) {
  if (command == nullptr) return;
  const uint32_t byteCount = ScriptByteCount(*command);
  Describe(current_, *command, kFromHost, byteCount);
  uint32_t issued = 0;
  for (; issued < count; ++issued) {
    ClearLastCommand();
    const auto result = static_cast<int32_t>(
        SCSI.SendCdb(kFromHost, command->cdb.data(), kSixByteCdb, kCaller, command->bufferData, byteCount));
    TakeScriptOutcome(result);
    if (TransportFailure(result)) {
      ReportTapeAlertsKeepingRecord();
      return;
    }
  }
  if (countResult != nullptr) *countResult = issued;
}

bool ScsiWrapper::OnScriptInquiryCmd(uint8_t* record) {
  static constexpr uint8_t kInquiry[6] = {0x12, 0x00, 0x00, 0x00, kScriptInquiryLength, 0x00};
  uint8_t data[kScriptInquiryLength] = {};
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.SendCdb(kToHost, kInquiry, sizeof kInquiry, kCaller, data, sizeof data));
  StoreResult(result);
  // A failed INQUIRY (0 or a negative code) has no data to show.
  if (result < 1 || record == nullptr) return false;
  HexDump(data, kScriptInquiryLength);
  std::memcpy(record, data, kScriptInquiryLength);
  return true;
}

uint32_t ScsiWrapper::OnScriptGetHaStat() { return static_cast<uint32_t>(SCSI.GetHAStatus()); }

uint8_t ScsiWrapper::OnScriptGetDeviceType() { return GetDriveType(); }

uint32_t ScsiWrapper::OnScriptFupDrive(const char* /*file*/) {
  std::printf("FUP not working yet...\n");
  return 1;
}
