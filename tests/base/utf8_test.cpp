// Which byte sequences pass as UTF-8 and which become U+FFFD.
#include "base/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(ValidUtf8, WellFormedTextStaysAndEachBadByteIsReplaced) {
  struct Case {
    const char* name;
    std::string in, out;
  };
  const std::string r = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"ASCII with controls", std::string("a\0b\x1f\x7f", 5), std::string("a\0b\x1f\x7f", 5)},
      {"two, three and four bytes", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xBC",
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xBC"},
      {"highest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
      {"Latin-1 byte", "caf\xE9!", "caf" + r + "!"},
      {"stray continuation", "\x80x", r + "x"},
      {"overlong two bytes", "\xC0\xAF", r + r},
      {"overlong three bytes", "\xE0\x80\xAF", r + r + r},
      {"surrogate", "\xED\xA0\x80", r + r + r},
      {"above U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
      {"cut at the end", "ok\xE2\x82", "ok" + r + r},
      {"cut by ASCII", "\xE2\x82z", r + r + "z"},
      {"no lead byte F5h to FFh", "\xF5\xFF", r + r},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text::ValidUtf8(c.in), c.out);
  }
}

}  // namespace
