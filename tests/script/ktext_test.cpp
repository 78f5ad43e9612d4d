#include "script/core/ktext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- number classes and conversions ----

struct NumberCase {
  const char* text;
  int numberClass;
  int32_t aton;
  int64_t atoln;
};

const NumberCase kNumberCases[] = {
    // decimal, by value
    {"0", K_NUM_BYTE, 0, 0},
    {"255", K_NUM_BYTE, 255, 255},
    {"256", K_NUM_WORD, 256, 256},
    {"65535", K_NUM_WORD, 65535, 65535},
    {"65536", K_NUM_LONG, -1, 65536},
    {"70000", K_NUM_LONG, -1, 70000},
    {"2147483646", K_NUM_LONG, -1, 2147483646},
    {"2147483647", K_NUM_DOUBLE, -1, -1},
    {"99999999999999999999999", K_NUM_DOUBLE, -1, -1},
    {"007", K_NUM_BYTE, 7, 7},
    {"  42\t", K_NUM_BYTE, 42, 42},
    // "0X" prefix: exactly 2, 4 or 8 digits
    {"0xFF", K_NUM_BYTE, 255, 255},
    {"0x00FF", K_NUM_WORD, 255, 255},
    {"0X0000FFFF", K_NUM_LONG, -1, 65535},
    {"0x7FFFFFFF", K_NUM_LONG, -1, 0x7FFFFFFF},
    {"0xFFFFFFFF", K_NUM_LONG, -1, 0xFFFFFFFF},
    {"0xF", K_NUM_NONE, -1, -1},
    {"0x123", K_NUM_NONE, -1, -1},
    {"0x123456789", K_NUM_NONE, -1, -1},
    {"0x", K_NUM_NONE, -1, -1},
    {"0xGG", K_NUM_NONE, -1, -1},
    // "H" suffix: 1 to 8 digits
    {"FFh", K_NUM_BYTE, 255, 255},
    {"1H", K_NUM_BYTE, 1, 1},
    {"123h", K_NUM_WORD, 0x123, 0x123},
    {"FFFFH", K_NUM_WORD, 0xFFFF, 0xFFFF},
    {"FFFFFh", K_NUM_LONG, -1, 0xFFFFF},
    {"FFFFFFFFH", K_NUM_LONG, -1, 0xFFFFFFFF},
    {"123456789H", K_NUM_NONE, -1, -1},
    {"H", K_NUM_NONE, -1, -1},
    {"XYZH", K_NUM_NONE, -1, -1},
    // doubles, signs and garbage
    {"1.5", K_NUM_DOUBLE, -1, -1},
    {"0.0", K_NUM_DOUBLE, -1, -1},
    {"1.2.3", K_NUM_NONE, -1, -1},
    {".", K_NUM_NONE, -1, -1},
    {"-5", K_NUM_NONE, -1, -1},
    {"+5", K_NUM_NONE, -1, -1},
    {"", K_NUM_NONE, -1, -1},
    {"   ", K_NUM_NONE, -1, -1},
    {"12AB", K_NUM_NONE, -1, -1},
    {"1 2", K_NUM_NONE, -1, -1},
    {"count", K_NUM_NONE, -1, -1},
    // AtoLn refuses texts longer than 15 characters
    {"0000000000000001", K_NUM_BYTE, 1, -1},
};

TEST(KTextNumbers, ClassesAndConversionsAgreeForEveryForm) {
  for (const NumberCase& c : kNumberCases) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\"");
    EXPECT_EQ(KText::DetermineNumberType(std::string_view(c.text)), c.numberClass);
    EXPECT_EQ(KText::Aton(std::string_view(c.text)), c.aton);
    EXPECT_EQ(KText::AtoLn(std::string_view(c.text)), c.atoln);
    // The in-place forms give the same results.
    std::vector<char> buf(c.text, c.text + std::strlen(c.text) + 1);
    EXPECT_EQ(KText::DetermineNumberType(buf.data()), c.numberClass);
    EXPECT_EQ(KText::Aton(buf.data()), c.aton);
    EXPECT_EQ(KText::AtoLn(buf.data()), c.atoln);
  }
}

TEST(KTextNumbers, InPlaceFormsUpperCaseTheText) {
  char text[] = "0xabh";
  KText::DetermineNumberType(text);
  EXPECT_STREQ(text, "0XABH");
  EXPECT_EQ(KText::Aton(static_cast<char*>(nullptr)), -1);
}

TEST(KTextNumbers, DoubleConversion) {
  double v = 0;
  ASSERT_TRUE(KText::AtoDouble("12.25", v));
  EXPECT_DOUBLE_EQ(v, 12.25);
  ASSERT_TRUE(KText::AtoDouble("0x10", v));
  EXPECT_DOUBLE_EQ(v, 16.0);
  EXPECT_FALSE(KText::AtoDouble("-1.0", v));
}

TEST(KTextNumbers, BinaryTextsAndByteOrder) {
  EXPECT_EQ(KText::NtoB(static_cast<uint8_t>(0x41)), "0100 0001");
  EXPECT_EQ(KText::NtoB(static_cast<uint16_t>(0x8001)), "1000 0000 0000 0001");
  EXPECT_EQ(KText::NtoB(0xF0000001u), "1111 0000 0000 0000 0000 0000 0000 0001");
  char small[6];
  EXPECT_EQ(KText::NtoB(0xFFFFFFFFu, small, sizeof small), 5);
  EXPECT_STREQ(small, "1111 ");

  uint16_t w = 0x1234;
  uint32_t l = 0x12345678;
  uint64_t q = 0x0102030405060708ull;
  KText::BigEndian(w);
  KText::BigEndian(l);
  KText::BigEndian(q);
  EXPECT_EQ(w, 0x3412);
  EXPECT_EQ(l, 0x78563412u);
  EXPECT_EQ(q, 0x0807060504030201ull);

  uint8_t bytes[] = {1, 2, 3, 4, 5};
  KText::MirrorBuffer(bytes, sizeof bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 5), (std::vector<uint8_t>{5, 4, 3, 2, 1}));
  const uint8_t le[8] = {0x00, 0x01, 0, 0, 0, 0, 0, 0};
  EXPECT_DOUBLE_EQ(KText::DoubleIntToDoubleFloat(le), 256.0);
}

TEST(KTextNumbers, VersionString) {
  uint16_t a = 0, b = 0, c = 0, d = 0;
  EXPECT_EQ(KText::ParseVersionString("1,22,333,4444.", a, b, c, d), 1);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 22);
  EXPECT_EQ(c, 333);
  EXPECT_EQ(d, 4444);
  for (const char* bad : {"1,2,3", "1,2,3,4", "1,,3,4.", "1.2.3.4.", "1,2,3,70000."})
    EXPECT_EQ(KText::ParseVersionString(bad, a, b, c, d), 0) << bad;
}

// ---- word and trimming operations ----

enum class Op { WipeLeft, WipeRight, CleanLine, Fetch1st, Clear1st, ClearLast, Shrink, Upper };

struct WordCase {
  Op op;
  const char* in;
  const char* out;
};

const WordCase kWordCases[] = {
    {Op::WipeLeft, " \t ab c ", "ab c "},
    {Op::WipeLeft, "", ""},
    {Op::WipeRight, " ab c \t", " ab c"},
    {Op::CleanLine, " \tab c\t ", "ab c"},
    {Op::CleanLine, "   ", ""},
    {Op::Fetch1st, "  ab cd", "ab"},
    {Op::Fetch1st, "ab", "ab"},
    {Op::Clear1st, "  ab \t cd ef", "cd ef"},
    {Op::Clear1st, "ab", ""},
    {Op::Clear1st, "", ""},
    {Op::ClearLast, "a b c  ", "a b"},
    {Op::ClearLast, "a,b", "a,"},
    {Op::ClearLast, "abc", ""},
    {Op::Shrink, "a \t\r\n b  c", "a b c"},
    {Op::Shrink, "  x  ", " x "},
    {Op::Upper, "aBc_1\xe9", "ABC_1\xe9"},
};

// The same operation on either form of text the helpers take.
template <class Text>
void Apply(Op op, Text&& t) {
  switch (op) {
    case Op::WipeLeft:
      KText::WipeLeft(t);
      break;
    case Op::WipeRight:
      KText::WipeRight(t);
      break;
    case Op::CleanLine:
      KText::CleanLine(t);
      break;
    case Op::Fetch1st:
      KText::Fetch1stWord(t);
      break;
    case Op::Clear1st:
      KText::Clear1stWord(t);
      break;
    case Op::ClearLast:
      KText::ClearLastWord(t);
      break;
    case Op::Shrink:
      KText::Shrink(t);
      break;
    case Op::Upper:
      KText::UpperCase(t);
      break;
  }
}

TEST(KTextWords, InPlaceOperationsOnCTextsAndStrings) {
  for (const WordCase& c : kWordCases) {
    SCOPED_TRACE(std::string("op ") + std::to_string(static_cast<int>(c.op)) + " on \"" + c.in + "\"");
    std::vector<char> buf(c.in, c.in + std::strlen(c.in) + 1);
    Apply(c.op, buf.data());
    EXPECT_STREQ(buf.data(), c.out);
    std::string s = c.in;
    Apply(c.op, s);
    EXPECT_EQ(s, c.out);
  }
}

TEST(KTextWords, StoreFirstAndLastWord) {
  char text[] = "  first second ";
  char word[16];
  EXPECT_EQ(KText::Store1stWord(text, word, sizeof word), 5);
  EXPECT_STREQ(word, "first");
  EXPECT_STREQ(text, "first second ");

  EXPECT_EQ(KText::StoreLastWord(text, word, sizeof word), 6);
  EXPECT_STREQ(word, "second");
  EXPECT_STREQ(text, "first second");

  char comma[] = "a,b";
  KText::StoreLastWord(comma, word, sizeof word);
  EXPECT_STREQ(word, "b");
  char single[] = "only";
  KText::StoreLastWord(single, word, sizeof word);
  EXPECT_STREQ(word, "only");

  // The word is cut to its array, never written past it.
  char longText[] = "abcdefghij rest";
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(KText::Store1stWord(longText, small, sizeof small), 3);
  EXPECT_STREQ(small, "abc");

  std::string s = "\t x y";
  std::string w;
  KText::Store1stWord(s, w);
  EXPECT_EQ(w, "x");
  EXPECT_EQ(s, "x y");
  EXPECT_EQ(KText::FirstWord("  alpha beta"), "alpha");
}

TEST(KTextWords, RemoveComments) {
  char text[] = "PRINT x // note // more";
  EXPECT_EQ(KText::RemoveComments(text), 8);
  EXPECT_STREQ(text, "PRINT x ");
  char none[] = "a / b";
  EXPECT_EQ(KText::RemoveComments(none), -1);
  EXPECT_STREQ(none, "a / b");
}

TEST(KTextWords, DiskLineReadsLinesAndCutsLongOnes) {
  FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::fputs("ab\nlonger line\nlast", f);
  std::rewind(f);
  char line[8];
  std::vector<std::string> got;
  while (KText::DiskLine(line, sizeof line, f) == 1) got.emplace_back(line);
  std::fclose(f);
  EXPECT_EQ(got, (std::vector<std::string>{"ab", "longer ", "last"}));
}

// ---- search and substrings ----

TEST(KTextSearch, StringCAndOccurance) {
  struct Case {
    const char* text;
    const char* query;
    int start;
    int expected;
  } cases[] = {
      {"abcabc", "bc", 0, 1}, {"abcabc", "bc", 2, 4}, {"abcabc", "bc", 5, -1}, {"abc", "", 0, -1},
      {"abc", "abcd", 0, -1}, {"abc", "a", 3, -1},    {"abc", "a", -1, -1},    {"abc", "zz", 0, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KText::StringC(c.text, c.query, c.start), c.expected)
        << c.text << " / " << c.query << " from " << c.start;

  EXPECT_EQ(KText::Occurance("aaa", "aa"), 2);
  EXPECT_EQ(KText::Occurance("abab", "ab"), 2);
  EXPECT_EQ(KText::Occurance("abc", ""), 0);
  EXPECT_EQ(KText::StringAbsC("abc", "abc"), 0);
  EXPECT_EQ(KText::StringAbsC("abc", "abcd"), -1);
  EXPECT_EQ(KText::StringAbsC("abc", "abd"), -1);
}

TEST(KTextSearch, SubstringsRespectTextAndDestinationBounds) {
  enum Kind { Left, Mid, Right };
  struct Case {
    Kind kind;
    const char* src;
    int start;  // Mid only, from 1
    int n;
    size_t dstSize;
    int rc;
    const char* out;
  } cases[] = {
      {Left, "abcdef", 0, 3, 16, 0, "abc"}, {Left, "abc", 0, 3, 16, 0, "abc"},    {Left, "ab", 0, 3, 16, -1, ""},
      {Left, "abcdef", 0, 4, 4, -2, ""},    {Left, "abc", 0, 0, 16, 0, ""},       {Mid, "abcdef", 2, 3, 16, 0, "bcd"},
      {Mid, "abcdef", 4, 3, 16, 0, "def"},  {Mid, "abcdef", 5, 3, 16, -1, ""},    {Mid, "abcdef", 0, 1, 16, -1, ""},
      {Mid, "abcdef", 1, 5, 5, -2, ""},     {Right, "abcdef", 0, 2, 16, 0, "ef"}, {Right, "ab", 0, 3, 16, -1, ""},
      {Right, "abcdef", 0, 4, 4, -2, ""},   {Right, "abc", 0, -1, 16, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " of " + c.src + " n " + std::to_string(c.n));
    std::vector<char> dst(c.dstSize + 1, '#');
    int rc = c.kind == Left  ? KText::LeftString(c.src, dst.data(), c.n, c.dstSize)
             : c.kind == Mid ? KText::MidString(c.src, dst.data(), c.start, c.n, c.dstSize)
                             : KText::RightString(c.src, dst.data(), c.n, c.dstSize);
    EXPECT_EQ(rc, c.rc);
    EXPECT_STREQ(dst.data(), c.out);
    EXPECT_EQ(dst[c.dstSize], '#') << "wrote past the destination";

    std::string s = "stale";
    int src = c.kind == Left  ? KText::LeftString(std::string_view(c.src), s, c.n)
              : c.kind == Mid ? KText::MidString(std::string_view(c.src), s, c.start, c.n)
                              : KText::RightString(std::string_view(c.src), s, c.n);
    if (c.rc != -2) {
      EXPECT_EQ(src, c.rc);
      EXPECT_EQ(s, c.out);
    }
  }
}

TEST(KTextSearch, RipReplace) {
  char chars[] = "a.b.c";
  EXPECT_EQ(KText::RipReplace('.', '-', chars), 2);
  EXPECT_STREQ(chars, "a-b-c");

  struct Case {
    const char* find;
    const char* replace;
    const char* text;
    size_t size;
    int rc;
    const char* out;
  } cases[] = {
      {"ab", "X", "ab ab", 32, 0, "X X"},    {"ab", "b", "aab", 32, 0, "b"},         // replaced until none is left
      {"a", "bb", "aaa", 32, 0, "bbbbbb"},   {"abc", "x", "ab", 32, -1, "ab"},       // find longer than text
      {"a", "ba", "aaa", 32, -1, "aaa"},                                             // replace holds find
      {"", "x", "aaa", 32, -1, "aaa"},       {"a", "bbbb", "aaaa", 10, -2, "aaaa"},  // would not fit: unchanged
      {"a", "bbbb", "aa", 9, 0, "bbbbbbbb"},                                         // exactly fits
  };
  for (const Case& c : cases) {
    std::vector<char> buf(c.size + 1, '#');
    std::strcpy(buf.data(), c.text);
    EXPECT_EQ(KText::RipReplace(c.find, c.replace, buf.data(), c.size), c.rc) << c.find << "->" << c.replace;
    EXPECT_STREQ(buf.data(), c.out) << c.find << "->" << c.replace;
    EXPECT_EQ(buf[c.size], '#');
  }
}

TEST(KTextSearch, ParsePath) {
  std::vector<std::string> parts;
  EXPECT_EQ(KText::ParsePath("C:\\dir\\\\file.txt", parts), 3);
  EXPECT_EQ(parts, (std::vector<std::string>{"C:", "dir", "file.txt"}));
  EXPECT_EQ(KText::ParsePath("", parts), 0);
}

// ---- line splitting ----

TEST(KTextParseLine, SplitsOperatorsParenthesesAndQuotes) {
  struct Case {
    const char* line;
    std::vector<std::string> words;
  } cases[] = {
      {"IF x >= 5 LABEL", {"IF", "x", ">=", "5", "LABEL"}},
      {"x+=1", {"x", "+=", "1"}},
      {"count<<=2", {"count", "<<=", "2"}},
      {"a(b,c)", {"a", "(", "b", ",", "c", ")"}},
      {"d = 1.5+2", {"d", "=", "1.5", "+", "2"}},
      {"  PRINT \"hello  world\" x", {"PRINT", "\"hello  world\"", "x"}},
      {"PRINT \"a\"\"b\"", {"PRINT", "\"a\"", "\"b\""}},
      {"my_var = it's", {"my_var", "=", "it's"}},
      {"\tSETTEXTTABLE buf\tres ", {"SETTEXTTABLE", "buf", "res"}},
      {"PRINT \"unclosed quote", {"PRINT", "\"unclosed quote"}},
  };
  KText kt;
  for (const Case& c : cases) {
    std::vector<std::string> words;
    EXPECT_EQ(kt.ParseLine(c.line, words), 0) << c.line;
    EXPECT_EQ(words, c.words) << c.line;
  }
}

TEST(KTextParseLine, ErrorsAndLimits) {
  KText kt;
  char work[32];
  char* argv[3];
  int count = -1;
  EXPECT_EQ(kt.ParseLine(nullptr, work, sizeof work, argv, 3, count), -1);
  EXPECT_EQ(kt.ParseLine("", work, sizeof work, argv, 3, count), -2);
  EXPECT_EQ(kt.ParseLine("  \t ", work, sizeof work, argv, 3, count), -2);
  EXPECT_EQ(kt.ParseLine("a b", nullptr, sizeof work, argv, 3, count), -3);
  EXPECT_EQ(kt.ParseLine("a b", work, sizeof work, nullptr, 3, count), -5);
  EXPECT_EQ(kt.ParseLine("a b", work, sizeof work, argv, 0, count), -6);
  EXPECT_EQ(kt.ParseLine("a b c d", work, sizeof work, argv, 3, count), -7);
  // Longer than the work area, before or after stretching.
  EXPECT_EQ(kt.ParseLine(std::string(40, 'a').c_str(), work, sizeof work, argv, 3, count), -4);
  EXPECT_EQ(kt.ParseLine("a+b+c+d+e+f+g+h+i+j+k", work, sizeof work, argv, 3, count), -4);

  ASSERT_EQ(kt.ParseLine("a  b", work, sizeof work, argv, 3, count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(argv[0], "a");
  EXPECT_STREQ(argv[1], "b");
}

// ---- text buffer registry ----

TEST(KTextBuffers, LinesOfARegisteredBuffer) {
  KText kt;
  const char text[] = "a\r\nb";
  ASSERT_EQ(kt.SetTextBuffer(text, 4), 0);
  char line[16];
  EXPECT_EQ(kt.GetStringFromTextBuffer(text, sizeof line, line), 1);
  EXPECT_STREQ(line, "a");
  EXPECT_EQ(kt.GetTextBufferPosition(text), 3);
  EXPECT_EQ(kt.GetStringFromTextBuffer(text, sizeof line, line), 1);
  EXPECT_STREQ(line, "b");
  EXPECT_EQ(kt.GetStringFromTextBuffer(text, sizeof line, line), -1);

  // Registering again rewinds.
  ASSERT_EQ(kt.SetTextBuffer(text, 4), 0);
  EXPECT_EQ(kt.GetTextBufferPosition(text), 0);

  // Blank lines come back empty; a final line feed adds no line; NUL ends the text.
  const char lines[] = "x\n\ny\n\0z\n";
  ASSERT_EQ(kt.SetTextBuffer(lines, sizeof lines), 0);
  std::vector<std::string> got;
  std::string s;
  while (kt.GetStringFromTextBuffer(lines, s) >= 0) got.push_back(s);
  EXPECT_EQ(got, (std::vector<std::string>{"x", "", "y"}));
}

TEST(KTextBuffers, LongLinesAreReportedAndSkipped) {
  KText kt;
  const char text[] = "0123456789\nok";
  ASSERT_EQ(kt.SetTextBuffer(text, sizeof text - 1), 0);
  char line[6] = {};
  EXPECT_EQ(kt.GetStringFromTextBuffer(text, sizeof line, line), -5);
  EXPECT_STREQ(line, "01234");
  EXPECT_EQ(kt.GetStringFromTextBuffer(text, sizeof line, line), 2);
  EXPECT_STREQ(line, "ok");
}

TEST(KTextBuffers, RefusalsAndRegistryErrors) {
  KText kt;
  const char ok[] = "text";
  const unsigned char high[] = {'a', 0x80, 'b'};
  const unsigned char control[] = {'a', 0x01};
  const unsigned char highAfterNul[] = {'a', 0, 0xFF};
  char line[8];
  EXPECT_EQ(kt.GetTextBufferPosition(ok), -1);
  EXPECT_EQ(kt.SetTextBuffer(nullptr, 4), -1);
  EXPECT_EQ(kt.SetTextBuffer(ok, 0), -2);
  EXPECT_EQ(kt.SetTextBuffer(high, 3), -3);
  EXPECT_EQ(kt.SetTextBuffer(control, 2), -3);
  EXPECT_EQ(kt.GetStringFromTextBuffer(high, sizeof line, line), -2);
  EXPECT_EQ(kt.SetTextBuffer(highAfterNul, 3), 0);
  ASSERT_EQ(kt.SetTextBuffer(ok, 4), 0);
  EXPECT_EQ(kt.GetTextBufferPosition(high), -2);
  EXPECT_EQ(kt.GetStringFromTextBuffer(ok, 0, line), -3);
  EXPECT_EQ(kt.GetStringFromTextBuffer(ok, sizeof line, nullptr), -4);
  EXPECT_EQ(kt.KillATextBufferLink(ok), 0);
  EXPECT_EQ(kt.KillATextBufferLink(ok), -1);
  EXPECT_EQ(kt.GetStringFromTextBuffer(ok, sizeof line, line), -2);
  kt.DestroyTheTextBufferLinks();
  EXPECT_EQ(kt.GetTextBufferPosition(highAfterNul), -1);
}

}  // namespace
