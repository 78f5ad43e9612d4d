// Variable list and declarations: BYTE/WORD/LONG/DOUBLE with their kinds,
// #DEFINE, lookups, the text form of assignments and the test mode.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "script/core/error_fx.h"
#include "script/core/expression.h"
#include "script/core/variables.h"
#include "script/engine_fixture.h"

namespace {

struct DeclarationCase {
  const char* line;
  int32_t type;
  int expected;  // result code
  double value;  // value when declared
};

TEST(VariableDeclaration, ValueClassesAndErrorsPerWidth) {
  const DeclarationCase cases[] = {
      {"BYTE b = 5", K_VAR_BYTE, 0, 5},
      {"BYTE b = 255", K_VAR_BYTE, 0, 255},
      {"BYTE b = FFh", K_VAR_BYTE, 0, 255},
      {"BYTE b = 0x12", K_VAR_BYTE, 0, 0x12},
      {"BYTE b = 300", K_VAR_BYTE, K_OP_BYTE_INVALID_ASSIGNMENT, 0},
      {"BYTE b = 1.0", K_VAR_BYTE, K_OP_BYTE_INVALID_ASSIGNMENT, 0},
      {"BYTE b = other", K_VAR_BYTE, 0, 0},  // not a number: 0
      {"BYTE b = -5", K_VAR_BYTE, 0, 0},     // a sign is never part of a number
      {"BYTE b =5", K_VAR_BYTE, K_OP_BYTE_INVALID_OPERATOR, 0},
      {"BYTE b == 5", K_VAR_BYTE, K_OP_BYTE_INVALID_OPERATOR, 0},
      {"BYTE b =", K_VAR_BYTE, K_OP_BYTE_INVALID_OPERATOR, 0},
      {"BYTE b 5", K_VAR_BYTE, K_OP_BYTE_INVALID_ASSIGNMENT, 0},
      {"BYTE b", K_VAR_BYTE, K_OP_BYTE_INVALID_ASSIGNMENT, 0},
      {"BYTE", K_VAR_BYTE, K_OP_BYTE_INVALID_ASSIGNMENT, 0},
      {"WORD w = 0x12", K_VAR_WORD, 0, 0x12},
      {"WORD w = 0x1234", K_VAR_WORD, 0, 0x1234},
      {"WORD w = 0x123", K_VAR_WORD, 0, 0},  // three digits after 0x: not a number
      {"WORD w = 65535", K_VAR_WORD, 0, 65535},
      {"WORD w = 70000", K_VAR_WORD, K_OP_WORD_INVALID_ASSIGNMENT, 0},
      {"WORD w += 1", K_VAR_WORD, K_OP_WORD_INVALID_ASSIGNMENT, 0},
      {"WORD w =1", K_VAR_WORD, K_OP_WORD_INVALID_OPERATOR, 0},
      {"LONG n = 2147483646", K_VAR_LONG, 0, 2147483646.0},
      {"LONG n = 2147483647", K_VAR_LONG, K_OP_LONG_INVALID_ASSIGNMENT, 0},
      {"LONG n = 0x7FFFFFFF", K_VAR_LONG, 0, 0x7FFFFFFF},
      {"LONG n = 0xFFFFFFFF", K_VAR_LONG, 0, 4294967295.0},
      {"LONG n = 12345h", K_VAR_LONG, 0, 0x12345},
      {"LONG n ! 1", K_VAR_LONG, K_OP_LONG_INVALID_ASSIGNMENT, 0},
      {"LONG n =! 1", K_VAR_LONG, K_OP_LONG_INVALID_OPERATOR, 0},
      {"DOUBLE d = 5", K_VAR_DOUBLE, K_OP_FLOAT_INVALID_ASSIGNMENT, 0},
      {"DOUBLE d = 5.0", K_VAR_DOUBLE, 0, 5.0},
      {"DOUBLE d =\t2.25", K_VAR_DOUBLE, 0, 2.25},
      {"DOUBLE d = 3000000000", K_VAR_DOUBLE, 0, 3e9},
      {"DOUBLE d = x", K_VAR_DOUBLE, 0, 0.0},
      {"DOUBLE d =2.0", K_VAR_DOUBLE, K_OP_DOUBLE_INVALID_OPERATOR, 0},
      {"DOUBLE d 2.0", K_VAR_DOUBLE, K_OP_FLOAT_INVALID_ASSIGNMENT, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    CVariableLL vars;
    EXPECT_EQ(vars.Declare(c.type, K_KIND_PLAIN, c.line), c.expected);
    if (c.expected != 0) {
      EXPECT_EQ(vars.Count(), 0);
      continue;
    }
    ASSERT_EQ(vars.Count(), 1);
    const VARI_LL& v = *vars.Links().front();
    EXPECT_EQ(v.type, c.type);
    EXPECT_DOUBLE_EQ(v.AsDouble(), c.value);
  }
}

TEST(VariableDeclaration, NamesAreUniqueOverAllWidthsAndCaseSensitive) {
  CVariableLL vars;
  ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE Count = 1"), 0);
  EXPECT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_S, "SBYTE Count = 2"), BYTE_DUPLICATE_NAME_DETECTED);
  EXPECT_EQ(vars.Declare(K_VAR_WORD, K_KIND_PLAIN, "WORD Count = 2"), WORD_DUPLICATE_NAME_DETECTED);
  EXPECT_EQ(vars.Declare(K_VAR_LONG, K_KIND_X, "XLONG Count = 2"), LONG_DUPLICATE_NAME_DETECTED);
  EXPECT_EQ(vars.Declare(K_VAR_DOUBLE, K_KIND_PLAIN, "DOUBLE Count = 2.0"), DBL_DUPLICATE_NAME_DETECTED);
  ASSERT_EQ(vars.Declare(K_VAR_WORD, K_KIND_PLAIN, "WORD count = 7"), 0);

  EXPECT_EQ(vars.FindVariable("Count")->bValue, 1);  // the first declaration stays
  EXPECT_EQ(vars.FindVariable("count")->wValue, 7);
  EXPECT_EQ(vars.FindVariable("COUNT"), nullptr);
  EXPECT_EQ(vars.FindVariable("Coun"), nullptr);
  EXPECT_EQ(vars.Count(), 2);
  EXPECT_EQ(vars.CountOfType(K_VAR_BYTE), 1);
  EXPECT_EQ(vars.CountOfType(K_VAR_WORD), 1);
  EXPECT_EQ(vars.CountOfType(K_VAR_LONG), 0);
  EXPECT_EQ(vars.NameBytes(), 12);
}

TEST(VariableDeclaration, KindsAreKept) {
  CVariableLL vars;
  ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE p = 1"), 0);
  ASSERT_EQ(vars.Declare(K_VAR_WORD, K_KIND_X, "XWORD x = 2"), 0);
  ASSERT_EQ(vars.Declare(K_VAR_LONG, K_KIND_S, "SLONG s = 3"), 0);
  EXPECT_EQ(vars.FindVariable("p")->kind, K_KIND_PLAIN);
  EXPECT_EQ(vars.FindVariable("x")->kind, K_KIND_X);
  EXPECT_TRUE(vars.FindVariable("s")->IsStatic());
  EXPECT_FALSE(vars.FindVariable("x")->IsStatic());
}

TEST(VariableDeclaration, OverlongAndOddInputIsHandledSafely) {
  CVariableLL vars;
  const std::string name(4000, 'v');
  ASSERT_EQ(vars.Declare(K_VAR_LONG, K_KIND_PLAIN, "LONG " + name + " = 7"), 0);
  ASSERT_NE(vars.FindVariable(name), nullptr);
  EXPECT_EQ(vars.FindVariable(name)->lValue, 7u);
  // A value far beyond any class and a garbage number.
  EXPECT_EQ(vars.Declare(K_VAR_LONG, K_KIND_PLAIN, "LONG big = " + std::string(500, '9')),
            K_OP_LONG_INVALID_ASSIGNMENT);
  EXPECT_EQ(vars.Declare(K_VAR_WORD, K_KIND_PLAIN, "WORD g = 12..3h"), 0);
  EXPECT_EQ(vars.FindVariable("g")->wValue, 0);
  EXPECT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, ""), K_OP_BYTE_INVALID_ASSIGNMENT);
  EXPECT_EQ(vars.Declare(7, K_KIND_PLAIN, "BYTE z = 1"), K_OP_BYTE_INVALID_ASSIGNMENT);
  EXPECT_EQ(vars.NewLink("", uint8_t{1}, K_KIND_PLAIN), -2);
}

struct DefineCase {
  const char* line;
  int expected;
  int32_t type;
  uint32_t value;
};

TEST(Define, DeclaresStaticOfSmallestWidth) {
  const DefineCase cases[] = {
      {"#DEFINE K 0x1", 0, K_VAR_BYTE, 0x1},
      {"#DEFINE K 0xFF", 0, K_VAR_BYTE, 0xFF},
      {"#DEFINE K 0x123", 0, K_VAR_WORD, 0x123},  // "0x" takes any count up to 8
      {"#DEFINE K 0x1234", 0, K_VAR_WORD, 0x1234},
      {"#DEFINE K 0x12345", 0, K_VAR_LONG, 0x12345},
      {"#DEFINE K 0xDEADBEEF", 0, K_VAR_LONG, 0xDEADBEEF},
      {"#DEFINE K 0x123456789", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE K 0x", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE K 0xG1", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE K 0X12", 0, K_VAR_BYTE, 0x12},  // upper-case X: number classes
      {"#DEFINE K 0X123", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE K 7", 0, K_VAR_BYTE, 7},
      {"#DEFINE K 300", 0, K_VAR_WORD, 300},
      {"#DEFINE K 70000", 0, K_VAR_LONG, 70000},
      {"#DEFINE K 1234h", 0, K_VAR_WORD, 0x1234},
      {"#DEFINE K 1.5", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE K 2147483647", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE K other", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE K", K_DEFINE_ERROR, 0, 0},
      {"#DEFINE", K_DEFINE_ERROR, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    CVariableLL vars;
    EXPECT_EQ(vars.Define(c.line), c.expected);
    if (c.expected != 0) {
      EXPECT_EQ(vars.Count(), 0);
      continue;
    }
    const VARI_LL* v = vars.FindVariable("K");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->Unsigned(), c.value);
    EXPECT_TRUE(v->IsStatic());
  }
}

TEST(Define, ConstantsRefuseAssignmentStaticDeclarationsDoNot) {
  CVariableLL vars;
  vars.SetTestMode(false);
  ASSERT_EQ(vars.Define("#DEFINE MAX 0x10"), 0);
  ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_S, "SBYTE s = 1"), 0);
  KCompiledAssign a;
  EXPECT_EQ(CompileAssignment("MAX = 5", vars, nullptr, a), VARI_UNABLE_TO_PROCESS_VARIABLE);
  EXPECT_EQ(vars.ProcessVariable("MAX += 1"), -1);
  EXPECT_EQ(vars.FindVariable("MAX")->bValue, 0x10);
  EXPECT_TRUE(vars.FindVariable("MAX")->IsStatic());  // still a CASE value

  ASSERT_EQ(CompileAssignment("s += MAX", vars, nullptr, a), 0);
  EXPECT_EQ(ExecuteAssign(a, vars), 0);
  EXPECT_EQ(vars.FindVariable("s")->bValue, 0x11);
}

TEST(Define, DuplicateReportsTheWidthsCode) {
  CVariableLL vars;
  ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE K = 1"), 0);
  EXPECT_EQ(vars.Define("#DEFINE K 0x12"), BYTE_DUPLICATE_NAME_DETECTED);
  EXPECT_EQ(vars.Define("#DEFINE K 0x1234"), WORD_DUPLICATE_NAME_DETECTED);
  EXPECT_EQ(vars.Define("#DEFINE K 70000"), LONG_DUPLICATE_NAME_DETECTED);
}

TEST(VariableText, IsItANumberAcceptsOnlyDigitsHexLettersPointAndH) {
  const struct {
    const char* text;
    bool number;
  } cases[] = {
      {"", true},    {"12", true},  {"12h", true},  {"FFH", true}, {"abc", true}, {"1.5", true},  {"0x12", false},
      {"-5", false}, {"+5", false}, {"1 2", false}, {"G", false},  {"x", false},  {"12,", false},
  };
  for (const auto& c : cases) EXPECT_EQ(CVariableLL::IsItANumber(c.text), c.number) << c.text;
}

TEST(VariableText, ProcessVariableResults) {
  CVariableLL vars;
  vars.SetTestMode(false);
  ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE b = 10"), 0);
  ASSERT_EQ(vars.Declare(K_VAR_DOUBLE, K_KIND_PLAIN, "DOUBLE d = 1.0"), 0);
  const struct {
    const char* statement;
    int expected;
  } cases[] = {
      {"nosuch = 1", -1}, {"b", -3},      {"b == 1", -3}, {"b =1", -3},   {"b =", -2},      {"b = nosuch", -2},
      {"b /= 0", -1},     {"b %= 0", -1}, {"d |= 1", -1}, {"b |= d", -1}, {"b += 0x12", 0}, {"b = d", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(vars.ProcessVariable(c.statement), c.expected) << c.statement;
  EXPECT_EQ(vars.FindVariable("b")->bValue, 1);  // the last assignment copied d
}

TEST(VariableText, TestModeChecksButChangesNothing) {
  CVariableLL vars;  // a new list is in test mode, as during a load
  ASSERT_TRUE(vars.TestMode());
  ASSERT_EQ(vars.Declare(K_VAR_WORD, K_KIND_PLAIN, "WORD w = 7"), 0);
  VARI_LL& w = *vars.FindVariable("w");
  EXPECT_EQ(vars.ProcessVariable("w += 5"), 0);
  EXPECT_EQ(vars.ProcessVariable("w /= 0"), -1);
  EXPECT_EQ(w.wValue, 7);
  EXPECT_EQ(w.altered, 0);

  vars.SetTestMode(false);
  EXPECT_EQ(vars.ProcessVariable("w += 5"), 0);
  EXPECT_EQ(w.wValue, 12);
  EXPECT_EQ(w.altered, 1);
  vars.ClearAltered();
  EXPECT_EQ(w.altered, 0);
}

TEST(VariableList, KillLinksEmptiesEverything) {
  CVariableLL vars;
  ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE a = 1"), 0);
  ASSERT_EQ(vars.Declare(K_VAR_DOUBLE, K_KIND_PLAIN, "DOUBLE b = 1.0"), 0);
  vars.KillLinks();
  EXPECT_EQ(vars.Count(), 0);
  EXPECT_EQ(vars.CountOfType(K_VAR_DOUBLE), 0);
  EXPECT_EQ(vars.NameBytes(), 0);
  EXPECT_EQ(vars.FindVariable("a"), nullptr);
  EXPECT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE a = 2"), 0);  // the name is free again
}

TEST(VariableValue, SetUnsignedAndSetDoubleFollowTheWidth) {
  CVariableLL vars;
  ASSERT_EQ(vars.NewLink("b", uint8_t{0}, K_KIND_PLAIN), 0);
  ASSERT_EQ(vars.NewLink("d", 0.0, K_KIND_PLAIN), 0);
  VARI_LL& b = *vars.FindVariable("b");
  VARI_LL& d = *vars.FindVariable("d");
  b.SetUnsigned(0x1234);
  EXPECT_EQ(b.bValue, 0x34);
  d.SetUnsigned(0xFFFFFFFF);
  EXPECT_DOUBLE_EQ(d.dValue, 4294967295.0);
  EXPECT_TRUE(b.SetDouble(-1.0));
  EXPECT_EQ(b.bValue, 0xFF);
  EXPECT_FALSE(b.SetDouble(NAN));
  EXPECT_EQ(b.bValue, 0xFF);
}

}  // namespace

// ---- whole scripts through the engine ----

namespace {

class VariableScriptTest : public EngineTest {};

TEST_F(VariableScriptTest, PlainDeclarationResetsWhenPassedStaticKeepsItsValue) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION t\n"
                       "BYTE n = 0\n"
                       "START:\n"
                       "BYTE p = 5\n"
                       "SBYTE s = 5\n"
                       "XWORD x = 0x0100\n"
                       "p += 1\n"
                       "s += 1\n"
                       "x += 1\n"
                       "n += 1\n"
                       "IF n < 3 JUMP START\n"),
            0);
  EXPECT_EQ(Value("n"), 3u);
  EXPECT_EQ(Value("p"), 6u);      // set back to 5 on every pass
  EXPECT_EQ(Value("s"), 8u);      // declared once
  EXPECT_EQ(Value("x"), 0x103u);  // X behaves as S
}

// A "0x" constant runs as it loaded, in a statement and in the run-time copy
// of a plain declaration.
TEST_F(VariableScriptTest, HexConstantsRunAsTheyLoaded) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION t\n"
                       "LONG a = 0x12345678\n"
                       "BYTE b = 0x12\n"
                       "START:\n"
                       "a &= 0x0FFFFFFF\n"
                       "b += 0x01\n"),
            0);
  EXPECT_EQ(Value("a"), 0x02345678u);
  EXPECT_EQ(Value("b"), 0x13u);
}

TEST_F(VariableScriptTest, RunTimeFailuresStopTheRun) {
  const struct {
    const char* statement;
    int32_t code;
  } cases[] = {
      {"b /= 0", VARIABLE_PROCESSING_ERROR},
      {"b %= zero", VARIABLE_PROCESSING_ERROR},
      {"d |= 1", EXE_UNABLE_TO_PROCESS_VARIABLE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    const std::string script = std::string("DESCRIPTION t\nBYTE b = 7\nBYTE zero = 0\nDOUBLE d = 1.0\n") + "START:\n" +
                               c.statement + "\nb = 9\n";
    EXPECT_EQ(LoadAndRun(script), 1);
    EXPECT_EQ(engine.GetErrorCode(), c.code);
    EXPECT_EQ(Value("b"), 7u);  // stopped before the next statement
  }
}

TEST_F(VariableScriptTest, BadAssignmentsAreReportedAtLoad) {
  const struct {
    const char* statement;
    const char* report;
  } cases[] = {
      {"b == 1", "VARI_MISSING_OPERATOR"},
      {"b = nosuch", "VARI_UNABLE_TO_PROCESS_VARIABLE"},
      {"b+=1", "UNRECOGNIZABLE_LINE"},               // without blanks the first word is no variable
      {"K = 1", "VARI_UNABLE_TO_PROCESS_VARIABLE"},  // a #DEFINE constant
      {"DIMENSION nosuch 16", "K_DIMENSION_INVALID_BUFFER_DETECTED"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    std::string out;
    EXPECT_EQ(LoadAndRun(std::string("DESCRIPTION t\nBYTE b = 7\n#DEFINE K 1\nSTART:\n") + c.statement + "\n", &out),
              10);
    EXPECT_NE(out.find(c.report), std::string::npos) << out;
  }
}

TEST_F(VariableScriptTest, BadDeclarationsAreReportedWithTheirCodes) {
  std::string out;
  EXPECT_EQ(LoadAndRun("DESCRIPTION t\n"
                       "BYTE b = 300\n"
                       "LONG n = 2147483647\n"
                       "DOUBLE d = 5\n"
                       "WORD w =5\n"
                       "BYTE b2 = 1\n"
                       "WORD b2 = 1\n"
                       "#DEFINE K 1.5\n"
                       "START:\n"
                       "b2 = 2\n",
                       &out),
            10);
  for (const char* name :
       {"K_OP_BYTE_INVALID_ASSIGNMENT", "K_OP_LONG_INVALID_ASSIGNMENT", "K_OP_FLOAT_INVALID_ASSIGNMENT",
        "K_OP_WORD_INVALID_OPERATOR", "WORD_DUPLICATE_NAME_DETECTED", "-8000"})
    EXPECT_NE(out.find(name), std::string::npos) << name << "\n" << out;
}

}  // namespace
