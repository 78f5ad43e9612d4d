// Log pages through the device layer: TapeAlert collection and its
// iterator, the event log, and decoders that never trust a length.
#include <string>
#include <vector>

#include "device/bench_fixture.h"
#include "device/log_decode.h"

namespace {

class LogPages : public Bench {
 protected:
  void SetUp() override {
    Bench::SetUp();
    SelectNode("/dev/sg0");
    SCSI.TestUnitReady();
    sim_->ClearCommands();
  }

  static SimFault Rejects(int opcode) {
    SimFault f;
    f.opcode = opcode;
    f.check = true;
    f.key = 0x05, f.asc = 0x24, f.ascq = 0x00;
    return f;
  }
};

TEST_F(LogPages, NextAlertStepsThroughTheSetFlagsAndWraps) {
  sim_->SetTapeAlerts("/dev/sg0", {3, 20});
  ASSERT_EQ(SCSI.CollectAlerts(), 1);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 5);
  std::vector<long> seen;
  for (int i = 0; i < 4; ++i) seen.push_back(SCSI.GetNextAlert());
  EXPECT_EQ(seen, (std::vector<long>{3, 20, 0, 3}));
  // A second collection starts again from the first flag.
  sim_->SetTapeAlerts("/dev/sg0", {64});
  ASSERT_EQ(SCSI.CollectAlerts(), 1);
  EXPECT_EQ(SCSI.GetNextAlert(), 64);
  EXPECT_EQ(SCSI.GetNextAlert(), 0);
}

TEST_F(LogPages, RejectedPagesAreFailuresWithTheDriveSense) {
  sim_->SetTapeAlerts("/dev/sg0", {3});
  ASSERT_EQ(SCSI.CollectAlerts(), 1);
  sim_->InjectFault("/dev/sg0", Rejects(0x4D));
  EXPECT_EQ(SCSI.CollectAlerts(), -2);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x00052400);
  EXPECT_EQ(SCSI.GetNextAlert(), 0) << "flags of an earlier page must not survive a rejected one";
  EXPECT_EQ(SCSI.GetLogSize(), 0);
  EXPECT_EQ(SCSI.GetLogBuffer(), nullptr);
  EXPECT_FALSE(SCSI.FetchLog(0x2E));
  sim_->InjectFault("/dev/sg0", Rejects(0x4D));
  EXPECT_EQ(SCSI.CollectEvents(), -2);
  EXPECT_EQ(SCSI.GetEventCount(), 0);
}

TEST_F(LogPages, AlertTextsComeFromTheTable) {
  struct Case {
    int flag;
    const char* name;
    const char* type;
  } cases[] = {
      {1, "Read Warning ", "WARNING"},  {20, "Clean Now ", "CRITICAL"}, {10, "No Removal ", "INFORMATIONAL"},
      {43, "Loader Door ", "CRITICAL"}, {47, "NOT SUPPORTED ", " "},    {54, "No Start Of Data ", "CRITICAL"},
      {64, "NOT SUPPORTED ", " "},
  };
  for (const Case& c : cases) {
    ASSERT_NE(SCSI.GetAlertFlag(c.flag), nullptr) << c.flag;
    EXPECT_STREQ(SCSI.GetAlertFlag(c.flag), c.name) << c.flag;
    EXPECT_STREQ(SCSI.GetAlertType(c.flag), c.type) << c.flag;
    EXPECT_NE(SCSI.GetAlertMessage(c.flag), nullptr);
    EXPECT_NE(SCSI.GetAlertCause(c.flag), nullptr);
  }
  for (int flag : {0, 65, -1}) {
    EXPECT_EQ(SCSI.GetAlertFlag(flag), nullptr) << flag;
    EXPECT_EQ(SCSI.GetAlertCause(flag), nullptr) << flag;
  }
}

// A page whose length field claims more than arrived is incomplete: what
// arrived is kept (never padded), and the fetch fails with kIncompleteData.
TEST_F(LogPages, PageCutShortIsIncompleteWithWhatArrived) {
  constexpr long kWhole = 4 + 64 * 5;  // 64 one-byte flags
  struct Case {
    int arrives;  // -1: all of it
    long result, size, declared;
  } cases[] = {
      {-1, 1, kWhole, kWhole},    {10, kIncompleteData, 10, kWhole}, {4, kIncompleteData, 4, kWhole},
      {2, kIncompleteData, 2, 0}, {0, kIncompleteData, 0, 0},
  };
  for (const Case& c : cases) {
    SimFault cut;
    cut.opcode = 0x4D;
    cut.count = 1;
    cut.data_length = c.arrives;
    if (c.arrives >= 0) sim_->InjectFault("/dev/sg0", cut);
    EXPECT_EQ(SCSI.FetchLogPage(0x2E, 0), c.result) << c.arrives;
    EXPECT_EQ(SCSI.GetLogSize(), c.size) << c.arrives;
    EXPECT_EQ(SCSI.GetLogDeclaredSize(), c.declared) << c.arrives;
    EXPECT_EQ(SCSI.FetchLog(0x2E), true);  // the next one arrives whole
  }
  SimFault cut;
  cut.opcode = 0x4D;
  cut.data_length = 10;  // flag 1 whole, flag 2's header only
  sim_->InjectFault("/dev/sg0", cut);
  ASSERT_EQ(SCSI.FetchLogPage(0x2E, 0), kIncompleteData);
  long length = 0;
  EXPECT_NE(SCSI.GetLogParameter(1, &length), nullptr);
  EXPECT_EQ(SCSI.GetLogParameter(2, &length), nullptr) << "parameter 2 lies past what arrived";
  EXPECT_EQ(SCSI.GetLogParameterValue(2), -1);
  EXPECT_FALSE(SCSI.FetchLog(0x2E));
}

// Alerts of a page cut short: the flags that arrived are set, the rest are
// unknown, and the collection fails.
TEST_F(LogPages, AlertsOfAPageCutShortAreThoseThatArrivedAndAFailure) {
  sim_->SetTapeAlerts("/dev/sg0", {1, 3});
  SimFault cut;
  cut.opcode = 0x4D;
  cut.count = 1;
  cut.data_length = 4 + 2 * 5 + 4;  // flags 1 and 2 whole, flag 3 without its value
  sim_->InjectFault("/dev/sg0", cut);
  EXPECT_EQ(SCSI.CollectAlerts(), kIncompleteData);
  EXPECT_EQ(SCSI.GetNextAlert(), 1);
  EXPECT_EQ(SCSI.GetNextAlert(), 0);
  ASSERT_EQ(SCSI.CollectAlerts(), 1);
  EXPECT_EQ(SCSI.GetNextAlert(), 1);
  EXPECT_EQ(SCSI.GetNextAlert(), 3);
}

TEST_F(LogPages, EventLogPacketsAreTypedFromTheFirstPageOnly) {
  ASSERT_EQ(SCSI.CollectEvents(), 5);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x4D), 1) << "pointers 1 to 9 are not needed";
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 10);
  struct Expect {
    long code, type;
    const char* errorCode;
  } expected[] = {{1, 4, ""}, {2, 6, ""}, {3, 1, "4A21"}, {4, 3, "1A2B"}, {5, 5, ""}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(SCSI.GetEventCode(i), expected[i].code) << i;
    EXPECT_EQ(SCSI.GetEventType(i), expected[i].type) << i;
    EXPECT_STREQ(SCSI.GetEventErrorCode(i), expected[i].errorCode) << i;
    EXPECT_EQ(std::string(SCSI.GetEventText(i)).rfind("PACKET # ", 0), 0u) << i;
    EXPECT_EQ(SCSI.GetEventLength(i), static_cast<long>(std::string(SCSI.GetEventText(i)).size()));
  }
  EXPECT_EQ(SCSI.GetEventCode(5), -1);
  EXPECT_EQ(SCSI.GetEventText(96), nullptr);
}

// ---- decoders on raw bytes ----

std::vector<uint8_t> Page(std::initializer_list<uint8_t> params) {
  std::vector<uint8_t> p = {0x2E, 0, 0, 0};
  p.insert(p.end(), params);
  p[2] = static_cast<uint8_t>((p.size() - 4) >> 8);
  p[3] = static_cast<uint8_t>(p.size() - 4);
  return p;
}

TEST(LogDecode, WalkStopsAtLongOrOverrunningParameters) {
  struct Case {
    const char* name;
    std::vector<uint8_t> page;
    std::vector<int> codes;
  } cases[] = {
      {"two short ones", Page({0, 1, 0, 1, 0xAA, 0, 2, 0, 2, 0x12, 0x34}), {1, 2}},
      {"nine bytes end the walk", Page({0, 1, 0, 1, 0xAA, 0, 2, 0, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 3, 0, 1, 7}), {1}},
      {"length past the end", Page({0, 1, 0, 1, 0xAA, 0, 2, 0, 8, 1, 2}), {1}},
      {"header cut", Page({0, 1, 0, 1, 0xAA, 0, 2, 0}), {1}},
      {"page shorter than its header", {0x2E, 0, 0}, {}},
  };
  for (const Case& c : cases) {
    std::vector<int> codes;
    for (const logpage::Parameter& p : logpage::Walk(c.page)) codes.push_back(p.code);
    EXPECT_EQ(codes, c.codes) << c.name;
  }
}

// What a decoder is handed of a page cut short: the whole parameters that
// arrived, long ones too, under a page length that says so.
TEST(LogDecode, WholeParametersOfAPageCutShort) {
  struct Case {
    const char* name;
    std::vector<uint8_t> arrived;
    std::vector<uint8_t> whole;
  } cases[] = {
      {"cut in a value", {0x2E, 0, 0, 20, 0, 1, 3, 1, 1, 0, 2, 3, 1}, {0x2E, 0, 0, 5, 0, 1, 3, 1, 1}},
      {"cut in a header", {0x2E, 0, 0, 20, 0, 1, 3, 1, 1, 0, 2}, {0x2E, 0, 0, 5, 0, 1, 3, 1, 1}},
      {"a long one kept",
       {0x07, 0, 1, 0, 0, 1, 0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 2},
       {0x07, 0, 0, 14, 0, 1, 0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"header only", {0x2E, 0, 1, 64}, {0x2E, 0, 0, 0}},
      {"not even a header", {0x2E, 0}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(logpage::WholeParameters(c.arrived), c.whole) << c.name;
}

std::vector<uint8_t> EventPage(const std::vector<std::string>& packets) {
  std::vector<uint8_t> p = {0x07, 0, 0, 0};
  for (const std::string& text : packets) {
    p.insert(p.end(), text.begin(), text.end());
    p.push_back(0);
  }
  return p;
}

TEST(LogDecode, EventPacketsTypedByKeyword) {
  struct Case {
    std::string text;
    bool kept;
    long code;
    int type;
    std::string errorCode;
  } cases[] = {
      {"Packet # 12 BugCheck at 4F Error: 9ABC more", true, 12, 3, "9ABC"},
      {"noise Packet # 7 Overtemp 71C", true, 7, 2, ""},
      {"Packet # 8 Event: 0302 Drive fault", true, 8, 9, ""},
      {"Packet # 9 Event: 77", true, 9, 1, "77"},  // code cut at the packet's end
      {"Packet # 10 Event:", true, 10, 1, ""},
      {"Packet #x bad", false, 0, 0, ""},
      {"Packet # 11", false, 0, 0, ""},  // no blank after the number
      {"no keyword here", false, 0, 0, ""},
  };
  for (const Case& c : cases) {
    const auto events = logpage::ScanEvents(EventPage({c.text}), 96);
    ASSERT_EQ(events.size(), c.kept ? 1u : 0u) << c.text;
    if (!c.kept) continue;
    EXPECT_EQ(events[0].code, c.code) << c.text;
    EXPECT_EQ(events[0].type, c.type) << c.text;
    EXPECT_EQ(events[0].errorCode, c.errorCode) << c.text;
  }
}

TEST(LogDecode, EventScanLimitsCountAndLength) {
  std::vector<std::string> many(120, "Packet # 1 Event: 0001 x");
  EXPECT_EQ(logpage::ScanEvents(EventPage(many), 96).size(), 96u);
  const std::string huge = "Packet # 3 " + std::string(600, 'A');
  const auto events = logpage::ScanEvents(EventPage({huge}), 96);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].text.size(), 255u);
  // The last packet need not end in a zero byte.
  std::vector<uint8_t> open = EventPage({"Packet # 4 Event: 1234 y"});
  open.pop_back();
  EXPECT_EQ(logpage::ScanEvents(open, 96).size(), 1u);
}

}  // namespace
