// Bench descriptions: the default bench and the line format of bench files.
//
//   # comment
//   bench default
//   device /dev/sg0 type=tape hctl=0:0:0:0 vendor=HALCYON product="ULTRIUM-HH6"
//          rev=J5A1 serial=HU1234567A sas=1 medium=1 nibble=0 personality=0
//          slots=8 newrev=J5A2 reappear=/dev/sg5 reset=30 droplast=0
//   absent /dev/sg3
//   unreadable /dev/sg4
//   fault /dev/sg0 op=0x00 check=2/04/01 count=3 nosense descriptor senselen=8
//         delay=70 host=7 driver=6 errno=5 ioctl=sgio|reserved|setreserved|idlun|bus|open
//         data=0 garbage skip=1 vs=E0700000 corrupt=5
//   tapealert /dev/sg0 3,20
//   clock real
//   user 1000
//
// One statement per line; values with blanks go in double quotes.
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "sim/default_bench.h"
#include "sim/sim.h"

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
bool ApplyOptions(Target& target, const Key (&keys)[N], const std::vector<std::string>& words,
                  std::string* why) {
  for (size_t i = 2; i < words.size(); ++i) {
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
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
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
    } else if (w[0] == "absent" && w.size() == 2) {
      RemoveDevice(w[1]);
    } else if (w[0] == "unreadable" && w.size() == 2) {
      SetUnreadable(w[1], true);
    } else if (w[0] == "tapealert" && w.size() == 3) {
      std::vector<long> flags;
      if (!Numbers(w[2], ',', 0, 10, 64, &flags)) {
        why = "bad TapeAlert flags: '" + w[2] + "'";
      } else {
        SetTapeAlerts(w[1], std::vector<int>(flags.begin(), flags.end()));
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
