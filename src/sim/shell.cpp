#include "sim/shell.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "base/text_util.h"
#include "sim/sim_device.h"

namespace {

constexpr int kSgMajor = 21;

int Status(int exit_code) { return exit_code << 8; }

std::string Field(const std::string& text, size_t width) {
  std::string f = text.substr(0, width);
  for (char& c : f) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  f.resize(width, ' ');
  return f;
}

const char* TypeName(SimDeviceType type) {
  switch (type) {
    case SimDeviceType::kDisk:
      return "Direct-Access    ";
    case SimDeviceType::kTape:
      return "Sequential-Access";
    case SimDeviceType::kChanger:
      return "Medium Changer   ";
  }
  return "Unknown          ";
}

// The kernel's /proc/scsi/scsi.
int ProcScsi(const std::vector<SimNodeView>& nodes) {
  std::vector<const SimDevice*> devices;
  for (const SimNodeView& n : nodes) devices.push_back(n.device);
  std::sort(devices.begin(), devices.end(), [](const SimDevice* a, const SimDevice* b) {
    const SimDeviceConfig &x = a->config, &y = b->config;
    return std::tie(x.host, x.channel, x.target, x.lun) < std::tie(y.host, y.channel, y.target, y.lun);
  });
  std::printf("Attached devices:\n");
  for (const SimDevice* d : devices) {
    const SimDeviceConfig& c = d->config;
    std::printf("Host: scsi%d Channel: %02d Id: %02d Lun: %02d\n", c.host, c.channel, c.target, c.lun);
    std::printf("  Vendor: %s Model: %s Rev: %s\n", Field(c.vendor, 8).c_str(), Field(c.product, 16).c_str(),
                Field(c.revision, 4).c_str());
    std::printf("  Type:   %s                ANSI  SCSI revision: 06\n", TypeName(c.type));
  }
  return Status(0);
}

int NodeNumber(const std::string& node) { return std::atoi(node.c_str() + std::string_view("/dev/sg").size()); }

// ls -l /dev/sg*: names in the shell's order (sg0, sg1, sg10, ..., sg2).
int ListNodes(std::vector<SimNodeView> nodes, std::time_t created) {
  if (nodes.empty()) {
    std::printf("ls: cannot access '/dev/sg*': No such file or directory\n");
    return Status(2);
  }
  std::sort(nodes.begin(), nodes.end(), [](const SimNodeView& a, const SimNodeView& b) { return a.node < b.node; });
  char when[32];
  std::strftime(when, sizeof when, "%b %e %H:%M", std::localtime(&created));
  for (const SimNodeView& n : nodes) {
    const bool disk = n.device->config.type == SimDeviceType::kDisk;
    std::printf("%s 1 root %s %d, %d %s %s\n", n.unreadable ? "c---------" : "crw-rw----", disk ? "disk" : "tape",
                kSgMajor, NodeNumber(n.node), when, n.node.c_str());
  }
  return Status(0);
}

}  // namespace

int SimShell(const std::string& command, const std::vector<SimNodeView>& nodes, std::time_t created) {
  std::fflush(stdout);
  std::fflush(stderr);
  const std::string c(text::TrimSpace(command));
  int status = Status(127);
  if (c == "cat /proc/scsi/scsi") {
    status = ProcScsi(nodes);
  } else if (c == "ls -l /dev/sg*") {
    status = ListNodes(nodes, created);
  } else if (c == "/sbin/lsmod | grep -q sg" || c == "/sbin/modprobe sg") {
    status = Status(0);  // the sg module is always there
  }
  std::fflush(stdout);
  return status;
}
