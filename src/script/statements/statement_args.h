// Small helpers the statements share to read their words: variables of given
// widths, numbers or variables as values, and the SCREEN/LOG/BOTH destination
// of their printed lines.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/core/statement_api.h"
#include "script/core/variables.h"

namespace statement_args {

// The codes of one typed-variable word: none given, no such variable, a
// variable of another width.
struct VariableRule {
  int32_t type;  // K_VAR_...
  int32_t missing;
  int32_t unknown;
  int32_t wrongType;
};
// The typed variables that words[first...] name, one rule each, into out[];
// 0, or the code of the first word that is missing or not a variable of its type.
int32_t FindVariables(StatementContext& ctx, const std::vector<std::string>& words, size_t first,
                      std::span<const VariableRule> rules, VARI_LL** out);
// The record of a statement whose words are typed variables only.
template <size_t N>
struct VariablesData : StatementData {
  VARI_LL* variable[N] = {};
};

// A declaration line without its keyword (the first word) and the blanks after it.
std::string_view AfterKeyword(std::string_view line);

// Words of a text split at blanks and tabs (no other separator).
std::vector<std::string> Words(std::string_view text);

// Looks a word up as a variable of one of `types`. kUnknown: no variable of
// that name; kWrongType: a variable of another width.
enum class VarCheck { kOk, kUnknown, kWrongType };
VarCheck FindTyped(StatementContext& ctx, const std::string& word, std::initializer_list<int32_t> types, VARI_LL*& out);

// A value written as a number or as a variable, read at run time.
struct Value {
  uint32_t constant = 0;
  const VARI_LL* variable = nullptr;
  // Integer value; a double variable is truncated (negative reads 0, too
  // large reads 0xFFFFFFFF).
  uint32_t Get() const;
};
// A number of the given classes (K_NUM_...) or a variable of the given
// types. False when the word is neither.
bool ReadValue(StatementContext& ctx, const std::string& word, std::initializer_list<int> numberClasses,
               std::initializer_list<int32_t> variableTypes, Value& out);

// Where a printing statement writes.
enum Destination : uint8_t { kScreen = 1, kLog = 2, kBoth = 3 };
// A leading SCREEN, LOG or BOTH word is taken off `words`; without one the
// output goes to the screen.
Destination TakeDestination(std::vector<std::string>& words);
// One line (without its line end) to the screen and/or the session log.
void EmitLine(StatementContext& ctx, Destination where, std::string_view line);

}  // namespace statement_args
