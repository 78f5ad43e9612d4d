// The TapeAlert report that follows a script read or write whose command
// failed in transport: the drive may say why (a worn head, a bad cartridge).
#include "facade/scsi_wrapper.h"

void ScsiWrapper::ScriptTapeAlertReport() { GetTapeAlerts(); }
