// Arguments shared by the table, CSV and file statements: the words of a
// statement, integer arguments given as numbers or variables, declared names,
// and texts put into buffers within their size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/core/statement_api.h"
#include "script/statements/statement_args.h"

namespace data_args {

using statement_args::Words;

// Variable types and number classes an argument accepts (bit sets).
inline constexpr uint8_t kByteVar = 1u << K_VAR_BYTE;
inline constexpr uint8_t kWordVar = 1u << K_VAR_WORD;
inline constexpr uint8_t kLongVar = 1u << K_VAR_LONG;
inline constexpr uint8_t kIntegerVars = kByteVar | kWordVar | kLongVar;
inline constexpr uint8_t kByteNumber = K_NUM_BYTE;
inline constexpr uint8_t kIntegerNumbers = K_NUM_BYTE | K_NUM_WORD | K_NUM_LONG;

// The name a one-word declaration declares: the second word of the line with
// parentheses and semicolons as blanks, "//" comments cut; empty when none.
std::string DeclaredName(std::string_view line);

enum class IntResult : uint8_t { Ok, Unknown, WrongNumber, WrongVariable };
// A number or an integer variable.
struct IntArg {
  const VARI_LL* variable = nullptr;
  uint32_t number = 0;
  uint32_t Value() const { return variable != nullptr ? variable->Unsigned() : number; }
};
IntResult ReadInt(StatementContext& ctx, const std::string& word, uint8_t numberClasses, uint8_t variableTypes,
                  IntArg& out);
// A variable of one of the types: nullptr when unknown (wrongType false) or of another type (true).
VARI_LL* ReadVariable(StatementContext& ctx, const std::string& word, uint8_t types, bool& wrongType);

// Text of a buffer (up to its first NUL, never past its size).
std::string_view TextOf(const KByteArray& buffer);
// The text into the buffer as a NUL-terminated text, cut to fit; marks it changed.
void PutText(KByteArray& buffer, std::string_view text);

}  // namespace data_args
