#include "facade/tape_alert_severity.h"

namespace {

constexpr char kInfo[] = "Informational";
constexpr char kWarn[] = "Warning";
constexpr char kCrit[] = "Critical";

constexpr TapeAlertRow KORU_Severity_and_Meaning[] = {
    {0x01, "Read Warning", kWarn},
    {0x02, "Write Warning", kWarn},
    {0x03, "Hard Error", kWarn},
    {0x04, "Media", kCrit},
    {0x05, "Read Failure", kCrit},
    {0x06, "Write Failure", kCrit},
    {0x07, "Media Life", kWarn},
    {0x08, "Not data grade", kWarn},
    {0x09, "Write Protect", kCrit},
    {0x0A, "No Removal", kInfo},
    {0x0B, "Cleaning Media", kInfo},
    {0x0C, "Unsupported format", kInfo},
    {0x0D, "Recoverable mechanical cartridge failure", kCrit},
    {0x0E, "Unrecoverable mechanical cartridge failure", kCrit},
    {0x0F, "Memory chip in cartridge failure", kWarn},
    {0x10, "Forced eject", kCrit},
    {0x11, "Read Only Format", kWarn},
    {0x12, "Tape directory corrupted on load", kWarn},
    {0x13, "Nearing Media Life", kWarn},
    {0x14, "Clean Now", kCrit},
    {0x15, "Clean Periodic", kWarn},
    {0x16, "Expired Cleaning Media", kCrit},
    {0x17, "Invalid Cleaning Tape", kCrit},
    {0x18, "Retension requested", kWarn},
    {0x19, "Dual-port interface error", kWarn},
    {0x1A, "Cooling fan failure", kWarn},
    {0x1B, "Power supply failure", kWarn},
    {0x1C, "Power consumption", kWarn},
    {0x1D, "Drive Maintenance", kWarn},
    {0x1E, "Hardware A", kCrit},
    {0x1F, "Hardware B", kCrit},
    {0x20, "Interface", kWarn},
    {0x21, "Eject media", kCrit},
    {0x22, "Download Fail", kWarn},
    {0x23, "Drive humidity", kWarn},
    {0x24, "Drive Temperature", kWarn},
    {0x25, "Drive voltage", kWarn},
    {0x26, "Predictive Failure", kCrit},
    {0x27, "Diagnostics required", kWarn},
    {0x32, "Lost statistics", kWarn},
    {0x33, "Tape Directory Invalid at Unload", kWarn},
    {0x34, "Tape system area write failure", kCrit},
    {0x35, "Tape system area read failure", ""},
    {0x36, "No start of data", kCrit},
    {0x37, "Loading failure", kCrit},
    {0x38, "Unrecoverable unload failure", kCrit},
    {0x39, "Automation interface failure", kCrit},
    {0x3A, "Firmware failure", kWarn},
};
static_assert(std::size(KORU_Severity_and_Meaning) == 48);

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

std::span<const TapeAlertRow> KoruSeverityAndMeaning() { return KORU_Severity_and_Meaning; }

std::span<const TapeAlertRow> ChangerSeverityAndMeaning() { return kChangerSeverityAndMeaning; }

const TapeAlertRow* FindAlertRow(std::span<const TapeAlertRow> table, int flag) {
  for (const TapeAlertRow& row : table) {
    if (row.flag == flag) return &row;
  }
  return nullptr;
}
