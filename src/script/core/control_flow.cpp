// Control statements: IF, JUMP, CALL, RETURN, ONERROR, ONCANCEL, SLEEP, EXIT,
// PASS, FAIL, BREAKPOINT. Each compiles its arguments in phase 2 and runs from
// that compiled form.
#include <array>
#include <cmath>
#include <cstring>

#include "script/core/kscript.h"
#include "script/core/statement_api.h"

// ---- call stack and IF terms ----

int CCallStackLL::Push(TEXT_LINK* caller, SWITCH_LINK* sw) {
  if (Count() >= maxDepth_ - 1) return -1;
  links_.push_back({caller, sw});
  return 0;
}

TEXT_LINK* CCallStackLL::Pop(SWITCH_LINK*& sw) {
  if (links_.empty()) return nullptr;
  const CALL_LINK top = links_.back();
  links_.pop_back();
  sw = top.currentSwitch;
  return top.caller;
}

int CCallStackLL::SetCallStackDepth(int32_t depth) {
  if (depth < 0) return -1;
  maxDepth_ = depth;
  return 0;
}

int CIfLL::DetermineTrueness() const {
  if (terms_.empty()) return -1;
  bool anyOrTrue = false;
  bool anyAndFalse = false;
  for (const Term& t : terms_) {
    if (t.connector == OR)
      anyOrTrue = anyOrTrue || t.result;
    else
      anyAndFalse = anyAndFalse || !t.result;
  }
  return Truth(anyOrTrue, anyAndFalse) ? 1 : 0;
}

// ---- IF ----

namespace {

enum class Compare : uint8_t { EQ, NE, LE, GE, LT, GT };
enum class IfAction : uint8_t { Call, Jump, Return };

struct IfTerm {
  KOperand left;
  KOperand right;
  Compare op;
  uint8_t connector;
};

struct IfData : StatementData {
  std::vector<IfTerm> terms;
  IfAction action = IfAction::Jump;
};

bool FindCompare(const std::string& word, Compare& op) {
  static constexpr struct {
    const char* text;
    Compare op;
  } kOps[] = {{"==", Compare::EQ}, {"!=", Compare::NE}, {"<=", Compare::LE},
              {">=", Compare::GE}, {"<", Compare::LT},  {">", Compare::GT}};
  for (const auto& o : kOps) {
    if (word == o.text) {
      op = o.op;
      return true;
    }
  }
  return false;
}

inline bool Evaluate(Compare op, double a, double b) {
  switch (op) {
    case Compare::EQ:
      return a == b;
    case Compare::NE:
      return a != b;
    case Compare::LE:
      return a <= b;
    case Compare::GE:
      return a >= b;
    case Compare::LT:
      return a < b;
    case Compare::GT:
      return a > b;
  }
  return false;
}

// Next operand text from words[i]: one word, or "NAME [ index ]" up to the closing bracket.
std::string TakeOperand(const std::vector<std::string>& words, size_t& i) {
  std::string text = words[i++];
  const bool opens = text.find('[') != std::string::npos || (i < words.size() && words[i].front() == '[');
  if (!opens) return text;
  while (text.find(']') == std::string::npos && i < words.size()) text += " " + words[i++];
  return text;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && KText::IsBlank(text[pos])) ++pos;
    size_t end = pos;
    while (end < text.size() && !KText::IsBlank(text[end])) ++end;
    if (end > pos) words.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

// Truth of a compiled condition: 0 and the truth, or the error code of an operand.
inline int EvaluateIf(const IfData& data, bool& truth) {
  // Every term is evaluated, in order, so a bad buffer index is always reported.
  bool anyOrTrue = false;
  bool anyAndFalse = false;
  for (const IfTerm& term : data.terms) {
    double a;
    double b;
    if (const int code = ReadOperand(term.left, a); code != 0) [[unlikely]]
      return code;
    if (const int code = ReadOperand(term.right, b); code != 0) [[unlikely]]
      return code;
    const bool result = Evaluate(term.op, a, b);
    if (term.connector == CIfLL::OR)
      anyOrTrue |= result;
    else
      anyAndFalse |= !result;
  }
  truth = CIfLL::Truth(anyOrTrue, anyAndFalse);
  return 0;
}

// IF condition JUMP label, straight from its compiled form.
TEXT_LINK* RunIfJump(KScript& engine, TEXT_LINK* stmt) {
  bool truth = false;
  if (const int code = EvaluateIf(static_cast<const IfData&>(*stmt->data), truth); code != 0) {
    engine.m_ErrorCode = code;
    return nullptr;
  }
  if (!truth) return stmt + 1;
  return stmt->target != nullptr ? stmt->target : KScript::RunGeneric(engine, stmt);
}

// Form of one operand for the integer comparison; false when it has none.
bool FormOf(const KOperand& o, int side, FastCompare& fast) {
  if (o.kind == KOperandKind::Constant) {
    if (!(std::trunc(o.constant) == o.constant && std::fabs(o.constant) < 9.0e15)) return false;
    fast.constant[side] = static_cast<int64_t>(o.constant);
    fast.form[side] = FastCompare::kConstant;
    return true;
  }
  if (o.kind != KOperandKind::Variable) return false;
  fast.variable[side] = o.variable;
  switch (o.variable->type) {
    case K_VAR_BYTE:
      fast.form[side] = FastCompare::kByte;
      return true;
    case K_VAR_WORD:
      fast.form[side] = FastCompare::kWord;
      return true;
    case K_VAR_LONG:
      fast.form[side] = FastCompare::kLong;
      return true;
    default:
      return false;
  }
}

// JUMP label
TEXT_LINK* RunJump(KScript& engine, TEXT_LINK* stmt) {
  return stmt->target != nullptr ? stmt->target : KScript::RunGeneric(engine, stmt);
}

}  // namespace

int KScript::CompileIf(TEXT_LINK& stmt) {
  auto data = std::make_unique<IfData>();
  std::string text(m_Line);
  std::string upper = text;
  UpperCase(upper);
  size_t at = std::string::npos;
  std::string label;
  static constexpr struct {
    const char* phrase;
    IfAction action;
  } kPhrases[] = {{" CALL ", IfAction::Call}, {" JUMP ", IfAction::Jump}, {" RETURN", IfAction::Return}};
  for (const auto& p : kPhrases) {
    const size_t found = upper.find(p.phrase, 1);
    if (found == std::string::npos) continue;
    at = found;
    data->action = p.action;
    if (p.action != IfAction::Return) {
      label = text.substr(found + std::strlen(p.phrase));
      CleanLine(label);
    }
    break;
  }
  if (at == std::string::npos) return Fail(IF_MISSING_CALL_OR_JUMP_OR_RETURN_VECTOR_PHRASE);
  if (data->action != IfAction::Return && !m_Symbols.SearchForMatch(label))
    return Fail(IF_INVALID_SYMBOL_VECTOR_SPECIFIED);

  const std::vector<std::string> words = SplitWords(text.substr(0, at));
  uint8_t connector = CIfLL::AND;
  size_t i = 0;
  while (i < words.size()) {
    IfTerm term{};
    term.connector = connector;
    const std::string left = TakeOperand(words, i);
    if (const int code = CompileOperand(left, m_Variables, this, term.left); code != 0)
      return Fail(code == -1 ? IF_UNKNOWN_ARG1_SPECIFIED : code);
    if (i >= words.size() || !FindCompare(words[i], term.op)) return Fail(IF_MISSING_EVALUATOR);
    ++i;
    if (i >= words.size()) return Fail(IF_UNKNOWN_ARG2_SPECIFIED);
    const std::string right = TakeOperand(words, i);
    if (const int code = CompileOperand(right, m_Variables, this, term.right); code != 0)
      return Fail(code == -1 ? IF_UNKNOWN_ARG2_SPECIFIED : code);
    data->terms.push_back(term);
    if (i >= words.size()) break;
    std::string joiner = words[i];
    UpperCase(joiner);
    if (joiner == "AND" || joiner == "OR") {
      connector = joiner == "AND" ? CIfLL::AND : CIfLL::OR;
      if (++i >= words.size())
        return Fail(connector == CIfLL::AND ? IF_AND_AT_END_OFLINE_WITHOUT_AN_EXPRESSION
                                            : IF_OR_AT_END_OFLINE_WITHOUT_AN_EXPRESSION);
    }
  }
  if (data->terms.empty()) return Fail(IF_NO_EVALUATIONS_PRESENT);
  if (data->action == IfAction::Jump) stmt.run = &RunIfJump;
  stmt.data = std::move(data);
  return 0;
}

// IF condition CALL label | IF condition JUMP label | IF condition RETURN
int KScript::_If(TEXT_LINK& stmt) {
  if (!IsRunMode()) return CompileIf(stmt);
  const IfData& data = static_cast<const IfData&>(*stmt.data);
  bool truth = false;
  if (const int code = EvaluateIf(data, truth); code != 0) return Fail(code);
  if (!truth) return 0;
  switch (data.action) {
    case IfAction::Jump:
      if (stmt.target == nullptr) return Fail(JUMP_INVALID_VECTOR_ERROR);
      JumpTo(stmt.target);
      return 0;
    case IfAction::Call:
      return DoCall(stmt, stmt.target);
    case IfAction::Return:
      return DoReturn();
  }
  return 0;
}

// The busiest statements get an inline form in the run loop: JUMP, a one-term
// integer IF ... JUMP (joined with a JUMP after it), a plain assignment.
void KScript::PrepareRun() {
  std::vector<TEXT_LINK>& statements = m_Text.Links();
  for (size_t i = 0; i < statements.size(); ++i) {
    TEXT_LINK& stmt = statements[i];
    stmt.fastOp = FastOp::Generic;
    if (stmt.run == &RunJump && stmt.target != nullptr) {
      stmt.fastOp = FastOp::Jump;
    } else if (stmt.run == &RunIfJump && stmt.target != nullptr) {
      const auto& data = static_cast<const IfData&>(*stmt.data);
      if (data.terms.size() != 1) continue;
      const IfTerm& term = data.terms.front();
      FastCompare& fast = stmt.compare;
      if (!FormOf(term.left, 0, fast) || !FormOf(term.right, 1, fast)) continue;
      fast.op = static_cast<uint8_t>(term.op);
      const TEXT_LINK* next = i + 1 < statements.size() ? &statements[i + 1] : nullptr;
      fast.elseJump = next != nullptr && next->run == &RunJump ? next->target : nullptr;
      stmt.fastOp = FastOp::IfJump;
    } else if (stmt.assign != nullptr) {
      stmt.fastOp = FastOp::Assign;
    }
  }
}

// ---- JUMP, CALL, RETURN ----

// JUMP label
int KScript::_Jump(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    if (m_Line[0] == '\0') return Fail(JUMP_NO_VALUE_SPECIFIED);
    if (!m_Symbols.SearchForMatch(m_Line)) return Fail(JUMP_UNKNOWN_VECTOR_ERROR);
    stmt.run = &RunJump;
    return 0;
  }
  if (stmt.target == nullptr) return Fail(JUMP_INVALID_VECTOR_ERROR);
  JumpTo(stmt.target);
  return 0;
}

// CALL label
int KScript::_Call(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    if (m_Line[0] == '\0') return Fail(CALL_NO_VECTOR_SPECIFIED);
    if (!m_Symbols.SearchForMatch(m_Line)) return Fail(CALL_UNKNOWN_VECTOR_ERROR);
    return 0;
  }
  return DoCall(stmt, stmt.target);
}

int KScript::DoCall(TEXT_LINK& stmt, TEXT_LINK* target) {
  if (target == nullptr) return Fail(CALL_INVALID_VECTOR_ERROR);
  if (m_CallStack.Push(&stmt, m_CurrentSwitch) != 0) return Fail(CALL_DEPTH_EXCEEDED);
  JumpTo(target);
  return 0;
}

// RETURN
int KScript::_Return(TEXT_LINK& /*stmt*/) {
  if (!IsRunMode()) return 0;
  return DoReturn();
}

int KScript::DoReturn() {
  SWITCH_LINK* sw = nullptr;
  TEXT_LINK* caller = m_CallStack.Pop(sw);
  if (caller == nullptr) return Fail(RETURN_WITH_NO_PREVIOUS_CALL_DETECTED);
  m_CurrentSwitch = sw;
  // Back on the calling statement, not repositioned: the run goes on after it.
  if (m_Text.SetText(caller) != 0) return Fail(INVALID_RETURN_VECTOR);
  return 0;
}

// ---- handler labels ----

// ONERROR label
int KScript::_OnError(TEXT_LINK& stmt) {
  ++m_OnErrorCount;
  if (!IsRunMode()) {
    if (!m_Symbols.SearchForMatch(m_Line)) return Fail(ONERROR_UNKNOWN_VECTOR_ERROR);
    return 0;
  }
  m_ErrorHandlerLabel = stmt.text.substr(stmt.argsOffset);
  return 0;
}

// ONCANCEL label
int KScript::_OnCancel(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    ++m_OnCancelCount;
    if (!m_Symbols.SearchForMatch(m_Line)) return Fail(ONCANCEL_UNKNOWN_VECTOR_ERROR);
    return 0;
  }
  m_CancelHandlerLabel = stmt.text.substr(stmt.argsOffset);
  return 0;
}

// ---- SLEEP, EXIT ----

// The value of SLEEP and EXIT: a number (into value) or a byte or word variable (into stmt.var).
// decimalAllOnes: a number too large for 32 bits is all ones (EXIT's 16-bit conversion)
// rather than refused (SLEEP, where it would be a wait of weeks).
int KScript::CompileExitOrSleep(TEXT_LINK& stmt, int32_t noValue, int32_t unknown, int32_t badType, bool decimalAllOnes,
                                uint32_t& value) {
  char word[kLineSize];
  if (Store1stWord(m_Line, word, sizeof word) == 0) return Fail(noValue);
  if (VARI_LL* var = m_Variables.FindVariable(word)) {
    if (var->type != K_VAR_BYTE && var->type != K_VAR_WORD) return Fail(badType);
    stmt.var = var;
    return 0;
  }
  const int cls = DetermineNumberType(std::string_view(word));
  if (cls == K_NUM_DOUBLE && decimalAllOnes) {
    value = 0xFFFFFFFFu;
    return 0;
  }
  if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG) return Fail(unknown);
  value = static_cast<uint32_t>(AtoLn(std::string_view(word)));
  return 0;
}

// SLEEP value   (a number in milliseconds, or a byte or word variable in seconds)
int KScript::_Sleep(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    uint32_t ms = 0;
    if (CompileExitOrSleep(stmt, SLEEP_NO_VALUE_SPECIFIED, SLEEP_UNABLE_TO_IDENTIFY_SLEEP_SPECIFIER,
                           SLEEP_VARIABLE_TYPE_ERROR, false, ms) != 0)
      return 1;
    stmt.longConst = ms / 1000;  // whole seconds: below 1000 ms waits 0
    return 0;
  }
  SleepSeconds(stmt.var != nullptr ? stmt.var->Unsigned() : stmt.longConst);
  return 0;
}

// EXIT value
int KScript::_Exit(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    uint32_t value = 0;
    if (CompileExitOrSleep(stmt, EXIT_NO_VALUE_SPECIFIED, EXIT_UNABLE_TO_IDENTIFY_EXIT_SPECIFIER,
                           EXIT_VARIABLE_TYPE_ERROR, true, value) != 0)
      return 1;
    // A 16-bit conversion: numbers wider than a word give all ones.
    stmt.wordConst = value > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(value);
    return 0;
  }
  m_ExitStatus = stmt.var != nullptr ? static_cast<uint16_t>(stmt.var->Unsigned()) : stmt.wordConst;
  m_Stop = 1;
  return 0;
}

// ---- PASS, FAIL, BREAKPOINT ----

namespace {

// PASS and FAIL: the text as written (double quotes as blanks), or the buffer
// whose text it is at each run.
struct VerdictText : StatementData {
  std::string text;
  const KByteArray* buffer = nullptr;
};

// The text to show: 0, or the code of a buffer text too long for a line.
int32_t VerdictLine(const VerdictText& d, int32_t tooLongCode, std::string& text) {
  if (d.buffer == nullptr) {
    text = d.text;
    return 0;
  }
  const char* bytes = reinterpret_cast<const char*>(d.buffer->data.get());
  const size_t length = bytes != nullptr ? strnlen(bytes, d.buffer->size) : 0;
  if (length > KScript::kLineSize - 1) return tooLongCode;
  text.assign(bytes != nullptr ? bytes : "", length);
  return 0;
}

// The text on the screen; a backslash before n or r is a line end.
void ShowVerdictText(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'r')) {
      shown += text[i + 1] == 'n' ? '\n' : '\r';
      ++i;
    } else {
      shown += text[i];
    }
  }
  std::printf("%s\n", shown.c_str());
  std::fflush(stdout);
}

}  // namespace

int KScript::PassFail(TEXT_LINK& stmt, int32_t tooLongCode) {
  StatementContext ctx(*this);
  return CompileThenRun<VerdictText>(
      ctx, stmt, tooLongCode,
      [&](VerdictText& d) {
        char word[kLineSize];
        Store1stWord(m_Line, word, sizeof word);
        d.buffer = FindArray(word);
        if (d.buffer == nullptr) {
          d.text = m_Line;
          for (char& c : d.text)
            if (c == '"') c = ' ';
        }
        std::string text;
        return VerdictLine(d, tooLongCode, text);
      },
      [&](VerdictText& d) {
        std::string text;
        if (const int32_t code = VerdictLine(d, tooLongCode, text)) return Fail(code);
        ShowVerdictText(text);
        return 0;
      });
}

// PASS text
int KScript::_Pass(TEXT_LINK& stmt) { return PassFail(stmt, PASS_TEXT_TOO_LONG); }

// FAIL text
int KScript::_Fail(TEXT_LINK& stmt) { return PassFail(stmt, FAIL_TEXT_TOO_LONG); }

// BREAKPOINT
int KScript::_BreakPoint(TEXT_LINK& /*stmt*/) {
  if (IsRunMode()) m_StepMode = 1;
  return 0;
}
