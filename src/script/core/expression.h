// Compiled assignments and operands.
//
// The compiler turns an assignment statement ("count += 1") once, in phase 2,
// into a KCompiledAssign: resolved destination and source variables, the
// constant already converted for the destination's width, the operation code.
// The run then evaluates it with ExecuteAssign, which neither parses text nor
// looks up names nor allocates. Conditions compile their operands the same way
// (CompileOperand) and read them with ReadOperand.
//
// Compiled forms hold VARI_LL and KByteArray pointers: they stay valid until
// the variable list and the buffers are released by the next load.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/core/error_fx.h"
#include "script/core/variables.h"
#include "script/core/variables_array.h"

// Operation codes of a compiled assignment.
enum KAssignOp : int32_t {
  K_ASSIGN_NONE = 0,  // statement without operand: does nothing
  K_ASSIGN_EQUATE = 1,
  K_ASSIGN_PLUS = 2,
  K_ASSIGN_MINUS = 3,
  K_ASSIGN_TIMES = 4,
  K_ASSIGN_DIVIDE = 5,
  K_ASSIGN_OR = 6,
  K_ASSIGN_AND = 7,
  K_ASSIGN_XOR = 8,
  K_ASSIGN_MOD = 9,
  K_ASSIGN_SHR = 10,
  K_ASSIGN_SHL = 11,
  K_ASSIGN_LOG10 = 12,
};

// Operand kinds, as kept in bits 4-7 of the type code.
enum KOperandCode : uint16_t {
  K_OPND_LOGPAGE = 0,
  K_OPND_VAR_BYTE = 1,    // 1..4: variable of type 0..3
  K_OPND_CONST_BYTE = 5,  // 5..8: constant of byte, word, long, double size
};

// Operator at the start of text (operator followed by a blank, or the end of
// the text), in the order the run searches them. Returns the operation code
// and the operator's length, or K_ASSIGN_NONE when none matches.
KAssignOp MatchAssignOperator(std::string_view text, size_t& length);

// One value handed to an operation: an unsigned integer or a 64-bit float.
struct KValue {
  uint32_t u = 0;
  double d = 0.0;
  bool isDouble = false;
  static KValue Int(uint32_t v) { return KValue{v, 0.0, false}; }
  static KValue Dbl(double v) { return KValue{0, v, true}; }
};

// The value a variable hands to an operation.
inline KValue ValueOf(const VARI_LL& v) {
  return v.type == K_VAR_DOUBLE ? KValue::Dbl(v.dValue) : KValue::Int(v.Unsigned());
}

// The one place of the arithmetic rules: apply operation op with operand s to
// destination d. With testMode set the result is computed and checked but not
// stored. 0 done (and d marked altered); -1 refused: bitwise, shift or
// remainder with a double on either side, an integer division or remainder by
// zero, LOG10 of a value not above 0, a NaN or infinite value into an integer,
// an unknown op.
int ApplyAssign(VARI_LL& d, int32_t op, const KValue& s, bool testMode);

// Convert a number text for a destination of the given type, the way a numeric
// operand is converted: byte and word with Aton (all ones for classes 4 and 8),
// long with AtoLn (all ones for class 8), double by its value. False when the
// text is not a number.
bool ConvertNumberFor(int32_t destType, std::string_view text, KValue& out);

struct KCompiledAssign;
// Routine the compiler picks for a statement's widths and operator, so the
// run goes straight to the arithmetic. 0 or VARIABLE_PROCESSING_ERROR.
using KAssignRunner = int (*)(const KCompiledAssign& a, bool testMode);

// One assignment statement, compiled.
struct KCompiledAssign {
  int32_t opCode = K_ASSIGN_NONE;
  // Low four bits: destination type + 1; next four: operand kind (KOperandCode).
  uint16_t typeCode = 0;
  VARI_LL* dest = nullptr;
  const VARI_LL* source = nullptr;  // variable operand
  KValue constant;                  // constant operand, converted for dest
  // The operand is neither number nor variable at run time (a lone log page
  // tag made of hexadecimal letters), so executing the statement fails.
  bool runRejects = false;

  // Log page operand ("TAG->PARM" or "TAG PARM"): the engine fetches the
  // value and applies it with ApplyAssign. Page 7 operands do nothing.
  std::string pageTag;
  std::string pageParm;
  int32_t pageCode = -1;

  KAssignRunner runner = nullptr;  // null: the general evaluation

  bool IsLogPage() const { return opCode != K_ASSIGN_NONE && (typeCode & 0xF0) == 0; }
  // The constant as the fixed-width fields of a statement record keep it.
  uint8_t ByteConstant() const { return static_cast<uint8_t>(constant.u); }
  uint16_t WordConstant() const { return static_cast<uint16_t>(constant.u); }
  uint32_t LongConstant() const { return constant.u; }
  double DoubleConstant() const { return constant.isDouble ? constant.d : static_cast<double>(constant.u); }
};

// Compile "name operator operand" whose first word is a declared variable.
// 0 done; -108 no known operator (or no blank after it); -109 nothing after
// the operator; -110 log page parameter code that is not a number; -111
// operand neither number, variable nor declared log page, or the first word
// is not a variable or is a #DEFINE constant. An empty rest compiles to
// K_ASSIGN_NONE.
int CompileAssignment(std::string_view statement, CVariableLL& vars, const KScriptNames* names, KCompiledAssign& out);

// Run a compiled assignment whose operand is a number or a variable.
// 0 done; VARIABLE_PROCESSING_ERROR (-136) when the operation is refused
// (see ApplyAssign) or the operand is one the run does not accept. Log page
// operands are the engine's to fetch: this returns -136 for them.
int ExecuteAssignGeneral(const KCompiledAssign& a, bool testMode);
inline int ExecuteAssign(const KCompiledAssign& a, CVariableLL& vars) {
  return a.runner != nullptr ? a.runner(a, vars.TestMode()) : ExecuteAssignGeneral(a, vars.TestMode());
}

// ---- operands of conditions ----

enum class KOperandKind : uint8_t { Constant, Variable, ArrayElement, PageParameter };

// One operand of a condition, compiled: a number, a variable, or one byte of
// a buffer ("NAME [ index ]" with a number or a byte, word or long variable
// as index).
struct KOperand {
  KOperandKind kind = KOperandKind::Constant;
  double constant = 0.0;
  const VARI_LL* variable = nullptr;
  const KByteArray* array = nullptr;
  const VARI_LL* indexVariable = nullptr;
  uint32_t index = 0;
  // A parameter of a loaded log page ("TAG->PARM"), fetched when read.
  const KScriptNames* names = nullptr;
  std::string pageTag, pageParm;
};

// Compile an operand text. Numbers of class 1, 2 or 4 are taken as signed
// 32-bit values (so 0xFFFFFFFF is -1), class 8 as decimal fractions. 0 done;
// -1 none of the forms (the caller reports its own unknown-argument code);
// K_IF_ARG1_BUFFER_MISSING_INDEX_FIELD (-940) empty index;
// K_IF_ARG1_BUFFER_INVALID_INDEX_FIELD (-941) double or unknown index.
int CompileOperand(std::string_view text, const CVariableLL& vars, const KScriptNames* names, KOperand& out);

// Value of a compiled operand as a 64-bit float. 0 done;
// K_IF_ARG1_BUFFER_INDEX_RANGE_ERRROR (-942) index not below the buffer size.
inline int ReadOperand(const KOperand& o, double& value) {
  switch (o.kind) {
    case KOperandKind::Constant:
      value = o.constant;
      return 0;
    case KOperandKind::Variable:
      value = o.variable->AsDouble();
      return 0;
    case KOperandKind::ArrayElement: {
      const uint32_t i = o.indexVariable ? o.indexVariable->Unsigned() : o.index;
      if (i >= o.array->size || !o.array->data) return K_IF_ARG1_BUFFER_INDEX_RANGE_ERRROR;
      value = o.array->data[i];
      return 0;
    }
    case KOperandKind::PageParameter:
      return o.names->LogPageOperand(o.pageTag, o.pageParm, value);
  }
  return -1;
}
