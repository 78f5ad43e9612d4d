// The inquiry report of GETINQINFO: one line per field of the drive's
// 56 bytes of standard inquiry data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr size_t kInquiryReportBytes = 56;
std::vector<std::string> InquiryReportLines(const uint8_t (&data)[kInquiryReportBytes]);
