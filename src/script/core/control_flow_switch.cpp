// SWITCH variable ... CASE value ... DEFAULT ... BREAK ... ENDSWITCH.
// Phase 2 builds one switch block per SWITCH (its cases, default and end);
// the run jumps through that table.
#include <cmath>
#include <cstring>

#include "script/core/kscript.h"

SWITCH_LINK* CSwitchLL::AddSwitch(SWITCH_LINK* parent, int32_t line, VARI_LL* variable) {
  if (parent != nullptr && switches_.empty()) return nullptr;
  auto sw = std::make_unique<SWITCH_LINK>();
  sw->line = line;
  sw->parent = parent;
  sw->variable = variable;
  if (parent != nullptr) parent->children.push_back(sw.get());
  switches_.push_back(std::move(sw));
  return switches_.back().get();
}

int CSwitchLL::AddCase(SWITCH_LINK* sw, TEXT_LINK* statement, uint32_t value) {
  if (sw == nullptr) return -1;
  sw->cases.push_back({value, 0, statement});
  return 0;
}

const CASE_LINK* CSwitchLL::FindCaseMatch(const SWITCH_LINK* sw, uint32_t value) {
  for (const CASE_LINK& c : sw->cases)
    if (c.value == value) return &c;
  return nullptr;
}

void CSwitchLL::KillCases() {
  for (auto& sw : switches_) sw->cases.clear();
}

// SWITCH variable
int KScript::_Switch(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    VARI_LL* var = m_Variables.FindVariable(m_Line);
    if (var == nullptr) return Fail(K_SWITCH_UNKNOWN_VARIABLE);
    // Deeper nesting than the switch stack holds is refused (the block is still
    // built, so the blocks after it pair up as written).
    const bool tooDeep = m_SwitchDepth >= kMaxSwitchDepth;
    SWITCH_LINK* sw = m_Switches.AddSwitch(m_CurrentSwitch, stmt.lineNumber, var);
    sw->statement = &stmt;
    ++m_SwitchDepth;
    m_SwitchStack.resize(static_cast<size_t>(m_SwitchDepth) + 1);
    m_SwitchStack[m_SwitchDepth] = sw;
    m_CurrentSwitch = sw;
    stmt.switchLink = sw;
    stmt.var = var;
    return tooDeep ? Fail(K_SWITCH_NESTING_TOO_DEEP) : 0;
  }
  SWITCH_LINK* sw = stmt.switchLink;
  m_CurrentSwitch = sw;
  const CASE_LINK* match = CSwitchLL::FindCaseMatch(sw, stmt.var->Unsigned());
  if (match != nullptr) {
    m_Text.SetText(match->statement);
  } else if (sw->defaultStatement != nullptr) {
    m_Text.SetText(sw->defaultStatement);
  } else {
    m_Text.SetText(sw->end);
    m_CurrentSwitch = sw->parent;
  }
  // Not repositioned: the run goes on after the CASE, DEFAULT or ENDSWITCH line.
  return 0;
}

// CASE value   (a number, or an S variable whose value is taken now)
int KScript::_Case(TEXT_LINK& stmt) {
  if (IsRunMode()) return 0;
  if (m_SwitchDepth == 0) return Fail(K_CASE_DETECTED_WITHOUT_SWITCH_STATEMENT);
  char word[kLineSize];
  Store1stWord(m_Line, word, sizeof word);
  uint32_t value = 0;
  switch (DetermineNumberType(std::string_view(word))) {
    case K_NUM_BYTE:
    case K_NUM_WORD:
      value = static_cast<uint32_t>(Aton(std::string_view(word)));
      break;
    case K_NUM_LONG:
      value = static_cast<uint32_t>(AtoLn(std::string_view(word)));
      break;
    case K_NUM_DOUBLE: {
      double d = 0.0;
      AtoDouble(word, d);
      value = std::isfinite(d) && d < 4294967296.0 ? static_cast<uint32_t>(std::trunc(d)) : 0xFFFFFFFFu;
      break;
    }
    default: {
      const VARI_LL* var = m_Variables.FindVariable(word);
      if (var == nullptr) return Fail(K_CASE_ILLEGAL_CASE_VALUE_DETECTED);
      if (!var->IsStatic()) return Fail(K_CASE_VARIABLE_SPECIFIED_ISNT_STATIC);
      value = var->Unsigned();
      break;
    }
  }
  stmt.switchLink = m_CurrentSwitch;
  return m_Switches.AddCase(m_CurrentSwitch, &stmt, value) == 0 ? 0 : Fail(K_CASE_DETECTED_WITHOUT_SWITCH_STATEMENT);
}

// DEFAULT
int KScript::_Default(TEXT_LINK& stmt) {
  if (IsRunMode()) return 0;
  if (m_SwitchDepth == 0) return Fail(K_DEFAULT_DETECTED_WITHOUT_SWITCH_STATEMENT);
  m_CurrentSwitch->defaultStatement = &stmt;
  stmt.switchLink = m_CurrentSwitch;
  return 0;
}

// BREAK
int KScript::_Break(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    if (m_SwitchDepth == 0) return Fail(K_BREAK_DETECTED_WITHOUT_SWITCH_STATEMENT);
    stmt.switchLink = m_CurrentSwitch;
    return 0;
  }
  // Reached with no switch current (a jump into a case body from outside): refused.
  if (m_CurrentSwitch == nullptr || m_CurrentSwitch->end == nullptr)
    return Fail(K_BREAK_DETECTED_WITHOUT_SWITCH_STATEMENT);
  m_Text.SetText(m_CurrentSwitch->end);
  m_CurrentSwitch = m_CurrentSwitch->parent;
  return 0;
}

// ENDSWITCH
int KScript::_EndSwitch(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    if (m_SwitchDepth == 0) return Fail(K_ENDSWITCH_WITHOUT_STARTING_SWITCH);
    m_CurrentSwitch->end = &stmt;
    stmt.switchLink = m_CurrentSwitch;
    --m_SwitchDepth;
    m_CurrentSwitch = m_CurrentSwitch->parent;
    return 0;
  }
  m_CurrentSwitch = stmt.switchLink->parent;
  return 0;
}
