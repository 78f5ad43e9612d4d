// Texts of the diagnostic operations' numeric error codes.
#include "base/sense_texts.h"

namespace {

struct ErrorText {
  long code;
  const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, "No error has been encountered."},
    {1, "Subtest Is Currently Running."},
    {2, "Subtest Status FAILED."},
    {3, "Subtest Status UNUSUAL."},
    {4, "Subtest Status CANCELLED."},
    {8, "An error occurred for which there was no appropriate failure code defined."},
    {10, "Failed trying to get Inquiry data."},
    {11, "Failed trying to get Dell specific product information."},
    {12, "Dell specific information is not accurate, may not be Dell device."},
    {13, "Dell specific inquiry page not supported, Device is not a Dell device does not have Dell firmware."},
    {14, "Unable to verify the proper functioning of RAM."},
    {15, "Failed try to Read RAM."},
    {16, "Failed trying to Write to RAM."},
    {17, "Able to read, then write to RAM, but could not Read again after writing."},
    {18, "Data read from RAM did not match data written."},
    {19, "Apparent failure while running the drive's built in self-diagnostic."},
    {20, "Confirmed hardware error while running drive's self-diagnostic."},
    {21, "Test Unit Ready command failed (failure other than no media present)."},
    {22, "No media is present in the device."},
    {23, "Load cdb failed because device is not ready (may be no tape, other cdb in progress, etc.)."},
    {24, "Load cdb failed--specific cause not determined."},
    {27, "Could not locate to begining of tape during read/write test."},
    {28, "Write failure during read/write test."},
    {29, "Could not locate back to beginning after writing."},
    {30, "Read failure during read/write test."},
    {31, "Data read does not match what should have been written."},
    {32, "Rewind cdb failed--specific cause not determined."},
    {33, "Erase cdb failed--specific cause not determined."},
    {34, "Error occured while trying to read after erase (not EOD error)."},
    {35, "Space cdb failed--specific cause not determined."},
    {36, "read position cdb failed--specific cause not determined."},
    {37, "Unable to perform initialize element status."},
    {38, "Unable to read element status."},
    {39, "The changer has not empty slots, cannot perform slot to slot test."},
    {40, "All slots are empty, cannot perform slot to slot test."},
    {41, "Failed on move medium CDB, nothing more specific determined."},
    {42, "Failing trying to return cartridge in slot to slot test."},
    {43, "Failed trying to read element status during slot to slot test."},
    {44, "Failed trying to read element status after return."},
    {45, "All slots and drives are full, cannot perform slot to drive test."},
    {46, "All slots and drives are empty, cannot perform slot to drive test."},
    {47, "Move between slot and drive failed."},
    {48, "Failed trying to return to/from drive."},
    {49, "Failed trying to read element status during slot to drive test."},
    {50, "Failed trying to read element status during slot to drive test."},
    {51, "Device is not in proper state to perform Firmware Update."},
    {52, "Error reading Firmware File."},
    {53, "Error during Firmware Update write buffer command."},
    {54, "Error during Firmware Update FINAL write buffer command."},
    {55, "Error after Firmware Update - relocate device after update."},
    {56, "Unknown error during Firmware Update."},
    {57, "Error during Firmware Update - no filename given."},
    {58, "No Errors were detected during Firmware Update."},
    {59,
     "Unable to put cartridge from drive to an empty slot prior to perfoming FUP on a drive installed in a library."},
    {60, "Error on Unload command issued to a drive installed in a library."},
    {61,
     "A drive that reported a ready status - cartidge present - had a failure in attempting to perform an unload "
     "command when trying to get drive ready for FUP."},
    {62,
     "General Drive Unload error - indicating that an LTO drive is not reporting MEDIUM NOT PRESENT or is reporting a "
     "check condition other than 0x00023A04 which is considered to be incompatible with FUP"},
    {63,
     "General Drive Unload error - indicating that the selected drive is not reporting MEDIUM NOT PRESENT or is "
     "reporting a check condition other than 0x00023A04 which is considered to be incompatible with FUP."},
    {64, "Changer has an operation in progress or is reporting a check condition that is incompatible with FUP."},
    {65,
     "A drive that reported a ready status - cartidge present - had a failure in attempting to perform a rewind "
     "command when trying to get drive ready for FUP."},
    {66,
     "In the final pre FUP drive check, the drive reported ready - indicating that a cartidge is present, so FUP "
     "cannot proceed."},
    {67, "Firmware Update not confirmed - the drive did not come back with the new firmware revision."},
    {68, "The selected device is not the drive chosen for the Firmware Update - nothing was sent."},
    {501, "Inquiry Failed."},
    {502, "DELL Specific Inquiry Failed."},
    {503, "Buffer Read Failed."},
    {504, "Read Buffer Size Failed."},
    {505, "Buffer Write Failed."},
    {506, "Buffer Verify Failed."},
    {507, "Self Diagnostic Failed."},
    {508, "Tape Load Failed."},
    {509, "Media Present Failed."},
    {510, "Tape Write Failed."},
    {511, "Tape Read Failed."},
    {512, "Tape Verify Failed."},
    {513, "Tape Erase Failed."},
    {514, "Tape Erase Verify Failed."},
    {515, "Test Unit Ready Failed."},
};

constexpr const char* kNoCodeDefined = "An error occurred for which there was no failure code defined.";

}  // namespace

const char* ErrorCodeText(long code) {
  for (const ErrorText& row : kErrorTexts)
    if (row.code == code) return row.text;
  return kNoCodeDefined;
}
