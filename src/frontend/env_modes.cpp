#include "frontend/env_modes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "facade/scsi_wrapper.h"
#include "frontend/console_state.h"

namespace {

struct EnvModeRow {
  const char* variable;
  uint8_t WIZARD_FLAGS::*field;
  const char* announcement;
  void (ScsiWrapper::*facade_setter)(bool);  // null: the facade keeps no such mode
};

constexpr EnvModeRow kEnvModes[] = {
    {"VEXIL_ENG", &WIZARD_FLAGS::EngMode, "\nEngineering mode is enabled!\n", &ScsiWrapper::SetEngMode},
    {"VEXIL_SAS", &WIZARD_FLAGS::SasMode, "\nSAS mode is enabled!\n", &ScsiWrapper::SetSasMode},
    {"VEXIL_PARK", &WIZARD_FLAGS::ParkMode, "\nPark mode is enabled!\n", &ScsiWrapper::SetParkMode},
    {"VEXIL_TUNE", &WIZARD_FLAGS::TuneMode, "\nTune mode is enabled!\n", nullptr},
};

}  // namespace

void ReadEnvironmentModes(ConsoleState& console) {
  for (const EnvModeRow& row : kEnvModes) {
    const char* value = std::getenv(row.variable);
    const bool on = value != nullptr && std::strcmp(value, "1") == 0;
    console.flags.*row.field = on ? 1 : 0;
    if (row.facade_setter != nullptr && console.facade) ((*console.facade).*row.facade_setter)(on);
    if (on) std::fputs(row.announcement, stdout);
  }
}
