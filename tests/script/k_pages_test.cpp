// The log page decoder on small page images: what it keeps, what it refuses,
// and what it shows, with lengths that lie and pages cut short.
#include "facade/k_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A page image: code, length field, then the parameters as given.
Bytes Page(uint8_t code, uint16_t length, Bytes params) {
  Bytes b = {code, 0x00, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  b.insert(b.end(), params.begin(), params.end());
  return b;
}
Bytes Page(uint8_t code, Bytes params) { return Page(code, static_cast<uint16_t>(params.size()), params); }

// Parameters of each width, with distinct flag bits.
const Bytes kWidths = {
    0x00, 0x01, 0x03, 0x01, 0x7F,                                                     // 1 byte, LP and LBIN
    0x00, 0x02, 0x40, 0x02, 0x12, 0x34,                                               // 2 bytes, DS
    0x00, 0x03, 0x0C, 0x03, 0x01, 0x02, 0x03,                                         // 3 bytes, TMC = 3
    0x00, 0x04, 0x10, 0x04, 0xDE, 0xAD, 0xBE, 0xEF,                                   // 4 bytes, ETC
    0x00, 0x05, 0xA0, 0x06, 1,    2,    3,    4,    5, 6,                             // 6 bytes, TSD and DU
    0x00, 0x06, 0x00, 0x08, 0,    0,    0,    0,    0, 0, 0x04, 0xD2,                 // 8 bytes = 1234
    0x01, 0x00, 0x00, 0x0C, 1,    2,    3,    4,    5, 6, 7,    8,    9, 10, 11, 12,  // 12 bytes
};

TEST(KPagesTest, LoadKeepsWholeParametersOnlyAndChecksThePageCode) {
  struct Case {
    const char* what;
    int declared;
    Bytes image;
    int32_t result;
    size_t params;
  };
  const Case cases[] = {
      {"one word parameter", 0x0D, Page(0x0D, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20}), K_KPAGES_OK, 1},
      {"every width", 0x30, Page(0x30, kWidths), K_KPAGES_OK, 7},
      {"DS bit of byte 0 aside", 0x0D, Page(0x8D, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20}), K_KPAGES_OK, 1},
      {"length beyond what arrived", 0x0D, Page(0x0D, 0x0100, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20}), K_KPAGES_OK, 1},
      {"last value cut short", 0x0D,
       Page(0x0D, 0x0010, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20, 0x00, 0x01, 0x03, 0x08, 1}), K_KPAGES_OK, 1},
      {"value longer than the length field", 0x0D,
       Page(0x0D, 0x0006, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20, 0x00, 0x01, 0x03, 0x02, 0, 9}), K_KPAGES_OK, 1},
      {"parameter header cut short", 0x0D, Page(0x0D, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20, 0x00, 0x01}), K_KPAGES_OK,
       1},
      {"zero-length last parameter", 0x0D, Page(0x0D, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20, 0x00, 0x01, 0x03, 0x00}),
       K_KPAGES_OK, 2},
      {"no parameters", 0x0D, Page(0x0D, {}), K_KPAGES_OK, 0},
      {"informational exceptions", 0x2F, Page(0x2F, 8, {0x00, 0x00, 0x03, 0x03, 0x00, 0x00, 38, 38}), K_KPAGES_OK, 1},
      {"first byte 0x40", 0x00, Page(0x40, {0x00}), K_KPAGES_ILLEGAL_LOGPAGE_ID, 0},
      {"any parameter-list page", 22, Page(22, {0x00, 0x00, 0x03, 0x01, 0x00}), K_KPAGES_OK, 1},
      {"beyond six bits", 0x40, Page(0x40, {0x00, 0x00, 0x03, 0x01, 0x00}), K_KPAGES_ILLEGAL_LOGPAGE_ID, 0},
      {"event log is not this decoder's", 7, Page(7, {0x00, 0x00, 0x03, 0x01, 0x00}), K_KPAGES_ILLEGAL_LOGPAGE_ID, 0},
      {"reply of another page", 0x2E, Page(0x0D, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20}), K_KPAGES_ILLEGAL_LOGPAGE_ID, 0},
      {"shorter than a header", 0x0D, Bytes{0x0D, 0x00, 0x00}, K_KPAGES_ILLEGAL_LOGPAGE_ID, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    KPages page;
    EXPECT_EQ(page.Load(c.declared, c.image), c.result);
    EXPECT_EQ(page.ParameterCount(), c.params);
    EXPECT_EQ(page.IsLoaded(), c.params > 0);
  }
}

TEST(KPagesTest, FetchesByParameterCodeAndWidth) {
  KPages page;
  ASSERT_EQ(page.Load(0x30, Page(0x30, kWidths)), K_KPAGES_OK);

  uint8_t b = 0;
  uint16_t w = 0;
  uint32_t l = 0;
  double d = 0;
  EXPECT_EQ(page.FetchValue(0x0001, b), K_KPAGES_OK);
  EXPECT_EQ(b, 0x7F);
  EXPECT_EQ(page.FetchValue(0x0002, w), K_KPAGES_OK);
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(page.FetchValue(0x0003, l), K_KPAGES_OK);  // 24-bit counter
  EXPECT_EQ(l, 0x010203u);
  EXPECT_EQ(page.FetchValue(0x0004, l), K_KPAGES_OK);
  EXPECT_EQ(l, 0xDEADBEEFu);
  EXPECT_EQ(page.FetchValue(0x0006, d), K_KPAGES_OK);
  EXPECT_EQ(d, 1234.0);

  // The width must match the fetch.
  EXPECT_EQ(page.FetchValue(0x0002, b), K_KPAGES_FETCH_VALUE_BYTE_TYPE_ERROR);
  EXPECT_EQ(page.FetchValue(0x0001, w), K_KPAGES_FETCH_VALUE_WORD_TYPE_ERROR);
  EXPECT_EQ(page.FetchValue(0x0005, l), K_KPAGES_FETCH_VALUE_LONG_TYPE_ERROR);
  EXPECT_EQ(page.FetchValue(0x0004, d), K_KPAGES_FETCH_VALUE_DBL_TYPE_ERROR);
  EXPECT_EQ(page.FetchValue(0x0099, b), K_KPAGES_INVALID_ENTRY_ID_SPECIFIED);

  std::span<const uint8_t> v;
  EXPECT_EQ(page.FetchValue(0x0005, 6, v), K_KPAGES_OK);
  EXPECT_EQ(Bytes(v.begin(), v.end()), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(page.FetchValue(0x0005, 4, v), K_KPAGES_FETCH_VALUE_LENGTH_ERROR);

  // The buffer view holds the page's own big-endian bytes, to the page's end.
  ASSERT_EQ(page.FetchBuffer(0x0100, v), K_KPAGES_OK);
  EXPECT_EQ(Bytes(v.begin(), v.end()), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  ASSERT_EQ(page.FetchBuffer(0x0004, v), K_KPAGES_OK);
  EXPECT_EQ(v.size(), 4u + 4 + 6 + 4 + 8 + 4 + 12);
  EXPECT_EQ(v[0], 0xDE);
}

TEST(KPagesTest, FieldsAreTheControlFlags) {
  KPages page;
  ASSERT_EQ(page.Load(0x30, Page(0x30, kWidths)), K_KPAGES_OK);
  struct Case {
    uint16_t code;
    KPageField field;
    uint8_t value;
  };
  const Case cases[] = {
      {0x0001, KPageField::LP, 1},  {0x0001, KPageField::LBIN, 1}, {0x0002, KPageField::LP, 0},
      {0x0003, KPageField::TMC, 3}, {0x0004, KPageField::ETC, 1},  {0x0005, KPageField::TSD, 1},
      {0x0002, KPageField::DS, 1},  {0x0005, KPageField::DU, 1},   {0x0004, KPageField::DU, 0},
  };
  for (const Case& c : cases) {
    uint8_t v = 0xFF;
    EXPECT_EQ(page.FetchField(c.code, static_cast<int>(c.field), v), K_KPAGES_OK);
    EXPECT_EQ(v, c.value) << "code " << c.code << " field " << static_cast<int>(c.field);
  }
  uint8_t v = 0;
  EXPECT_EQ(page.FetchField(0x0001, 7, v), K_KPAGES_FETCH_FIELD_ILLEGAL_FIELD);
  EXPECT_EQ(page.FetchField(0x0001, -1, v), K_KPAGES_FETCH_FIELD_ILLEGAL_FIELD);
  EXPECT_EQ(page.FetchField(0x0042, 0, v), K_KPAGES_INVALID_ENTRY_ID_SPECIFIED);
}

TEST(KPagesTest, PageZeroListsPagesByIndexWithinWhatArrived) {
  KPages page;
  // The length claims eight codes; three arrived.
  ASSERT_EQ(page.Load(0, Page(0x00, 8, {0x00, 0x0D, 0x2E})), K_KPAGES_OK);
  EXPECT_TRUE(page.IsLoaded());
  EXPECT_EQ(page.ParameterCount(), 3u);
  uint8_t code = 0;
  EXPECT_EQ(page.PageAtIndex(1, code), K_KPAGES_OK);
  EXPECT_EQ(code, 0x0D);
  EXPECT_EQ(page.PageAtIndex(3, code), K_KPAGES_GET_PAGE_AT_INDEX_RANGE_ERROR);

  KPages other;
  ASSERT_EQ(other.Load(0x0D, Page(0x0D, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20})), K_KPAGES_OK);
  EXPECT_EQ(other.PageAtIndex(0, code), K_KPAGES_GET_PAGE_AT_INDEX_RANGE_ERROR);
}

TEST(KPagesTest, DisplayLinesShowHeaderFlagsAndValueByWidth) {
  KPages page;
  ASSERT_EQ(page.Load(0x30, Page(0x30, kWidths)), K_KPAGES_OK);
  const std::vector<std::string> expected = {
      "Page Code: 30H\tLength: 0040H / 64",
      "  Code : 0001H\tLP: 1  TMC: 0  ETC: 0  TSD: 0  DS: 0  DU: 0\tValue:  7FH",
      "  Code : 0002H\tLP: 0  TMC: 0  ETC: 0  TSD: 0  DS: 1  DU: 0\tValue:  1234H",
      "  Code : 0003H\tLP: 0  TMC: 3  ETC: 0  TSD: 0  DS: 0  DU: 0",
      "  Code : 0004H\tLP: 0  TMC: 0  ETC: 1  TSD: 0  DS: 0  DU: 0\tValue:  DEADBEEFH",
      "  Code : 0005H\tLP: 0  TMC: 0  ETC: 0  TSD: 1  DS: 0  DU: 1",
      "  Code : 0006H\tLP: 0  TMC: 0  ETC: 0  TSD: 0  DS: 0  DU: 0\tValue:  1.234000E+03",
      "  Code : 0100H\tLP: 0  TMC: 0  ETC: 0  TSD: 0  DS: 0  DU: 0"
      "\tValue:  01  02  03  04   05  06  07  08   09  0A  0B  0C",
  };
  EXPECT_EQ(page.DisplayLines(), expected);

  KPages zero;
  ASSERT_EQ(zero.Load(0, Page(0x00, {0x00, 0x0D, 0x2E})), K_KPAGES_OK);
  EXPECT_EQ(zero.DisplayLines(),
            (std::vector<std::string>{"Page Code: 00H\tLength: 0003H / 3", "Pages:  00H   0DH   2EH   "}));

  KPages failed;
  EXPECT_EQ(failed.Load(0x0D, Bytes{0x40, 0, 0, 0}), K_KPAGES_ILLEGAL_LOGPAGE_ID);
  EXPECT_TRUE(failed.DisplayLines().empty());
}

TEST(KPagesTest, AFailedLoadForgetsThePreviousPage) {
  KPages page;
  ASSERT_EQ(page.Load(0x0D, Page(0x0D, {0x00, 0x00, 0x03, 0x02, 0x00, 0x20})), K_KPAGES_OK);
  ASSERT_EQ(page.Load(0x0D, Bytes{0x2E, 0, 0, 0}), K_KPAGES_ILLEGAL_LOGPAGE_ID);
  uint16_t w = 0;
  EXPECT_FALSE(page.IsLoaded());
  EXPECT_EQ(page.FetchValue(0x0000, w), K_KPAGES_INVALID_ENTRY_ID_SPECIFIED);
}

}  // namespace
