#include "facade/scsi_wrapper.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "device/scsi_int.h"
#include "device/system.h"
#include "facade/drive_type.h"
#include "facade/result_messages.h"

namespace {

constexpr uint8_t kFreeEntry = 0xFF;
constexpr const char* kCaller = "Vexil";

// Copies `text` into a fixed 64-byte field, cut to fit.
void CopyField(std::array<char, 64>& field, std::string_view text) {
  const size_t n = std::min(text.size(), field.size() - 1);
  std::memcpy(field.data(), text.data(), n);
  field[n] = '\0';
}

bool EnvIsTrue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && std::strcmp(value, "true") == 0;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

ScsiWrapper::ScsiWrapper() { ClearLastCommand(); }

ScsiWrapper::~ScsiWrapper() {
  expected_.clear();
  readBack_.clear();
  UninitScsiDll();
}

// ---- Device list -----------------------------------------------------------

int32_t ScsiWrapper::InitScsiDll(const char* deviceFile) {
  const bool hddFlag = EnvIsTrue("VEXIL_HDD");
  const bool changerFlag = EnvIsTrue("VEXIL_MC");
  devList_.clear();
  selectedPosition_ = -1;

  SCSI.SetAdapterFilter("");

  if (Sys().Shell("/sbin/lsmod | grep -q sg") > 0 && Sys().Shell("/sbin/modprobe sg") > 0) {
    std::printf("\nThe 'sg' kernel module is not loaded, and could not be loaded automatically by Vexil!\n");
    std::printf("You must either load the 'sg' module as root, or run Vexil as root.\n");
  }

  const long scanned = SCSI.ScanDevices(1, 1, 1, 1, deviceFile);
  if (scanned == -1) {
    if (deviceFile != nullptr) {
      std::printf("\nRequested device file (%s) not found!\n", deviceFile);
    } else {
      std::printf("\nNo device files found!\n");
    }
    return 0;
  }
  if (scanned <= 0) return 0;

  devList_.assign(static_cast<size_t>(scanned), kFreeEntry);
  size_t accepted = 0;
  for (long i = 0; i < scanned; ++i) {
    SCSI.SetDeviceIndex(static_cast<int>(i));
    const uint8_t code = GetDriveType();
    SCSI.GetScsiSerialNumber();
    if (AcceptDevice(code, hddFlag, changerFlag)) devList_[accepted++] = static_cast<uint8_t>(i);
  }
  return static_cast<int32_t>(accepted);
}

bool ScsiWrapper::AcceptDevice(uint8_t code, bool hddFlag, bool changerFlag) const {
  switch (code) {
    case kDriveTypeChanger:
      return changerFlag;
    case kDriveTypeOther:
      return false;
    case kDriveTypeOtherDisk:
      return hddFlag;
    default:
      if (dellEdition_ && engMode_ == 0) return IsDellEditionDriveType(code);
      return true;
  }
}

void ScsiWrapper::UninitScsiDll() {
  devList_.clear();
  devList_.shrink_to_fit();
  selectedPosition_ = -1;
}

int32_t ScsiWrapper::GetDeviceCount() const {
  return static_cast<int32_t>(std::ranges::count_if(devList_, [](uint8_t e) { return e != kFreeEntry; }));
}

void ScsiWrapper::ListDevices() {
  for (int32_t position = 0; position < GetDeviceCount(); ++position) {
    const char* serial = GetSerialNumber(position);
    const char* file = GetDeviceFilename(position);
    const char* description = GetDeviceDescription(position);
    std::printf("\t%d) [%s] [%s] [%s]\n", position + 1, serial ? serial : "", file ? file : "",
                description ? description : "");
  }
  std::printf("\n");
}

int ScsiWrapper::DeviceIndexAt(int32_t position) const {
  if (position < 0 || static_cast<size_t>(position) >= devList_.size()) return -1;
  const uint8_t entry = devList_[static_cast<size_t>(position)];
  return entry == kFreeEntry ? -1 : entry;
}

const char* ScsiWrapper::CopyFromDevice(int32_t position, const char* (*getter)(),
                                        std::array<char, 64>& buffer) {
  const int index = DeviceIndexAt(position);
  if (index < 0) return nullptr;
  const int previous = SCSI.GetDeviceIndex();
  SCSI.SetDeviceIndex(index);
  const char* text = getter();
  CopyField(buffer, text != nullptr ? text : "");
  SCSI.SetDeviceIndex(previous);
  return buffer.data();
}

const char* ScsiWrapper::GetDeviceFilename(int32_t position) {
  return CopyFromDevice(position, [] { return SCSI.GetFilename(); }, nameBuffer_);
}

const char* ScsiWrapper::GetDeviceDescription(int32_t position) {
  return CopyFromDevice(position, [] { return SCSI.GetDescription(); }, descriptionBuffer_);
}

const char* ScsiWrapper::GetSerialNumber(int32_t position) {
  const int index = DeviceIndexAt(position);
  if (index < 0) return nullptr;
  const int previous = SCSI.GetDeviceIndex();
  SCSI.SetDeviceIndex(index);
  // The device record's own text: it outlives the selection.
  const char* serial = SCSI.GetSerialNumber();
  SCSI.SetDeviceIndex(previous);
  return serial;
}

void ScsiWrapper::SetDeviceSelected(int32_t position) {
  selectedPosition_ = position;
  model_[0] = '\0';
  const int index = DeviceIndexAt(position);
  if (index < 0) return;
  SCSI.SetDeviceIndex(index);
  SCSI.LeaveDeviceOpen(true);

  // "HALCYON  ULTRIUM-HH6" gives "ULTRIUM-HH6".
  const char* description = SCSI.GetDescription();
  std::string_view text = TrimBlanks(description != nullptr ? description : "");
  const size_t blank = text.find_first_of(" \t");
  text = blank == std::string_view::npos ? std::string_view{} : TrimBlanks(text.substr(blank));
  CopyField(model_, text);
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

// ---- Commands and their outcome --------------------------------------------

void ScsiWrapper::ClearLastCommand() { last_ = LAST_COMMAND{}; }

bool ScsiWrapper::ResetWhenNoSense() {
  if (last_.senseKey != 0 || last_.asc != 0 || last_.ascq != 0) return true;
  const int32_t result = last_.result;
  ClearLastCommand();
  last_.result = result;
  return false;
}

void ScsiWrapper::GetSenseData() {
  last_.senseKey = static_cast<uint8_t>(SCSI.GetSenseKey());
  last_.asc = static_cast<uint8_t>(SCSI.GetAsc());
  last_.ascq = static_cast<uint8_t>(SCSI.GetAscQ());
  last_.vsSense = static_cast<int32_t>(SCSI.GetVsSense());
  if (const uint8_t* regs = SCSI.GetATARegs()) std::copy_n(regs, last_.ataRegs.size(), last_.ataRegs.begin());
  last_.residual = static_cast<int32_t>(SCSI.GetResidual());
  last_.ltocFsc = static_cast<uint16_t>(SCSI.GetCheckLtocFSC());
  last_.ltocFlag = static_cast<uint16_t>(SCSI.GetCheckLtocFlag());
}

int32_t ScsiWrapper::RunCommand(int direction, const uint8_t* cdb, int cdbLength, const char* caller, void* data,
                                uint32_t length) {
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.SendCdb(direction, cdb, cdbLength, caller, data, length));
  StoreResult(result);
  GetSenseData();
  ResetWhenNoSense();
  return result;
}

bool ScsiWrapper::SendCmd(int direction, const uint8_t* cdb, int cdbLength, uint8_t* data, uint32_t length) {
  if (cdb == nullptr || cdbLength < 1) return false;
  char name[8];
  std::snprintf(name, sizeof name, "0x%02X", cdb[0]);
  ClearLastCommand();
  const auto result = static_cast<int32_t>(SCSI.SendCdb(direction, cdb, cdbLength, kCaller, data, length));
  StoreResult(result);
  return CheckStatus(result, name);
}

void ScsiWrapper::PrintAdapterLines() {
  const char* errors = SCSI.GetErrorBuffer();
  std::printf("Host adapter status = 0x%02X\n", static_cast<unsigned>(SCSI.GetHAStatus()) & 0xFFu);
  std::printf("Driver status = 0x%02X\n", static_cast<unsigned>(SCSI.GetDriverStatus()) & 0xFFu);
  std::printf("Error buffer = '%s'\n\n", errors != nullptr ? errors : "");
}

bool ScsiWrapper::CheckStatus(int32_t result, const char* commandName) {
  const char* name = commandName != nullptr ? commandName : "";
  // The firmware downloads report 0 for success and their own codes otherwise.
  if (std::strcmp(name, "Fup drive") == 0 || std::strcmp(name, "Fup tape") == 0) {
    if (result == 0) return true;
    std::printf(kUnknownErrorFormat, name, -100);
    PrintAdapterLines();
    return false;
  }
  if (result >= 1) return true;
  if (result == -2) {
    GetSenseData();
    std::printf("Status: SenseKey=%02X ASC=%02X ASCQ=%02X\n\n", last_.senseKey, last_.asc, last_.ascq);
    ResetWhenNoSense();
    return false;
  }
  const auto row = std::ranges::find(kResultMessages, result, &ResultMessage::result);
  if (row != kResultMessages.end()) {
    std::printf(row->format, name);
    if (row->adapterLines) PrintAdapterLines();
    return false;
  }
  std::printf(kUnknownErrorFormat, name, result);
  PrintAdapterLines();
  return false;
}

void ScsiWrapper::HexDump(const uint8_t* data, int32_t length) {
  constexpr int kPerLine = 16;
  std::printf(" RAW_DATA: %u\n", static_cast<unsigned>(std::max(length, 0)));
  if (length < 1 || data == nullptr) return;
  for (int32_t line = 0; line < length; line += kPerLine) {
    const int count = static_cast<int>(std::min<int32_t>(kPerLine, length - line));
    std::printf("  %06X:", static_cast<unsigned>(line));
    for (int i = 0; i < count; ++i) std::printf(" %02X", data[line + i]);
    // Keep the character column where a full line has it.
    for (int i = count; i < kPerLine; ++i) std::printf("   ");
    std::printf("   ");
    for (int i = 0; i < count; ++i) {
      const uint8_t c = data[line + i];
      std::putchar(c >= 0x20 && c < 0x7F ? c : '.');
    }
    std::printf("\n");
  }
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
