// The small queries a script makes of the console: brand, operating mode and
// install path.
#include <string>

#include "facade/scsi_wrapper.h"
#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/statement_api.h"

namespace {

// GETBRAND and GETOPMODE: the byte variable the line names, found once; the
// run gives it value(engine).
int ByteQuery(KScript& engine, TEXT_LINK& stmt, int32_t unknown, int32_t wrongType, uint32_t (*value)(const KScript&)) {
  struct Query : StatementData {
    VARI_LL* variable = nullptr;
  };
  StatementContext ctx(engine);
  return CompileThenRun<Query>(
      ctx, stmt, unknown,
      [&](Query& d) -> int32_t {
        d.variable = engine.FindVariable(engine.m_Line);
        if (d.variable == nullptr) return unknown;
        return d.variable->type == K_VAR_BYTE ? 0 : wrongType;
      },
      [&](Query& d) {
        d.variable->SetUnsigned(value(engine));
        return 0;
      });
}

}  // namespace

// GETBRAND variable
int KScript::_GetBrand(TEXT_LINK& stmt) {
  return ByteQuery(*this, stmt, K_GET_BRAND_INVALID_VARIABLE_SPECIFIED, K_GET_BRAND_INVALID_VARIABLE_TYPE_SPECIFIED,
                   [](const KScript& engine) -> uint32_t {
                     std::string brand = engine.GetScsiWrapper() != nullptr ? engine.GetScsiWrapper()->GetVendor() : "";
                     KText::UpperCase(brand);
                     return brand == "HALCYON" ? 0 : brand == "DELL" ? 1 : 255;
                   });
}

// GETOPMODE variable
int KScript::_GetOpMode(TEXT_LINK& stmt) {
  return ByteQuery(*this, stmt, K_GET_OPMODE_INVALID_VARIABLE_SPECIFIED, K_GET_OPMODE_INVALID_VARIABLE_TYPE_SPECIFIED,
                   [](const KScript& engine) -> uint32_t {
                     return engine.GetScsiWrapper() != nullptr && engine.GetScsiWrapper()->GetEngMode() ? 1 : 0;
                   });
}

// GETINSTALLPATH buffer
int KScript::_GetInstallPath(TEXT_LINK& /*stmt*/) {
  return FindArray(m_Line) != nullptr ? 0 : Fail(K_GETIPATH_INVALID_BUFFER_SPECIFED);
}
