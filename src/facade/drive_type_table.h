// The rule tables of the drive-type classification (drive_type_table.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

enum class TextMatch : uint8_t { kIs, kContains, kBeginsWith };

// One product-id rule for sequential-access devices. A row matches when the
// product text matches `text` (and also contains `alsoContains`, when given).
// Ultrium rows refine their code by the product revision (inquiry byte 32 is
// the letter and byte 35 is 'F' or 'T') and then by the personality
// character; `code` applies when no refinement does. A row whose code is 0
// gives no code and the search goes on.
struct RevisionCode {
  char letter = 0;
  uint8_t code = 0;
};

struct ProductRule {
  TextMatch match = TextMatch::kIs;
  std::string_view text;
  uint8_t code = 0;
  std::string_view alsoContains = {};
  RevisionCode revisions[2] = {};
  std::string_view personalities = {};
  uint8_t personalityCode = 0;
};

// Rules for tape drives that no product rule names, by the family nibble
// (upper four bits of inquiry byte 36); the nibble's default applies when
// none of its rows matches.
struct NibbleRule {
  uint8_t nibble = 0;
  TextMatch match = TextMatch::kIs;
  std::string_view text;
  uint8_t code = 0;
};

extern const std::span<const ProductRule> kTapeProductRules;
extern const std::span<const NibbleRule> kNibbleRules;
extern const std::span<const uint8_t, 16> kNibbleDefaultCodes;
