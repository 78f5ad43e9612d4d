// REMARK: a text attached to the external label before it.
#include "script/core/error_fx.h"
#include "script/statements/data_statements.h"
#include "script/statements/remarks.h"

namespace {

struct RemarkCode {
  RemarkResult result;
  int32_t code;
};
constexpr RemarkCode kRemarkCodes[] = {
    {RemarkResult::MissingLeftParen, K_REMARK_MISSING_LEFT_PAREN},
    {RemarkResult::MissingParen, K_REMARK_MISSING_PAREN},
    {RemarkResult::MissingQuote, K_REMARK_MISSING_QUOTE_DETECTED},
    {RemarkResult::UnexpectedEof, K_REMARK_UNEXPECTED_EOF_DETECTED},
    {RemarkResult::MissingRightParen, K_REMARK_MISSING_RIGHT_PAREN},
    {RemarkResult::SymbolNotExternal, K_REMARK_SYMBOL_NOT_EXTERNAL},
    {RemarkResult::CreationError, K_REMARK_CREATION_ERROR},
};

}  // namespace

// REMARK ("text"); or REMARK ("text" / , "text" / ... );
int _RemarkDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  const int32_t line = ctx.SourceLine();
  std::string_view rest = ctx.Line();
  const size_t keyword = rest.find_first_not_of(" \t");
  rest.remove_prefix(keyword == std::string_view::npos ? rest.size() : keyword);
  rest.remove_prefix(std::min(rest.size(), std::string_view("REMARK").size()));

  // The whole remark is read first, so that its later lines never pass for statements.
  std::string text;
  RemarkResult rc = ParseRemark(
      rest, [&ctx](std::string& next) { return ctx.NextScriptLine(next); }, text);
  const SYMBOL_LINK* label = ctx.LastLabel();
  if (rc == RemarkResult::Ok && (label == nullptr || !label->external)) rc = RemarkResult::SymbolNotExternal;
  for (const RemarkCode& row : kRemarkCodes)
    if (row.result == rc) return ctx.Fail(row.code);
  ctx.Declarations().Get<K_Remarks>().Add(label->name, std::move(text), ctx.SourceFile(), line);
  return 0;
}
