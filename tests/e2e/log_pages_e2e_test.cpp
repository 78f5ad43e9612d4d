// Scripts that read log pages and the event log of the virtual tape drive
// through the binary: LOG SENSE into a buffer, then the page statements.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

const char kDeclarations[] =
    "[TEST]\nFAMILY ALL\nDESCRIPTION Log pages\n"
    "BUFFER LB [65520]\nBUFFER TB [256]\nBUFFER SUM [64]\n"
    "CDB LS07 { 10, TOHOST, LB, 0x4D, 0, 0x47, 0, 0, 0, 0, 0xFF, 0xF0, 0 }\n"
    "CDB LS0D { 10, TOHOST, TB, 0x4D, 0, 0x4D, 0, 0, 0, 0, 0x01, 0x00, 0 }\n"
    "BUFFER RESPBUF [64]\n"
    "CDB LS12 { 10, TOHOST, RESPBUF, 0x4D, 0, 0x52, 0, 0, 0, 0, 0x00, 0x40, 0 }\n"
    "LOGPAGE EV { 7, LB }\nLOGPAGE TEMP { 13, TB }\nLOGPAGE RESPONSE { 18, RESPBUF }\n"
    "WORD N = 0\nWORD C = 0\nWORD T = 0\nBYTE W = 0\nBYTE H = 9\nSTART:\n";

struct Case {
  const char* name;
  std::string body;
  std::vector<std::string> expected;  // each must appear in the output, in this order
  std::string bench = "";             // bench lines after the default bench
};

void Expect(const Case& c) {
  ScratchDir dir;
  dir.Write("Scripts/t.scs", std::string(kDeclarations) + c.body);
  dir.Write("bench.txt", "bench default\n" + c.bench);
  const ProcessResult r =
      RunVexil(dir.path(), {"-f", "/dev/sg0", "-s", "t.scs", "-y"}, {{"VEXIL_SIM", dir.path() + "/bench.txt"}});
  const size_t from = r.out.find("Phase 1");
  const std::string tail = from == std::string::npos ? r.out : r.out.substr(from);
  EXPECT_EQ(r.status, 0) << c.name << "\n" << tail << r.err;
  size_t at = 0;
  for (const std::string& text : c.expected) {
    const size_t found = r.out.find(text, at);
    EXPECT_NE(found, std::string::npos) << c.name << ": missing '" << text << "' in\n" << tail;
    if (found != std::string::npos) at = found + text.size();
  }
}

TEST(LogPagesE2E, ScriptsReadPagesAndQueryTheEventLog) {
  const Case cases[] = {
      // The TapeAlert response page keeps its flags when read, and the
      // health verdict reads it too: both runs show flags 3 and 20.
      {"TapeAlert response page and the health verdict",
       "SCSI LS12\nLOADPAGE RESPONSE\nPRINTPAGE RESPONSE\nGETHEALTH H\nPRINT 'health=%d' H\n"
       "SCSI LS12\nLOADPAGE RESPONSE\nPRINTPAGE RESPONSE\n",
       {"Page Code: 12H\tLength: 000CH / 12\n", "health=2", "Page Code: 12H"},
       "tapealert /dev/sg0 3,20 clear=read\n"},
      {"temperature page printed and read",
       "SCSI LS0D\nLOADPAGE TEMP\nPRINTPAGE TEMP\nT = TEMP->0\nIF TEMP->1 > T JUMP OK\nFAIL 'hotter than its "
       "limit'\nOK:\n"
       "PRINT 'temperature=%d' T\n",
       {"Page Code: 0DH\tLength: 000CH / 12\n",
        "  Code : 0000H\tLP: 1  TMC: 0  ETC: 0  TSD: 0  DS: 0  DU: 0\tValue:  0022H\n", "temperature=34"}},
      {"event log counted, queried, listed, scanned and mapped",
       "SCSI LS07\nLOADPAGE EV\nGETNUMBEROFPACKETS EV C\nPRINT 'packets=%d' C\nSETPOH 1200\n"
       "IFTRUE EV N EVENT 0x4A21 >= 2 WITHIN 100 JUMP CLEAN\nFAIL 'no cleaning events'\nCLEAN:\n"
       "PRINT 'cleaning=%d' N\nEV->CREATELIST SCSI 3 0x11 XX N\nEV->PRINTLIST SCREEN\n"
       "EV->WNSCAN W SUM\nPRINT 'scan=%d %s' W SUM\nEV->CREATEMAP SCREEN\n",
       {"packets=9", "cleaning=2", "Packet # 2 - SCSI   : 03 11 00 : 0000", "scan=1 ( Servo12 )",
        "Log Page 7 Event Tally Report\n\tSense        = 1\n\tSCSI         = 1\n\tEvent        = 3\n",
        "Log Page 7 Event Time Line Report\n  POH: 1160 Events: 1\n\tPacket # 1 - PO/ST"},
       "eventlog /dev/sg0 sample\n"},
      {"a packet longer than a log parameter prints whole",
       "SCSI LS07\nLOADPAGE EV\nPRINTPAGE EV\n",
       {"Packet # 4 - BUGCHECK: 1A2B [SERVO", "\tPC=0004F2A0 SR=2700 Cntxt=3", "\t00071A2B 0000FF07 DEADBEE8 77777777",
        "\tHead 3 ***ServoError: head: Servo12 lost track\nPacket # 5 - EVENT: 0302"},
       "eventlog /dev/sg0 sample\n"},
      {"the fault a drive logged is found by a query",
       "BUFFER RB [512]\nCDB RD { 6, TOHOST, RB, 0x08, 0, 0, 0, 1, 0 }\nSCSI RD\n"
       "SCSI LS07\nLOADPAGE EV\nEV->CREATELIST SCSI 3 0x11 00 N\nPRINT 'medium errors=%d' N\nEV->PRINTLIST SCREEN\n",
       {"medium errors=2", "Packet # 10 - SCSI   : 03 11 00"},
       "eventlog /dev/sg0 sample\nfault /dev/sg0 op=0x08 check=3/11/00 count=1\n"},
      {"a cleared log has no packets",
       "SCSI LS07\nLOADPAGE EV\nPRINTPAGE EV\nIFTRUE EV N BUGCHECK 65535 > 0 JUMP BAD\nPRINT 'bugchecks=%d' N\nEXIT 0\n"
       "BAD:\nFAIL 'bug checks in an empty log'\n",
       {"*** No Packets To List ***", "bugchecks=0"},
       "eventlog /dev/sg0 /dev/null\n"},
  };
  for (const Case& c : cases) Expect(c);
}

}  // namespace
