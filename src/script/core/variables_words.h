// Word splitting on string views for the variable and expression code, which
// reads statement texts without copying them.
#pragma once

#include <string_view>

#include "base/text_util.h"
#include "script/core/ktext.h"

// Split off the first word of t (leading blanks skipped); t keeps the rest,
// trimmed.
inline std::string_view TakeWord(std::string_view& t) {
  t = text::Trim(t);
  size_t n = 0;
  while (n < t.size() && !KText::IsBlank(t[n])) ++n;
  std::string_view word = t.substr(0, n);
  t = text::Trim(t.substr(n));
  return word;
}
