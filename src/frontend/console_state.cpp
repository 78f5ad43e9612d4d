#include "frontend/console_state.h"

#include "facade/scsi_wrapper.h"
#include "frontend/log_file.h"
#include "frontend/script_list.h"
#include "frontend/signals.h"
#include "script/core/kscript.h"

ConsoleState::ConsoleState() = default;

ConsoleState::~ConsoleState() {
  cleanup(*this);
  ForgetConsoleOnSignals(*this);
}

void cleanup(ConsoleState& console) {
  const ScopedSignalBlock no_interruption;
  // The engine may still hold the log stream; it must not outlive the log.
  if (console.engine) console.engine->SetLogFilePointer(nullptr);
  console.log.reset();
  console.scripts.reset();
  console.facade.reset();
  console.engine.reset();
  // Close the nodes the device layer keeps open now, while the OS seam that
  // opened them still exists (the device layer itself lives until exit).
  ScsiWrapper::CloseDeviceNodes();
}

void ResetConsoleState(ConsoleState& console) {
  console.flags = WIZARD_FLAGS{};
  console.device_count = 0;
  console.sfe = 0;
  console.end_normally = false;
}
