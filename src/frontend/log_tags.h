// The tags of session log lines, by level.
#pragma once

inline constexpr const char* kLogTags[] = {
    "ENGIN",    // 0
    "NORMAL",   // 1
    "CAUTION",  // 2
    "WARNING",  // 3
    "SEVERE",   // 4
};
inline constexpr const char* kLogTagUnknown = "UNKNOWN";
