// Loading scripts: line syntax, comments, labels, includes, error reports, trail.
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "script/core/lock_smith.h"

namespace {

const char* const kHead = "DESCRIPTION test\nSTART:\n";

using Lines = std::vector<std::string>;

}  // namespace

using LoaderTest = EngineTest;

TEST_F(LoaderTest, CommentsAndShortLinesLeaveOnlyStatements) {
  struct Case {
    const char* name;
    const char* body;
    Lines statements;
  };
  const Case cases[] = {
      {"block comment closed on its own line", "/* a\nMSG hidden\n*/\nMSG shown\n", {"MSG shown"}},
      {"*/ on the opening line does not close", "/* x */\nMSG hidden\n*/ MSG hidden too\nMSG shown\n", {"MSG shown"}},
      {"*/ after text or a blank does not close", "/*\nMSG a */\n */\nMSG hidden\n*/\nMSG shown\n", {"MSG shown"}},
      {"/* after a blank is not a comment", " /* MSG\nMSG shown\n", {"/* MSG", "MSG shown"}},
      {"// cuts anywhere, also in quotes", "MSG \"a//b\"\n", {"MSG \"a"}},
      {"short lines are dropped, a one-letter name is not",
       "x\n//only comment\n (;)\n}\nB;\nMSG shown\n",
       {"x", "B", "MSG shown"}},
      {"parentheses, semicolons and commas become blanks", "SLEEP(1000);\nMSG a,b\n", {"SLEEP 1000", "MSG a b"}},
      {"blank runs collapse except in MSG/PRINT/LOG", "SLEEP    1000\nMSG a   b\n", {"SLEEP 1000", "MSG a   b"}},
      {"CR LF line ends read like LF", "MSG one\r\nMSG two\r\n", {"MSG one", "MSG two"}},
      {"CASE and DEFAULT lines with a colon stay statements", "CASE 1:\nDEFAULT:\n", {"CASE 1", "DEFAULT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine.CleanUp();
    Write("main.scs", std::string(kHead) + c.body);
    Load("main.scs");
    Lines texts = Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "DESCRIPTION test");
    texts.erase(texts.begin());
    EXPECT_EQ(texts, c.statements);
  }
}

TEST_F(LoaderTest, LabelsAreDefinedAndDuplicatesReported) {
  Write("main.scs", "DESCRIPTION d\nSTART:\nEXTERNAL Outer:\nMSG a\nstart:\nSTART:\nMSG b\n");
  std::string out;
  EXPECT_EQ(Load("main.scs", &out), 1);
  EXPECT_TRUE(engine.Symbols().SearchForMatch("START"));
  EXPECT_TRUE(engine.Symbols().SearchForMatch("start"));  // labels are case-sensitive
  const SYMBOL_LINK* outer = engine.Symbols().Find("Outer");
  ASSERT_NE(outer, nullptr);
  EXPECT_TRUE(outer->external);
  EXPECT_NE(out.find("Error In main.scs @ Line 6 :\r\n\tError : SYMBOL_DUPLICATION_DETECTED"), std::string::npos)
      << out;

  engine.CleanUp();
  Write("main.scs", "DESCRIPTION d\nSTART:\ntwo words:\nMSG a\n");
  EXPECT_EQ(Load("main.scs", &out), 1);
  EXPECT_NE(out.find("@ Line 3 :\r\n\tError : INVALID_SYMBOL_USAGE_DETECTED"), std::string::npos) << out;
}

TEST_F(LoaderTest, IncludesAreReadOnceInPlaceWithTheirOwnLineNumbers) {
  Write("main.scs",
        "DESCRIPTION d\n"
        "#INCLUDE \"inc.scs\"\n"
        "#INCLUDE \"inc.scs\"\n"
        "#INCLUDE main.scs\n"
        "START:\n"
        "MSG main\n"
        "BOGUS1\n");
  Write("inc.scs", "// included\nMSG inc\n#INCLUDE \"deep.scs\"\nBOGUS2\n");
  Write("deep.scs", "\n\nBOGUS3\n");
  std::string out;
  EXPECT_EQ(Load("main.scs", &out), 1);
  EXPECT_EQ(Texts(), (Lines{"DESCRIPTION d", "MSG inc", "BOGUS3", "BOGUS2", "MSG main", "BOGUS1"}));
  EXPECT_NE(out.find("Error In deep.scs @ Line 3 :\r\n\tError : UNRECOGNIZABLE_LINE"), std::string::npos) << out;
  EXPECT_NE(out.find("Error In inc.scs @ Line 4 :"), std::string::npos) << out;
  EXPECT_NE(out.find("Error In main.scs @ Line 7 :"), std::string::npos) << out;
  EXPECT_EQ(engine.FileStack().ProjectCount(), 3);
  EXPECT_EQ(engine.FileStack().StackCount(), 0);
}

TEST_F(LoaderTest, BlockCommentLeftOpenInAnIncludeEndsWithThatFile) {
  Write("main.scs", "DESCRIPTION d\n#INCLUDE open.scs\nSTART:\nMSG main\n");
  Write("open.scs", "MSG inc\n/*\nMSG hidden\n");
  std::string out;
  EXPECT_EQ(Load("main.scs", &out), 0) << out;
  EXPECT_EQ(Texts(), (Lines{"DESCRIPTION d", "MSG inc", "MSG main"}));
}

TEST_F(LoaderTest, FileErrorsEndPhaseOne) {
  std::string out;
  EXPECT_EQ(Load("missing.scs", &out), 1);
  EXPECT_EQ(engine.GetErrorCode(), K_PHASE1_FILE_OPEN_ERROR);
  EXPECT_EQ(TrailText(),
            "Phase 1 : Collection...\nLoading: missing.scs\n"
            "Error In Unknown @ Line 0 :\r\n\tError : K_PHASE1_FILE_OPEN_ERROR\n"
            "Phase 1 Complete.\n");

  Write("main.scs", std::string(kHead) + "#INCLUDE nothere.scs\nMSG after\n");
  EXPECT_EQ(Load("main.scs", &out), 1);
  EXPECT_NE(out.find("Error In main.scs @ Line 3 :\r\n\tError : K_PHASE1_INCLUDE_SEQ_FILE_ERROR"), std::string::npos)
      << out;
  EXPECT_EQ(Texts(), (Lines{"DESCRIPTION test"}));  // phase 1 ended at the include
}

TEST_F(LoaderTest, OverlongLineIsReportedAndTheRestOfTheFileStillRead) {
  Write("main.scs", std::string(kHead) + "MSG " + std::string(1100, 'x') + "\nBOGUS\nMSG end\n");
  std::string out;
  EXPECT_EQ(Load("main.scs", &out), 1);
  EXPECT_NE(out.find("Error In main.scs @ Line 3 :\r\n\tError : PHASE1_LINE_LONGER_THAN_1023_CHARACTERS"),
            std::string::npos)
      << out;
  EXPECT_EQ(Texts(), (Lines{"DESCRIPTION test", "BOGUS", "MSG end"}));
}

TEST_F(LoaderTest, FileWithNonTextBytesYieldsNoLines) {
  Write("main.scs", std::string(kHead) + "MSG \x01 x\n");
  std::string out;
  EXPECT_EQ(Load("main.scs", &out), 1);
  EXPECT_TRUE(Texts().empty());
  EXPECT_NE(out.find("NO_DESCRIPTION_SPECIFIED"), std::string::npos) << out;
}

TEST_F(LoaderTest, LockedScriptLoadsLikeAPlainOne) {
  std::string text = "DESCRIPTION locked\nSTART:\nEXIT 7\n";
  KLockSmith smith;
  ASSERT_EQ(smith.SetLockMethod(3), 0);
  ASSERT_EQ(smith.Lock(reinterpret_cast<uint8_t*>(text.data()), text.size()), 0);
  Write("main.xcs", text);
  ASSERT_EQ(Load("main.xcs"), 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(engine.GetExitStatus(), 7);
  EXPECT_EQ(engine.GetDescription(), "locked");
}

TEST_F(LoaderTest, TrailRecordsThePhasesInOrder) {
  Write("main.scs", "DESCRIPTION d\n#INCLUDE inc.scs\nSTART:\nEXIT 0\n");
  Write("inc.scs", "SLEEP 0\n");
  std::string out;
  ASSERT_EQ(Load("main.scs", &out), 0);
  const std::string expected =
      "Phase 1 : Collection...\nLoading: main.scs\nLoading: inc.scs\nComplete...\nComplete...\n"
      "Phase 1 Completed.\nPhase 2 : Validation...\nPhase 2 Complete.\nPhase 3 : Linking...\n"
      "   Symbols Link Complete...\n   Uninitialized Variable Scan Complete...\n"
      "   Vector Linking Complete...\nPhase 3 Complete.\n";
  EXPECT_EQ(TrailText(), expected);
  EXPECT_EQ(out, expected);
}

TEST_F(LoaderTest, ReportFormats) {
  char buffer[KScript::kLineSize];
  engine.m_LineNumber = 12;
  engine.Police(0, buffer, 0);
  EXPECT_STREQ(buffer, "*** No Error Condition Exists ***");
  engine.Police(-910, buffer, 0);
  EXPECT_STREQ(buffer, "Error In Unknown @ Line 12 :\r\n\tK_TTTABLE_TABLE_INVALID_TAG_DETECTED");
  engine.Police(-8000, buffer, 0);
  EXPECT_STREQ(buffer, "*** Unknown Error Condition Detected : Unknown -8000 @ 12 ***");
  engine.Police(-62, buffer, 0);
  EXPECT_STREQ(buffer, "Error In Unknown @ Line 12 :\r\n\tError : Run Time : CALL_DEPTH_EXCEEDED");
}

TEST_F(LoaderTest, OtherPathsMustExist) {
  std::string out;
  Write("main.scs", std::string(kHead) + "EXIT 0\n");
  EXPECT_EQ(engine.LoadScript("main.scs", false, "Logs;."), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(engine.LoadScript("main.scs", false, "Logs;no_such_folder"), 1);
  out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(engine.GetErrorCode(), K_OTHER_FOLDER_SPECIFIED_NOT_FOUND);
}
