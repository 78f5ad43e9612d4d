#include "frontend/report_modes.h"

#include <cstdio>
#include <string>
#include <vector>

#include "facade/health_read.h"
#include "facade/scsi_wrapper.h"
#include "frontend/check_output.h"
#include "frontend/console_streams.h"
#include "frontend/exit_statuses.h"
#include "frontend/globals.h"
#include "frontend/health_output.h"
#include "frontend/json_output.h"
#include "frontend/metrics_output.h"
#include "frontend/not_found_report.h"
#include "frontend/tape_node.h"

namespace {

constexpr int kUnknownStatus = 3;  // no device could be read

// Scans every node (or the one named); false, with the report of why, when
// none is usable.
bool Scan(const char* device) {
  g_pScsiWrapper->SetListChangers(true);
  devCount = g_pScsiWrapper->InitScsiDll(device);
  if (devCount > 0) return true;
  PrintNotFoundReport(device);
  return false;
}

void AddTapeNames(DeviceHealth& d) {
  const TapeNames names = TapeNamesOfSgNode(d.node);
  d.st = names.st;
  d.nst = names.nst;
  d.by_id = names.by_id;
}

int HealthReport(const CommandLine& line, const char* device) {
  HealthRun run;
  if (Scan(device)) run = ReadHealth(*g_pScsiWrapper);
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
int CartridgeReport(const char* device) {
  if (!Scan(device)) return kNoDeviceStatus;
  int shown = 0;
  for (int32_t position = 0; position < devCount; ++position) {
    DeviceHealth d = IdentifyDevice(*g_pScsiWrapper, position);
    if (d.changer) continue;
    const CartridgeRead read = ReadCartridgeMemory(*g_pScsiWrapper, position);
    d.cartridge = read.memory;
    d.cartridge_loaded = read.loaded;
    std::fputs(CartridgeMemoryText(d).c_str(), stdout);
    if (read.loaded && !read.memory) std::printf("  Why                  %s\n", read.why.c_str());
    shown += d.cartridge ? 1 : 0;
  }
  return shown > 0 ? 0 : kUnknownStatus;
}

// The drives found, as lsscsi -g lists them.
int ListReport(const CommandLine& line, const char* device) {
  std::vector<ListedDevice> devices;
  if (Scan(device)) {
    for (int32_t position = 0; position < devCount; ++position) {
      DeviceHealth identity = IdentifyDevice(*g_pScsiWrapper, position);
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

int RunReport(const CommandLine& line, const char* device) {
  if (line.mam) return CartridgeReport(device);
  if (line.list) return ListReport(line, device);
  return HealthReport(line, device);
}
