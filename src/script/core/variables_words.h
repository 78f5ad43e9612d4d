// Word splitting on string views for the variable and expression code, which
// reads statement texts without copying them.
#pragma once

#include <string_view>

#include "script/core/ktext.h"

// The text without leading and trailing blanks.
inline std::string_view TrimBlanks(std::string_view t) {
  size_t b = 0;
  size_t e = t.size();
  while (b < e && KText::IsBlank(t[b])) ++b;
  while (e > b && KText::IsBlank(t[e - 1])) --e;
  return t.substr(b, e - b);
}

// Split off the first word of t (leading blanks skipped); t keeps the rest,
// trimmed.
inline std::string_view TakeWord(std::string_view& t) {
  t = TrimBlanks(t);
  size_t n = 0;
  while (n < t.size() && !KText::IsBlank(t[n])) ++n;
  std::string_view word = t.substr(0, n);
  t = TrimBlanks(t.substr(n));
  return word;
}
