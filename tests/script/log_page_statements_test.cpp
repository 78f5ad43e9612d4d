// Scripts that declare, load, print and read log pages and query the event
// log, on buffers the test fills with page images.
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class LogPageStatementsTest : public EngineTest {
 protected:
  // A buffer the script knows as `name`, holding `bytes` (and zeros up to `size`).
  void Buffer(const std::string& name, const Bytes& bytes, size_t size = 0) {
    KByteArray& b = buffers_[name];
    ASSERT_TRUE(b.Allocate(static_cast<uint32_t>(std::max(size, bytes.size()))));
    if (!bytes.empty()) std::memcpy(b.data.get(), bytes.data(), bytes.size());
    engine.arrays[name] = &b;
  }
  void TextBuffer(const std::string& name, const std::string& text) {
    Buffer(name, Bytes(text.begin(), text.end()), text.size() + 1);
  }
  const KByteArray& Array(const std::string& name) { return buffers_[name]; }

  std::map<std::string, KByteArray> buffers_;
};

std::string Fixture(const char* name) {
  std::ifstream in(std::string(VEXIL_TEST_DATA) + "/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Page 0Dh: a word, a byte and a long parameter.
const Bytes kPage0D = {0x0D, 0x00, 0x00, 0x13, 0x00, 0x00, 0x03, 0x02, 0x00, 0x20, 0x00, 0x01,
                       0x03, 0x01, 0x07, 0x00, 0x02, 0x00, 0x04, 0x12, 0x34, 0x56, 0x78};

TEST_F(LogPageStatementsTest, PageIsLoadedPrintedAndReadIntoVariablesBuffersAndConditions) {
  Buffer("BUF", kPage0D, 64);
  Buffer("OUT", {}, 6);
  Buffer("LIST", {0x00, 0x00, 0x00, 0x03, 0x00, 0x0D, 0x2E});
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nLOGPAGE LP0D { 13, BUF }\nLOGPAGE LP0 {0, LIST}\n"
                       "WORD T = 0\nLONG L = 0\nBYTE B = 0\nBYTE P = 0\nSTART:\n"
                       "LOADPAGE LP0D\nLOADPAGE LP0\nPRINTPAGE LP0D\nPRINTPAGE LP0\n"
                       "T = LP0D->0\nT += LP0D->0\nL = LP0D->2\nB = LP0D->1\nP = LP0->2\nOUT = LP0D->2\n"
                       "IF LP0D->0 == 32 AND LP0D->1 < 8 JUMP HOT\nEXIT 1\nHOT:\nEXIT 2\n",
                       &out),
            0)
      << out;
  EXPECT_EQ(engine.GetExitStatus(), 2);
  EXPECT_NE(out.find("Page Code: 0DH\tLength: 0013H / 19\n"
                     "  Code : 0000H\tLP: 1  TMC: 0  ETC: 0  TSD: 0  DS: 0  DU: 0\tValue:  0020H\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("Page Code: 00H\tLength: 0003H / 3\nPages:  00H   0DH   2EH   \n"), std::string::npos) << out;
  EXPECT_EQ(Value("T"), 0x40u);
  EXPECT_EQ(Value("L"), 0x12345678u);
  EXPECT_EQ(Value("B"), 7u);
  EXPECT_EQ(Value("P"), 0x2Eu);
  // The page's own big-endian bytes, and no more than the page holds.
  const KByteArray& o = Array("OUT");
  EXPECT_EQ(Bytes(o.data.get(), o.data.get() + 6), (Bytes{0x12, 0x34, 0x56, 0x78, 0x00, 0x00}));
}

TEST_F(LogPageStatementsTest, DeclarationAndPageErrors) {
  struct Case {
    const char* what;
    std::string lines;  // declarations, then "START:" and statements
    Bytes buffer;
    int result;  // LoadAndRun's
    const char* error;
  };
  const Case cases[] = {
      {"no right brace", "LOGPAGE LP { 13, BUF\nSTART:\n", kPage0D, 10, "LOGPAGE_HANDLER_RIGHT_BRACKET_MISSING"},
      {"two left braces", "LOGPAGE LP {{ 13, BUF }\nSTART:\n", kPage0D, 10, "LOGPAGE_HANDLER_LEFT_BRACKET_MISSING"},
      {"page id not a number", "LOGPAGE LP { XY, BUF }\nSTART:\n", kPage0D, 10,
       "LOGPAGE_HANDLER_UNKNOWN_PAGEID_SPECIFIED"},
      {"unknown buffer", "LOGPAGE LP { 13, NOPE }\nSTART:\n", kPage0D, 10, "LOGPAGE_HANDLER_INVALID_BUFFER_SPECIFIED"},
      {"code not accepted", "LOGPAGE LP { 9, BUF }\nSTART:\n", kPage0D, 10, "LOGPAGE_HANDLER_ADD_PAGE_ERROR"},
      {"duplicate", "LOGPAGE LP { 13, BUF }\nLOGPAGE LP { 13, BUF }\nSTART:\n", kPage0D, 10,
       "LOGPAGE_HANDLER_DUPLICATE_NAME_DETECTED"},
      {"code 22 declared, not loaded", "LOGPAGE LP { 22, BUF }\nSTART:\nLOADPAGE LP\n", kPage0D, 1,
       "LOAD_PAGE_LOADING_ERROR"},
      {"first byte 0x40",
       "LOGPAGE LP { 13, BUF }\nSTART:\nLOADPAGE LP\n",
       {0x40, 0, 0, 0},
       1,
       "LOAD_PAGE_LOADING_ERROR"},
      {"printed before loaded", "LOGPAGE LP { 13, BUF }\nSTART:\nPRINTPAGE LP\n", kPage0D, 1,
       "PRINT_PAGE_LOGPAGE_NOT_LOADED"},
      {"recorded before loaded", "LOGPAGE LP { 13, BUF }\nSTART:\nRECORDPAGE LP\n", kPage0D, 1,
       "RECORD_PAGE_LOGPAGE_NOT_LOADED"},
      {"page 12 is not printed", "LOGPAGE LP { 12, BUF }\nSTART:\nPRINTPAGE LP\n", kPage0D, 10,
       "PRINT_PAGE_UNHANDLED_PAGE_REQUEST"},
      // Page 58 (3Ah) is recorded, not printed.
      {"page 58 is not printed", "LOGPAGE LP { 58, BUF }\nSTART:\nPRINTPAGE LP\n", kPage0D, 10,
       "PRINT_PAGE_UNHANDLED_PAGE_REQUEST"},
      {"page 58 is recorded", "LOGPAGE LP { 58, BUF }\nSTART:\nRECORDPAGE LP\n", kPage0D, 1,
       "RECORD_PAGE_LOGPAGE_NOT_LOADED"},
      {"unknown page", "START:\nLOADPAGE LP\n", kPage0D, 10, "LOAD_PAGE_INVALID_PAGE_SPECIFIED"},
      {"no page", "START:\nPRINTPAGE\n", kPage0D, 10, "PRINT_PAGE_NO_PAGE_SPECIFIED"},
      {"page 0 takes only =",
       "LOGPAGE LP { 0, BUF }\nBYTE P = 0\nSTART:\nLOADPAGE LP\nP += LP->0\n",
       {0x00, 0x00, 0x00, 0x01, 0x0D},
       1,
       "DO_VARIABLE_LOGPAGE_0_NO_MATH_ALLOWED"},
      {"absent parameter", "LOGPAGE LP { 13, BUF }\nWORD T = 0\nSTART:\nLOADPAGE LP\nT = LP->9\n", kPage0D, 1,
       "VARIABLE_PG0D_VALUE_FETCH_ERROR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine.CleanUp();
    Buffer("BUF", c.buffer, 32);
    std::string out;
    EXPECT_EQ(LoadAndRun("DESCRIPTION d\n" + c.lines, &out), c.result) << out;
    EXPECT_NE(out.find(c.error), std::string::npos) << out;
  }
}

// Page 17h, volume statistics: the cartridge's mounts (parameter 0001h) and
// data sets written (0002h), as a drive of the SSC family reports them.
TEST_F(LogPageStatementsTest, VolumeStatisticsPageIsLoadedPrintedAndRead) {
  Buffer("BUF", {0x17, 0x00, 0x00, 0x10, 0x00, 0x01, 0x03, 0x04, 0x00, 0x00,
                 0x00, 0x2A, 0x00, 0x02, 0x03, 0x04, 0x00, 0x01, 0x00, 0x00},
         64);
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nLOGPAGE VS { 23, BUF }\nLONG MOUNTS = 0\nLONG SETS = 0\nSTART:\n"
                       "LOADPAGE VS\nPRINTPAGE VS\nMOUNTS = VS->1\nSETS = VS->2\nEXIT 0\n",
                       &out),
            0)
      << out;
  EXPECT_NE(out.find("Page Code: 17H\tLength: 0010H / 16\n"), std::string::npos) << out;
  EXPECT_EQ(Value("MOUNTS"), 42u);
  EXPECT_EQ(Value("SETS"), 0x10000u);
}

// A page decodes only what the last command delivered into its buffer; one
// shorter than its page length is a failure the script sees (FF/10/01) and
// keeps only the whole parameters that did arrive, never the bytes behind them.
TEST_F(LogPageStatementsTest, APageThatArrivedShortIsAFailureTheScriptSees) {
  struct Case {
    const char* what;
    uint32_t filled;  // bytes the last command delivered
    bool whole;
    const char* shown;  // in the PRINTPAGE output, or the run error
  };
  const Case cases[] = {
      {"the whole page", 23, true, "\tValue:  12345678H"},
      {"the whole page and more", 40, true, "\tValue:  12345678H"},
      {"cut in its last parameter", 20, false, "Incomplete page: 20 of 23 bytes arrived\n  Code : 0000H"},
      {"no more than a header", 3, false, "PRINT_PAGE_LOGPAGE_NOT_LOADED"},
      {"nothing", 0, false, "PRINT_PAGE_LOGPAGE_NOT_LOADED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine.CleanUp();
    Buffer("BUF", kPage0D, 64);
    buffers_["BUF"].filled = c.filled;
    std::string out;
    LoadAndRun(
        "DESCRIPTION d\nLOGPAGE LP { 13, BUF }\nSTART:\nLOADPAGE LP\nIFNOSENSE JUMP SHOW\n"
        "IFSENSE 0xFF 0x10 1 JUMP CUT\nEXIT 9\nCUT:\nPRINT 'cut'\nSHOW:\nPRINTPAGE LP\nEXIT 0\n",
        &out);
    EXPECT_EQ(out.find("cut\n") != std::string::npos, !c.whole) << out;
    EXPECT_NE(out.find(c.shown), std::string::npos) << out;
    EXPECT_EQ(out.find("Code : 0002H") != std::string::npos, c.whole) << "never decoded from stale bytes\n" << out;
  }
}

// The event-log fixture with a SETPOH and one statement, its output and variables.
TEST_F(LogPageStatementsTest, EventQueriesOnTheFixture) {
  struct Case {
    const char* statement;
    uint32_t hits;
    bool jumps;
  };
  const Case cases[] = {
      {"IFTRUE LP7 N EVENT 0x4A21 > 2 JUMP YES", 3, true},
      {"IFTRUE LP7 N EVENT 0x4A21 > 2 WITHIN 24 JUMP YES", 2, false},
      {"IFTRUE LP7 N EVENT 0x4A21 == 3 WITHIN 5000 JUMP YES", 3, true},
      {"IFTRUE LP7 N EVENT 65535 == 4 JUMP YES", 4, true},
      {"IFTRUE LP7 N EVENT 0xB00F >= 1 JUMP YES", 1, true},
      {"IFTRUE LP7 N EVENT 0x4000 TO 0x5000 == 3 JUMP YES", 3, true},
      {"IFTRUE LP7 N EVENT ID TO 0x5000 == 3 JUMP YES", 3, true},
      {"IFTRUE LP7 N BUGCHECK 0x1A2B == LIM JUMP YES", 1, true},
      {"iftrue LP7 N scsi 3 0x11 XX != 0 within 1000 with same JUMP YES", 1, true},
      {"IFTRUE LP7 N SCSI 4 XX XX < 1 JUMP YES", 1, false},
      {"IFTRUE LP7 N SCSI MEDIUM == 1 JUMP YES", 1, true},
      {"IFTRUE LP7 N SENSE 3 0x11 0 == 0 JUMP YES", 0, true},
      {"IFTRUE LP7 N OVERTEMP > 0 WITH DIFF JUMP YES", 1, true},
      {"IFTRUE LP7 N POST == 1 CALL YES", 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    engine.CleanUp();
    TextBuffer("LOG", Fixture("event_log.txt"));
    std::string out;
    ASSERT_EQ(
        LoadAndRun(std::string("DESCRIPTION d\nLOGPAGE LP7 { 7, LOG }\nWORD N = 0\nWORD ID = 16384\nWORD LIM = 1\n"
                               "SENSEKEYS MEDIUM 3 0x11 XX Unrecovered read error\n"
                               "START:\nLOADPAGE LP7\nSETPOH 1000\n") +
                       c.statement + "\nEXIT 1\nYES:\nEXIT 2\n",
                   &out),
        0)
        << out;
    EXPECT_EQ(Value("N"), c.hits);
    EXPECT_EQ(engine.GetExitStatus(), c.jumps ? 2 : 1);
  }
}

TEST_F(LogPageStatementsTest, QueryFormsRefusedWhenChecked) {
  struct Case {
    const char* statement;
    const char* error;
  };
  const Case cases[] = {
      {"IFTRUE LP7 N EVENT 10 TO 5 > 2 JUMP YES", "K_IFTRUE_EVENT_RANGE_ERROR_SPECIFIED"},
      {"IFTRUE LP7 N SENSE 3 XX 00 > 2 JUMP YES", "IFTRUE_XX_USED_AS_ASC_CODE"},
      {"IFTRUE LP7 N SCSI 3 0x11 > 2 JUMP YES", "IFTRUE_SCSI_INVALID_ASCQ_NUMBER"},
      {"IFTRUE LP7 N EVENT 0x4A21 > 2", "IFTRUE_NO_CALL_OR_JUMP_SPECIFIED"},
      {"IFTRUE LP7 N EVENT 0x4A21 > 2 JUMP NOWHERE", "IFTRUE_INVALID_JUMP_VECTOR_SYMBOL_DETECTED"},
      {"IFTRUE LP7 N POST == 1 CALL yes", "IFTRUE_INVALID_CALL_VECTOR_SYMBOL_DETECTED"},  // labels keep their case
      {"IFTRUE LP7 N EVENT 0x4A21 ANY DW[0] W 0xFFFF == 1 JUMP YES", "Under Construction"},
      {"IFTRUE LP7 N EVENT 0x4A21 ANY JUMP YES", "K_IFTRUE_HANDLEANY_MISSING_DW_PHRASE"},
      {"IFTRUE LP7 N DIAG_TEST > 2 JUMP YES", "Under Construction"},
      {"IFTRUE LP7 N NOISE > 2 JUMP YES", "IFTRUE_INVALID_QUERY_TYPE"},
      {"IFTRUE LP7 N SCSI NOTAG > 2 JUMP YES", "IFTRUE_INVALID_SENSEKEYS_TAG"},
      {"IFTRUE LP7 B EVENT 0x4A21 > 2 JUMP YES", "K_IFTRUE_INVALID_RETURN_COUNT_VARIABLE_TYPE_SPECIFIED"},
      {"IFTRUE LP0D N EVENT 0x4A21 > 2 JUMP YES", "IFTRUE_INVALID_LOGPAGE_NUMBER"},
      {"IFTRUE LP7 N EVENT 0x4A21 => 2 JUMP YES", "IFTRUE_INVALID_OPERATOR_DETECTED"},
      {"IFTRUE LP7 N EVENT 0x4A21 > 2 WITH SAME WITHIN 4 JUMP YES", "IFTRUE_WITHIN_PHRASE_PRECIDENT_ERROR"},
      {"LP7->CREATELIST EVENT 0x4A21 B", "PG7_CREATE_LIST_INVALID_NOF_VARIABLE_TYPE_SPECIFIED"},
      {"LP7->PRINTLIST PRINTER", "PG7_PRINT_LIST_INVALID_DESTINATION_SPECIFIED"},
      {"LP7->FILTERLIST SIZE 3 N", "PG7_FILTER_LIST_INVALID_FILTER_TYPE_SPECIFIED"},
      {"LP7->GETVALUE 0 N 1.0xFFFF0000 + 2", "PG7_GETVALUE_UNBALANCED_FIELD_ARGS_TO_PLUSES"},
      {"LP7->GETVALUE 0 N 1.0xFF", "PG7_GETVALUE_ILLEGAL_FIELD_MASK_ARG_SPECIFIED"},
      {"LP7->GETVALUE 0 N 1.0xFFFFFFFF >> 32", "PG7_GETVALUE_SHIFTRIGHT_VALUE_OUT_OF_RANGE"},
      {"LP7->GETVALUE 0x00010000 N 1.0xFFFFFFFF", "PG7_GETVALUE_ILLEGAL_IDX_ARG_SPECIFIED"},
      {"LP7->WNSCAN N LOG", "K_WNSCAN_INVALID_RESULT_VARIABLE_TYPE_SPECIFIED"},
      {"LP7->CREATEMAP", "K_PG7_CREATE_MAP_MISSING_ARGUMENTS"},
      {"LP7->SHOWALL SCREEN", "PHASE2_UNKNOWN_PG7_COMMAND_DETECTED"},
      {"SETPOH 1 2", "K_SETPOH_ILLEGAL_NUMBER_OF_ARGS_DETECTED"},
      {"DELTAFILTER LP7 LP0D", "DELTA_FILTER_INVALID_2ND_LOGPAGE_TYPE_SPECIFIED"},
      {"GETNUMBEROFPACKETS LP7 NOPE", "GET_NOF_PACKETS_UNKNOWN_VARIABLE_SPECIFIED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    engine.CleanUp();
    TextBuffer("LOG", "Packet # 1 - EVENT: 4A21 POH/PC= 1/1\r\n");
    Buffer("BUF", kPage0D);
    std::string out;
    EXPECT_EQ(LoadAndRun(std::string("DESCRIPTION d\nLOGPAGE LP7 { 7, LOG }\nLOGPAGE LP0D { 13, BUF }\n"
                                     "WORD N = 0\nBYTE B = 0\nSTART:\n") +
                             c.statement + "\nYES:\nEXIT 2\n",
                         &out),
              10);
    EXPECT_NE(out.find(c.error), std::string::npos) << out;
  }
}

TEST_F(LogPageStatementsTest, EventLogReportsAndHitList) {
  TextBuffer("LOG", Fixture("event_log.txt"));
  TextBuffer("OLD", "Packet # 1 - PO/ST: - Last Fail: 0000 Self test passed POH/PC= 50/3\r\n");
  Buffer("SUM", {}, 16);
  std::string out;
  ASSERT_EQ(LoadAndRun("DESCRIPTION d\nLOGPAGE LP7 { 7, LOG }\nLOGPAGE OLD7 { 7, OLD }\n"
                       "WORD N = 0\nWORD C = 0\nLONG V = 0\nBYTE W = 0\nSTART:\n"
                       "LOADPAGE LP7\nLOADPAGE OLD7\nSETPOH 1000\n"
                       "LP7->CREATELIST BUGCHECK 0x1A2B N\n"
                       "LP7->GETVALUE 0 V 2.0xFFFF0000 >> 16 + 0.0x000000FF + 3.0x00000001 << 4\n"
                       "LP7->CREATELIST EVENT 65535 N\nLP7->PRINTLIST SCREEN\n"
                       "LP7->FILTERLIST TIME 15 N\nLP7->REMOVEPACKET 0 C\n"
                       "LP7->WNSCAN W SUM\n"
                       "DELTAFILTER OLD7 LP7\nGETNUMBEROFPACKETS LP7 C\nLP7->CREATEMAP SCREEN\n",
                       &out),
            0)
      << out;
  EXPECT_EQ(Value("V"), 0xDEADu + 0x12u + 0x10u);
  EXPECT_EQ(Value("N"), 2u);  // 995 and 990 within 15 hours of 1000
  EXPECT_EQ(Value("C"), 9u);  // the packets new since OLD7
  EXPECT_EQ(Value("W"), 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(Array("SUM").data.get()), "( ");
  EXPECT_NE(
      out.find("(000 * 01)[   995.000] Packet # 6 - EVENT: B00F  [THERMAL 03-05-2026]  012:30:0.000  POH/PC= 995/41\n"
               "(001 * 01)[   990.000] Packet # 4 - EVENT: 4A21"),
      std::string::npos)
      << out;
  EXPECT_EQ(out.find("P.O.S.T."), std::string::npos) << "the old packet was filtered out";
  EXPECT_NE(out.find("Log Page 7 Event Tally Report\n\tSense        = 1\n\tSCSI         = 2\n"), std::string::npos)
      << out;
}

// A packet count the variable cannot hold is refused, never cut to its width.
TEST_F(LogPageStatementsTest, PacketCountNeedsAWideEnoughVariable) {
  std::string log;
  for (int i = 1; i <= 300; ++i) log += "Packet # " + std::to_string(i) + " - EVENT: 4A21 POH/PC= 1/1\r\n";
  const struct {
    const char* type;
    int result;
  } cases[] = {{"BYTE", 1}, {"WORD", 0}, {"LONG", 0}, {"DOUBLE", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    engine.CleanUp();
    TextBuffer("LOG", log);
    std::string out;
    EXPECT_EQ(LoadAndRun(std::string("DESCRIPTION d\nLOGPAGE LP7 { 7, LOG }\n") + c.type +
                             (std::string(c.type) == "DOUBLE" ? " C = 0.0\n" : " C = 0\n") +
                             "START:\nLOADPAGE LP7\nGETNUMBEROFPACKETS LP7 C\n",
                         &out),
              c.result)
        << out;
    if (c.result == 0) {
      EXPECT_EQ(engine.FindVariable("C")->AsDouble(), 300.0);
    } else {
      EXPECT_NE(out.find("KRT_GET_NOF_PACKETS_COUNT_TOO_LARGE_FOR_VARIABLE"), std::string::npos) << out;
      EXPECT_EQ(Value("C"), 0u);
    }
  }
}

TEST_F(LogPageStatementsTest, PowerOnHoursBeyondSixteenBitsAndEmptyLogs) {
  // SETPOH keeps all 32 bits: 70000 is not 4464.
  TextBuffer("LOG",
             "Packet # 1 - EVENT: 4A21 [A 01-JAN-2026] 01:00:00.0 POH/PC= 69990/9\r\n"
             "Packet # 2 - EVENT: 4A21 [A 01-JAN-2026] 01:00:00.0 POH/PC= 4470/2\r\n");
  TextBuffer("EMPTY", "Event log cleared\r\n");
  std::string out;
  ASSERT_EQ(
      LoadAndRun("DESCRIPTION d\nLOGPAGE LP7 { 7, LOG }\nLOGPAGE E7 { 7, EMPTY }\nWORD N = 0\nWORD M = 0\nSTART:\n"
                 "LOADPAGE LP7\nLOADPAGE E7\nSETPOH 70000\n"
                 "IFTRUE LP7 N EVENT 0x4A21 == 1 WITHIN 24 JUMP ONE\nEXIT 1\nONE:\n"
                 "IFTRUE E7 M EVENT 0x4A21 > 0 JUMP BAD\nPRINTPAGE E7\nE7->CREATEMAP SCREEN\nEXIT 2\nBAD:\nEXIT 3\n",
                 &out),
      0)
      << out;
  EXPECT_EQ(engine.GetExitStatus(), 2);
  EXPECT_EQ(Value("N"), 1u);
  EXPECT_NE(out.find("*** No Packets To List ***\nLog Page 7 Event Tally Report\n \n"), std::string::npos) << out;
}

}  // namespace
