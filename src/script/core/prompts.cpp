// The prompts: yes/no questions, instructions, text, numbers and list choices
// answered on standard input (the engine's input stream m_In).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "facade/scsi_wrapper.h"
#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/output_format.h"
#include "script/core/prompts.h"

// ---- shared steps ----

bool ReadAnswerWord(FILE* in, std::string& word) {
  word.clear();
  if (in == nullptr) return false;
  int c = 0;
  do c = std::getc(in);
  while (c != EOF && std::isspace(c));
  if (c == EOF) return false;
  for (; c != EOF && !std::isspace(c); c = std::getc(in))
    if (word.size() < kMaxAnswerLength) word += static_cast<char>(c);
  while (c != EOF && c != '\n') c = std::getc(in);
  return true;
}

int EndOfInput(KScript& engine) {
  // The prompt is still on its line; the report starts on the next.
  std::fputc('\n', stdout);
  engine.m_InputEnded = true;
  return engine.Fail(KRT_END_OF_INPUT_AT_A_PROMPT);
}

int JumpToTarget(KScript& engine, TEXT_LINK& stmt) {
  if (stmt.target == nullptr) return engine.Fail(JUMP_INVALID_VECTOR_ERROR);
  engine.JumpTo(stmt.target);
  return 0;
}

std::string PopLastWord(std::string& text) {
  std::string word;
  KText::StoreLastWord(text, word);
  KText::ClearLastWord(text);
  return word;
}

void QuotesToBlanks(std::string& text) {
  std::replace(text.begin(), text.end(), '"', ' ');
  KText::CleanLine(text);
}

bool ContainsNoCase(std::string_view text, std::string_view what) {
  const auto same = [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  };
  return std::search(text.begin(), text.end(), what.begin(), what.end(), same) != text.end();
}

std::string ExpandEscapes(std::string_view text, const EscapeRule* rules) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const EscapeRule* rule = nullptr;
    if (text[i] == '\\' && i + 1 < text.size())
      for (const EscapeRule* r = rules; r->letter != 0 && rule == nullptr; ++r)
        if (r->letter == text[i + 1]) rule = r;
    if (rule != nullptr) {
      out += rule->replacement;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

namespace {

bool IsTrigger(const std::string& upper, const char* a, const char* b) { return upper == a || upper == b; }

std::string Upper(std::string text) {
  KText::UpperCase(text);
  return text;
}

// Asks until the first letter of the answer is one of the two; 1 for the first.
// -1 when the input has ended.
int AskChoice(FILE* in, const std::string& question, const char* choices, char first, char second) {
  std::string word;
  for (;;) {
    std::printf("%s %s", question.c_str(), choices);
    std::fflush(stdout);
    if (!ReadAnswerWord(in, word)) return -1;
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    if (c == first) return 1;
    if (c == second) return 0;
  }
}

// The error codes of one prompt's "... ONOK|ONCANCEL label" tail.
struct TailCodes {
  int32_t missing, label, trigger;
};

// Takes the label and the trigger from the end of the line, in the order the
// prompts check them; 0 with the trigger upper-cased, or the error code.
int32_t PopPromptTail(std::string& line, bool runMode, const CSymbolLL& symbols, const TailCodes& codes,
                      std::string& trigger) {
  const std::string label = PopLastWord(line);
  if (label.empty()) return codes.missing;
  if (!runMode && !symbols.SearchForMatch(label)) return codes.label;
  trigger = Upper(PopLastWord(line));
  if (trigger.empty()) return codes.missing;
  if (!IsTrigger(trigger, "ONOK", "ONCANCEL")) return codes.trigger;
  return 0;
}

}  // namespace

constexpr TailCodes kAskForTextTail{ASK4TEXT_INVALID_NUMBER_OF_ARGS, ASK4TEXT_INVALID_SYMBOL_ARG,
                                    ASK4TEXT_INVALID_TRIGGER_ARG};
constexpr TailCodes kAskForNumberTail{ASK4NUMBER_INVALID_NUMBER_OF_ARGS, ASK4NUMBER_INVALID_SYMBOL_ARG,
                                      ASK4NUMBER_INVALID_TRIGGER_ARG};

// ---- the reading operations ----

int KScript::Ask4TextNW(const char* prompt, char* destination, size_t limit) {
  std::printf("%s\n>", prompt);
  std::fflush(stdout);
  destination[0] = '\0';
  int c = EOF;
  if (m_In != nullptr) {
    do c = std::getc(m_In);
    while (c == '\n' || c == '\r');
  }
  if (c == EOF) return EndOfInput(*this);
  // Reading stops at the limit; the rest of the line is not left for the next prompt.
  size_t length = 0;
  for (; c != EOF && c != '\n'; c = std::getc(m_In))
    if (length < limit && c != '\r' && c != '\0') destination[length++] = static_cast<char>(c);
  destination[length] = '\0';
  return 0;
}

int KScript::Ask4NumberNW(const char* prompt, VARI_LL& variable, bool hex) {
  const NumberPromptRow& row = NumberPrompts[variable.type & 3];
  const size_t longest = hex ? row.hexDigits : row.decDigits;
  std::string word;
  for (;;) {
    std::printf("%s\n(%s:%s)>", prompt, row.label, hex ? "HEX" : "DEC");
    std::fflush(stdout);
    if (!ReadAnswerWord(m_In, word)) return EndOfInput(*this);
    const bool legal = std::all_of(word.begin(), word.end(), [hex](char c) {
      return hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c));
    });
    if (!legal) {
      std::printf("%s\n", hex ? "Illegal Hex Character Detected..." : "Illegal Decimal Character Detected...");
      continue;
    }
    double value = 0.0;
    if (word.size() > longest || !AtoDouble(hex ? word + "H" : word, value) || value > row.largest) {
      std::printf("Value Out Of Range...\n");
      continue;
    }
    if (variable.IsDouble()) {
      variable.dValue = value;
      variable.altered = 1;
    } else {
      variable.SetUnsigned(static_cast<uint32_t>(value));
    }
    return 0;
  }
}

// ---- statements ----

// ASK "question" ONYES|ONNO label  /  ASK buffer ONYES|ONNO label
int KScript::_Ask(TEXT_LINK& stmt) {
  std::string line(m_Line);
  CleanLine(line);
  if (line.empty()) return Fail(ASK_NO_QUESTION_SPECIFIED);
  const std::string label = PopLastWord(line);
  if (!IsRunMode() && !m_Symbols.SearchForMatch(label)) return Fail(ASK_INVALID_VECTOR_SPECIFIED);
  const std::string trigger = Upper(PopLastWord(line));
  if (!IsTrigger(trigger, "ONYES", "ONNO")) return Fail(ASK_NO_VECTOR_DETECTED);
  const bool onYes = trigger == "ONYES";
  if (line.empty()) return Fail(ASK_NO_QUESTION_SPECIFIED);
  std::string question;
  if (line.find('"') != std::string::npos) {
    QuotesToBlanks(line);
    question = line;
  } else {
    const KByteArray* buffer = FindArray(line);
    if (buffer == nullptr) return Fail(K_ASK_INVALID_QUESTION_BUFFER_SPECIFIED);
    question = BufferText(*buffer);
  }
  if (!IsRunMode()) return 0;

  const int32_t autoReply = m_pScsiWrapper != nullptr ? m_pScsiWrapper->GetAutoReply() : 0;
  int yes = autoReply > 0 ? 1 : 0;
  if (autoReply == 0) {
    yes = AskChoice(m_In, ExpandEscapes(question, QuestionEscapes), "(Yes/No)", 'Y', 'N');
    if (yes < 0) return EndOfInput(*this);
  }
  return (yes == 1) == onYes ? JumpToTarget(*this, stmt) : 0;
}

// INSTRUCT text ONOK label  /  INSTRUCT text ONCANCEL label
int KScript::_Instruct(TEXT_LINK& /*stmt*/) {
  std::string line(m_Line);
  CleanLine(line);
  if (line.empty()) return Fail(INSTRUCT_NO_VALUE_SPECIFIED);
  const std::string upper = Upper(line);
  const size_t ok = upper.find("ONOK");
  const size_t cancel = upper.find("ONCANCEL");
  if (ok == std::string::npos && cancel == std::string::npos) return Fail(INSTRUCT_NO_VECTOR_DETECTED);
  if (ok != std::string::npos && cancel != std::string::npos) return Fail(INSTRUCT_TOO_MANY_VECTORS_SPECIFIED);
  const bool onOk = ok != std::string::npos;
  const size_t at = onOk ? ok : cancel;
  const std::string label = FirstWord(std::string_view(line).substr(at + (onOk ? 4 : 8)));
  if (!m_Symbols.SearchForMatch(label)) return Fail(INSTRUCT_INVALID_VECTOR_SPECIFIED);
  if (!IsRunMode()) return 0;

  std::string instruction = line.substr(0, at);
  CleanLine(instruction);
  const int okAnswer = AskChoice(m_In, ExpandEscapes(instruction, QuestionEscapes), "(Ok/Cancel)", 'O', 'C');
  if (okAnswer < 0) return EndOfInput(*this);
  if ((okAnswer == 1) != onOk) return 0;
  TEXT_LINK* target = m_Symbols.GetTextPointer(label);
  if (target == nullptr) return Fail(JUMP_INVALID_VECTOR_ERROR);
  JumpTo(target);
  return 0;
}

// ASKFORTEXT prompt buffer limit ONOK|ONCANCEL label
int KScript::_AskForText(TEXT_LINK& /*stmt*/) {
  std::string line(m_Line);
  QuotesToBlanks(line);
  std::string trigger;
  if (const int32_t code = PopPromptTail(line, IsRunMode(), m_Symbols, kAskForTextTail, trigger)) return Fail(code);
  const std::string limit = PopLastWord(line);
  if (limit.empty()) return Fail(ASK4TEXT_INVALID_NUMBER_OF_ARGS);
  if (DetermineNumberType(std::string_view(limit)) != K_NUM_BYTE) return Fail(ASK4TEXT_INVALID_LIMIT_ARG);
  const std::string name = PopLastWord(line);
  if (name.empty()) return Fail(ASK4TEXT_INVALID_NUMBER_OF_ARGS);
  KByteArray* buffer = FindArray(name);
  if (buffer == nullptr || buffer->data == nullptr || buffer->size == 0) return Fail(ASK4TEXT_INVALID_BUFFER_SPECIFIED);
  if (!IsRunMode()) return 0;

  // The answer and its NUL stay inside the buffer whatever the limit says.
  const size_t most = std::min<size_t>(static_cast<size_t>(Aton(std::string_view(limit))), buffer->size - 1);
  const std::string prompt = ExpandEscapes(line, TextPromptEscapes);
  if (Ask4TextNW(prompt.c_str(), reinterpret_cast<char*>(buffer->data.get()), most) != 0) return 1;
  buffer->altered = 1;
  return 0;
}

// ASKFORNUMBER prompt variable HEX|DEC ONOK|ONCANCEL label
int KScript::_AskForNumber(TEXT_LINK& /*stmt*/) {
  std::string line(m_Line);
  QuotesToBlanks(line);
  std::string trigger;
  if (const int32_t code = PopPromptTail(line, IsRunMode(), m_Symbols, kAskForNumberTail, trigger)) return Fail(code);
  const std::string mode = Upper(PopLastWord(line));
  if (mode.empty()) return Fail(ASK4NUMBER_INVALID_NUMBER_OF_ARGS);
  if (!IsTrigger(mode, "HEX", "DEC")) return Fail(ASK4NUMBER_INVALID_MODE_ARG);
  const std::string name = PopLastWord(line);
  if (name.empty()) return Fail(ASK4NUMBER_INVALID_NUMBER_OF_ARGS);
  VARI_LL* variable = FindVariable(name.c_str());
  if (variable == nullptr) return Fail(ASK4NUMBER_INVALID_BUFFER_SPECIFIED);
  if (!IsRunMode()) return 0;
  return Ask4NumberNW(line.c_str(), *variable, mode == "HEX");
}

// ASKFORLISTCHOICE prompt choice-choice-... variable ONOK|ONCANCEL label
int KScript::_AskForListChoice(TEXT_LINK& stmt) {
  std::string line(m_Line);
  QuotesToBlanks(line);
  std::string trigger;
  if (const int32_t code = PopPromptTail(line, IsRunMode(), m_Symbols, kAskForNumberTail, trigger)) return Fail(code);
  const bool onOk = trigger == "ONOK";
  const std::string name = PopLastWord(line);
  if (name.empty()) return Fail(ASK4NUMBER_INVALID_NUMBER_OF_ARGS);
  VARI_LL* variable = FindVariable(name.c_str());
  if (variable == nullptr) return Fail(ASK4NUMBER_INVALID_BUFFER_SPECIFIED);
  const std::string choices = PopLastWord(line);
  if (choices.empty()) return Fail(ASK4NUMBER_INVALID_NUMBER_OF_ARGS);
  if (!IsRunMode()) return 0;

  std::printf("%s\n\n", line.c_str());
  int number = 0;
  for (size_t start = 0; start <= choices.size(); ++number) {
    const size_t end = std::min(choices.find('-', start), choices.size());
    std::printf("%d: %s\n", number, choices.substr(start, end - start).c_str());
    start = end + 1;
  }
  std::printf("(Select choice by number) >");
  std::fflush(stdout);
  std::string word;
  if (!ReadAnswerWord(m_In, word)) {
    // The end of the input cancels the choice once; a script that asks again ends.
    if (m_InputEnded) return EndOfInput(*this);
    m_InputEnded = true;
    std::fputc('\n', stdout);
    return onOk ? 0 : JumpToTarget(*this, stmt);
  }
  switch (variable->type) {
    case K_VAR_BYTE:
      variable->SetUnsigned(static_cast<uint32_t>(Aton(std::string_view(word))));
      break;
    case K_VAR_WORD:
    case K_VAR_LONG:
      variable->SetUnsigned(static_cast<uint32_t>(AtoLn(std::string_view(word))));
      break;
    default: {
      double value = 0.0;
      variable->dValue = AtoDouble(word, value) ? value : 0.0;
      variable->altered = 1;
      break;
    }
  }
  return onOk ? JumpToTarget(*this, stmt) : 0;
}
