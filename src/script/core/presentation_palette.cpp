// The pen colour palette.
#include "script/core/color_list.h"

int K_ColorLL::AddPalleteColor(std::string_view name, uint8_t red, uint8_t green, uint8_t blue, int32_t position,
                               int32_t line) {
  if (name.empty()) return -2;
  if (Contains(name)) return -1;
  colors_.push_back(COLOR_LINK{std::string(name), red, green, blue, position, line});
  return 0;
}

int K_ColorLL::GetColorValue(std::string_view name, uint8_t& red, uint8_t& green, uint8_t& blue) const {
  for (const COLOR_LINK& color : colors_) {
    if (color.name != name) continue;
    red = color.red;
    green = color.green;
    blue = color.blue;
    return 0;
  }
  return -1;
}

bool K_ColorLL::Contains(std::string_view name) const {
  for (const COLOR_LINK& color : colors_)
    if (color.name == name) return true;
  return false;
}
