// The TapeAlert flag table: name, type, recommended message and probable
// cause of flags 1 to 64 (entry 0 is empty), and for 48 of them the name and
// severity the command menu's TapeAlert report gives them.
#pragma once

struct TapeAlertDef {
  int flag;
  const char* name;
  const char* type;
  const char* message;
  const char* cause;
  const char* menuName = nullptr;  // null: the menu's report has no name for it
  const char* menuSeverity = nullptr;  // "Informational", "Warning", "Critical" or empty
};

// The severities the command menu's report gives a flag (compared whole).
inline constexpr char kSeverityInformational[] = "Informational";
inline constexpr char kSeverityWarning[] = "Warning";
inline constexpr char kSeverityCritical[] = "Critical";

inline constexpr int kTapeAlertFlags = 64;
extern const TapeAlertDef TAPE_ALERT_DEFS[kTapeAlertFlags + 1];
