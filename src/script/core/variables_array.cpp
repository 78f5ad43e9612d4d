// Byte arrays behind script buffers, and the DIMENSION statement.
#include "script/core/variables_array.h"

#include <new>

#include "script/core/error_fx.h"
#include "script/core/ktext.h"
#include "script/core/variables.h"
#include "script/core/variables_words.h"

namespace {

std::unique_ptr<uint8_t[]> NewStorage(uint32_t size) {
  if (size == 0 || size > KByteArrayMaxSize) return nullptr;
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]());
}

}  // namespace

bool KByteArray::Allocate(uint32_t newSize) {
  auto storage = NewStorage(newSize);
  if (!storage) return false;
  data = std::move(storage);
  size = newSize;
  filled = kWholeBuffer;
  return true;
}

// DIMENSION buffer size
int CompileDimension(std::string_view args, const CVariableLL& vars, const KScriptNames& names, KDimensionForm& out) {
  out = KDimensionForm{};
  std::string_view rest = args;
  std::string_view name = TakeWord(rest);
  KByteArray* array = name.empty() ? nullptr : names.FindArray(name);
  if (array == nullptr) return K_DIMENSION_INVALID_BUFFER_DETECTED;
  out.array = array;

  std::string_view size = TakeWord(rest);
  if (const VARI_LL* v = vars.FindVariable(size)) {
    if (v->IsDouble()) return K_DIMENSION_SIZE_VARIABLE_ERROR;
    out.sizeVariable = v;
    return 0;
  }
  const int numberClass = KText::DetermineNumberType(size);
  if (numberClass != K_NUM_BYTE && numberClass != K_NUM_WORD && numberClass != K_NUM_LONG)
    return K_DIMENSION_SIZE_NUMBER_ERROR;
  out.size = static_cast<uint32_t>(KText::AtoLn(size));
  if (out.size == 0) return K_DIMENSION_SIZE_RANGE_ERROR;
  return 0;
}

int RunDimension(const KDimensionForm& form, const KRepointFn& repoint) {
  if (form.array == nullptr) return K_DIMENSION_INVALID_BUFFER_DETECTED;
  const uint32_t size = form.sizeVariable != nullptr ? form.sizeVariable->Unsigned() : form.size;
  if (size == 0) return KRT_DIMENSION_SIZE_ERROR;
  auto storage = NewStorage(size);
  if (!storage) return KRT_DIMENSION_NEW_BUFFER_CREATION_ERROR;
  // Records pointing at the old bytes are moved over while those bytes still
  // exist; the old storage goes when it is replaced.
  if (repoint) repoint(form.array->data.get(), storage.get(), size);
  form.array->data = std::move(storage);
  form.array->size = size;
  return 0;
}
