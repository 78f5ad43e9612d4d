// Script file objects at their edges: open modes, reads past the end, text
// against binary, the update modes, seeks.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine_fixture.h"
#include "script/statements/script_files.h"

namespace {

using script_file::kBinary;
using script_file::kUpdate;
using script_file::kWrite;
using script_file::Result;

class ScriptFiles : public EngineTest {
 protected:
  std::string Content(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  SCRIPT_FILE_LINK file;
};

TEST(ScriptFileModes, ModeTexts) {
  struct Case {
    uint8_t bits;
    const char* text;
  };
  const Case cases[] = {
      {0, "r"},
      {kWrite, "w"},
      {kBinary, "rb"},
      {kWrite | kBinary, "wb"},
      {kUpdate, "r+"},
      {kWrite | kUpdate, "w+"},
      {kWrite | kBinary | kUpdate, "wb+"},
  };
  for (const Case& c : cases) EXPECT_EQ(script_file::ModeText(c.bits), c.text) << int(c.bits);
}

TEST(ScriptFileModes, OpenFileArguments) {
  struct Case {
    const char* args;
    bool ok;
    const char* path;
    uint8_t mode;
  };
  const Case cases[] = {
      {"F out.txt WRITE TEXT SIZE", true, "out.txt", kWrite},
      {"F in.bin READ BINARY SIZE", true, "in.bin", kBinary},
      {"F in.txt SIZE", true, "in.txt", 0},
      {"F data.bin binary write append SIZE", true, "data.bin", kWrite | kBinary | kUpdate},
      {"F x BINARY TEXT SIZE", true, "x", kBinary},  // read backwards: the first word wins
      {"F \"my file.txt\" WRITE SIZE", true, "my file.txt", kWrite},
      {"F PATHBUF APPEND SIZE", true, "PATHBUF", kUpdate},
      {"F WRITE SIZE", false, "", 0},
      {"F SIZE", false, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    script_file::OpenFileArgs out;
    ASSERT_EQ(script_file::ParseOpenFileArgs(c.args, out), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(out.file, "F");
    EXPECT_EQ(out.path, c.path);
    EXPECT_EQ(out.mode, c.mode);
    EXPECT_EQ(out.resultVariable, "SIZE");
  }
}

TEST_F(ScriptFiles, OpeningReportsSizeAndRefusesASecondOpen) {
  Write("in.bin", std::string(300, 'x'));
  Write("out.txt", "old content");
  EXPECT_EQ(file.Open("in.bin", kBinary), Result::Ok);
  EXPECT_EQ(file.size, 300u);
  EXPECT_EQ(file.Open("in.bin", kBinary), Result::AlreadyOpen);
  file.Close();
  EXPECT_EQ(file.mode, script_file::kClosed);
  file.Close();  // closing twice is harmless

  EXPECT_EQ(file.Open("out.txt", kWrite), Result::Ok);
  EXPECT_EQ(file.size, 0u);
  file.Close();
  EXPECT_EQ(Content("out.txt"), "");  // truncated

  EXPECT_EQ(file.Open("missing.txt", 0), Result::NotPresent);
  EXPECT_EQ(file.Open("missing.txt", kUpdate), Result::NotPresent);
  EXPECT_EQ(file.Open("Logs", 0), Result::OpenError);  // a folder
  EXPECT_EQ(file.Open("no/such/folder/x", kWrite), Result::OpenError);
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(ScriptFiles, ReadsStopAtTheEnd) {
  Write("in.bin", "0123456789");
  ASSERT_EQ(file.Open("in.bin", kBinary), Result::Ok);
  uint8_t buf[8] = {};
  size_t n = 0;
  EXPECT_EQ(file.Read(buf, 8, n), Result::Ok);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(file.Read(buf, 8, n), Result::Ok);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 2), "89");
  EXPECT_EQ(file.Read(buf, 8, n), Result::Ok);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(file.Seek(-3, SEEK_END), Result::Ok);
  EXPECT_EQ(file.Read(buf, 8, n), Result::Ok);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(file.Seek(0, 7), Result::BadWhence);
}

TEST_F(ScriptFiles, LinesKeepTheirLineFeedAndAreCutAtTheLimit) {
  Write("in.txt", "first line\nsecond\nlast");
  ASSERT_EQ(file.Open("in.txt", 0), Result::Ok);
  char buf[8];
  size_t n = 0;
  EXPECT_EQ(file.Gets(buf, sizeof buf, n), Result::Ok);
  EXPECT_STREQ(buf, "first l");  // limit - 1 characters and the NUL
  EXPECT_EQ(n, 7u);
  EXPECT_EQ(file.Gets(buf, sizeof buf, n), Result::Ok);
  EXPECT_STREQ(buf, "ine\n");
  EXPECT_EQ(file.Gets(buf, sizeof buf, n), Result::Ok);
  EXPECT_STREQ(buf, "second\n");
  EXPECT_EQ(file.Gets(buf, sizeof buf, n), Result::Ok);
  EXPECT_STREQ(buf, "last");
  EXPECT_EQ(file.Gets(buf, sizeof buf, n), Result::Ok);
  EXPECT_EQ(n, 0u);
  EXPECT_STREQ(buf, "");
}

TEST_F(ScriptFiles, OperationsNeedTheirMode) {
  Write("data", "abc");
  struct Case {
    uint8_t open;
    Result read, gets, write, print;
  };
  const Case cases[] = {
      {0, Result::WrongMode, Result::Ok, Result::WrongMode, Result::NotWritable},
      {kBinary, Result::Ok, Result::WrongMode, Result::NotWritable, Result::WrongMode},
      {kWrite, Result::WrongMode, Result::NotReadable, Result::WrongMode, Result::Ok},
      {kWrite | kBinary, Result::NotReadable, Result::WrongMode, Result::Ok, Result::WrongMode},
      {kUpdate | kBinary, Result::Ok, Result::WrongMode, Result::Ok, Result::WrongMode},
      {kUpdate, Result::WrongMode, Result::Ok, Result::WrongMode, Result::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(script_file::ModeText(c.open));
    Write("data", "abc");
    ASSERT_EQ(file.Open("data", c.open), Result::Ok);
    uint8_t b[4];
    char line[4];
    size_t n = 0;
    EXPECT_EQ(file.Read(b, 1, n), c.read);
    EXPECT_EQ(file.Gets(line, sizeof line, n), c.gets);
    EXPECT_EQ(file.Write(reinterpret_cast<const uint8_t*>("Z"), 1), c.write);
    EXPECT_EQ(file.Print("Y"), c.print);
    file.Close();
  }
  uint8_t b[1];
  size_t n = 0;
  EXPECT_EQ(file.Read(b, 1, n), Result::NotOpen);
  EXPECT_EQ(file.Print("x"), Result::NotOpen);
  EXPECT_EQ(file.Seek(0, SEEK_SET), Result::NotOpen);
}

TEST_F(ScriptFiles, UpdateModes) {
  // READ APPEND keeps the content: read, then overwrite in place.
  Write("keep.bin", "abcdef");
  ASSERT_EQ(file.Open("keep.bin", kBinary | kUpdate), Result::Ok);
  EXPECT_EQ(file.size, 6u);
  uint8_t b[2];
  size_t n = 0;
  ASSERT_EQ(file.Read(b, 2, n), Result::Ok);
  ASSERT_EQ(file.Write(reinterpret_cast<const uint8_t*>("XY"), 2), Result::Ok);  // no seek in between
  ASSERT_EQ(file.Read(b, 2, n), Result::Ok);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b), n), "ef");
  file.Close();
  EXPECT_EQ(Content("keep.bin"), "abXYef");

  // WRITE APPEND truncates, and what was written can be read back.
  ASSERT_EQ(file.Open("keep.bin", kWrite | kBinary | kUpdate), Result::Ok);
  EXPECT_EQ(file.size, 0u);
  ASSERT_EQ(file.Write(reinterpret_cast<const uint8_t*>("12345"), 5), Result::Ok);
  ASSERT_EQ(file.Seek(1, SEEK_SET), Result::Ok);
  ASSERT_EQ(file.Read(b, 2, n), Result::Ok);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b), n), "23");
  file.Close();
  EXPECT_EQ(Content("keep.bin"), "12345");
}

TEST_F(ScriptFiles, TheListClosesWhatIsStillOpen) {
  K_FileLL files;
  ASSERT_TRUE(files.Add("F", 0, 1));
  EXPECT_FALSE(files.Add("F", 0, 2));
  EXPECT_EQ(files.Find("f"), nullptr);
  ASSERT_EQ(files.Find("F")->Open("out.txt", kWrite), Result::Ok);
  ASSERT_EQ(files.Find("F")->Print("kept"), Result::Ok);
  files.Clear();
  EXPECT_EQ(Content("out.txt"), "kept");
}

}  // namespace
