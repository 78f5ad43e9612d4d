// Remarks: the one-line and multi-line forms and the store by label.
#include "script/statements/remarks.h"

#include "base/text_util.h"

namespace {

// A line as the remark sees it: "//" comment cut, blanks trimmed.
std::string_view Clean(std::string_view line) {
  const size_t comment = line.find("//");
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  return text::Trim(line, text::IsSpace);
}

// "\"text\"" into text; false when the quotes are missing.
bool Unquote(std::string_view quoted, std::string& text) {
  quoted = text::Trim(quoted);
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
  text = std::string(quoted.substr(1, quoted.size() - 2));
  return true;
}

bool EndsWith(std::string_view s, char c) { return !s.empty() && s.back() == c; }

// The last text of a part that ends with ";": it must close with ")" first.
RemarkResult LastPart(std::string_view part, std::string& text) {
  part.remove_suffix(1);  // ';'
  part = text::Trim(part);
  if (!EndsWith(part, ')')) return RemarkResult::MissingRightParen;
  part.remove_suffix(1);
  return Unquote(part, text) ? RemarkResult::Ok : RemarkResult::MissingQuote;
}

}  // namespace

RemarkResult ParseRemark(std::string_view afterKeyword, const RemarkLineReader& next, std::string& text) {
  std::string_view first = Clean(afterKeyword);
  if (first.empty() || first.front() != '(') return RemarkResult::MissingLeftParen;
  first.remove_prefix(1);
  if (EndsWith(first, ';')) return LastPart(first, text);

  if (!Unquote(first, text)) return RemarkResult::MissingQuote;
  std::string raw;
  for (;;) {
    if (!next(raw)) return RemarkResult::UnexpectedEof;
    std::string_view line = Clean(raw);
    if (line.empty()) continue;
    if (line.front() == ')') return EndsWith(line, ';') ? RemarkResult::Ok : RemarkResult::MissingParen;
    if (line.front() != ',') return RemarkResult::MissingParen;
    line.remove_prefix(1);
    std::string part;
    const bool last = EndsWith(line, ';');
    const RemarkResult rc =
        last ? LastPart(line, part) : (Unquote(line, part) ? RemarkResult::Ok : RemarkResult::MissingQuote);
    if (rc != RemarkResult::Ok) return rc;
    text += "\r\n";
    text += part;
    if (last) return RemarkResult::Ok;
  }
}

void K_Remarks::Add(std::string symbol, std::string text, int32_t fileId, int32_t line) {
  remarks_.push_back(REMARK_LINK{std::move(symbol), std::move(text), fileId, line});
}

const REMARK_LINK* K_Remarks::Find(std::string_view symbol) const {
  for (const REMARK_LINK& r : remarks_)
    if (r.symbol == symbol) return &r;
  return nullptr;
}

bool K_Remarks::Find(std::string_view symbol, char* buffer, size_t size) const {
  const REMARK_LINK* r = Find(symbol);
  if (r == nullptr || buffer == nullptr || r->text.size() + 1 > size) return false;
  text::CopyBounded(buffer, size, r->text);
  return true;
}
