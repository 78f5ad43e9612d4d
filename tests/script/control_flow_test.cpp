// The run loop and the control statements.
#include <cstdio>
#include <string>

#include "engine_fixture.h"

using ControlFlowTest = EngineTest;

TEST_F(ControlFlowTest, ScriptWithoutExitEndsWithStatusZero) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nSLEEP 0\n"), 0);
  EXPECT_EQ(engine.GetExitStatus(), 0);
}

TEST_F(ControlFlowTest, IfCombinesTermsWithOrBeforeAnd) {
  // a OR b AND c: true when b is true, or when both a and c are true.
  struct Case {
    int a, b, c;
    bool jumps;
  };
  const Case cases[] = {
      {0, 1, 0, true}, {1, 0, 1, true}, {1, 0, 0, false}, {0, 0, 1, false}, {0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << c.b << c.c);
    engine.CleanUp();
    char script[512];
    std::snprintf(script, sizeof script,
                  "DESCRIPTION d\nBYTE a = %d\nBYTE b = %d\nBYTE c = %d\nSTART:\n"
                  "IF a == 1 OR b == 2 AND c == 3 JUMP YES\nEXIT 1\nYES:\nEXIT 2\n",
                  c.a, c.b * 2, c.c * 3);
    ASSERT_EQ(LoadAndRun(script), 0);
    EXPECT_EQ(engine.GetExitStatus(), c.jumps ? 2 : 1);
  }
}

TEST_F(ControlFlowTest, IfComparesOperandsAsNumbers) {
  struct Case {
    const char* condition;
    bool jumps;
  };
  const Case cases[] = {
      {"n == 0xFFFFFFFF", false},  // the literal is taken as the signed value -1
      {"n == 4294967295", true},   // decimal class 8: taken as its value
      {"n > 0xFFFFFFFF", true},   {"w != 300", false},           {"w >= 12Ch", true},
      {"w < b", false},           {"b <= 7 and w == 300", true}, {"b < 7 AND w == 300", false},
      {"d > 1.4 w == 300", true},  // a term without AND/OR keeps the previous connector
      {"d == 1.5", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    engine.CleanUp();
    const std::string script = std::string("DESCRIPTION d\nXLONG n = 0xFFFFFFFF\nWORD w = 300\n") +
                               "BYTE b = 7\nDOUBLE d = 1.5\nSTART:\nIF " + c.condition +
                               " JUMP YES\nEXIT 1\nYES:\nEXIT 2\n";
    ASSERT_EQ(LoadAndRun(script), 0);
    EXPECT_EQ(engine.GetExitStatus(), c.jumps ? 2 : 1);
  }
}

TEST_F(ControlFlowTest, IfErrorsInPhase2) {
  struct Case {
    const char* statement;
    const char* text;
  };
  const Case cases[] = {
      {"IF b == 1", "Error : IF_MISSING_CALL_OR_JUMP_OR_RETURN_VECTOR_PHRASE"},
      {"IF b == 1 JUMP NOWHERE", "Error : IF_INVALID_SYMBOL_VECTOR_SPECIFIED"},
      {"IF q == 1 JUMP START", "Error : IF_UNKNOWN_ARG1_SPECIFIED"},
      {"IF b = 1 JUMP START", "Error : IF_MISSING_EVALUATOR"},
      {"IF b == q JUMP START", "Error : IF_UNKNOWN_ARG2_SPECIFIED"},
      {"IF b == 1 AND JUMP START", "Error : IF_AND_AT_END_OFLINE_WITHOUT_AN_EXPRESSION"},
      {"IF b == 1 or JUMP START", "Error : IF_OR_AT_END_OFLINE_WITHOUT_AN_EXPRESSION"},
      {"IF -5 < b JUMP START", "Error : IF_UNKNOWN_ARG1_SPECIFIED"},  // a sign is not part of a number
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    engine.CleanUp();
    std::string out;
    EXPECT_EQ(LoadAndRun(std::string("DESCRIPTION d\nBYTE b = 1\nSTART:\n") + c.statement + "\n", &out), 10);
    EXPECT_NE(out.find(std::string("Error In main.scs @ Line 4 :\r\n\t") + c.text), std::string::npos) << out;
  }
}

TEST_F(ControlFlowTest, CallDepthLimit) {
  // R calls itself until n reaches the limit: limit L makes L nested calls.
  const char* script = "DESCRIPTION d\nXLONG n = 0\nSTART:\nCALL R\nEXIT 5\nR:\nn += 1\nIF n < %d CALL R\nRETURN\n";
  for (const int calls : {99, 100}) {
    SCOPED_TRACE(calls);
    engine.CleanUp();
    char text[256];
    std::snprintf(text, sizeof text, script, calls);
    std::string out;
    const int result = LoadAndRun(text, &out);
    if (calls == 99) {
      EXPECT_EQ(result, 0) << out;
      EXPECT_EQ(engine.GetExitStatus(), 5);
    } else {
      EXPECT_EQ(result, 1);
      EXPECT_NE(out.find("Error In main.scs @ Line 8 :\r\n\tError : Run Time : CALL_DEPTH_EXCEEDED"), std::string::npos)
          << out;
      EXPECT_EQ(engine.m_CallStack.Count(), 0);  // emptied when the run failed
    }
  }
}

TEST_F(ControlFlowTest, ReturnContinuesAfterTheCallAndExitEndsTheWholeRun) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nXBYTE steps = 0\nSTART:\nCALL SUB\nsteps += 10\nCALL SUB2\n"
                       "steps += 100\nEXIT 0\nSUB:\nsteps += 1\nRETURN\nSUB2:\nEXIT 9\n"),
            0);
  EXPECT_EQ(Value("steps"), 11u);
  EXPECT_EQ(engine.GetExitStatus(), 9);
}

TEST_F(ControlFlowTest, ReturnWithoutCallFailsTheRun) {
  std::string out;
  EXPECT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nRETURN\n", &out), 1);
  EXPECT_NE(out.find("Error In main.scs @ Line 3 :\r\n\tError : Run Time : RETURN_WITH_NO_PREVIOUS_CALL_DETECTED"),
            std::string::npos)
      << out;
}

TEST_F(ControlFlowTest, SwitchBranchesFallThroughAndNest) {
  const char* script =
      "DESCRIPTION d\nSBYTE TWO = 2\nXBYTE v = %d\nXBYTE inner = 1\nXWORD trace = 0\nSTART:\n"
      "SWITCH v\n"
      "CASE 1:\n"
      "  trace += 1\n"  // falls through into case 2
      "CASE TWO:\n"
      "  trace += 2\n"
      "  BREAK\n"
      "CASE 3\n"
      "  SWITCH inner\n"
      "  CASE 1\n"
      "    trace += 30\n"
      "    BREAK\n"
      "  ENDSWITCH\n"
      "  trace += 300\n"
      "  BREAK\n"
      "CASE 0x10\n"
      "  trace += 4000\n"
      "DEFAULT:\n"
      "  trace += 5000\n"
      "ENDSWITCH\n"
      "EXIT 0\n";
  struct Case {
    int value;
    uint32_t trace;
  };
  const Case cases[] = {{1, 3}, {2, 2}, {3, 330}, {16, 9000}, {7, 5000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    engine.CleanUp();
    char text[1024];
    std::snprintf(text, sizeof text, script, c.value);
    ASSERT_EQ(LoadAndRun(text), 0);
    EXPECT_EQ(Value("trace"), c.trace);
  }
}

TEST_F(ControlFlowTest, SwitchWithoutMatchOrDefaultContinuesAfterEndSwitch) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nXBYTE v = 9\nXBYTE t = 0\nSTART:\nSWITCH v\nCASE 1\nt += 1\n"
                       "ENDSWITCH\nt += 10\nEXIT 0\n"),
            0);
  EXPECT_EQ(Value("t"), 10u);
}

TEST_F(ControlFlowTest, SwitchStructureErrors) {
  std::string deep = "DESCRIPTION d\nBYTE v = 1\nSTART:\n";
  for (int i = 0; i < 11; ++i) deep += "SWITCH v\n";
  for (int i = 0; i < 11; ++i) deep += "ENDSWITCH\n";
  struct Case {
    std::string script;
    const char* report;
  };
  const Case cases[] = {
      {deep, "Error In main.scs @ Line 14 :\r\n\tError: K_SWITCH_NESTED_MORE_THAN_10_DEEP"},
      {"DESCRIPTION d\nBYTE v = 1\nSTART:\nSWITCH v\nCASE 1\n",
       "Error In main.scs @ Line 4 :\r\n\tError: K_SWITCH_WITHOUT_ENDSWITCH"},
      {"DESCRIPTION d\nBYTE v = 1\nSTART:\nCASE 1\n", "\tError: K_CASE_DETECTED_WITHOUT_SWITCH_STATEMENT"},
      {"DESCRIPTION d\nBYTE v = 1\nSTART:\nDEFAULT\n", "\tError: K_DEFAULT_DETECTED_WITHOUT_SWITCH_STATEMENT"},
      {"DESCRIPTION d\nBYTE v = 1\nSTART:\nBREAK\n", "\tError: K_BREAK_DETECTED_WITHOUT_SWITCH_STATEMENT"},
      {"DESCRIPTION d\nBYTE v = 1\nSTART:\nSWITCH v\nCASE v\nENDSWITCH\n", "\tK_CASE_VARIABLE_SPECIFIED_ISNT_STATIC"},
      {"DESCRIPTION d\nBYTE v = 1\nSTART:\nSWITCH v\nCASE w\nENDSWITCH\n", "\tK_CASE_ILLEGAL_CASE_VALUE_DETECTED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    engine.CleanUp();
    std::string out;
    EXPECT_EQ(LoadAndRun(c.script, &out), 10);
    EXPECT_NE(out.find(c.report), std::string::npos) << out;
  }
  // Ten levels are allowed.
  engine.CleanUp();
  std::string ten = "DESCRIPTION d\nBYTE v = 1\nSTART:\n";
  for (int i = 0; i < 10; ++i) ten += "SWITCH v\nCASE 1\n";
  for (int i = 0; i < 10; ++i) ten += "ENDSWITCH\n";
  EXPECT_EQ(LoadAndRun(ten + "EXIT 4\n"), 0);
  EXPECT_EQ(engine.GetExitStatus(), 4);
}

TEST_F(ControlFlowTest, BreakReachedOutsideASwitchIsRefused) {
  std::string out;
  EXPECT_EQ(LoadAndRun("DESCRIPTION d\nBYTE v = 1\nSTART:\nJUMP BODY\nSWITCH v\nCASE 1\nBODY:\nBREAK\n"
                       "ENDSWITCH\nEXIT 0\n",
                       &out),
            1);
  EXPECT_NE(out.find("Error In main.scs @ Line 8 :\r\n\tError: K_BREAK_DETECTED_WITHOUT_SWITCH_STATEMENT"),
            std::string::npos)
      << out;
}

TEST_F(ControlFlowTest, SleepWaitsWholeSecondsThroughTheFacade) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nWORD w = 3\nSTART:\nSLEEP 500\nSLEEP 2500\nSLEEP w\nEXIT 0\n"), 0);
  EXPECT_EQ(engine.sleeps, (std::vector<uint32_t>{0, 2, 3}));
}

TEST_F(ControlFlowTest, SleepAndExitArgumentErrors) {
  struct Case {
    const char* statement;
    const char* text;
  };
  const Case cases[] = {
      {"SLEEP", "Error : SLEEP_NO_VALUE_SPECIFIED"},
      {"SLEEP what", "Error : SLEEP_UNABLE_TO_IDENTIFY_SLEEP_SPECIFIER"},
      {"SLEEP l", "Error : SLEEP_VARIABLE_TYPE_ERROR"},
      {"EXIT", "Error : Exit : NO_VALUE_SPECIFIED"},
      {"EXIT what", "Error : Exit : UNABLE_TO_IDENTIFY_EXIT_SPECIFIER"},
      {"EXIT l", "Error : Exit : VARIABLE_TYPE_ERROR"},
      {"JUMP", "Error : JUMP_NO_VALUE_SPECIFIED"},
      {"CALL NOWHERE", "Error : CALL_UNKNOWN_VECTOR_ERROR"},
      {"ONERROR NOWHERE", "Error : ONERROR_UNKNOWN_VECTOR_ERROR"},
      {"ONCANCEL NOWHERE", "Error : ONCANCEL_UNKNOWN_VECTOR_ERROR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    engine.CleanUp();
    std::string out;
    EXPECT_EQ(LoadAndRun(std::string("DESCRIPTION d\nLONG l = 1\nSTART:\n") + c.statement + "\n", &out), 10);
    EXPECT_NE(out.find(std::string("Error In main.scs @ Line 4 :\r\n\t") + c.text), std::string::npos) << out;
  }
}

TEST_F(ControlFlowTest, ExitValueComesFromANumberOrAVariable) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nXWORD w = 0x1234\nSTART:\nEXIT w\n"), 0);
  EXPECT_EQ(engine.GetExitStatus(), 0x1234);
  engine.CleanUp();
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nEXIT 70000\n"), 0);
  EXPECT_EQ(engine.GetExitStatus(), 0xFFFF);
  // A plain declaration with a "0x" value runs as it loaded.
  engine.CleanUp();
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nWORD w = 0x1234\nSTART:\nEXIT w\n"), 0);
  EXPECT_EQ(engine.GetExitStatus(), 0x1234);
}

TEST_F(ControlFlowTest, HandlerLabelsAreStoredWhenRun) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nONERROR Fail_Here\nONCANCEL Cancelled\nEXIT 0\n"
                       "Fail_Here:\nEXIT 1\nCancelled:\nEXIT 2\n"),
            0);
  EXPECT_STREQ(engine.GetErrorHandlerLabel(), "Fail_Here");
  EXPECT_STREQ(engine.GetCancelHandlerLabel(), "Cancelled");
}

TEST_F(ControlFlowTest, PassAndFailShowTheirText) {
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nPASS \"All good\\nnext\"\nFAIL a\\tb\\rc\nEXIT 0\n", &out), 0);
  EXPECT_NE(out.find(" All good\nnext \n"), std::string::npos) << out;
  EXPECT_NE(out.find("a\\tb\rc\n"), std::string::npos) << out;
  EXPECT_EQ(engine.GetExitStatus(), 0);
}

TEST_F(ControlFlowTest, TriggerLinesSetTheSenseValues) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\n*SK 3\n* ASC 0x11\n*ASCQ 12h\n*FM 1\nEXIT 0\n"), 0);
  EXPECT_EQ(engine.m_Triggers.sk, 3);
  EXPECT_EQ(engine.m_Triggers.asc, 0x11);
  EXPECT_EQ(engine.m_Triggers.ascq, 0x12);
  EXPECT_EQ(engine.m_Triggers.fm, 1);
  EXPECT_EQ(engine.m_Triggers.eom, 0);

  // Every line that begins with "*" is a trigger line, so a misspelt one is refused.
  const struct {
    const char* line;
    const char* error;
  } refused[] = {
      {"* XX 3", "K_PHASE1_UNKNOWN_INTERNAL_TRIGGER_DETECTED"},
      {"*SKK 3", "K_PHASE1_UNKNOWN_INTERNAL_TRIGGER_DETECTED"},
      {"*S K 3", "K_PHASE1_UNKNOWN_INTERNAL_TRIGGER_DETECTED"},
      {"*****", "K_PHASE1_UNKNOWN_INTERNAL_TRIGGER_DETECTED"},
      {"*ASC", "K_PHASE1_INTERNAL_TRIGGER_MISSING_ARG"},
      {"*FM 0x100", "PHASE1_ILLEGAL_INTERNAL_FM_VALUE_ASSIGNMENT"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.line);
    engine.CleanUp();
    std::string out;
    EXPECT_EQ(LoadAndRun(std::string("DESCRIPTION d\nSTART:\n") + c.line + "\nEXIT 0\n", &out), 10);
    EXPECT_NE(out.find(c.error), std::string::npos) << out;
  }
}

TEST_F(ControlFlowTest, AssignmentFailuresStopTheRun) {
  struct Case {
    const char* statement;
    const char* text;
  };
  const Case cases[] = {
      {"b /= 0", "Error : VARIABLE_PROCESSING_ERROR"},
      {"b %= z", "Error : VARIABLE_PROCESSING_ERROR"},
      {"b /= w", "Error : VARIABLE_PROCESSING_ERROR"},  // 256 leaves a zero divisor in a byte
      {"d |= 1", "Error : EXE_UNABLE_TO_PROCESS_VARIABLE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    engine.CleanUp();
    std::string out;
    EXPECT_EQ(LoadAndRun(std::string("DESCRIPTION d\nBYTE b = 9\nBYTE z = 0\nWORD w = 256\nDOUBLE d = 1.0\nSTART:\n") +
                             c.statement + "\nEXIT 0\n",
                         &out),
              1);
    EXPECT_NE(out.find(std::string("Error In main.scs @ Line 7 :\r\n\t") + c.text), std::string::npos) << out;
  }
}

TEST_F(ControlFlowTest, PlainDeclarationResetsItsVariableEachTimeItIsPassed) {
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nXBYTE loops = 0\nSTART:\nBYTE p = 5\nSBYTE s = 5\np += 1\ns += 1\n"
                       "loops += 1\nIF loops < 3 JUMP START\nEXIT 0\n"),
            0);
  EXPECT_EQ(Value("p"), 6u);
  EXPECT_EQ(Value("s"), 8u);
}

TEST_F(ControlFlowTest, StepModePromptsAndTraces) {
  FILE* in = std::tmpfile();
  ASSERT_NE(in, nullptr);
  std::fputs("\nt\n", in);
  std::rewind(in);
  engine.SetInputStream(in);
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nBREAKPOINT\nSLEEP 0\nSLEEP 1000\nEXIT 0\n", &out), 0);
  std::fclose(in);
  // Empty answer: one statement, then the prompt again; "T": trace without prompts.
  EXPECT_EQ(out, "4: SLEEP 0\n>>5: SLEEP 1000\n>>6: EXIT 0\n");
  EXPECT_EQ(engine.sleeps, (std::vector<uint32_t>{0, 1}));
}

TEST_F(ControlFlowTest, StepModeWithoutInputRunsOn) {
  FILE* in = std::tmpfile();
  ASSERT_NE(in, nullptr);
  engine.SetInputStream(in);
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSTART:\nBREAKPOINT\nSLEEP 0\nEXIT 3\n", &out), 0);
  std::fclose(in);
  EXPECT_EQ(engine.GetExitStatus(), 3);
  EXPECT_EQ(out, "4: SLEEP 0\n>>");
}

TEST_F(ControlFlowTest, LoopOfAssignmentIfAndJumpCountsExactly) {
  // IF ... JUMP followed by JUMP runs as one step; in trace mode each line still shows.
  const std::string script =
      "DESCRIPTION d\nXLONG i = 0\nXWORD w = 0\nSTART:\n%s"
      "LOOP:\ni += 1\nw += 2\nIF i >= 1000 JUMP DONE\nJUMP LOOP\nDONE:\nIF w == 2000 JUMP OK\nEXIT 1\nOK:\nEXIT 0\n";
  for (const bool traced : {false, true}) {
    SCOPED_TRACE(traced);
    engine.CleanUp();
    FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    std::fputs("t\n", in);
    std::rewind(in);
    engine.SetInputStream(in);
    char text[512];
    std::snprintf(text, sizeof text, script.c_str(), traced ? "BREAKPOINT\n" : "");
    std::string out;
    ASSERT_EQ(LoadAndRun(text, &out), 0);
    std::fclose(in);
    EXPECT_EQ(engine.GetExitStatus(), 0);
    EXPECT_EQ(Value("i"), 1000u);
    if (traced) {
      EXPECT_NE(out.find("10: JUMP LOOP\n7: i += 1\n"), std::string::npos);
      EXPECT_NE(out.find("9: IF i >= 1000 JUMP DONE\n12: IF w == 2000 JUMP OK\n15: EXIT 0\n"), std::string::npos);
    } else {
      EXPECT_EQ(out, "");
    }
  }
}

TEST_F(ControlFlowTest, BufferElementsInConditionsAndBufferAssignments) {
  KByteArray buf;
  ASSERT_TRUE(buf.Allocate(4));
  buf.data[2] = 7;
  engine.arrays["buf"] = &buf;
  engine.arrays["B"] = &buf;
  struct Case {
    const char* statement;
    int result;  // 0 run ended, 1 run failed, 10 load failed
    const char* report;
  };
  const Case cases[] = {
      {"IF buf [ 2 ] == 7 JUMP OK", 0, nullptr},
      {"IF buf [ i ] == 7 JUMP OK", 0, nullptr},
      {"IF buf [ 4 ] == 7 JUMP OK", 1, "Error In main.scs @ Line 4 :\r\n\tK_IF_ARG1_BUFFER_INDEX_RANGE_ERRROR"},
      {"IF buf [ ] == 7 JUMP OK", 10, "\tK_IF_ARG1_BUFFER_MISSING_INDEX_FIELD"},
      {"IF buf [ d ] == 7 JUMP OK", 10, "\tK_IF_ARG1_BUFFER_INVALID_INDEX_FIELD"},
      {"IF buf == 7 JUMP OK", 10, "\tError : IF_UNKNOWN_ARG1_SPECIFIED"},
      {"buf = 5", 1, "Error In main.scs @ Line 4 :\r\n\tRunTime Error: KRT_BUFFER_ASSIGNMENT_WITHOUT_LOGPAGE_SOURCE"},
      {"buf += 5", 10, "\tK_BUFFER_ASSIGNMENT_ERROR"},
      {"buf =", 10, "\tK_CHK_BUFFER_MISSING_ARGUMENT"},
      {"buf", 10, "\tK_CHK_BUFFER_MISSING_OPERATOR"},
      {"B", 10, "\tK_CHK_BUFFER_MISSING_OPERATOR"},  // one letter: not dropped as a short line
      {"buf = PAGE->3", 10, "\tK_BUFFER_ASSIGNMENT_INVALID_LOGPAGE_SPECIFIED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    engine.CleanUp();
    std::string out;
    const int result = LoadAndRun(
        std::string("DESCRIPTION d\nXBYTE i = 2\nSTART:\n") + c.statement + "\nEXIT 1\nOK:\nEXIT 2\nDOUBLE d = 1.0\n",
        &out);
    EXPECT_EQ(result, c.result) << out;
    if (c.report != nullptr) {
      EXPECT_NE(out.find(c.report), std::string::npos) << out;
    }
    if (c.result == 0) {
      EXPECT_EQ(engine.GetExitStatus(), 2);
    }
  }
}
