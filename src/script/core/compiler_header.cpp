// Script header statements: DESCRIPTION, VERSION, FAMILY and the section markers.
#include <cstdlib>
#include <cstring>

#include "script/core/family_names.h"
#include "script/core/kscript.h"

// DESCRIPTION text
int KScript::_Description(TEXT_LINK& /*stmt*/) {
  m_Description = m_Line;
  if (!IsRunMode()) m_DescriptionSeen = true;
  return 0;
}

// VERSION number
int KScript::_Version(TEXT_LINK& /*stmt*/) {
  if (m_Line[0] == '\0') return Fail(VERSION_NO_VALUE_SPECIFIED);
  m_Version = std::strtof(m_Line, nullptr);
  return 0;
}

// [TASK], [TEST], [DIAG], [ENGINEERING]
int KScript::_Section(TEXT_LINK& /*stmt*/) { return 0; }

// STATE
int KScript::_State(TEXT_LINK& /*stmt*/) { return 0; }

// FAMILY name / name ...   (or names separated by ",")
int KScript::FamilyHandler(int /*arg*/) {
  std::string rest(m_Line);
  Clear1stWord(rest);
  for (char& c : rest)
    if (c == '(' || c == ')' || c == ';') c = ' ';
  CleanLine(rest);
  if (rest.empty()) return Fail(K_FAMILY_NOBODY_HOME);
  while (!rest.empty()) {
    size_t end = rest.find('/');
    if (end == std::string::npos) end = rest.find(',');
    std::string piece = rest.substr(0, end);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    UpperCase(piece);
    CleanLine(piece);
    if (!IsFamilyWord(piece)) return Fail(K_FAMILY_INVALID_FAMILY_DETECTED);
  }
  return 0;
}
