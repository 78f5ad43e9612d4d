// The buffer statements at the edges of their buffers: an index or length at
// the end works, one past it is refused with the statement's own error, in
// the compile pass for numbers and in the run for variables; nothing is ever
// written past a buffer (the sanitizers watch).
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "script/core/error_fx.h"

namespace {

class BufferOps : public EngineTest {
 protected:
  // The load and run result of one statement after the common declarations,
  // and the error code.
  struct Outcome {
    int result;
    int32_t code;
  };
  Outcome RunLine(const std::string& line, const std::string& index = "7") {
    const std::string script =
        "DESCRIPTION d\nBUFFER B [8]\nBUFFER C [8]\nBUFFER O [7]\n"
        "LONG I = " +
        index +
        "\nBYTE V = 1\nWORD W = 0\nLONG L = 0\nDOUBLE D = 0.0\nBYTE S = 0\n"
        "START:\n" +
        line + "\nEXIT 0\n";
    std::string out;
    const int result = LoadAndRun(script, &out);
    return {result, engine.GetErrorCode()};
  }
};

TEST_F(BufferOps, IndicesAtAndPastTheEnd) {
  struct Case {
    const char* line;
    const char* index;
    int result;  // load * 10 + run: 0 done, 10 refused at load, 1 refused in the run
    int32_t code;
  };
  const Case cases[] = {
      {"SETBUFFER B[7] 1", "0", 0, 0},
      {"SETBUFFER B[8] 1", "0", 10, SET_BUFFER_INDEX_OUT_OF_RANGE},
      {"PEEKW B[6] W", "0", 0, 0},
      {"PEEKW B[7] W", "0", 10, K_PEEKW_INDEX_OUT_OF_RANGE},
      {"PEEKL B[4] L", "0", 0, 0},
      {"PEEKL B[5] L", "0", 10, K_PEEKL_INDEX_OUT_OF_RANGE},
      {"PEEKD B[0] D", "0", 0, 0},
      {"PEEKD B[1] D", "0", 10, K_PEEKD_INDEX_OUT_OF_RANGE},
      {"POKE B[7] 1", "0", 0, 0},
      {"POKE B[8] 1", "0", 10, POKE_INDEX_OUT_OF_RANGE},
      {"POKE B[I] 1", "7", 0, 0},
      {"POKE B[I] 1", "8", 1, KRT_POKE_INDEX_OUT_OF_RANGE},
      {"PEEK B[I] V", "8", 1, KRT_PEEK_INDEX_OUT_OF_RANGE},
      {"ORBUFFER B[I] 1", "8", 1, OR_BUFFER_INDEX_OUT_OF_RANGE},
      {"ANDBUFFER B[I] 1", "8", 1, KRT_AND_BUFFER_INDEX_OUT_OF_RANGE},
      {"XORBUFFER B[I] 1", "8", 1, KRT_XOR_BUFFER_INDEX_OUT_OF_RANGE},
      {"SETBUFFER B[I] 1", "8", 1, SET_BUFFER_INDEX_OUT_OF_RANGE},
      {"PEEKL B[I] L", "5", 1, KRT_PEEKL_INDEX_OUT_OF_RANGE},
      {"PEEKD B[I] D", "1", 1, KRT_PEEKD_INDEX_OUT_OF_RANGE},
      // An index near 2^32 must not wrap round to the start of the buffer.
      {"PEEKW B[I] W", "65535\nI *= 65537", 1, KRT_PEEKW_INDEX_OUT_OF_RANGE},
  };
  for (const Case& c : cases) {
    const Outcome o = RunLine(c.line, c.index);
    EXPECT_EQ(o.result, c.result) << c.line << " I=" << c.index;
    if (c.code != 0) {
      EXPECT_EQ(o.code, c.code) << c.line << " I=" << c.index;
    }
  }
}

TEST_F(BufferOps, WordsOfTheElementStatements) {
  struct Case {
    const char* line;
    int32_t code;
  };
  const Case cases[] = {
      {"SETBUFFER B 5 1", SET_BUFFER_INDEX_BRACING_ERROR_SPECIFIED},
      {"SETBUFFER B[[5] 1", SET_BUFFER_INDEX_BRACING_ERROR_SPECIFIED},
      {"SETBUFFER X[5] 1", SET_BUFFER_INVALID_BUFFER_SPECIFIED},
      {"SETBUFFER B[]", SET_BUFFER_MISSING_INDEX_AND_VALUE_FIELDS},
      {"SETBUFFER B[V] 1", SET_BUFFER_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG},
      {"SETBUFFER B[Q] 1", SET_BUFFER_INDEX_SPECIFIER_UNRECOGNIZABLE},
      {"SETBUFFER B[1]", SET_BUFFER_MISSING_VALUE_FIELD},
      {"SETBUFFER B[1] Q", SET_BUFFER_VALUE_SPECIFIER_UNRECOGNIZABLE},
      {"SETBUFFER B[1] W", SET_BUFFER_VALUE_VARIABLE_SPECIFIER_NOT_A_BYTE},
      {"POKE B[1] 0x0100", POKE_SOURCE_FIELD_MUST_BE_A_BYTE_TYPE_NUMBER},
      {"POKE B[1] W", POKE_SOURCE_FIELD_MUST_BE_A_BYTE_VARIABLE},
      {"PEEK B[1] W", PEEK_DEST_FIELD_MUST_BE_A_BYTE_VARIABLE},
      {"PEEKW B[1] L", K_PEEKW_DEST_FIELD_MUST_BE_A_WORD_VARIABLE},
      {"PEEKD B[0]", K_PEEKD_MISSING_DESTINATION_FIELD},
  };
  for (const Case& c : cases) {
    const Outcome o = RunLine(c.line);
    EXPECT_EQ(o.result, 10) << c.line;
    EXPECT_EQ(o.code, c.code) << c.line;
  }
}

TEST_F(BufferOps, LengthsOfTheOtherStatements) {
  struct Case {
    const char* line;
    int result;
    int32_t code;
  };
  const Case cases[] = {
      {"COMPAREBUFFER B C S L V V 8", 0, 0},
      {"COMPAREBUFFER B C S L V V I", 0, 0},
      {"COMPAREBUFFER B O S L V V", 1, COMPARE_BUFFER_BUFFER_SIZE_MISMATCH_DETECTED},
      {"COMPAREBUFFER B C S L V V 0x01000000", 10, K_COMPARE_BUFFER_SWATH_RANGE_ERROR},
      {"COMPAREBUFFER B C S L V V 9", 1, KRT_COMPARE_BUFFER_SWATH_LARGER_THAN_BUFFER_SIZE},
      {"COMPAREBUFFER B C S L V V W", 10, K_COMPARE_BUFFER_INVALID_SWATH_LONG_TYPE_SPECIFIED},
      {"COMPAREBUFFER B C V L V V", 0, 0},
      {"COMPAREBUFFER B C L L V V", 10, COMPARE_BUFFER_INVALID_STATUS_BYTE_TYPE_SPECIFIED},
      {"COPYBUFFERPART B C 4 4", 0, 0},
      {"COPYBUFFERPART B C 4 5", 1, K_COPYBUFFERPART_BUFFER_SIZE_MISMATCH_DETECTED},
      {"COPYBUFFERPART B O 0 8", 1, K_COPYBUFFERPART_BUFFER_SIZE_MISMATCH_DETECTED},
      {"COPYBUFFERPART B C 4", 10, K_COPYBUFFERPART_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
      {"COPYBUFFER B O", 10, COPYBUFFER_BUFFER_SIZE_MISMATCH_DETECTED},
      {"PRINTBUFFER B 0 100", 0, 0},
      {"PRINTBUFFER B 2 2", 10, PRINTBUFFER_START_END_RANGE_ERROR},
      {"PRINTBUFFER B 8", 10, PRINTBUFFER_START_RANGE_ERROR},
      {"DIMENSION B 4\nPRINTBUFFER B 6", 1, PRINTBUFFER_START_RANGE_ERROR},  // the run sees the new size
      {"PATTERN9 O L", 0, 0},                                                // a last partial word is clipped
      {"PATTERN9 O 5", 10, K_PATTERN9_INVALID_RETSEED_VARIABLE_SPECIFIED},
      {"PATTERN9 O W", 10, K_PATTERN9_INVALID_RETSEED_VARIABLE_TYPE_SPECIFIED},
      {"WNENCRYPTBUFFER O L", 0, 0},
      {"WNENCRYPTBUFFER O V", 10, K_WNENCRYPTBUFFER_INVALID_VARIABLE_TYPE_SPECIFIED},
      {"FILLBUFFER B RAND", 10, FILL_BUFFER_NO_RAND_SEED},
      {"FILLBUFFER B RAND W", 10, FILL_BUFFER_RAND_SEED_VALUE_MUST_BE_BYTE_TYPE},
      {"FILLBUFFER B RAND Q", 10, FILL_BUFFER_INVALID_RAND_SEED_VALUE},
      {"FILLBUFFER B SOMETIMES", 10, FILL_BUFFER_INVALID_FILL_TYPE},
      {"INP 0x10 V", 0, 0},
      {"INP 0x10 W", 10, K_INP_ILLEGAL_DATA_VARIABLE_TYPE_SPECIFIED},
      {"INP D V", 10, K_INP_ILLEGAL_ADDRESS_VARIABLE_TYPE_SPECIFIED},
      {"INP 0x10", 10, K_INP_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
      {"OUTP 0x10 0x01FF", 0, 0},
      {"OUTP 0x10 W", 10, K_OUTP_ILLEGAL_DATA_VARIABLE_TYPE_SPECIFIED},
  };
  for (const Case& c : cases) {
    const Outcome o = RunLine(c.line);
    EXPECT_EQ(o.result, c.result) << c.line;
    if (c.code != 0) {
      EXPECT_EQ(o.code, c.code) << c.line;
    }
  }
}

TEST_F(BufferOps, ValuesAreBigEndianAndStatementsMarkTheirBuffers) {
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nBUFFER B [8]\nWORD W = 0\nLONG L = 0\nDOUBLE D = 0.0\nLONG R = 0\n"
                       "START:\nSETBUFFER B[6] 1\nPEEKD B[0] D\nPOKE B[0] 0x12\nPOKE B[1] 0x34\nPEEKW B[0] W\n"
                       "PEEKL B[0] L\nFILLBUFFER B 0x01FF\nPEEKL B[4] R\nEXIT 0\n",
                       &out),
            0)
      << out;
  EXPECT_EQ(Value("W"), 0x1234u);
  EXPECT_EQ(Value("L"), 0x12340000u);
  EXPECT_EQ(Value("R"), 0xFFFFFFFFu);
  EXPECT_EQ(engine.FindVariable("D")->dValue, 256.0);
  EXPECT_EQ(engine.FindArray("B")->altered, 1);
}

}  // namespace
