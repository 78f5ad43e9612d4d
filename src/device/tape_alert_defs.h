// The TapeAlert flag table: name, type, recommended message and probable
// cause of flags 1 to 64 (entry 0 is empty).
#pragma once

struct TapeAlertDef {
  int flag;
  const char* name;
  const char* type;
  const char* message;
  const char* cause;
};

inline constexpr int kTapeAlertFlags = 64;
extern const TapeAlertDef TAPE_ALERT_DEFS[kTapeAlertFlags + 1];
