#include "script/core/error_fx.h"

namespace {
const char* FindIn(const ErrorFxRow* rows, int32_t code) {
  for (const ErrorFxRow* r = rows; r->text != nullptr; ++r)
    if (r->code == code) return r->text;
  return nullptr;
}
}  // namespace

const char* ErrorFxLookup(int32_t code) { return FindIn(ErrorFx, code); }

const char* ErrorFxText(int32_t code) {
  const char* text = FindIn(ErrorFx, code);
  return text != nullptr ? text : FindIn(ErrorFxAdditions, code);
}
