// SENSEKEYS texts and the sense tests, driven by the internal trigger lines
// that stand in for a drive's reply.
#include "script/statements/sense_statements.h"

#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "script/core/error_fx.h"

namespace {

TEST(SenseKeys, DeclarationsAndTheirLookup) {
  CSenseKeyLL list;
  struct Case {
    const char* rest;
    int code;
  };
  const Case cases[] = {
      {"MEDIUM 3 XX XX Medium error", 0},
      {"3 0x11 0x00 Unrecovered read error", SENSE_KEY_HANDLER_DUPLICATE_SENSE_KEY_DETECTED},
      {"MEDIUM 4 0 0 Other", SK_HANDLER_DUPLICATE_TAG_DETECTED},
      {"2 XX 0x04 Not ready", SENSEKEY_HANDLER_3RD_SPEC_WITH_2ND_NOT},
      {"2, 4, XX, Not ready", 0},
      {"2 4 1 Becoming ready", SENSE_KEY_HANDLER_DUPLICATE_SENSE_KEY_DETECTED},
      {"2 5 1", SENSE_KEY_HANDLER_MISSING_TEXT_FIELD},
      {"0x0100 0 0 Big", SENSE_KEY_HANDLER_1ST_VALUE_ERROR},
      {"5 YY 0 Bad", SENSE_KEY_HANDLER_2ND_VALUE_ERROR},
      {"5 0x24 Z Bad", SENSE_KEY_HANDLER_3RD_VALUE_ERROR},
  };
  for (const Case& c : cases) {
    SK_LINK link;
    EXPECT_EQ(ParseSenseKeys(c.rest, &list, link), c.code) << c.rest;
    if (c.code == 0) list.Add(link);
  }
  ASSERT_NE(list.Lookup(3, 0x11, 0x00), nullptr);
  EXPECT_EQ(list.Lookup(3, 0x11, 0x00)->text, "Medium error");
  EXPECT_EQ(list.Lookup(2, 4, 1)->text, "Not ready");
  EXPECT_EQ(list.Lookup(2, 5, 1), nullptr);
  EXPECT_EQ(SenseLine(&list, 2, 4, 1), "\tSense: CC: 02  ASC: 04  ASCQ: 01  = Not ready");
  // Without a text of the script's own: the words of a standard sense; no
  // sense and codes no standard lists stay Unknown.
  EXPECT_EQ(SenseLine(&list, 5, 0x24, 0),
            "\tSense: CC: 05  ASC: 24  ASCQ: 00  = ILLEGAL REQUEST, INVALID FIELD IN CDB.");
  EXPECT_EQ(SenseLine(&list, 2, 0x31, 0), "\tSense: CC: 02  ASC: 31  ASCQ: 00  = NOT READY, MEDIUM FORMAT CORRUPTED.");
  EXPECT_EQ(SenseLine(&list, 6, 0x29, 0),
            "\tSense: CC: 06  ASC: 29  ASCQ: 00  = UNIT ATTENTION, POWER ON, RESET, OR BUS DEVICE RESET OCCURRED.");
  EXPECT_EQ(SenseLine(&list, 4, 0x40, 0x81),
            "\tSense: CC: 04  ASC: 40  ASCQ: 81  = HARDWARE ERROR, DIAGNOSTIC FAILURE ON COMPONENT (0x81h).");
  EXPECT_EQ(SenseLine(nullptr, 2, 0x3A, 0), "\tSense: CC: 02  ASC: 3A  ASCQ: 00  = NOT READY, MEDIUM NOT PRESENT.");
  EXPECT_EQ(SenseLine(&list, 0x0B, 0x80, 0x01), "\tSense: CC: 0B  ASC: 80  ASCQ: 01  = Unknown");  // vendor-specific
  EXPECT_EQ(SenseLine(&list, 0xCC, 0xCC, 0xCC), "\tSense: CC: CC  ASC: CC  ASCQ: CC  = Unknown");  // no sense
}

class SenseTests : public EngineTest {};

TEST_F(SenseTests, IfSenseAndIfNoSenseFollowTheStatus) {
  struct Case {
    const char* triggers;
    const char* test;
    bool taken;
  };
  const Case cases[] = {
      {"", "IFNOSENSE JUMP YES", true},
      {"", "IFSENSE ANY JUMP YES", false},
      {"*SK 3\n", "IFSENSE ANY JUMP YES", true},
      {"*SK 3\n*ASC 0x11\n*ASCQ 2\n", "IFSENSE MEDIUM JUMP YES", true},
      {"*SK 3\n*ASC 0x11\n*ASCQ 2\n", "IFSENSE 3 0x11 XX YES", true},
      {"*SK 3\n*ASC 0x11\n*ASCQ 2\n", "IFSENSE 3 0x11 1 JUMP YES", false},
      {"*SK 3\n*ASC 0x11\n*ASCQ 2\n", "IFSENSE 3 XX XX CALL SUB", true},
      {"*SK 2\n*ASC 4\n*ASCQ 1\n", "IFSENSE NRDY JUMP YES", false},
      {"*SK 2\n*ASC 4\n*ASCQ 1\n", "IFNOSENSE YES", false},
      // The console's own triples: a command lost in the transport, a page cut short.
      {"*SK 0xFF\n*ASC 1\n*ASCQ 0\n", "IFNOSENSE JUMP YES", false},
      {"*SK 0xFF\n*ASC 1\n*ASCQ 0\n", "IFSENSE ANY JUMP YES", true},
      {"*SK 0xFF\n*ASC 5\n*ASCQ 0\n", "IFSENSE TRANSPORT JUMP YES", true},
      {"*SK 0xFF\n*ASC 0x10\n*ASCQ 1\n", "IFSENSE TRANSPORT JUMP YES", false},
      {"*SK 2\n*ASC 4\n*ASCQ 1\n", "IFSENSE TRANSPORT JUMP YES", false},
      {"", "IFSENSE transport JUMP YES", false},
  };
  for (const Case& c : cases) {
    const std::string script = std::string("DESCRIPTION d\nSENSEKEYS MEDIUM 3 XX XX Medium\n") +
                               "SENSEKEYS NRDY 2 4 0 Not ready\nSTART:\n" + c.triggers + c.test +
                               "\nEXIT 1\nYES:\nEXIT 2\nSUB:\nEXIT 2\n";
    std::string out;
    ASSERT_EQ(LoadAndRun(script, &out), 0) << c.test << out;
    EXPECT_EQ(engine.GetExitStatus(), c.taken ? 2 : 1) << c.triggers << c.test;
  }
}

TEST_F(SenseTests, SenseTextsAndGetters) {
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSENSEKEYS 3 XX XX Medium error\nBUFFER T [20]\nBUFFER S [19]\n"
                       "BYTE K = 0\nBYTE A = 0\nBYTE Q = 0\nBYTE I = 0\nLONG R = 7\nWORD F = 7\n"
                       "START:\n*SK 3\n*ASC 0x11\n*ILI 1\nGETSENSE K A Q\nGETILISTATUS I\nGETRESIDUAL R\nGETLTOCFSC F\n"
                       "GETSENSETEXT K A Q T\nPRINT '%s' T\nGETSENSETEXT 1 2 3 T\nPRINT '%s' T\nEXIT 0\n",
                       &out),
            0)
      << out;
  EXPECT_EQ(Value("K"), 3u);
  EXPECT_EQ(Value("A"), 0x11u);
  EXPECT_EQ(Value("Q"), 0xCCu);
  EXPECT_EQ(Value("I"), 1u);
  EXPECT_EQ(Value("R"), 0u);
  EXPECT_EQ(Value("F"), 0u);
  EXPECT_NE(out.find("Medium error\nDescription Unknown\n"), std::string::npos) << out;

  // The console's own triples have texts of their own; a script's SENSEKEYS line comes first.
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nSENSEKEYS 0xFF 0x05 0 Cable\nBUFFER T [80]\nSTART:\n"
                       "*SK 0xFF\n*ASC 1\n*ASCQ 0\nPRINTSENSEKEYS\nGETSENSETEXT 0xFF 0x10 1 T\nPRINT '%s' T\n"
                       "*ASC 5\nPRINTSENSEKEYS\nEXIT 0\n",
                       &out),
            0)
      << out;
  EXPECT_NE(out.find("\tSense: CC: FF  ASC: 01  ASCQ: 00  = Transport failure: the command timed out\n"
                     "Incomplete log page: shorter than its page length\n"
                     "\tSense: CC: FF  ASC: 05  ASCQ: 00  = Cable\n"),
            std::string::npos)
      << out;

  // The fallback text needs 20 bytes.
  EXPECT_EQ(LoadAndRun("DESCRIPTION d\nBUFFER S [19]\nSTART:\nGETSENSETEXT 1 2 3 S\nEXIT 0\n", &out), 1);
  EXPECT_EQ(engine.GetErrorCode(), K_GETSENSETEXT_DESTINATION_BUFFER_TOO_SMALL);
}

TEST_F(SenseTests, NoSenseCarriesOverIntoTheNextRun) {
  std::string out;
  ASSERT_EQ(
      LoadAndRun("DESCRIPTION d\nBYTE K = 0\nSTART:\nIFNOSENSE JUMP CLEAN\nEXIT 1\nCLEAN:\n*SK 3\nEXIT 0\n", &out), 0)
      << out;
  EXPECT_EQ(engine.GetExitStatus(), 0);
  ASSERT_EQ(Run(&out), 0);
  EXPECT_EQ(engine.GetExitStatus(), 0) << "the second run starts without the first run's sense";
}

}  // namespace
