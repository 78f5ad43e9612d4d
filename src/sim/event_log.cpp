#include "sim/event_log.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "sim/sim_device.h"

namespace {

constexpr size_t kParameterRoom = 255;
constexpr uint16_t kLastCode = 0xFFFF;
constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[512];
  const int n = std::snprintf(text, sizeof text, format, args...);
  return std::string(text, n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof text - 1));
}

// "[<tag> dd-MON-yyyy] hh:mm:ss.s" for a moment some hours into 2026.
std::string Stamp(const char* tag, uint32_t poh) {
  const int day = static_cast<int>(poh / 24 % 28) + 1;
  const int month = static_cast<int>(poh / (24 * 28) % 12);
  return Format("[%s %02d-%s-2026] %02u:%02u:%04.1f", tag, day, kMonths[month], poh % 24, (poh * 7) % 60,
                static_cast<double>(poh % 600) / 10.0);
}

std::string PostPacket(uint32_t n, uint32_t poh, uint32_t pc) {
  return Format("Packet # %u - PO/ST: - Last Fail: 0000 Power-on self test passed POH/PC= %u/%u\r\n", n, poh, pc) +
         "  Heads 0-15 OK  Servo OK  Loader OK\r\n";
}

std::string ScsiPacket(uint32_t n, uint32_t poh, uint32_t pc, uint8_t op, uint8_t sk, uint8_t asc, uint8_t ascq) {
  return Format("Packet # %u - SCSI: POH/PC/MID/SK/ASC/ASCQ/ADDERR= %u/%u/0/%X/%02X/%02X/0\r\n", n, poh, pc, sk, asc,
                ascq) +
         Format("  CDB: %02X 00 00 00 01 00  Initiator 7\r\n", op);
}

std::string EventPacket(uint32_t n, uint32_t poh, uint32_t pc, uint32_t code, const char* tag, const char* what) {
  return Format("Packet # %u - EVENT: %04X %s POH/PC= %u/%u\r\n", n, code, Stamp(tag, poh).c_str(), poh, pc) +
         Format("  %s\r\n", what);
}

// A bug check: its registers and a stack dump make it longer than one log
// parameter.
std::string BugCheckPacket(uint32_t n, uint32_t poh, uint32_t pc, uint32_t code) {
  const std::string stamp = Stamp("SERVO", poh);
  const size_t close = stamp.find(']');
  std::string p = Format("Packet # %u - BUGCHECK: %04X %s\r\n", n, code, stamp.substr(0, close + 1).c_str());
  p += Format("PC=0004F2A0 SR=2700 Cntxt=3 %s POH/PC= %u/%u\r\n", stamp.substr(close + 2).c_str(), poh, pc);
  for (uint32_t row = 0; row < 8; ++row) {
    p += Format("%08X %08X %08X %08X %08X\r\n", 0x00010000u * row + code, 0x0000FF00u | row, 0xDEADBEEFu ^ row,
                row * 0x11111111u, poh);
  }
  p += "  Head 3 ***ServoError: head: Servo12 lost track\r\n";
  return p;
}

std::string CodeUpdatePacket(uint32_t n, uint32_t poh, uint32_t pc) {
  return Format("Packet # %u - CUP: J4Z9 to J5A1 POH/PC= %u/%u\r\n", n, poh, pc) + "  OldRev: J4Z9 NewRev: J5A1\r\n";
}

std::string OvertempPacket(uint32_t n, uint32_t poh, uint32_t pc) {
  return Format("Packet # %u - OVERTEMP: 58 Drive at 58 C POH/PC= %u/%u\r\n", n, poh, pc);
}

std::string SensePacket(uint32_t n, uint32_t poh, uint32_t pc) {
  return Format("Packet # %u - SENSE: 03 11 00 Read retries exhausted\r\n", n) +
         Format("  POH: %u PCyc: %u\r\n  70 00 03 00 00 00 00 18 00 00 00 00 11 00\r\n", poh, pc);
}

// The packet kinds of the sample, in turn; `i` varies the codes.
std::string PacketOfKind(size_t kind, uint32_t n, uint32_t poh, uint32_t pc) {
  switch (kind % 8) {
    case 0:
      return PostPacket(n, poh, pc);
    case 1:
      return ScsiPacket(n, poh, pc, 0x08, 3, 0x11, 0x00);
    case 2:
      return EventPacket(n, poh, pc, 0x4A21, "CLEAN", "Cleaning requested by the drive");
    case 3:
      return BugCheckPacket(n, poh, pc, 0x1A2B);
    case 4:
      return EventPacket(n, poh, pc, 0x0302, "MEDIA", "Cartridge memory read retried");
    case 5:
      return CodeUpdatePacket(n, poh, pc);
    case 6:
      return OvertempPacket(n, poh, pc);
    default:
      return SensePacket(n, poh, pc);
  }
}

void Parameter(std::vector<uint8_t>& params, uint16_t code, std::string_view value) {
  const size_t at = params.size();
  params.resize(at + 4);
  be::Write16(&params[at], code);
  params[at + 2] = 0x01;  // LP: a list parameter
  params[at + 3] = static_cast<uint8_t>(value.size());
  params.insert(params.end(), value.begin(), value.end());
}

}  // namespace

std::vector<std::string> SampleEventLog(uint32_t poh) {
  const uint32_t start = poh > 40 ? poh - 40 : 0;
  std::vector<std::string> log;
  for (size_t kind = 0; kind < 8; ++kind) {
    const uint32_t hours = start + static_cast<uint32_t>(kind) * 5;
    log.push_back(PacketOfKind(kind, static_cast<uint32_t>(kind + 1), hours, 40 + static_cast<uint32_t>(kind / 2)));
  }
  log.push_back(EventPacket(9, start + 38, 44, 0x4A21, "CLEAN", "Cleaning requested by the drive"));
  return log;
}

std::vector<std::string> LargeEventLog(size_t bytes, uint32_t firstPoh) {
  std::vector<std::string> log;
  size_t total = 0;
  for (uint32_t n = 1; total < bytes; ++n) {
    log.push_back(PacketOfKind(n - 1, n, firstPoh + n / 4, 40 + n / 16));
    total += log.back().size();
  }
  return log;
}

std::vector<std::string> SplitEventPackets(const std::string& text) {
  std::vector<std::string> packets;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (packets.empty() || line.find("Packet #") != std::string::npos) packets.emplace_back();
    packets.back() += line + "\r\n";
  }
  return packets;
}

bool SetEventLog(SimDevice& d, const std::string& source, std::string* why) {
  if (source == "sample") {
    d.events = SampleEventLog(d.PowerOnHours());
    return true;
  }
  if (source.rfind("size=", 0) == 0) {
    char* end = nullptr;
    const unsigned long long bytes = std::strtoull(source.c_str() + 5, &end, 10);
    if (end == source.c_str() + 5 || *end != '\0' || bytes > (64ull << 20)) {
      return *why = "bad event log size: '" + source + "'", false;
    }
    d.events = LargeEventLog(static_cast<size_t>(bytes), d.PowerOnHours() > 5000 ? d.PowerOnHours() - 5000 : 0);
    return true;
  }
  std::ifstream file(source, std::ios::binary);
  if (!file) return *why = "cannot read event log '" + source + "'", false;
  std::stringstream text;
  text << file.rdbuf();
  d.events = SplitEventPackets(text.str());
  return true;
}

void AppendFaultPacket(SimDevice& d, uint8_t opcode, uint8_t key, uint8_t asc, uint8_t ascq) {
  if (!d.IsTape() && !d.IsChanger()) return;
  const uint32_t number = static_cast<uint32_t>(d.events.size() + 1);
  d.events.push_back(
      ScsiPacket(number, d.PowerOnHours(), 44u + static_cast<uint32_t>(d.generation), opcode, key, asc, ascq));
}

void EventLogParameters(const SimDevice& d, std::vector<uint8_t>& params) {
  uint32_t code = 1;
  for (const std::string& packet : d.events) {
    std::string_view rest(packet);
    do {
      if (code >= kLastCode) return;
      size_t cut = std::min(rest.size(), kParameterRoom);
      if (cut < rest.size()) {
        const size_t lf = rest.substr(0, cut).rfind('\n');
        if (lf != std::string_view::npos) cut = lf + 1;
      }
      Parameter(params, static_cast<uint16_t>(code++), rest.substr(0, cut));
      rest.remove_prefix(cut);
    } while (!rest.empty());
  }
  // An empty parameter ends the log, so its last packet text is followed
  // by a zero byte like every other.
  Parameter(params, static_cast<uint16_t>(code), {});
}
