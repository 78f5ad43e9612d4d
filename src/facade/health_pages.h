// Decoders of what a health run reads: the TapeAlert pages, the counters of
// the error, temperature, sequential-access and device statistics pages,
// and the attributes of a cartridge's memory. Pure functions on the bytes
// that arrived; nothing in an answer is trusted.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "facade/health.h"

namespace health {

// A text field a drive sent (INQUIRY, ASCII and text attributes) without
// its trailing blanks and NULs; bytes a terminal cannot show become '?'.
std::string DriveText(std::span<const uint8_t> value);

// The flags set (ascending) in the TapeAlert response page (12h: one
// parameter of 64 bits, flag 1 the most significant) or in the TapeAlert
// page (2Eh: one parameter per flag). Empty when none is set; nullopt when
// the page holds no flag parameter to read.
std::optional<std::vector<int>> ResponseFlags(std::span<const uint8_t> page);
std::optional<std::vector<int>> AlertPageFlags(std::span<const uint8_t> page);

// The value of parameter `code` of a counter page, when present.
std::optional<uint64_t> Counter(std::span<const uint8_t> page, int code);

// Page 0Dh: the current and reference temperature in degrees Celsius
// (FFh, "unknown", gives none).
void Temperatures(std::span<const uint8_t> page, DeviceHealth& into);

// Page 00h: the page codes the device lists.
std::vector<uint8_t> SupportedPages(std::span<const uint8_t> page);

// READ ATTRIBUTE (attribute values) data: the attributes that arrived whole.
CartridgeMemory Attributes(std::span<const uint8_t> data);

// The LTO generation of a density code (0 when it is none of them).
uint32_t LtoGeneration(uint32_t density_code);

}  // namespace health
