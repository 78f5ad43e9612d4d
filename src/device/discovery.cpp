// Finding the devices behind the sg nodes, the device list, selection, the
// searches by serial number and re-discovery after a firmware update.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/system.h"
#include "base/text_util.h"
#include "device/scsi_int.h"

std::mutex scanLock;

namespace {

constexpr const char* kDefaultDevList[] = {
    "/dev/sg0", "/dev/sg1", "/dev/sg2",  "/dev/sg3",  "/dev/sg4",  "/dev/sg5",  "/dev/sg6",  "/dev/sg7",
    "/dev/sg8", "/dev/sg9", "/dev/sg10", "/dev/sg11", "/dev/sg12", "/dev/sg13", "/dev/sg14", "/dev/sg15",
};

constexpr uint64_t kListedMaxTransfer = 262144;
constexpr size_t kListBlockSize = 4096;
constexpr int kRescanInterval = 10;  // seconds between rescans while relocating
constexpr int kReadyCounts = 5;      // readiness answers needed after relocation
constexpr int kFupResetSeconds = 70;

uint32_t GetU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Collapses each doubled slash into one, in place.
void CollapseSlashes(char* path) {
  char* out = path;
  for (const char* in = path; *in != '\0'; ++in) {
    if (*in == '/' && out > path && out[-1] == '/') continue;
    *out++ = *in;
  }
  *out = '\0';
}

const _SCSI_DEVICE& EmptyDevice() {
  static const _SCSI_DEVICE empty{};
  return empty;
}

}  // namespace

// ---- records ----

void ScsiInt::ClearRecord(_SCSI_DEVICE& d) {
  // A record forgets its node; close it so no descriptor leaks.
  if (d.handle > 0 && closeNodes_) CloseHandle(d.handle);
  d = EmptyDevice();
  std::vector<uint8_t>().swap(d.modeBuffer);
  std::vector<uint8_t>().swap(d.logBuffer);
  d.adapterIndex = -1;
  d.timeout = kDefaultTimeout;
  d.maxTransfer = kDefaultMaxTransfer;
  d.ioctlResult = 1;
  d.timing = 1;
  for (auto& page : d.logParams)
    for (auto& p : page) p.code = -1;
  d.eventCount = 1;
}

void ScsiInt::ClearScsiDev() {
  if (device_ == nullptr) return;
  CloseDevice();
  ClearRecord(*device_);
}

void ScsiInt::ClearScsiList() {
  deviceCount_ = 0;
  for (int i = 0; i < kMaxDevices; ++i) ClearRecord(devices_[i]);
  Select(-1);
}

void ScsiInt::ClearAdapter(int index) {
  if (index < 0 || index >= kMaxAdapters) return;
  adapters_[index] = _ADAPTER{};
}

void ScsiInt::CleanUp() {
  if (devices_) ClearScsiList();
}

// ---- scanning ----

long ScsiInt::ScanDevices(int flag, int includeSequential, int includeChanger, int includeAll, const char* devicePath) {
  includeSequential_ = includeSequential;
  includeChanger_ = includeChanger;
  includeAll_ = includeAll;
  const long count = Initialize(flag, devicePath);
  Select(-1);
  return count;
}

long ScsiInt::Initialize(int, const char* devicePath) {
  std::lock_guard<std::mutex> lock(scanLock);
  scanFlag_ = 1;
  ++scanCount_;
  ClearScsiList();
  const long adapters = GetUnixAdapters(adapterFilter_, devicePath);
  if (adapters < 1) {
    deviceCount_ = static_cast<int>(adapters);
    Select(-1);
  } else {
    ListDevices();
  }
  scanFlag_ = 0;
  return deviceCount_;
}

void ScsiInt::SetAdapterFilter(const char* filter) { CopyText(adapterFilter_, filter == nullptr ? "" : filter); }

long ScsiInt::GetUnixAdapters(const char* filter, const char* devicePath) {
  Select(0);
  adapterCount_ = 0;
  for (int i = 0; i < kMaxAdapters; ++i) ClearAdapter(i);
  Sys().SetUid(0);
  const bool root = Sys().GetUid() == 0;

  const char* single[] = {devicePath};
  const char* const* candidates = devicePath != nullptr ? single : kDefaultDevList;
  const int count = devicePath != nullptr ? 1 : static_cast<int>(sizeof kDefaultDevList / sizeof kDefaultDevList[0]);
  bool allMissing = true;
  for (int i = 0; i < count; ++i) {
    Select(0);
    ClearScsiDev();
    const char* candidate = candidates[i];
    if (filter != nullptr && filter[0] != '\0' && std::strstr(candidate, filter) == nullptr) {
      allMissing = false;
      continue;
    }
    char path[64];
    if (strnlen(candidate, sizeof path) >= sizeof path) {  // would not fit: refuse, never cut
      allMissing = false;
      continue;
    }
    CopyText(path, candidate);
    CollapseSlashes(path);
    const long probe = CheckUnixDevice(path);
    if (probe != -ENOENT) allMissing = false;
    if (probe == 1 && adapterCount_ < kMaxAdapters) {
      _ADAPTER& a = adapters_[adapterCount_++];
      CopyText(a.FileName, path);
      a.NumberOfBusses = 1;
      a.BusId[0] = 1;
      a.InitiatorId[0] = 7;
      a.NumberOfUnits[0] = 1;
    }
  }
  // A note for the user; kept after the probes so they do not clear it.
  Select(0);
  if (!root) SetMessage("Should run as root to find all devices.", "GetUnixAdapters()");
  if (allMissing) adapterCount_ = -1;
  return adapterCount_;
}

long ScsiInt::CheckUnixDevice(const char* path) {
  if (path == nullptr) return 0;
  if (debug_) std::fprintf(stderr, "\nCheckUnixDevice: %s\n", path);
  const int handle = CreateFile(path);
  if (handle < 1) {
    const int number = static_cast<int>(GetLastError());
    if (number == EACCES || debug_)
      std::fprintf(stderr, "Error Opening %s, errno = %d: %s\n", path, number, std::strerror(number));
    return -number;
  }
  uint8_t block[1024] = {};
  const int result = DeviceIoControl(handle, SCSI_IO_GET_INQUIRY_DATA, nullptr, 0, block, sizeof block);
  CloseHandle(handle);
  if (result == -2) return 0;
  if (result <= 0) {
    if (debug_) std::fputs("\tNothing found\n", stderr);
    return 0;
  }
  if (debug_) std::fputs("\tFound device\n", stderr);
  return 1;
}

long ScsiInt::ListDevices() {
  Select(0);
  if (dataBuffer_ == nullptr) {
    devices_[0].maxTransfer = 0;
    SetMessage("MEMORY ALLOCATION ERROR ", "ListDevices()");
    deviceCount_ = 0;
    return 0;
  }
  if (adapterCount_ < 1) {
    Select(adapterCount_ >= 1 ? 0 : -1);
    return adapterCount_;
  }
  deviceCount_ = 0;
  for (int a = 0; a < adapterCount_ && deviceCount_ < kMaxDevices; ++a) {
    uint8_t block[kListBlockSize] = {};
    const int handle = CreateFile(adapters_[a].FileName);
    if (handle < 1) continue;
    const int result = DeviceIoControl(handle, SCSI_IO_GET_INQUIRY_DATA, nullptr, 0, block, sizeof block);
    CloseHandle(handle);
    if (result <= 0 || block[0] == 0) continue;
    const int busses = block[0] < kMaxBusses ? block[0] : kMaxBusses;
    adapters_[a].NumberOfBusses = block[0];
    for (int bus = 0; bus < busses; ++bus) {
      const uint8_t* busEntry = block + 4 + bus * 8;
      const int units = busEntry[0];
      adapters_[a].NumberOfUnits[bus] = units;
      uint32_t offset = GetU32(busEntry + 4);
      for (int unit = 0; unit < units && offset != 0 && deviceCount_ < kMaxDevices; ++unit) {
        if (offset > kListBlockSize - kInquiryEntryHeader - kProbeInquiryLength) break;
        const uint8_t* entry = block + offset;
        offset = GetU32(entry + 12);
        const uint8_t* inquiry = entry + kInquiryEntryHeader;

        const int index = deviceCount_++;
        Select(index);
        ClearScsiDev();
        _SCSI_DEVICE& d = *device_;
        d.adapterIndex = a;
        d.timeout = 2;
        CopyText(d.path, adapters_[a].FileName);
        d.inquirySize = 119;
        char description[25] = {};
        std::memcpy(description, inquiry + 8, 24);
        ToUpper(description, 24);
        CopyText(d.description, description);
        d.port = entry[0];
        d.bus = entry[1];
        d.target = entry[2];
        d.lun = entry[3];
        d.claimed = entry[4];
        const int type = inquiry[0] & 0x1F;
        d.directAccess = type == 0;
        d.sequential = type == 1;
        d.changer = type == 8;
        char revision[5] = {};
        std::memcpy(revision, inquiry + 32, 4);
        d.familyCode = static_cast<int32_t>(GetDeviceType(d.description, revision));
        d.mfgId = static_cast<int32_t>(GetManufacturer(d.description));
        // Once more with the family recorded: the first two families are
        // told apart by the OEM page only when the record already names one.
        d.familyCode = static_cast<int32_t>(GetDeviceType(d.description, revision));
        d.mfgId = static_cast<int32_t>(GetManufacturer(d.description));

        const bool drop =
            (includeSequential_ == -1 && d.sequential) || (includeChanger_ == -1 && d.changer) || includeAll_ == -1;
        const bool keep = !drop && (d.familyCode != kFamilyOther || (d.sequential && includeSequential_ == 1) ||
                                    (d.changer && includeChanger_ == 1) || includeAll_ != 0);
        if (!keep) {
          ClearScsiDev();
          --deviceCount_;
        } else {
          d.timeout = 3;
          Inquiry();
          GetScsiSerialNumber();
          GetCapabilities();
          if (d.maxTransfer < kListedMaxTransfer) d.maxTransfer = kListedMaxTransfer;
          d.adapterIndex = a;
        }
        d.timeout = kDefaultTimeout;
      }
    }
  }
  Select(deviceCount_ > 0 ? 0 : -1);
  return deviceCount_;
}

long ScsiInt::FindAdapter(const char* name) {
  if (name == nullptr) return -1;
  for (int i = 0; i < adapterCount_; ++i)
    if (std::strncmp(adapters_[i].FileName, name, sizeof adapters_[i].FileName) == 0) return i;
  return -1;
}

long ScsiInt::ScanNamedBus(const char* path) {
  const int handle = CreateFile(path);
  if (handle < 1) return 0;
  CloseHandle(handle);
  return 1;
}

long ScsiInt::ReScanBus() {
  if (device_ == nullptr) return -3;
  const int a = device_->adapterIndex;
  if (a < 0 || a >= kMaxAdapters) return 0;
  return ScanNamedBus(adapters_[a].FileName);
}

// ---- selection and searches ----

void ScsiInt::SetDeviceIndex(int index) {
  if (index < 0 || index >= kMaxDevices) {
    Select(-1);
    return;
  }
  Select(index);
  SetDeviceString(GetDeviceTypeString(0));
}

long ScsiInt::FindDevice(const char* serial) {
  if (serial == nullptr) return 0;
  for (int i = 0; i < deviceCount_; ++i) {
    Select(i);
    GetScsiSerialNumber();
    if (std::strncmp(device_->serialNumber, serial, sizeof device_->serialNumber) == 0) return 1;
    CloseDevice();
  }
  return 0;
}

long ScsiInt::FindSerialNumber(const char* serial) {
  if (serial == nullptr) return -1;
  const std::string_view wanted(serial, strnlen(serial, sizeof devices_[0].serialNumber - 1));
  for (int i = 0; i < deviceCount_; ++i) {
    const _SCSI_DEVICE& d = devices_[i];
    if (wanted == std::string_view(d.serialNumber, TextLength(d.serialNumber))) {
      Select(i);
      return i;
    }
  }
  return -1;
}

long ScsiInt::FindRelatedLoader() {
  const int home = selected_;
  if (device_ == nullptr) return -1;
  const _SCSI_DEVICE& me = *device_;
  long found = -1;
  for (int i = 0; i < deviceCount_ && found < 0; ++i) {
    if (i == home) continue;
    const _SCSI_DEVICE& d = devices_[i];
    if (d.port == me.port && d.bus == me.bus && d.target == me.target && d.lun != me.lun && d.changer) found = i;
  }
  Select(home);
  return found;
}

bool ScsiInt::FindRestarted(const char* page, const char* serial) {
  for (int i = 0; i < deviceCount_; ++i) {
    Select(i);
    GetScsiSerialNumber();
    char wanted[sizeof device_->serialNumber] = {};
    if (page != nullptr && page[0] != '\0')
      CutSerial(page, device_->familyCode, wanted);
    else
      CopyText(wanted, text::View(serial));
    if (wanted[0] != '\0' && std::strncmp(device_->serialNumber, wanted, sizeof wanted) == 0) return true;
    CloseDevice();
  }
  Select(-1);
  return false;
}

long ScsiInt::RelocateDevice(long seconds) {
  if (device_ == nullptr) return 0;
  const time_t start = Sys().Now().tv_sec;
  auto elapsed = [start] { return static_cast<long>(Sys().Now().tv_sec - start); };
  TestUnitReady();
  TestUnitReady();
  char serial[sizeof device_->serialNumber];
  CopyText(serial, device_->serialNumber);
  char page[sizeof device_->serialPage];
  CopyText(page, device_->serialPage);
  // Only the drive itself may stay selected: when it is not found again no
  // device is, and the reason is kept without one.
  const auto notFound = [this] {
    Select(-1);
    SetMessage("Drive did not come ready after FUP", "FupDrive()");
    return 0L;
  };

  // Search: rescan at 0, 10, 20 ... seconds, checking once a second. The
  // new firmware may put the drive in another family, which cuts its
  // serial number to another length: compare it as that family cuts it.
  long nextScan = 0;
  for (;;) {
    if (elapsed() >= nextScan) {
      while (nextScan <= elapsed()) nextScan += kRescanInterval;
      Initialize(1, nullptr);
      if (FindRestarted(page, serial)) break;
    }
    if (elapsed() >= seconds) return notFound();
    Sleep(1000);
  }

  // Readiness: a check condition, or a serial number read, counts.
  int counts = 0;
  for (;;) {
    if (TestUnitReady() == -2)
      ++counts;
    else if (GetScsiSerialNumber() > 0 || device_->changer)
      ++counts;
    if (counts > kReadyCounts) break;
    if (elapsed() >= seconds) {
      SetMessage("Drive did not come ready after FUP", "FupDrive()");
      return 0;
    }
    Sleep(1000);
  }

  Inquiry();
  GetScsiSerialNumber();
  GetScsiBuildData();
  GetScsiRevData();
  return 1;
}

long ScsiInt::FindAfterFUP() {
  if (device_ == nullptr) return -3;
  SenseReset();
  ClearTexts();
  std::memset(device_->senseBuffer, 0, sizeof device_->senseBuffer);
  device_->senseSize = 0;
  device_->updateState = 4;  // FUP Device Reset
  for (int i = 0; i < kFupResetSeconds; ++i) Sleep(1000);
  device_->updateState = 5;  // FUP Relocate Device
  const long seconds = IsLOADER(device_->familyCode) ? 300 : 180;
  return RelocateDevice(seconds) == 1 ? 0 : 55;
}

long ScsiInt::GetUpdateState() { return device_ == nullptr ? -1 : device_->updateState; }

void ScsiInt::SetUpdateState(int state) {
  if (device_ != nullptr) device_->updateState = state;
}

// ---- getters ----

namespace {
bool BadAdapter(int i, int count) { return i < 0 || i >= count || i >= kMaxAdapters; }
bool BadBus(int bus) { return bus < 0 || bus > 3; }
}  // namespace

const char* ScsiInt::GetAdapterFilename(int i) { return BadAdapter(i, adapterCount_) ? "" : adapters_[i].FileName; }
const char* ScsiInt::GetAdapterDescription(int i) {
  return BadAdapter(i, adapterCount_) ? "" : adapters_[i].Description;
}
const char* ScsiInt::GetAdapterDriver(int i) { return BadAdapter(i, adapterCount_) ? "" : adapters_[i].Driver; }
long ScsiInt::GetAdapterNumberOfBusses(int i) {
  return BadAdapter(i, adapterCount_) ? -1 : adapters_[i].NumberOfBusses;
}
long ScsiInt::GetAdapterBusId(int i, int bus) {
  return BadAdapter(i, adapterCount_) || BadBus(bus) ? -1 : adapters_[i].BusId[bus];
}
long ScsiInt::GetAdapterInitiatorId(int i, int bus) {
  return BadAdapter(i, adapterCount_) || BadBus(bus) ? -1 : adapters_[i].InitiatorId[bus];
}
long ScsiInt::GetAdapterNumberOfUnits(int i, int bus) {
  return BadAdapter(i, adapterCount_) || BadBus(bus) ? -1 : adapters_[i].NumberOfUnits[bus];
}

const char* ScsiInt::GetDescription() { return device_ == nullptr ? "" : device_->description; }
const char* ScsiInt::GetSerialNumber() { return device_ == nullptr ? "" : device_->serialNumber; }
const char* ScsiInt::GetFilename() { return device_ == nullptr ? "" : device_->path; }
long ScsiInt::GetAdapterIdx() { return device_ == nullptr ? -1 : device_->adapterIndex; }
long ScsiInt::GetPort() { return device_ == nullptr ? -1 : device_->port; }
long ScsiInt::GetBus() { return device_ == nullptr ? -1 : device_->bus; }
long ScsiInt::GetTarget() { return device_ == nullptr ? -1 : device_->target; }
long ScsiInt::GetLun() { return device_ == nullptr ? -1 : device_->lun; }
long ScsiInt::IsClaimed() { return device_ == nullptr ? 0 : device_->claimed; }
long ScsiInt::IsSequential() { return device_ == nullptr ? 0 : device_->sequential; }
long ScsiInt::IsChanger() { return device_ == nullptr ? 0 : device_->changer; }
