#include "frontend/not_found_report.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/system.h"
#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/sysfs_listing.h"

namespace {

constexpr const char* kRequestedCauses[] = {
    "The SCSI device you requested was not found or was not accessible to Vexil!",
    "Possible causes include:",
    "\t1) The device you requested is no longer attached to the system",
    "\t3) The 'sg' kernel module is not loaded",
};
constexpr char kRequestedAccess[] =
    "\t4) You do not have write/read access to the device file for your target device (%s)\n";
constexpr char kRequestedHotPlug[] =
    "\t5) You have hot-plugged a parallel SCSI device but have not added it to the kernel device list\n";

constexpr const char* kScanCauses[] = {
    "No SCSI devices found which are accessible to Vexil!",
    "Possible causes include:",
    "\t1) There are no supported devices attached to the system",
    "\t2) The 'sg' kernel module is not loaded",
    "\t3) You do not have write/read access to the /dev/sg* device files for your target devices",
    "\t4) You have hot-plugged a parallel SCSI device but have not added it to the kernel device list\n",
};

constexpr char kProcScsi[] = "/proc/scsi/scsi";

// Whether the calling user is a member of `group` (primary or
// supplementary).
bool InGroup(gid_t group) {
  if (::getegid() == group) return true;
  std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
  for (int i = 0; i < count; ++i) {
    if (groups[static_cast<size_t>(i)] == group) return true;
  }
  return false;
}

}  // namespace

std::string TapeGroupHint(bool root, bool group_exists, bool member) {
  if (root || !group_exists || member) return "";
  return "\tOn Debian the group 'tape' owns the sg nodes of tape drives and medium changers, and you are not\n"
         "\tin it: 'sudo adduser $USER tape', then log in again (or run Vexil as root)\n";
}

void PrintTapeGroupHint() {
  const group* tape = ::getgrnam("tape");
  const std::string hint =
      TapeGroupHint(Sys().GetUid() == 0, tape != nullptr, tape != nullptr && InGroup(tape->gr_gid));
  std::fputs(hint.c_str(), ErrorStream());
}

void PrintHiddenChangerHint(const ScsiWrapper* facade) {
  const int32_t hidden = facade != nullptr ? facade->GetHiddenChangerCount() : 0;
  if (hidden > 0) {
    std::fprintf(ErrorStream(), "\tMedium changers are listed only with VEXIL_MC=true (%d found and not listed)\n\n",
                 static_cast<int>(hidden));
  }
}

void PrintNotFoundReport(ConsoleState& console, const char* device) {
  const OutputToErrors report;
  print_wrapper_error(console.log.get(), device != nullptr ? "The requested SCSI device could not be used!"
                                                           : "No usable SCSI device was found!");
  if (device != nullptr) {
    for (const char* line : kRequestedCauses) std::puts(line);
    std::printf(kRequestedAccess, device);
    std::putchar('\n');
    std::puts(kRequestedHotPlug);
  } else {
    for (const char* line : kScanCauses) std::puts(line);
  }
  PrintTapeGroupHint();
  PrintHiddenChangerHint(console.facade.get());

  std::puts("\nSCSI devices listed in /proc/scsi/scsi:\n");
  std::fflush(stdout);
  Sys().Shell("cat /proc/scsi/scsi");
  // Newer kernels have no /proc/scsi/scsi; sysfs tells the same story. The
  // virtual drives answer the cat themselves.
  if (!console.simulated && ::access(kProcScsi, F_OK) != 0) ListScsiGenericFromSysfs(stdout);
  std::puts("\nDevices found in /dev/sg*\n");
  std::fflush(stdout);
  Sys().Shell("ls -l /dev/sg*");
  std::fflush(stdout);
  std::putchar('\n');
}
