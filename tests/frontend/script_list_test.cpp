#include "frontend/script_list.h"

#include <gtest/gtest.h>

#include <string>

#include "scratch_fixture.h"
#include "script/core/lock_smith.h"

namespace {

TEST(GetFamilyForDrive, CodesToFamilyBits) {
  struct Case {
    uint8_t code;
    uint32_t mask;
  };
  const Case cases[] = {
      {1, 1u << 0},
      {8, 1u << 0},
      {34, 1u << 0},
      {24, 1u << 1},
      {37, 1u << 1},
      {21, 1u << 4},
      {22, 1u << 4},
      {10, 1u << 5},
      {12, 1u << 6},
      {4, 1u << 7},
      {13, 1u << 8},
      {177, 1u << 9},
      {182, 1u << 9},
      {195, 1u << 10},
      {163, 1u << 11},
      {96, 1u << 13},
      {99, 1u << 13},
      {194, 1u << 14},
      {3, 1u << 15},
      {100, 1u << 16},
      {184, 1u << 16},
      {188, 1u << 16},
      {208, 1u << 17},
      {211, 1u << 17},
      {101, 1u << 18},
      {224, 1u << 19},
      {225, 1u << 20},
      {226, 1u << 21},
      {227, 1u << 21},
      // No family: ZEP-S5, unrecognised, interface ids outside the table.
      {0, 0},
      {14, 0},
      {183, 0},
      {186, 0},
      {255, 0},
      {254, 1u << 22},  // medium changers
      {253, 1u << 23},  // tape drives of no model line
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Skerry_Scriptlist::GetFamilyForDrive(c.code), c.mask) << int(c.code);
  }
}

TEST(FamilyMaskFromWords, WordsOfAFamilyLine) {
  struct Case {
    const char* words;
    uint32_t mask;
  };
  const Case cases[] = {
      {"lto", 0x2A04u},
      {"LTOHH", 0x5408u},
      {"(DAT; ZEP)", 0x3u},
      {"HP_LTO/IBM_LTO", (1u << 9) | (1u << 11)},
      {"LTO6_MDLC, DAT", (1u << 21) | (1u << 1)},
      {"all", 0xFFFFFFFFu},
      {"WIZARD", 0x80000000u},
      {"loader", 1u << 22},
      {"SMC", 1u << 22},
      {"ssc, smc", (1u << 23) | (1u << 22)},
      {"NOSUCH", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FamilyMaskFromWords(c.words), c.mask) << c.words;
}

class ScriptHeadTest : public ScratchFolder {};

TEST_F(ScriptHeadTest, HeadLinesUntilTheDescription) {
  WriteFile("a.scs",
            "// a comment line\r\n"
            "/* FAMILY DAT\n"
            "   FAMILY ZEP */ still inside\n"
            "*/ FAMILY KORU1 -- the closing line is skipped too\n"
            "  [task]\n"
            "[ENGINEERING] // marked\n"
            "REMARK anything\n"
            "family lto // a trailing comment\n"
            "DESCRIPTION (\"Read the drive; log\") pages/Error log  \n"
            "FAMILY DAT\n"
            "[TEST]\n");
  Skerry_Scriptlist list;
  ASSERT_EQ(list.FastScanFileForInformation("a.scs"), 0);
  EXPECT_EQ(list.Type(), 1);
  EXPECT_TRUE(list.Engineering());
  EXPECT_EQ(list.FamilyMask(), 0x2A04u);  // lines after DESCRIPTION change nothing
  EXPECT_EQ(list.Description(), "Read the drive  log   pages/Error log");
}

TEST_F(ScriptHeadTest, DefaultsAndFailures) {
  WriteFile("plain.scs", "PRINT 'hi'\n");
  Skerry_Scriptlist list;
  ASSERT_EQ(list.FastScanFileForInformation("plain.scs"), 0);
  EXPECT_EQ(list.Type(), 0);
  EXPECT_FALSE(list.Engineering());
  EXPECT_EQ(list.FamilyMask(), kDefaultScriptFamily);
  EXPECT_EQ(list.Description(), "");

  EXPECT_EQ(list.FastScanFileForInformation("missing.scs"), -1);
  EXPECT_EQ(list.FastScanFileForInformation(nullptr), -1);

  // High and low bytes mixed: no scrambling method fits, the script is unreadable.
  WriteFile("garbled.xcs", std::string("FAMILY DAT\n\xC1\x02\x80 z", 14));
  EXPECT_EQ(list.FastScanFileForInformation("garbled.xcs"), -1);
}

TEST_F(ScriptHeadTest, OverlongLineIsCutNotTheEndOfTheHead) {
  WriteFile("long.scs", "// " + std::string(1500, 'x') + "\n[TASK]\nFAMILY DAT\nDESCRIPTION After a long line\n");
  Skerry_Scriptlist list;
  ASSERT_EQ(list.FastScanFileForInformation("long.scs"), 0);
  EXPECT_EQ(list.Type(), 1);
  EXPECT_EQ(list.FamilyMask(), 1u << 1);
  EXPECT_EQ(list.Description(), "After a long line");
}

TEST_F(ScriptHeadTest, LockedScriptIsReadInMemoryAndLeftLocked) {
  const std::string text = "[TASK]\nFAMILY LTO6_MDLC\nDESCRIPTION Locked one\n";
  for (int method = 1; method <= 3; ++method) {
    WriteFile("locked.xcs", text);
    KLockSmith smith;
    ASSERT_EQ(smith.SetLockMethod(method), 0);
    ASSERT_EQ(smith.LockFile("locked.xcs"), 0);
    const std::string locked = ReadFile("locked.xcs");

    Skerry_Scriptlist list;
    ASSERT_EQ(list.FastScanFileForInformation("locked.xcs"), 0) << method;
    EXPECT_EQ(list.Type(), 1) << method;
    EXPECT_EQ(list.FamilyMask(), 1u << 21) << method;
    EXPECT_EQ(list.Description(), "Locked one") << method;
    EXPECT_EQ(ReadFile("locked.xcs"), locked) << method;
  }
}

TEST_F(ScriptHeadTest, ScriptMatchesDriveByFamily) {
  WriteFile("lto.scs", "FAMILY lto\nDESCRIPTION x\n");
  WriteFile("nofamily.scs", "DESCRIPTION x\n");
  WriteFile("all.scs", "FAMILY ALL\nDESCRIPTION x\n");
  WriteFile("standard.scs", "FAMILY LTO, SSC\nDESCRIPTION x\n");
  WriteFile("loader.scs", "FAMILY LOADER\nDESCRIPTION x\n");
  struct Case {
    const char* script;
    uint8_t drive;
    bool match;
  };
  const Case cases[] = {
      {"lto.scs", 177, true},                                   // HP_LTO
      {"lto.scs", 161, true},                                   // IBM_LTO
      {"lto.scs", 97, true},                                    // MOR_LTO
      {"lto.scs", 100, false},                                  // LTO5 is a family of its own
      {"lto.scs", 226, false},      {"nofamily.scs", 1, true},  // ZEP
      {"nofamily.scs", 23, true},                               // DAT
      {"nofamily.scs", 4, true},                                // ZEPV4
      {"nofamily.scs", 13, false},                              // ZEPS4 is bit 8
      {"nofamily.scs", 226, false},                             // no Ultrium drive
      {"all.scs", 226, true},       {"all.scs", 14, false},     // a drive without a family matches nothing
      {"all.scs", 255, false},      {"all.scs", 254, true},     // a changer has the LOADER family
      {"all.scs", 253, true},                                   // another maker's tape drive the SSC family
      {"standard.scs", 253, true},  {"standard.scs", 97, true},
      {"standard.scs", 254, false}, {"standard.scs", 226, false},
      {"loader.scs", 254, true},    {"loader.scs", 253, false},  // a tape drive is never offered autoloader scripts
      {"missing.scs", 226, false},
  };
  for (const Case& c : cases) {
    Skerry_Scriptlist list;
    EXPECT_EQ(list.CheckScriptAndDriveFamily(c.script, c.drive), c.match) << c.script << " on " << int(c.drive);
  }
}

}  // namespace
