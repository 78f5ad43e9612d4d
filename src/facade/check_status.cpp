// The one place where device-layer result codes become console text.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/sense_words.h"
#include "device/scsi_int.h"
#include "facade/result_messages.h"
#include "facade/scsi_wrapper.h"

void ScsiWrapper::PrintAdapterLines() {
  const char* errors = SCSI.GetErrorBuffer();
  std::printf("Host adapter status = 0x%02X\n", static_cast<unsigned>(SCSI.GetHAStatus()) & 0xFFu);
  std::printf("Driver status = 0x%02X\n", static_cast<unsigned>(SCSI.GetDriverStatus()) & 0xFFu);
  std::printf("Error buffer = '%s'\n\n", errors != nullptr ? errors : "");
}

void ScsiWrapper::PrintSenseStatus() const {
  const LAST_COMMAND& last = session_.last_;
  std::printf("Status: SenseKey=%02X ASC=%02X ASCQ=%02X\n", last.senseKey, last.asc, last.ascq);
  std::printf("Sense: %s\n\n", SenseWords(last.senseKey, last.asc, last.ascq).c_str());
}

bool ScsiWrapper::CheckStatus(int32_t result, const char* commandName) {
  const char* name = commandName != nullptr ? commandName : "";
  // The firmware downloads report 0 for success and their own codes otherwise.
  if (std::strcmp(name, "Fup drive") == 0 || std::strcmp(name, "Fup tape") == 0) {
    if (result == 0) return true;
    std::printf(kUnknownErrorFormat, name, -100);
    PrintAdapterLines();
    return false;
  }
  if (result >= 1) return true;
  if (result == -2) {
    GetSenseData();
    PrintSenseStatus();
    ResetWhenNoSense();
    return false;
  }
  const auto row = std::ranges::find(kResultMessages, result, &ResultMessage::result);
  if (row != kResultMessages.end()) {
    std::printf(row->format, name);
    if (row->adapterLines) PrintAdapterLines();
    return false;
  }
  std::printf(kUnknownErrorFormat, name, result);
  PrintAdapterLines();
  return false;
}
