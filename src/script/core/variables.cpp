// The variable list and the declarations BYTE, WORD, LONG, DOUBLE (with their
// S and X kinds) and #DEFINE.
#include "script/core/variables.h"

#include <new>
#include <string>

#include "base/text_util.h"
#include "script/core/error_fx.h"
#include "script/core/expression.h"
#include "script/core/variables_words.h"

namespace {

// Error codes of each width, indexed by KVarType.
struct DeclarationCodes {
  int32_t invalidOperator;
  int32_t invalidAssignment;
  int32_t duplicate;
  int32_t noMemory;
};
constexpr DeclarationCodes kDeclarationCodes[4] = {
    {K_OP_BYTE_INVALID_OPERATOR, K_OP_BYTE_INVALID_ASSIGNMENT, BYTE_DUPLICATE_NAME_DETECTED, BYTE_NEW_LINK_ERROR},
    {K_OP_WORD_INVALID_OPERATOR, K_OP_WORD_INVALID_ASSIGNMENT, WORD_DUPLICATE_NAME_DETECTED, WORD_NEW_LINK_ERROR},
    {K_OP_LONG_INVALID_OPERATOR, K_OP_LONG_INVALID_ASSIGNMENT, LONG_DUPLICATE_NAME_DETECTED, LONG_NEW_LINK_ERROR},
    {K_OP_DOUBLE_INVALID_OPERATOR, K_OP_FLOAT_INVALID_ASSIGNMENT, DBL_DUPLICATE_NAME_DETECTED, DBL_NEW_LINK_ERROR},
};

// Number classes a declaration of each width accepts, as a mask of class bits
// (1, 2, 4, 8); a number of any other class is refused.
constexpr int kAcceptedClasses[4] = {K_NUM_BYTE, K_NUM_BYTE | K_NUM_WORD, K_NUM_BYTE | K_NUM_WORD | K_NUM_LONG,
                                     K_NUM_DOUBLE};

}  // namespace

// ---- VARI_LL ----

void VARI_LL::SetUnsigned(uint32_t value) {
  switch (type) {
    case K_VAR_BYTE:
      bValue = static_cast<uint8_t>(value);
      break;
    case K_VAR_WORD:
      wValue = static_cast<uint16_t>(value);
      break;
    case K_VAR_LONG:
      lValue = value;
      break;
    default:
      dValue = static_cast<double>(value);
      break;
  }
  altered = 1;
}

bool VARI_LL::SetDouble(double value) { return ApplyAssign(*this, K_ASSIGN_EQUATE, KValue::Dbl(value), false) == 0; }

// ---- list ----

CVariableLL::CVariableLL() = default;
CVariableLL::~CVariableLL() = default;

int CVariableLL::AddLink(std::unique_ptr<VARI_LL> v) {
  if (v->name.empty()) return -2;
  if (index_.find(std::string_view(v->name)) != index_.end()) return -1;
  try {
    VARI_LL* raw = v.get();
    vars_.push_back(std::move(v));
    try {
      index_.emplace(raw->name, raw);
    } catch (...) {
      vars_.pop_back();
      throw;
    }
    ++perType_[raw->type];
    nameBytes_ += static_cast<int64_t>(raw->name.size()) + 1;
  } catch (const std::bad_alloc&) {
    return -2;
  }
  return 0;
}

namespace {
std::unique_ptr<VARI_LL> MakeVariable(std::string_view name, int32_t type, uint8_t kind) {
  auto v = std::unique_ptr<VARI_LL>(new (std::nothrow) VARI_LL);
  if (!v) return v;
  try {
    v->name.assign(name);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  v->type = type;
  v->kind = kind;
  return v;
}
}  // namespace

int CVariableLL::NewLink(std::string_view name, uint8_t value, uint8_t kind) {
  auto v = MakeVariable(name, K_VAR_BYTE, kind);
  if (!v) return -2;
  v->bValue = value;
  return AddLink(std::move(v));
}

int CVariableLL::NewLink(std::string_view name, uint16_t value, uint8_t kind) {
  auto v = MakeVariable(name, K_VAR_WORD, kind);
  if (!v) return -2;
  v->wValue = value;
  return AddLink(std::move(v));
}

int CVariableLL::NewLink(std::string_view name, uint32_t value, uint8_t kind) {
  auto v = MakeVariable(name, K_VAR_LONG, kind);
  if (!v) return -2;
  v->lValue = value;
  return AddLink(std::move(v));
}

int CVariableLL::NewLink(std::string_view name, double value, uint8_t kind) {
  auto v = MakeVariable(name, K_VAR_DOUBLE, kind);
  if (!v) return -2;
  v->dValue = value;
  return AddLink(std::move(v));
}

VARI_LL* CVariableLL::FindVariable(std::string_view name) {
  auto it = index_.find(name);
  return it == index_.end() ? nullptr : it->second;
}

const VARI_LL* CVariableLL::FindVariable(std::string_view name) const {
  auto it = index_.find(name);
  return it == index_.end() ? nullptr : it->second;
}

void CVariableLL::KillLinks() {
  index_.clear();
  vars_.clear();
  for (int32_t& n : perType_) n = 0;
  nameBytes_ = 0;
}

int32_t CVariableLL::CountOfType(int32_t type) const { return type >= 0 && type < 4 ? perType_[type] : 0; }

void CVariableLL::ClearAltered(VARI_LL* v) {
  if (v != nullptr) {
    v->altered = 0;
    return;
  }
  for (auto& p : vars_) p->altered = 0;
}

// ---- declarations ----

// KEYWORD name = value
int CVariableLL::Declare(int32_t type, uint8_t kind, std::string_view line) {
  if (type < K_VAR_BYTE || type > K_VAR_DOUBLE) return K_OP_BYTE_INVALID_ASSIGNMENT;
  const DeclarationCodes& codes = kDeclarationCodes[type];
  std::string_view rest = line;
  TakeWord(rest);  // the keyword
  std::string_view name = TakeWord(rest);
  if (rest.empty() || rest[0] != '=') return codes.invalidAssignment;
  if (rest.size() < 2 || !IsBlank(rest[1])) return codes.invalidOperator;
  std::string_view value = text::Trim(rest.substr(1));

  const int numberClass = DetermineNumberType(value);
  const bool isNumber = numberClass != K_NUM_NONE;
  if (isNumber && (numberClass & kAcceptedClasses[type]) == 0) return codes.invalidAssignment;

  int result = 0;
  switch (type) {
    case K_VAR_BYTE:
      result = NewLink(name, static_cast<uint8_t>(isNumber ? Aton(value) : 0), kind);
      break;
    case K_VAR_WORD:
      result = NewLink(name, static_cast<uint16_t>(isNumber ? Aton(value) : 0), kind);
      break;
    case K_VAR_LONG:
      result = NewLink(name, static_cast<uint32_t>(isNumber ? AtoLn(value) : 0), kind);
      break;
    default: {
      double d = 0.0;
      if (isNumber) AtoDouble(value, d);
      result = NewLink(name, d, kind);
      break;
    }
  }
  if (result == -1) return codes.duplicate;
  if (result != 0) return codes.noMemory;
  return 0;
}

// #DEFINE name value
int CVariableLL::Define(std::string_view line) {
  std::string_view rest = line;
  TakeWord(rest);  // "#DEFINE"
  std::string_view name = TakeWord(rest);
  std::string_view value = rest;
  if (name.empty() || value.empty()) return K_DEFINE_ERROR;

  int32_t type = K_VAR_BYTE;
  std::string written;
  if (value.size() >= 2 && value[0] == '0' && value[1] == 'x') {
    // Lower-case "0x" takes any count of 1 to 8 digits; written back with "h".
    std::string_view digits = value.substr(2);
    if (digits.empty() || digits.size() > 8) return K_DEFINE_ERROR;
    for (char c : digits) {
      const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
      if (!hex) return K_DEFINE_ERROR;
    }
    type = digits.size() <= 2 ? K_VAR_BYTE : digits.size() <= 4 ? K_VAR_WORD : K_VAR_LONG;
    written.assign(digits).push_back('h');
  } else {
    switch (DetermineNumberType(value)) {
      case K_NUM_BYTE:
        type = K_VAR_BYTE;
        break;
      case K_NUM_WORD:
        type = K_VAR_WORD;
        break;
      case K_NUM_LONG:
        type = K_VAR_LONG;
        break;
      default:
        return K_DEFINE_ERROR;
    }
    written.assign(value);
  }
  static constexpr const char* kKeyword[3] = {"SByte ", "SWord ", "SLong "};
  std::string declaration = kKeyword[type];
  declaration.append(name).append(" = ").append(written);
  const int result = Declare(type, K_KIND_S, declaration);
  if (result == 0) FindVariable(name)->defined = 1;
  return result;
}

// ---- text form of the assignment ----

bool CVariableLL::IsItANumber(std::string_view text) {
  for (char c : text) {
    const bool ok =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') || c == '.' || c == 'h' || c == 'H';
    if (!ok) return false;
  }
  return true;
}

int CVariableLL::ProcessVariable(std::string_view statement) {
  std::string_view rest = statement;
  VARI_LL* d = FindVariable(TakeWord(rest));
  if (d == nullptr) return -1;
  size_t length = 0;
  const KAssignOp op = MatchAssignOperator(rest, length);
  if (op == K_ASSIGN_NONE) return -3;
  std::string_view operand = text::Trim(rest.substr(length));
  if (operand.empty()) return -2;
  return Process(op, *d, operand);
}

int CVariableLL::Process(int opCode, VARI_LL& d, std::string_view operand) {
  if (d.defined) return -1;
  operand = text::Trim(operand);
  KValue s;
  if (ConvertNumberFor(d.type, operand, s)) {
    // numeric operand
  } else if (const VARI_LL* v = FindVariable(operand)) {
    s = ValueOf(*v);
  } else {
    return -2;
  }
  return ApplyAssign(d, opCode, s, testMode_) == 0 ? 0 : -1;
}

int CVariableLL::ProcessEquate(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_EQUATE, d, o); }
int CVariableLL::ProcessPlusEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_PLUS, d, o); }
int CVariableLL::ProcessMinusEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_MINUS, d, o); }
int CVariableLL::ProcessTimesEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_TIMES, d, o); }
int CVariableLL::ProcessDivideEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_DIVIDE, d, o); }
int CVariableLL::ProcessOrEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_OR, d, o); }
int CVariableLL::ProcessAndEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_AND, d, o); }
int CVariableLL::ProcessXorEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_XOR, d, o); }
int CVariableLL::ProcessModEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_MOD, d, o); }
int CVariableLL::ProcessShLEquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_SHL, d, o); }
int CVariableLL::ProcessShREquals(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_SHR, d, o); }
int CVariableLL::ProcessLOG10(VARI_LL& d, std::string_view o) { return Process(K_ASSIGN_LOG10, d, o); }
