#include "frontend/selection_failure.h"

#include <iterator>

namespace {

constexpr const char* kSfeMessages[] = {
    "Script file OK\n",
    "Requested script file not found\n",
    "No compatible script files found\n",
    "Requested script file cannot be opened (check permissions)\n",
    "Requested script file is not compatible with selected device\n",
    "Invalid argument\n",
};

}  // namespace

const char* SfeMessage(int32_t code) {
  if (code < 0 || code >= static_cast<int32_t>(std::size(kSfeMessages))) return kSfeMessages[0];
  return kSfeMessages[code];
}
