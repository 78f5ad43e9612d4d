// Statement table, phase 2 and phase 3.
#include <cstring>
#include <set>
#include <string>

#include "engine_fixture.h"
#include "script/core/statement_api.h"
#include "script/statements/statement_table.h"

using CompilerTest = EngineTest;

TEST(StatementTable, KeywordsMapToTheirIds) {
  std::set<std::string> keywords;
  std::set<int32_t> ids;
  int rows = 0;
  auto add = [&](const char* keyword, int32_t id) {
    ++rows;
    EXPECT_TRUE(keywords.insert(keyword).second) << keyword;
    ids.insert(id);
    EXPECT_GE(id, 1);
    EXPECT_LE(id, kMaxStatementId);
  };
  for (const StatementRow& row : StatementTable)
    if (row.keyword != nullptr) add(row.keyword, row.id);
  for (const KeywordAlias* alias = KeywordAliases; alias->keyword != nullptr; ++alias) add(alias->keyword, alias->id);
  EXPECT_EQ(rows, 157);
  EXPECT_EQ(ids.size(), 155u);
  EXPECT_EQ(ids.count(82) + ids.count(104), 0u);
  EXPECT_EQ(FindStatementId("LOGSK"), FindStatementId("LOGSENSEKEYS"));
  EXPECT_EQ(FindStatementId("PRINTSK"), 103);
  EXPECT_EQ(FindStatementId("PRINTSENSEKEYS"), 103);
  EXPECT_EQ(FindStatementId("IF"), 70);
  EXPECT_EQ(FindStatementId("[ENGINEERING]"), 29);
  EXPECT_EQ(FindStatementId("print"), 0);  // the caller upper-cases
}

TEST_F(CompilerTest, KeywordsMatchInAnyCase) {
  ASSERT_EQ(LoadAndRun("description d\nSTART:\nsleep 1000\nSlEeP 2000\nExit 3\n"), 0);
  EXPECT_EQ(engine.sleeps, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(engine.GetExitStatus(), 3);
  EXPECT_EQ(engine.Statements()[1].id, 117);
}

TEST_F(CompilerTest, Phase2ReportsEveryErrorWithItsText) {
  std::string out;
  EXPECT_EQ(LoadAndRun("DESCRIPTION d\n"
                       "START:\n"
                       "JUMP nowhere\n"    // 3
                       "CALL\n"            // 4
                       "SCSI TUR1\n"       // 5: no such CDB
                       "BAUD 9600\n"       // 6: reserved keyword
                       "VERSION\n"         // 7
                       "SWITCH nothing\n"  // 8: no catalogue row
                       "ENDSWITCH\n"       // 9
                       "EXIT 0\n",
                       &out),
            10);
  const char* expected[] = {
      "Error In main.scs @ Line 3 :\r\n\tError : JUMP_UNKNOWN_VECTOR_ERROR",
      "Error In main.scs @ Line 4 :\r\n\tError : CALL_NO_VECTOR_SPECIFIED",
      "Error In main.scs @ Line 5 :\r\n\tError : SCSI_UNKNOWN_CDB_SPECIFIED",
      "Error In main.scs @ Line 6 :\r\n\tError : UNKNOWN_CMD",
      "Error In main.scs @ Line 7 :\r\n\tError : VERSION_NO_VALUE_SPECIFIED",
      "*** Unknown Error Condition Detected : main.scs -9600 @ 8 ***",
      "Error In main.scs @ Line 9 :\r\n\tError: K_ENDSWITCH_WITHOUT_STARTING_SWITCH",
  };
  size_t from = 0;
  for (const char* e : expected) {
    const size_t at = out.find(e, from);
    EXPECT_NE(at, std::string::npos) << e << "\n" << out;
    if (at != std::string::npos) from = at;
  }
  EXPECT_EQ(out.find("Phase 3"), std::string::npos);  // phase 3 does not run after a failed phase 2
}

TEST_F(CompilerTest, PhaseEndChecks) {
  struct Case {
    const char* name;
    const char* script;
    const char* report;
  };
  const Case cases[] = {
      {"no description", "START:\nEXIT 0\n",
       "Error In main.scs @ Line 2 :\r\n\tError : Phase 2 : NO_DESCRIPTION_SPECIFIED"},
      {"no label", "DESCRIPTION d\nEXIT 0\n", "\tError : NO_CONTEXTS_SPECIFIED"},
      {"no statement after the last label", "DESCRIPTION d\nSTART:\nEXIT 0\nEND:\n",
       "Error In main.scs @ Line 4 :\r\n\tError : CONTEXT_LINKER_ERROR"},
      {"last label at the end of an include", "DESCRIPTION d\nSTART:\nEXIT 0\n#INCLUDE end.scs\n",
       "Error In end.scs @ Line 2 :\r\n\tError : CONTEXT_LINKER_ERROR"},
      {"unknown first word", "DESCRIPTION d\nSTART:\nfoo = 1\n",
       "Error In main.scs @ Line 3 :\r\n\tError : UNRECOGNIZABLE_LINE"},
      {"bad family", "FAMILY LTO / VHS\nDESCRIPTION d\nSTART:\nEXIT 0\n",
       "Error In main.scs @ Line 1 :\r\n\tError: K_FAMILY_INVALID_FAMILY_DETECTED"},
      {"empty family", "FAMILY ()\nDESCRIPTION d\nSTART:\nEXIT 0\n", "\tError: K_FAMILY_NOBODY_HOME"},
  };
  Write("end.scs", "SLEEP 0\nTAIL:\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine.CleanUp();
    std::string out;
    EXPECT_EQ(LoadAndRun(c.script, &out), 10);
    EXPECT_NE(out.find(c.report), std::string::npos) << out;
  }
}

TEST_F(CompilerTest, FamilyLineIsCheckedAndNotAStatement) {
  ASSERT_EQ(LoadAndRun("FAMILY LTO/ZEP, HP_LTO, SSC, smc, LOADER\nDESCRIPTION d\nSTART:\nEXIT 0\n"), 0);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"DESCRIPTION d", "EXIT 0"}));
}

TEST_F(CompilerTest, HeaderStatements) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION Drive self test\nVERSION 2.5\n[TEST]\n[engineering]\nSTATE\n"
                       "START:\nDISABLEABORT\nEXIT 0\n"),
            0);
  EXPECT_EQ(engine.GetDescription(), "Drive self test");
  EXPECT_FLOAT_EQ(engine.GetVersion(), 2.5f);
}

TEST_F(CompilerTest, LabelsLinkToTheNextStatement) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\n"
                       "A:\n"
                       "B:\n"
                       "// a comment between\n"
                       "SLEEP 0\n"  // line 5
                       "IF 1 == 2 RETURN\n"
                       "IF 1 == 2 JUMP C\n"
                       "C:\n"
                       "EXIT 0\n"),
            0);
  const SYMBOL_LINK* a = engine.Symbols().Find("A");
  const SYMBOL_LINK* b = engine.Symbols().Find("B");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->statement, b->statement);
  EXPECT_EQ(a->lineNumber, 5);
  EXPECT_EQ(a->statement->text, "SLEEP 0");
  CTextLL& list = engine.Statements();
  EXPECT_EQ(list[2].target, nullptr);  // IF ... RETURN
  EXPECT_EQ(list[3].target, engine.Symbols().Find("C")->statement);
  EXPECT_EQ(list[3].target->text, "EXIT 0");
}

TEST_F(CompilerTest, PlainDeclarationsAreAlsoStatements) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nBYTE b = 5\nSBYTE s = 6\nXWORD x = 7\nSTART:\nEXIT b\n"), 0);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"DESCRIPTION d", "b = 5", "EXIT b"}));
  EXPECT_EQ(engine.GetExitStatus(), 5);
}

TEST_F(CompilerTest, AssignmentErrorsAreReportedInPhase2) {
  std::string out;
  EXPECT_EQ(LoadAndRun("DESCRIPTION d\nBYTE b = 1\nSTART:\nb ! 3\nb +=\nb = nothing\nEXIT 0\n", &out), 10);
  EXPECT_NE(out.find("@ Line 4 :\r\n\tError : VARI_MISSING_OPERATOR"), std::string::npos) << out;
  EXPECT_NE(out.find("@ Line 5 :\r\n\tError : VARI_MISSING_ARGUMENT"), std::string::npos) << out;
  EXPECT_NE(out.find("@ Line 6 :\r\n\tError : VARI_UNABLE_TO_PROCESS_VARIABLE"), std::string::npos) << out;
}
