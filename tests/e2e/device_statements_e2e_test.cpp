// Scripts that declare buffers and commands and drive the virtual tape drive
// through the binary: each case is a small script and what it must print.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

std::string Script(const std::string& body) {
  return "[TEST]\nFAMILY ALL\nDESCRIPTION Device statements\nSTART:\n" + body;
}

struct Case {
  const char* name;
  std::string body;
  std::vector<std::string> expected;  // each must appear in the output, in this order
  std::string bench = "";             // extra bench lines after the default bench
  const char* node = "/dev/sg0";
};

ProcessResult RunCase(const Case& c, ScratchDir& dir) {
  dir.Write("Scripts/t.scs", Script(c.body));
  std::map<std::string, std::string> env = {{"VEXIL_SIM", "1"}};
  if (!c.bench.empty()) {
    dir.Write("bench.txt", "bench default\n" + c.bench);
    env["VEXIL_SIM"] = dir.path() + "/bench.txt";
    env["VEXIL_HDD"] = "true";
  }
  return RunVexil(dir.path(), {"-f", c.node, "-s", "t.scs", "-y"}, env);
}

// The output from the script's load on (the banners are of no interest here).
std::string Tail(const std::string& out) {
  const size_t at = out.find("Phase 1");
  return at == std::string::npos ? out : out.substr(at);
}

void Expect(const Case& c) {
  ScratchDir dir;
  const ProcessResult r = RunCase(c, dir);
  EXPECT_EQ(r.status, 0) << c.name << "\n" << Tail(r.out) << r.err;
  size_t at = 0;
  for (const std::string& text : c.expected) {
    const size_t found = r.out.find(text, at);
    EXPECT_NE(found, std::string::npos) << c.name << ": missing '" << text << "' in\n" << Tail(r.out);
    if (found != std::string::npos) at = found + text.size();
  }
}

const std::string kTransferDeclarations =
    "BUFFER P [512]\n"
    "CDB WR { 6, FROMHOST, P, SCSI_WRITE, 0, 0, 0x02, 0x00, 0 }\n"
    "CDB RW { 6, NONE, 0, SCSI_REWIND, 0, 0, 0, 0, 0 }\n"
    "CDB RD { 6, TOHOST, P, SCSI_READ, 0, 0, 0x02, 0x00, 0 }\n"
    "LONG N = 9\nBYTE ST = 9\nLONG AT = 9\nLONG ADDR = 9\nBYTE RB = 9\nBYTE WB = 9\n";
const std::string kWriteRewindCompare =
    "FILLBUFFER P INCR\n"
    "WRITE WR 3 N\n"
    "SCSI RW\n"
    "READCOMPARE RD 3 ST AT ADDR RB WB\n"
    "PRINT 'wrote=%d status=%d at=%d addr=%d read=%X wrote=%X' N ST AT ADDR RB WB\n";

TEST(DeviceStatements, BufferOperations) {
  const Case cases[] = {
      {"element family and compare",
       "BUFFER B [16]\nBUFFER C [16]\nLONG L = 0\nWORD W = 0\nBYTE S = 0\nLONG A = 0\nBYTE R1 = 0\nBYTE R2 = 0\n"
       "FILLBUFFER B INCR\nSETBUFFER B[2] 0xAA\nORBUFFER B[3] 0xF0\nANDBUFFER B[4] 0x0F\nPOKE B[15] 0x7E\n"
       "PEEKW B[1] W\nPEEKL B[12] L\n"
       "COPYBUFFER B C\nXORBUFFER C[5] 0xFF\nCOMPAREBUFFER B C S A R2 R1\n"
       "PRINT 'W=%X L=%X S=%d A=%d R2=%X R1=%X' W L S A R2 R1\n"
       "PRINTBUFFER C\n",
       {"W=01AA L=0C0D0E7E S=255 A=5 R2=FA R1=05",
        "00000000  00 01 AA F3  04 FA 06 07  08 09 0A 0B  0C 0D 0E 7E    ................\n"}},
      {"pattern, copy of a part, printed part",
       "BUFFER B [10]\nBUFFER D [4]\nLONG V = 1\nLONG E = 0\n"
       "PATTERN9 B V\nCOPYBUFFERPART B D 4 4\nPRINT 'V=%d' V\nPRINTBUFFER D\nWNENCRYPTBUFFER D E\nPRINT 'E=%d' E\n",
       {"V=15", "00000000  07 00 00 00", "E=4"}},
      {"buffer byte in IF and DIMENSION",
       "BUFFER B [4]\nLONG I = 7\nBYTE X = 5\nSETBUFFER B[3] 9\nIF B[3] == 9 JUMP YES\nFAIL 'no'\nYES:\n"
       "DIMENSION B 8\nPEEK B[I] X\nPRINT 'X=%d' X\n",
       {"X=0"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST(DeviceStatements, TapeReadWriteAndCompare) {
  const Case cases[] = {
      {"pattern written, rewound and read back",
       kTransferDeclarations + kWriteRewindCompare,
       {"wrote=3 status=0 at=0 addr=0 read=00 wrote=00"}},
      {"a block that reads back corrupted",
       kTransferDeclarations + kWriteRewindCompare,
       {"wrote=3 status=255 at=1 addr=5 read=FA wrote=05"},
       "fault /dev/sg0 op=0x08 skip=1 count=1 corrupt=5\n"},
      // A loop stops at its first failure; the status fields describe it.
      {"a write error stops the writes",
       kTransferDeclarations + kWriteRewindCompare + "PRINTSENSEKEYS\n",
       {"wrote=1 status=255 at=1 addr=-1", "Sense: CC: 08  ASC: 00  ASCQ: 05"},
       "fault /dev/sg0 op=0x0A skip=1 count=1 check=3/0C/00\n"},
      {"a read error in the middle of the compare",
       kTransferDeclarations + kWriteRewindCompare + "PRINTSENSEKEYS\n",
       {"wrote=3 status=255 at=1 addr=-1 read=00 wrote=00", "Sense: CC: 03  ASC: 11  ASCQ: 00"},
       "fault /dev/sg0 op=0x08 skip=1 count=1 check=3/11/00\n"},
      {"a block that reads back short",
       kTransferDeclarations + kWriteRewindCompare + "PRINTSENSEKEYS\n",
       {"wrote=3 status=255 at=2 addr=100 read=00 wrote=64",
        "Sense: CC: FF  ASC: 10  ASCQ: 00  = Short transfer: less data than the command announced"},
       "fault /dev/sg0 op=0x08 skip=2 count=1 data=100\n"},
      {"a read lost in the transport",
       kTransferDeclarations + kWriteRewindCompare + "PRINTSENSEKEYS\n",
       {"wrote=3 status=255 at=0", "Sense: CC: FF  ASC: 01  ASCQ: 00  = Transport failure: the command timed out"},
       "fault /dev/sg0 op=0x08 count=1 delay=700\n"},
      {"a CDB follows its buffer through DIMENSION",
       "BUFFER P [8]\nLONG AT = 8\nCDB INQ { 6, TOHOST, P, SCSI_INQUIRY, 0, 0, 0, 36, 0 }\nDIMENSION P 36\n"
       "SCSI INQ\nPRINTBUFFER P AT 16\n",
       {"00000008  48 41 4C 43  59 4F 4E 20"}},
      {"forced READ(6) and MODCDB",
       "BUFFER P [16]\nLONG LEN = 16\n"
       "CDB RD { 10, TOHOST, P, 0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0 }\n"
       "MODCDB RD 2 < 3 > LEN\nPRINTCDB RD\n",
       {"CDB RD : 28 00 00 00 10 00 00 00 00 00 "}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST(DeviceStatements, SenseTestsAndReports) {
  const std::string decl =
      "SENSEKEYS NRDY 2 4 XX Not ready - cause not reportable\n"
      "SENSEKEYS 3 XX XX Medium error\n"
      "CDB RW { 6, NONE, 0, SCSI_REWIND, 0, 0, 0, 0, 0 }\n"
      "BYTE K = 0\nBYTE A = 0\nBYTE Q = 0\nBYTE I = 0\nLONG RES = 0\nBUFFER T [32]\n";
  const Case cases[] = {
      {"check condition with an event code",
       decl + "SCSI RW\nPRINTSENSEKEYS\nGETSENSE K A Q\nPRINT 'K=%X A=%X Q=%X' K A Q\n"
              "IFSENSE NRDY JUMP NR\nFAIL 'not taken'\nNR:\nGETSENSETEXT 3 0x11 0 T\nPRINT '%s' T\n"
              "SCSI RW\nIFNOSENSE JUMP CLEAR\nFAIL 'sense stayed'\nCLEAR:\nGETSENSE K A Q\nPRINT 'after K=%X' K\n",
       {"\tSense: CC: 02  ASC: 04  ASCQ: 01  = Not ready - cause not reportable", "\tVS Sense: E0700000",
        "\t  Catagory: Command Task Error", "\t  Details: Tape not loaded and ready. - 100% State of drive",
        "K=02 A=04 Q=01", "Medium error", "after K=CC"},
       "fault /dev/sg0 op=0x01 count=1 check=2/04/01 vs=E0700000\n"},
      {"sense the script names no text for, in the console's words, and an unknown event code",
       decl + "SCSI RW\nPRINTSENSEKEYS\nGETILISTATUS I\nPRINT 'I=%d' I\n",
       {"\tSense: CC: 05  ASC: 24  ASCQ: 00  = ILLEGAL REQUEST, INVALID FIELD IN CDB.", "\tVS Sense: E0000100", "I=0"},
       "fault /dev/sg0 op=0x01 count=1 check=5/24/00 vs=E0000100\n"},
      // Descriptor-format sense has no event code in bytes 8-11: only a
      // vendor-specific descriptor carries one.
      {"descriptor sense without an event code",
       decl + "SCSI RW\nPRINTSENSEKEYS\nPRINT 'next'\n",
       {"\tSense: CC: 05  ASC: 24  ASCQ: 00  = ILLEGAL REQUEST, INVALID FIELD IN CDB.\nnext"},
       "fault /dev/sg0 op=0x01 count=1 check=5/24/00 descriptor\n"},
      {"descriptor sense with an event code in a vendor descriptor",
       decl + "SCSI RW\nPRINTSENSEKEYS\n",
       {"\tSense: CC: 02  ASC: 04  ASCQ: 01  = Not ready - cause not reportable", "\tVS Sense: E0700000"},
       "fault /dev/sg0 op=0x01 count=1 check=2/04/01 descriptor vs=E0700000\n"},
      {"a vendor-specific sense the script has no text for",
       decl + "SCSI RW\nPRINTSENSEKEYS\n",
       {"\tSense: CC: 05  ASC: 80  ASCQ: 00  = Unknown"},
       "fault /dev/sg0 op=0x01 count=1 check=5/80/00\n"},
      {"a standard sense the console's table lacks is named in T10 words",
       decl + "SCSI RW\nPRINTSENSEKEYS\n",
       {"\tSense: CC: 02  ASC: 31  ASCQ: 00  = NOT READY, MEDIUM FORMAT CORRUPTED."},
       "fault /dev/sg0 op=0x01 count=1 check=2/31/00\n"},
      {"internal triggers feed the same status",
       decl + "*SK 3\n*ASC 0x11\n*ASCQ 0\nIFSENSE 3 0x11 XX JUMP HIT\nFAIL 'no'\nHIT:\nPRINTSENSEKEYS\n",
       {"\tSense: CC: 03  ASC: 11  ASCQ: 00  = Medium error"}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST(DeviceStatements, DriveQueriesAndAta) {
  const Case cases[] = {
      {"inquiry report and drive type",
       "BYTE DT = 0\nONERROR EH\nONCANCEL EH\nGETINQINFO\nGETDRIVETYPE DT\nPRINT 'type=%d' DT\n"
       "FUP Scripts/t.scs\nPRINT 'after fup'\nEXIT 0\nEH:\nFAIL 'handler'\n",
       {" RAW_DATA: 56", "   Device Type: Tape", "   Vendor ID: HALCYON", "   Product ID: ULTRIUM-HH6",
        "   Product Revision Level: J5A1", "type=", "FUP not working yet...", "after fup"}},
      {"ATA register image, after the buffer grew",
       "BUFFER AB [12]\nATACMD ID { TOHOST, AB, 512, 0, 1, 2, 3, 4, 5, 0xA0, 0xEC }\nDIMENSION AB 524\nATA ID\n"
       "PRINTBUFFER AB 0 8\n",
       {"00000000  00 01 02 03  04 40 50 00"},
       "device /dev/sg7 type=disk hctl=1:0:0:0 product=BRAMBLE\n",
       "/dev/sg7"},
  };
  for (const Case& c : cases) Expect(c);
}

TEST(DeviceStatements, ErrorsNameTheLineAndNeverTouchPastABuffer) {
  struct Error {
    std::string body;
    const char* text;
  };
  const Error errors[] = {
      {"BUFFER B [8]\nSETBUFFER B[8] 1\n", "Error : SET_BUFFER_INDEX_OUT_OF_RANGE"},
      {"BUFFER B [8]\nPEEKL B[5] L\nLONG L = 0\n", "Error: K_PEEKL_INDEX_OUT_OF_RANGE"},
      {"BUFFER B [8]\nSETBUFFER B 5 1\n", "Error : SET_BUFFER_INDEX_BRACING_ERROR_SPECIFIED"},
      {"BUFFER B [8]\nLONG I = 8\nPOKE B[I] 1\n", "Error : Run Time : POKE_INDEX_OUT_OF_RANGE"},
      {"BUFFER B [8]\nLONG I = 65536\nI *= 65535\nI += 65535\nXORBUFFER B[I] 1\n",
       "Error : Run Time : XOR_BUFFER_INDEX_OUT_OF_RANGE"},
      {"BUFFER S [25]\nBUFFER D [30]\nCOPYBUFFERPART S D 10 20\n",
       "Error: K_COPYBUFFERPART_BUFFER_SIZE_MISMATCH_DETECTED"},
      {"BUFFER S [25]\nBUFFER D [30]\nLONG O = 65536\nO *= 65535\nO += 65520\nCOPYBUFFERPART S D O 0x20\n",
       "Error: K_COPYBUFFERPART_BUFFER_SIZE_MISMATCH_DETECTED"},
      {"BUFFER B [8]\nPRINTBUFFER B 8\n", "Error : PRINTBUFFER_START_RANGE_ERROR"},
      {"BUFFER B [512]\nIF B[600] == 0 JUMP X\nX:\nEXIT 0\n", "K_IF_ARG1_BUFFER_INDEX_RANGE_ERRROR"},
      {"CDB X { 6, NONE, 0, 0, 0, LEN, 0, 0, 0 }\n", "Error : CDB_INVALID_SCSI_VALUE_TYPE_SPECIFIER"},
      {"BUFFER B [8]\nBUFFER B [8]\n", "Error : BUFF_HANDLER_DUPLICATE_NAME_DETECTED"},
      {"BUFFER F [259]\nONERROR X\nONCANCEL X\nFUP F\nX:\nEXIT 0\n",
       "Error : FUP_BUFFER_SPECIFIED_REQUIRED_TO_BE_AT_LEAST_260"},
      {"BUFFER T [16]\nGETSENSETEXT 1 2 3 T\n", "K_GETSENSETEXT_DESTINATION_BUFFER_TOO_SMALL"},
      {"SCSI NOPE\n", "Error : SCSI_UNKNOWN_CDB_SPECIFIED"},
  };
  for (const Error& e : errors) {
    ScratchDir dir;
    Case c{"error", e.body, {e.text}};
    const ProcessResult r = RunCase(c, dir);
    EXPECT_NE(r.out.find(e.text), std::string::npos) << e.body << "\n" << Tail(r.out) << r.err;
  }
}

}  // namespace
