// The console's device list: the devices the scan found, filtered and
// renumbered, and the per-position getters.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/system.h"
#include "base/text_util.h"
#include "device/scsi_int.h"
#include "facade/drive_type.h"
#include "facade/scsi_wrapper.h"

namespace {

constexpr uint8_t kFreeEntry = 0xFF;

bool EnvIsTrue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && std::strcmp(value, "true") == 0;
}

}  // namespace

int32_t ScsiWrapper::InitScsiDll(const char* deviceFile) {
  const bool hddFlag = EnvIsTrue("VEXIL_HDD");
  const bool changerFlag = listChangers_ || EnvIsTrue("VEXIL_MC");
  devList_.clear();
  session_.position_ = -1;
  hiddenChangers_ = 0;

  SCSI.SetAdapterFilter("");

  if (Sys().Shell("/sbin/lsmod | grep -q sg") > 0 && Sys().Shell("/sbin/modprobe sg") > 0) {
    std::fflush(stdout);  // an error of the console: standard error, in order on a terminal
    std::fprintf(stderr, "\nThe 'sg' kernel module is not loaded, and could not be loaded automatically by Vexil!\n");
    std::fprintf(stderr, "You must either load the 'sg' module as root, or run Vexil as root.\n");
  }

  const long scanned = SCSI.ScanDevices(1, 1, 1, 1, deviceFile);
  if (scanned == -1) {
    std::fflush(stdout);
    if (deviceFile != nullptr) {
      std::fprintf(stderr, "\nRequested device file (%s) not found!\n", deviceFile);
    } else {
      std::fprintf(stderr, "\nNo device files found!\n");
    }
    return 0;
  }
  if (scanned <= 0) return 0;

  AcceptScannedDevices(scanned, hddFlag, changerFlag);
  return GetDeviceCount();
}

long ScsiWrapper::DeviceScanCount() { return SCSI.ScanCount(); }

void ScsiWrapper::CloseDeviceNodes() { SCSI.CleanUp(); }

ScsiWrapper::FupPhase ScsiWrapper::FupPhaseNow() { return ScsiInt::FupPhaseNow(); }

void ScsiWrapper::AcceptScannedDevices(long scanned, bool hddFlag, bool changerFlag) {
  scanSeen_ = SCSI.ScanCount();
  devList_.assign(static_cast<size_t>(std::max(scanned, 0L)), kFreeEntry);
  size_t accepted = 0;
  for (long i = 0; i < scanned; ++i) {
    SCSI.SetDeviceIndex(static_cast<int>(i));
    const uint8_t code = GetDriveType();
    SCSI.GetScsiSerialNumber();
    if (AcceptDevice(code, hddFlag, changerFlag)) {
      devList_[accepted++] = static_cast<uint8_t>(i);
    } else if (!changerFlag && SCSI.IsChanger() != 0) {
      ++hiddenChangers_;  // the not-found report says how to list them
    }
  }
}

void ScsiWrapper::FollowRescan() {
  if (SCSI.ScanCount() == scanSeen_) return;
  const int drive = SCSI.GetDeviceIndex();
  const uint8_t type = driveType_;
  AcceptScannedDevices(SCSI.GetDeviceCount(), EnvIsTrue("VEXIL_HDD"), listChangers_ || EnvIsTrue("VEXIL_MC"));
  driveType_ = type;
  const auto at = std::ranges::find(devList_, static_cast<uint8_t>(drive));
  if (drive < 0 || at == devList_.end()) {
    SCSI.SetDeviceIndex(-1);
    session_.position_ = -1;
    session_.model_[0] = '\0';
    return;
  }
  SetDeviceSelected(static_cast<int32_t>(at - devList_.begin()));
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
  session_.position_ = -1;
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

const char* ScsiWrapper::CopyFromDevice(int32_t position, const char* (*getter)(), std::array<char, 64>& buffer) {
  const int index = DeviceIndexAt(position);
  if (index < 0) return nullptr;
  const int previous = SCSI.GetDeviceIndex();
  SCSI.SetDeviceIndex(index);
  const char* text = getter();
  text::CopyBounded(buffer, text::View(text));
  SCSI.SetDeviceIndex(previous);
  return buffer.data();
}

const char* ScsiWrapper::GetDeviceFilename(int32_t position) {
  return CopyFromDevice(
      position, [] { return SCSI.GetFilename(); }, nameBuffer_);
}

const char* ScsiWrapper::GetDeviceDescription(int32_t position) {
  return CopyFromDevice(
      position, [] { return SCSI.GetDescription(); }, descriptionBuffer_);
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

DriveSession& ScsiWrapper::SetDeviceSelected(int32_t position) {
  session_.position_ = position;
  session_.model_[0] = '\0';
  session_.drive_ = DriveIdentity{};
  const int index = DeviceIndexAt(position);
  if (index < 0) return session_;
  SCSI.SetDeviceIndex(index);
  SCSI.LeaveDeviceOpen(true);
  session_.drive_ = SCSI.RecordedIdentity();

  // "HALCYON  ULTRIUM-HH6" gives "ULTRIUM-HH6".
  const char* description = SCSI.GetDescription();
  std::string_view text = text::TrimSpace(text::View(description));
  const size_t blank = text.find_first_of(" \t");
  text = blank == std::string_view::npos ? std::string_view{} : text::TrimSpace(text.substr(blank));
  text::CopyBounded(session_.model_, text);
  return session_;
}
