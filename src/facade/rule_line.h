// The rule line of the console's banners, menus and error frames (67 '=').
#pragma once

inline constexpr char kRuleLine[] = "===================================================================";
static_assert(sizeof kRuleLine == 68);
