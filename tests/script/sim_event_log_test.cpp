// The virtual drive's event log and counter pages, read with LOG SENSE and
// decoded by the script's page readers: what a script on the virtual bench sees.
#include <scsi/sg.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "facade/k_pages.h"
#include "script/statements/event_query.h"
#include "script/statements/k_log_page7.h"
#include "sim/sim.h"

namespace {

struct Reply {
  bool good = false;
  std::vector<uint8_t> data;
  std::vector<uint8_t> sense;
};

Reply Send(SimSystem& sim, int fd, std::vector<uint8_t> cdb, size_t in) {
  Reply r;
  r.data.assign(in, 0);
  r.sense.assign(64, 0);
  sg_io_hdr_t h{};
  h.interface_id = 'S';
  h.cmdp = cdb.data();
  h.cmd_len = static_cast<unsigned char>(cdb.size());
  h.dxfer_direction = in > 0 ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
  h.dxferp = in > 0 ? r.data.data() : nullptr;
  h.dxfer_len = static_cast<unsigned>(in);
  h.sbp = r.sense.data();
  h.mx_sb_len = 64;
  h.timeout = 10000;
  const int rc = sim.Ioctl(fd, SG_IO, &h);
  r.good = rc == 0 && h.masked_status == 0 && h.host_status == 0;
  r.data.resize(in - static_cast<size_t>(h.resid));
  r.sense.resize(h.sb_len_wr);
  return r;
}

Reply LogSense(SimSystem& sim, int fd, uint8_t page, uint16_t pointer = 0) {
  return Send(sim, fd,
              {0x4D, 0, static_cast<uint8_t>(0x40 | page), 0, 0, static_cast<uint8_t>(pointer >> 8),
               static_cast<uint8_t>(pointer), 0xFF, 0xFF, 0},
              0xFFFF);
}

// A bench from lines, the drive's power-on attention taken.
std::unique_ptr<SimSystem> Bench(const std::string& lines, int& fd) {
  auto sim = std::make_unique<SimSystem>();
  std::string why;
  EXPECT_TRUE(sim->ParseBench("bench default\n" + lines, &why)) << why;
  fd = sim->Open("/dev/sg0", 2);
  Send(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0);
  return sim;
}

TEST(SimEventLogTest, SampleLogDecodesIntoTypedPacketsAndAnswersQueries) {
  int fd = -1;
  auto sim = Bench("eventlog /dev/sg0 sample\n", fd);
  const Reply page = LogSense(*sim, fd, 0x07);
  ASSERT_TRUE(page.good);
  KLogPage7 log;
  ASSERT_EQ(log.Load(page.data), KPG7_OK);
  ASSERT_EQ(log.PacketCount(), 9u);
  EXPECT_EQ(log.Tally(Pg7Counter::Post), 1u);
  EXPECT_EQ(log.Tally(Pg7Counter::Scsi), 1u);
  EXPECT_EQ(log.Tally(Pg7Counter::Event), 3u);
  EXPECT_EQ(log.Tally(Pg7Counter::BugCheck), 1u);
  EXPECT_EQ(log.Tally(Pg7Counter::Cup), 1u);
  EXPECT_EQ(log.Tally(Pg7Counter::Overtemp), 1u);
  EXPECT_EQ(log.Tally(Pg7Counter::Sense), 1u);
  for (const PG7_PACKET_LINK& p : log.Packets()) EXPECT_GE(p.poh, 1160u) << log.Lines()[p.first_line];

  // The bug check is longer than one parameter: its lines come back whole.
  const PG7_PACKET_LINK& bug = log.Packets()[3];
  EXPECT_EQ(bug.line_count, 11u);
  CSearchEngine engine;
  KTRAP_Controll q;
  q.type = QUERY_BUGCHECK;
  q.id_low = 0x1A2B;
  ASSERT_EQ(engine.Search(log, q), SEARCH_OK);
  ASSERT_EQ(engine.Count(), 1u);
  uint32_t sum = 0;
  ASSERT_EQ(engine.GetValue(log, 0, {{2, 0xFFFFFFFF, false, 0}, {37, 0xFFFFFFFF, false, 0}}, sum), SEARCH_OK);
  EXPECT_EQ(sum, 0xDEADBEEFu + (0xDEADBEEFu ^ 7));
  EXPECT_EQ(log.WnScan().summary, "( Servo12 )");

  q.type = QUERY_EVENT;
  q.id_low = 0x4A21;
  ASSERT_EQ(engine.Search(log, q), SEARCH_OK);
  EXPECT_EQ(engine.Count(), 2u);
}

TEST(SimEventLogTest, LogsOverSixtyFourKilobytesAreReadOnWithTheParameterPointer) {
  int fd = -1;
  auto sim = Bench("eventlog /dev/sg0 size=300000\n", fd);
  std::string text;
  uint16_t pointer = 0;
  int replies = 0;
  for (bool last = false; !last && replies < 20; ++replies) {
    const Reply r = LogSense(*sim, fd, 0x07, pointer);
    ASSERT_TRUE(r.good);
    const size_t length = static_cast<size_t>(r.data[2] << 8 | r.data[3]);
    ASSERT_EQ(length + 4, r.data.size()) << "whole parameters within the 16-bit length";
    for (size_t at = 4; at + 4 <= r.data.size(); at += 4 + r.data[at + 3]) {
      pointer = static_cast<uint16_t>((r.data[at] << 8 | r.data[at + 1]) + 1);
      if (r.data[at + 3] == 0) last = true;  // the empty parameter ends the log
      text.append(reinterpret_cast<const char*>(&r.data[at + 4]), r.data[at + 3]);
    }
  }
  EXPECT_GE(replies, 5);
  EXPECT_GE(text.size(), 300000u);
  KLogPage7 log;
  ASSERT_EQ(log.Load(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size())), KPG7_OK);
  EXPECT_GT(log.PacketCount(), 1000u);
  EXPECT_EQ(log.Packets().back().number, log.PacketCount());
}

TEST(SimEventLogTest, InjectedFaultLeavesASenseReport) {
  int fd = -1;
  auto sim = Bench("eventlog /dev/sg0 sample\nfault /dev/sg0 op=0x08 check=3/11/00 count=1\n", fd);
  const Reply read = Send(*sim, fd, {0x08, 0, 0, 0, 1, 0}, 512);
  EXPECT_FALSE(read.good);
  KLogPage7 log;
  ASSERT_EQ(log.Load(LogSense(*sim, fd, 0x07).data), KPG7_OK);
  ASSERT_EQ(log.PacketCount(), 10u);
  const PG7_PACKET_LINK& added = log.Packets().back();
  EXPECT_EQ(added.number, 10u);
  EXPECT_EQ(added.type, 1);  // SCSI
  EXPECT_EQ(added.sk, 3);
  EXPECT_EQ(added.asc, 0x11);
  EXPECT_GE(added.poh, 1200u);
  CSearchEngine engine;
  KTRAP_Controll q;
  q.type = QUERY_SCSI;
  q.has_sense = true;
  q.key = 3;
  q.asc = 0x11;
  ASSERT_EQ(engine.Search(log, q), SEARCH_OK);
  EXPECT_EQ(engine.Count(), 2u);
  EXPECT_EQ(engine.Hits()[0].packet_number, 10u);  // the newest first
}

TEST(SimEventLogTest, EventLogFromAFile) {
  const std::string path = ::testing::TempDir() + "vexil_event_log.txt";
  {
    std::ofstream out(path);
    out << "Drive HU1234567A\nPacket # 1 - EVENT: 0101 [A 01-JAN-2026] 01:00:00.0 POH/PC= 7/1\n  one\n"
           "Packet # 2 - OVERTEMP: 60 POH/PC= 8/1\n";
  }
  int fd = -1;
  auto sim = Bench("eventlog /dev/sg0 " + path + "\n", fd);
  KLogPage7 log;
  ASSERT_EQ(log.Load(LogSense(*sim, fd, 0x07).data), KPG7_OK);
  EXPECT_EQ(log.Lines().front(), "Drive HU1234567A");
  ASSERT_EQ(log.PacketCount(), 2u);
  EXPECT_EQ(log.Packets()[0].line_count, 2u);
  std::remove(path.c_str());

  SimSystem bad;
  std::string why;
  EXPECT_FALSE(bad.ParseBench("bench default\neventlog /dev/sg0 /nonexistent/log.txt\n", &why));
  EXPECT_NE(why.find("line 2"), std::string::npos) << why;
  EXPECT_FALSE(bad.ParseBench("eventlog /dev/sg9 sample\n", &why));
  EXPECT_FALSE(bad.ParseBench("bench default\neventlog /dev/sg0 size=lots\n", &why));
}

TEST(SimEventLogTest, CounterPageOfOddWidths) {
  int fd = -1;
  auto sim = Bench("", fd);
  const Reply r = LogSense(*sim, fd, 0x32);
  ASSERT_TRUE(r.good);
  KPages page;
  ASSERT_EQ(page.Load(0x32, r.data), K_KPAGES_OK);
  EXPECT_EQ(page.ParameterCount(), 3u);
  uint32_t passes = 0;
  EXPECT_EQ(page.FetchValue(0x0000, passes), K_KPAGES_OK);
  EXPECT_EQ(passes, 0x012345u);
  std::span<const uint8_t> bytes;
  EXPECT_EQ(page.FetchValue(0x0001, 6, bytes), K_KPAGES_OK);
  const std::vector<std::string> lines = page.DisplayLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "  Code : 0001H\tLP: 0  TMC: 0  ETC: 0  TSD: 0  DS: 1  DU: 0");
  EXPECT_EQ(lines[3],
            "  Code : 0002H\tLP: 0  TMC: 0  ETC: 0  TSD: 0  DS: 0  DU: 0"
            "\tValue:  48  55  43  4D   00  01  02  03   A5  5A  FF  10");
}

}  // namespace
