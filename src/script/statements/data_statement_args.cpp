// Arguments of the table, CSV and file statements.
#include "script/statements/data_statement_args.h"

#include "base/text_util.h"
#include "script/core/output_format.h"
#include "script/statements/tables.h"

namespace data_args {

std::string DeclaredName(std::string_view line) {
  std::string cleaned(WithoutComment(line));
  for (char& c : cleaned)
    if (c == '(' || c == ')' || c == ';') c = ' ';
  const std::vector<std::string> words = Words(cleaned);
  return words.size() >= 2 ? words[1] : std::string();
}

IntResult ReadInt(StatementContext& ctx, const std::string& word, uint8_t numberClasses, uint8_t variableTypes,
                  IntArg& out) {
  if (const VARI_LL* variable = ctx.FindVariable(word.c_str())) {
    if ((variableTypes & (1u << variable->type)) == 0) return IntResult::WrongVariable;
    out.variable = variable;
    return IntResult::Ok;
  }
  const int cls = KText::DetermineNumberType(std::string_view(word));
  if (cls == K_NUM_NONE) return IntResult::Unknown;
  if ((numberClasses & cls) == 0) return IntResult::WrongNumber;
  const int64_t value = KText::AtoLn(std::string_view(word));
  if (value < 0) return IntResult::WrongNumber;
  out.number = static_cast<uint32_t>(value);
  return IntResult::Ok;
}

VARI_LL* ReadVariable(StatementContext& ctx, const std::string& word, uint8_t types, bool& wrongType) {
  VARI_LL* variable = ctx.FindVariable(word.c_str());
  wrongType = variable != nullptr && (types & (1u << variable->type)) == 0;
  return wrongType ? nullptr : variable;
}

std::string_view TextOf(const KByteArray& buffer) { return BufferText(buffer); }

void PutText(KByteArray& buffer, std::string_view text) {
  if (buffer.data == nullptr || buffer.size == 0) return;
  text::CopyBounded(reinterpret_cast<char*>(buffer.data.get()), buffer.size, text);
  buffer.altered = 1;
}

}  // namespace data_args
