#include "facade/scsi_wrapper.h"

#include <algorithm>
#include <new>

#include "base/system.h"
#include "device/scsi_int.h"
#include "facade/drive_type.h"

namespace {

constexpr const char* kCaller = "Vexil";

}  // namespace

ScsiWrapper::ScsiWrapper() { ClearLastCommand(); }

ScsiWrapper::~ScsiWrapper() {
  expected_.clear();
  readBack_.clear();
  UninitScsiDll();
}

// ---- Classification --------------------------------------------------------

uint8_t ScsiWrapper::GetDriveType() {
  static constexpr uint8_t kInquiry[6] = {0x12, 0x00, 0x00, 0x00, kDriveTypeInquiryLength, 0x00};
  uint8_t inquiry[kDriveTypeInquiryLength] = {};
  const int32_t result = RunCommand(1, kInquiry, sizeof kInquiry, kCaller, inquiry, sizeof inquiry);
  // A failed INQUIRY leaves the buffer zeroed, which would read as a disk.
  driveType_ = result < 1 ? kDriveTypeNoInquiry : ClassifyDriveType(inquiry);
  return driveType_;
}

bool ScsiWrapper::IsSAS() {
  static constexpr uint8_t kModeSense[6] = {0x1A, 0x08, 0x18, 0x00, 0xFF, 0x00};
  constexpr uint8_t kSasProtocol = 6;
  uint8_t page[255] = {};
  const int32_t result = RunCommand(1, kModeSense, sizeof kModeSense, kCaller, page, sizeof page);
  if (result < 7) return false;
  return (page[6] & 0x0F) == kSasProtocol;
}

void ScsiWrapper::SetTimeout(long seconds) { SCSI.SetTimeout(seconds); }

long ScsiWrapper::GetTimeout() { return SCSI.GetTimeout(); }

void ScsiWrapper::Sleep(long seconds) {
  if (seconds > 0) Sys().Wait(seconds, 0);
}

// ---- Compare buffers ---------------------------------------------------------

bool ScsiWrapper::SetBufferSize(uint32_t size) {
  try {
    expected_.assign(size, 0);
    readBack_.assign(size, 0);
  } catch (const std::bad_alloc&) {
    expected_ = {};
    readBack_ = {};
    byteCount_ = 0;
    return false;
  }
  byteCount_ = size;
  return true;
}

void ScsiWrapper::SetDataPattern(const uint8_t* data) {
  if (data == nullptr) return;
  std::copy_n(data, std::min<size_t>(byteCount_, expected_.size()), expected_.begin());
}

bool ScsiWrapper::CompareBuffers() const {
  if (byteCount_ == 0) return true;
  if (expected_.size() < byteCount_ || readBack_.size() < byteCount_) return false;
  return std::equal(expected_.begin(), expected_.begin() + byteCount_, readBack_.begin());
}

void ScsiWrapper::CleanUpAllocatedBuffers() { alertPage_ = {}; }

uint8_t* ScsiWrapper::GetLogPageBuffer() {
  _SCSI_DEVICE* device = SCSI.Device();
  if (device == nullptr || device->logBuffer.empty()) return nullptr;
  return device->logBuffer.data();
}

int32_t ScsiWrapper::GetLogPageSize() {
  _SCSI_DEVICE* device = SCSI.Device();
  return device != nullptr ? device->logSize : 0;
}

// ---- Mode switches -----------------------------------------------------------

void ScsiWrapper::EnableDebug(bool on) {
  debug_ = on ? 1 : 0;
  SCSI.EnableDebug(on);
}

void ScsiWrapper::EnableVerbose(bool on) {
  verbose_ = on ? 1 : 0;
  SCSI.EnableVerbose(on);
}

void ScsiWrapper::SetVendor(const char* text) {
  if (text != nullptr) vendor_ = text;
}
