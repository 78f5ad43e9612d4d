// The file-name prompts: a name typed into a buffer, with the suffix of the
// prompt appended when the name lacks it.
#include <cstring>
#include <string>

#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/output_format.h"
#include "script/core/prompts.h"

const FilePromptRow* FindFilePrompt(std::string_view upperKeyword) {
  for (const FilePromptRow* row = FilePrompts; row->keyword != nullptr; ++row)
    if (upperKeyword == row->keyword) return row;
  return nullptr;
}

// ASKFORFILE buffer ONOK|ONCANCEL label (and the other keywords of FilePrompts)
int KScript::_AskForFile(TEXT_LINK& stmt) {
  std::string keyword = FirstWord(stmt.text);
  UpperCase(keyword);
  const FilePromptRow* row = FindFilePrompt(keyword);
  std::string line(m_Line);
  CleanLine(line);
  const std::string label = PopLastWord(line);
  std::string trigger = PopLastWord(line);
  UpperCase(trigger);
  if (row == nullptr || label.empty() || trigger.empty() || line.empty()) return Fail(ASK4FILE_INVALID_NUMBER_OF_ARGS);
  KByteArray* buffer = FindArray(line);
  if (buffer == nullptr || buffer->data == nullptr || buffer->size == 0) return Fail(ASK4FILE_INVALID_BUFFER_SPECIFIED);
  if (trigger != "ONOK" && trigger != "ONCANCEL") return Fail(ASK4FILE_INVALID_TRIGGER_ARG);
  if (!IsRunMode()) return m_Symbols.SearchForMatch(label) ? 0 : Fail(ASK4FILE_INVALID_SYMBOL_ARG);

  char* name = reinterpret_cast<char*>(buffer->data.get());
  if (Ask4TextNW(row->prompt, name, buffer->size - 1) != 0) return 1;
  buffer->altered = 1;
  const size_t length = std::strlen(name);
  const size_t suffix = std::strlen(row->suffix);
  if (suffix == 0 || ContainsNoCase(std::string_view(name, length), row->suffix)) return 0;
  if (length + suffix > buffer->size - 1) return Fail(KRT_ASK_FOR_FILE_BUFFER_TOO_SMALL_ERROR);
  std::memcpy(name + length, row->suffix, suffix + 1);
  return 0;
}
