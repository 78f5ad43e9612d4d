// What the prompt statements share: reading answers, their tables, and the
// small text steps that take a prompt statement apart.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class KScript;
struct TEXT_LINK;

// The next answer word from in: blank lines are skipped and the rest of the
// word's line is dropped, so one typed line answers one prompt. At most
// kMaxAnswerLength characters are kept. False at the end of the input.
constexpr size_t kMaxAnswerLength = 255;
bool ReadAnswerWord(FILE* in, std::string& word);

// Ends the run: the input of a prompt has ended and nobody can answer.
int EndOfInput(KScript& engine);

// Jumps to the statement's bound target (its last word's label).
int JumpToTarget(KScript& engine, TEXT_LINK& stmt);

// The last word of text, removed from it (with the blanks before it).
std::string PopLastWord(std::string& text);

// Every double quote becomes a blank, then the text is trimmed.
void QuotesToBlanks(std::string& text);

// True when text contains what, compared without regard to case.
bool ContainsNoCase(std::string_view text, std::string_view what);

// Backslash sequences of a prompt text: each rule replaces "\" + letter.
struct EscapeRule {
  char letter;  // 0 ends the rules
  const char* replacement;
};
extern const EscapeRule QuestionEscapes[];    // ASK, INSTRUCT: \n line feed, \r carriage return
extern const EscapeRule TextPromptEscapes[];  // ASKFORTEXT: \n CR LF, \t tab
std::string ExpandEscapes(std::string_view text, const EscapeRule* rules);

// The file-name prompts: keyword, prompt, suffix appended to the answer.
struct FilePromptRow {
  const char* keyword;  // nullptr ends the table
  const char* prompt;
  const char* suffix;  // "" for none
};
extern const FilePromptRow FilePrompts[];
const FilePromptRow* FindFilePrompt(std::string_view upperKeyword);

// ASKFORNUMBER by variable type: the type label and the longest answers.
struct NumberPromptRow {
  const char* label;
  uint8_t hexDigits;
  uint8_t decDigits;
  double largest;  // largest value the variable holds (DEC answers above it are refused)
};
extern const NumberPromptRow NumberPrompts[4];  // by K_VAR_BYTE .. K_VAR_DOUBLE
