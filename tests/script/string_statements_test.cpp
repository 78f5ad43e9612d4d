// The string statements through whole scripts, on buffers of the fixture engine:
// results, the checks of the compile pass, and the limits of the run.
#include <string>
#include <vector>

#include "output_fixture.h"

namespace {

class StringStatementsTest : public OutputTest {
 protected:
  // t: text (32 bytes), q: query or find text (16), r: replace text (16),
  // o: destination (8), full: "abcd" filling its 4 bytes without a NUL.
  void Buffers(const std::string& t = "", const std::string& q = "", const std::string& r = "") {
    engine.AddBuffer("t", 32, t);
    engine.AddBuffer("q", 16, q);
    engine.AddBuffer("r", 16, r);
    engine.AddBuffer("o", 8);
    engine.AddBuffer("full", 4, "abcd");
  }
  // Text of a buffer, or the value of a variable, by name.
  std::string Result(const std::string& name) {
    if (const VARI_LL* v = engine.FindVariable(name.c_str())) return std::to_string(v->Unsigned());
    return engine.Text(name);
  }
  std::string Raw(const std::string& name) {
    const KByteArray* buffer = engine.FindArray(name);
    return std::string(reinterpret_cast<const char*>(buffer->data.get()), buffer->size);
  }
};

// Variables of the scripts besides b (byte 65), w (word 10) and l (long).
const std::string kDeclarations =
    "WORD n = 0\nWORD zero = 0\nWORD two = 2\nBYTE dot = 46\nBYTE bar = 95\nLONG m = 12345678H\n";

struct RunCase {
  const char* body;
  const char* t;
  const char* q;
  const char* r;
  const char* result;  // buffer or variable
  std::string expected;
};

TEST_F(StringStatementsTest, StatementsGiveTheirResults) {
  const RunCase cases[] = {
      // numbers in texts
      {"ATON t w", " 0x00FF ", "", "", "w", "255"},
      {"ATON t w", "70000", "", "", "w", "65535"},  // class 4: refused, all ones
      {"ATOLN t l", "12345678H", "", "", "l", "305419896"},
      {"ATOLN t l", "junk", "", "", "l", "4294967295"},
      {"DETERMINNUMBERTYPE t b", "70000", "", "", "b", "4"},
      {"DETERMINNUMBERTYPE t b", "1.5", "", "", "b", "8"},
      {"DETERMINNUMBERTYPE t b", "x1", "", "", "b", "255"},
      {"ATON t w", "0xF", "", "", "w", "65535"},
      // lengths, searches, comparisons
      {"STRLEN t w", "hello", "", "", "w", "5"},
      {"STRLEN full w", "", "", "", "w", "4"},  // no NUL: the whole buffer
      {"STRINGC t q 2 n", "abcabc", "bc", "", "n", "4"},
      {"STRINGC t q two n", "abcabc", "bc", "", "n", "4"},
      {"STRINGC t q 0 n", "abcabc", "x", "", "n", "65535"},
      {"STRINGC t q w n", "abcabc", "bc", "", "n", "65535"},  // start past the text
      {"STRINGC t q 0 n", "abc", "", "", "n", "65535"},       // empty query
      {"STRINGABSC t q b", "abc", "abc", "", "b", "0"},
      {"STRINGABSC t q b", "abc", "abcd", "", "b", "255"},
      {"OCCURANCE t q n", "aaa", "aa", "", "n", "2"},
      {"OCCURANCE t q n", "a,b,c", ",", "", "n", "2"},
      // parts
      {"LEFTSTRING t o 5", "hello world", "", "", "o", "hello"},
      {"LEFTSTRING full o 4", "", "", "", "o", "abcd"},
      {"MIDSTRING t o 7 5", "hello world", "", "", "o", "world"},
      {"MIDSTRING full o 4 1", "", "", "", "o", "d"},  // the last character of a full buffer
      {"MIDSTRING t o two two", "hello", "", "", "o", "el"},
      {"RIGHTSTRING t o 5", "hello world", "", "", "o", "world"},
      {"RIGHTSTRING full o 2", "", "", "", "o", "cd"},
      {"LEFTSTRING t t 2", "hello", "", "", "t", "he"},  // source and destination the same
      // replacing
      {"RIPREPLACE q r t", "a.b.c", ".", "--", "t", "a--b--c"},
      {"RIPREPLACE q r t", "aaaa", "aa", "a", "t", "a"},     // until none is left
      {"RIPREPLACE q r t", "abc", "abcd", "x", "t", "abc"},  // find longer than the text
      {"RIPREPLACE dot bar t", "a.b.c", "", "", "t", "a_b_c"},
      // words and trimming
      {"STORE1STWORD t o", "  first second", "", "", "o", "first"},
      {"STORE1STWORD t o", "  first second", "", "", "t", "first second"},
      {"FETCH1STWORD t", "  one two", "", "", "t", "one"},
      {"CLEAR1STWORD t", "one  two", "", "", "t", "two"},
      {"CLEAR1STWORD t", "one", "", "", "t", ""},
      {"WIPELEFT t", " \t x ", "", "", "t", "x "},
      {"WIPERIGHT t", " x \t ", "", "", "t", " x"},
      {"SHRINK t", "a \t  b", "", "", "t", "a b"},
      {"UPPERCASE t", "abC1", "", "", "t", "ABC1"},
      {"UPPERCASE full", "", "", "", "full", "ABCD"},
      {"REMOVECOMMENTS t", "code // note", "", "", "t", "code "},
      // byte order of variables
      {"BIGENDIAN w", "", "", "", "w", "2560"},
      {"BIGENDIAN m", "", "", "", "m", "2018915346"},
      // extra words are ignored
      {"STRLEN t w extra", "abc", "", "", "w", "3"},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.body);
    SCOPED_TRACE(c.t);
    engine.CleanUp();
    Buffers(c.t, c.q, c.r);
    ASSERT_EQ(LoadAndRun(kDeclarations + c.body), 0) << engine.GetErrorCode();
    EXPECT_EQ(Result(c.result), c.expected);
  }
}

TEST_F(StringStatementsTest, RunMarksOnlyWhatItWrites) {
  Buffers("hello world");
  ASSERT_EQ(LoadAndRun("LEFTSTRING t o 5\nSTRLEN t w"), 0);
  EXPECT_EQ(engine.FindArray("o")->altered, 1);
  EXPECT_EQ(engine.FindArray("t")->altered, 0);
  EXPECT_EQ(engine.FindVariable("w")->altered, 1);
  // The destination's NUL ends the new text; the bytes after it stay.
  EXPECT_EQ(Raw("o"), std::string("hello\0\0\0", 8));
}

TEST_F(StringStatementsTest, ValidationRefusesBadNamesAndTypes) {
  struct Case {
    const char* body;
    int32_t code;
  };
  const Case cases[] = {
      {"ATON x w", -393},
      {"ATON t x", -394},
      {"ATON t l", -395},
      {"ATOLN x l", -396},
      {"ATOLN t x", -397},
      {"ATOLN t w", -398},
      {"BIGENDIAN x", -399},
      {"BIGENDIAN b", -400},
      {"DETERMINNUMBERTYPE x b", -402},
      {"DETERMINNUMBERTYPE t x", -403},
      {"DETERMINNUMBERTYPE t w", -404},
      {"STRLEN x w", -447},
      {"STRLEN t", -448},
      {"STRLEN t b", -449},
      {"STRINGC x q 0 n", -434},
      {"STRINGC t x 0 n", -435},
      {"STRINGC t q zz n", -436},
      {"STRINGC t q b n", -437},
      {"STRINGC t q 70000 n", -437},
      {"STRINGC t q 0 x", -438},
      {"STRINGC t q 0 b", -439},
      {"STRINGABSC x q b", -440},
      {"STRINGABSC t x b", -441},
      {"STRINGABSC t q x", -442},
      {"STRINGABSC t q w", -443},
      {"OCCURANCE x q n", -416},
      {"OCCURANCE t x n", -417},
      {"OCCURANCE t q x", -418},
      {"OCCURANCE t q b", -419},
      {"LEFTSTRING x o 1", -406},
      {"LEFTSTRING t x 1", -407},
      {"LEFTSTRING t o zz", -408},
      {"LEFTSTRING t o b", -409},
      {"LEFTSTRING t o 0", -654},
      {"LEFTSTRING t o 70000", -654},
      {"MIDSTRING x o 1 1", -410},
      {"MIDSTRING t x 1 1", -411},
      {"MIDSTRING t o zz 1", -412},
      {"MIDSTRING t o b 1", -413},
      {"MIDSTRING t o 1 zz", -414},
      {"MIDSTRING t o 1 l", -415},
      {"MIDSTRING t o 0 1", -656},
      {"MIDSTRING t o 70000 1", -657},
      {"MIDSTRING t o 1 0", -658},
      {"MIDSTRING t o 1 70000", -659},
      {"RIGHTSTRING x o 1", -421},
      {"RIGHTSTRING t x 1", -422},
      {"RIGHTSTRING t o zz", -423},
      {"RIGHTSTRING t o b", -424},
      {"RIGHTSTRING t o 0", -664},
      {"RIGHTSTRING t o 1.5", -665},
      {"RIPREPLACE x r t", -425},
      {"RIPREPLACE w r t", -426},
      {"RIPREPLACE q x t", -427},
      {"RIPREPLACE q w t", -428},
      {"RIPREPLACE q dot t", -429},
      {"RIPREPLACE dot q t", -429},
      {"RIPREPLACE q r x", -430},
      {"RIPREPLACE dot bar x", -430},
      {"STORE1STWORD x o", -431},
      {"STORE1STWORD t x", -432},
      {"FETCH1STWORD x", -405},
      {"CLEAR1STWORD x", -401},
      {"WIPELEFT x", -445},
      {"WIPERIGHT", -446},
      {"SHRINK x", -433},
      {"UPPERCASE x", -444},
      {"REMOVECOMMENTS x", -420},
      {"SETTEXTTABLE", -700},
      {"SETTEXTTABLE t", -701},
      {"SETTEXTTABLE t b b", -701},
      {"SETTEXTTABLE x b", -702},
      {"SETTEXTTABLE t x", -703},
      {"SETTEXTTABLE t w", -704},
      {"GETTEXTSTRING", -705},
      {"GETTEXTSTRING t o", -706},
      {"GETTEXTSTRING t o b b", -706},
      {"GETTEXTSTRING x o b", -707},
      {"GETTEXTSTRING t x b", -708},
      {"GETTEXTSTRING t o x", -709},
      {"GETTEXTSTRING t o w", -710},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    engine.CleanUp();
    Buffers();
    EXPECT_EQ(LoadError(kDeclarations + c.body), c.code);
  }
}

TEST_F(StringStatementsTest, RunRefusesWhatDoesNotFitAndLeavesBuffersAlone) {
  struct Case {
    const char* body;
    const char* t;
    const char* q;
    const char* r;
    int32_t code;
  };
  const Case cases[] = {
      // counts against the sizes (t 32 bytes, o 8 bytes)
      {"LEFTSTRING t o 9", "hello world", "", "", -655},
      {"LEFTSTRING t o zero", "hello world", "", "", -655},
      {"MIDSTRING t o 33 1", "hello world", "", "", -660},
      {"MIDSTRING t o 1 33", "hello world", "", "", -661},
      {"MIDSTRING t o 30 5", "hello world", "", "", -662},
      {"MIDSTRING t o 1 9", "hello world", "", "", -663},
      {"MIDSTRING t o zero 1", "hello world", "", "", -656},
      {"MIDSTRING t o 1 zero", "hello world", "", "", -658},
      {"RIGHTSTRING t o 33", "hello world", "", "", -666},
      {"RIGHTSTRING t o 9", "hello world", "", "", -667},
      {"RIGHTSTRING t o zero", "hello world", "", "", -664},
      // counts past the text
      {"LEFTSTRING t o 5", "ab", "", "", -1101},
      {"MIDSTRING t o 2 2", "ab", "", "", -1101},
      {"RIGHTSTRING t o 3", "ab", "", "", -1101},  // would read before the text
      // replacing past the size, or without an end
      {"RIPREPLACE q r t", "aaaaaaaaaaaaaaaa", "a", "bbb", -1102},  // 48 characters
      {"RIPREPLACE q r t", "abc", "b", "bb", -1103},
      {"RIPREPLACE q r t", "abc", "", "x", -1103},
      // a first word longer than the destination
      {"STORE1STWORD t o", "  abcdefghij k", "", "", -1104},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    SCOPED_TRACE(c.t);
    engine.CleanUp();
    Buffers(c.t, c.q, c.r);
    const std::string t = Raw("t");
    const std::string o = Raw("o");
    EXPECT_EQ(LoadAndRun(kDeclarations + c.body), 1);
    EXPECT_EQ(engine.GetErrorCode(), c.code);
    EXPECT_EQ(Raw("t"), t);
    EXPECT_EQ(Raw("o"), o);
  }
}

TEST_F(StringStatementsTest, ReplacementMayFillTheBufferExactly) {
  engine.AddBuffer("q", 4, "a");
  engine.AddBuffer("r", 4, "bb");
  engine.AddBuffer("t", 8, "aaaa");
  ASSERT_EQ(LoadAndRun("RIPREPLACE q r t"), 0);
  EXPECT_EQ(Raw("t"), "bbbbbbbb");  // 8 characters, no room for a NUL
  EXPECT_EQ(engine.FindArray("t")->altered, 1);
}

TEST_F(StringStatementsTest, TextTableGivesLinesUntilItsEnd) {
  engine.AddBuffer("tab", 32, "one\r\ntwo\nthree");
  for (const char* name : {"l1", "l2", "l4"}) engine.AddBuffer(name, 8);
  engine.AddBuffer("l3", 4, "zzzz");
  const std::string body =
      "BYTE s = 9\nBYTE r1 = 9\nBYTE r2 = 9\nBYTE r3 = 9\nBYTE r4 = 9\n"
      "SETTEXTTABLE tab s\nGETTEXTSTRING tab l1 r1\nGETTEXTSTRING tab l2 r2\n"
      "GETTEXTSTRING tab l3 r3\nGETTEXTSTRING tab l4 r4";
  ASSERT_EQ(LoadAndRun(body), 0) << engine.GetErrorCode();
  EXPECT_EQ(Result("s"), "0");
  EXPECT_EQ(Result("l1"), "one");
  EXPECT_EQ(Result("r1"), "3");
  EXPECT_EQ(Result("l2"), "two");
  EXPECT_EQ(Result("r2"), "3");
  EXPECT_EQ(Raw("l3"), std::string("thr\0", 4));  // cut to the line buffer
  EXPECT_EQ(Result("r3"), std::to_string(uint8_t(-5)));
  EXPECT_EQ(Result("r4"), std::to_string(uint8_t(-1)));  // end of the table
}

TEST_F(StringStatementsTest, TextTableRefusedOrReplacedIsNotRead) {
  struct Case {
    const char* table;
    const char* body;
    const char* setResult;
  };
  const Case cases[] = {
      {"line one\nline two", "GETTEXTSTRING tab ln r", "9"},                                       // never registered
      {"line \xC8\nline two", "SETTEXTTABLE tab s\nGETTEXTSTRING tab ln r", "253"},                // byte above 127
      {"line one\nline two", "SETTEXTTABLE tab s\nDIMENSION tab 2\nGETTEXTSTRING tab ln r", "0"},  // new storage
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    engine.CleanUp();
    engine.AddBuffer("tab", 16, c.table);
    engine.AddBuffer("ln", 16, "old");
    const std::string body = std::string("BYTE s = 9\nBYTE r = 9\n") + c.body;
    ASSERT_EQ(LoadAndRun(body), 0) << engine.GetErrorCode();
    EXPECT_EQ(Result("s"), c.setResult);
    EXPECT_EQ(Result("r"), std::to_string(uint8_t(-2)));  // unregistered
    EXPECT_EQ(Result("ln"), "old");
  }
}

}  // namespace
