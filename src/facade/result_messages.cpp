#include "facade/result_messages.h"

namespace {

constexpr ResultMessage kMessages[] = {
    {-1, "%s command failed: SCSI timeout\n\n", false},
    {-3, "%s command failed: Invalid device selected\n\n", false},
    {-4, "%s command failed: Invalid device file\n\n", false},
    {-5, "%s command failed: Device I/O error\n", true},
    {-6, "%s command failed: System memory allocation error\n\n", false},
    {-7, "%s command failed: Incomplete data\n\n", false},
};

}  // namespace

const std::span<const ResultMessage> kResultMessages(kMessages);
const char* const kUnknownErrorFormat = "%s command failed: Unknown error! (status = %d)\n\n";
