// The TapeAlert flags of tape drives and autoloaders as the published
// TapeAlert table gives them; flags without a published meaning for these
// devices read "NOT SUPPORTED ". The last two texts of a row are what the
// command menu's report calls the flag and the severity it gives it.
#include "device/tape_alert_defs.h"

namespace {

constexpr const char* kUnsupported = "NOT SUPPORTED ";

constexpr const char* kInformational = kSeverityInformational;
constexpr const char* kWarning = kSeverityWarning;
constexpr const char* kCritical = kSeverityCritical;
constexpr const char* kNoSeverity = "";

}  // namespace

constexpr TapeAlertDef TAPE_ALERT_DEFS[kTapeAlertFlags + 1] = {
    {0, "", "", "", ""},
    {1, "Read Warning ", "WARNING",
     "The tape drive is having problems reading data. No data has been lost, but there has been a reduction in the "
     "performance of the tape.",
     "The drive is having severe trouble reading.", "Read Warning", kWarning},
    {2, "Write Warning ", "WARNING",
     "The tape drive is having problems writing data. No data has been lost, but there has been a reduction in the "
     "capacity of the tape.",
     "The drive is having severe trouble writing.", "Write Warning", kWarning},
    {3, "Hard Error ", "WARNING",
     "The operation has stopped because an error has occurred while reading or writing data which the drive cannot "
     "correct.",
     "The drive had a hard read or write error.", "Hard Error", kWarning},
    {4, "Media ", "CRITICAL",
     "Your data is at risk: 1. Copy any data you require from this tape. 2. Do not use this tape again. 3. Restart the "
     "operation with a different tape.",
     "Media can no longer be written/read, or performance is severely degraded.", "Media", kCritical},
    {5, "Read Failure ", "CRITICAL",
     "The tape is damaged or the drive is faulty. Call the tape drive supplier helpline.",
     "The drive can no longer read data from the tape.", "Read Failure", kCritical},
    {6, "Write Failure ", "CRITICAL",
     "The tape is from a faulty batch or the tape drive is faulty: 1. Use a good tape to test the drive. 2. If the "
     "problem persists, call the tape drive supplier helpline.",
     "The drive can no longer write data to the tape.", "Write Failure", kCritical},
    {7, "Media Life ", "WARNING",
     "The tape cartridge has reached the end of its calculated useful life: 1. Copy any data you need to another tape. "
     "2. Discard the old tape.",
     "The media has exceeded its specified life.", "Media Life", kWarning},
    {8, "Not Data Grade ", "WARNING",
     "The tape cartridge is not data-grade. Any data you back up to the tape is at risk. Replace the cartridge with a "
     "data-grade tape.",
     "The drive has not been able to read the MRS stripes.", "Not data grade", kWarning},
    {9, "Write Protect ", "CRITICAL",
     "You are trying to write to a write-protected cartridge. Remove the write-protection or use another tape.",
     "Write command is attempted to a write-protected tape.", "Write Protect", kCritical},
    {10, "No Removal ", "INFORMATIONAL",
     "You cannot eject the cartridge because the tape drive is in use. Wait until the operation is complete before "
     "ejecting the cartridge.",
     "Manual or software unload attempted when prevent media removal is on.", "No Removal", kInformational},
    {11, "Cleaning Media ", "INFORMATIONAL", "The tape in the drive is a cleaning cartridge.",
     "Cleaning tape loaded in drive.", "Cleaning Media", kInformational},
    {12, "Unsupported Format ", "INFORMATIONAL",
     "You have tried to load a cartridge of a type which is not supported by this drive.",
     "Attempted load of an unsupported tape format.", "Unsupported format", kInformational},
    {13, "Recoverable Snapped Tape ", "CRITICAL",
     "The operation has failed because the tape in the drive has experienced a mechanical failure: 1. Discard the old "
     "tape. 2. Restart the operation with a different tape.",
     "Tape snapped, cut or other cartridge mechanical failure in the drive where the medium can be demounted.",
     "Recoverable mechanical cartridge failure", kCritical},
    {14, "Unrecoverable Snapped Tape ", "CRITICAL",
     "The operation has failed because the tape in the drive has experienced a mechanical failure: 1. Do not attempt "
     "to extract the tape cartridge. 2. Call the tape drive supplier helpline.",
     "Tape snapped, cut or other cartridge mechanical failure in the drive where the medium cannot be demounted.",
     "Unrecoverable mechanical cartridge failure", kCritical},
    {15, "Memory Chip In Cartridge Failure ", "WARNING",
     "The memory in the tape cartridge has failed, which reduces performance. Do not use the cartridge for further "
     "write operations.",
     "Memory chip failed in cartridge.", "Memory chip in cartridge failure", kWarning},
    {16, "Forced Eject ", "CRITICAL",
     "The operation has failed because the tape cartridge was manually demounted while the tape drive was actively "
     "writing or reading.",
     "Manual or forced eject while the drive was actively writing or reading.", "Forced eject", kCritical},
    {17, "Read Only Format ", "WARNING",
     "You have loaded a cartridge of a type that is read-only in this drive. The cartridge will appear as "
     "write-protected.",
     "Media loaded that is of a read-only format.", "Read Only Format", kWarning},
    {18, "Tape Directory Corrupted On Load ", "WARNING",
     "The tape directory on the tape cartridge has been corrupted. File search performance will be degraded. The tape "
     "directory can be rebuilt by reading all the data on the cartridge.",
     "Tape drive powered down with tape loaded, or a permanent error prevented the tape directory being updated.",
     "Tape directory corrupted on load", kWarning},
    {19, "Nearing Media Life ", "INFORMATIONAL",
     "The tape cartridge is nearing the end of its calculated life. It is recommended that you: 1. Use another tape "
     "cartridge for your next backup. 2. Store this tape cartridge in a safe place in case you need to restore data "
     "from it.",
     "Media may have exceeded its specified number of passes.", "Nearing Media Life", kWarning},
    {20, "Clean Now ", "CRITICAL",
     "The tape drive needs cleaning: 1. If the operation has stopped, eject the tape and clean the drive. 2. If the "
     "operation has not stopped, wait for it to finish and then clean the drive. Check the tape drive users manual for "
     "device specific cleaning instructions.",
     "The drive thinks it has a head clog or needs cleaning.", "Clean Now", kCritical},
    {21, "Clean Periodic ", "WARNING",
     "The tape drive is due for routine cleaning: 1. Wait for the current operation to finish. 2. Then use a cleaning "
     "cartridge. Check the tape drive users manual for device specific cleaning instructions.",
     "The drive is ready for a periodic cleaning.", "Clean Periodic", kWarning},
    {22, "Expired Cleaning Media ", "CRITICAL",
     "The last cleaning cartridge used in the tape drive has worn out: 1. Discard the worn out cleaning cartridge. 2. "
     "Wait for the current operation to finish. 3. Then use a new cleaning cartridge.",
     "The cleaning tape has expired.", "Expired Cleaning Media", kCritical},
    {23, "Invalid Cleaning Tape ", "CRITICAL",
     "The last cleaning cartridge used in the tape drive was an invalid type: 1. Do not use this cleaning cartridge in "
     "this drive. 2. Wait for the current operation to finish. 3. Then use a valid cleaning cartridge.",
     "Invalid cleaning tape type used.", "Invalid Cleaning Tape", kCritical},
    {24, "Retension Requested ", "WARNING", "The tape drive has requested a retension operation.",
     "The drive is having severe trouble reading or writing, which will be resolved by a retension cycle.",
     "Retension requested", kWarning},
    {25, "Dual-Port Interface Error ", "WARNING", "A redundant interface port on the tape drive has failed.",
     "Failure of one interface port in a dual-port configuration.", "Dual-port interface error", kWarning},
    {26, "Cooling Fan Failure ", "WARNING", "A tape drive cooling fan has failed.",
     "Fan failure inside the tape drive mechanism or tape drive enclosure.", "Cooling fan failure", kWarning},
    {27, "Power Supply Failure ", "WARNING",
     "A redundant power supply has failed inside the tape drive enclosure. Check the enclosure users manual for "
     "instructions on replacing the failed power supply.",
     "Redundant power supply failure inside the tape drive enclosure or rack subsystem.", "Power supply failure",
     kWarning},
    {28, "Power Consumption ", "WARNING", "The tape drive power consumption is outside the specified range.",
     "Power consumption of the tape drive is outside the specified range.", "Power consumption", kWarning},
    {29, "Drive Maintenance ", "WARNING",
     "Preventive maintenance of the tape drive is required. Check the tape drive users manual for device specific "
     "preventive maintenance tasks or call the tape drive supplier helpline.",
     "The drive requires preventive maintenance (not cleaning).", "Drive Maintenance", kWarning},
    {30, "Hardware A ", "CRITICAL",
     "The tape drive has a hardware fault: 1. Eject the tape or magazine. 2. Reset the drive. 3. Restart the "
     "operation.",
     "The drive has a hardware fault that requires a reset to recover.", "Hardware A", kCritical},
    {31, "Hardware B ", "CRITICAL",
     "The tape drive has a hardware fault: 1. Turn the tape drive off and then on again. 2. Restart the operation. 3. "
     "If the problem persists, call the tape drive supplier helpline.",
     "The drive has a hardware fault which is not read/write related or requires a power cycle to recover.",
     "Hardware B", kCritical},
    {32, "Interface ", "WARNING",
     "The tape drive has a problem with the host interface: 1. Check the cables and cable connections. 2. Restart the "
     "operation.",
     "The drive has identified an interfacing fault.", "Interface", kWarning},
    {33, "Eject Media ", "CRITICAL",
     "The operation has failed: 1. Eject the tape or magazine. 2. Insert the tape or magazine again. 3. Restart the "
     "operation.",
     "Error recovery action.", "Eject media", kCritical},
    {34, "Download Fail ", "WARNING",
     "The firmware download has failed because you have tried to use the incorrect firmware for this tape drive. "
     "Obtain the correct firmware and try again.",
     "Firmware download failed.", "Download Fail", kWarning},
    {35, "Drive Humidity ", "WARNING",
     "Environmental conditions inside the tape drive are outside the specified humidity range.",
     "Drive humidity limits exceeded.", "Drive humidity", kWarning},
    {36, "Drive Temperature ", "WARNING",
     "Environmental conditions inside the tape drive are outside the specified temperature range.", "Cooling problem.",
     "Drive Temperature", kWarning},
    {37, "Drive Voltage ", "WARNING", "The voltage supply to the tape drive is outside the specified range.",
     "Drive voltage limits exceeded.", "Drive voltage", kWarning},
    {38, "Predictive Failure ", "CRITICAL",
     "A hardware failure of the tape drive is predicted. Call the tape drive supplier helpline.",
     "Predictive failure of drive hardware.", "Predictive Failure", kCritical},
    {39, "Diagnostics Required ", "WARNING",
     "The tape drive may have a hardware fault. Run extended diagnostics to verify and diagnose the problem. Check the "
     "tape drive users manual for device specific instructions on running extended diagnostic tests.",
     "The drive may have a hardware fault which may be identified by extended diagnostics.", "Diagnostics required",
     kWarning},
    {40, "Loader Hardware A ", "CRITICAL",
     "The changer mechanism is having difficulty communicating with the tape drive: 1. Turn the autoloader off then "
     "on. 2. Restart the operation. 3. If the problem persists, call the tape drive supplier helpline.",
     "Loader mechanism is having trouble communicating with the tape drive."},
    {41, "Loader Stray Tape ", "CRITICAL",
     "A tape has been left in the autoloader by a previous hardware fault: 1. Insert an empty magazine to clear the "
     "fault. 2. If the fault does not clear, turn the autoloader off and then on again. 3. If the problem persists, "
     "call the tape drive supplier helpline.",
     "Stray tape left in the loader after a previous error recovery."},
    {42, "Loader Hardware B ", "WARNING", "There is a problem with the autoloader mechanism.",
     "Loader mechanism has a hardware fault."},
    {43, "Loader Door ", "CRITICAL",
     "The operation has failed because the autoloader door is open: 1. Clear any obstructions from the autoloader "
     "door. 2. Eject the magazine and then insert it again. 3. If the fault does not clear, turn the autoloader off "
     "and then on again. 4. If the problem persists, call the tape drive supplier helpline.",
     "Tape changer door open."},
    {44, "Loader Hardware C ", "CRITICAL",
     "The autoloader has a hardware fault: 1. Turn the autoloader off and then on again. 2. Restart the operation. 3. "
     "If the problem persists, call the tape drive supplier helpline.",
     "The loader mechanism has a hardware fault that is not mechanically related."},
    {45, "Loader Magazine ", "CRITICAL",
     "The autoloader cannot operate without the magazine: 1. Insert the magazine into the autoloader. 2. Restart the "
     "operation.",
     "Loader magazine not present."},
    {46, "Loader Predictive Failure ", "WARNING",
     "A hardware failure of the changer mechanism is predicted. Call the tape drive supplier helpline.",
     "Predictive failure of loader mechanism hardware."},
    {47, kUnsupported, " ", " ", " "},
    {48, kUnsupported, " ", " ", " "},
    {49, "Diminished Native Capacity ", "WARNING",
     "The tape in the drive has a reduced native capacity. Use another tape cartridge for backups that need the full "
     "capacity.",
     "The cartridge can no longer hold its full native capacity."},
    {50, "Lost Statistics ", "WARNING", "Media statistics have been lost at some time in the past.",
     "Drive or library powered down with tape loaded.", "Lost statistics", kWarning},
    {51, "Tape Directory Invalid At Unload ", "WARNING",
     "The tape directory on the tape cartridge just unloaded has been corrupted. File search performance will be "
     "degraded. The tape directory can be rebuilt by reading all the data.",
     "An error prevented the tape directory being updated on unload.", "Tape Directory Invalid at Unload", kWarning},
    {52, "Tape System Area Write Failure ", "CRITICAL",
     "The tape just unloaded could not write its system area successfully: 1. Copy data to another tape cartridge. 2. "
     "Discard the old cartridge.",
     "Write errors while writing the system area on unload.", "Tape system area write failure", kCritical},
    {53, "Tape System Area Read Failure ", "CRITICAL",
     "The tape system area could not be read successfully at load time: 1. Copy data to another tape cartridge.",
     "Read errors while reading the system area on load.", "Tape system area read failure", kNoSeverity},
    {54, "No Start Of Data ", "CRITICAL",
     "The start of data could not be found on the tape: 1. Check that you are using the correct format tape. 2. "
     "Discard the tape or return the tape to your supplier.",
     "Tape damaged, bulk erased, or incorrect format.", "No start of data", kCritical},
    {55, kUnsupported, " ", " ", " ", "Loading failure", kCritical},
    {56, kUnsupported, " ", " ", " ", "Unrecoverable unload failure", kCritical},
    {57, kUnsupported, " ", " ", " ", "Automation interface failure", kCritical},
    {58, kUnsupported, " ", " ", " ", "Firmware failure", kWarning},
    {59, kUnsupported, " ", " ", " "},
    {60, kUnsupported, " ", " ", " "},
    {61, kUnsupported, " ", " ", " "},
    {62, kUnsupported, " ", " ", " "},
    {63, kUnsupported, " ", " ", " "},
    {64, kUnsupported, " ", " ", " "},
};

namespace {

// Every row carries its own flag number.
constexpr bool RowsMatchFlags() {
  for (int i = 0; i <= kTapeAlertFlags; ++i)
    if (TAPE_ALERT_DEFS[i].flag != i) return false;
  return true;
}

// The rows the command menu's report names.
constexpr int MenuRows() {
  int rows = 0;
  for (const TapeAlertDef& def : TAPE_ALERT_DEFS) rows += def.menuName != nullptr ? 1 : 0;
  return rows;
}

}  // namespace

static_assert(RowsMatchFlags());
static_assert(MenuRows() == 48);
