// Script header statements: DESCRIPTION, VERSION, FAMILY and the section markers.
#include <cstdlib>
#include <cstring>

#include "script/core/family_names.h"
#include "script/core/kscript.h"
#include "script/core/statement_api.h"

// DESCRIPTION text
int KScript::_Description(TEXT_LINK& stmt) {
  struct Description : StatementData {
    std::string text;
  };
  StatementContext ctx(*this);
  return CompileThenRun<Description>(
      ctx, stmt, EXE_UNRECOGNIZABLE_LINE,
      [&](Description& d) {
        d.text = m_Line;
        m_Description = d.text;
        m_DescriptionSeen = true;
        return 0;
      },
      [&](Description& d) {
        m_Description = d.text;
        return 0;
      });
}

// VERSION number
int KScript::_Version(TEXT_LINK& stmt) {
  struct Version : StatementData {
    float version = 0;
  };
  StatementContext ctx(*this);
  return CompileThenRun<Version>(
      ctx, stmt, VERSION_NO_VALUE_SPECIFIED,
      [&](Version& d) -> int32_t {
        if (m_Line[0] == '\0') return VERSION_NO_VALUE_SPECIFIED;
        d.version = std::strtof(m_Line, nullptr);
        m_Version = d.version;
        return 0;
      },
      [&](Version& d) {
        m_Version = d.version;
        return 0;
      });
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
