#include "frontend/script_catalogue.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "frontend/console_state.h"
#include "frontend/script_list.h"
#include "scratch_fixture.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using Names = std::vector<std::string>;

constexpr uint8_t kUltriumHH6 = 226;  // family LTO6_MDLC

class Catalogue : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    ::mkdir("Scripts", 0755);
  }
  void TearDown() override {
    console_.scripts.reset();
    ScratchFolder::TearDown();
  }
  void Script(const std::string& name, const std::string& head) {
    WriteFile("Scripts/" + name, head + "DESCRIPTION about " + name + "\nSTART:\nEXIT 0\n");
  }
  ScriptMenuLists Build(const char* folder) {
    CaptureStdout();
    const bool built = build_script_list(console_, folder, kUltriumHH6);
    GetCapturedStdout();
    EXPECT_TRUE(built);
    return BuildMenuLists(console_.scripts.get());
  }

  ConsoleState console_;
};

TEST_F(Catalogue, FolderScanKeepsWhatSuitsTheDriveAndTheModes) {
  Script("b_task.scs", "[TASK]\nFAMILY LTO6_MDLC\n");
  Script("A_task.SCS", "[TASK]\nFAMILY ALL\n");
  Script("a_task.scs", "[TEST]\n[TASK]\nfamily lto6_mdlc\n");
  Script("zeta.xcs", "FAMILY ALL\n");
  Script("Beta.scs", "[TASK]\n[TEST]\nFAMILY ALL\n");
  Script("dat_only.scs", "FAMILY DAT\n");
  Script("no_family.scs", "[TASK]\n");
  Script("eng.scs", "[ENGINEERING]\nFAMILY ALL\n");
  Script("notes.txt", "FAMILY ALL\n");
  Script("x.scsx", "FAMILY ALL\n");
  Script("Turn_Off_On_TLR.xcs", "FAMILY ALL\n");
  Script("Issue_Park_Command.xcs", "FAMILY ALL\n");
  Script("GetTuningCalVer_LTOEX.xcs", "FAMILY ALL\n");

  ScriptMenuLists lists = Build(nullptr);
  EXPECT_EQ(lists.tasks, (Names{"A_task.SCS", "a_task.scs", "b_task.scs"}));
  EXPECT_EQ(lists.tests, (Names{"Beta.scs", "zeta.xcs"}));
  EXPECT_EQ(console_.scripts->count, 5);
  ASSERT_NE(lists.Pick(4), nullptr);
  EXPECT_EQ(*lists.Pick(4), "Beta.scs");  // tests number on after the tasks
  EXPECT_EQ(lists.Pick(0), nullptr);
  EXPECT_EQ(lists.Pick(6), nullptr);

  // Engineering and park mode show their scripts; SAS mode needs a SAS drive too.
  console_.flags.EngMode = 1;
  console_.flags.ParkMode = 1;
  console_.flags.SasMode = 1;
  lists = Build(nullptr);
  EXPECT_EQ(lists.tests, (Names{"Beta.scs", "Issue_Park_Command.xcs", "eng.scs", "zeta.xcs"}));

  // A folder named by the user is not the default folder: nothing is gated.
  ResetConsoleState(console_);
  lists = Build("Scripts");
  EXPECT_EQ(lists.tests, (Names{"Beta.scs", "GetTuningCalVer_LTOEX.xcs", "Issue_Park_Command.xcs",
                                "Turn_Off_On_TLR.xcs", "zeta.xcs"}));
}

TEST_F(Catalogue, EntriesKeepWholeNamesAndDescriptions) {
  const std::string long_name = std::string(90, 'n') + ".scs";
  WriteFile("Scripts/" + long_name, "FAMILY ALL\nDESCRIPTION Write/read/compare (scratch cartridge)\n");
  Build(nullptr);
  ASSERT_EQ(console_.scripts->Entries().size(), 1u);
  const ScriptEntry& entry = console_.scripts->Entries()[0];
  EXPECT_EQ(entry.name, long_name);
  EXPECT_EQ(entry.description, "Write/read/compare  scratch cartridge");
  EXPECT_EQ(entry.family_mask, 0xFFFFFFFFu);
}

TEST_F(Catalogue, MoreThan128TasksAreAllListedInOrder) {
  for (int i = 0; i < 130; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "task%03d.scs", 129 - i);
    Script(name, "[TASK]\nFAMILY ALL\n");
  }
  Script("last_test.scs", "FAMILY ALL\n");
  const ScriptMenuLists lists = Build(nullptr);
  ASSERT_EQ(lists.tasks.size(), 130u);
  EXPECT_EQ(lists.tasks.front(), "task000.scs");
  EXPECT_EQ(*lists.Pick(130), "task129.scs");
  EXPECT_EQ(*lists.Pick(131), "last_test.scs");
  CaptureStdout();
  PrintMenuLists(lists);
  const std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("130) task129.scs\n\nTests:\n131) last_test.scs\n"), std::string::npos);
}

TEST_F(Catalogue, NothingTakenIsAFailure) {
  Script("dat_only.scs", "FAMILY DAT\n");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(build_script_list(console_, nullptr, kUltriumHH6));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("No scripts found!"), std::string::npos);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(build_script_list(console_, "NoSuchFolder", kUltriumHH6));
  testing::internal::GetCapturedStderr();
}

}  // namespace
