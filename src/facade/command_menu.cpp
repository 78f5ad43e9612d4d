// The command menu's single commands: the menu itself, Test Unit Ready and
// the three inquiries.
#include <cstdio>

#include "device/scsi_int.h"
#include "facade/command_table.h"
#include "facade/rule_line.h"
#include "facade/scsi_wrapper.h"

namespace {

constexpr const char* kCaller = "Vexil";
constexpr uint32_t kInquiryLength = 56;

// Standard data, unit serial number (VPD 80h), firmware build page (C0h).
constexpr uint8_t kInquiries[][6] = {
    {0x12, 0x00, 0x00, 0x00, kInquiryLength, 0x00},
    {0x12, 0x01, 0x80, 0x00, kInquiryLength, 0x00},
    {0x12, 0x01, 0xC0, 0x00, kInquiryLength, 0x00},
};

}  // namespace

int32_t ScsiWrapper::ListCommands() {
  std::puts(kRuleLine);
  std::printf("Commands:\n");
  int32_t shown = 0;
  for (const CmdTypeRow& row : CommandsShown(driveType_)) std::printf("\t%d) %s\n", ++shown, row.name);
  std::printf("\n%s\n", kRuleLine);
  std::puts("Select command then press 'Enter':");
  std::puts(kRuleLine);
  std::fflush(stdout);
  return shown;
}

bool ScsiWrapper::SendTestUnitReady() {
  const int32_t result = RunAndStore([] { return SCSI.TestUnitReady(); });
  if (result == 1) {
    std::printf("Status: Drive is ready\n");
    return true;
  }
  return CheckStatus(result, "TestUnitReady");
}

bool ScsiWrapper::SendInquiry() {
  for (const auto& cdb : kInquiries) {
    uint8_t data[kInquiryLength] = {};
    const int32_t result = RunCommand(1, cdb, sizeof cdb, kCaller, data, sizeof data);
    // A failed inquiry has no data to show: report why and stop.
    if (result < 1) return CheckStatus(result, "Inquiry");
    HexDump(data, kInquiryLength);
  }
  return true;
}
