// Statements that read their words once, in validation, and run from what they
// found: each run still sees the values, texts, sizes and files of that moment.
#include <cstdio>
#include <string>

#include "output_fixture.h"
#include "script/core/error_fx.h"

namespace {

class CompiledStatementsTest : public OutputTest {
 protected:
  // t: text (32 bytes), q: query (16), r: 16 bytes, o: destination (8).
  void Buffers(const std::string& t, const std::string& q = "") {
    engine.CleanUp();
    engine.AddBuffer("t", 32, t);
    engine.AddBuffer("q", 16, q);
    engine.AddBuffer("r", 16);
    engine.AddBuffer("o", 8);
  }
};

// The statement runs three times, with w = 1, 2 and 3: the last pass's result
// shows the value it read then, not the one w had when it was checked.
TEST_F(CompiledStatementsTest, EachPassReadsTheVariablesOfThatPass) {
  struct Case {
    const char* statement;
    const char* t;
    const char* q;
    const char* result;  // buffer or word variable
    const char* expected;
  };
  const Case cases[] = {
      {"LEFTSTRING t o w", "hello", "", "o", "hel"},
      {"RIGHTSTRING t o w", "hello", "", "o", "llo"},
      {"MIDSTRING t o w 2", "hello", "", "o", "ll"},
      {"STRINGC t q w n", "abcabc", "c", "n", "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    Buffers(c.t, c.q);
    const std::string body =
        std::string("WORD n = 0\nw = 1\nAGAIN:\n") + c.statement + "\nw += 1\nIF w < 4 JUMP AGAIN\n";
    ASSERT_EQ(LoadAndRun(body), 0) << engine.GetErrorCode();
    const VARI_LL* variable = engine.FindVariable(c.result);
    EXPECT_EQ(variable != nullptr ? std::to_string(variable->Unsigned()) : engine.Text(c.result), c.expected);
  }
}

// What only the run can know is still checked by the run: a buffer's size
// after DIMENSION, and a buffer's text as it is when the statement runs.
TEST_F(CompiledStatementsTest, TheRunChecksWhatChangedSinceValidation) {
  struct Case {
    const char* body;
    int32_t code;  // of the run; 0 when it passes
  };
  const Case cases[] = {
      {"COPYBUFFER q r", 0},
      {"DIMENSION r 8\nCOPYBUFFER q r", COPYBUFFER_BUFFER_SIZE_MISMATCH_DETECTED},
      {"DIMENSION o 2\nLEFTSTRING t o 5", KRT_LEFTSTRING_SWATH_RANGE},
      {"DIMENSION t 4\nGETSENSETEXT 0 0 0 t", K_GETSENSETEXT_DESTINATION_BUFFER_TOO_SMALL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    Buffers("hello world");
    const int result = LoadAndRun(c.body);
    EXPECT_EQ(result, c.code != 0 ? 1 : 0);
    EXPECT_EQ(result != 0 ? engine.GetErrorCode() : 0, c.code);
  }
}

TEST_F(CompiledStatementsTest, PassShowsTheBufferTextOfItsRun) {
  Buffers("ok then");
  std::string out;
  ASSERT_EQ(LoadAndRun("PASS t\nUPPERCASE t\nPASS t\nPASS plain \"words\"", "", &out), 0);
  EXPECT_NE(out.find("ok then\nOK THEN\nplain  words \n"), std::string::npos) << out;
}

TEST_F(CompiledStatementsTest, LoadBufferOpensItsFileAgainWhenItRuns) {
  Buffers("");
  Write("Scripts/data.bin", "abc");
  ASSERT_EQ(LoadError("LOADBUFFER o data.bin"), 0);
  ASSERT_EQ(std::remove("Scripts/data.bin"), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(engine.ExecuteScript(), 1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(engine.GetErrorCode(), LOAD_BUFFER_UNABLE_TO_OPEN_FILE_SPECIFIED);
}

}  // namespace
