// The modes switched on by environment variables at start-up.
#pragma once

struct ConsoleState;

// Reads VEXIL_ENG, VEXIL_SAS, VEXIL_PARK and VEXIL_TUNE, in this order, into
// the console's selection record and its facade (when one exists); each
// mode switched on is announced as it is read. Only the exact value "1"
// switches a mode on.
void ReadEnvironmentModes(ConsoleState& console);
