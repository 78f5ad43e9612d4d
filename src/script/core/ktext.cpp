// Word, trimming, search and substring operations of KText.
#include "script/core/ktext.h"

#include "base/text_util.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool IsWordEnd(char c) { return c == ' ' || c == '\t' || c == ','; }

}  // namespace

// ---- trimming ----

void KText::WipeLeft(char* text) {
  if (text == nullptr) return;
  size_t skip = 0;
  while (IsBlank(text[skip])) ++skip;
  if (skip > 0) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

void KText::WipeLeft(std::string& text) {
  size_t skip = 0;
  while (skip < text.size() && IsBlank(text[skip])) ++skip;
  text.erase(0, skip);
}

void KText::FastWipeLeft(char* text) { WipeLeft(text); }

void KText::WipeRight(char* text) {
  if (text == nullptr) return;
  size_t len = std::strlen(text);
  while (len > 0 && IsBlank(text[len - 1])) --len;
  text[len] = '\0';
}

void KText::WipeRight(std::string& text) {
  size_t len = text.size();
  while (len > 0 && IsBlank(text[len - 1])) --len;
  text.resize(len);
}

void KText::CleanLine(char* text) {
  WipeRight(text);
  WipeLeft(text);
}

void KText::CleanLine(std::string& text) {
  WipeRight(text);
  WipeLeft(text);
}

// ---- first and last words ----

int KText::Store1stWord(char* text, char* word, size_t wordSize) {
  if (text == nullptr) {
    text::CopyBounded(word, wordSize, "");
    return 0;
  }
  WipeLeft(text);
  size_t len = 0;
  while (text[len] != '\0' && !IsBlank(text[len])) ++len;
  return static_cast<int>(text::CopyBounded(word, wordSize, std::string_view(text, len)));
}

void KText::Store1stWord(std::string& text, std::string& word) {
  WipeLeft(text);
  size_t len = 0;
  while (len < text.size() && !IsBlank(text[len])) ++len;
  word.assign(text, 0, len);
}

std::string KText::FirstWord(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  size_t end = begin;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  return std::string(text.substr(begin, end - begin));
}

void KText::Fetch1stWord(char* text) {
  if (text == nullptr) return;
  WipeLeft(text);
  size_t len = 0;
  while (text[len] != '\0' && !IsBlank(text[len])) ++len;
  text[len] = '\0';
}

void KText::Fetch1stWord(std::string& text) {
  WipeLeft(text);
  size_t len = 0;
  while (len < text.size() && !IsBlank(text[len])) ++len;
  text.resize(len);
}

void KText::Clear1stWord(char* text) {
  if (text == nullptr) return;
  size_t pos = 0;
  while (IsBlank(text[pos])) ++pos;
  while (text[pos] != '\0' && !IsBlank(text[pos])) ++pos;
  while (IsBlank(text[pos])) ++pos;
  std::memmove(text, text + pos, std::strlen(text + pos) + 1);
}

void KText::Clear1stWord(std::string& text) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  while (pos < text.size() && !IsBlank(text[pos])) ++pos;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  text.erase(0, pos);
}

int KText::StoreLastWord(char* text, char* word, size_t wordSize) {
  if (text == nullptr) {
    text::CopyBounded(word, wordSize, "");
    return 0;
  }
  WipeRight(text);
  size_t len = std::strlen(text);
  size_t begin = len;
  while (begin > 0 && !IsWordEnd(text[begin - 1])) --begin;
  return static_cast<int>(text::CopyBounded(word, wordSize, std::string_view(text + begin, len - begin)));
}

void KText::StoreLastWord(std::string& text, std::string& word) {
  WipeRight(text);
  size_t begin = text.size();
  while (begin > 0 && !IsWordEnd(text[begin - 1])) --begin;
  word.assign(text, begin, std::string::npos);
}

void KText::ClearLastWord(char* text) {
  if (text == nullptr) return;
  WipeRight(text);
  size_t begin = std::strlen(text);
  while (begin > 0 && !IsWordEnd(text[begin - 1])) --begin;
  text[begin] = '\0';
  WipeRight(text);
}

void KText::ClearLastWord(std::string& text) {
  WipeRight(text);
  size_t begin = text.size();
  while (begin > 0 && !IsWordEnd(text[begin - 1])) --begin;
  text.resize(begin);
  WipeRight(text);
}

// ---- whole-text changes ----

void KText::Shrink(char* text) {
  if (text == nullptr) return;
  size_t out = 0;
  bool inSpace = false;
  for (size_t in = 0; text[in] != '\0'; ++in) {
    if (std::isspace(static_cast<unsigned char>(text[in]))) {
      if (!inSpace) text[out++] = ' ';
      inSpace = true;
    } else {
      text[out++] = text[in];
      inSpace = false;
    }
  }
  text[out] = '\0';
}

void KText::Shrink(std::string& text) {
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back('\0');
  Shrink(buf.data());
  text.assign(buf.data());
}

void KText::UpperCase(char* text) {
  if (text == nullptr) return;
  for (; *text != '\0'; ++text) *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}

void KText::UpperCase(std::string& text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

int KText::RemoveComments(char* text) {
  if (text == nullptr) return -1;
  char* hit = std::strstr(text, "//");
  if (hit == nullptr) return -1;
  *hit = '\0';
  return static_cast<int>(hit - text);
}

int KText::RemoveComments(std::string& text) {
  size_t pos = text.find("//");
  if (pos == std::string::npos) return -1;
  text.resize(pos);
  return static_cast<int>(pos);
}

int KText::DiskLine(char* buffer, size_t size, FILE* stream) {
  if (buffer == nullptr || size == 0 || stream == nullptr) return 0;
  size_t len = 0;
  int c = std::fgetc(stream);
  if (c == EOF) {
    buffer[0] = '\0';
    return 0;
  }
  for (; c != EOF && c != '\n'; c = std::fgetc(stream)) {
    if (len + 1 < size) buffer[len++] = static_cast<char>(c);
  }
  buffer[len] = '\0';
  return 1;
}

// ---- search ----

int KText::StringC(std::string_view text, std::string_view query, int start) {
  if (query.empty() || start < 0 || static_cast<size_t>(start) >= text.size() || query.size() > text.size()) return -1;
  size_t pos = text.find(query, static_cast<size_t>(start));
  return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

int KText::StringAbsC(std::string_view a, std::string_view b) { return a == b ? 0 : -1; }

int KText::Occurance(std::string_view text, std::string_view query) {
  if (query.empty()) return 0;
  int count = 0;
  for (size_t pos = text.find(query); pos != std::string_view::npos; pos = text.find(query, pos + 1)) ++count;
  return count;
}

// ---- substrings ----

int KText::LeftString(const char* src, char* dst, int n, size_t dstSize) {
  text::CopyBounded(dst, dstSize, "");
  if (src == nullptr || n < 0 || std::strlen(src) < static_cast<size_t>(n)) return -1;
  if (dst == nullptr || static_cast<size_t>(n) >= dstSize) return -2;
  text::CopyBounded(dst, dstSize, std::string_view(src, static_cast<size_t>(n)));
  return 0;
}

int KText::LeftString(std::string_view src, std::string& dst, int n) {
  dst.clear();
  if (n < 0 || src.size() < static_cast<size_t>(n)) return -1;
  dst.assign(src.substr(0, static_cast<size_t>(n)));
  return 0;
}

int KText::MidString(const char* src, char* dst, int start, int n, size_t dstSize) {
  text::CopyBounded(dst, dstSize, "");
  if (src == nullptr) return -1;
  std::string out;
  int rc = MidString(std::string_view(src), out, start, n);
  if (rc != 0) return rc;
  if (dst == nullptr || out.size() >= dstSize) return -2;
  text::CopyBounded(dst, dstSize, std::string_view(out.data(), out.size()));
  return 0;
}

int KText::MidString(std::string_view src, std::string& dst, int start, int n) {
  dst.clear();
  if (start < 1 || n < 0) return -1;
  size_t from = static_cast<size_t>(start) - 1;
  if (src.size() < from + static_cast<size_t>(n)) return -1;
  dst.assign(src.substr(from, static_cast<size_t>(n)));
  return 0;
}

int KText::RightString(const char* src, char* dst, int n, size_t dstSize) {
  text::CopyBounded(dst, dstSize, "");
  if (src == nullptr) return -1;
  size_t len = std::strlen(src);
  if (n < 0 || len < static_cast<size_t>(n)) return -1;
  if (dst == nullptr || static_cast<size_t>(n) >= dstSize) return -2;
  text::CopyBounded(dst, dstSize, std::string_view(src + len - static_cast<size_t>(n), static_cast<size_t>(n)));
  return 0;
}

int KText::RightString(std::string_view src, std::string& dst, int n) {
  dst.clear();
  if (n < 0 || src.size() < static_cast<size_t>(n)) return -1;
  dst.assign(src.substr(src.size() - static_cast<size_t>(n)));
  return 0;
}

// ---- replacing ----

int KText::RipReplace(char find, char replace, char* text) {
  if (text == nullptr) return 0;
  int count = 0;
  for (; *text != '\0'; ++text) {
    if (*text == find) {
      *text = replace;
      ++count;
    }
  }
  return count;
}

int KText::RipReplace(char find, char replace, std::string& text) {
  int count = 0;
  for (char& c : text) {
    if (c == find) {
      c = replace;
      ++count;
    }
  }
  return count;
}

int KText::RipReplace(std::string_view find, std::string_view replace, std::string& text, size_t limit) {
  if (find.empty() || find.size() > text.size() || replace.find(find) != std::string_view::npos) return -1;
  // Replacing can create new occurrences across the seams, hence the passes;
  // since replace never holds find, a pass that finds nothing ends the work.
  // Shrinking or growing replacements end by themselves (the limit bounds the
  // growth); the pass cap only guards equal-length shuffles.
  constexpr int kMaxPasses = 100000;
  std::string work(text);
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    size_t pos = work.find(find);
    if (pos == std::string::npos) {
      text = std::move(work);
      return 0;
    }
    std::string next;
    next.reserve(work.size());
    size_t from = 0;
    for (; pos != std::string::npos; pos = work.find(find, from)) {
      next.append(work, from, pos - from);
      next.append(replace);
      from = pos + find.size();
      if (next.size() > limit) return -2;
    }
    next.append(work, from, std::string::npos);
    if (next.size() > limit) return -2;
    work = std::move(next);
  }
  return -3;
}

int KText::RipReplace(std::string_view find, std::string_view replace, char* text, size_t textSize) {
  if (text == nullptr || textSize == 0) return -1;
  std::string work(text, strnlen(text, textSize - 1));
  int rc = RipReplace(find, replace, work, textSize - 1);
  if (rc == 0) text::CopyBounded(text, textSize, std::string_view(work.data(), work.size()));
  return rc;
}

int KText::ParsePath(std::string_view path, std::vector<std::string>& parts) {
  parts.clear();
  size_t from = 0;
  while (from <= path.size()) {
    size_t end = path.find('\\', from);
    if (end == std::string_view::npos) end = path.size();
    if (end > from) parts.emplace_back(path.substr(from, end - from));
    from = end + 1;
  }
  return static_cast<int>(parts.size());
}
