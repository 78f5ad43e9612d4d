// Answers typed at the console's menus: one word from standard input.
#pragma once

#include <cstddef>
#include <cstdint>

// The size of the buffer a menu reads its answer into.
constexpr size_t kUserInputSize = 255;

enum class AnswerRead {
  kWord,     // a word is in the buffer
  kTooLong,  // the word did not fit; it was read and dropped, the buffer is empty
  kEnd,      // the input ended before a word
};

// Skips blanks and line ends, then reads one word into buffer (size bytes
// with its NUL).
AnswerRead ReadAnswer(char* buffer, size_t size);
template <size_t N>
AnswerRead ReadAnswer(char (&buffer)[N]) {
  return ReadAnswer(buffer, N);
}
// Reads the rest of the line the answer was on, its line end included.
void SkipRestOfLine();
// The answer as a decimal number, read as far as it goes ("12abc" is 12);
// text without a number, and numbers outside 32 bits, are 0.
int32_t AnswerNumber(const char* text);
