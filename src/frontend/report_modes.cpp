#include "frontend/report_modes.h"

#include <cstdio>
#include <string>
#include <vector>

#include "facade/health_read.h"
#include "facade/scsi_wrapper.h"
#include "frontend/check_output.h"
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/exit_statuses.h"
#include "frontend/health_output.h"
#include "frontend/json_output.h"
#include "frontend/metrics_output.h"
#include "frontend/not_found_report.h"
#include "frontend/tape_node.h"

namespace {

constexpr int kUnknownStatus = 3;  // no device could be read

// Scans every node (or the one named); false, with the report of why, when
// none is usable.
bool Scan(ConsoleState& console, const char* device) {
  console.facade->SetListChangers(true);
  console.device_count = console.facade->InitScsiDll(device);
  if (console.device_count > 0) return true;
  PrintNotFoundReport(console, device);
  return false;
}

void AddTapeNames(DeviceHealth& d) {
  const TapeNames names = TapeNamesOfSgNode(d.node);
  d.st = names.st;
  d.nst = names.nst;
  d.by_id = names.by_id;
}

int HealthReport(ConsoleState& console, const CommandLine& line, const char* device) {
  HealthRun run;
  if (Scan(console, device)) run = ReadHealth(*console.facade);
  for (DeviceHealth& d : run.devices) AddTapeNames(d);
  int status = run.ExitStatus();
  if (line.has_metrics) {
    std::string error;
    if (!WriteHealthMetrics(line.metrics_file, run, error)) {
      std::fprintf(ErrorStream(), "Vexil: %s\n", error.c_str());
      status = kUnknownStatus;  // the watcher reads nothing new
    }
  }
  if (line.check) {
    std::fputs(CheckLine(run).c_str(), stdout);
  } else if (line.json) {
    std::fputs(HealthJson(run).c_str(), stdout);
  } else if (line.health) {
    std::fputs(HealthText(run).c_str(), stdout);
  }
  return status;
}

// The cartridge memory of each tape drive (or of the one named).
int CartridgeReport(ConsoleState& console, const char* device) {
  if (!Scan(console, device)) return kNoDeviceStatus;
  ScsiWrapper& facade = *console.facade;
  int shown = 0;
  for (int32_t position = 0; position < console.device_count; ++position) {
    DeviceHealth d = IdentifyDevice(facade, position);
    if (d.changer) continue;
    const CartridgeRead read = ReadCartridgeMemory(facade, position);
    d.cartridge = read.memory;
    d.cartridge_loaded = read.loaded;
    std::fputs(CartridgeMemoryText(d).c_str(), stdout);
    if (read.loaded && !read.memory) std::printf("  Why                  %s\n", read.why.c_str());
    shown += d.cartridge ? 1 : 0;
  }
  return shown > 0 ? 0 : kUnknownStatus;
}

// The drives found, as lsscsi -g lists them.
int ListReport(ConsoleState& console, const CommandLine& line, const char* device) {
  std::vector<ListedDevice> devices;
  if (Scan(console, device)) {
    for (int32_t position = 0; position < console.device_count; ++position) {
      DeviceHealth identity = IdentifyDevice(*console.facade, position);
      AddTapeNames(identity);
      ListedDevice d;
      d.node = identity.node;
      d.hctl = identity.hctl;
      d.type = identity.type;
      d.vendor = identity.vendor;
      d.product = identity.product;
      d.revision = identity.revision;
      d.serial = identity.serial;
      d.st = identity.st;
      d.nst = identity.nst;
      devices.push_back(d);
    }
  }
  if (line.json) {
    std::fputs(ListJson(devices).c_str(), stdout);
  } else {
    for (const ListedDevice& d : devices) {
      std::printf("[%s]\t%-8s %-8s %-16s %-4s  %-10s %s\n", d.hctl.c_str(), d.type.c_str(), d.vendor.c_str(),
                  d.product.c_str(), d.revision.c_str(), d.st.empty() ? "-" : d.st.c_str(), d.node.c_str());
    }
  }
  return devices.empty() ? kNoDeviceStatus : 0;
}

}  // namespace

int RunReport(ConsoleState& console, const CommandLine& line, const char* device) {
  if (line.mam) return CartridgeReport(console, device);
  if (line.list) return ListReport(console, line, device);
  return HealthReport(console, line, device);
}
