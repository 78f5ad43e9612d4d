// Fingerprint side files: names, the byte-sum rule, the check over a file and
// over bytes in memory, and the writer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "script/core/fingerprint.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(FingerPrint, Names) {
  struct Case {
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {"Scripts/Check.xcs", "Scripts/Check.FPF"},
      {"a.b.scs", "a.b.FPF"},
      {"noext", "noextFPF"},
      {"./dir.v2/noext", "./dir.v2/noextFPF"},  // a dot of a folder is not the extension
  };
  for (const Case& c : cases) EXPECT_EQ(KFingerPrint::FingerPrintName(c.path), c.name) << c.path;
}

TEST(FingerPrint, FixturesAgainstBothChecks) {
  struct Case {
    const char* script;
    int fileResult;
    int bufferResult;
  };
  const Case cases[] = {
      {"fp_good.scs", 0, 0},
      {"fp_locked.xcs", 0, 0},  // bytes above 127 count unsigned in both checks
      {"fp_changed.scs", KFingerPrint::kFileChecksumDiffers, KFingerPrint::kChecksumDiffers},
      {"fp_short.scs", KFingerPrint::kFileBadFingerPrint, KFingerPrint::kBadFingerPrint},
      {"codes.csv", KFingerPrint::kFileNoFingerPrint, KFingerPrint::kNoFingerPrint},
  };
  const KFingerPrint fp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const std::string path = std::string(VEXIL_TEST_DATA) + "/" + c.script;
    EXPECT_EQ(fp.ValidateFingerPrint(path), c.fileResult);
    const std::vector<uint8_t> bytes = Bytes(path);
    EXPECT_EQ(fp.ValidateFingerPrint(path, bytes.data(), static_cast<int64_t>(bytes.size())), c.bufferResult);
  }
  const std::string good = VEXIL_TEST_DATA "/fp_good.scs";
  const std::vector<uint8_t> bytes = Bytes(good);
  EXPECT_EQ(fp.ValidateFingerPrint(good, bytes.data(), static_cast<int64_t>(bytes.size()) - 1),
            KFingerPrint::kSizeDiffers);
  EXPECT_EQ(fp.ValidateFingerPrint(good, nullptr, 1), KFingerPrint::kNoBuffer);
  EXPECT_EQ(fp.ValidateFingerPrint(good, bytes.data(), -1), KFingerPrint::kNegativeLength);
  EXPECT_EQ(fp.ValidateFingerPrint("/nonexistent.scs"), KFingerPrint::kFileUnreadable);
}

class FingerPrintWriter : public EngineTest {};

TEST_F(FingerPrintWriter, WritesWhatTheCheckAccepts) {
  Write("abc.scs", "abcdefghij");
  const KFingerPrint fp;
  ASSERT_EQ(fp.CreateFingerPrint("abc.scs"), 0);
  uint32_t sum = 0;
  uint32_t size = 0;
  ASSERT_EQ(fp.FetchFingerPrintData("abc.FPF", sum, size), 0);
  EXPECT_EQ(sum, 1015u);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::filesystem::file_size("abc.FPF"), KFingerPrint::kFileSize);
  EXPECT_EQ(fp.ValidateFingerPrint("abc.scs"), 0);

  // High bytes: the writer's sum is what both checks compute.
  Write("high.xcs", std::string("\xff\x80\x7f", 3));
  ASSERT_EQ(fp.CreateFingerPrint("high.xcs"), 0);
  ASSERT_EQ(fp.FetchFingerPrintData("high.FPF", sum, size), 0);
  EXPECT_EQ(sum, 0xFFu + 0x80u + 0x7Fu);
  const uint8_t high[] = {0xFF, 0x80, 0x7F};
  EXPECT_EQ(fp.ValidateFingerPrint("high.xcs", high, 3), 0);

  EXPECT_EQ(fp.CreateFingerPrint("missing.scs"), KFingerPrint::kSourceUnreadable);
  EXPECT_EQ(fp.CreateFingerPrint("Logs"), KFingerPrint::kSourceUnreadable);
}

TEST_F(FingerPrintWriter, ReplacesAReadOnlyFileWithoutWideningItsPermissions) {
  Write("abc.scs", "abcdefghij");
  Write("abc.FPF", "stale");
  ASSERT_EQ(chmod("abc.FPF", 0444), 0);
  const KFingerPrint fp;
  ASSERT_EQ(fp.CreateFingerPrint("abc.scs"), 0);
  EXPECT_EQ(fp.ValidateFingerPrint("abc.scs"), 0);
  struct stat st {};
  ASSERT_EQ(stat("abc.FPF", &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);

  // Nothing of the writer's own is left beside it.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2u);
}

}  // namespace
