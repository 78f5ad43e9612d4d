// The DIMENSION statement: a buffer gets new storage of another size.
// Runs from its compiled form (its row is kCompiled).
#include <memory>

#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/variables_array.h"

namespace {

struct DimensionData : StatementData {
  KDimensionForm form;
};

}  // namespace

// DIMENSION buffer size
int KScript::_Dimension(TEXT_LINK& stmt) {
  if (!IsRunMode()) {
    auto data = std::make_unique<DimensionData>();
    if (const int code = CompileDimension(m_Line, m_Variables, *this, data->form); code != 0) return Fail(code);
    stmt.data = std::move(data);
    return 0;
  }
  const auto* data = dynamic_cast<const DimensionData*>(stmt.data.get());
  if (data == nullptr) return Fail(K_DIMENSION_INVALID_BUFFER_DETECTED);
  // Records that keep the buffer's storage object see the new bytes at once;
  // nothing here holds the bytes themselves.
  if (const int code = RunDimension(data->form, nullptr); code != 0) return Fail(code);
  return 0;
}
