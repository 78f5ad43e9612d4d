// Bench descriptions: the default bench and the line format of bench files.
//
//   # comment
//   bench default
//   device /dev/sg0 type=tape hctl=0:0:0:0 vendor=HALCYON product="ULTRIUM-HH6"
//          rev=J5A1 serial=HU1234567A sas=1 medium=1 nibble=0 personality=0
//          slots=8 newrev=J5A2 reappear=/dev/sg5 reset=30 droplast=0 standard=0
//          mam=1 nolog=0x12,0x14
//   absent /dev/sg3
//   unreadable /dev/sg4
//   fault /dev/sg0 op=0x00 check=2/04/01 count=3 nosense descriptor senselen=8
//         delay=70 host=7 driver=6 errno=5 ioctl=sgio|reserved|setreserved|idlun|bus|open
//         data=0 garbage drop skip=1 vs=E0700000 corrupt=5
//   tapealert /dev/sg0 3,20 clear=read
//   cleaning /dev/sg0 now|periodic|none
//   medium /dev/sg0 gen=5 wp=1 type=0x01 files=2 blocks=3 size=512 capacity=64
//          cleaner=1|expired
//   slots /dev/sg1 full=1,3,5 mail=1
//   event /dev/sg0 "Packet # 6 Event: 0042 Head wear"
//   events /dev/sg0 clear
//   logpage /dev/sg0 0x2E 000100010100020001
//   statistics /dev/sg0 loads=321 cleanings=3 hours=1200 motion=400 meters=1250000
//              prevented=0 overheated=0
//   errors /dev/sg0 write|read corrected=14 uncorrected=0
//   temperature /dev/sg0 current=34 reference=60
//   mam /dev/sg0 manufacturer=HALCYON serial=HM00000000 date=20240115 loads=17
//       written=0 read=0 drives=HALCYON:HU1234567A,... barcode=HM0000L6 label="..." size=16384
//   eventlog /dev/sg0 sample|size=1048576|<text file>
//   clock real
//   user 1000
//
// One statement per line; values with blanks go in double quotes.
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "sim/default_bench.h"
#include "sim/event_log.h"
#include "sim/handlers.h"
#include "sim/sim.h"
#include "sim/sim_device.h"

namespace {

bool Number(const std::string& text, long min, long max, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v < min || v > max) return false;
  *out = v;
  return true;
}

bool Flag(const std::string& text, bool* out) {
  if (text == "1" || text == "yes" || text == "true") return *out = true, true;
  if (text == "0" || text == "no" || text == "false") return *out = false, true;
  return false;
}

// Numbers separated by `sep`, each within [0, max].
bool Numbers(const std::string& text, char sep, size_t count, int base, long max, std::vector<long>* out) {
  std::vector<long> values;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, sep)) {
    char* end = nullptr;
    long v = std::strtol(part.c_str(), &end, base);
    if (part.empty() || *end != '\0' || v < 0 || v > max) return false;
    values.push_back(v);
  }
  if ((count && values.size() != count) || values.empty()) return false;
  *out = values;
  return true;
}

using DeviceOption = bool (*)(SimDeviceConfig&, const std::string&);
using FaultOption = bool (*)(SimFault&, const std::string&);

struct DeviceKey {
  const char* key;
  DeviceOption apply;
};

constexpr DeviceKey kDeviceKeys[] = {
    {"type",
     [](SimDeviceConfig& c, const std::string& v) {
       if (v == "tape") return c.type = SimDeviceType::kTape, true;
       if (v == "changer") return c.type = SimDeviceType::kChanger, true;
       if (v == "disk") return c.type = SimDeviceType::kDisk, true;
       return false;
     }},
    {"hctl",
     [](SimDeviceConfig& c, const std::string& v) {
       std::vector<long> n;
       if (!Numbers(v, ':', 4, 10, 255, &n)) return false;
       c.host = int(n[0]), c.channel = int(n[1]), c.target = int(n[2]), c.lun = int(n[3]);
       return true;
     }},
    {"vendor", [](SimDeviceConfig& c, const std::string& v) { return c.vendor = v, v.size() <= 8; }},
    {"product", [](SimDeviceConfig& c, const std::string& v) { return c.product = v, v.size() <= 16; }},
    {"rev", [](SimDeviceConfig& c, const std::string& v) { return c.revision = v, v.size() <= 4; }},
    {"serial", [](SimDeviceConfig& c, const std::string& v) { return c.serial = v, v.size() <= 32; }},
    {"sas", [](SimDeviceConfig& c, const std::string& v) { return Flag(v, &c.sas); }},
    {"medium", [](SimDeviceConfig& c, const std::string& v) { return Flag(v, &c.medium_loaded); }},
    {"nibble",
     [](SimDeviceConfig& c, const std::string& v) {
       long n;
       return Number(v, 0, 15, &n) && (c.family_nibble = uint8_t(n), true);
     }},
    {"personality",
     [](SimDeviceConfig& c, const std::string& v) { return v.size() == 1 && (c.personality = v[0], true); }},
    {"slots",
     [](SimDeviceConfig& c, const std::string& v) {
       long n;
       return Number(v, 1, 120, &n) && (c.slots = int(n), true);
     }},
    {"newrev", [](SimDeviceConfig& c, const std::string& v) { return c.next_revision = v, v.size() <= 4; }},
    {"reappear", [](SimDeviceConfig& c, const std::string& v) { return c.reappear_node = v, true; }},
    {"reset",
     [](SimDeviceConfig& c, const std::string& v) {
       long n;
       return Number(v, 0, 86400, &n) && (c.reset_seconds = n, true);
     }},
    {"droplast", [](SimDeviceConfig& c, const std::string& v) { return Flag(v, &c.reset_drops_last_status); }},
    {"standard", [](SimDeviceConfig& c, const std::string& v) { return Flag(v, &c.standard_only); }},
    {"mam", [](SimDeviceConfig& c, const std::string& v) { return Flag(v, &c.mam); }},
    {"nolog",
     [](SimDeviceConfig& c, const std::string& v) {
       std::vector<long> pages;
       if (!Numbers(v, ',', 0, 0, 0x3F, &pages) || std::find(pages.begin(), pages.end(), 0) != pages.end())
         return false;
       c.missing_log_pages.assign(pages.begin(), pages.end());
       return true;
     }},
};

struct IoctlName {
  const char* name;
  unsigned long request;
};

constexpr IoctlName kIoctlNames[] = {
    {"sgio", 0},
    {"reserved", SG_GET_RESERVED_SIZE},
    {"setreserved", SG_SET_RESERVED_SIZE},
    {"idlun", SCSI_IOCTL_GET_IDLUN},
    {"bus", SCSI_IOCTL_GET_BUS_NUMBER},
    {"open", kSimOpenRequest},
};

struct FaultKey {
  const char* key;
  FaultOption apply;
};

constexpr FaultKey kFaultKeys[] = {
    {"op",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 0, 255, &n) && (f.opcode = int(n), true);
     }},
    {"count",
     [](SimFault& f, const std::string& v) {
       if (v == "always") return f.count = -1, true;
       long n;
       return Number(v, 1, 1000000, &n) && (f.count = int(n), true);
     }},
    {"check",
     [](SimFault& f, const std::string& v) {
       std::vector<long> n;
       if (!Numbers(v, '/', 3, 16, 255, &n) || n[0] > 15) return false;
       f.check = true, f.key = uint8_t(n[0]), f.asc = uint8_t(n[1]), f.ascq = uint8_t(n[2]);
       return true;
     }},
    {"nosense", [](SimFault& f, const std::string& v) { return v.empty() && (f.withhold_sense = true); }},
    {"descriptor", [](SimFault& f, const std::string& v) { return v.empty() && (f.descriptor_sense = true); }},
    {"garbage", [](SimFault& f, const std::string& v) { return v.empty() && (f.garbage = true); }},
    {"drop", [](SimFault& f, const std::string& v) { return v.empty() && (f.drop = true); }},
    {"senselen",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 0, 252, &n) && (f.sense_length = int(n), true);
     }},
    {"delay",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 0, 86400, &n) && (f.delay_seconds = n, true);
     }},
    {"host",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 1, 0xFF, &n) && (f.host_status = int(n), true);
     }},
    {"driver",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 1, 0xFF, &n) && (f.driver_status = int(n), true);
     }},
    {"errno",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 1, 4095, &n) && (f.ioctl_errno = int(n), true);
     }},
    {"data",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 0, 1 << 24, &n) && (f.data_length = int(n), true);
     }},
    // Script diagnostics: skip=N, vs=HHHHHHHH (hexadecimal event code), corrupt=N.
    {"skip",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 0, 1 << 24, &n) && (f.skip = int(n), true);
     }},
    {"vs",
     [](SimFault& f, const std::string& v) {
       std::vector<long> n;
       return Numbers(v, '/', 1, 16, 0xFFFFFFFFL, &n) && (f.vendor_code = uint32_t(n[0]), f.vendor_code_set = true);
     }},
    {"corrupt",
     [](SimFault& f, const std::string& v) {
       long n;
       return Number(v, 0, 1 << 24, &n) && (f.corrupt_offset = int(n), true);
     }},
    {"ioctl",
     [](SimFault& f, const std::string& v) {
       for (const IoctlName& i : kIoctlNames) {
         if (v == i.name) return f.request = i.request, true;
       }
       return false;
     }},
};

// Splits a line into words; double quotes keep blanks inside a word.
bool Words(const std::string& line, std::vector<std::string>* words) {
  std::string word;
  bool quoted = false, have = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      have = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (have) words->push_back(word);
      word.clear();
      have = false;
    } else {
      word.push_back(c);
      have = true;
    }
  }
  if (have) words->push_back(word);
  return !quoted;
}

template <typename Target, typename Key, size_t N>
bool ApplyOptions(Target& target, const Key (&keys)[N], const std::vector<std::string>& words, std::string* why,
                  size_t first = 2) {
  for (size_t i = first; i < words.size(); ++i) {
    const std::string& w = words[i];
    const size_t eq = w.find('=');
    const std::string key = w.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : w.substr(eq + 1);
    const Key* found = nullptr;
    for (const Key& k : keys) {
      if (key == k.key) found = &k;
    }
    if (!found) return *why = "unknown option '" + key + "'", false;
    if (!found->apply(target, value)) return *why = "bad value for " + key + ": '" + value + "'", false;
  }
  return true;
}

// ---- media, slots, event packets and log pages of a training bench ----

// The cartridge a "medium" line loads: generation, tab, type and contents
// (files of equal blocks, each file closed by a filemark).
struct MediumSpec {
  long generation = 0, type = 0, files = 0, blocks = 0, size = 512, capacity_mib = 0;
  bool protect = false;
  SimDevice::Cleaner cleaner = SimDevice::Cleaner::kNone;
};

using MediumOption = bool (*)(MediumSpec&, const std::string&);
struct MediumKey {
  const char* key;
  MediumOption apply;
};

constexpr MediumKey kMediumKeys[] = {
    {"gen", [](MediumSpec& m, const std::string& v) { return Number(v, 0, 16, &m.generation); }},
    {"wp", [](MediumSpec& m, const std::string& v) { return Flag(v, &m.protect); }},
    {"type", [](MediumSpec& m, const std::string& v) { return Number(v, 0, 255, &m.type); }},
    {"files", [](MediumSpec& m, const std::string& v) { return Number(v, 0, 1000, &m.files); }},
    {"blocks", [](MediumSpec& m, const std::string& v) { return Number(v, 0, 100000, &m.blocks); }},
    {"size", [](MediumSpec& m, const std::string& v) { return Number(v, 1, 0x800000, &m.size); }},
    {"capacity", [](MediumSpec& m, const std::string& v) { return Number(v, 1, 1 << 24, &m.capacity_mib); }},
    {"cleaner",
     [](MediumSpec& m, const std::string& v) {
       if (v == "expired") return m.cleaner = SimDevice::Cleaner::kExpired, true;
       bool good = false;
       if (!Flag(v, &good)) return false;
       m.cleaner = good ? SimDevice::Cleaner::kGood : SimDevice::Cleaner::kNone;
       return true;
     }},
};

bool LoadMedium(SimDevice& d, const MediumSpec& m, std::string* why) {
  if (!d.IsTape()) return *why = "medium needs a tape drive", false;
  d.cartridge_generation = static_cast<int>(m.generation);
  d.write_protect = m.protect;
  d.medium_type = static_cast<uint8_t>(m.type);
  d.cleaner = m.cleaner;
  d.config.medium_loaded = false;
  LoadCartridge(d);
  NewCartridgeMemory(d);  // a cartridge of its own, not the one before
  if (m.capacity_mib) d.capacity = static_cast<uint64_t>(m.capacity_mib) << 20;
  d.tape.clear();
  d.tape_bytes = 0;
  for (long f = 0; f < m.files; ++f) {
    std::vector<uint8_t> bytes(static_cast<size_t>(m.size));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + f);
    auto shared = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    for (long b = 0; b < m.blocks; ++b) {
      d.tape.push_back(TapeEntry{false, shared});
      d.tape_bytes += shared->size();
    }
    d.tape.push_back(TapeEntry{true, nullptr});
  }
  d.position = 0;
  return true;
}

bool FillSlots(SimDevice& c, const std::vector<std::string>& words, std::string* why) {
  if (!c.IsChanger()) return *why = "slots needs a changer", false;
  for (size_t i = 2; i < words.size(); ++i) {
    const std::string& w = words[i];
    const size_t eq = w.find('=');
    const std::string key = w.substr(0, eq), value = eq == std::string::npos ? "" : w.substr(eq + 1);
    if (key == "mail") {
      if (!Flag(value, &c.mail_full)) return *why = "bad value for mail: '" + value + "'", false;
    } else if (key == "full") {
      std::vector<long> slots;
      if (value != "none" && !Numbers(value, ',', 0, 10, static_cast<long>(c.slot_full.size()), &slots))
        return *why = "bad slot list: '" + value + "'", false;
      std::fill(c.slot_full.begin(), c.slot_full.end(), false);
      std::fill(c.slot_source.begin(), c.slot_source.end(), -1);  // put there by hand
      for (long n : slots) {
        if (n < 1) return *why = "slots count from 1: '" + value + "'", false;
        c.slot_full[static_cast<size_t>(n - 1)] = true;
      }
    } else {
      return *why = "unknown option '" + key + "'", false;
    }
  }
  return true;
}

bool Hex(const std::string& text, std::vector<uint8_t>* out) {
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = text.substr(i, 2);
    const long v = std::strtol(pair.c_str(), &end, 16);
    if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(pair[0]))) return false;
    out->push_back(static_cast<uint8_t>(v));
  }
  return true;
}

// ---- health figures: device statistics, error counters, temperature, cartridge memory ----

// A counter of a bench line, 0 to 2^32-1.
bool Count(const std::string& text, uint64_t* out) {
  long n;
  return Number(text, 0, 0xFFFFFFFFL, &n) && (*out = static_cast<uint64_t>(n), true);
}

// One key=value option of a statement and what it does to its target.
template <typename Target>
struct OptionKey {
  const char* key;
  bool (*apply)(Target&, const std::string&);
};

constexpr OptionKey<SimDevice> kStatisticsKeys[] = {
    {"loads", [](SimDevice& d, const std::string& v) { return Count(v, &d.lifetime.loads); }},
    {"cleanings", [](SimDevice& d, const std::string& v) { return Count(v, &d.lifetime.cleanings); }},
    {"hours",
     [](SimDevice& d, const std::string& v) {
       long n;
       return Number(v, 0, 1000000, &n) && (d.power_on_base = static_cast<uint32_t>(n), true);
     }},
    {"motion",
     [](SimDevice& d, const std::string& v) {
       uint64_t n;
       return Count(v, &n) && (d.lifetime.motion_hours = n, true);
     }},
    {"meters", [](SimDevice& d, const std::string& v) { return Count(v, &d.lifetime.meters); }},
    {"prevented", [](SimDevice& d, const std::string& v) { return Count(v, &d.lifetime.removal_prevented); }},
    {"overheated", [](SimDevice& d, const std::string& v) { return Count(v, &d.lifetime.over_temperature); }},
};

constexpr OptionKey<SimErrorCounts> kErrorsKeys[] = {
    {"corrected", [](SimErrorCounts& e, const std::string& v) { return Count(v, &e.corrected); }},
    {"uncorrected", [](SimErrorCounts& e, const std::string& v) { return Count(v, &e.uncorrected); }},
};

constexpr OptionKey<SimDevice> kTemperatureKeys[] = {
    {"current",
     [](SimDevice& d, const std::string& v) {
       long n;
       return Number(v, 0, 254, &n) && (d.temperature = int(n), true);
     }},
    {"reference",
     [](SimDevice& d, const std::string& v) {
       long n;
       return Number(v, 0, 254, &n) && (d.reference_temperature = int(n), true);
     }},
};

// An ASCII attribute: printable characters, at most `length`.
bool Printable(const std::string& text, size_t length) {
  return text.size() <= length && std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool Attribute(SimDevice& d, uint16_t id, size_t length, const std::string& text) {
  if (!Printable(text, length)) return false;
  StoreAttribute(d, id, text);
  return true;
}

// The drives that loaded the cartridge last, most recent first:
// VENDOR:SERIAL,... (at most four).
bool LastDrives(SimDevice& d, const std::string& text) {
  std::vector<std::string> drives;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) drives.push_back(part);
  if (drives.empty() || drives.size() > 4) return false;
  for (size_t i = 0; i < drives.size(); ++i) {
    const size_t colon = drives[i].find(':');
    if (colon == std::string::npos || colon > 8) return false;
    std::string vendor = drives[i].substr(0, colon);
    vendor.resize(8, ' ');
    if (!Attribute(d, static_cast<uint16_t>(0x020A + i), 40, vendor + drives[i].substr(colon + 1))) return false;
  }
  for (size_t i = drives.size(); i < 4; ++i) d.mam.stored.erase(static_cast<uint16_t>(0x020A + i));
  return true;
}

// TapeAlert flags a cartridge carries from its loads: N,N,... (1 to 64).
bool CartridgeAlerts(SimDevice& d, const std::string& text) {
  uint64_t flags = 0;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');) {
    long flag;
    if (!Number(part, 1, 64, &flag)) return false;
    flags |= uint64_t{1} << (64 - flag);
  }
  d.mam.alert_flags = flags;
  return true;
}

constexpr OptionKey<SimDevice> kMamKeys[] = {
    {"manufacturer", [](SimDevice& d, const std::string& v) { return Attribute(d, 0x0400, 8, v); }},
    {"serial", [](SimDevice& d, const std::string& v) { return Attribute(d, 0x0401, 32, v); }},
    {"date",
     [](SimDevice& d, const std::string& v) {
       const bool digits =
           v.size() == 8 && std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
       return digits && Attribute(d, 0x0406, 8, v);
     }},
    {"loads", [](SimDevice& d, const std::string& v) { return Count(v, &d.mam.loads); }},
    {"written", [](SimDevice& d, const std::string& v) { return Count(v, &d.mam.written_mib); }},
    {"read", [](SimDevice& d, const std::string& v) { return Count(v, &d.mam.read_mib); }},
    {"drives", LastDrives},
    {"alerts", CartridgeAlerts},
    {"barcode", [](SimDevice& d, const std::string& v) { return Attribute(d, 0x0806, 32, v); }},
    {"label", [](SimDevice& d, const std::string& v) { return Attribute(d, 0x0803, 160, v); }},
    {"size",
     [](SimDevice& d, const std::string& v) {
       long n;
       return Number(v, 1024, 1 << 20, &n) && (d.mam.capacity = static_cast<uint64_t>(n), true);
     }},
};

// errors NODE write|read [corrected=N] [uncorrected=N]
bool ErrorsLine(SimDevice& d, const std::vector<std::string>& w, std::string* why) {
  if (!d.IsTape()) return *why = "errors needs a tape drive", false;
  if (w.size() < 3 || (w[2] != "write" && w[2] != "read"))
    return *why = "bad errors line: say write or read after the node", false;
  SimErrorCounts& counts = w[2] == "write" ? d.write_errors : d.read_errors;
  return ApplyOptions(counts, kErrorsKeys, w, why, 3);
}

// ---- end of health figures ----

// The statements that describe what a device holds rather than what it is.
bool DeviceContents(SimSystem& sim, const std::vector<std::string>& w, std::string* why) {
  SimDevice* d = w.size() >= 2 ? sim.Device(w[1]) : nullptr;
  if (d == nullptr) return *why = w[0] + ": no device on '" + (w.size() >= 2 ? w[1] : "") + "'", false;
  if (w[0] == "medium") {
    MediumSpec m;
    return ApplyOptions(m, kMediumKeys, w, why) && LoadMedium(*d, m, why);
  }
  if (w[0] == "slots") return FillSlots(*d, w, why);
  if (w[0] == "errors") return ErrorsLine(*d, w, why);
  if (!d->IsTape() && (w[0] == "statistics" || w[0] == "mam")) return *why = w[0] + " needs a tape drive", false;
  if (w[0] == "statistics") return ApplyOptions(*d, kStatisticsKeys, w, why);
  if (w[0] == "temperature") return ApplyOptions(*d, kTemperatureKeys, w, why);
  if (w[0] == "mam") return ApplyOptions(*d, kMamKeys, w, why);
  if (w[0] == "event" && w.size() == 3) {
    d->events.push_back(w[2]);
    return true;
  }
  if (w[0] == "events" && w.size() == 3 && w[2] == "clear") {
    d->events.clear();
    return true;
  }
  if (w[0] == "cleaning" && w.size() == 3) {
    struct Need {
      const char* word;
      SimDevice::Cleaning cleaning;
    };
    static constexpr Need kNeeds[] = {{"now", SimDevice::Cleaning::kNow},
                                      {"periodic", SimDevice::Cleaning::kPeriodic},
                                      {"none", SimDevice::Cleaning::kNone}};
    for (const Need& n : kNeeds) {
      if (w[2] == n.word && d->IsTape()) return d->cleaning = n.cleaning, true;
    }
    return *why = "bad cleaning line: '" + w[2] + "' (now, periodic or none, on a tape drive)", false;
  }
  if (w[0] == "logpage" && w.size() == 4) {
    long page = 0;
    std::vector<uint8_t> bytes;
    if (!Number(w[2], 0, 0x3F, &page)) return *why = "bad log page: '" + w[2] + "'", false;
    if (!Hex(w[3], &bytes)) return *why = "bad parameter bytes: '" + w[3] + "'", false;
    d->log_overrides[static_cast<int>(page)] = bytes;
    return true;
  }
  return *why = "bad " + w[0] + " line", false;
}

bool IsContentsStatement(const std::string& word) {
  return word == "medium" || word == "slots" || word == "event" || word == "events" || word == "logpage" ||
         word == "cleaning" || word == "statistics" || word == "errors" || word == "temperature" || word == "mam";
}

// tapealert NODE [FLAGS] [clear=read|never]: the flags the bench sets, and
// whether reading page 2Eh clears them.
void TapeAlertLine(SimSystem& sim, const std::vector<std::string>& w, std::string* why) {
  std::optional<std::vector<long>> flags;
  std::optional<bool> clearOnRead;
  for (size_t i = 2; i < w.size(); ++i) {
    if (w[i] == "clear=read" || w[i] == "clear=never") {
      clearOnRead = w[i] == "clear=read";
      continue;
    }
    std::vector<long> given;
    if (flags || !Numbers(w[i], ',', 0, 10, 64, &given) || std::find(given.begin(), given.end(), 0) != given.end())
      return void(*why = "bad TapeAlert flags: '" + w[i] + "'");
    flags = given;
  }
  SimDevice* d = sim.Device(w[1]);
  if (d == nullptr) return void(*why = "tapealert: no device on '" + w[1] + "'");
  if (flags) d->tape_alerts.assign(flags->begin(), flags->end());
  if (clearOnRead) d->alerts_clear_on_read = *clearOnRead;
}

// ---- end of media, slots, event packets and log pages ----

// Devices described without a serial number still need distinct ones, or
// finding a drive again by its serial would find the wrong one.
std::string DefaultSerial(const std::string& node) {
  std::string digits;
  for (char c : node) {
    if (c >= '0' && c <= '9') digits.push_back(c);
  }
  return "HU" + std::string(digits.size() < 8 ? 8 - digits.size() : 0, '0') + digits;
}

}  // namespace

void SimSystem::AddDefaultBench() {
  for (const SimDeviceConfig& c : kDefaultBench) AddDevice(c);
}

bool SimSystem::ParseBench(const std::string& text, std::string* error) {
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    // '#' starts a comment, except inside double quotes (event packets hold one).
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '"') quoted = !quoted;
      if (line[i] == '#' && !quoted) {
        line.erase(i);
        break;
      }
    }
    std::vector<std::string> w;
    std::string why;
    if (!Words(line, &w)) {
      why = "unbalanced quotes";
    } else if (w.empty()) {
      continue;
    } else if (w[0] == "bench" && w.size() == 2 && w[1] == "default") {
      AddDefaultBench();
    } else if (w[0] == "device" && w.size() >= 2) {
      SimDeviceConfig c;
      c.node = w[1];
      c.serial = DefaultSerial(w[1]);
      if (ApplyOptions(c, kDeviceKeys, w, &why)) AddDevice(c, &why);
    } else if (w[0] == "fault" && w.size() >= 2) {
      SimFault f;
      if (ApplyOptions(f, kFaultKeys, w, &why)) InjectFault(w[1], f);
    } else if (IsContentsStatement(w[0])) {
      DeviceContents(*this, w, &why);
    } else if (w[0] == "absent" && w.size() == 2) {
      RemoveDevice(w[1]);
    } else if (w[0] == "unreadable" && w.size() == 2) {
      SetUnreadable(w[1], true);
    } else if (w[0] == "tapealert" && (w.size() == 3 || w.size() == 4)) {
      TapeAlertLine(*this, w, &why);
    } else if (w[0] == "eventlog" && w.size() == 3) {
      if (SimDevice* d = Device(w[1]); d == nullptr) {
        why = "no device " + w[1];
      } else {
        SetEventLog(*d, w[2], &why);
      }
    } else if (w[0] == "clock" && w.size() == 2 && (w[1] == "real" || w[1] == "virtual")) {
      UseRealClock(w[1] == "real");
    } else if (w[0] == "user" && w.size() == 2) {
      long uid;
      if (!Number(w[1], 0, 65535, &uid)) {
        why = "bad user id: '" + w[1] + "'";
      } else {
        SetUser(static_cast<uid_t>(uid));
      }
    } else {
      why = "unknown statement '" + w[0] + "'";
    }
    if (!why.empty()) {
      if (error) *error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
  }
  return true;
}

std::unique_ptr<SimSystem> MakeSimSystem(const std::string& setting, std::string* error) {
  auto sim = std::make_unique<SimSystem>();
  if (setting == "1") {
    sim->AddDefaultBench();
    return sim;
  }
  std::ifstream file(setting);
  if (!file) {
    if (error) *error = "VEXIL_SIM: cannot read bench file '" + setting + "': " + std::strerror(errno);
    return nullptr;
  }
  std::stringstream text;
  text << file.rdbuf();
  std::string why;
  if (!sim->ParseBench(text.str(), &why)) {
    if (error) *error = "VEXIL_SIM: bench file '" + setting + "' " + why;
    return nullptr;
  }
  return sim;
}
