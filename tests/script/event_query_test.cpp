// Event queries on the text fixture: which packets each query type finds,
// the limit and time window, the hit list's order, lines and values.
#include "script/statements/event_query.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

KLogPage7 LoadText(const std::string& text) {
  KLogPage7 log;
  EXPECT_EQ(log.Load(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size())), KPG7_OK);
  return log;
}

const KLogPage7& Fixture() {
  static const KLogPage7 log = [] {
    std::ifstream in(std::string(VEXIL_TEST_DATA) + "/event_log.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return LoadText(s.str());
  }();
  return log;
}

KTRAP_Controll Query(QUERY_TYPE type, uint32_t id = 0, QUERY_OP op = QOP_GT, uint16_t limit = 0) {
  KTRAP_Controll q;
  q.type = type;
  q.id_low = id;
  q.op = op;
  q.limit = limit;
  return q;
}
KTRAP_Controll Range(QUERY_TYPE type, uint32_t low, uint32_t high) {
  KTRAP_Controll q = Query(type, low);
  q.id_high = high;
  q.range = 1;
  return q;
}
KTRAP_Controll Within(KTRAP_Controll q, uint32_t hours, uint32_t current) {
  q.within = true;
  q.within_hours = hours;
  q.current_poh = current;
  return q;
}
KTRAP_Controll Sense(QUERY_TYPE type, uint8_t sk, int asc, int ascq) {
  KTRAP_Controll q = Query(type);
  q.has_sense = true;
  q.key = sk;
  q.asc = static_cast<uint8_t>(asc < 0 ? 0 : asc);
  q.asc_any = asc < 0;
  q.ascq = static_cast<uint8_t>(ascq < 0 ? 0 : ascq);
  q.ascq_any = ascq < 0;
  return q;
}
constexpr int XX = -1;

TEST(EventQueryTest, QueriesOnTheFixture) {
  struct Case {
    const char* what;
    KTRAP_Controll q;
    size_t hits;
    bool holds;
  };
  const Case cases[] = {
      {"event code, more than two", Query(QUERY_EVENT, 0x4A21, QOP_GT, 2), 3, true},
      {"within 24 hours of 1000", Within(Query(QUERY_EVENT, 0x4A21, QOP_GT, 2), 24, 1000), 2, false},
      {"window wider than the hours", Within(Query(QUERY_EVENT, 0x4A21, QOP_EQ, 3), 5000, 1000), 3, true},
      {"window ending at hour 0", Within(Query(QUERY_EVENT, 0x4A21, QOP_EQ, 3), 1000, 1000), 3, true},
      {"every event", Query(QUERY_EVENT, kQueryAnyId, QOP_EQ, 4), 4, true},
      {"eight-digit code", Query(QUERY_EVENT, 0xB00F, QOP_EQ, 1), 1, true},
      {"code range", Range(QUERY_EVENT, 0x4000, 0x5000), 3, true},
      {"range missing the codes", Range(QUERY_EVENT, 0x1000, 0x2000), 0, false},
      {"bug check", Query(QUERY_BUGCHECK, 0x1A2B, QOP_EQ, 1), 1, true},
      {"other bug check", Query(QUERY_BUGCHECK, 0x1A2C, QOP_LT, 1), 0, true},
      {"scsi triple", Sense(QUERY_SCSI, 3, 0x11, 0), 1, true},
      {"scsi any ASC", Sense(QUERY_SCSI, 4, XX, XX), 1, true},
      {"scsi ASC any ASCQ", Sense(QUERY_SCSI, 3, 0x11, XX), 1, true},
      {"scsi wrong key", Sense(QUERY_SCSI, 5, XX, XX), 0, false},
      {"sense packets have no parser", Sense(QUERY_SENSE, 3, 0x11, 0), 0, false},
      {"overtemp", Query(QUERY_OVERTEMP, 0, QOP_GE, 1), 1, true},
      {"post", Query(QUERY_POST, 0, QOP_NE, 0), 1, true},
      {"cup has no parser", Query(QUERY_CUP, 0, QOP_LE, 0), 0, true},
      {"any", Query(QUERY_EVENT, 0x9999, QOP_ANY), 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CSearchEngine engine;
    EXPECT_EQ(engine.Search(Fixture(), c.q), SEARCH_OK);
    EXPECT_EQ(engine.Count(), c.hits);
    EXPECT_EQ(engine.Holds(c.q), c.holds);
  }
}

TEST(EventQueryTest, SearchFailures) {
  CSearchEngine engine;
  ASSERT_EQ(engine.Search(Fixture(), Query(QUERY_EVENT, kQueryAnyId)), SEARCH_OK);
  EXPECT_EQ(engine.Search(KLogPage7(), Query(QUERY_EVENT, kQueryAnyId)), SEARCH_ENGINE_DETECTED_NO_TEXT_FOR_LP7);
  EXPECT_EQ(engine.Count(), 0u);
  // A cleared drive's log is loaded and empty: no hits, no error.
  EXPECT_EQ(engine.Search(LoadText(""), Query(QUERY_EVENT, kQueryAnyId)), SEARCH_OK);

  ASSERT_EQ(engine.Search(Fixture(), Query(QUERY_EVENT, kQueryAnyId)), SEARCH_OK);
  const KLogPage7 cut =
      LoadText("Packet # 1 - EVENT: 4A21 POH/PC= 5/1\r\nPacket # 2 - BUGCHECK: 1A2B [X 01-JAN-2026]\r\n");
  EXPECT_EQ(engine.Search(cut, Query(QUERY_BUGCHECK, 0x1A2B)), SEARCH_ENGINE_DETECTED_UNEXPECTED_EOL_FOR_BUGCHK);
  EXPECT_EQ(engine.Count(), 0u);
}

TEST(EventQueryTest, HitsListNewestFirstAndPrint) {
  CSearchEngine engine;
  ASSERT_EQ(engine.Search(Fixture(), Query(QUERY_EVENT, 0x4A21)), SEARCH_OK);
  const std::vector<std::string> lines = {
      "(000 * 01)[   990.000] Packet # 4 - EVENT: 4A21  [CLEAN 03-04-2026]  011:00:0.000  POH/PC= 990/41",
      "(001 * 01)[   980.000] Packet # 3 - EVENT: 4A21  [CLEAN 03-03-2026]  010:15:30.500  POH/PC= 980/40",
      "(002 * 01)[   960.000] Packet # 5 - EVENT: 4A21  [CLEAN 03-05-2026]  012:00:0.000  POH/PC= 960/39",
  };
  EXPECT_EQ(engine.PrintLines(), lines);

  ASSERT_EQ(engine.Search(Fixture(), Sense(QUERY_SCSI, 3, XX, XX)), SEARCH_OK);
  EXPECT_EQ(engine.PrintLines(),
            std::vector<std::string>{"(000 * 01)[    70.000] Packet # 2 - SCSI   : 03 11 00 : 0000  "
                                     "[ 00-00-0000]  000:00:0.000  POH/PC= 70/4"});
  ASSERT_EQ(engine.Search(Fixture(), Query(QUERY_BUGCHECK, 0x1A2B)), SEARCH_OK);
  EXPECT_EQ(engine.PrintLines(), std::vector<std::string>{"(000 * 01)[   997.000] Packet # 7 - BUGCHK: 1A2B  "
                                                          "[SERVO 06-06-2026]  013:00:7.250  POH/PC= 997/42"});

  ASSERT_EQ(engine.Search(Fixture(), Query(QUERY_EVENT, 0x7777)), SEARCH_OK);
  EXPECT_EQ(engine.PrintLines(), std::vector<std::string>{"*** No Hits In List ***"});

  // Equal hours keep the log's order; a long tag is cut.
  const KLogPage7 ties = LoadText(
      "Packet # 1 - EVENT: 0101 [FIRST 01-JAN-2026] 00:00:00.0 POH/PC= 50/1\r\n"
      "Packet # 2 - EVENT: 0102 [A_TAG_FAR_LONGER_THAN_THIRTY_ONE_CHARACTERS 01-XYZ-2026] 00:00:00.0 POH/PC= 70/1\r\n"
      "Packet # 3 - EVENT: 0103 [THIRD 01-JAN-2026] 00:00:00.0 POH/PC= 50/1\r\n");
  ASSERT_EQ(engine.Search(ties, Query(QUERY_EVENT, kQueryAnyId)), SEARCH_OK);
  ASSERT_EQ(engine.Count(), 3u);
  EXPECT_EQ(engine.Hits()[0].packet_number, 2u);
  EXPECT_EQ(engine.Hits()[0].tag, "A_TAG_FAR_LONGER_THAN_THIRTY_ON");
  EXPECT_EQ(engine.Hits()[0].month, 12);  // unknown month
  EXPECT_EQ(engine.Hits()[1].packet_number, 1u);
  EXPECT_EQ(engine.Hits()[2].packet_number, 3u);
}

TEST(EventQueryTest, FilterAndRemoveEditTheList) {
  CSearchEngine engine;
  ASSERT_EQ(engine.Search(Fixture(), Query(QUERY_EVENT, kQueryAnyId)), SEARCH_OK);  // 995 990 980 960
  engine.FilterTime(20, 1000);
  ASSERT_EQ(engine.Count(), 3u);
  engine.FilterTime(2000, 1000);  // reaches back past hour 0
  EXPECT_EQ(engine.Count(), 3u);
  EXPECT_TRUE(engine.Remove(0));
  EXPECT_EQ(engine.Hits()[0].poh, 990u);
  EXPECT_FALSE(engine.Remove(2));
  EXPECT_EQ(engine.Count(), 2u);
}

TEST(EventQueryTest, GetValueSumsMaskedWordsOfThePacketBody) {
  CSearchEngine engine;
  uint32_t sum = 0;
  EXPECT_EQ(engine.GetValue(Fixture(), 0, {{0, 0xFFFFFFFF, false, 0}}, sum), PG7_GETVALUE_NO_EMPTY_LIST_ERROR);
  ASSERT_EQ(engine.Search(Fixture(), Query(QUERY_BUGCHECK, 0x1A2B)), SEARCH_OK);
  struct Case {
    const char* what;
    std::vector<GetValueTerm> terms;
    int32_t result;
    uint32_t sum;
  };
  const Case cases[] = {
      {"one word", {{2, 0xFFFFFFFF, false, 0}}, SEARCH_OK, 0xDEADBEEF},
      {"masked, shifted, summed",
       {{2, 0xFFFF0000, false, 16}, {0, 0x000000FF, false, 0}, {3, 0x1, true, 4}},
       SEARCH_OK,
       0xDEAD + 0x12 + 0x10},
      {"not an 8-digit word", {{4, 0xFFFFFFFF, false, 0}}, PG7_GETVALUE_INVALID_LONG_VALUE_FIELD_DETECTED, 0},
      {"next packet first", {{5, 0xFFFFFFFF, false, 0}}, PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sum = 0;
    EXPECT_EQ(engine.GetValue(Fixture(), 0, c.terms, sum), c.result);
    EXPECT_EQ(sum, c.sum);
  }
  EXPECT_EQ(engine.GetValue(Fixture(), 1, {{0, 0xFFFFFFFF, false, 0}}, sum), PG7_GETVALUE_IDX_OUT_OF_RANGE_ERROR);

  const KLogPage7 last = LoadText(
      "Packet # 1 - OVERTEMP: 5 POH/PC= 2/1\r\n"
      "Packet # 2 - OVERTEMP: 6 POH/PC= 1/1\r\n00000001 00000002\r\n");
  ASSERT_EQ(engine.Search(last, Query(QUERY_OVERTEMP)), SEARCH_OK);
  EXPECT_EQ(engine.GetValue(last, 0, {{0, 0xFFFFFFFF, false, 0}}, sum), PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR1);
  EXPECT_EQ(engine.GetValue(last, 1, {{2, 0xFFFFFFFF, false, 0}}, sum), PG7_GETVALUE_UNEXPECTED_END_OF_PACKET_ERROR3);
  EXPECT_EQ(engine.GetValue(last, 1, {{1, 0xFFFFFFFF, false, 0}}, sum), SEARCH_OK);
  EXPECT_EQ(sum, 2u);
}

TEST(EventQueryTest, DeltaFilteredPacketsAreNotSearched) {
  const std::string before = "Packet # 1 - EVENT: 4A21 [A 01-JAN-2026] 00:00:00.0 POH/PC= 5/1\r\n";
  const KLogPage7 a = LoadText(before);
  KLogPage7 b = LoadText(before + "Packet # 2 - EVENT: 4A21 [A 01-JAN-2026] 00:00:00.0 POH/PC= 6/1\r\n");
  b.DeltaFilter(a);
  CSearchEngine engine;
  ASSERT_EQ(engine.Search(b, Query(QUERY_EVENT, 0x4A21)), SEARCH_OK);
  ASSERT_EQ(engine.Count(), 1u);
  EXPECT_EQ(engine.Hits()[0].packet_number, 2u);
}

TEST(EventQueryTest, TypeNames) {
  EXPECT_EQ(QueryTypeFromName("bugcheck"), QUERY_BUGCHECK);
  EXPECT_EQ(QueryTypeFromName("DIAG_4_CHN_READ"), QUERY_DIAG_4_CHN_READ);
  EXPECT_EQ(QueryTypeFromName("Post"), QUERY_POST);
  EXPECT_EQ(QueryTypeFromName("PO/ST"), QUERY_NONE);
}

}  // namespace
