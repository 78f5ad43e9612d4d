// The drive's text event log (log page 07h) read into the event table.
#include "device/drive_contract.h"
#include "device/log_decode.h"
#include "device/scsi_int.h"

namespace {

constexpr int kEventProbes = 10;
constexpr int kEventSlots = 96;
constexpr int kParameterPointers = 10;

}  // namespace

void ScsiInt::ResetEvents() {
  if (device_ == nullptr) return;
  device_->eventCount = 0;
  for (EventEntry& e : device_->events) {
    e.code = e.type = e.length = -1;
    e.text[0] = '\0';
    e.errorCode[0] = '\0';
  }
}

long ScsiInt::CollectEvents() {
  if (!Ready()) return -3;
  ResetEvents();
  ReadinessProbes(kEventProbes);
  _SCSI_DEVICE& d = *device_;
  for (int pointer = 0; pointer < kParameterPointers && d.eventCount == 0; ++pointer) {
    // A page the drive rejects is reported, never read as an empty log; a
    // page cut short keeps the packets that arrived and stays a failure.
    const long result = FetchLogPage(contract::kEventLogPage, pointer);
    if (result < 1 && result != kIncompleteData) return result;
    for (const logpage::EventPacket& p : logpage::ScanEvents(d.logBuffer, kEventSlots)) {
      EventEntry& e = d.events[d.eventCount++];
      e.code = static_cast<int32_t>(p.code);
      e.type = p.type;
      CopyText(e.text, p.text);
      e.length = static_cast<int32_t>(TextLength(e.text));
      CopyText(e.errorCode, p.errorCode);
    }
    if (result == kIncompleteData) return result;
  }
  return d.eventCount;
}

long ScsiInt::GetEventCount() { return device_ == nullptr ? -3 : device_->eventCount; }

namespace {

bool InTable(int index) { return index >= 0 && index < kEventSlots; }

}  // namespace

const char* ScsiInt::GetEventText(int index) {
  return device_ != nullptr && InTable(index) ? device_->events[index].text : nullptr;
}
long ScsiInt::GetEventLength(int index) {
  return device_ != nullptr && InTable(index) ? device_->events[index].length : -1;
}
long ScsiInt::GetEventCode(int index) {
  return device_ != nullptr && InTable(index) ? device_->events[index].code : -1;
}
long ScsiInt::GetEventType(int index) {
  return device_ != nullptr && InTable(index) ? device_->events[index].type : -1;
}
const char* ScsiInt::GetEventErrorCode(int index) {
  return device_ != nullptr && InTable(index) ? device_->events[index].errorCode : nullptr;
}
