// The small queries a script makes of the console: brand, operating mode and
// install path.
#include <string>

#include "facade/scsi_wrapper.h"
#include "script/core/error_fx.h"
#include "script/core/kscript.h"

namespace {

// The byte variable named by the line; nullptr with the error code set.
VARI_LL* ByteVariable(KScript& engine, int32_t unknown, int32_t wrongType) {
  VARI_LL* variable = engine.FindVariable(engine.m_Line);
  if (variable == nullptr) {
    engine.Fail(unknown);
    return nullptr;
  }
  if (variable->type != K_VAR_BYTE) {
    engine.Fail(wrongType);
    return nullptr;
  }
  return variable;
}

}  // namespace

// GETBRAND variable
int KScript::_GetBrand(TEXT_LINK& /*stmt*/) {
  VARI_LL* variable =
      ByteVariable(*this, K_GET_BRAND_INVALID_VARIABLE_SPECIFIED, K_GET_BRAND_INVALID_VARIABLE_TYPE_SPECIFIED);
  if (variable == nullptr) return 1;
  if (!IsRunMode()) return 0;
  std::string brand = m_pScsiWrapper != nullptr ? m_pScsiWrapper->GetVendor() : "";
  UpperCase(brand);
  variable->SetUnsigned(brand == "HALCYON" ? 0 : brand == "DELL" ? 1 : 255);
  return 0;
}

// GETOPMODE variable
int KScript::_GetOpMode(TEXT_LINK& /*stmt*/) {
  VARI_LL* variable =
      ByteVariable(*this, K_GET_OPMODE_INVALID_VARIABLE_SPECIFIED, K_GET_OPMODE_INVALID_VARIABLE_TYPE_SPECIFIED);
  if (variable == nullptr) return 1;
  if (!IsRunMode()) return 0;
  variable->SetUnsigned(m_pScsiWrapper != nullptr && m_pScsiWrapper->GetEngMode() ? 1 : 0);
  return 0;
}

// GETINSTALLPATH buffer
int KScript::_GetInstallPath(TEXT_LINK& /*stmt*/) {
  return FindArray(m_Line) != nullptr ? 0 : Fail(K_GETIPATH_INVALID_BUFFER_SPECIFED);
}
