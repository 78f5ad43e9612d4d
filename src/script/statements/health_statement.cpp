#include "script/statements/health_statement.h"

#include "facade/health_read.h"
#include "script/core/error_fx.h"
#include "script/statements/statement_args.h"

namespace sa = statement_args;

// The verdict of a read-only health run of the script's drive, as the
// console's --health gives it: 0 OK, 1 WARNING, 2 FAIL, 3 unreadable.
int _GetHealth(StatementContext& ctx, TEXT_LINK& stmt) {
  static constexpr sa::VariableRule kRule[] = {{K_VAR_BYTE, K_GET_HEALTH_INVALID_VARIABLE_SPECIFIED,
                                                K_GET_HEALTH_INVALID_VARIABLE_SPECIFIED,
                                                K_GET_HEALTH_INVALID_VARIABLE_TYPE}};
  return CompileThenRun<sa::VariablesData<1>>(
      ctx, stmt, K_GET_HEALTH_INVALID_VARIABLE_SPECIFIED,
      [&](sa::VariablesData<1>& d) { return sa::FindVariables(ctx, sa::Words(ctx.Line()), 0, kRule, d.variable); },
      [&](sa::VariablesData<1>& d) {
        ScsiWrapper* facade = ctx.Facade();
        if (facade == nullptr) return 0;
        const int32_t position = facade->GetDeviceSelected();
        if (position < 0) return ctx.Fail(KRT_GET_HEALTH_NO_DEVICE);
        d.variable[0]->SetUnsigned(static_cast<uint32_t>(ReadDeviceHealth(*facade, position).verdict));
        return 0;
      });
}
