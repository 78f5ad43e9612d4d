// Assignment arithmetic (compiled and text forms agree), compile-time checks
// of assignment statements, operands of conditions and DIMENSION.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "script/core/error_fx.h"
#include "script/core/expression.h"
#include "script/core/variables.h"
#include "script/core/variables_array.h"

namespace {

// A fixed set of variables: destinations b, w, l, d and operand variables of
// every width.
void DeclareFixture(CVariableLL& vars) {
  const char* lines[][2] = {
      {"0", "BYTE b = 0"},
      {"1", "WORD w = 0"},
      {"2", "LONG l = 0"},
      {"3", "DOUBLE d = 0.0"},
      {"0", "BYTE b9 = 9"},
      {"1", "WORD w1234 = 0x1234"},
      {"2", "LONG l10002 = 0x00010002"},
      {"2", "LONG l10000 = 0x00010000"},
      {"2", "LONG lmax = 0xFFFFFFFF"},
      {"3", "DOUBLE d300 = 300.7"},
      {"3", "DOUBLE dm1 = 1.0"},
      {"3", "DOUBLE d29 = 2.9"},
      {"3", "DOUBLE dhalf = 0.5"},
      {"3", "DOUBLE dmilli = 0.001"},
      {"3", "DOUBLE dnan = 0.0"},
  };
  for (auto& l : lines) ASSERT_EQ(vars.Declare(l[0][0] - '0', K_KIND_PLAIN, l[1]), 0) << l[1];
  vars.FindVariable("dm1")->dValue = -1.0;
  vars.FindVariable("dnan")->dValue = std::nan("");
  vars.SetTestMode(false);
}

struct ArithmeticCase {
  const char* dest;
  double initial;
  const char* statement;
  bool ok;
  double expected;  // destination value after a successful statement
};

// Every operator at every width, with wrap-around, width cuts and mixed types.
const ArithmeticCase kArithmetic[] = {
    // byte
    {"b", 250, "b += 10", true, 4},
    {"b", 5, "b -= 10", true, 251},
    {"b", 16, "b *= 17", true, 16},
    {"b", 200, "b /= 7", true, 28},
    {"b", 200, "b %= 7", true, 4},
    {"b", 0x0F, "b |= F0h", true, 0xFF},
    {"b", 0x3C, "b &= 0Fh", true, 0x0C},
    {"b", 0xFF, "b ^= 0Fh", true, 0xF0},
    {"b", 0x3C, "b <<= 4", true, 0xC0},
    {"b", 0xF0, "b >>= 2", true, 0x3C},
    {"b", 1, "b <<= 8", true, 0},
    {"b", 0, "b = 300", true, 44},      // low 8 bits
    {"b", 0, "b = 70000", true, 0xFF},  // class 4 converts to all ones
    {"b", 0, "b = w1234", true, 0x34},
    {"b", 0, "b = d300", true, 44},  // truncated, then cut
    {"b", 0, "b = dm1", true, 0xFF},
    {"b", 3, "b += d29", true, 5},
    {"b", 7, "b = b9", true, 9},
    {"b", 7, "b /= 0", false, 0},
    {"b", 7, "b %= 0", false, 0},
    {"b", 7, "b /= w1234", true, 0},    // divisor 0x34
    {"b", 7, "b /= l10000", false, 0},  // low 8 bits of the divisor are 0
    {"b", 7, "b |= d29", false, 0},
    {"b", 7, "b %= d29", false, 0},
    {"b", 7, "b <<= d29", false, 0},
    {"b", 7, "b = dnan", false, 0},
    {"b", 0, "b LOG10 1000", true, 3},
    {"b", 0, "b LOG10 dmilli", true, 0xFD},  // -3 cut to a byte
    {"b", 7, "b LOG10 0", false, 0},
    // word
    {"w", 65535, "w += 1", true, 0},
    {"w", 0, "w -= 1", true, 65535},
    {"w", 300, "w *= 300", true, 24464},
    {"w", 0xFFFF, "w >>= 20", true, 0},
    {"w", 0x1234, "w <<= 4", true, 0x2340},
    {"w", 100, "w /= l10002", true, 50},  // low 16 bits of the long divisor
    {"w", 100, "w %= l10000", false, 0},
    {"w", 0, "w = 70000", true, 0xFFFF},
    {"w", 0, "w = 1.5", true, 0xFFFF},
    {"w", 0, "w = lmax", true, 0xFFFF},
    {"w", 0, "w LOG10 99", true, 1},
    // long
    {"l", 4294967295.0, "l += 1", true, 0},
    {"l", 0, "l -= 1", true, 4294967295.0},
    {"l", 65536, "l *= l10000", true, 0},
    {"l", 1, "l <<= 31", true, 2147483648.0},
    {"l", 1, "l <<= 40", true, 0},
    {"l", 0x80000000, "l >>= 31", true, 1},
    {"l", 10, "l += d29", true, 12},
    {"l", 10, "l /= dhalf", false, 0},  // truncated divisor is 0
    {"l", 0, "l = 3000000000", true, 4294967295.0},
    {"l", 0, "l = 12345678h", true, 0x12345678},
    {"l", 0, "l = lmax", true, 4294967295.0},
    {"l", 0, "l LOG10 l10000", true, 4},
    {"l", 0, "l LOG10 dm1", false, 0},
    // double
    {"d", 0, "d = 5", true, 5},
    {"d", 1, "d += 1.5", true, 2.5},
    {"d", 10, "d -= 0.25", true, 9.75},
    {"d", 3, "d *= 1.5", true, 4.5},
    {"d", 9, "d /= 4", true, 2.25},
    {"d", 0, "d = 10h", true, 16},
    {"d", 0, "d = lmax", true, 4294967295.0},  // integers are unsigned
    {"d", 0, "d = b9", true, 9},
    {"d", 0, "d LOG10 1000", true, 3},
    {"d", 0, "d LOG10 dmilli", true, -3},
    {"d", 1, "d |= 1", false, 0},
    {"d", 1, "d &= 1", false, 0},
    {"d", 1, "d ^= 1", false, 0},
    {"d", 1, "d %= 1", false, 0},
    {"d", 1, "d <<= 1", false, 0},
    {"d", 1, "d >>= 1", false, 0},
    {"d", 1, "d LOG10 0", false, 0},
};

TEST(Assignment, OperatorsAtEveryWidthCompiledAndTextAgree) {
  for (const auto& c : kArithmetic) {
    SCOPED_TRACE(c.statement);
    CVariableLL vars;
    DeclareFixture(vars);
    VARI_LL& dest = *vars.FindVariable(c.dest);
    if (dest.IsDouble()) {
      dest.dValue = c.initial;
    } else {
      dest.SetUnsigned(static_cast<uint32_t>(c.initial));
    }
    vars.ClearAltered();

    KCompiledAssign a;
    ASSERT_EQ(CompileAssignment(c.statement, vars, nullptr, a), 0);
    const int result = ExecuteAssign(a, vars);
    EXPECT_EQ(result, c.ok ? 0 : VARIABLE_PROCESSING_ERROR);
    EXPECT_EQ(dest.altered, c.ok ? 1 : 0);
    const double compiled = dest.AsDouble();
    // A refused statement changes nothing.
    EXPECT_DOUBLE_EQ(compiled, c.ok ? c.expected : c.initial);

    // The text form from the same start gives the same result.
    if (dest.IsDouble()) {
      dest.dValue = c.initial;
    } else {
      dest.SetUnsigned(static_cast<uint32_t>(c.initial));
    }
    EXPECT_EQ(vars.ProcessVariable(c.statement) == 0, c.ok);
    EXPECT_DOUBLE_EQ(dest.AsDouble(), compiled);
  }
}

// What the loader accepted as a constant runs: "0x" and "h" alike.
TEST(Assignment, HexConstantsRunAsTheyLoaded) {
  const struct {
    const char* statement;
    const char* dest;
    uint32_t value;
  } cases[] = {
      {"b = 0x12", "b", 0x12},
      {"b = 12h", "b", 0x12},
      {"l = 0xFFFFFFFF", "l", 0xFFFFFFFF},
      {"lmax &= 0x0FFFFFFF", "lmax", 0x0FFFFFFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    CVariableLL vars;
    DeclareFixture(vars);
    KCompiledAssign a;
    ASSERT_EQ(CompileAssignment(c.statement, vars, nullptr, a), 0);
    EXPECT_FALSE(a.runRejects);
    EXPECT_EQ(ExecuteAssign(a, vars), 0);
    EXPECT_EQ(vars.FindVariable(c.dest)->AsDouble(), static_cast<double>(c.value));
  }
}

TEST(Assignment, CompiledFormReadsOperandVariablesAtRunTime) {
  CVariableLL vars;
  DeclareFixture(vars);
  KCompiledAssign a;
  ASSERT_EQ(CompileAssignment("l += b9", vars, nullptr, a), 0);
  VARI_LL& b9 = *vars.FindVariable("b9");
  for (uint32_t step = 1; step <= 3; ++step) {
    b9.SetUnsigned(step);
    ASSERT_EQ(ExecuteAssign(a, vars), 0);
  }
  EXPECT_EQ(vars.FindVariable("l")->lValue, 6u);
}

TEST(Assignment, TestModeLeavesValuesButStillReportsFaults) {
  CVariableLL vars;
  DeclareFixture(vars);
  vars.SetTestMode(true);
  KCompiledAssign add, div;
  ASSERT_EQ(CompileAssignment("w += 5", vars, nullptr, add), 0);
  ASSERT_EQ(CompileAssignment("w /= 0", vars, nullptr, div), 0);
  EXPECT_EQ(ExecuteAssign(add, vars), 0);
  EXPECT_EQ(ExecuteAssign(div, vars), VARIABLE_PROCESSING_ERROR);
  EXPECT_EQ(vars.FindVariable("w")->wValue, 0);
  EXPECT_EQ(vars.FindVariable("w")->altered, 0);
}

// Log pages and buffers known to the compiler in these tests.
class TestNames : public KScriptNames {
 public:
  std::map<std::string, int32_t, std::less<>> pages{{"PG2", 2}, {"EVT", 7}, {"FACE", 0x0C}};
  std::map<std::string, KByteArray*, std::less<>> arrays;
  KByteArray* FindArray(std::string_view name) const override {
    auto it = arrays.find(name);
    return it == arrays.end() ? nullptr : it->second;
  }
  int32_t LogPageCode(std::string_view tag) const override {
    auto it = pages.find(tag);
    return it == pages.end() ? -1 : it->second;
  }
};

TEST(Assignment, CompileChecksAndTypeCodes) {
  CVariableLL vars;
  DeclareFixture(vars);
  TestNames names;
  const struct {
    const char* statement;
    int expected;
    int32_t opCode;
    uint16_t typeCode;
  } cases[] = {
      {"b", 0, K_ASSIGN_NONE, 0x01},
      {"b = 5", 0, K_ASSIGN_EQUATE, 0x51},
      {"w += 300", 0, K_ASSIGN_PLUS, 0x62},
      {"l -= 70000", 0, K_ASSIGN_MINUS, 0x73},
      {"d *= 1.5", 0, K_ASSIGN_TIMES, 0x84},
      {"b /= w1234", 0, K_ASSIGN_DIVIDE, 0x21},
      {"d |= lmax", 0, K_ASSIGN_OR, 0x34},
      {"l &= d29", 0, K_ASSIGN_AND, 0x43},
      {"b ^= b9", 0, K_ASSIGN_XOR, 0x11},
      {"b %= 3", 0, K_ASSIGN_MOD, 0x51},
      {"b >>= 3", 0, K_ASSIGN_SHR, 0x51},
      {"b <<= 3", 0, K_ASSIGN_SHL, 0x51},
      {"d LOG10 b9", 0, K_ASSIGN_LOG10, 0x14},
      {"l = PG2->5", 0, K_ASSIGN_EQUATE, 0x03},
      {"l = PG2 5", 0, K_ASSIGN_EQUATE, 0x03},
      {"l = EVT->anything", 0, K_ASSIGN_EQUATE, 0x03},  // page 7: no check of the parameter
      {"l = PG2->zz", VARI_INVALID_PAGE_PARM_VALUE, 0, 0},
      {"l = NOPAGE->5", VARI_UNABLE_TO_PROCESS_VARIABLE, 0, 0},
      {"l = nosuch", VARI_UNABLE_TO_PROCESS_VARIABLE, 0, 0},
      {"l = -5", VARI_UNABLE_TO_PROCESS_VARIABLE, 0, 0},
      {"b == 5", VARI_MISSING_OPERATOR, 0, 0},
      {"b =5", VARI_MISSING_OPERATOR, 0, 0},
      {"b += ", VARI_MISSING_ARGUMENT, 0, 0},
      {"b +=", VARI_MISSING_ARGUMENT, 0, 0},
      {"b ! 5", VARI_MISSING_OPERATOR, 0, 0},
      {"b log10 5", VARI_MISSING_OPERATOR, 0, 0},
      {"nosuch = 5", VARI_UNABLE_TO_PROCESS_VARIABLE, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    KCompiledAssign a;
    ASSERT_EQ(CompileAssignment(c.statement, vars, &names, a), c.expected);
    if (c.expected != 0) continue;
    EXPECT_EQ(a.opCode, c.opCode);
    EXPECT_EQ(a.typeCode, c.typeCode);
  }
}

TEST(Assignment, LogPageOperandsAreLeftToTheEngine) {
  CVariableLL vars;
  DeclareFixture(vars);
  TestNames names;
  KCompiledAssign a;
  ASSERT_EQ(CompileAssignment("l += PG2->0012h", vars, &names, a), 0);
  EXPECT_TRUE(a.IsLogPage());
  EXPECT_EQ(a.pageTag, "PG2");
  EXPECT_EQ(a.pageParm, "0012h");
  EXPECT_EQ(a.pageCode, 2);
  // The engine fetches the value and applies it with the shared rules.
  ASSERT_EQ(ApplyAssign(*a.dest, a.opCode, KValue::Int(40), vars.TestMode()), 0);
  EXPECT_EQ(vars.FindVariable("l")->lValue, 40u);
  EXPECT_EQ(ExecuteAssign(a, vars), VARIABLE_PROCESSING_ERROR);

  // A lone tag of hexadecimal letters passes the run's number check and then
  // is neither number nor variable.
  KCompiledAssign lone;
  ASSERT_EQ(CompileAssignment("l = FACE", vars, &names, lone), 0);
  EXPECT_TRUE(lone.runRejects);
}

TEST(Assignment, ConstantFieldsKeepTheConvertedValue) {
  CVariableLL vars;
  DeclareFixture(vars);
  KCompiledAssign a;
  ASSERT_EQ(CompileAssignment("b = 300", vars, nullptr, a), 0);
  EXPECT_EQ(a.WordConstant(), 300);
  EXPECT_EQ(a.ByteConstant(), 44);
  ASSERT_EQ(CompileAssignment("d = 2.5", vars, nullptr, a), 0);
  EXPECT_DOUBLE_EQ(a.DoubleConstant(), 2.5);
}

// ---- operands of conditions and buffers ----

struct OperandFixture {
  CVariableLL vars;
  TestNames names;
  KByteArray buf;
  OperandFixture() {
    DeclareFixture(vars);
    EXPECT_TRUE(buf.Allocate(4));
    for (uint8_t i = 0; i < 4; ++i) buf.data[i] = static_cast<uint8_t>(0xF0 + i);
    names.arrays["buf"] = &buf;
  }
};

TEST(ConditionOperand, NumbersVariablesAndBufferBytes) {
  OperandFixture f;
  f.vars.FindVariable("b")->SetUnsigned(2);
  const struct {
    const char* text;
    int expected;
    double value;
  } cases[] = {
      {"5", 0, 5},
      {"0xFFFFFFFF", 0, -1},  // literals are signed 32-bit values
      {"FFFFFFFFh", 0, -1},
      {"3000000000", 0, 3e9},
      {"1.25", 0, 1.25},
      {"lmax", 0, 4294967295.0},  // variables are unsigned
      {"d300", 0, 300.7},
      {"buf[1]", 0, 0xF1},
      {"buf [ 3 ]", 0, 0xF3},
      {"buf[b]", 0, 0xF2},
      {"buf[]", K_IF_ARG1_BUFFER_MISSING_INDEX_FIELD, 0},
      {"buf[ d29 ]", K_IF_ARG1_BUFFER_INVALID_INDEX_FIELD, 0},
      {"buf[zz]", K_IF_ARG1_BUFFER_INVALID_INDEX_FIELD, 0},
      {"buf[1.5]", K_IF_ARG1_BUFFER_INVALID_INDEX_FIELD, 0},
      {"buf", -1, 0},
      {"buf[1", -1, 0},
      {"buf[1]x", -1, 0},
      {"other[1]", -1, 0},
      {"nosuch", -1, 0},
      {"-5", -1, 0},
      {"", -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    KOperand o;
    ASSERT_EQ(CompileOperand(c.text, f.vars, &f.names, o), c.expected);
    if (c.expected != 0) continue;
    double v = 0;
    ASSERT_EQ(ReadOperand(o, v), 0);
    EXPECT_DOUBLE_EQ(v, c.value);
  }
}

TEST(ConditionOperand, IndexIsCheckedAgainstTheCurrentSize) {
  OperandFixture f;
  KOperand byIndex, byVariable;
  ASSERT_EQ(CompileOperand("buf[4]", f.vars, &f.names, byIndex), 0);
  ASSERT_EQ(CompileOperand("buf[l]", f.vars, &f.names, byVariable), 0);
  f.vars.FindVariable("l")->SetUnsigned(0xFFFFFFFF);
  double v = 0;
  EXPECT_EQ(ReadOperand(byIndex, v), K_IF_ARG1_BUFFER_INDEX_RANGE_ERRROR);
  EXPECT_EQ(ReadOperand(byVariable, v), K_IF_ARG1_BUFFER_INDEX_RANGE_ERRROR);

  // After DIMENSION the same compiled operand sees the new storage.
  KDimensionForm form;
  ASSERT_EQ(CompileDimension("buf 8", f.vars, f.names, form), 0);
  ASSERT_EQ(RunDimension(form, nullptr), 0);
  ASSERT_EQ(ReadOperand(byIndex, v), 0);
  EXPECT_EQ(v, 0);  // new storage starts zeroed
}

TEST(Dimension, CompileErrors) {
  OperandFixture f;
  const struct {
    const char* args;
    int expected;
  } cases[] = {
      {"buf 16", 0},
      {"buf 0x00010000", 0},
      {"buf w", 0},
      {"buf lmax", 0},
      {"nosuch 16", K_DIMENSION_INVALID_BUFFER_DETECTED},
      {"", K_DIMENSION_INVALID_BUFFER_DETECTED},
      {"buf 0", K_DIMENSION_SIZE_RANGE_ERROR},
      {"buf 1.5", K_DIMENSION_SIZE_NUMBER_ERROR},
      {"buf 3000000000", K_DIMENSION_SIZE_NUMBER_ERROR},
      {"buf zz", K_DIMENSION_SIZE_NUMBER_ERROR},
      {"buf", K_DIMENSION_SIZE_NUMBER_ERROR},
      {"buf d29", K_DIMENSION_SIZE_VARIABLE_ERROR},
  };
  for (const auto& c : cases) {
    KDimensionForm form;
    EXPECT_EQ(CompileDimension(c.args, f.vars, f.names, form), c.expected) << c.args;
  }
}

TEST(Dimension, RunReplacesStorageAndRepointsHolders) {
  OperandFixture f;
  KDimensionForm form;
  ASSERT_EQ(CompileDimension("buf w", f.vars, f.names, form), 0);

  // A holder of the old bytes (as a CDB is) is moved to the new storage.
  const uint8_t* held = f.buf.data.get();
  uint32_t heldSize = f.buf.size;
  auto repoint = [&](const uint8_t* oldData, uint8_t* newData, uint32_t newSize) {
    if (held == oldData) {
      held = newData;
      heldSize = newSize;
    }
  };

  EXPECT_EQ(RunDimension(form, repoint), KRT_DIMENSION_SIZE_ERROR);  // w is 0
  EXPECT_EQ(f.buf.size, 4u);

  f.vars.FindVariable("w")->SetUnsigned(300);
  ASSERT_EQ(RunDimension(form, repoint), 0);
  EXPECT_EQ(f.buf.size, 300u);
  EXPECT_EQ(held, f.buf.data.get());
  EXPECT_EQ(heldSize, 300u);
  EXPECT_EQ(f.buf.data[299], 0);

  // Sizes beyond what a script may ask for are refused, the storage kept.
  f.vars.FindVariable("w")->SetUnsigned(0);
  KDimensionForm huge;
  ASSERT_EQ(CompileDimension("buf lmax", f.vars, f.names, huge), 0);
  EXPECT_EQ(RunDimension(huge, repoint), KRT_DIMENSION_NEW_BUFFER_CREATION_ERROR);
  EXPECT_EQ(f.buf.size, 300u);
  EXPECT_EQ(held, f.buf.data.get());
}

}  // namespace
