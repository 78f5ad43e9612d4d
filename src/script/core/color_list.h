// The pen colour palette of a script: the colours its COLOR lines declare.
// A console draws in one colour, so the palette is only kept and checked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/core/ktext.h"

struct COLOR_LINK {
  std::string name;  // case-sensitive, unique
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  int32_t textPosition = 0;  // of the declaring line
  int32_t lineNumber = 0;
};

class K_ColorLL : public KText {
 public:
  // 0 added; -1 the name is already in the palette; -2 empty name.
  int AddPalleteColor(std::string_view name, uint8_t red, uint8_t green, uint8_t blue, int32_t position, int32_t line);
  // 0 found (the colour is written out); -1 no such name.
  int GetColorValue(std::string_view name, uint8_t& red, uint8_t& green, uint8_t& blue) const;
  bool Contains(std::string_view name) const;
  void DeletePallete() { colors_.clear(); }
  const std::vector<COLOR_LINK>& Colors() const { return colors_; }

 private:
  std::vector<COLOR_LINK> colors_;
};
