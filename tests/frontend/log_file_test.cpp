#include "frontend/log_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "frontend/banners.h"
#include "scratch_fixture.h"

namespace {

// 2026-03-04 05:06:07 UTC
constexpr time_t kWhen = 1772600767;

class LogFileTest : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::mkdir("Logs", 0755);
  }
  FixedClock clock_{kWhen};
};

TEST(LogTag, ByKindAndLevel) {
  struct Case {
    int kind, level;
    const char* tag;
  };
  const Case cases[] = {
      {1, 0, "ENGIN"},    {1, 1, "NORMAL"}, {2, 2, "CAUTION"}, {3, 3, "WARNING"}, {1, 4, "SEVERE"},  {1, 7, "UNKNOWN"},
      {1, -1, "UNKNOWN"}, {0, 4, "NORMAL"}, {0, 0, "NORMAL"},  {4, 4, "NORMAL"},  {-1, 2, "NORMAL"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(LogTag(c.kind, c.level), c.tag) << c.kind << "/" << c.level;
  }
}

TEST_F(LogFileTest, FileNameFromTimeAndSerial) {
  struct Case {
    const char* serial;
    std::string name;
  };
  const Case cases[] = {
      {"HU1234567A", "./Logs/03_04_2026_050607_HU1234567A_Vexil.txt"},
      {"", "./Logs/03_04_2026_050607_NoSerialNum_Vexil.txt"},
      {nullptr, "./Logs/03_04_2026_050607_NoSerialNum_Vexil.txt"},
      // A serial from a drive must not lead out of ./Logs.
      {"../../etc/x", "./Logs/03_04_2026_050607_.._.._etc_x_Vexil.txt"},
      {"A B\tC", "./Logs/03_04_2026_050607_A_B_C_Vexil.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(LogFileName(kWhen, c.serial), c.name);

  const std::string long_name = LogFileName(kWhen, std::string(300, 'S').c_str());
  EXPECT_LE(long_name.size(), 127u);
  EXPECT_EQ(long_name.substr(long_name.size() - 10), "_Vexil.txt");
}

TEST_F(LogFileTest, LinesCarryTagTimeAndTextAndAreFlushed) {
  Skerry_LogFile log;
  ASSERT_NE(log.Skerry_OpenLog("SER1"), nullptr);
  EXPECT_EQ(log.FileName(), "./Logs/03_04_2026_050607_SER1_Vexil.txt");
  clock_.Set(kWhen + 3600 + 61);
  EXPECT_TRUE(log.Skerry_Write2Log(1, 1, "Device Entered:"));
  EXPECT_TRUE(log.Skerry_Write2Log(1, 4, "two\nlines"));
  EXPECT_TRUE(log.Skerry_Write2Log(0, 4, "kind 0"));
  EXPECT_TRUE(log.Skerry_Write2Log(1, 9, "odd level"));
  // Flushed line by line: readable before the log is closed.
  EXPECT_EQ(ReadFile(log.FileName()),
            "[Vexil]-[NORMAL]-[06:07:08]: Device Entered:\n"
            "[Vexil]-[SEVERE]-[06:07:08]: two\nlines\n"
            "[Vexil]-[NORMAL]-[06:07:08]: kind 0\n"
            "[Vexil]-[UNKNOWN]-[06:07:08]: odd level\n");
  EXPECT_TRUE(log.Skerry_CloseLog());
  EXPECT_FALSE(log.Skerry_CloseLog());
  EXPECT_FALSE(log.Skerry_Write2Log(1, 1, "after close"));
}

TEST_F(LogFileTest, RunsInTheSameSecondKeepTheirOwnLogs) {
  std::string names[3];
  for (int run = 0; run < 3; ++run) {
    Skerry_LogFile log;
    ASSERT_NE(log.Skerry_OpenLog("SER1"), nullptr) << run;
    log.Skerry_Write2Log(1, 1, ("run " + std::to_string(run)).c_str());
    names[run] = log.FileName();
  }
  EXPECT_EQ(names[0], "./Logs/03_04_2026_050607_SER1_Vexil.txt");
  EXPECT_EQ(names[1], "./Logs/03_04_2026_050607_SER1-2_Vexil.txt");
  EXPECT_EQ(names[2], "./Logs/03_04_2026_050607_SER1-3_Vexil.txt");
  for (int run = 0; run < 3; ++run)
    EXPECT_EQ(ReadFile(names[run]), "[Vexil]-[NORMAL]-[05:06:07]: run " + std::to_string(run) + "\n");

  // The number still fits a name cut to its limit.
  const std::string numbered = LogFileName(kWhen, std::string(300, 'S').c_str(), 12);
  EXPECT_LE(numbered.size(), 127u);
  EXPECT_TRUE(numbered.ends_with("S-12_Vexil.txt")) << numbered;
}

TEST_F(LogFileTest, AMissingLogsFolderIsMadeAndAFileInItsPlaceGivesNoStream) {
  ::rmdir("Logs");
  Skerry_LogFile made;
  ASSERT_NE(made.Skerry_OpenLog("SER1"), nullptr);
  EXPECT_TRUE(made.Skerry_Write2Log(1, 1, "kept"));
  made.Skerry_CloseLog();
  EXPECT_NE(ReadFile(made.FileName()).find("kept"), std::string::npos);
  ::unlink(made.FileName().c_str());
  ::rmdir("Logs");

  WriteFile("Logs", "a file where the folder should be");
  Skerry_LogFile blocked;
  EXPECT_EQ(blocked.Skerry_OpenLog("SER1"), nullptr);
  EXPECT_FALSE(blocked.Skerry_Write2Log(1, 1, "lost"));
}

TEST_F(LogFileTest, VersionEntryAndErrorFrameGoToTheLog) {
  auto log = std::make_unique<Skerry_LogFile>();
  ASSERT_NE(log->Skerry_OpenLog(""), nullptr);
  const std::string name = log->FileName();
  testing::internal::CaptureStderr();
  logversion(log.get());
  print_wrapper_error(log.get(), "No tape");
  const std::string shown = testing::internal::GetCapturedStderr();  // an error, kept out of a report
  log.reset();

  EXPECT_EQ(ReadFile(name),
            "[Vexil]-[NORMAL]-[05:06:07]: Version 6.7.0.0\n\n\n"
            "[Vexil]-[SEVERE]-[05:06:07]: Error detected:\n"
            "[Vexil]-[SEVERE]-[05:06:07]: No tape\n");
  const std::string rule(67, '=');
  EXPECT_EQ(shown, "\n" + rule + "\n!!! Vexil Wizard ERROR - \n\tNo tape !!!\n" + rule + "\n\n");
}

TEST(Banners, VersionAndNoticeShapes) {
  const std::string rule(67, '=');
  testing::internal::CaptureStdout();
  showversion();
  const std::string version = testing::internal::GetCapturedStdout();
  EXPECT_EQ(version.rfind(rule + "\nVexil version 6.7.0.0\n", 0), 0u) << version;
  EXPECT_EQ(version.substr(version.size() - rule.size() - 1), rule + "\n");

  testing::internal::CaptureStdout();
  showdisclaimer();
  const std::string notice = testing::internal::GetCapturedStdout();
  ASSERT_EQ(notice.rfind(rule + "\n", 0), 0u);
  ASSERT_EQ(notice.substr(notice.size() - rule.size() - 2), rule + "\n\n");
  const std::string body = notice.substr(rule.size() + 1, notice.size() - 2 * rule.size() - 3);
  int lines = 0;
  for (char c : body) lines += c == '\n';
  EXPECT_EQ(lines, 5) << body;

  testing::internal::CaptureStderr();
  print_wizard_error(nullptr);
  print_wizard_error("Script file OK\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "*** Vexil Wizard - Unable to write to log file! ***\nScript file OK\n\n");
}

}  // namespace
