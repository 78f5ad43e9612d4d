// The tape driver's nodes (/dev/stN, /dev/nstN and their l, m, a modes) are
// not what the console talks through: it needs the drive's SCSI generic node.
#pragma once

#include <string>

// True when `device` (or the node a link such as /dev/tape/by-id/... leads to)
// is a tape driver node. The name decides, so nothing is opened: closing
// /dev/stN would rewind the tape.
bool IsTapeNode(const char* device);

// The sg node of the same drive ("/dev/sg1"), read from sysfs under `root`;
// empty when it cannot be told.
std::string SgNodeOfTapeNode(const char* device, const char* root = "/sys/class/scsi_tape");

// The tape driver's names of the drive behind an sg node: "/dev/st0",
// "/dev/nst0" and the /dev/tape/by-id link that leads to one of them; empty
// where sysfs (under `sys_root`) or /dev (`dev_root`) cannot tell.
struct TapeNames {
  std::string st, nst, by_id;
};
TapeNames TapeNamesOfSgNode(const std::string& sg_node, const char* sys_root = "/sys/class/scsi_generic",
                            const char* dev_root = "/dev");

// Says that the console needs the drive's sg node, and names it when sysfs
// can tell (not when `simulated`: the virtual drives have no sysfs).
void PrintTapeNodeHint(const char* device, bool simulated);
