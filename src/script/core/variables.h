// Script variables: the record VARI_LL, the owning list CVariableLL, the
// declarations (BYTE/WORD/LONG/DOUBLE with their S and X kinds, #DEFINE) and
// the text form of the assignment operations.
//
// Variables never move once declared (each record is owned through a
// unique_ptr), so compiled statements may keep VARI_LL pointers until the
// list is emptied by KillLinks (the next load).
//
// The compiled form of assignments and of the operands read by conditions
// lives in expression.h; both forms share one set of arithmetic rules
// (ApplyAssign in expression.h), so they always give the same results.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/core/ktext.h"

// Variable widths; the numbers are those stored in VARI_LL::type.
enum KVarType : int32_t {
  K_VAR_BYTE = 0,
  K_VAR_WORD = 1,
  K_VAR_LONG = 2,
  K_VAR_DOUBLE = 3,
};

// Declaration kinds; only S variables count as constants (CASE values).
enum KVarKind : uint8_t {
  K_KIND_PLAIN = 0,
  K_KIND_X = 1,
  K_KIND_S = 2,
};

// One script variable. Integer variables are unsigned; only the value field
// of the variable's own type is used.
struct VARI_LL {
  int32_t type = K_VAR_BYTE;
  std::string name;
  double dValue = 0.0;
  uint32_t lValue = 0;
  uint16_t wValue = 0;
  uint8_t bValue = 0;
  uint8_t altered = 0;
  uint8_t kind = K_KIND_PLAIN;
  // Declared by #DEFINE: a named constant, which assignment statements may
  // not change (an SBYTE... declaration may be assigned).
  uint8_t defined = 0;

  bool IsDouble() const { return type == K_VAR_DOUBLE; }
  bool IsStatic() const { return kind == K_KIND_S; }

  // Integer value of a byte, word or long variable (0 for a double).
  uint32_t Unsigned() const {
    switch (type) {
      case K_VAR_BYTE:
        return bValue;
      case K_VAR_WORD:
        return wValue;
      case K_VAR_LONG:
        return lValue;
      default:
        return 0;
    }
  }
  // Value as a 64-bit float: integers as unsigned values, doubles as they are.
  double AsDouble() const { return type == K_VAR_DOUBLE ? dValue : static_cast<double>(Unsigned()); }

  // Store a value as statements other than assignments do (GETSENSE, PEEK,
  // ASKFORNUMBER...): an integer is cut to the variable's width, a double
  // variable takes it as an unsigned value. Marks the variable altered.
  void SetUnsigned(uint32_t value);
  // Store a 64-bit float: a double variable takes it as is; an integer
  // variable takes it truncated toward zero and cut to its width. Returns
  // false (nothing stored) for a NaN or infinite value into an integer.
  bool SetDouble(double value);
};

class CVariableLL : public KText {
 public:
  CVariableLL();
  ~CVariableLL() override;
  CVariableLL(const CVariableLL&) = delete;
  CVariableLL& operator=(const CVariableLL&) = delete;

  // ---- list ----

  // Append a variable. 0 done; -1 the name is already used by any variable;
  // -2 no memory (or an empty name).
  int NewLink(std::string_view name, uint8_t value, uint8_t kind);
  int NewLink(std::string_view name, uint16_t value, uint8_t kind);
  int NewLink(std::string_view name, uint32_t value, uint8_t kind);
  int NewLink(std::string_view name, double value, uint8_t kind);

  // Exact, case-sensitive lookup; null when there is no such variable.
  VARI_LL* FindVariable(std::string_view name);
  const VARI_LL* FindVariable(std::string_view name) const;

  // Drop every variable (records, names, counts). Pointers held by compiled
  // statements become invalid: call only when the statements go too.
  void KillLinks();

  int32_t Count() const { return static_cast<int32_t>(vars_.size()); }
  int32_t CountOfType(int32_t type) const;
  // Total length of all names (each with its terminator).
  int64_t NameBytes() const { return nameBytes_; }
  // Declaration order.
  const std::vector<std::unique_ptr<VARI_LL>>& Links() const { return vars_; }

  // While set, assignments check their operand but change nothing. Set by
  // CleanUp before a load, cleared by the run before its first statement.
  void SetTestMode(bool on) { testMode_ = on; }
  bool TestMode() const { return testMode_; }
  static void SetAltered(VARI_LL& v) { v.altered = 1; }
  // Clear the altered flag of one variable, or of all when v is null.
  void ClearAltered(VARI_LL* v = nullptr);

  // ---- declarations (phase 1) ----
  // Each takes the whole declaration line ("BYTE b = 5", "SWORD w = 0x1234",
  // "#DEFINE MAX 0x40") and returns 0 or the engine's error code:
  //   "=" not followed by a blank: -780/-781/-782/-783 (byte/word/long/double)
  //   no "=" or a refused number class: -367/-368/-369/-370
  //   duplicate name: -10/-8/-6/-4; no memory: -11/-9/-7/-5
  // A value that is not a number at all (a name, "-5") declares the value 0.
  // The caller appends plain declarations to the statement list itself.
  int Declare(int32_t type, uint8_t kind, std::string_view line);
  // "#DEFINE name value": an S variable of the smallest fitting width,
  // marked as a constant. Failures of the define itself give -8000; a
  // duplicate name gives the duplicate code of the chosen width.
  int Define(std::string_view line);

  // ---- text form of the assignment ----

  // True when every character is a digit, "A"-"F", "a"-"f", ".", "h" or "H"
  // (no sign, no "x"); an empty text is a number. This is the run-time gate of
  // the text evaluation: "x = 0x12" fails it.
  static bool IsItANumber(std::string_view text);

  // Evaluate "name operator operand" (operator and operand separated by a
  // blank). 0 done; -1 unknown name; -2 nothing after the operator; -3 no known
  // operator at the start of the rest; else the operation's result.
  int ProcessVariable(std::string_view statement);

  // The operations on a destination with an operand text (a number, converted
  // for the destination's width, or a variable name). 0 done; -1 operation
  // not allowed for these types, or an integer division or remainder by zero,
  // or a value that cannot be stored, or a #DEFINE constant as destination;
  // -2 operand neither a number nor a variable.
  int ProcessEquate(VARI_LL& d, std::string_view operand);
  int ProcessPlusEquals(VARI_LL& d, std::string_view operand);
  int ProcessMinusEquals(VARI_LL& d, std::string_view operand);
  int ProcessTimesEquals(VARI_LL& d, std::string_view operand);
  int ProcessDivideEquals(VARI_LL& d, std::string_view operand);
  int ProcessOrEquals(VARI_LL& d, std::string_view operand);
  int ProcessAndEquals(VARI_LL& d, std::string_view operand);
  int ProcessXorEquals(VARI_LL& d, std::string_view operand);
  int ProcessModEquals(VARI_LL& d, std::string_view operand);
  int ProcessShLEquals(VARI_LL& d, std::string_view operand);
  int ProcessShREquals(VARI_LL& d, std::string_view operand);
  int ProcessLOG10(VARI_LL& d, std::string_view operand);

 private:
  int Process(int opCode, VARI_LL& d, std::string_view operand);
  int AddLink(std::unique_ptr<VARI_LL> v);

  // Transparent hashing so lookups by string_view do not build a string.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
  };
  std::vector<std::unique_ptr<VARI_LL>> vars_;
  std::unordered_map<std::string, VARI_LL*, NameHash, std::equal_to<>> index_;
  int32_t perType_[4] = {0, 0, 0, 0};
  int64_t nameBytes_ = 0;
  bool testMode_ = true;
};
