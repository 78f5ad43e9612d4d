// What the console shows when no usable device was found.
#pragma once

#include <string>

class ScsiWrapper;
struct ConsoleState;

// The causes to check, then what the kernel lists: /proc/scsi/scsi (or, on
// kernels without it, the sysfs listing) and the /dev/sg nodes. device is
// the requested device file, or null when every node was scanned. The error
// frame goes to the console's session log too, when one is open.
void PrintNotFoundReport(ConsoleState& console, const char* device);

// Without root, and outside the group 'tape' that owns the sg nodes of
// tape drives and changers on Debian: how to join it. Empty otherwise.
std::string TapeGroupHint(bool root, bool group_exists, bool member);
void PrintTapeGroupHint();

// When the facade's last scan left medium changers out, says how to list
// them (facade null: nothing).
void PrintHiddenChangerHint(const ScsiWrapper* facade);
