// Fuzz target: the text toolkit's number parsing, line splitting, text-buffer
// reader, bounded substring and replace operations, and the scrambler.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "script/core/ktext.h"
#include "script/core/lock_smith.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string WithoutBlanks(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\t') out.push_back(c);
  return out;
}

void FuzzNumbers(const std::string& text) {
  int cls = KText::DetermineNumberType(text);
  int32_t aton = KText::Aton(text);
  int64_t atoln = KText::AtoLn(text);
  Check(cls == K_NUM_NONE || cls == K_NUM_BYTE || cls == K_NUM_WORD || cls == K_NUM_LONG || cls == K_NUM_DOUBLE);
  if (cls == K_NUM_BYTE) Check(aton >= 0 && aton <= 0xFF);
  if (cls == K_NUM_WORD) Check(aton >= 0 && aton <= 0xFFFF);
  if (cls != K_NUM_BYTE && cls != K_NUM_WORD) Check(aton == -1);
  if (cls == K_NUM_DOUBLE || cls == K_NUM_NONE) Check(atoln == -1);
  Check(atoln >= -1 && atoln <= 0xFFFFFFFFll);
  if (atoln >= 0 && aton >= 0) Check(atoln == aton);
  // The in-place forms agree with the others.
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  std::string cut(copy.data());
  Check(KText::DetermineNumberType(copy.data()) == KText::DetermineNumberType(cut));
  Check(KText::Aton(copy.data()) == KText::Aton(cut));
  Check(KText::AtoLn(copy.data()) == KText::AtoLn(cut));
  double d = 0;
  Check(KText::AtoDouble(cut, d) == (KText::DetermineNumberType(cut) != K_NUM_NONE));
}

void FuzzParseLine(const std::string& text, size_t workSize, int capacity) {
  KText kt;
  std::string line(text.c_str());  // up to the first NUL
  std::vector<char> work(workSize);
  std::vector<char*> argv(static_cast<size_t>(capacity > 0 ? capacity : 1));
  int count = 0;
  int rc = kt.ParseLine(line.c_str(), work.data(), work.size(), argv.data(), capacity, count);
  Check(rc <= 0 && rc >= -7);
  if (rc == 0) {
    Check(count >= 1 && count <= capacity);
    std::string joined;
    for (int i = 0; i < count; ++i) {
      Check(argv[i] >= work.data() && argv[i] < work.data() + work.size());
      Check(argv[i][0] != '\0');
      joined += argv[i];
    }
    // Splitting only adds and removes blanks.
    Check(WithoutBlanks(joined) == WithoutBlanks(line));
  }
  std::vector<std::string> words;
  int rc2 = kt.ParseLine(line, words);
  if (rc == 0) Check(rc2 == 0 && static_cast<int>(words.size()) == count);
}

void FuzzTextBuffer(const std::string& text, size_t lineSize) {
  KText kt;
  std::vector<uint8_t> bytes(text.begin(), text.end());
  int rc = kt.SetTextBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  if (rc != 0) return;
  std::vector<char> line(lineSize);
  size_t lines = 0;
  int got;
  while ((got = kt.GetStringFromTextBuffer(bytes.data(), line.size(), line.data())) != -1) {
    Check(got >= 0 || got == -5);
    if (got >= 0) Check(std::strlen(line.data()) == static_cast<size_t>(got));
    Check(++lines <= bytes.size() + 1);
  }
}

void FuzzSubstrings(FuzzedDataProvider& in, const std::string& text) {
  size_t dstSize = in.ConsumeIntegralInRange<size_t>(0, 64);
  int n = in.ConsumeIntegralInRange<int>(-2, 80);
  int start = in.ConsumeIntegralInRange<int>(-2, 80);
  std::string src(text.c_str());
  std::vector<char> dst(dstSize);
  char* d = dstSize ? dst.data() : nullptr;
  KText::LeftString(src.c_str(), d, n, dstSize);
  KText::MidString(src.c_str(), d, start, n, dstSize);
  KText::RightString(src.c_str(), d, n, dstSize);
  KText::StringC(src, in.ConsumeRandomLengthString(8), start);
  KText::Occurance(src, in.ConsumeRandomLengthString(4));

  std::string find = in.ConsumeRandomLengthString(4);
  std::string replace = in.ConsumeRandomLengthString(6);
  size_t size = src.size() + in.ConsumeIntegralInRange<size_t>(1, 32);
  std::vector<char> target(size);
  std::memcpy(target.data(), src.c_str(), src.size() + 1);
  int rc = KText::RipReplace(find, replace, target.data(), size);
  if (rc == 0) Check(std::string_view(target.data()).find(find) == std::string_view::npos);

  std::vector<char> words(src.begin(), src.end());
  words.push_back('\0');
  char word[16];
  KText::Store1stWord(words.data(), word, sizeof word);
  KText::StoreLastWord(words.data(), word, sizeof word);
  KText::Clear1stWord(words.data());
  KText::ClearLastWord(words.data());
  KText::Shrink(words.data());
}

void FuzzScrambler(FuzzedDataProvider& in, const std::string& text) {
  KLockSmith ls;
  std::vector<uint8_t> raw(text.begin(), text.end());
  int found = ls.DetermineLock(raw.data(), raw.size());
  Check(found >= 0 && found <= 4);
  std::vector<uint8_t> copy = raw;
  int rc = ls.Unlock(copy);
  if (rc != 0) Check(copy == raw);

  // 7-bit text locked with any method comes back when the method is recognised.
  int method = in.ConsumeIntegralInRange<int>(1, 3);
  ls.SetLockMethod(method);
  std::vector<uint8_t> plain = raw;
  for (uint8_t& b : plain) b &= 0x7F;
  std::vector<uint8_t> locked = plain;
  ls.Lock(locked.data(), locked.size());
  if (ls.DetermineLock(locked.data(), locked.size()) == method) {
    Check(ls.Unlock(locked) == 0);
    Check(locked == plain);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  size_t workSize = in.ConsumeIntegralInRange<size_t>(1, 300);
  int capacity = in.ConsumeIntegralInRange<int>(0, 40);
  size_t lineSize = in.ConsumeIntegralInRange<size_t>(1, 64);
  std::string rest = in.ConsumeRandomLengthString(512);
  FuzzNumbers(rest);
  FuzzParseLine(rest, workSize, capacity);
  FuzzTextBuffer(rest, lineSize);
  FuzzSubstrings(in, rest);
  FuzzScrambler(in, rest);
  return 0;
}
