#include "facade/drive_type.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "facade/drive_type_codes.h"
#include "facade/drive_type_table.h"

namespace {

constexpr size_t kProductOffset = 16;
constexpr size_t kProductLength = 16;
constexpr size_t kRevisionOffset = 32;
constexpr size_t kFamilyByte = 36;
constexpr size_t kPersonalityByte = 41;

constexpr uint8_t kTypeDisk = 0;
constexpr uint8_t kTypeTape = 1;
constexpr uint8_t kTypeOptical = 5;  // reported as "other"
constexpr uint8_t kTypeChanger = 8;

bool Matches(TextMatch match, std::string_view product, std::string_view text) {
  switch (match) {
    case TextMatch::kIs:
      return product == text;
    case TextMatch::kContains:
      return product.find(text) != std::string_view::npos;
    case TextMatch::kBeginsWith:
      return product.starts_with(text);
  }
  return false;
}

// Some drives put a carriage return where the personality character belongs
// and the character one byte later.
char Personality(const uint8_t* inquiry) {
  uint8_t c = inquiry[kPersonalityByte];
  if (c == 0x0D) c = inquiry[kPersonalityByte + 1];
  return static_cast<char>(c);
}

uint8_t RuleCode(const ProductRule& rule, const uint8_t* inquiry) {
  const uint8_t first = inquiry[kRevisionOffset];
  const uint8_t last = inquiry[kRevisionOffset + 3];
  if (last == 'F' || last == 'T') {
    for (const RevisionCode& revision : rule.revisions) {
      if (revision.letter != 0 && first == static_cast<uint8_t>(revision.letter)) return revision.code;
    }
  }
  if (!rule.personalities.empty()) {
    const char personality = Personality(inquiry);
    if (personality != 0 && rule.personalities.find(personality) != std::string_view::npos) {
      return rule.personalityCode;
    }
  }
  return rule.code;
}

uint8_t ClassifyTape(const std::string& product, const uint8_t* inquiry) {
  for (const ProductRule& rule : kTapeProductRules) {
    if (!Matches(rule.match, product, rule.text)) continue;
    if (!rule.alsoContains.empty() && product.find(rule.alsoContains) == std::string::npos) continue;
    const uint8_t code = RuleCode(rule, inquiry);
    if (code != 0) return code;
  }
  const uint8_t nibble = inquiry[kFamilyByte] >> 4;
  for (const NibbleRule& rule : kNibbleRules) {
    if (rule.nibble == nibble && Matches(rule.match, product, rule.text)) return rule.code;
  }
  return kNibbleDefaultCodes[nibble];
}

}  // namespace

std::string DriveTypeProductText(const uint8_t* inquiry) {
  std::string text(reinterpret_cast<const char*>(inquiry + kProductOffset), kProductLength);
  while (!text.empty() && !std::isalnum(static_cast<unsigned char>(text.back()))) text.pop_back();
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x1D || u >= 0x80) {
      c = ' ';
    } else {
      c = static_cast<char>(std::toupper(u));
    }
  }
  return text;
}

uint8_t ClassifyDriveType(const uint8_t* inquiry) {
  const std::string product = DriveTypeProductText(inquiry);
  switch (inquiry[0] & 0x1F) {
    case kTypeDisk:
      return product.find("BRAMBLE") != std::string::npos ? kDriveTypeBramble : kDriveTypeOtherDisk;
    case kTypeTape:
      return ClassifyTape(product, inquiry);
    case kTypeChanger:
      return kDriveTypeChanger;
    case kTypeOptical:
    default:
      return kDriveTypeOther;
  }
}

bool IsDellEditionDriveType(uint8_t code) { return DriveTypeHas(code, kListedByDellEdition); }
