// TIME and FORMATTIME: the wall clock in seconds, and a time split into
// hours, minutes and seconds.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/system.h"
#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/statement_api.h"

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

// The variables a statement names, found once.
template <size_t N>
struct TimeVariables : StatementData {
  VARI_LL* v[N] = {};
};

}  // namespace

// TIME variable
int KScript::_Time(TEXT_LINK& stmt) {
  StatementContext ctx(*this);
  return CompileThenRun<TimeVariables<1>>(
      ctx, stmt, TIME_INVALID_VARIABLE_SPECIFIED,
      [&](TimeVariables<1>& d) -> int32_t {
        d.v[0] = FindVariable(m_Line);
        if (d.v[0] == nullptr) return TIME_INVALID_VARIABLE_SPECIFIED;
        return d.v[0]->IsDouble() ? 0 : TIME_INVALID_VARIABLE_TYPE_SPECIFIED;
      },
      [](TimeVariables<1>& d) {
        const struct timeval now = Sys().Now();
        d.v[0]->dValue = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_usec) / 1e6;
        d.v[0]->altered = 1;
        return 0;
      });
}

// FORMATTIME time hours minutes seconds
int KScript::_FormatTime(TEXT_LINK& stmt) {
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
  StatementContext ctx(*this);
  return CompileThenRun<TimeVariables<4>>(
      ctx, stmt, FORMATTIME_INVALID_TIME_VARIABLE_SPECIFIED,
      [&](TimeVariables<4>& d) -> int32_t {
        std::string line(m_Line);
        for (int i = 0; i < 4; ++i) {
          std::string word;
          Store1stWord(line, word);
          Clear1stWord(line);
          d.v[i] = FindVariable(word.c_str());
          if (d.v[i] == nullptr) return kOperands[i].unknown;
          if (d.v[i]->type != kOperands[i].type) return kOperands[i].wrongType;
        }
        return 0;
      },
      [](TimeVariables<4>& d) {
        VARI_LL* const* v = d.v;
        const double time = v[0]->dValue;
        const double hours = Whole(time / 3600.0);
        const double minutes = Whole((time - hours * 3600.0) / 60.0);
        StoreWhole(*v[1], hours);
        StoreWhole(*v[2], minutes);
        v[3]->dValue = time - hours * 3600.0 - minutes * 60.0;
        v[3]->altered = 1;
        return 0;
      });
}
