// Console texts of the device layer's failure codes (result_messages.cpp).
#pragma once

#include <cstdint>
#include <span>

struct ResultMessage {
  int32_t result;
  // printf format of our own; its one argument is the command name.
  const char* format;
  // Followed by the host adapter status, driver status and error buffer.
  bool adapterLines;
};

extern const std::span<const ResultMessage> kResultMessages;

// For results no row names (0 and below the last code); the arguments are the
// command name and the status.
extern const char* const kUnknownErrorFormat;
