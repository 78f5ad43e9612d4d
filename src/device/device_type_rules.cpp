// The rules that turn an INQUIRY vendor+product text into a family code,
// and the manufacturer ids. The first rule that matches decides.
#include <cstring>
#include <string_view>

#include "device/family.h"

namespace {

// A rule's result may be a family code or one of these refinements.
constexpr int kLtoGeneration = -1;
constexpr int kMartenGeneration = -2;

struct TypeRule {
  const char* any[8];  // matches when one of these is in the text
  const char* absent;  // ... and this one is not (null: no condition)
  int code;
};

constexpr TypeRule kTypeRules[] = {
    {{"ZEP1"}, "GRANDZEP1", 1},
    {{"WN80LOADER"}, nullptr, 43},
    {{"DDS LOADER", "PV-120", "PV120", "PV-100", "PV 100", "06241", "06409"}, nullptr, 41},
    {{"WN80", "WN640"}, nullptr, 2},
    {{"WN16"}, nullptr, 3},
    {{"ZEP-V4"}, nullptr, 4},
    {{"TZ87XT"}, nullptr, 6},
    {{"TZ87"}, nullptr, 5},
    {{"TZ88", "ZEP4000"}, nullptr, 7},
    {{"TZ89", "ZEP7000"}, nullptr, 8},
    {{"ZEP8000"}, nullptr, 9},
    {{"GRANDZEP", "KORU220"}, nullptr, 10},
    {{"KORU320"}, nullptr, 11},
    {{"KORU600"}, nullptr, 12},
    {{"ZEP-S4"}, nullptr, 13},
    {{"BRAMBLE"}, nullptr, 44},
    {{"KORU"}, nullptr, 10},
    {{"ULTRIUM", "RAVEN"}, nullptr, kLtoGeneration},
    {{"TR4", "STT14", "STT34"}, nullptr, 33},
    {{"TR5", "STT20"}, nullptr, 34},
    {{"TR7", "TRAVAN"}, nullptr, 35},
    {{"DDS3", "DDS-3"}, nullptr, 28},
    {{"DDS4", "DDS-4", "0624", "0640", "SP40"}, nullptr, 29},
    {{"04106"}, nullptr, 28},
    {{"MARTEN"}, nullptr, kMartenGeneration},
    {{"DAT72", "DAT7", "DDS5", "DDS-5", "DDS GEN5", "DDS GEN 5"}, nullptr, 30},
    {{"DAT160"}, nullptr, 31},
    {{"DAT320"}, nullptr, 32},
    {{"4326", "IBM4326-3", "TLZ07", "4586", "IBM4586", "4322", "TLZ06", "DDS/DAT"}, nullptr, 27},
    {{"MGCH"}, nullptr, 36},
    {{"PV-124", "PV124", "SB LOADER"}, nullptr, 37},
    {{"TN450"}, nullptr, 38},
    {{"THRIFTSTACK"}, nullptr, 39},
    {{"PV-122"}, nullptr, 40},
    {{"LTO LOADER", "PV-110", "PV 110", "AL810", "TBX1600", "TBX3200"}, nullptr, 42},
};

// LTO generations, tried in this order over the whole text.
struct LtoRule {
  const char* mark;
  int code;
};
constexpr LtoRule kLtoRules[] = {{"1", 15}, {"06", 15}, {"2", 16}, {"3", 17},
                                 {"4", 19}, {"5", 22},  {"6", 24}, {"7", 26}};

struct MfgRule {
  const char* mark;
  int id;
};
constexpr MfgRule kMfgRules[] = {{"HALCYON", 1}, {"SEAGA", 3}, {"IBM", 4}, {"HP", 5}, {"RAVEN", 2}, {"MORRO", 2}};

constexpr const char* kMfgTexts[] = {"UNKNOWN", "HALCYON", "MORROWAY", "SEAGATE", "IBM", "HP"};

bool Has(std::string_view text, const char* mark) { return text.find(mark) != std::string_view::npos; }

// Revision test of the second firmware lines: first character one of
// `first`, fourth one of `fourth`.
bool RevisionIs(const char* revision, const char* first, const char* fourth) {
  if (revision == nullptr || strnlen(revision, 4) < 4) return false;
  return std::strchr(first, revision[0]) != nullptr && std::strchr(fourth, revision[3]) != nullptr;
}

int LtoGeneration(std::string_view text, const char* revision) {
  // The first mark of the list found anywhere in the text decides, vendor
  // part included.
  int code = 14;
  for (const LtoRule& rule : kLtoRules) {
    if (Has(text, rule.mark)) {
      code = rule.code;
      break;
    }
  }
  switch (code) {
    case 17:
      return RevisionIs(revision, "DQ", "FT") ? 18 : 17;
    case 19:
      if (Has(text, "-HH4")) return 21;
      return RevisionIs(revision, "WU", "FT") ? 20 : 19;
    case 22:
      return Has(text, "-HH5") ? 23 : 22;
    case 24:
      return Has(text, "-HH6") ? 25 : 24;
    default:
      return code;
  }
}

std::string_view TextOf(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text, strnlen(text, 24));
}

}  // namespace

int siDeviceType(const char* raw, const char* revision) {
  const std::string_view text = TextOf(raw);
  for (const TypeRule& rule : kTypeRules) {
    bool hit = false;
    for (const char* mark : rule.any)
      if (mark != nullptr && Has(text, mark)) hit = true;
    if (!hit || (rule.absent != nullptr && Has(text, rule.absent))) continue;
    if (rule.code == kLtoGeneration) return LtoGeneration(text, revision);
    if (rule.code == kMartenGeneration) return Has(text, "2") ? 28 : Has(text, "6") ? 29 : 0;
    return rule.code;
  }
  return 0;
}

int siManufacturer(const char* raw) {
  const std::string_view text = TextOf(raw);
  for (const MfgRule& rule : kMfgRules)
    if (Has(text, rule.mark)) return rule.id;
  return 0;
}

const char* siManufacturerString(int id) {
  if (id < 0) return "";
  if (id < static_cast<int>(sizeof kMfgTexts / sizeof kMfgTexts[0])) return kMfgTexts[id];
  return "";
}
