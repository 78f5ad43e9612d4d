// Names a CDB declaration may give in place of its operation code.
#pragma once

#include <cstdint>
#include <string_view>

struct ScsiCommandName {
  const char* name;  // nullptr ends the table
  uint8_t opcode;
};

// Searched in order; the first match wins (several names share an opcode).
extern const ScsiCommandName ScsiCommandNames[];

// Operation code of an upper-case command name, or -1.
int ScsiCommandOpcode(std::string_view upperName);
