// The TapeAlert report that follows a script read or write whose command
// failed in transport: the drive may say why (a worn head, a bad cartridge).
#include "facade/scsi_wrapper.h"

// The console's own TapeAlert report is not in this build yet; until it is,
// a failed script transfer reports no alerts.
void ScsiWrapper::ScriptTapeAlertReport() {}
