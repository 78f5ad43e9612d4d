#include "facade/tape_alert_severity.h"

#include <vector>

#include "device/tape_alert_defs.h"

namespace {

constexpr const char* kInfo = kSeverityInformational;
constexpr const char* kWarn = kSeverityWarning;
constexpr const char* kCrit = kSeverityCritical;

constexpr TapeAlertRow kChangerSeverityAndMeaning[] = {
    {0x01, "Library Hardware A", kCrit},
    {0x02, "Library Hardware B", kWarn},
    {0x03, "Library Hardware C", kCrit},
    {0x04, "Library Hardware D", kCrit},
    {0x05, "Library Diagnostics Required", kWarn},
    {0x06, "Library Interface", kCrit},
    {0x07, "Failure Prediction", kWarn},
    {0x08, "Library Maintenance", kWarn},
    {0x09, "Library Humidity Limits", kCrit},
    {0x0A, "Library Temperature Limits", kCrit},
    {0x0B, "Library Voltage Limits", kCrit},
    {0x0C, "Library Stray Media", kCrit},
    {0x0D, "Library Pick Retry", kWarn},
    {0x0E, "Library Place Retry", kWarn},
    {0x0F, "Library Load Retry", kWarn},
    {0x10, "Library Door", kCrit},
    {0x11, "Library Mailslot", kCrit},
    {0x12, "Library Magazine", kCrit},
    {0x13, "Library Security", kWarn},
    {0x14, "Library Security Mode", kInfo},
    {0x15, "Library Offline", kInfo},
    {0x16, "Library Drive Offline", kInfo},
    {0x17, "Library Scan Retry", kWarn},
    {0x18, "Library Inventory", kCrit},
    {0x19, "Library Illegal Operation", kWarn},
    {0x1A, "Dual-Port Interface Error", kWarn},
    {0x1B, "Cooling Fan Failure", kWarn},
    {0x1C, "Power Supply", kWarn},
    {0x1D, "Power Consumption", kWarn},
    {0x1E, "Pass-through Mechanism Failure", kCrit},
    {0x1F, "Cartridge in Pass-through Mechanism", kCrit},
    {0x20, "Unreadable Bar Code Labels", kInfo},
};

}  // namespace

// A drive's flags: the names and severities of the TapeAlert flag table.
std::span<const TapeAlertRow> KoruSeverityAndMeaning() {
  static const std::vector<TapeAlertRow> KORU_Severity_and_Meaning = [] {
    std::vector<TapeAlertRow> rows;
    for (const TapeAlertDef& def : TAPE_ALERT_DEFS) {
      if (def.menuName != nullptr) rows.push_back({static_cast<uint16_t>(def.flag), def.menuName, def.menuSeverity});
    }
    return rows;
  }();
  return KORU_Severity_and_Meaning;
}

std::span<const TapeAlertRow> ChangerSeverityAndMeaning() { return kChangerSeverityAndMeaning; }

const TapeAlertRow* FindAlertRow(std::span<const TapeAlertRow> table, int flag) {
  for (const TapeAlertRow& row : table) {
    if (row.flag == flag) return &row;
  }
  return nullptr;
}
