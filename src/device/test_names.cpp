// Names of the diagnostic tests, indexed by test number (cut to 25 characters).
#include "device/scsi_int.h"

namespace {

constexpr const char* kTestNames[] = {
    "INVALID_TEST",
    "COMMUNICATION_TEST",
    "RAM_TEST",
    "SEND_DIAGNOSTIC_TEST",
    "LOAD_TEST",
    "MEDIA_READY_TEST",
    "READ_WRITE_TEST",
    "ERASE_TEST",
    "INVENTORY_TEST",
    "SLOT_TO_SLOT_MOVEMENT_TES",
    "SLOT_TO_DRIVE_MOVEMENT_T",
    "SIT_TEST",
    "QUICK_WRITE_READ_TEST",
    "STUCK_AT_ONE_TEST",
    "DIAG_LEVEL2_TEST",
    "SLT_TEST",
    "BC8008_TEST",
    "PATTERN_FILES_TEST",
    "BER_TEST",
    "BASELINE_TEST",
    "BRC4KNATIVE_TEST",
    "BRC4KREADREF_TEST",
    "BRC8KNATIVE_TEST",
    "BRC8KREADREF_TEST",
    "BRC220NATIVE_TEST",
    "BRC220READREF_TEST",
    "BRC320NATIVE_TEST",
    "BRC320READREF_TEST",
    "FUP_TEST",
    "WRITE_TEST",
};

}  // namespace

const char* ScsiInt::GetTestName(int index) {
  if (index < 0 || index >= static_cast<int>(sizeof kTestNames / sizeof kTestNames[0])) return "";
  return kTestNames[index];
}
