#include <gtest/gtest.h>

#include "facade/scsi_wrapper.h"
#include "frontend/console_state.h"
#include "frontend/log_file.h"
#include "frontend/script_list.h"
#include "frontend/selection_failure.h"
#include "script/core/kscript.h"

namespace {

TEST(Cleanup, DropsEveryObjectAndCanRunAgain) {
  ConsoleState console;
  console.facade = std::make_unique<ScsiWrapper>();
  console.engine = std::make_unique<KScript>();
  console.log = std::make_unique<Skerry_LogFile>();
  console.scripts = std::make_unique<Skerry_Scriptlist>();
  FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  console.engine->SetLogFilePointer(stream);

  cleanup(console);
  EXPECT_EQ(console.facade, nullptr);
  EXPECT_EQ(console.engine, nullptr);
  EXPECT_EQ(console.log, nullptr);
  EXPECT_EQ(console.scripts, nullptr);
  cleanup(console);  // at every exit path and from the signal handlers: any number of times
  EXPECT_EQ(console.facade, nullptr);
  std::fclose(stream);
}

TEST(SelectionFailure, TextsByCode) {
  const char* texts[] = {
      "Script file OK\n",
      "Requested script file not found\n",
      "No compatible script files found\n",
      "Requested script file cannot be opened (check permissions)\n",
      "Requested script file is not compatible with selected device\n",
      "Invalid argument\n",
  };
  for (int code = 0; code < 6; ++code) EXPECT_STREQ(SfeMessage(code), texts[code]) << code;
  EXPECT_STREQ(SfeMessage(6), texts[0]);
  EXPECT_STREQ(SfeMessage(-1), texts[0]);
}

TEST(ResetConsoleState, ClearsTheSelectionRecord) {
  ConsoleState console;
  console.flags.ScriptFile[0] = 'x';
  console.flags.DeviceIndex = 3;
  console.flags.Vendor = 1;
  console.flags.Action = 3;
  console.sfe = 4;
  ResetConsoleState(console);
  EXPECT_EQ(console.flags.ScriptFile[0], '\0');
  EXPECT_EQ(console.flags.DeviceIndex, 0);
  EXPECT_EQ(console.flags.Vendor, 0);
  EXPECT_EQ(console.flags.Action, 0);
  EXPECT_EQ(console.sfe, 0);
}

TEST(SetField, RefusesTextThatDoesNotFit) {
  char field[8];
  EXPECT_TRUE(SetField(field, "1234567"));
  EXPECT_STREQ(field, "1234567");
  EXPECT_FALSE(SetField(field, "12345678"));
  EXPECT_STREQ(field, "");
  CopyCut(field, "12345678");
  EXPECT_STREQ(field, "1234567");
}

}  // namespace
