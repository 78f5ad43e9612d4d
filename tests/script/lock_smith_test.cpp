#include "script/core/lock_smith.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& p, const std::string& content) { std::ofstream(p, std::ios::binary) << content; }

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "locksmith-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }
  // Every file in the folder, by name (temporary leftovers show up here).
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

// A script with every printable character, tabs and LF line ends.
std::string SampleScript() {
  std::string s = "// sample\nBYTE b = 0x12\n\tPRINT \"b = %d\" b\nLABEL1:\n";
  for (int c = 32; c < 127; ++c) s.push_back(static_cast<char>(c));
  s += "\nEXIT 0\n";
  return s;
}

TEST(KLockSmith, SingleByteTransformations) {
  struct Case {
    int method;
    uint8_t plain;
    size_t position;
    uint8_t locked;
  } cases[] = {
      {1, 0x41, 0, 0xC1}, {1, 0x41, 5, 0xC1}, {2, 0x41, 0, 0xEB}, {2, 0x00, 3, 0xFF},
      {3, 0x41, 0, 0xC1}, {3, 0x41, 1, 0xE0}, {3, 0x41, 7, 0x83}, {3, 0x41, 9, 0xE0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("method " + std::to_string(c.method) + " position " + std::to_string(c.position));
    EXPECT_EQ(KLockSmith::LockByte(c.plain, c.method, c.position), c.locked);
    EXPECT_EQ(KLockSmith::UnlockByte(c.locked, c.method, c.position), c.plain);
  }
  // Method 2 is an exact inverse for every byte, 7-bit or not.
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(KLockSmith::UnlockByte(KLockSmith::LockByte(static_cast<uint8_t>(b), 2, 0), 2, 0), b);
}

TEST(KLockSmith, BufferRoundTripAndDetectionForEachMethod) {
  for (int method = 1; method <= 3; ++method) {
    SCOPED_TRACE("method " + std::to_string(method));
    KLockSmith ls;
    ASSERT_EQ(ls.SetLockMethod(method), 0);
    std::vector<uint8_t> text = Bytes(SampleScript());
    const std::vector<uint8_t> plain = text;
    ASSERT_EQ(ls.Lock(text.data(), text.size()), 0);
    EXPECT_NE(text, plain);
    EXPECT_EQ(ls.DetermineLock(text.data(), text.size()), method);
    EXPECT_EQ(ls.Unlock(text), 0);
    EXPECT_EQ(text, plain);
  }
  // The short case: ABC under method 1.
  KLockSmith ls;
  std::vector<uint8_t> abc = Bytes("ABC");
  ASSERT_EQ(ls.Lock(abc.data(), abc.size()), 0);
  EXPECT_EQ(ls.DetermineLock(abc.data(), abc.size()), 1);
  EXPECT_EQ(ls.Unlock(abc), 0);
  EXPECT_EQ(abc, Bytes("ABC"));
}

TEST(KLockSmith, DetectionOfPlainUnknownAndMissingStreams) {
  KLockSmith ls;
  struct Case {
    std::vector<uint8_t> bytes;
    int determined;
    int unlock;
  } cases[] = {
      {Bytes("PRINT \"hello\"\n"), 0, 1},   // plain: unlock changes nothing
      {{'a', 0x80, 'b', 0xFF, 'c'}, 4, 2},  // mixed high and low bytes
      {{'a', 0x00, 'b'}, 4, 2},             // NUL inside otherwise plain text
      {{}, 0, 1},                           // empty
  };
  for (Case& c : cases) {
    const std::vector<uint8_t> before = c.bytes;
    EXPECT_EQ(ls.DetermineLock(c.bytes.data(), c.bytes.size()), c.determined);
    EXPECT_EQ(ls.Unlock(c.bytes), c.unlock);
    EXPECT_EQ(c.bytes, before);
  }
  EXPECT_EQ(ls.DetermineLock(nullptr, 3), -1);
  EXPECT_EQ(ls.Unlock(nullptr, 3), -1);
  EXPECT_EQ(ls.DetermineLock(std::string("/nonexistent/file.xcs")), -1);
}

TEST(KLockSmith, LockMethodSetting) {
  KLockSmith ls;
  EXPECT_EQ(ls.GetLockMethod(), 1);
  EXPECT_EQ(ls.SetLockMethod(4), -1);
  EXPECT_EQ(ls.SetLockMethod(-1), -1);
  EXPECT_EQ(ls.GetLockMethod(), 1);
  EXPECT_EQ(ls.SetLockMethod(0), 0);
  std::vector<uint8_t> text = Bytes("abc");
  EXPECT_EQ(ls.Lock(text.data(), text.size()), 1);
  EXPECT_EQ(text, Bytes("abc"));
  TempDir dir;
  WriteFile(dir.path() / "a.scs", "abc\n");
  EXPECT_EQ(ls.LockFile(dir.path() / "a.scs"), 1);
  EXPECT_EQ(ReadFile(dir.path() / "a.scs"), "abc\n");
}

TEST(KLockSmith, FileRoundTripNormalisesLineEnds) {
  struct Case {
    const char* name;
    std::string content;
    std::string unlocked;
  } cases[] = {
      {"lf", SampleScript(), SampleScript()},
      {"crlf", "A\r\nB\r\n", "A\nB\n"},
      {"mixed", "A\nB\r\nC", "A\nB\nC"},
  };
  for (int method = 1; method <= 3; ++method) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " method " + std::to_string(method));
      TempDir dir;
      fs::path file = dir.path() / "t.xcs";
      WriteFile(file, c.content);
      KLockSmith ls;
      ls.SetLockMethod(method);
      ASSERT_EQ(ls.LockFile(file), 0);
      std::string locked = ReadFile(file);
      EXPECT_EQ(ls.DetermineLock(file), method);
      // Every line feed is stored with a carriage return before it.
      std::vector<uint8_t> unlockedInMemory = Bytes(locked);
      ASSERT_EQ(ls.Unlock(unlockedInMemory), 0);
      std::string crlf;
      for (char ch : c.unlocked) {
        if (ch == '\n') crlf += '\r';
        crlf += ch;
      }
      EXPECT_EQ(std::string(unlockedInMemory.begin(), unlockedInMemory.end()), crlf);

      EXPECT_EQ(ls.UnlockFile(file), 0);
      EXPECT_EQ(ReadFile(file), c.unlocked);
      EXPECT_EQ(ls.UnlockFile(file), 1);  // now plain, left alone
      EXPECT_EQ(ReadFile(file), c.unlocked);
      EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.xcs"});
    }
  }
}

TEST(KLockSmith, LockingALockedFileDoesNotScrambleTwice) {
  TempDir dir;
  fs::path file = dir.path() / "t.xcs";
  WriteFile(file, "X = 1\nY = 2\n");
  KLockSmith first;
  first.SetLockMethod(2);
  ASSERT_EQ(first.LockFile(file), 0);
  KLockSmith second;
  second.SetLockMethod(3);
  ASSERT_EQ(second.LockFile(file), 0);
  EXPECT_EQ(second.DetermineLock(file), 3);
  ASSERT_EQ(second.UnlockFile(file), 0);
  EXPECT_EQ(ReadFile(file), "X = 1\nY = 2\n");
}

TEST(KLockSmith, LockToDestinationAndUnlockToMemoryLeaveTheSourceAlone) {
  TempDir dir;
  fs::path src = dir.path() / "s.scs";
  fs::path dst = dir.path() / "s.xcs";
  WriteFile(src, "PRINT x\n");
  KLockSmith ls;
  ls.SetLockMethod(3);
  ASSERT_EQ(ls.LockFile(src, dst), 0);
  EXPECT_EQ(ReadFile(src), "PRINT x\n");

  std::vector<uint8_t> content;
  EXPECT_EQ(ls.UnlockFileToMemory(dst, content), 0);
  EXPECT_EQ(content, Bytes("PRINT x\r\n"));
  EXPECT_EQ(ls.DetermineLock(dst), 3);  // file untouched
  EXPECT_EQ(ls.UnlockFileToMemory(src, content), 1);
  EXPECT_EQ(content, Bytes("PRINT x\n"));
  EXPECT_EQ(ls.UnlockFileToMemory(dir.path() / "missing.xcs", content), -1);

  // A forced unlock writes the plain text to its destination.
  EXPECT_EQ(ls.ForceUnlockFile(dst, 3, dir.path() / "plain.scs"), 0);
  EXPECT_EQ(ReadFile(dir.path() / "plain.scs"), "PRINT x\n");
  EXPECT_EQ(ls.ForceUnlockFile(dst, 4, dir.path() / "plain.scs"), -2);
}

TEST(KLockSmith, FailedStepsLeaveTheFileIntact) {
  TempDir dir;
  KLockSmith ls;
  fs::path file = dir.path() / "t.scs";
  const std::string original = "A = 1\n" + std::string(4096, 'z') + "\n";
  WriteFile(file, original);

  EXPECT_EQ(ls.LockFile(dir.path() / "missing.scs"), -1);
  EXPECT_EQ(ls.UnlockFile(dir.path() / "missing.scs"), -1);
  EXPECT_EQ(ls.CleanBeforeLock((dir.path() / "missing.scs").string()), -1);
  EXPECT_EQ(ls.LockFile(file, dir.path() / "no-such-folder" / "t.xcs"), -3);
  EXPECT_EQ(ReadFile(file), original);

  // Unknown scrambling is refused.
  fs::path mixed = dir.path() / "mixed.xcs";
  WriteFile(mixed, std::string("a\x80"
                               "b\xff",
                               4));
  EXPECT_EQ(ls.LockFile(mixed), -4);
  EXPECT_EQ(ls.UnlockFile(mixed), 2);
  EXPECT_EQ(ReadFile(mixed), std::string("a\x80"
                                         "b\xff",
                                         4));

  // The temporary file can't be written whole: the original stays as it was.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int lockResult = ls.LockFile(file);
  int cleanResult = ls.CleanBeforeLock(file.string(), true, '?');
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(lockResult, -2);
  EXPECT_EQ(cleanResult, -2);
  EXPECT_EQ(ReadFile(file), original);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"mixed.xcs", "t.scs"}));
}

TEST(KLockSmith, TwoLocksInOneFolderAtOnce) {
  TempDir dir;
  const int kRounds = 40;
  auto worker = [&](const std::string& name, int method, bool& ok) {
    fs::path file = dir.path() / name;
    std::string text = "// " + name + "\nPRINT \"" + name + "\"\n";
    KLockSmith ls;
    ls.SetLockMethod(method);
    ok = true;
    for (int i = 0; i < kRounds && ok; ++i) {
      WriteFile(file, text);
      ok = ls.LockFile(file) == 0 && ls.DetermineLock(file) == method && ls.UnlockFile(file) == 0 &&
           ReadFile(file) == text;
    }
  };
  bool okA = false;
  bool okB = false;
  std::thread a(worker, "a.xcs", 1, std::ref(okA));
  std::thread b(worker, "b.xcs", 3, std::ref(okB));
  a.join();
  b.join();
  EXPECT_TRUE(okA);
  EXPECT_TRUE(okB);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.xcs", "b.xcs"}));
}

TEST(KLockSmith, CleanBeforeLockDropsOrReplacesHighBytes) {
  KLockSmith ls;
  std::vector<uint8_t> drop = {'a', 0xE9, 'b', 0x80};
  EXPECT_EQ(ls.CleanBeforeLock(drop.data(), drop.size()), 2);
  EXPECT_EQ(std::vector<uint8_t>(drop.begin(), drop.begin() + 2), Bytes("ab"));
  std::vector<uint8_t> replace = {'a', 0xE9, 'b'};
  EXPECT_EQ(ls.CleanBeforeLock(replace.data(), replace.size(), true, '?'), 3);
  EXPECT_EQ(replace, Bytes("a?b"));

  TempDir dir;
  fs::path file = dir.path() / "t.scs";
  WriteFile(file, "caf\xe9\n");
  ASSERT_EQ(ls.CleanBeforeLock(file.string()), 0);
  EXPECT_EQ(ReadFile(file), "caf\n");
  // Cleaned, the file locks; before, its high byte made it unknown.
  EXPECT_EQ(ls.LockFile(file), 0);
  EXPECT_EQ(ls.DetermineLock(file), 1);
}

}  // namespace
