// Assignment arithmetic, and the compiled forms of assignments and of the
// operands of conditions.
#include "script/core/expression.h"

#include <array>
#include <cmath>
#include <utility>

#include "base/text_util.h"
#include "script/core/error_fx.h"
#include "script/core/variables_words.h"

namespace {

// Operators in the order the run looks for them.
struct OperatorRow {
  std::string_view text;
  KAssignOp op;
};
constexpr OperatorRow kOperators[] = {
    {"=", K_ASSIGN_EQUATE}, {"+=", K_ASSIGN_PLUS}, {"-=", K_ASSIGN_MINUS}, {"/=", K_ASSIGN_DIVIDE},
    {"*=", K_ASSIGN_TIMES}, {"&=", K_ASSIGN_AND},  {"|=", K_ASSIGN_OR},    {"^=", K_ASSIGN_XOR},
    {"%=", K_ASSIGN_MOD},   {"<<=", K_ASSIGN_SHL}, {">>=", K_ASSIGN_SHR},  {"LOG10", K_ASSIGN_LOG10},
};

constexpr uint32_t kWidthMask[3] = {0xFFu, 0xFFFFu, 0xFFFFFFFFu};

// Truncate toward zero and keep the low 32 bits, as two's complement would
// (so -1.0 gives 0xFFFFFFFF). False for NaN and infinities.
bool TruncateToUnsigned(double x, uint32_t& out) {
  if (!std::isfinite(x)) return false;
  const double low = std::fmod(std::trunc(x), 4294967296.0);  // exact, |low| < 2^32
  out = static_cast<uint32_t>(static_cast<int64_t>(low));
  return true;
}

bool IsIntegerOnly(int32_t op) {
  return op == K_ASSIGN_OR || op == K_ASSIGN_AND || op == K_ASSIGN_XOR || op == K_ASSIGN_MOD || op == K_ASSIGN_SHL ||
         op == K_ASSIGN_SHR;
}

int ApplyToDouble(VARI_LL& d, int32_t op, const KValue& s, bool testMode) {
  const double sv = s.isDouble ? s.d : static_cast<double>(s.u);
  double r = 0.0;
  switch (op) {
    case K_ASSIGN_EQUATE:
      r = sv;
      break;
    case K_ASSIGN_PLUS:
      r = d.dValue + sv;
      break;
    case K_ASSIGN_MINUS:
      r = d.dValue - sv;
      break;
    case K_ASSIGN_TIMES:
      r = d.dValue * sv;
      break;
    case K_ASSIGN_DIVIDE:
      r = d.dValue / sv;
      break;
    case K_ASSIGN_LOG10:
      if (!(sv > 0.0)) return -1;
      r = std::log10(sv);
      break;
    default:
      return -1;  // bitwise, shift, remainder, unknown
  }
  if (!testMode) {
    d.dValue = r;
    d.altered = 1;
  }
  return 0;
}

// The integer operators on an operand already cut to the destination's
// width; the caller cuts the result. False for a division or remainder by
// zero and for ops that are not integer operators.
inline bool IntegerOp(int32_t op, uint32_t cur, uint32_t sv, uint32_t& r) {
  switch (op) {
    case K_ASSIGN_EQUATE:
      r = sv;
      return true;
    case K_ASSIGN_PLUS:
      r = cur + sv;
      return true;
    case K_ASSIGN_MINUS:
      r = cur - sv;
      return true;
    case K_ASSIGN_TIMES:
      r = cur * sv;
      return true;
    case K_ASSIGN_DIVIDE:
      if (sv == 0) return false;
      r = cur / sv;
      return true;
    case K_ASSIGN_MOD:
      if (sv == 0) return false;
      r = cur % sv;
      return true;
    case K_ASSIGN_OR:
      r = cur | sv;
      return true;
    case K_ASSIGN_AND:
      r = cur & sv;
      return true;
    case K_ASSIGN_XOR:
      r = cur ^ sv;
      return true;
    case K_ASSIGN_SHL:
      r = sv >= 32 ? 0 : cur << sv;
      return true;
    case K_ASSIGN_SHR:
      r = sv >= 32 ? 0 : cur >> sv;
      return true;
    default:
      return false;
  }
}

int ApplyToInteger(VARI_LL& d, int32_t op, const KValue& s, bool testMode) {
  const uint32_t mask = kWidthMask[d.type];
  uint32_t r = 0;
  if (op == K_ASSIGN_LOG10) {
    const double x = s.isDouble ? s.d : static_cast<double>(s.u);
    if (!(x > 0.0) || !TruncateToUnsigned(std::log10(x), r)) return -1;
  } else {
    uint32_t sv = s.u;
    if (s.isDouble) {
      if (IsIntegerOnly(op) || !TruncateToUnsigned(s.d, sv)) return -1;
    }
    // A wider operand gives only its low bits.
    if (!IntegerOp(op, d.Unsigned(), sv & mask, r)) return -1;
  }
  if (!testMode) d.SetUnsigned(r & mask);
  return 0;
}

// ---- runners: the integer rules above, specialised per destination width,
// operator and operand kind so that the run does no dispatch of its own ----

template <int Type>
inline uint32_t Field(const VARI_LL& v) {
  if constexpr (Type == K_VAR_BYTE)
    return v.bValue;
  else if constexpr (Type == K_VAR_WORD)
    return v.wValue;
  else
    return v.lValue;
}

template <int Type>
inline void Store(VARI_LL& v, uint32_t x) {
  if constexpr (Type == K_VAR_BYTE)
    v.bValue = static_cast<uint8_t>(x);
  else if constexpr (Type == K_VAR_WORD)
    v.wValue = static_cast<uint16_t>(x);
  else
    v.lValue = x;
  v.altered = 1;
}

// Source 0: the constant; 1 to 3: a byte, word or long variable.
template <int Dest, int Op, int Source>
int RunInteger(const KCompiledAssign& a, bool testMode) {
  uint32_t sv;
  if constexpr (Source == 0)
    sv = a.constant.u;
  else
    sv = Field<Source - 1>(*a.source);
  uint32_t r;
  if (!IntegerOp(Op, Field<Dest>(*a.dest), sv & kWidthMask[Dest], r)) return VARIABLE_PROCESSING_ERROR;
  if (!testMode) Store<Dest>(*a.dest, r & kWidthMask[Dest]);
  return 0;
}

constexpr int kIntegerOps = K_ASSIGN_SHL;  // codes 1 to 11; LOG10 goes the general way
using OpRow = std::array<KAssignRunner, kIntegerOps>;

template <int Dest, int Source, size_t... I>
constexpr OpRow RunnerRow(std::index_sequence<I...>) {
  return {&RunInteger<Dest, static_cast<int>(I) + 1, Source>...};
}

template <int Dest>
constexpr std::array<OpRow, 4> RunnersFor() {
  constexpr auto ops = std::make_index_sequence<kIntegerOps>{};
  return {RunnerRow<Dest, 0>(ops), RunnerRow<Dest, 1>(ops), RunnerRow<Dest, 2>(ops), RunnerRow<Dest, 3>(ops)};
}

constexpr std::array<std::array<OpRow, 4>, 3> kIntegerRunners = {RunnersFor<K_VAR_BYTE>(), RunnersFor<K_VAR_WORD>(),
                                                                 RunnersFor<K_VAR_LONG>()};

int RunNothing(const KCompiledAssign&, bool) { return 0; }
int RunRefused(const KCompiledAssign&, bool) { return VARIABLE_PROCESSING_ERROR; }

KAssignRunner ChooseRunner(const KCompiledAssign& a) {
  if (a.opCode == K_ASSIGN_NONE) return &RunNothing;
  if (a.runRejects || a.dest == nullptr || a.IsLogPage()) return &RunRefused;
  if (a.dest->IsDouble() || a.opCode < K_ASSIGN_EQUATE || a.opCode > kIntegerOps) return nullptr;
  int source = 0;
  if (a.source != nullptr) {
    if (a.source->IsDouble()) return nullptr;
    source = a.source->type + 1;
  } else if (a.constant.isDouble) {
    return nullptr;
  }
  return kIntegerRunners[a.dest->type][source][a.opCode - 1];
}

}  // namespace

KAssignOp MatchAssignOperator(std::string_view text, size_t& length) {
  for (const OperatorRow& row : kOperators) {
    if (text.substr(0, row.text.size()) != row.text) continue;
    if (text.size() > row.text.size() && !KText::IsBlank(text[row.text.size()])) continue;
    length = row.text.size();
    return row.op;
  }
  length = 0;
  return K_ASSIGN_NONE;
}

int ApplyAssign(VARI_LL& d, int32_t op, const KValue& s, bool testMode) {
  if (d.type == K_VAR_DOUBLE) return ApplyToDouble(d, op, s, testMode);
  if (d.type < K_VAR_BYTE || d.type > K_VAR_LONG) return -1;
  return ApplyToInteger(d, op, s, testMode);
}

bool ConvertNumberFor(int32_t destType, std::string_view text, KValue& out) {
  if (KText::DetermineNumberType(text) == K_NUM_NONE) return false;
  switch (destType) {
    case K_VAR_BYTE:
    case K_VAR_WORD:
      // Aton's -1 for classes 4 and 8 is stored as all ones.
      out = KValue::Int(static_cast<uint16_t>(KText::Aton(text)));
      return true;
    case K_VAR_LONG:
      out = KValue::Int(static_cast<uint32_t>(KText::AtoLn(text)));
      return true;
    default: {
      double v = 0.0;
      KText::AtoDouble(text, v);
      out = KValue::Dbl(v);
      return true;
    }
  }
}

namespace {

// name operator operand
int CompileForm(std::string_view statement, CVariableLL& vars, const KScriptNames* names, KCompiledAssign& out) {
  std::string_view rest = statement;
  VARI_LL* d = vars.FindVariable(TakeWord(rest));
  if (d == nullptr) return VARI_UNABLE_TO_PROCESS_VARIABLE;
  out.dest = d;
  out.typeCode = static_cast<uint16_t>(d->type + 1);
  if (rest.empty()) return 0;
  if (d->defined) return VARI_UNABLE_TO_PROCESS_VARIABLE;  // a #DEFINE constant

  size_t length = 0;
  const KAssignOp op = MatchAssignOperator(rest, length);
  if (op == K_ASSIGN_NONE) return VARI_MISSING_OPERATOR;
  std::string_view operand = text::Trim(rest.substr(length));
  if (operand.empty()) return VARI_MISSING_ARGUMENT;

  const int numberClass = KText::DetermineNumberType(operand);
  if (numberClass != K_NUM_NONE) {
    ConvertNumberFor(d->type, operand, out.constant);
    const int sizeIndex = numberClass == K_NUM_BYTE   ? 0
                          : numberClass == K_NUM_WORD ? 1
                          : numberClass == K_NUM_LONG ? 2
                                                      : 3;
    out.typeCode |= static_cast<uint16_t>((K_OPND_CONST_BYTE + sizeIndex) << 4);
    // The run uses the value converted here, so "0x12" runs as it loaded.
    out.opCode = op;
    return 0;
  }
  if (const VARI_LL* v = vars.FindVariable(operand)) {
    out.source = v;
    out.typeCode |= static_cast<uint16_t>((K_OPND_VAR_BYTE + v->type) << 4);
    out.opCode = op;
    return 0;
  }

  // Log page operand: "TAG->PARM" or "TAG PARM".
  std::string page;
  page.reserve(operand.size());
  for (size_t i = 0; i < operand.size(); ++i) {
    if (operand.compare(i, 2, "->") == 0) {
      page.push_back(' ');
      ++i;
    } else {
      page.push_back(operand[i]);
    }
  }
  std::string_view words = page;
  std::string_view tag = TakeWord(words);
  const int32_t code = names != nullptr ? names->LogPageCode(tag) : -1;
  if (code < 0) return VARI_UNABLE_TO_PROCESS_VARIABLE;
  std::string_view parm = TakeWord(words);
  if (code != 7 && !CVariableLL::IsItANumber(parm)) return VARI_INVALID_PAGE_PARM_VALUE;
  out.pageTag.assign(tag);
  out.pageParm.assign(parm);
  out.pageCode = code;
  // A lone tag made of hexadecimal letters passes the run's number check and
  // is then neither number nor variable.
  out.runRejects = CVariableLL::IsItANumber(operand);
  out.opCode = op;
  return 0;
}

}  // namespace

int CompileAssignment(std::string_view statement, CVariableLL& vars, const KScriptNames* names, KCompiledAssign& out) {
  out = KCompiledAssign{};
  const int code = CompileForm(statement, vars, names, out);
  if (code == 0) out.runner = ChooseRunner(out);
  return code;
}

int ExecuteAssignGeneral(const KCompiledAssign& a, bool testMode) {
  if (a.opCode == K_ASSIGN_NONE) return 0;
  if (a.runRejects || a.dest == nullptr) return VARIABLE_PROCESSING_ERROR;
  KValue s;
  if (a.source != nullptr) {
    s = ValueOf(*a.source);
  } else if ((a.typeCode & 0xF0) != 0) {
    s = a.constant;
  } else {
    return VARIABLE_PROCESSING_ERROR;  // log page operands are fetched by the engine
  }
  return ApplyAssign(*a.dest, a.opCode, s, testMode) == 0 ? 0 : VARIABLE_PROCESSING_ERROR;
}

// ---- operands of conditions ----

namespace {

int CompileArrayElement(std::string_view text, const CVariableLL& vars, const KScriptNames* names, KOperand& out) {
  const size_t open = text.find('[');
  const size_t close = text.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return -1;
  if (!text::Trim(text.substr(close + 1)).empty()) return -1;
  const KByteArray* array = names != nullptr ? names->FindArray(text::Trim(text.substr(0, open))) : nullptr;
  if (array == nullptr) return -1;
  std::string_view index = text::Trim(text.substr(open + 1, close - open - 1));
  if (index.empty()) return K_IF_ARG1_BUFFER_MISSING_INDEX_FIELD;

  out = KOperand{};
  out.kind = KOperandKind::ArrayElement;
  out.array = array;
  const int numberClass = KText::DetermineNumberType(index);
  if (numberClass == K_NUM_BYTE || numberClass == K_NUM_WORD || numberClass == K_NUM_LONG) {
    out.index = static_cast<uint32_t>(KText::AtoLn(index));
    return 0;
  }
  const VARI_LL* v = vars.FindVariable(index);
  if (v == nullptr || v->IsDouble()) return K_IF_ARG1_BUFFER_INVALID_INDEX_FIELD;
  out.indexVariable = v;
  return 0;
}

}  // namespace

int CompileOperand(std::string_view text, const CVariableLL& vars, const KScriptNames* names, KOperand& out) {
  text = text::Trim(text);
  if (text.empty()) return -1;
  out = KOperand{};
  switch (KText::DetermineNumberType(text)) {
    case K_NUM_BYTE:
    case K_NUM_WORD:
    case K_NUM_LONG:
      // Taken as a signed 32-bit value: "0xFFFFFFFF" is -1.
      out.constant = static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(KText::AtoLn(text))));
      return 0;
    case K_NUM_DOUBLE:
      KText::AtoDouble(text, out.constant);
      return 0;
    default:
      break;
  }
  if (const VARI_LL* v = vars.FindVariable(text)) {
    out.kind = KOperandKind::Variable;
    out.variable = v;
    return 0;
  }
  // "TAG->PARM": a parameter of a declared log page (not the event log).
  if (const size_t arrow = text.find("->"); arrow != std::string_view::npos && names != nullptr) {
    const std::string_view tag = text::Trim(text.substr(0, arrow));
    const std::string_view parm = text::Trim(text.substr(arrow + 2));
    const int32_t code = names->LogPageCode(tag);
    if (code < 0 || code == 7 || !CVariableLL::IsItANumber(parm)) return -1;
    out.kind = KOperandKind::PageParameter;
    out.names = names;
    out.pageTag.assign(tag);
    out.pageParm.assign(parm);
    return 0;
  }
  return CompileArrayElement(text, vars, names, out);
}
