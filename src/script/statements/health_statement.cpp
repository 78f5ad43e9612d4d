#include "script/statements/health_statement.h"

#include "facade/health_read.h"
#include "script/core/error_fx.h"
#include "script/statements/statement_args.h"

namespace sa = statement_args;

// The verdict of a read-only health run of the script's drive, as the
// console's --health gives it: 0 OK, 1 WARNING, 2 FAIL, 3 unreadable.
int _GetHealth(StatementContext& ctx, TEXT_LINK& /*stmt*/) {
  const std::vector<std::string> w = sa::Words(ctx.Line());
  VARI_LL* v = nullptr;
  if (w.empty()) return ctx.Fail(K_GET_HEALTH_INVALID_VARIABLE_SPECIFIED);
  switch (sa::FindTyped(ctx, w[0], {K_VAR_BYTE}, v)) {
    case sa::VarCheck::kOk:
      break;
    case sa::VarCheck::kUnknown:
      return ctx.Fail(K_GET_HEALTH_INVALID_VARIABLE_SPECIFIED);
    default:
      return ctx.Fail(K_GET_HEALTH_INVALID_VARIABLE_TYPE);
  }
  ScsiWrapper* facade = ctx.Facade();
  if (!ctx.IsRunMode() || facade == nullptr) return 0;
  const int32_t position = facade->GetDeviceSelected();
  if (position < 0) return ctx.Fail(KRT_GET_HEALTH_NO_DEVICE);
  v->SetUnsigned(static_cast<uint32_t>(ReadDeviceHealth(*facade, position).verdict));
  return 0;
}
