// Runs the named tape operations of the device layer on a real sg node and
// prints what each gave: the result, the decoded sense and, for log pages,
// the page as the layer stored and walked it. The kernel suite compares
// these lines with sg3_utils on the same scsi_debug unit.
//
// Usage: vm_tape_probe [-d NODE] STEP...
//   load | unload | tur | alerts | events | mediacheck | mode:PP | log:PP
//   | fupltoc:IMAGE (the half-height Ultrium download routine alone, without
//   the readiness check before it)
// One line per step:
//   TAPE #<n> <step> result=R key=KK asc=AA ascq=QQ size=N | pages=.. | params=.. | message=..
// Exit status: 0 when every step was understood, 1 otherwise, 2 on usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "device/log_decode.h"
#include "device/scsi_int.h"

namespace {

std::string HexBytes(std::span<const uint8_t> bytes) {
  std::string out;
  char b[3];
  for (uint8_t v : bytes) {
    std::snprintf(b, sizeof b, "%02X", v);
    out += b;
  }
  return out;
}

// The page codes listed by page 00h and each parameter as code:value bytes.
void PrintLog(std::string& line) {
  const long size = SCSI.GetLogSize();
  const uint8_t* log = SCSI.GetLogBuffer();
  const std::span<const uint8_t> page(log, log == nullptr || size < 0 ? 0 : static_cast<size_t>(size));
  std::string pages;
  for (size_t i = 4; log != nullptr && page.size() > 4 && (page[0] & 0x3F) == 0 && i < page.size(); ++i) {
    if (!pages.empty()) pages += ',';
    pages += HexBytes(page.subspan(i, 1));
  }
  std::string params;
  for (const logpage::Parameter& p : logpage::Walk(page)) {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", p.code);
    if (!params.empty()) params += ',';
    params += code;
    params += ':';
    params += HexBytes(p.value);
  }
  line += " | pages=";
  line += pages;
  line += " | params=";
  line += params;
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
    std::fprintf(stderr,
                 "usage: %s [-d NODE] load|unload|tur|alerts|events|mediacheck|mode:PP|log:PP|fupltoc:IMAGE ...\n",
                 argv[0]);
    return 2;
  }
  if (SCSI.ScanDevices(1, 1, 1, 1, node) < 1 || SCSI.GetDeviceCount() < 1) {
    std::printf("TAPE scan found no device at %s\n", node);
    return 1;
  }
  SCSI.SetDeviceIndex(0);
  int status = 0;
  for (int i = first; i < argc; ++i) {
    const std::string step = argv[i];
    long result = 0;
    bool log = false;
    if (step == "load") {
      result = SCSI.Load();
    } else if (step == "unload") {
      result = SCSI.Unload(60);
    } else if (step == "tur") {
      result = SCSI.TestUnitReady();
    } else if (step == "alerts") {
      result = SCSI.CollectAlerts();
    } else if (step == "events") {
      result = SCSI.CollectEvents();
    } else if (step == "mediacheck") {
      result = SCSI.MediaCheck();
    } else if (step.rfind("mode:", 0) == 0) {
      result = SCSI.ModeSense(static_cast<int>(std::strtol(step.c_str() + 5, nullptr, 16)), "TapeProbe()");
    } else if (step.rfind("fupltoc:", 0) == 0) {
      const char* image = step.c_str() + 8;
      result = SCSI.FupLTOC(image, SCSI.FupFileSize(image));
    } else if (step.rfind("log:", 0) == 0) {
      result = SCSI.FetchLogPage(static_cast<int>(std::strtol(step.c_str() + 4, nullptr, 16)), 0);
      log = true;
    } else {
      std::printf("TAPE %s is not a step\n", step.c_str());
      status = 1;
      continue;
    }
    char head[160];
    std::snprintf(head, sizeof head, "TAPE #%d %s result=%ld key=%02lX asc=%02lX ascq=%02lX size=%ld", i - first + 1,
                  step.c_str(), result, SCSI.GetSenseKey(), SCSI.GetAsc(), SCSI.GetAscQ(), SCSI.GetLogSize());
    std::string line = head;
    if (log) PrintLog(line);
    line += " | message=";
    line += SCSI.GetMessageBuffer();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  return status;
}
