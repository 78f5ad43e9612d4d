// What the console shows when no usable device was found.
#pragma once

// The causes to check, then what the kernel lists: /proc/scsi/scsi (or, on
// kernels without it, the sysfs listing) and the /dev/sg nodes. device is
// the requested device file, or null when every node was scanned.
void PrintNotFoundReport(const char* device);

// When the last scan left medium changers out, says how to list them.
void PrintHiddenChangerHint();
