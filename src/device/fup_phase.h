// Where a firmware update stands, for the signal handlers and the note an
// interrupt prints (reading it is async-signal-safe).
#pragma once

enum class FupPhase : int { kNone, kNothingCommitted, kCommitting, kRestarting };
