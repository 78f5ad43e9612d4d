// Remarks: texts a script attaches to its external labels with REMARK, in a
// one-line form  REMARK ("text");  or spread over lines:
//   REMARK ("first"
//          , "second"
//          , "third");        (or a closing line  );  )
// The parts are joined by CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "script/core/declarations.h"

struct REMARK_LINK {
  std::string symbol;
  std::string text;
  int32_t fileId = 0;
  int32_t line = 0;
};

enum class RemarkResult : uint8_t {
  Ok,
  MissingLeftParen,
  MissingParen,  // a following line that starts with neither "," nor ")"
  MissingQuote,
  UnexpectedEof,  // the script ended inside the remark
  MissingRightParen,
  SymbolNotExternal,  // no label before it, or not an external one
  CreationError,
};

// Next line of the script for the multi-line form; false at the end of the script.
using RemarkLineReader = std::function<bool(std::string& line)>;

// Text of a remark from what follows the keyword; further lines come from next
// (comments removed and trimmed here).
RemarkResult ParseRemark(std::string_view afterKeyword, const RemarkLineReader& next, std::string& text);

class K_Remarks : public DeclarationList {
 public:
  void Add(std::string symbol, std::string text, int32_t fileId, int32_t line);
  // Text of the first remark of the symbol into buffer (size bytes with its NUL);
  // false when there is none or it does not fit.
  bool Find(std::string_view symbol, char* buffer, size_t size) const;
  const REMARK_LINK* Find(std::string_view symbol) const;
  size_t Count() const { return remarks_.size(); }
  void Clear() { remarks_.clear(); }

 private:
  std::vector<REMARK_LINK> remarks_;
};
