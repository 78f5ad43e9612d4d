// The event-log decoder on text and binary fixtures: lines, packets, types,
// hours, the tally, the time line, the failure scan and the delta filter.
#include "script/statements/k_log_page7.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string ReadFixture(const char* name) {
  std::ifstream in(std::string(VEXIL_TEST_DATA) + "/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A hex fixture: bytes as pairs of digits, '#' comments to the line end.
Bytes HexFixture(const char* name) {
  std::istringstream in(ReadFixture(name));
  Bytes out;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string w;
    while (words >> w) out.push_back(static_cast<uint8_t>(std::stoul(w, nullptr, 16)));
  }
  return out;
}

// A binary page 07h of the given parameter values.
Bytes Page7(const std::vector<std::string>& values, int lengthDelta = 0) {
  Bytes body;
  uint16_t code = 1;
  for (const std::string& v : values) {
    body.insert(body.end(), {0x00, static_cast<uint8_t>(code++), 0x01, static_cast<uint8_t>(v.size())});
    body.insert(body.end(), v.begin(), v.end());
  }
  const int length = static_cast<int>(body.size()) + lengthDelta;
  Bytes page = {0x07, 0x00, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  page.insert(page.end(), body.begin(), body.end());
  return page;
}

struct Expected {
  uint32_t number;
  int type;
  uint32_t poh, pc;
  size_t lines;
};

void ExpectPackets(const KLogPage7& log, const std::vector<Expected>& want) {
  ASSERT_EQ(log.PacketCount(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const PG7_PACKET_LINK& p = log.Packets()[i];
    SCOPED_TRACE(log.Lines()[p.first_line]);
    EXPECT_EQ(p.number, want[i].number);
    EXPECT_EQ(p.type, want[i].type);
    EXPECT_EQ(p.poh, want[i].poh);
    EXPECT_EQ(p.pc, want[i].pc);
    EXPECT_EQ(p.line_count, want[i].lines);
  }
}

TEST(KLogPage7Test, TextFixtureGivesTypedPacketsTallyAndMap) {
  KLogPage7 log;
  ASSERT_EQ(log.Load(Text(ReadFixture("event_log.txt"))), KPG7_OK);
  EXPECT_TRUE(log.IsLoaded());
  EXPECT_EQ(log.Lines().front(), "Event log of HU1234567A");  // header lines stay lines only
  EXPECT_EQ(log.Lines()[4], "Opcode 08 Read(6)");             // trimmed
  ExpectPackets(log, {
                         {1, 9, 50, 3, 1},  // PO/ST
                         {2, 1, 70, 4, 2},  // SCSI
                         {3, 16, 980, 40, 1},
                         {4, 16, 990, 41, 1},
                         {5, 16, 960, 39, 1},
                         {6, 16, 995, 41, 1},
                         {7, 4, 997, 42, 4},  // BUGCHECK, hours on its second line
                         {8, 15, 998, 42, 1},
                         {9, 1, 999, 43, 1},
                         {10, 0, 999, 43, 1},  // SENSE
                     });
  const PG7_PACKET_LINK& scsi = log.Packets()[1];
  EXPECT_EQ(scsi.sk, 3);
  EXPECT_EQ(scsi.asc, 0x11);
  EXPECT_EQ(scsi.ascq, 0);
  EXPECT_EQ(log.LowestPoh(), 50u);
  EXPECT_EQ(log.HighestPoh(), 999u);

  const std::vector<std::string> map = {
      "Log Page 7 Event Tally Report",
      "\tSense        = 1",
      "\tSCSI         = 2",
      "\tEvent        = 4",
      "\tBugCheck     = 1",
      "\tP.O.S.T.     = 1",
      "\tOvertemp     = 1",
      " ",
      "Log Page 7 Event Time Line Report",
      "  POH: 50 Events: 1",
      "\tPacket # 1 - PO/ST: - Last Fail: 0000 Self test passed POH/PC= 50/3",
      "  POH: 70 Events: 1",
      "\tPacket # 2 - SCSI: POH/PC/MID/SK/ASC/ASCQ/ADDERR= 70/4/0/3/11/00/0",
      "  POH: 960 Events: 1",
      "\tPacket # 5 - EVENT: 4A21 [CLEAN 05-MAR-2026] 12:00:00.0 POH/PC= 960/39",
      "  POH: 980 Events: 1",
      "\tPacket # 3 - EVENT: 4A21 [CLEAN 03-MAR-2026] 10:15:30.5 POH/PC= 980/40",
      "  POH: 990 Events: 1",
      "\tPacket # 4 - EVENT: 4A21 [CLEAN 04-MAR-2026] 11:00:00.0 POH/PC= 990/41",
      "  POH: 995 Events: 1",
      "\tPacket # 6 - EVENT: 0000B00F [THERMAL 05-MAR-2026] 12:30:00.0 POH/PC= 995/41",
      "  POH: 997 Events: 1",
      "\tPacket # 7 - BUGCHECK: 1A2B [SERVO 06-JUN-2026]",
      "  POH: 998 Events: 1",
      "\tPacket # 8 - OVERTEMP: 58 Drive too hot POH/PC= 998/42",
      "  POH: 999 Events: 2",
      "\tPacket # 9 - SCSI: POH/PC/MID/SK/ASC/ASCQ/ADDERR= 999/43/0/4/44/00/0",
      "\tPacket # 10 - SENSE: 03 11 00 POH/PC= 999/43",
      "\t",
  };
  EXPECT_EQ(log.MapLines(), map);

  const std::vector<std::string> printed = log.PacketLines(false);
  ASSERT_EQ(printed.size(), 14u);
  EXPECT_EQ(printed[2], "\tOpcode 08 Read(6)");
  EXPECT_EQ(printed[8], "\tPC=0004F2A0 SR=2700 Cntxt=3 13:00:07.25 POH/PC= 997/42");
}

TEST(KLogPage7Test, BinaryFixtureJoinsParameterValuesIntoLines) {
  KLogPage7 log;
  ASSERT_EQ(log.Load(HexFixture("event_log_page07.hex")), KPG7_OK);
  EXPECT_EQ(log.PageCode(), 7);
  const std::vector<std::string> lines = {
      "Packet # 1 - EVENT: 4A21 [CLEAN 03-MAR-2026] 10:15:30.5 POH/PC= 980/40",
      "Packet # 2 - PO/ST: 0000 POH/PC= 981/41",
      "Result: passed",
      "Packet # 3 - OVERTEMP: 61",
      "POH/PC= 982/41",
  };
  EXPECT_EQ(log.Lines(), lines);
  ExpectPackets(log, {{1, 16, 980, 40, 1}, {2, 9, 981, 41, 2}, {3, 15, 982, 41, 2}});
}

TEST(KLogPage7Test, LoadRefusesPagesThatLieOrAreNotTheEventLog) {
  struct Case {
    const char* what;
    Bytes data;
    int32_t result;
    size_t lines;
  };
  Bytes cut = Page7({"Packet # 1 EVENT", "Packet # 2 EVENT"});
  cut.resize(cut.size() - 3);  // the length still counts the missing bytes
  Bytes longer = Page7({"Packet # 1 EVENT"});
  longer.insert(longer.end(), {'j', 'u', 'n', 'k'});  // beyond the page length: not read
  Bytes header_cut = Page7({"Packet # 1 EVENT"}, 2);
  header_cut.insert(header_cut.end(), {0x00, 0x02});
  const Case cases[] = {
      {"empty data", {}, KPG7_OK, 0},
      {"one line per parameter", Page7({"Packet # 1 EVENT", "Packet # 2 SCSI", "Packet # 3 CUP"}), KPG7_OK, 3},
      {"length beyond the data", cut, KPG7_BROKEN_PARAMETER_CHAIN, 0},
      {"data beyond the length", longer, KPG7_OK, 1},
      {"parameter header cut", header_cut, KPG7_BROKEN_PARAMETER_CHAIN, 0},
      {"value past the page length", Page7({"Packet # 1 EVENT", "xx"}, -1), KPG7_BROKEN_PARAMETER_CHAIN, 0},
      {"a 7 in another page", Bytes{0x2E, 0x00, 0x00, 0x04, 0x00, 0x07, 0x03, 0x00}, KPG7_LOADING_INVALID_PAGE, 0},
      {"text to the first zero", Text(std::string("Packet # 1 EVENT\r\n\0Packet # 2", 29)), KPG7_OK, 1},
      {"zero bytes inside a value end lines", Page7({std::string("Packet # 1 EVENT\0Packet # 2 SCSI", 32)}), KPG7_OK,
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KLogPage7 log;
    EXPECT_EQ(log.Load(c.data), c.result);
    EXPECT_EQ(log.Lines().size(), c.lines);
    EXPECT_EQ(log.IsLoaded(), c.result == KPG7_OK);
  }
}

TEST(KLogPage7Test, LongLinesAreSplitNotDropped) {
  const std::string packet = "Packet # 1 EVENT POH/PC= 5/1 " + std::string(3000, 'x');
  KLogPage7 log;
  ASSERT_EQ(log.Load(Text(packet + "\r\nPacket # 2 SCSI\r\n")), KPG7_OK);
  ASSERT_EQ(log.Lines().size(), 3u);
  EXPECT_EQ(log.Lines()[0].size(), KLogPage7::kMaxLine);
  EXPECT_EQ(log.Lines()[0].size() + log.Lines()[1].size(), packet.size());
  ExpectPackets(log, {{1, 16, 5, 1, 2}, {2, 1, 0, 0, 1}});
}

TEST(KLogPage7Test, PacketInformationByMarker) {
  struct Case {
    const char* text;
    Expected want;
    uint8_t sk, asc, ascq;
  };
  const Case cases[] = {
      {"Packet # 4 SCSI AND SENSE", {4, 0, 0, 0, 1}, 0, 0, 0},  // SENSE is tried first
      {"Packet 1A, DRIVE ERROR (Packet #)", {0x1A, 11, 0, 0, 1}, 0, 0, 0},
      {"Packet # 3 cup\r\nPOH/PC=120/7", {3, 2, 120, 7, 2}, 0, 0, 0},
      {"Packet # 3 x\r\npoh/pc/mid/sk/asc/ascq/adderr=7/8/1/5/24/0A/0", {3, 22, 7, 8, 2}, 5, 0x24, 0x0A},
      {"Packet # 5 Diag test\r\nTimePOH=1234:56:07", {5, 8, 1234, 0, 2}, 0, 0, 0},
      {"Packet # 6 ***Cleaning\r\nPOH=77 later", {6, 21, 77, 0, 2}, 0, 0, 0},
      {"Packet # 7 LOADER ERROR\r\nPOH: 300 PCyc: 12", {7, 10, 300, 12, 2}, 0, 0, 0},
      {"Packet # 8 OVERTEMP\r\nPOH: 300 no cycles", {8, 15, 0, 0, 2}, 0, 0, 0},
      {"Packet # 9 EVENT\r\nPOH/PC=10/1\r\nPOH/PC=20/2", {9, 16, 20, 2, 3}, 0, 0, 0},  // later lines win
      {"Packet # 10 EVENT POH/PC=", {10, 16, 0, 0, 1}, 0, 0, 0},                       // marker at the line end
      {"Packet # 99999999999 EVENT POH/PC=99999999999/5", {0, 16, 0, 0, 1}, 0, 0, 0},  // numbers too wide for 32 bits
  };
  for (const Case& c : cases) {
    KLogPage7 log;
    ASSERT_EQ(log.Load(Text(c.text)), KPG7_OK);
    ExpectPackets(log, {c.want});
    if (log.PacketCount() == 1) {
      EXPECT_EQ(log.Packets()[0].sk, c.sk) << c.text;
      EXPECT_EQ(log.Packets()[0].asc, c.asc) << c.text;
      EXPECT_EQ(log.Packets()[0].ascq, c.ascq) << c.text;
    }
  }
}

TEST(KLogPage7Test, TimeLineSpansTheHoursOfTheData) {
  // Hours far from 0 and far apart: the range comes from the data and the
  // counts are not bytes.
  std::string text;
  for (int i = 0; i < 300; ++i) text += "Packet # " + std::to_string(i) + " EVENT POH/PC= 4000000000/1\r\n";
  text += "Packet # 300 SCSI POH/PC= 3000000000/1\r\n";
  KLogPage7 log;
  ASSERT_EQ(log.Load(Text(text)), KPG7_OK);
  EXPECT_EQ(log.LowestPoh(), 3000000000u);
  EXPECT_EQ(log.HighestPoh(), 4000000000u);
  ASSERT_EQ(log.Histogram().size(), 2u);
  EXPECT_EQ(log.Histogram().at(4000000000u), 300u);
  const std::vector<std::string> map = log.MapLines();
  EXPECT_NE(std::find(map.begin(), map.end(), "  POH: 4000000000 Events: 300"), map.end());
}

TEST(KLogPage7Test, EmptyLogIsLoadedWithoutPackets) {
  KLogPage7 log;
  ASSERT_EQ(log.Load(Text("Event log header only\r\n")), KPG7_OK);
  EXPECT_TRUE(log.IsLoaded());
  EXPECT_EQ(log.PacketLines(false), std::vector<std::string>{"*** No Packets To List ***"});
  EXPECT_EQ(log.PacketLines(true), std::vector<std::string>{"*** No Packets To Record ***"});
  EXPECT_EQ(log.MapLines(), (std::vector<std::string>{"Log Page 7 Event Tally Report", " "}));
}

TEST(KLogPage7Test, WnScanCountsMarkersNotAtLineStart) {
  struct Case {
    const char* what;
    std::string text;
    uint32_t count;
    std::string summary;
  };
  std::string five;
  for (int i = 1; i <= 5; ++i)
    five += "Packet # " + std::to_string(i) + " x ***CalFailure:    x: Cal" + std::to_string(i) + " head\r\n";
  const Case cases[] = {
      {"none", "Packet # 1 EVENT\r\n", 0, "( "},
      {"five", five, 5, "( Cal1, Cal2, Cal3, ... )"},
      {"word offsets per marker",
       "a ***POST Error    E123 b\r\nb ***BUGCHECK      B77\r\nc ***ServoError:abc: drop: Servo9\r\n", 3,
       "( E123, B77, Servo9 )"},
      {"marker at line start", "***PERMRead: x y\r\n", 0, "( "},
      {"marker at the line end", "x ***PERMWrite\r\n", 1, "(  )"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KLogPage7 log;
    ASSERT_EQ(log.Load(Text(c.text)), KPG7_OK);
    const KLogPage7::ScanResult r = log.WnScan();
    EXPECT_EQ(r.count, c.count);
    EXPECT_EQ(r.summary, c.summary);
  }
}

TEST(KLogPage7Test, DeltaFilterLeavesThePacketsNewSinceTheEarlierLog) {
  const std::string earlier = "Packet # 1 EVENT POH/PC= 10/1\r\nPacket # 2 SCSI POH/PC= 11/1\r\n";
  KLogPage7 a;
  KLogPage7 b;
  KLogPage7 same;
  ASSERT_EQ(a.Load(Text(earlier)), KPG7_OK);
  ASSERT_EQ(b.Load(Text(earlier + "Packet # 3 EVENT POH/PC= 12/2\r\nPacket # 2 SCSI POH/PC= 11/1\r\n")), KPG7_OK);
  ASSERT_EQ(same.Load(Text(earlier)), KPG7_OK);
  b.DeltaFilter(a);
  // One packet of the earlier log removes one packet of the later.
  ExpectPackets(b, {{3, 16, 12, 2, 1}, {2, 1, 11, 1, 1}});
  EXPECT_EQ(b.Tally(Pg7Counter::Event), 1u);
  EXPECT_EQ(b.LowestPoh(), 11u);
  same.DeltaFilter(same);
  EXPECT_EQ(same.PacketCount(), 0u);
  EXPECT_EQ(same.Histogram().size(), 0u);
}

}  // namespace
