// READ ATTRIBUTE and WRITE ATTRIBUTE: the medium auxiliary memory of the
// cartridge in a tape drive. Device and medium attributes (0000h-07FFh)
// are the drive's and the cartridge maker's, read-only; host attributes
// (0800h-0BFFh) are the application's to write.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/handlers.h"
#include "sim/tape_formats.h"

namespace {

enum AttributeFormat : uint8_t { kBinary = 0, kAscii = 1, kText = 2 };

constexpr uint8_t kReadOnlyBit = 0x80;

// What the drive itself reports of a binary attribute.
using AttributeValue = uint64_t (*)(const SimDevice&);

// One attribute the drive knows: its identifier, format and standard
// length, and for the ones the drive works out itself, how.
struct AttributeRule {
  uint16_t id;
  uint8_t format;
  uint16_t length;
  AttributeValue value;  // null: kept in the cartridge memory
};

// Whole MiB moved since `from` (the drive's counters start again after a
// LOG SELECT that resets them).
uint64_t MiBSince(uint64_t now, uint64_t from) { return now < from ? now >> 20 : (now - from) >> 20; }
uint64_t WrittenThisLoad(const SimDevice& d) { return MiBSince(d.bytes_written, d.mam.written_at_load); }
uint64_t ReadThisLoad(const SimDevice& d) { return MiBSince(d.bytes_read, d.mam.read_at_load); }

uint64_t StoredBytes(const SimDevice& d) {
  uint64_t used = 0;
  for (const auto& [id, attribute] : d.mam.stored) used += 5 + attribute.value.size();
  return used;
}

constexpr AttributeRule kRules[] = {
    // Device attributes.
    {0x0000, kBinary, 8, [](const SimDevice& d) { return (d.capacity - std::min(d.capacity, d.tape_bytes)) >> 20; }},
    {0x0001, kBinary, 8, [](const SimDevice& d) { return d.capacity >> 20; }},
    {0x0002, kBinary, 8, [](const SimDevice& d) { return d.mam.alert_flags; }},  // TapeAlert flags
    {0x0003, kBinary, 8, [](const SimDevice& d) { return d.mam.loads; }},
    {0x0004, kBinary, 8, [](const SimDevice& d) { return d.mam.capacity - std::min(d.mam.capacity, StoredBytes(d)); }},
    {0x0006, kBinary, 1, [](const SimDevice& d) { return uint64_t{MediumDensity(d)}; }},  // formatted density
    {0x020A, kAscii, 40, nullptr},  // device vendor and serial number at the last load
    {0x020B, kAscii, 40, nullptr},  // ... at the load before, and so on
    {0x020C, kAscii, 40, nullptr},
    {0x020D, kAscii, 40, nullptr},
    {0x0220, kBinary, 8, [](const SimDevice& d) { return d.mam.written_mib + WrittenThisLoad(d); }},
    {0x0221, kBinary, 8, [](const SimDevice& d) { return d.mam.read_mib + ReadThisLoad(d); }},
    {0x0222, kBinary, 8, WrittenThisLoad},
    {0x0223, kBinary, 8, ReadThisLoad},
    // Medium attributes.
    {0x0400, kAscii, 8, nullptr},   // medium manufacturer
    {0x0401, kAscii, 32, nullptr},  // medium serial number
    {0x0405, kBinary, 1, [](const SimDevice& d) { return uint64_t{MediumDensity(d)}; }},
    {0x0406, kAscii, 8, nullptr},  // manufacture date, YYYYMMDD
    {0x0407, kBinary, 8, [](const SimDevice& d) { return d.mam.capacity; }},
    {0x0408, kBinary, 1,
     [](const SimDevice& d) { return uint64_t{d.cleaner == SimDevice::Cleaner::kNone ? 0x00u : 0x01u}; }},
    // Host attributes: standard formats and lengths, kept as written.
    {0x0800, kAscii, 8, nullptr},   // application vendor
    {0x0801, kAscii, 32, nullptr},  // application name
    {0x0802, kAscii, 8, nullptr},   // application version
    {0x0803, kText, 160, nullptr},  // user medium text label
    {0x0804, kAscii, 12, nullptr},  // date and time last written
    {0x0805, kBinary, 1, nullptr},  // text localization identifier
    {0x0806, kAscii, 32, nullptr},  // barcode
    {0x0807, kText, 80, nullptr},   // owning host textual name
    {0x0808, kText, 160, nullptr},  // media pool
    {0x0809, kAscii, 16, nullptr},  // partition user text label
    {0x080A, kBinary, 1, nullptr},  // load/unload at partition
    {0x080B, kAscii, 16, nullptr},  // application format version
};

const AttributeRule* RuleOf(uint16_t id) {
  for (const AttributeRule& rule : kRules) {
    if (rule.id == id) return &rule;
  }
  return nullptr;
}

// DEVICE VENDOR/SERIAL NUMBER: the vendor in 8 characters, then the serial.
std::string VendorSerial(const SimDevice& d) {
  std::string vendor = d.config.vendor.substr(0, 8);
  vendor.resize(8, ' ');
  return vendor + d.config.serial;
}

// Host attributes, and the vendor-specific host ones.
bool Writable(uint16_t id) { return (id >= 0x0800 && id < 0x0C00) || (id >= 0x1400 && id < 0x1800); }

std::vector<uint8_t> Header(uint16_t id, uint8_t format, size_t length) {
  std::vector<uint8_t> h(5, 0);
  PutBe(h, 0, 2, id);
  h[2] = static_cast<uint8_t>((Writable(id) ? 0 : kReadOnlyBit) | format);
  PutBe(h, 3, 2, length);
  return h;
}

// The attributes that exist, in ascending order: identifier -> bytes with
// their 5-byte header.
std::map<uint16_t, std::vector<uint8_t>> Existing(const SimDevice& d) {
  std::map<uint16_t, std::vector<uint8_t>> all;
  for (const AttributeRule& rule : kRules) {
    if (rule.value == nullptr) continue;
    std::vector<uint8_t> bytes = Header(rule.id, rule.format, rule.length);
    bytes.resize(5 + rule.length);
    PutBe(bytes, 5, rule.length, rule.value(d));
    all[rule.id] = bytes;
  }
  for (const auto& [id, attribute] : d.mam.stored) {
    std::vector<uint8_t> bytes = Header(id, attribute.format, attribute.value.size());
    bytes.insert(bytes.end(), attribute.value.begin(), attribute.value.end());
    all[id] = bytes;
  }
  return all;
}

void InvalidCdbField(SimDevice& d, SimReply& reply, int at) {
  SenseDetail field;
  field.field_pointer = at;
  d.Fail(reply, 0x05, 0x24, 0x00, field);
}

void InvalidParameter(SimDevice& d, SimReply& reply, size_t at) {
  SenseDetail field;
  field.field_pointer = static_cast<int>(at);
  field.in_parameters = true;
  d.Fail(reply, 0x05, 0x26, 0x00, field);
}

// What both commands need: a drive with cartridge memory, a cartridge in
// it, and the one volume and partition there is.
bool NeedCartridgeMemory(SimDevice& d, const SimRequest& r, SimReply& reply) {
  if (!d.config.mam) {
    SenseDetail at_opcode;
    at_opcode.field_pointer = 0;
    d.Fail(reply, 0x05, 0x20, 0x00, at_opcode);
    return false;
  }
  if (!TapeLoaded(d)) {
    d.Fail(reply, 0x02, 0x3A, 0x00);
    return false;
  }
  for (int at : {5, 7}) {  // logical volume number, partition number
    if (r.cdb[at] != 0) {
      InvalidCdbField(d, reply, at);
      return false;
    }
  }
  return true;
}

enum ServiceAction : uint8_t {
  kAttributeValues = 0x00,
  kAttributeList = 0x01,
  kVolumeList = 0x02,
  kPartitionList = 0x03,
  kSupportedAttributes = 0x05,
};

// An identifier list (2 bytes each) after a 4-byte AVAILABLE DATA field.
void IdList(std::vector<uint8_t>& data, const std::vector<uint16_t>& ids) {
  data.assign(4, 0);
  for (uint16_t id : ids) {
    data.push_back(static_cast<uint8_t>(id >> 8));
    data.push_back(static_cast<uint8_t>(id));
  }
}

}  // namespace

// READ ATTRIBUTE: 8C sa element(2) 00 volume 00 partition first(2) alloc(4) cache control
void ReadAttribute(SimDevice& d, const SimRequest& r, SimReply& reply) {
  if (!NeedCartridgeMemory(d, r, reply)) return;
  const uint16_t first = static_cast<uint16_t>(GetBe(r.cdb, 8, 2));
  std::vector<uint8_t>& data = reply.data;
  switch (r.cdb[1] & 0x1F) {
    case kAttributeValues:
      data.assign(4, 0);
      for (const auto& [id, bytes] : Existing(d)) {
        if (id >= first) data.insert(data.end(), bytes.begin(), bytes.end());
      }
      break;
    case kAttributeList: {
      std::vector<uint16_t> ids;
      for (const auto& [id, bytes] : Existing(d)) ids.push_back(id);
      IdList(data, ids);
      break;
    }
    case kSupportedAttributes: {
      std::vector<uint16_t> ids;
      for (const AttributeRule& rule : kRules) ids.push_back(rule.id);
      IdList(data, ids);
      break;
    }
    case kVolumeList:
    case kPartitionList:
      data = {0x00, 0x02, 0x00, 0x01};  // the first is 0, and there is one
      CutTo(reply, GetBe(r.cdb, 10, 4));
      return;
    default:
      return InvalidCdbField(d, reply, 1);
  }
  PutBe(data, 0, 4, data.size() - 4);  // the whole length, however much the host takes
  CutTo(reply, GetBe(r.cdb, 10, 4));
}

// WRITE ATTRIBUTE: 8D wtc element(3) volume 00 partition 00 00 length(4) 00 control
// The whole list is checked before anything is written: a bad attribute
// leaves every attribute as it was.
void WriteAttribute(SimDevice& d, const SimRequest& r, SimReply& reply) {
  if (!NeedCartridgeMemory(d, r, reply)) return;
  const uint32_t length = GetBe(r.cdb, 10, 4);
  if (length == 0) return;
  if (length < 4 || length > r.data_out.size()) return d.Fail(reply, 0x05, 0x1A, 0x00);  // parameter list length error
  const std::span<const uint8_t> list = r.data_out.first(length);
  std::map<uint16_t, SimStoredAttribute> stored = d.mam.stored;
  int previous = -1;
  for (size_t at = 4; at < list.size();) {
    if (at + 5 > list.size()) return InvalidParameter(d, reply, at);
    const uint16_t id = static_cast<uint16_t>(GetBe(list, at, 2));
    const uint8_t format = list[at + 2] & 0x03;
    const size_t size = GetBe(list, at + 3, 2);
    if (!Writable(id) || id <= previous || format == 3) return InvalidParameter(d, reply, at);
    if (at + 5 + size > list.size()) return InvalidParameter(d, reply, at + 3);
    const AttributeRule* rule = RuleOf(id);
    if (size == 0) {
      stored.erase(id);  // a host attribute written empty no longer exists
    } else if (rule != nullptr && (rule->format != format || rule->length != size)) {
      return InvalidParameter(d, reply, rule->format != format ? at + 2 : at + 3);
    } else {
      stored[id] =
          SimStoredAttribute{format, std::vector<uint8_t>(list.begin() + at + 5, list.begin() + at + 5 + size)};
    }
    previous = id;
    at += 5 + size;
  }
  SimCartridgeMemory after = d.mam;
  after.stored = std::move(stored);
  uint64_t used = 0;
  for (const auto& [id, attribute] : after.stored) used += 5 + attribute.value.size();
  if (used > after.capacity) return d.Fail(reply, 0x05, 0x55, 0x06);  // auxiliary memory out of space
  d.mam = std::move(after);
}

void StoreAttribute(SimDevice& d, uint16_t id, const std::string& text) {
  const AttributeRule* rule = RuleOf(id);
  if (rule == nullptr) return;
  std::vector<uint8_t> value(rule->length, rule->format == kText ? 0x00 : ' ');
  std::copy_n(text.begin(), std::min(text.size(), value.size()), value.begin());
  d.mam.stored[id] = SimStoredAttribute{rule->format, value};
}

void NewCartridgeMemory(SimDevice& d) {
  d.mam = SimCartridgeMemory{};
  d.mam.written_at_load = d.bytes_written;
  d.mam.read_at_load = d.bytes_read;
  const SimFormat* format = FormatOf(MediumDensity(d));
  const int generation = format != nullptr ? format->lto_generation : 0;
  // Named after the node, as the drives' own serial numbers are by default.
  const size_t digits = d.config.node.find_first_of("0123456789");
  const int node = digits == std::string::npos ? 0 : std::atoi(d.config.node.c_str() + digits);
  char serial[16];
  std::snprintf(serial, sizeof serial, "HM%08d", node);
  StoreAttribute(d, 0x0400, "HALCYON");
  StoreAttribute(d, 0x0401, serial);
  StoreAttribute(d, 0x0406, "20240115");
  StoreAttribute(d, 0x020A, VendorSerial(d));
  char barcode[16];
  std::snprintf(barcode, sizeof barcode, "HM%04dL%d", node, generation);
  StoreAttribute(d, 0x0806, generation != 0 ? barcode : serial);
}

void CartridgeMemoryLoaded(SimDevice& d) {
  ++d.mam.loads;
  d.mam.written_at_load = d.bytes_written;
  d.mam.read_at_load = d.bytes_read;
  for (uint16_t id = 0x020D; id > 0x020A; --id) {  // the drives before move down the list
    if (auto before = d.mam.stored.find(static_cast<uint16_t>(id - 1)); before != d.mam.stored.end()) {
      d.mam.stored[id] = before->second;
    }
  }
  StoreAttribute(d, 0x020A, VendorSerial(d));
}

void CartridgeMemoryUnloaded(SimDevice& d) {
  d.mam.written_mib += WrittenThisLoad(d);
  d.mam.read_mib += ReadThisLoad(d);
  d.mam.written_at_load = d.bytes_written;
  d.mam.read_at_load = d.bytes_read;
}
