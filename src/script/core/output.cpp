// The output statements: MSG to the console, LOG to the session log, PRINT to
// either or both, into a buffer or into a script file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/text_util.h"
#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/output_format.h"
#include "script/core/statement_api.h"

namespace {

enum class PrintDest { Screen, Log, Both, Buffer, File };

struct PrintTarget {
  PrintDest dest = PrintDest::Both;
  KByteArray* buffer = nullptr;
  const VARI_LL* offsetVariable = nullptr;
  uint32_t offset = 0;
  std::string_view rest;                 // the quoted format and its values
  DeclarationList* fileOwner = nullptr;  // FILE: the list that declared the file
  std::string fileTag;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void WriteScreen(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

// The session log gets the script's own lines as they are: the text and a line feed.
void WriteLog(FILE* log, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), log);
  std::fputc('\n', log);
  std::fflush(log);
}

// Offset of PRINT BUFFER at run time; false when it cannot be one.
bool OffsetValue(const PrintTarget& target, uint64_t& offset) {
  if (target.offsetVariable == nullptr) {
    offset = target.offset;
    return true;
  }
  if (!target.offsetVariable->IsDouble()) {
    offset = target.offsetVariable->Unsigned();
    return true;
  }
  const double rounded = std::round(target.offsetVariable->dValue);
  if (!(rounded >= 0.0 && rounded <= 4294967295.0)) return false;
  offset = static_cast<uint64_t>(rounded);
  return true;
}

// Destination words of PRINT; any other first word is part of the format (BOTH).
struct PrintDestWord {
  const char* word;
  PrintDest dest;
};
constexpr PrintDestWord kPrintDestWords[] = {
    {"SCREEN", PrintDest::Screen}, {"LOG", PrintDest::Log},   {"BOTH", PrintDest::Both},
    {"BUFFER", PrintDest::Buffer}, {"FILE", PrintDest::File},
};

// "name [offset]" of PRINT BUFFER; 0, or the error code.
int ParseBufferTarget(KScript& engine, std::string_view rest, PrintTarget& target) {
  size_t end = 0;
  while (end < rest.size() && !IsBlank(rest[end]) && rest[end] != '[') ++end;
  target.buffer = engine.FindArray(rest.substr(0, end));
  if (target.buffer == nullptr) return PRINT_INVALID_DEST_BUFFER_SPECIFIED;
  target.rest = text::Trim(rest.substr(end));
  if (target.rest.empty() || target.rest.front() != '[') return 0;
  const size_t close = target.rest.find(']');
  if (close == std::string_view::npos) return PRINT_UNKNOWN_BUFFER_INDEX_SPECIFIED;
  const std::string_view index = text::Trim(target.rest.substr(1, close - 1));
  target.rest.remove_prefix(close + 1);
  target.offsetVariable = engine.FindVariable(std::string(index).c_str());
  if (target.offsetVariable != nullptr) return 0;
  const int cls = KText::DetermineNumberType(index);
  if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG) return PRINT_UNKNOWN_BUFFER_INDEX_SPECIFIED;
  target.offset = static_cast<uint32_t>(KText::AtoLn(index));
  return 0;
}

// The destination words at the start of a PRINT text; 0, or the error code.
int ParsePrintTarget(KScript& engine, std::string_view text, PrintTarget& target) {
  text = text::Trim(text);
  std::string first = KText::FirstWord(text);
  KText::UpperCase(first);
  target.rest = text;
  for (const PrintDestWord& row : kPrintDestWords) {
    if (first != row.word) continue;
    target.dest = row.dest;
    const std::string_view rest = text::Trim(text.substr(first.size()));
    target.rest = rest;
    if (row.dest == PrintDest::Buffer) return ParseBufferTarget(engine, rest, target);
    if (row.dest == PrintDest::File) {
      target.fileTag = KText::FirstWord(rest);
      target.fileOwner = engine.m_Declarations.ScriptFileOwner(target.fileTag);
      if (target.fileOwner == nullptr) return K_PRINT_TO_FILE_INVALID_DEST_FILE_SPECIFIED;
      target.rest = text::Trim(rest.substr(target.fileTag.size()));
    }
    break;
  }
  return 0;
}

}  // namespace

// MSG text
int KScript::_Msg(TEXT_LINK& /*stmt*/) {
  if (!IsRunMode()) return m_Line[0] == '\0' ? Fail(MSG_NO_VALUE_SPECIFIED) : 0;
  WriteScreen(m_Line);
  return 0;
}

// LOG text
int KScript::_Log(TEXT_LINK& /*stmt*/) {
  if (!IsRunMode()) return m_Line[0] == '\0' ? Fail(LOG_NO_VALUE_SPECIFIED) : 0;
  StatementContext context(*this);
  return context.Log(m_Line);
}

// PRINT [SCREEN | LOG | BOTH | BUFFER name [offset] | FILE tag] 'format' value ...
int KScript::_Print(TEXT_LINK& /*stmt*/) {
  PrintTarget target;
  if (const int code = ParsePrintTarget(*this, m_Line, target); code != 0) return Fail(code);
  std::string out;
  const int code = FormatPrint(target.rest, m_Variables, *this, target.dest == PrintDest::File, kLineSize - 1, out);
  if (code != 0) return Fail(code);
  if (!IsRunMode()) return 0;

  StatementContext context(*this);
  switch (target.dest) {
    case PrintDest::Screen:
      context.Screen(out);
      return 0;
    case PrintDest::Log:
      return context.Log(out);
    case PrintDest::Both:
      context.Both(out);
      return 0;
    case PrintDest::Buffer: {
      KByteArray& buffer = *target.buffer;
      uint64_t offset = 0;
      if (!OffsetValue(target, offset) || buffer.data == nullptr || offset + out.size() + 1 > buffer.size)
        return Fail(PRINT_OUTPUT_STR_EXCEEDS_BUFFER_SIZE);
      std::memcpy(buffer.data.get() + offset, out.data(), out.size());
      buffer.data[offset + out.size()] = 0;
      buffer.altered = 1;
      return 0;
    }
    case PrintDest::File:
      if (const int code = target.fileOwner->PrintToScriptFile(target.fileTag, out); code != 0) return Fail(code);
      return 0;
  }
  return Fail(K_PRINT_TO_FILE_INVALID_DEST_FILE_SPECIFIED);
}

void StatementContext::Screen(std::string_view text) { WriteScreen(text); }

int StatementContext::Log(std::string_view text) {
  if (engine_.m_LogFile == nullptr) return Fail(KRT_LOG_NON_WINDOWS_LOG_FILE_POINTER_NOT_SET);
  WriteLog(engine_.m_LogFile, text);
  return 0;
}

void StatementContext::Both(std::string_view text) {
  // A run without a session log (its folder is missing) still shows its output.
  WriteScreen(text);
  if (engine_.m_LogFile != nullptr) WriteLog(engine_.m_LogFile, text);
}
