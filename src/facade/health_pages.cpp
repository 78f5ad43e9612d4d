#include "facade/health_pages.h"

#include <algorithm>
#include <string>

#include "base/byte_order.h"
#include "device/log_decode.h"

namespace health {

std::string DriveText(std::span<const uint8_t> value) {
  std::string text;
  for (uint8_t byte : value) text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : (byte ? '?' : ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

namespace {

constexpr size_t kPageHeader = 4;

uint64_t Number(std::span<const uint8_t> value) {
  uint64_t n = 0;
  for (uint8_t byte : value.first(std::min<size_t>(value.size(), 8))) n = (n << 8) | byte;
  return n;
}

enum class Field { kText, kNumber, kLastDrive };

struct AttributeRow {
  uint16_t id;
  Field field;
  std::string CartridgeMemory::*text;
  std::optional<uint64_t> CartridgeMemory::*number;
};

// The attributes a health report shows, as the standard numbers them.
const AttributeRow kAttributeRows[] = {
    {0x0000, Field::kNumber, nullptr, &CartridgeMemory::remaining_capacity_mib},
    {0x0001, Field::kNumber, nullptr, &CartridgeMemory::maximum_capacity_mib},
    {0x0003, Field::kNumber, nullptr, &CartridgeMemory::load_count},
    {0x0004, Field::kNumber, nullptr, &CartridgeMemory::mam_space_remaining},
    {0x020A, Field::kLastDrive, nullptr, nullptr},
    {0x020B, Field::kLastDrive, nullptr, nullptr},
    {0x020C, Field::kLastDrive, nullptr, nullptr},
    {0x020D, Field::kLastDrive, nullptr, nullptr},
    {0x0220, Field::kNumber, nullptr, &CartridgeMemory::mib_written},
    {0x0221, Field::kNumber, nullptr, &CartridgeMemory::mib_read},
    {0x0222, Field::kNumber, nullptr, &CartridgeMemory::mib_written_last_load},
    {0x0223, Field::kNumber, nullptr, &CartridgeMemory::mib_read_last_load},
    {0x0400, Field::kText, &CartridgeMemory::manufacturer, nullptr},
    {0x0401, Field::kText, &CartridgeMemory::medium_serial, nullptr},
    {0x0406, Field::kText, &CartridgeMemory::manufacture_date, nullptr},
    {0x0407, Field::kNumber, nullptr, &CartridgeMemory::mam_capacity},
    {0x0803, Field::kText, &CartridgeMemory::user_label, nullptr},
    {0x0806, Field::kText, &CartridgeMemory::barcode, nullptr},
};

const char* MediumTypeName(uint8_t type) {
  switch (type) {
    case 0x00:
      return "data";
    case 0x01:
      return "cleaning";
    case 0x80:
      return "WORM";
    default:
      return "other";
  }
}

void Take(CartridgeMemory& m, uint16_t id, std::span<const uint8_t> value) {
  if (id == 0x0006 || id == 0x0405) {  // formatted density, else the medium's own
    if (!value.empty() && (id == 0x0006 || !m.density_code)) m.density_code = value[0];
    return;
  }
  if (id == 0x0002) {  // TapeAlert flags, flag 1 the top bit
    const uint64_t flags = Number(value);
    for (int flag = 1; flag <= 64 && value.size() == 8; ++flag) {
      if (flags & (uint64_t{1} << (64 - flag))) m.tape_alerts.push_back(flag);
    }
    return;
  }
  if (id == 0x0408) {
    if (!value.empty()) m.medium_type = MediumTypeName(value[0]);
    return;
  }
  const auto row = std::find_if(std::begin(kAttributeRows), std::end(kAttributeRows),
                                [id](const AttributeRow& r) { return r.id == id; });
  if (row == std::end(kAttributeRows)) return;
  switch (row->field) {
    case Field::kText:
      m.*(row->text) = DriveText(value);
      break;
    case Field::kNumber:
      m.*(row->number) = Number(value);
      break;
    case Field::kLastDrive: {
      // Vendor (8 bytes) and serial number (32): nothing for a slot never used.
      std::string drive = DriveText(value.first(std::min<size_t>(value.size(), 8)));
      if (value.size() > 8) {
        const std::string serial = DriveText(value.subspan(8));
        if (!serial.empty()) drive += (drive.empty() ? "" : " ") + serial;
      }
      if (!drive.empty()) m.last_drives.push_back(drive);
      break;
    }
  }
}

}  // namespace

std::optional<std::vector<int>> ResponseFlags(std::span<const uint8_t> page) {
  logpage::Parameter flags;
  if (!logpage::Find(page, 0x0000, &flags) || flags.value.size() < 8) return std::nullopt;
  std::vector<int> set;
  for (int flag = 1; flag <= 64; ++flag) {
    const uint8_t byte = flags.value[static_cast<size_t>((flag - 1) / 8)];
    if (byte & (0x80 >> ((flag - 1) % 8))) set.push_back(flag);
  }
  return set;
}

std::optional<std::vector<int>> AlertPageFlags(std::span<const uint8_t> page) {
  const std::vector<logpage::Parameter> parameters = logpage::Walk(page);
  if (parameters.empty()) return std::nullopt;
  std::vector<int> set;
  for (const logpage::Parameter& p : parameters) {
    if (p.code >= 1 && p.code <= 64 && !p.value.empty() && (p.value[0] & 0x01)) set.push_back(p.code);
  }
  std::sort(set.begin(), set.end());
  set.erase(std::unique(set.begin(), set.end()), set.end());
  return set;
}

std::optional<uint64_t> Counter(std::span<const uint8_t> page, int code) {
  logpage::Parameter p;
  if (!logpage::Find(page, code, &p) || p.value.empty()) return std::nullopt;
  return Number(p.value);
}

void Temperatures(std::span<const uint8_t> page, DeviceHealth& into) {
  const auto degrees = [&](int code) -> std::optional<int> {
    logpage::Parameter p;
    if (!logpage::Find(page, code, &p) || p.value.size() < 2 || p.value[1] == 0xFF) return std::nullopt;
    return p.value[1];
  };
  into.temperature_c = degrees(0x0000);
  into.temperature_reference_c = degrees(0x0001);
}

std::vector<uint8_t> SupportedPages(std::span<const uint8_t> page) {
  if (page.size() < kPageHeader) return {};
  const size_t end = std::min(page.size(), kPageHeader + be::Read16(page.data() + 2));
  return {page.begin() + kPageHeader, page.begin() + static_cast<std::ptrdiff_t>(end)};
}

CartridgeMemory Attributes(std::span<const uint8_t> data) {
  CartridgeMemory memory;
  if (data.size() < 4) return memory;
  const size_t end = std::min<size_t>(data.size(), 4 + be::Read32(data.data()));
  for (size_t at = 4; at + 5 <= end;) {
    const uint16_t id = static_cast<uint16_t>(be::Read16(data.data() + at));
    const size_t length = be::Read16(data.data() + at + 3);
    if (at + 5 + length > end) break;  // cut short: only whole attributes count
    Take(memory, id, data.subspan(at + 5, length));
    at += 5 + length;
  }
  if (memory.density_code) {
    if (const uint32_t generation = LtoGeneration(*memory.density_code)) memory.generation = generation;
  }
  return memory;
}

uint32_t LtoGeneration(uint32_t density_code) {
  struct Row {
    uint8_t code;
    uint32_t generation;
  };
  static constexpr Row kRows[] = {{0x40, 1}, {0x42, 2}, {0x44, 3}, {0x46, 4}, {0x58, 5},
                                  {0x5A, 6}, {0x5C, 7}, {0x5E, 8}, {0x60, 9}};
  for (const Row& row : kRows) {
    if (row.code == density_code) return row.generation;
  }
  return 0;
}

}  // namespace health
