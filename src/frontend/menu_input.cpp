#include "frontend/menu_input.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

AnswerRead ReadAnswer(char* buffer, size_t size) {
  buffer[0] = '\0';
  int c = std::getchar();
  while (c != EOF && std::isspace(c)) c = std::getchar();
  if (c == EOF) return AnswerRead::kEnd;
  size_t length = 0;
  bool too_long = false;
  for (; c != EOF && !std::isspace(c); c = std::getchar()) {
    if (length + 1 < size) {
      buffer[length++] = static_cast<char>(c);
    } else {
      too_long = true;
    }
  }
  // The blank or line end that ended the word belongs to the rest of the line.
  if (c != EOF) std::ungetc(c, stdin);
  buffer[too_long ? 0 : length] = '\0';
  if (too_long) std::printf("The answer is too long (at most %zu characters).\n", size - 1);
  return too_long ? AnswerRead::kTooLong : AnswerRead::kWord;
}

void SkipRestOfLine() {
  for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
  }
}

int32_t AnswerNumber(const char* text) {
  errno = 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (errno != 0 || value < INT32_MIN || value > INT32_MAX) return 0;
  return static_cast<int32_t>(value);
}
