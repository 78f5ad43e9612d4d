// Zip archives: COMPRESSFILE's naming, the round trip read back with minizip
// (and with unzip -t where installed), and the source kept whenever the
// archive is not complete.
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "script/statements/compression.h"

namespace {

namespace fs = std::filesystem;

// Name and content of the one entry of an archive, read with minizip.
bool ReadOnlyEntry(const std::string& archive, std::string& name, std::string& content) {
  unzFile z = unzOpen(archive.c_str());
  if (z == nullptr) return false;
  unz_global_info global{};
  bool ok = unzGetGlobalInfo(z, &global) == UNZ_OK && global.number_entry == 1 && unzGoToFirstFile(z) == UNZ_OK;
  char entry[256] = {};
  unz_file_info info{};
  ok = ok && unzGetCurrentFileInfo(z, &info, entry, sizeof entry, nullptr, 0, nullptr, 0) == UNZ_OK;
  ok = ok && unzOpenCurrentFile(z) == UNZ_OK;
  content.clear();
  char block[4096];
  int n = 0;
  while (ok && (n = unzReadCurrentFile(z, block, sizeof block)) > 0) content.append(block, static_cast<size_t>(n));
  ok = ok && n == 0 && unzCloseCurrentFile(z) == UNZ_OK;  // the CRC is checked here
  unzClose(z);
  name = entry;
  return ok;
}

std::string Content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A few blocks of bytes that deflate cannot shrink to nothing.
std::string Payload() {
  std::string data;
  uint32_t x = 12345;
  for (int i = 0; i < 40000; ++i) {
    x = x * 1103515245u + 12345u;
    data += static_cast<char>(i % 7 == 0 ? (x >> 16) : 'a' + i % 26);
  }
  return data;
}

TEST(CompressPlan, ArchiveNames) {
  struct Case {
    const char* path;
    bool ok;
    const char* archive;
    const char* entry;
  };
  const Case cases[] = {
      {"Logs/run.txt", true, "Logs/run.dmz", "run.txt"},
      {"run.txt", true, "run.dmz", "run.txt"},
      {"a.b.log", true, "a.b.dmz", "a.b.log"},
      {"Logs/run", true, "Logs/run.dmz", "run"},           // no extension: never the source's own name
      {"./v1.2/run", true, "./v1.2/run.dmz", "run"},       // a dot of a folder is not the extension
      {"Logs/old.dmz", false, "Logs/old.dmz", "old.dmz"},  // would overwrite its source
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CompressPlan plan;
    EXPECT_EQ(PlanCompression(c.path, plan), c.ok);
    EXPECT_EQ(plan.archive, c.archive);
    EXPECT_EQ(plan.entry, c.entry);
  }
}

class Compression : public EngineTest {};

TEST_F(Compression, RoundTripAndTheSourceIsDeletedAfterwards) {
  const std::string data = Payload();
  for (const char* source : {"Logs/run.txt", "Logs/run"}) {
    SCOPED_TRACE(source);
    Write(source, data);
    ASSERT_EQ(CompressFile(source), CompressResult::Ok);
    EXPECT_FALSE(fs::exists(source));
    std::string name;
    std::string content;
    ASSERT_TRUE(ReadOnlyEntry("Logs/run.dmz", name, content));
    EXPECT_EQ(name, fs::path(source).filename().string());
    EXPECT_EQ(content, data);
    EXPECT_LT(fs::file_size("Logs/run.dmz"), data.size());

    ASSERT_TRUE(MyCompress().Uncompress("back.bin", "Logs/run.dmz"));
    EXPECT_EQ(Content("back.bin"), data);
    if (std::system("command -v unzip >/dev/null 2>&1") == 0) {
      EXPECT_EQ(std::system("unzip -tq Logs/run.dmz >/dev/null 2>&1"), 0);
    }
    fs::remove("Logs/run.dmz");
  }
  EXPECT_EQ(fs::current_path(), fs::path(dir_));
}

TEST_F(Compression, FailuresKeepTheSource) {
  Write("Logs/old.dmz", "not compressed yet");
  EXPECT_EQ(CompressFile("Logs/old.dmz"), CompressResult::NameClash);
  EXPECT_EQ(Content("Logs/old.dmz"), "not compressed yet");

  EXPECT_EQ(CompressFile("Logs/missing.txt"), CompressResult::Unreadable);
  EXPECT_EQ(CompressFile("Logs"), CompressResult::Unreadable);
  EXPECT_EQ(CompressFile("Logs/"), CompressResult::Unreadable);

  // An archive name the file system refuses (256 bytes): nothing is left behind.
  const std::string longest = "Logs/" + std::string(253, 'n') + ".t";
  Write(longest, "keep me too");
  EXPECT_EQ(CompressFile(longest), CompressResult::Failed);
  EXPECT_EQ(Content(longest), "keep me too");
  fs::remove(longest);

  // The archive's name is taken, by a file or a folder: it is never replaced.
  Write("Logs/run.txt", "first");
  Write("Logs/run.log", "second");
  ASSERT_EQ(CompressFile("Logs/run.txt"), CompressResult::Ok);
  const std::string archive = Content("Logs/run.dmz");
  EXPECT_EQ(CompressFile("Logs/run.log"), CompressResult::ArchiveExists);
  EXPECT_EQ(Content("Logs/run.log"), "second");
  EXPECT_EQ(Content("Logs/run.dmz"), archive);
  Write("Logs/other.txt", "keep me");
  fs::create_directory("Logs/other.dmz");
  EXPECT_EQ(CompressFile("Logs/other.txt"), CompressResult::ArchiveExists);
  EXPECT_EQ(Content("Logs/other.txt"), "keep me");
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator("Logs")) left.push_back(e.path().filename().string());
  std::ranges::sort(left);
  // No leftover of the attempts.
  EXPECT_EQ(left, (std::vector<std::string>{"old.dmz", "other.dmz", "other.txt", "run.dmz", "run.log"}));
}

// The temporary archive has a short name of its own, so a file whose name
// is near the 255-byte limit still compresses.
TEST_F(Compression, LongNamesCompress) {
  const std::string name = std::string(250, 'n') + ".txt";
  Write("Logs/" + name, "long");
  ASSERT_EQ(CompressFile("Logs/" + name), CompressResult::Ok);
  std::string entry;
  std::string content;
  ASSERT_TRUE(ReadOnlyEntry("Logs/" + std::string(250, 'n') + ".dmz", entry, content));
  EXPECT_EQ(entry, name);
  EXPECT_EQ(content, "long");
}

TEST_F(Compression, UncompressRefusesWhatIsNotAnArchive) {
  Write("plain.txt", "not a zip");
  EXPECT_FALSE(MyCompress().Uncompress("out.bin", "plain.txt"));
  EXPECT_FALSE(MyCompress().Uncompress("out.bin", "missing.zip"));
  EXPECT_FALSE(MyCompress().Compress("missing.txt", "x.zip"));
}

}  // namespace
