// The prompts answered through an injected input stream, the auto-reply, the
// end of the input, and LOADBUFFER.
#include <fstream>
#include <string>

#include "output_fixture.h"
#include "script/core/error_fx.h"

namespace {

using PromptTest = OutputTest;

// Exit status of a run that ended normally; the script exits 0 when it goes
// on past the prompt, 2 at YES and 3 at NO.
uint16_t Reached(KScript& engine) { return engine.GetExitStatus(); }

TEST_F(PromptTest, AskJumpsOnTheAnswerItsTriggerNames) {
  struct Case {
    int32_t autoReply;
    const char* trigger;
    const char* input;
    uint16_t exit;
    int prompts;  // times the question was shown
  };
  const Case cases[] = {
      {0, "ONYES", "y\n", 2, 1},
      {0, "ONYES", "No\n", 0, 1},
      {0, "ONNO", "  n  \n", 2, 1},
      {0, "ONNO", "YES\n", 0, 1},
      {0, "ONYES", "maybe\n\n\nyes please\nno\n", 2, 2},  // a blank line is no answer
      {1, "ONYES", "", 2, 0},
      {1, "ONNO", "", 0, 0},
      {-1, "ONYES", "", 0, 0},
      {-1, "ONNO", "", 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.autoReply << " " << c.trigger << " " << c.input);
    wrapper.SetAutoReply(c.autoReply);
    std::string out;
    ASSERT_EQ(LoadAndRun(std::string("ASK \"Go on?\" ") + c.trigger + " YES", c.input, &out), 0) << out;
    EXPECT_EQ(Reached(engine), c.exit);
    size_t shown = 0;
    for (size_t at = out.find("Go on? (Yes/No)"); at != std::string::npos; at = out.find("Go on? (Yes/No)", at + 1))
      ++shown;
    EXPECT_EQ(shown, static_cast<size_t>(c.prompts)) << out;
  }
}

TEST_F(PromptTest, QuestionFromABufferWithItsLineEnds) {
  engine.AddBuffer("q", 32, "Tape loaded?\\nReally\\t?");
  std::string out;
  ASSERT_EQ(LoadAndRun("ASK q ONNO NO", "n\n", &out), 0);
  EXPECT_EQ(Reached(engine), 3);
  EXPECT_EQ(out, "Tape loaded?\nReally\\t? (Yes/No)");
}

TEST_F(PromptTest, InstructAsksEvenWithAnAutoReply) {
  wrapper.SetAutoReply(1);
  struct Case {
    const char* statement;
    const char* input;
    uint16_t exit;
  };
  const Case cases[] = {
      {"INSTRUCT Insert a tape ONOK YES", "ok\n", 2},
      {"INSTRUCT Insert a tape ONOK YES", "cancel\n", 0},
      {"INSTRUCT Insert a tape ONCANCEL YES", "x\nC\n", 2},
      {"instruct Insert a tape onCancel YES", "o\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    std::string out;
    ASSERT_EQ(LoadAndRun(c.statement, c.input, &out), 0);
    EXPECT_EQ(Reached(engine), c.exit);
    EXPECT_EQ(out.find("Insert a tape (Ok/Cancel)"), 0u) << out;
  }
}

TEST_F(PromptTest, EndOfInputEndsTheRunInsteadOfAskingForever) {
  engine.AddBuffer("buf", 16);
  const char* const statements[] = {
      "ASK \"Go on?\" ONYES YES", "INSTRUCT Press a key ONOK YES",         "ASKFORTEXT \"Name\" buf 10 ONOK YES",
      "ASKFORFILE buf ONOK YES",  "ASKFORNUMBER \"Count\" b DEC ONOK YES",
  };
  for (const char* statement : statements) {
    for (const char* input : {"", "\n\n", "maybe\n"}) {
      if (std::string(statement).rfind("ASK ", 0) != 0 && std::string(input) == "maybe\n") continue;
      SCOPED_TRACE(testing::Message() << statement << " <" << input << ">");
      std::string out;
      ASSERT_EQ(LoadAndRun(statement, input, &out), 1);
      EXPECT_EQ(engine.GetErrorCode(), KRT_END_OF_INPUT_AT_A_PROMPT);
      EXPECT_NE(out.find("RunTime Error: End of input at a prompt"), std::string::npos) << out;
    }
  }
}

TEST_F(PromptTest, AskForTextKeepsTheAnswerInsideTheBuffer) {
  struct Case {
    uint32_t size;
    const char* limit;
    const char* input;
    const char* text;
  };
  const Case cases[] = {
      {16, "20", "hello world\n", "hello world"},
      {16, "5", "hello world\n", "hello"},
      {8, "200", "hello world\n", "hello w"},  // the limit is larger than the buffer
      {32, "20", "\n\nafter blank lines\r\n", "after blank lines"},
      {16, "0", "anything\n", ""},
      {16, "20", "no line end", "no line end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.limit << " " << c.input);
    KByteArray& buffer = engine.AddBuffer("buf", c.size, std::string(c.size, '#'));
    std::string out;
    ASSERT_EQ(LoadAndRun(std::string("ASKFORTEXT \"Your\\tname\\n\" buf ") + c.limit + " ONCANCEL YES", c.input, &out),
              0);
    EXPECT_EQ(engine.Text("buf"), c.text);
    EXPECT_EQ(buffer.altered, 1);
    EXPECT_EQ(Reached(engine), 0);  // no jump
    EXPECT_EQ(out, "Your\tname\r\n\n>");
  }
}

TEST_F(PromptTest, OneLineAnswersOnePrompt) {
  engine.AddBuffer("a", 4);
  engine.AddBuffer("b", 16);
  ASSERT_EQ(LoadAndRun("ASKFORTEXT First a 3 ONOK YES\nASKFORTEXT Second b 15 ONOK YES", "abcdef\nsecond\n"), 0);
  EXPECT_EQ(engine.Text("a"), "abc");
  EXPECT_EQ(engine.Text("b"), "second");
}

TEST_F(PromptTest, FileNamePromptsAddTheirSuffix) {
  struct Case {
    const char* keyword;
    const char* answer;
    const char* name;
    const char* prompt;
  };
  const Case cases[] = {
      {"ASKFORFADATAFILE", "trace.dmp", "trace.dmp", "Enter the Filename"},
      {"ASKFORFADATAFILE", "trace", "trace.dmp", "Enter the Filename"},
      {"ASKFORFADATAFILE", "TRACE.DMP", "TRACE.DMP", "Enter the Filename"},
      {"askfortracefile", "buf", "buf.svm", "Enter the Filename"},
      {"ASKFORFILE", "plain", "plain", "Enter the Filename"},
      {"ASKFORWNFADATAFILE", "plain", "plain", "Enter the Filename"},
      {"GETLTOCDUMPFILEA", "dump", "dump.a", "Enter the Filename for the 'a' file"},
      {"GETLTOCDUMPFILEB", "dump", "dump.b", "Enter the Filename for the 'b' file"},
      {"ASKFORFILE", "a_very_long_name", "a_very_lo", "Enter the Filename"},  // cut to the buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.keyword << " " << c.answer);
    engine.AddBuffer("name", 10);
    std::string out;
    ASSERT_EQ(LoadAndRun(std::string(c.keyword) + " name ONOK YES", std::string(c.answer) + "\n", &out), 0);
    EXPECT_EQ(engine.Text("name"), c.name);
    EXPECT_EQ(out, std::string(c.prompt) + "\n>");
    EXPECT_EQ(Reached(engine), 0);
  }
  // No room for the suffix.
  engine.AddBuffer("name", 10);
  ASSERT_EQ(LoadAndRun("ASKFORTRACEFILE name ONOK YES", "123456\n"), 1);
  EXPECT_EQ(engine.GetErrorCode(), KRT_ASK_FOR_FILE_BUFFER_TOO_SMALL_ERROR);
}

TEST_F(PromptTest, AskForNumberChecksTheTypedDigits) {
  struct Case {
    const char* declaration;
    const char* mode;
    const char* input;
    double value;
    const char* out;
  };
  const Case cases[] = {
      {"BYTE v = 1", "HEX", "ff\n", 255, "Count\n(_Byte:HEX)>"},
      {"BYTE v = 1", "HEX", "1G\nA\n", 10, "Count\n(_Byte:HEX)>Illegal Hex Character Detected...\nCount\n(_Byte:HEX)>"},
      {"BYTE v = 1", "DEC", "300\n25\n", 25, "Count\n(_Byte:DEC)>Value Out Of Range...\nCount\n(_Byte:DEC)>"},
      {"BYTE v = 1", "DEC", "1A\n7\n", 7,
       "Count\n(_Byte:DEC)>Illegal Decimal Character Detected...\nCount\n(_Byte:DEC)>"},
      {"BYTE v = 1", "HEX", "100\n1\n", 1, "Count\n(_Byte:HEX)>Value Out Of Range...\nCount\n(_Byte:HEX)>"},
      {"WORD v = 1", "hex", "beef\n", 0xBEEF, "Count\n(_Word:HEX)>"},
      {"WORD v = 1", "DEC", "65535\n", 65535, "Count\n(_Word:DEC)>"},
      {"LONG v = 1", "DEC", "4294967295\n", 4294967295.0, "Count\n(_Long:DEC)>"},
      {"LONG v = 1", "HEX", "DEADBEEF\n", 0xDEADBEEF, "Count\n(_Long:HEX)>"},
      {"DOUBLE v = 1.0", "DEC", "12345678901234567890\n", 12345678901234567890.0, "Count\n(Double:DEC)>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.declaration << " " << c.mode << " " << c.input);
    std::string out;
    ASSERT_EQ(
        LoadAndRun(std::string(c.declaration) + "\nASKFORNUMBER \"Count\" v " + c.mode + " ONOK YES", c.input, &out),
        0);
    const VARI_LL* v = engine.FindVariable("v");
    EXPECT_DOUBLE_EQ(v->AsDouble(), c.value);
    EXPECT_EQ(v->altered, 1);
    EXPECT_EQ(out, c.out);
  }
}

TEST_F(PromptTest, ListChoiceStoresTheNumberAndJumps) {
  std::string out;
  ASSERT_EQ(
      LoadAndRun("BYTE pick = 9\nASKFORLISTCHOICE \"Pick a drive\" first-second-third pick ONOK YES", "2\n", &out), 0);
  EXPECT_EQ(out, "Pick a drive\n\n0: first\n1: second\n2: third\n(Select choice by number) >");
  EXPECT_EQ(engine.FindVariable("pick")->Unsigned(), 2u);
  EXPECT_EQ(Reached(engine), 2);

  // ONCANCEL continues after an answer; a word that is not a number stores all ones.
  ASSERT_EQ(LoadAndRun("WORD pick = 9\nASKFORLISTCHOICE Pick a-b pick ONCANCEL YES", "x\n"), 0);
  EXPECT_EQ(engine.FindVariable("pick")->Unsigned(), 0xFFFFu);
  EXPECT_EQ(Reached(engine), 0);

  // The end of the input cancels once; asking again ends the run.
  ASSERT_EQ(LoadAndRun("BYTE pick = 9\nASKFORLISTCHOICE Pick a-b pick ONCANCEL YES", ""), 0);
  EXPECT_EQ(Reached(engine), 2);
  EXPECT_EQ(engine.FindVariable("pick")->Unsigned(), 9u);
  ASSERT_EQ(LoadAndRun("BYTE pick = 9\nAGAIN:\nASKFORLISTCHOICE Pick a-b pick ONOK YES\nJUMP AGAIN", ""), 1);
  EXPECT_EQ(engine.GetErrorCode(), KRT_END_OF_INPUT_AT_A_PROMPT);
}

TEST_F(PromptTest, PromptStatementsReportTheirCodes) {
  engine.AddBuffer("buf", 8);
  Write("Scripts/pattern.bin", "abcd");
  struct Case {
    const char* body;
    int32_t code;
  };
  const Case cases[] = {
      {"ASK", ASK_NO_QUESTION_SPECIFIED},
      {"ASK \"Go?\" ONYES NOWHERE", ASK_INVALID_VECTOR_SPECIFIED},
      {"ASK \"Go?\" ONMAYBE YES", ASK_NO_VECTOR_DETECTED},
      {"ASK ONYES YES", ASK_NO_QUESTION_SPECIFIED},
      {"ASK nobuf ONYES YES", K_ASK_INVALID_QUESTION_BUFFER_SPECIFIED},
      {"INSTRUCT", INSTRUCT_NO_VALUE_SPECIFIED},
      {"INSTRUCT Do it YES", INSTRUCT_NO_VECTOR_DETECTED},
      {"INSTRUCT Do it ONOK YES ONCANCEL NO", INSTRUCT_TOO_MANY_VECTORS_SPECIFIED},
      {"INSTRUCT Do it ONOK NOWHERE", INSTRUCT_INVALID_VECTOR_SPECIFIED},
      {"INSTRUCT Do it ONCANCEL", INSTRUCT_INVALID_VECTOR_SPECIFIED},
      {"ASKFORTEXT", ASK4TEXT_INVALID_NUMBER_OF_ARGS},
      {"ASKFORTEXT Name buf 10 ONOK NOWHERE", ASK4TEXT_INVALID_SYMBOL_ARG},
      {"ASKFORTEXT Name buf 10 ONYES YES", ASK4TEXT_INVALID_TRIGGER_ARG},
      {"ASKFORTEXT Name buf 300 ONOK YES", ASK4TEXT_INVALID_LIMIT_ARG},
      {"ASKFORTEXT Name buf w ONOK YES", ASK4TEXT_INVALID_LIMIT_ARG},
      {"ASKFORTEXT Name nobuf 10 ONOK YES", ASK4TEXT_INVALID_BUFFER_SPECIFIED},
      {"ASKFORTEXT 10 ONOK YES", ASK4TEXT_INVALID_NUMBER_OF_ARGS},
      {"ASKFORFILE buf ONOK", ASK4FILE_INVALID_NUMBER_OF_ARGS},
      {"ASKFORFILE nobuf ONOK YES", ASK4FILE_INVALID_BUFFER_SPECIFIED},
      {"GETLTOCDUMPFILEA buf ONYES YES", ASK4FILE_INVALID_TRIGGER_ARG},
      {"ASKFORTRACEFILE buf ONCANCEL NOWHERE", ASK4FILE_INVALID_SYMBOL_ARG},
      {"ASKFORNUMBER", ASK4NUMBER_INVALID_NUMBER_OF_ARGS},
      {"ASKFORNUMBER Count b HEX ONOK NOWHERE", ASK4NUMBER_INVALID_SYMBOL_ARG},
      {"ASKFORNUMBER Count b HEX ONNO YES", ASK4NUMBER_INVALID_TRIGGER_ARG},
      {"ASKFORNUMBER Count b OCT ONOK YES", ASK4NUMBER_INVALID_MODE_ARG},
      {"ASKFORNUMBER Count q DEC ONOK YES", ASK4NUMBER_INVALID_BUFFER_SPECIFIED},
      {"ASKFORNUMBER DEC ONOK YES", ASK4NUMBER_INVALID_NUMBER_OF_ARGS},
      {"ASKFORLISTCHOICE Pick a-b b ONOK NOWHERE", ASK4NUMBER_INVALID_SYMBOL_ARG},
      {"ASKFORLISTCHOICE Pick a-b b ONYES YES", ASK4NUMBER_INVALID_TRIGGER_ARG},
      {"ASKFORLISTCHOICE Pick a-b q ONOK YES", ASK4NUMBER_INVALID_BUFFER_SPECIFIED},
      {"ASKFORLISTCHOICE b ONOK YES", ASK4NUMBER_INVALID_NUMBER_OF_ARGS},
      {"LOADBUFFER", LOAD_BUFFER_INVALID_BUFFER_SPECIFIED},
      {"LOADBUFFER nobuf pattern.bin", LOAD_BUFFER_INVALID_BUFFER_SPECIFIED},
      {"LOADBUFFER ONCE buf", LOAD_BUFFER_NO_FILE_SPECIFIED},
      {"LOADBUFFER buf missing.bin", LOAD_BUFFER_UNABLE_TO_OPEN_FILE_SPECIFIED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(LoadError(c.body), c.code);
  }
}

TEST_F(PromptTest, LoadBufferRepeatsAShortFile) {
  Write("Scripts/pattern.bin", "abcd");
  Write("Scripts/long.bin", "0123456789ABCDEF");
  Write("Scripts/empty.bin", "");
  struct Case {
    const char* statement;
    const char* bytes;
  };
  const Case cases[] = {
      {"LOADBUFFER buf pattern.bin", "abcdabcdab"},  {"LOADBUFFER ONCE buf pattern.bin", "abcd......"},
      {"LOADBUFFER buf \"long.bin\"", "0123456789"}, {"LOADBUFFER once buf long.bin", "0123456789"},
      {"LOADBUFFER buf empty.bin", ".........."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    engine.AddBuffer("buf", 10, "..........");
    ASSERT_EQ(LoadAndRun(c.statement), 0);
    const KByteArray& buffer = *engine.FindArray("buf");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data.get()), buffer.size), c.bytes);
    EXPECT_EQ(buffer.altered, 1);
  }
}

}  // namespace
