// The table, remark and file declarations as the loader files them, and the
// fingerprint check of a script loaded with the check asked for.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine_fixture.h"
#include "script/core/fingerprint.h"
#include "script/statements/remarks.h"
#include "script/statements/tables.h"

namespace {

class DataStatements : public EngineTest {};

TEST_F(DataStatements, RemarksAreStoredUnderTheirExternalLabel) {
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nEXTERNAL One:\nREMARK (\"single\"); // note\n"
                       "EXTERNAL Three:\nREMARK (\"first\"\n   , \"second\"  // why\n   , \"third\");\n"
                       "MSG after\n",
                       &out),
            0)
      << out;
  const K_Remarks* remarks = engine.m_Declarations.Find<K_Remarks>();
  ASSERT_NE(remarks, nullptr);
  char text[32];
  ASSERT_TRUE(remarks->Find("Three", text, sizeof text));
  EXPECT_STREQ(text, "first\r\nsecond\r\nthird");
  EXPECT_FALSE(remarks->Find("Three", text, 20));  // 19 characters and the NUL do not fit in 20
  ASSERT_TRUE(remarks->Find("One", text, sizeof text));
  EXPECT_STREQ(text, "single");
  EXPECT_NE(out.find("after"), std::string::npos);  // the remark's lines are not statements
}

TEST_F(DataStatements, ErrorsAfterAMultiLineRemarkNameTheRightLine) {
  std::string out;
  EXPECT_EQ(LoadAndRun("DESCRIPTION d\nEXTERNAL L:\nREMARK (\"a\"\n , \"b\");\nJUMP NOWHERE\n", &out), 10);
  EXPECT_NE(out.find("@ Line 5 :"), std::string::npos) << out;
}

TEST_F(DataStatements, TableEntriesKeepTheirSourceLine) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nTABLE T\n\nTENTRY(T, 1, 2, \"x\");\nSLEEP 0\n"), 0);
  const K_TableLL* tables = engine.m_Declarations.Find<K_TableLL>();
  ASSERT_NE(tables, nullptr);
  ASSERT_NE(tables->Find("T"), nullptr);
  EXPECT_EQ(tables->Find("T")->Find(2)->line, 5);
}

// LoadScript with the fingerprint check, over the fixtures.
class FingerPrintLoad : public EngineTest {
 protected:
  void Copy(const std::string& name) {
    std::ifstream in(std::string(VEXIL_TEST_DATA) + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    Write(name, s.str());
  }
  int LoadChecked(const std::string& name, std::string& out) {
    testing::internal::CaptureStdout();
    const int result = engine.LoadScript(name.c_str(), true, nullptr);
    out = testing::internal::GetCapturedStdout();
    return result;
  }
};

TEST_F(FingerPrintLoad, OnlyAnUnchangedScriptWithItsSideFileLoads) {
  struct Case {
    const char* script;
    const char* sideFile;  // nullptr: none
    bool loads;
  };
  const Case cases[] = {
      {"fp_good.scs", "fp_good.FPF", true},
      {"fp_locked.xcs", "fp_locked.FPF", true},  // checked as stored, locked
      {"fp_changed.scs", "fp_changed.FPF", false},
      {"fp_short.scs", "fp_short.FPF", false},
      {"fp_good.scs", nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    std::remove((std::string(c.script).substr(0, std::string(c.script).rfind('.')) + ".FPF").c_str());
    Copy(c.script);
    if (c.sideFile != nullptr) Copy(c.sideFile);
    std::string out;
    EXPECT_EQ(LoadChecked(c.script, out), c.loads ? 0 : 1) << out;
    EXPECT_EQ(out.find("*** tampered with or is missing the ???.FPF file. ***") != std::string::npos, !c.loads) << out;
  }
  // Without the check asked for, the changed script loads.
  std::string out;
  EXPECT_EQ(Load("fp_changed.scs", &out), 0) << out;
}

TEST_F(FingerPrintLoad, TheWriterMakesAScriptLoadable) {
  Write("new.scs", "DESCRIPTION d\nSTART:\nMSG released\n");
  std::string out;
  EXPECT_EQ(LoadChecked("new.scs", out), 1);
  ASSERT_EQ(KFingerPrint().CreateFingerPrint("new.scs"), 0);
  EXPECT_EQ(LoadChecked("new.scs", out), 0) << out;
}

}  // namespace
