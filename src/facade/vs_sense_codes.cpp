// Lookups in the event code tables and the VS sense lines of the sense report.
#include "facade/vs_sense_codes.h"

#include <cstdio>

const VS_SENSE_CODE* FindVsSenseCode(uint32_t code) {
  for (const VS_SENSE_CODE* row = VsSenseCodes; row->text != nullptr; ++row)
    if (row->code == code) return row;
  return nullptr;
}

const VS_CATEGORY* FindVsCategory(uint32_t category) {
  for (const VS_CATEGORY* row = VsCatagorys; row->name != nullptr; ++row)
    if ((row->number & 0xFFFFu) == (category & 0xFFFFu)) return row;
  return nullptr;
}

void ReportVsSense(uint32_t code, const std::function<void(const char*)>& line) {
  if (code == 0xFFFFFFFFu) return;
  char text[512];
  const VS_SENSE_CODE* row = FindVsSenseCode(code);
  if (row == nullptr) {
    std::snprintf(text, sizeof text, "\tVS Sense: %08X", static_cast<unsigned>(code));
    line(text);
    return;
  }
  std::snprintf(text, sizeof text, "\tVS Sense: %X", static_cast<unsigned>(code));
  line(text);
  if (const VS_CATEGORY* category = FindVsCategory(row->category)) {
    std::snprintf(text, sizeof text, "\t  Catagory: %s", category->name);
    line(text);
  }
  std::snprintf(text, sizeof text, "\t  Details: %s", row->text);
  line(text);
}
