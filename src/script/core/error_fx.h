// Script error catalogue: every failure the engine finds while loading, compiling,
// linking or running a script is one negative code with a message text.
#pragma once

#include <cstdint>

struct ErrorFxRow {
  int32_t code;
  const char* text;  // nullptr ends the table
};

// The catalogue proper, in its historical order (codes -910..-913 appear twice;
// the first row wins). Ends with a row whose text is nullptr.
extern const ErrorFxRow ErrorFx[];

// Codes the engine sets that the historical catalogue has no row for, with the
// texts this engine reports for them. Ends with a row whose text is nullptr.
extern const ErrorFxRow ErrorFxAdditions[];

// First catalogue row with this code, or nullptr.
const char* ErrorFxLookup(int32_t code);

// Text used by error reports: the catalogue, then the additions; nullptr when neither has it.
const char* ErrorFxText(int32_t code);

// Codes set by name, by the engine core and its statements, made from the one
// list of the codes (error_fx.def), where each code has one row.
enum ErrorCode : int32_t {
#define ERROR_FX(code, text)
#define ERROR_FX_NAMED(name, code, text) name = (code),
#define ERROR_FX_ADDITION(code, text)
#define ERROR_FX_ADDITION_NAMED(name, code, text) name = (code),
#define ERROR_FX_ALIAS(name, code) name = (code),
#define ERROR_FX_NAME_ONLY(name, code) name = (code),
#include "script/core/error_fx.def"
#undef ERROR_FX
#undef ERROR_FX_NAMED
#undef ERROR_FX_ADDITION
#undef ERROR_FX_ADDITION_NAMED
#undef ERROR_FX_ALIAS
#undef ERROR_FX_NAME_ONLY
};
