// Vendor-specific event codes the drives report with a failed command (VS
// sense), with a category and a one-line diagnosis for each: a service
// technician reads them in the sense report of a script.
#pragma once

#include <cstdint>
#include <functional>

// One event category. `number` low 16 bits are what event rows refer to.
struct VS_CATEGORY {
  uint32_t number;
  uint32_t reserved;  // always 0
  const char* name;   // nullptr ends the table
};

// One event code.
struct VS_SENSE_CODE {
  uint32_t category;
  uint32_t code;
  const char* text;  // nullptr ends the table
};

// Category table (ends with number 255 and a null name) and event table
// (grouped by category, each code once; ends with a null text).
extern const VS_CATEGORY VsCatagorys[];
extern const VS_SENSE_CODE VsSenseCodes[];

// First row with this code, or nullptr.
const VS_SENSE_CODE* FindVsSenseCode(uint32_t code);
// Category row whose number (low 16 bits) matches, or nullptr.
const VS_CATEGORY* FindVsCategory(uint32_t category);

// The VS sense lines of the sense report, one call of `line` per line:
// nothing for 0xFFFFFFFF (no code), "\tVS Sense: %08X" for an unknown code,
// else "\tVS Sense: %X", "\t  Catagory: %s" (when the category is known) and
// "\t  Details: %s". The code is always shown as 32 unsigned bits.
void ReportVsSense(uint32_t code, const std::function<void(const char*)>& line);
