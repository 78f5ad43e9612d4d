#include <gtest/gtest.h>

#include "facade/scsi_wrapper.h"
#include "frontend/globals.h"
#include "frontend/log_file.h"
#include "frontend/script_list.h"
#include "frontend/selection_failure.h"
#include "script/core/kscript.h"

namespace {

TEST(Cleanup, DropsEveryObjectAndCanRunAgain) {
  g_pScsiWrapper = std::make_unique<ScsiWrapper>();
  m_ScriptObjPtr = std::make_unique<KScript>();
  g_pLogFile = std::make_unique<Skerry_LogFile>();
  g_pScriptlist = std::make_unique<Skerry_Scriptlist>();
  FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  pFilePtr = stream;
  m_ScriptObjPtr->SetLogFilePointer(stream);

  cleanup();
  EXPECT_EQ(g_pScsiWrapper, nullptr);
  EXPECT_EQ(m_ScriptObjPtr, nullptr);
  EXPECT_EQ(g_pLogFile, nullptr);
  EXPECT_EQ(g_pScriptlist, nullptr);
  EXPECT_EQ(pFilePtr, nullptr);
  cleanup();  // at every exit path and from the signal handlers: any number of times
  EXPECT_EQ(g_pScsiWrapper, nullptr);
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
  g_pFlags.ScriptFile[0] = 'x';
  g_pFlags.DeviceIndex = 3;
  g_pFlags.Vendor = 1;
  g_pFlags.Action = 3;
  sfe = 4;
  ResetConsoleState();
  EXPECT_EQ(g_pFlags.ScriptFile[0], '\0');
  EXPECT_EQ(g_pFlags.DeviceIndex, 0);
  EXPECT_EQ(g_pFlags.Vendor, 0);
  EXPECT_EQ(g_pFlags.Action, 0);
  EXPECT_EQ(sfe, 0);
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
