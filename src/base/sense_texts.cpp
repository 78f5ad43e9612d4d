// Texts of the additional sense code / qualifier pairs the console names.
#include "base/sense_texts.h"

#include <algorithm>

namespace {

constexpr AscText kAscTexts[] = {
    {0x00, 0x00, "NO ADDITIONAL SENSE INFORMATION."},
    {0x00, 0x01, "FILEMARK DETECTED."},
    {0x00, 0x02, "END OF PARTITION/MEDIUM DETECTED."},
    {0x00, 0x04, "BEGINNING OF PARTITION/MEDIUM DETECTED."},
    {0x00, 0x05, "END OF DATA DETECTED."},
    {0x00, 0x06, "I/O PROCESS TERMINATED."},
    {0x04, 0x00, "LOGICAL UNIT NOT READY, CAUSE NOT REPORTABLE."},
    {0x04, 0x01, "LOGICAL UNIT IS IN PROCESS OF BECOMING READY."},
    {0x04, 0x02, "LOGICAL UNIT NOT READY, INITIALIZING COMMAND REQUIRED."},
    {0x04, 0x03, "LOGICAL UNIT NOT READY, MANUAL INTERVENTION REQUIRED."},
    {0x04, 0x04, "LOGICAL UNIT NOT READY, FORMAT IN PROGRESS."},
    {0x05, 0x00, "LOGICAL UNIT DOES NOT RESPOND TO SELECTION."},
    {0x07, 0x00, "MULTIPLE PERIPHERAL DEVICES SELECTED."},
    {0x08, 0x00, "LOGICAL UNIT COMMUNICATION FAILURE."},
    {0x08, 0x01, "LOGICAL UNIT COMMUNICATION TIMEOUT."},
    {0x08, 0x02, "LOGICAL UNIT COMMUNICATION PARITY ERROR."},
    {0x0A, 0x00, "ERROR LOG OVERFLOW."},
    {0x11, 0x02, "ERROR TOO LONG TO CORRECT."},
    {0x11, 0x03, "MULTIPLE READ ERRORS."},
    {0x11, 0x08, "INCOMPLETE BLOCK READ."},
    {0x11, 0x09, "NO GAP FOUND."},
    {0x11, 0x0A, "MISCORRECTED ERROR."},
    {0x14, 0x02, "FILEMARK OR SETMARK NOT FOUND."},
    {0x14, 0x03, "END OF DATA NOT FOUND."},
    {0x14, 0x04, "BLOCK SEQUENCE ERROR."},
    {0x15, 0x01, "MECHANICAL POSITIONING ERROR."},
    {0x20, 0x00, "INVALID COMMAND OPERATION CODE."},
    {0x21, 0x00, "LOGICAL BLOCK ADDRESS OUT OF RANGE."},
    {0x24, 0x00, "INVALID FIELD IN CDB."},
    {0x25, 0x00, "LOGICAL UNIT NOT SUPPORTED."},
    {0x26, 0x00, "INVALID FIELD IN PARAMETER LIST."},
    {0x2A, 0x01, "MODE PARAMETERS CHANGED."},
    {0x2A, 0x02, "LOG PARAMETERS CHANGED."},
    {0x2B, 0x00, "COPY CANNOT EXECUTE SINCE HOST CANNOT DISCONNECT."},
    {0x2C, 0x00, "COMMAND SEQUENSE ERROR."},
    {0x2F, 0x00, "COMMANDS CLEARED BY ANOTHER INITIATOR."},
    {0x30, 0x00, "INCOMPATIBLE MEDIUM INSTALLED."},
    {0x30, 0x01, "CANNOT READ MEDIUM - UNKNOWN FORMAT."},
    {0x30, 0x02, "CANNOT READ MEDIUM - INCOMPATIBLE FORMAT."},
    {0x30, 0x03, "CLEANIN CARTRIDGE INSTALLED."},
    {0x31, 0x00, "MEDIUM FORMAT CORRUPTED."},
    {0x3A, 0x00, "MEDIUM NOT PRESENT."},
    {0x3D, 0x00, "INVALID BITS IN IDENTIFY MESSAGE."},
    {0x3E, 0x00, "LOGICAL UNIT HAS NOT SELF-CONFIGURED YET."},
    {0x3F, 0x01, "MICROCODE HAS BEEN CHANGED."},
    {0x3F, 0x02, "CHANGED OPERATING DEFINITION."},
    {0x3F, 0x03, "INQUIRY DATA HAS CHANGED."},
    {0x43, 0x00, "MESSAGE ERROR."},
    {0x44, 0x00, "INTERNAL TARGET FAILURE."},
    {0x48, 0x00, "INITIATOR DETECTED ERROR MESSAGE RECEIVED."},
    {0x49, 0x00, "INVALID MESSAGE ERROR."},
    {0x4A, 0x00, "COMMAND PHASE ERROR."},
    {0x4B, 0x00, "DATA PHASE ERROR."},
    {0x4C, 0x00, "LOGICAL UNIT FAILED SELF-CONFIGURATION."},
    {0x51, 0x00, "ERASE FAILURE."},
    {0x52, 0x00, "CARTRIDGE FAULT."},
    {0x53, 0x00, "MEDIA LOAD OR EJECT FAILED."},
    {0x53, 0x02, "MEDIUM REMOVAL PREVENTED."},
    {0x5B, 0x00, "LOG EXCEPTION."},
    {0x5B, 0x02, "LOG COUNTER AT MAXIMUM."},
    {0x5B, 0x03, "LOG LIST CODES EXHAUSTED."},
};

constexpr const char* kSenseKeyNames[16] = {"NO SENSE",       "RECOVERED ERROR", "NOT READY",      "MEDIUM ERROR",
                                            "HARDWARE ERROR", "ILLEGAL REQUEST", "UNIT ATTENTION", "DATA PROTECT",
                                            "BLANK CHECK",    "VENDOR SPECIFIC", "COPY ABORTED",   "ABORTED COMMAND",
                                            "EQUAL",          "VOLUME OVERFLOW", "MISCOMPARE",     "RESERVED"};

}  // namespace

const char* AscDescription(int asc, int ascq) {
  for (const AscText& row : kAscTexts)
    if (row.asc == asc && row.ascq == ascq) return row.text;
  const auto key = [](const AscText& row) { return row.asc * 256 + row.ascq; };
  const auto t10 = std::ranges::lower_bound(kT10AscTexts, asc * 256 + ascq, {}, key);
  if (t10 != kT10AscTexts.end() && t10->asc == asc && t10->ascq == ascq) return t10->text;
  return nullptr;
}

const char* SenseKeyName(int key) { return kSenseKeyNames[key & 0x0F]; }
