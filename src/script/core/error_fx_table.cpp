// Script error catalogue: code -> message, made from the one list of the
// codes. Lookup takes the first row with a code.
#include "script/core/error_fx.h"

#include <cstddef>
#include <iterator>

const ErrorFxRow ErrorFx[] = {
#define ERROR_FX(code, text) {(code), (text)},
#define ERROR_FX_NAMED(name, code, text) {(code), (text)},
#define ERROR_FX_ADDITION(code, text)
#define ERROR_FX_ADDITION_NAMED(name, code, text)
#define ERROR_FX_ALIAS(name, code)
#define ERROR_FX_NAME_ONLY(name, code)
#include "script/core/error_fx.def"
#undef ERROR_FX
#undef ERROR_FX_NAMED
#undef ERROR_FX_ADDITION
#undef ERROR_FX_ADDITION_NAMED
    {0, nullptr},
};

const ErrorFxRow ErrorFxAdditions[] = {
#define ERROR_FX(code, text)
#define ERROR_FX_NAMED(name, code, text)
#define ERROR_FX_ADDITION(code, text) {(code), (text)},
#define ERROR_FX_ADDITION_NAMED(name, code, text) {(code), (text)},
#include "script/core/error_fx.def"
#undef ERROR_FX
#undef ERROR_FX_NAMED
#undef ERROR_FX_ADDITION
#undef ERROR_FX_ADDITION_NAMED
#undef ERROR_FX_ALIAS
#undef ERROR_FX_NAME_ONLY
    {0, nullptr},
};

namespace {

// The codes the names stand for, aliases left out: each belongs to one name.
constexpr int32_t kNamedCodes[] = {
#define ERROR_FX(code, text)
#define ERROR_FX_NAMED(name, code, text) (code),
#define ERROR_FX_ADDITION(code, text)
#define ERROR_FX_ADDITION_NAMED(name, code, text) (code),
#define ERROR_FX_ALIAS(name, code)
#define ERROR_FX_NAME_ONLY(name, code) (code),
#include "script/core/error_fx.def"
#undef ERROR_FX
#undef ERROR_FX_NAMED
#undef ERROR_FX_ADDITION
#undef ERROR_FX_ADDITION_NAMED
#undef ERROR_FX_ALIAS
#undef ERROR_FX_NAME_ONLY
};

constexpr bool NamesHaveDistinctCodes() {
  for (size_t i = 0; i < std::size(kNamedCodes); ++i)
    for (size_t j = i + 1; j < std::size(kNamedCodes); ++j)
      if (kNamedCodes[i] == kNamedCodes[j]) return false;
  return true;
}
static_assert(NamesHaveDistinctCodes(), "two names of error_fx.def share a code: write the second as ERROR_FX_ALIAS");

}  // namespace
