// Field names and value texts of the inquiry report.
#include "script/statements/inquiry_report.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kDeviceTypes[] = {"Disk",   "Tape",    "Printer", "Processor",      "WORM",
                                        "CD/DVD", "Scanner", "Optical", "Medium Changer", "Communcations"};

struct FamilyText {
  uint8_t nibble;
  const char* text;
};
constexpr FamilyText kFamilies[] = {
    {0, "Not Specified"},  {1, "40.0 / 80.0 GB"},    {8, "40.0 / 80.0 GB"},    {5, "20.0 / 40.0 GB"},
    {7, "35.0 / 70.0 GB"}, {10, "100.0 / 200.0 GB"}, {11, "160.0 / 320.0 GB"}, {12, "300.0 / 600.0 GB"},
};

// A flag of byte 7: the text when set and when clear.
struct FlagLine {
  const char* label;
  uint8_t bit;
  const char* set;
  const char* clear;
};
constexpr FlagLine kFlags[] = {
    {"SftRe", 0, "Unknown", "Yes"},
    {"Tagged Command Queuing", 1, "Unknown", "No"},
    {"Linked Commands Support", 3, "Yes", "Unknown"},
    {"Synchronous Data Transfers", 4, "Yes", "Unknown"},
    {"16-bit Data Transfer Support", 5, "Yes", "Unknown"},
    {"32-bit Data Transfer Support", 6, "Unknown", "No"},
    {"Relative Addressing", 7, "Unknown", "No"},
};

constexpr const char* kVersionFields[] = {
    "Firmware Major Version",          "Firmware Minor Version",        "EEPROM Format Major Version",
    "EEPROM Format Minor Version",     "Firmware Personality Version",  "Firmware SubPersonality Version",
    "TapeDir Format Version",          "Controller Hardware Version",   "Drive EEPROM Version",
    "Drive Hardware Version",          "Media Loader Firmware Version", "Media Loader Hardware Version",
    "Media Loader Mechanical Version",
};

std::string Line(const char* label, std::string_view value) {
  return std::string("   ") + label + ": " + std::string(value);
}

// Printable text of a fixed-size field, cut at a NUL as "%.*s" would.
std::string_view Field(const uint8_t* data, size_t n) {
  const auto* text = reinterpret_cast<const char*>(data);
  size_t len = 0;
  while (len < n && text[len] != '\0') ++len;
  return {text, len};
}

}  // namespace

std::vector<std::string> InquiryReportLines(const uint8_t (&d)[kInquiryReportBytes]) {
  std::vector<std::string> lines;
  const uint8_t type = d[0] & 0x1F;
  lines.push_back(Line("Device Type", type < std::size(kDeviceTypes) ? kDeviceTypes[type] : "Unknown"));
  lines.push_back(Line("ANSI Version", std::to_string(d[2] & 0x07)));
  lines.push_back(Line("Media Chngr Present", (d[6] & 0x40) ? "Yes" : "No"));
  for (const FlagLine& f : kFlags) lines.push_back(Line(f.label, (d[7] >> f.bit) & 1 ? f.set : f.clear));
  lines.push_back(Line("Vendor ID", Field(d + 8, 8)));
  lines.push_back(Line("Product ID", Field(d + 16, 16)));
  lines.push_back(Line("Product Revision Level", Field(d + 32, 4)));
  const char* family = "Unknown";
  for (const FamilyText& f : kFamilies)
    if (f.nibble == d[36] >> 4) family = f.text;
  lines.push_back(Line("Product Family", family));
  static constexpr const char* kReleased[] = {"Field Test / Engineering Code (Txxx)", "Released Code (Vxxx)"};
  const uint8_t released = d[36] & 0x0F;
  lines.push_back(Line("Released Firmware", released < 2 ? kReleased[released] : "Unknown"));
  for (size_t i = 0; i < std::size(kVersionFields); ++i)
    lines.push_back(Line(kVersionFields[i], std::to_string(d[37 + i])));
  lines.push_back(Line("Loader Present", d[50] == 0 ? "No" : d[50] == 1 ? "Yes" : "Unknown"));
  lines.push_back(Line("Library Present", d[51] == 0 ? "No" : "Yes"));
  lines.push_back(Line("Module Revision", Field(d + 52, 4)));
  return lines;
}
