// Changer elements: READ ELEMENT STATUS into the record by element type,
// MOVE MEDIUM, INITIALIZE ELEMENT STATUS and the printable element report.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>

#include "base/byte_order.h"
#include "device/drive_contract.h"
#include "device/scsi_int.h"

namespace {

constexpr long kElementTimeout = 300;
constexpr long kAllElementsAllocation = 32000;
constexpr size_t kReportBudget = 10000;
constexpr size_t kReportReserve = 252;

enum ElementType { kTransport = 1, kStorage = 2, kImportExport = 3, kDataTransfer = 4 };

// Families whose answers carry longer areas, and which have no mail slot.
bool LargeLoader(int family) { return family == 39 || family == 40; }

long Allocation(int type, int family) {
  const bool large = LargeLoader(family);
  switch (type) {
    case kTransport:
      return large ? 52 : 48;
    case kStorage:
      return large ? 2176 : 1936;
    case kImportExport:
      return 48;
    case kDataTransfer:
      return large ? 196 : 176;
    default:
      return kAllElementsAllocation;
  }
}

std::span<uint8_t> Area(_SCSI_DEVICE& d, int type) {
  switch (type) {
    case kTransport:
      return d.elementTransport;
    case kStorage:
      return d.elementStorage;
    case kImportExport:
      return d.elementImportExport;
    case kDataTransfer:
      return d.elementDataTransfer;
    default:
      return {};
  }
}

struct Section {
  int type;
  const char* header;
  const char* line;
};

constexpr Section kSections[] = {
    {kTransport, "\r\n\tTRANSPORT ELEMENTS (pickers) - %lld\r\n",
     "\t\tTRANSPORT %03d -\t Address (0X%02X%02X)\t  Status: %s\r\n"},
    {kImportExport, "\r\n\tIMPORT/EXPORT ELEMENTS (mail slots) - %lld\r\n",
     "\t\tMail Slot %03d -\t Address (0X%02X%02X)\t  Status: %s\r\n"},
    {kDataTransfer, "\r\n\tDATA TRANSFER ELEMENTS (drives) - %lld\r\n",
     "\t\tDrive %03d -\t Address (0X%02X%02X)\t  Status: %s\r\n"},
    {kStorage, "\r\n\tCARTRIDGE ELEMENTS (magazine slots) - %lld\r\n",
     "\t\tSLOT %03d -\t Address (0X%02X%02X)\t  Status: %s\r\n"},
};

}  // namespace

long ScsiInt::ReadElementStatus(int type, int count) {
  if (!Ready()) return -3;
  _SCSI_DEVICE& d = *device_;
  const int family = d.familyCode;
  if (type == kImportExport && LargeLoader(family)) {
    d.elementValid[kImportExport] = 1;
    return 1;
  }
  const bool known = type >= kTransport && type <= kDataTransfer;
  if (!known) {
    // Every area first, then the asked type whole; that answer is not kept.
    static constexpr int kCounts[] = {0, 2, 120, 2, 10};
    for (int t = kTransport; t <= kDataTransfer; ++t) ReadElementStatus(t, kCounts[t]);
  }
  const long allocation = Allocation(type, family);
  uint8_t cdb[12] = {0xB8, static_cast<uint8_t>(type)};
  cdb[5] = static_cast<uint8_t>(count);
  be::Write(cdb + 7, 3, static_cast<uint64_t>(allocation));
  std::memset(dataBuffer_, 0, static_cast<size_t>(allocation));
  const long saved = GetTimeout();
  SetTimeout(kElementTimeout);
  const long result = DataCommand(cdb, sizeof cdb, kDataIn, allocation, "ReadElementStatus()");
  SetTimeout(saved);
  if (result < 1 || !known) return result;
  const std::span<uint8_t> area = Area(d, type);
  const size_t kept = std::min<size_t>(area.size(), static_cast<size_t>(allocation));
  std::fill(area.begin(), area.end(), 0);
  std::memcpy(area.data(), dataBuffer_, kept);
  d.elementValid[type] = 1;
  return result;
}

long ScsiInt::MoveElement(int source, int destination) {
  if (!Ready()) return -3;
  uint8_t cdb[12] = {0xA5};  // transport address 0
  be::Write(cdb + 4, 2, static_cast<uint64_t>(source));
  be::Write(cdb + 6, 2, static_cast<uint64_t>(destination));
  const long saved = GetTimeout();
  SetTimeout(kElementTimeout);
  const long result = DataCommand(cdb, sizeof cdb, kDataNone, 0, "MoveElement()");
  SetTimeout(saved);
  return result;
}

long ScsiInt::InitializeElementStatus() {
  if (!Ready()) return -3;
  const uint8_t cdb[6] = {0x07};
  const long saved = GetTimeout();
  SetTimeout(kElementTimeout);
  const long result = DataCommand(cdb, sizeof cdb, kDataNone, 0, "InitializeElementStatus()");
  SetTimeout(saved);
  return result;
}

const char* ScsiInt::PrintElementReport() {
  if (device_ == nullptr) return nullptr;
  _SCSI_DEVICE& d = *device_;
  std::string& report = elementReport_;
  report = "\r\n\tELEMENT REPORT\r\n";
  char line[256];
  // False once the budget is spent: the report ends with a note.
  auto add = [&](const char* text) {
    report += text;
    if (kReportBudget - std::min(kReportBudget, report.size()) >= kReportReserve) return true;
    report += "\r\n RAN OUT OF BUFFER SPACE FOR REPORT \r\n\r\n";
    return false;
  };
  for (const Section& section : kSections) {
    const std::span<const uint8_t> area = Area(d, section.type);
    // Only what this family's answer can hold was stored.
    const size_t stored = std::min<size_t>(area.size(), static_cast<size_t>(Allocation(section.type, d.familyCode)));
    const long long available = static_cast<long long>(be::Read16(area.data() + 2));
    std::snprintf(line, sizeof line, section.header, available);
    if (!add(line)) return report.c_str();
    if (!d.elementValid[section.type] || available <= 0) continue;
    for (long long i = 0; i < available; ++i) {
      const size_t at = contract::kElementHeader + static_cast<size_t>(i) * contract::kElementDescriptor;
      if (at + contract::kElementDescriptor > stored) break;
      const uint8_t* e = area.data() + at;
      std::snprintf(line, sizeof line, section.line, static_cast<int>(i + 1), e[0], e[1],
                    (e[2] & 0x01) ? "FULL" : "EMPTY");
      if (!add(line)) return report.c_str();
    }
  }
  report += "\r\n";
  return report.c_str();
}
