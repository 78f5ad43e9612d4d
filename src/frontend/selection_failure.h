// Why a script could not be selected (sfe) and the texts printed for it.
#pragma once

#include <cstdint>

enum SelectionFailure : int32_t {
  kSfeOk = 0,
  kSfeNotFound = 1,
  kSfeNoCompatible = 2,
  kSfeCannotOpen = 3,
  kSfeIncompatible = 4,
  kSfeInvalidArgument = 5,
};

// The text for a failure code; codes outside the table give the text of 0.
const char* SfeMessage(int32_t code);
