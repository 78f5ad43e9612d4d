// Line splitting of KText: Stretch spreads a line so that operators,
// parentheses and punctuation become words, ParseLine cuts it into words.
#include <cctype>
#include <cstring>

#include "script/core/ktext.h"

namespace {

bool IsOperator(char c) { return c != '\0' && std::strchr("%&*+-/<=>^|", c) != nullptr; }

// Writes into a bounded area; remembers when something did not fit.
struct BoundedWriter {
  char* out;
  size_t size;
  size_t len = 0;
  bool overflow = false;
  void Put(char c) {
    if (len + 1 < size) {
      out[len++] = c;
    } else {
      overflow = true;
    }
  }
};

}  // namespace

int KText::Stretch(std::string_view line, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return -1;
  wasOperator_ = wasWord_ = wasDigit_ = wasOpenParen_ = wasCloseParen_ = wasBlank_ = wasOther_ = 0;
  BoundedWriter w{out, outSize};
  auto setClass = [this](uint8_t& flag) {
    wasOperator_ = wasWord_ = wasDigit_ = wasOpenParen_ = wasCloseParen_ = wasBlank_ = wasOther_ = 0;
    flag = 1;
  };
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    unsigned char u = static_cast<unsigned char>(c);
    bool parens = wasOpenParen_ || wasCloseParen_;
    if (c == '"') {
      w.Put(' ');
      w.Put(c);
      for (++i; i < line.size(); ++i) {
        w.Put(line[i]);
        if (line[i] == '"') break;
      }
      setClass(wasOther_);
      continue;
    }
    if (std::isalpha(u)) {
      if (wasOperator_ || parens || wasOther_) w.Put(' ');
      setClass(wasWord_);
    } else if (std::isdigit(u)) {
      if (wasOperator_ || parens || wasOther_) w.Put(' ');
      setClass(wasDigit_);
      wasWord_ = 1;
    } else if (c == '_' || c == '\'') {
      setClass(wasWord_);
    } else if (KText::IsBlank(c)) {
      setClass(wasBlank_);
    } else if (IsOperator(c)) {
      if (wasWord_ || parens) w.Put(' ');
      setClass(wasOperator_);
    } else if (c == '(') {
      if (wasWord_ || wasOperator_ || wasOther_ || parens) w.Put(' ');
      setClass(wasOpenParen_);
    } else if (c == ')') {
      if (wasWord_ || wasOther_) w.Put(' ');
      setClass(wasCloseParen_);
    } else if (c == ',') {
      if (wasWord_) w.Put(' ');
      setClass(wasOther_);
    } else if (c == '.') {
      if (!wasDigit_) w.Put(' ');
      setClass(wasDigit_);
    } else if (c == ';') {
      if (wasOther_ || wasCloseParen_) w.Put(' ');
      setClass(wasOther_);
    } else {
      if (wasWord_) w.Put(' ');
      setClass(wasOther_);
    }
    w.Put(c);
  }
  out[w.len] = '\0';
  return w.overflow ? -1 : static_cast<int>(w.len);
}

int KText::ParseLine(const char* line, char* work, size_t workSize, char** argv, int capacity, int& count) {
  count = 0;
  if (line == nullptr) return -1;
  if (work == nullptr || workSize == 0) return -3;
  size_t len = strnlen(line, workSize);
  if (len >= workSize) return -4;
  if (argv == nullptr) return -5;
  if (capacity < 1) return -6;
  int stretched = Stretch(std::string_view(line, len), work, workSize);
  if (stretched < 0) return -4;
  WipeLeft(work);
  if (work[0] == '\0') return -2;
  bool inQuote = false;
  newWord_ = 1;
  for (char* p = work; *p != '\0'; ++p) {
    if (!inQuote && IsBlank(*p)) {
      *p = '\0';
      newWord_ = 1;
      continue;
    }
    if (newWord_) {
      if (count >= capacity) return -7;
      argv[count++] = p;
      newWord_ = 0;
    }
    if (*p == '"') inQuote = !inQuote;
  }
  return 0;
}

int KText::ParseLine(std::string_view line, std::vector<std::string>& words) {
  words.clear();
  // A stretched line is at most twice as long as the line (plus a blank per quote).
  std::vector<char> work(line.size() * 2 + 2);
  std::string copy(line);
  if (copy.find('\0') != std::string::npos) copy.resize(copy.find('\0'));
  std::vector<char*> argv(line.size() + 1);
  int count = 0;
  int rc = ParseLine(copy.c_str(), work.data(), work.size(), argv.data(), static_cast<int>(argv.size()), count);
  if (rc != 0) return rc;
  for (int i = 0; i < count; ++i) words.emplace_back(argv[i]);
  return 0;
}
