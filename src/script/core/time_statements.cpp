// TIME and FORMATTIME: the wall clock in seconds, and a time split into
// hours, minutes and seconds.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/system.h"
#include "script/core/error_fx.h"
#include "script/core/kscript.h"

namespace {

// Whole part of a double, toward zero, inside the 64-bit range (NaN as 0).
double Whole(double value) {
  if (std::isnan(value)) return 0.0;
  return std::trunc(std::clamp(value, -9.2e18, 9.2e18));
}

// An integer variable takes the whole value cut to its width.
void StoreWhole(VARI_LL& variable, double whole) {
  variable.SetUnsigned(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(whole))));
}

}  // namespace

// TIME variable
int KScript::_Time(TEXT_LINK& /*stmt*/) {
  VARI_LL* variable = FindVariable(m_Line);
  if (variable == nullptr) return Fail(TIME_INVALID_VARIABLE_SPECIFIED);
  if (!variable->IsDouble()) return Fail(TIME_INVALID_VARIABLE_TYPE_SPECIFIED);
  if (!IsRunMode()) return 0;
  const struct timeval now = Sys().Now();
  variable->dValue = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_usec) / 1e6;
  variable->altered = 1;
  return 0;
}

// FORMATTIME time hours minutes seconds
int KScript::_FormatTime(TEXT_LINK& /*stmt*/) {
  struct Operand {
    int32_t type;
    int32_t unknown;
    int32_t wrongType;
  };
  static constexpr Operand kOperands[4] = {
      {K_VAR_DOUBLE, FORMATTIME_INVALID_TIME_VARIABLE_SPECIFIED, FORMATTIME_INVALID_TIME_VARIABLE_TYPE_SPECIFIED},
      {K_VAR_WORD, FORMATTIME_INVALID_HOURS_VARIABLE_SPECIFIED, FORMATTIME_INVALID_HOURS_VARIABLE_TYPE_SPECIFIED},
      {K_VAR_BYTE, FORMATTIME_INVALID_MINUTES_VARIABLE_SPECIFIED, FORMATTIME_INVALID_MINUTES_VARIABLE_TYPE_SPECIFIED},
      {K_VAR_DOUBLE, FORMATTIME_INVALID_SECONDS_VARIABLE_SPECIFIED, FORMATTIME_INVALID_SECONDS_VARIABLE_TYPE_SPECIFIED},
  };
  std::string line(m_Line);
  VARI_LL* v[4] = {};
  for (int i = 0; i < 4; ++i) {
    std::string word;
    Store1stWord(line, word);
    Clear1stWord(line);
    v[i] = FindVariable(word.c_str());
    if (v[i] == nullptr) return Fail(kOperands[i].unknown);
    if (v[i]->type != kOperands[i].type) return Fail(kOperands[i].wrongType);
  }
  if (!IsRunMode()) return 0;
  const double time = v[0]->dValue;
  const double hours = Whole(time / 3600.0);
  const double minutes = Whole((time - hours * 3600.0) / 60.0);
  StoreWhole(*v[1], hours);
  StoreWhole(*v[2], minutes);
  v[3]->dValue = time - hours * 3600.0 - minutes * 60.0;
  v[3]->altered = 1;
  return 0;
}
