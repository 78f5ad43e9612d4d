// Sends single commands through the device layer's own command path on a
// real sg node and prints what the layer made of each: the result code, the
// decoded sense, the timed-out flag, the transport statuses and the texts.
// The kernel suite runs it inside the VM while scsi_debug injects faults.
//
// Usage: vm_fault_probe [-d NODE] STEP...
//   timeout=N         device timeout in seconds for the commands that follow
//   set:PATH=VALUE    write VALUE into PATH (a scsi_debug option in sysfs);
//                     lets the faults start after the scan, which they would stall
//   in<N>:HEX         command with N bytes of data in, e.g. in512:28000000123400000100
//   out<N>:HEX        command with N zero bytes of data out
//   none:HEX          command without data, e.g. none:000000000000
// One line per command:
//   PROBE #<step number> <step> result=R key=KK asc=AA ascq=QQ timedout=T host=HH driver=DD
//         status=SS ms=M | sense=<sense message> | deverror=<...> | errors=<...>
// (on one line; line ends inside the texts become " / ").
// Exit status: 0 when every step could be carried out, 1 otherwise, 2 on usage.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/scsi_int.h"

namespace {

std::string OneLine(const char* text) {
  std::string out;
  for (const char* p = text == nullptr ? "" : text; *p != '\0'; ++p) {
    if (*p == '\n') {
      if (p[1] != '\0') out += " / ";
    } else {
      out += *p;
    }
  }
  return out;
}

bool ParseHex(const char* text, std::vector<uint8_t>& bytes) {
  std::string digits;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ' ' || *p == '.' || *p == '-') continue;
    if (std::strchr("0123456789abcdefABCDEF", *p) == nullptr) return false;
    digits += *p;
  }
  if (digits.empty() || digits.size() % 2 != 0 || digits.size() > 32) return false;
  for (size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
  return true;
}

bool WriteOption(const std::string& spec) {
  const size_t eq = spec.rfind('=');
  if (eq == std::string::npos || eq == 0) return false;
  FILE* f = std::fopen(spec.substr(0, eq).c_str(), "w");
  if (f == nullptr) return false;
  const bool written = std::fputs(spec.substr(eq + 1).c_str(), f) >= 0;
  return std::fclose(f) == 0 && written;
}

// Direction (0 out, 1 in, 2 none), data length and CDB of "in512:28..."-style steps.
bool ParseCommand(const char* step, int& direction, long& length, std::vector<uint8_t>& cdb) {
  const char* colon = std::strchr(step, ':');
  if (colon == nullptr) return false;
  const std::string head(step, colon);
  std::string count;
  if (head == "none") {
    direction = 2;
  } else if (head.rfind("in", 0) == 0) {
    direction = 1;
    count = head.substr(2);
  } else if (head.rfind("out", 0) == 0) {
    direction = 0;
    count = head.substr(3);
  } else {
    return false;
  }
  length = 0;
  if (direction != 2) {
    if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos) return false;
    length = std::strtol(count.c_str(), nullptr, 10);
  }
  return ParseHex(colon + 1, cdb);
}

void Send(int index, const char* step, int direction, long length, const std::vector<uint8_t>& cdb) {
  std::vector<uint8_t> data(static_cast<size_t>(length > 0 ? length : 1), 0);
  const auto start = std::chrono::steady_clock::now();
  const long result =
      SCSI.SendCdb(direction, cdb.data(), static_cast<int>(cdb.size()), "FaultProbe()", data.data(), length);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  char sense[256] = "";
  if (result == -2) ScsiInt::FormatSenseMessage(sense, sizeof sense, SCSI.GetSenseBuffer());
  std::printf(
      "PROBE #%d %s result=%ld key=%02lX asc=%02lX ascq=%02lX timedout=%d host=%02lX driver=%02lX status=%02lX "
      "ms=%lld | sense=%s | deverror=%s | errors=%s\n",
      index, step, result, SCSI.GetSenseKey(), SCSI.GetAsc(), SCSI.GetAscQ(), SCSI.TimedOut() ? 1 : 0,
      SCSI.GetHAStatus(), SCSI.GetDriverStatus(), SCSI.GetStatus(), static_cast<long long>(ms), sense,
      OneLine(SCSI.GetDevErrorBuffer()).c_str(), OneLine(SCSI.GetErrorBuffer()).c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const char* node = "/dev/sg0";
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "-d") == 0) {
    node = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: %s [-d NODE] timeout=N | set:PATH=VALUE | in<N>:HEX | out<N>:HEX | none:HEX ...\n",
                 argv[0]);
    return 2;
  }
  const long found = SCSI.ScanDevices(1, 1, 1, 1, node);
  if (found < 1 || SCSI.GetDeviceCount() < 1) {
    std::printf("PROBE scan found no device at %s (%ld)\n", node, found);
    return 1;
  }
  SCSI.SetDeviceIndex(0);
  std::printf("PROBE selected %s timeout=%ld\n", SCSI.GetFilename(), SCSI.GetTimeout());

  int status = 0;
  for (int i = first; i < argc; ++i) {
    const char* step = argv[i];
    int direction = 2;
    long length = 0;
    std::vector<uint8_t> cdb;
    if (std::strncmp(step, "timeout=", 8) == 0) {
      SCSI.SetTimeout(std::strtol(step + 8, nullptr, 10));
    } else if (std::strncmp(step, "set:", 4) == 0) {
      if (!WriteOption(step + 4)) {
        std::printf("PROBE %s could not be written\n", step);
        status = 1;
      }
    } else if (ParseCommand(step, direction, length, cdb)) {
      Send(i - first + 1, step, direction, length, cdb);
    } else {
      std::printf("PROBE %s is not a step\n", step);
      status = 1;
    }
  }
  return status;
}
