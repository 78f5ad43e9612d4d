// The SCSI generic devices the kernel knows, read from sysfs, for kernels
// that have no /proc/scsi/scsi.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Prints one line per sg node under `root` (normally /sys/class/scsi_generic):
// node, host:channel:target:lun, peripheral type, vendor, model, revision.
// Returns the number of nodes listed.
int ListScsiGenericFromSysfs(FILE* out, const char* root = "/sys/class/scsi_generic");

// The names of the sg nodes ("sg2", "sg10") among the entries of a folder,
// in number order (sg2 before sg10); none when it cannot be read.
std::vector<std::string> ScsiGenericNodesIn(const char* root);
