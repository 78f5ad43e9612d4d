// Value tables, test-time tables, CSV field rules and lookups, remarks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/statements/csv_files.h"
#include "script/statements/remarks.h"
#include "script/statements/tables.h"
#include "script/statements/test_time_tables.h"

namespace {

// ---- value tables ----

TEST(Tables, TentryLinesAreParsedOrRefused) {
  struct Case {
    const char* line;
    TableResult result;
    uint32_t catalog;
    uint32_t value;
    const char* text;
  };
  const Case cases[] = {
      {R"(TENTRY(T, 1, 0x0201, "Two words"); )", TableResult::Ok, 1, 0x201, "Two words"},
      {R"(TENTRY (T,0x00000010,70000,"a\nb\tc");)", TableResult::Ok, 16, 70000, "a\r\nb\tc"},
      {R"(TENTRY(T, 1, 2, "");)", TableResult::Ok, 1, 2, ""},
      {R"(TENTRY(T, 1, 2, "see //x"); // why)", TableResult::Ok, 1, 2, "see //x"},
      {R"(TENTRY(T, 1, 2);)", TableResult::WrongArgCount, 0, 0, ""},
      {R"(TENTRY(T, 1, 2, "x", 3);)", TableResult::WrongArgCount, 0, 0, ""},
      {R"(TENTRY(T, 1, 2, "x";))", TableResult::ParseError, 0, 0, ""},
      {R"(TENTRY(T, X, 2, "x");)", TableResult::BadCatalog, 0, 0, ""},
      {R"(TENTRY(T, 1.5, 2, "x");)", TableResult::BadCatalog, 0, 0, ""},
      {R"(TENTRY(T, 1, 99999999999, "x");)", TableResult::BadValue, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TableEntryLine out;
    ASSERT_EQ(ParseTableEntry(c.line, out), c.result);
    if (c.result != TableResult::Ok) continue;
    EXPECT_EQ(out.table, "T");
    EXPECT_EQ(out.catalog, c.catalog);
    EXPECT_EQ(out.value, c.value);
    EXPECT_EQ(out.text, c.text);
  }
}

TEST(Tables, DuplicateRulesAndLookups) {
  K_TableLL tables;
  EXPECT_EQ(tables.AddTable("Codes", 0, 1), TableResult::Ok);
  EXPECT_EQ(tables.AddTable("Other", 0, 2), TableResult::Ok);
  EXPECT_EQ(tables.AddTable("Codes", 0, 3), TableResult::Duplicate);
  EXPECT_EQ(tables.AddTable("  ", 0, 3), TableResult::NoName);
  EXPECT_EQ(tables.AddEntry(R"(TENTRY(Codes, 7, 5, "five");)", 0, 4), TableResult::Ok);
  EXPECT_EQ(tables.AddEntry(R"(TENTRY(Codes, 8, 5, "again");)", 0, 5), TableResult::Duplicate);
  EXPECT_EQ(tables.AddEntry(R"(TENTRY(Other, 9, 5, "same value, other table");)", 0, 6), TableResult::Ok);
  EXPECT_EQ(tables.AddEntry(R"(TENTRY(codes, 1, 6, "names are case-sensitive");)", 0, 7), TableResult::UnknownTable);

  const TABLE_LINK* codes = tables.Find("Codes");
  ASSERT_NE(codes, nullptr);
  ASSERT_EQ(codes->entries.size(), 1u);
  const TABLE_ENTRY* five = codes->Find(5);
  ASSERT_NE(five, nullptr);
  EXPECT_EQ(five->catalog, 7u);
  EXPECT_EQ(five->text, "five");
  EXPECT_EQ(codes->Find(6), nullptr);
  EXPECT_EQ(tables.Find("Other")->Find(5)->catalog, 9u);
}

// ---- test-time tables ----

TEST(TestTimeTables, EntriesParseAndTheFirstMatchWins) {
  TestTimeEntryLine e;
  ASSERT_EQ(ParseTestTimeEntry("TESTTIMEENTRY(TT, TEST, DRIVE, 1, 30, 0x05);", e), TestTimeResult::Ok);
  EXPECT_EQ(e.table, "TT");
  EXPECT_EQ(e.testIdVariable, "TEST");
  EXPECT_EQ(e.driveTypeVariable, "DRIVE");
  EXPECT_EQ(e.hours, 1u);
  EXPECT_EQ(e.minutes, 30u);
  EXPECT_EQ(e.seconds, 5u);

  struct Bad {
    const char* line;
    TestTimeResult result;
  };
  const Bad bad[] = {
      {"TESTTIMEENTRY(TT, TEST, DRIVE, 1, 30);", TestTimeResult::WrongArgCount},
      {"TESTTIMEENTRY(TT, TEST, DRIVE, 256, 30, 5);", TestTimeResult::BadHours},
      {"TESTTIMEENTRY(TT, TEST, DRIVE, 1, M, 5);", TestTimeResult::BadMinutes},
      {"TESTTIMEENTRY(TT, TEST, DRIVE, 1, 2, 0x0100);", TestTimeResult::BadSeconds},
      {"TESTTIMEENTRY(TT, TEST, DRIVE, 1, 2 3 4);", TestTimeResult::ParseError},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.line);
    EXPECT_EQ(ParseTestTimeEntry(b.line, e), b.result);
  }

  K_TestTimeTableLL tables;
  ASSERT_EQ(tables.AddTable("TT", 0, 1), TestTimeResult::Ok);
  EXPECT_EQ(tables.AddTable("TT", 0, 2), TestTimeResult::Duplicate);
  TTTABLE_LINK* tt = tables.Find("TT");
  tt->entries.push_back({3, 7, 1, 2, 3, 0, 3});
  tt->entries.push_back({3, 7, 9, 9, 9, 0, 4});  // not refused, never found
  ASSERT_NE(tt->Find(3, 7), nullptr);
  EXPECT_EQ(tt->Find(3, 7)->hours, 1u);
  EXPECT_EQ(tt->Find(7, 3), nullptr);
}

// ---- CSV ----

TEST(Csv, FieldRules) {
  struct Case {
    const char* line;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {R"(A, "b c" ,,d)", {"A", "b c", "", "d"}},
      {"  one  ", {"one"}},
      {"", {""}},
      {"a,", {"a", ""}},
      {",", {"", ""}},
      {R"("x, y")", {"x", "y"}},  // every comma splits, quoted or not
      {"tab\t,\tsep\r", {"tab", "sep"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(SplitCsvLine(c.line), c.fields);
  }
}

TEST(Csv, LookupsInAFile) {
  CCsvFileControl csv;
  ASSERT_EQ(csv.Load(VEXIL_TEST_DATA "/codes.csv"), kCsvOk);
  struct Case {
    const char* key;
    size_t keyIndex;
    size_t argIndex;
    uint8_t status;
    const char* value;
  };
  const Case cases[] = {
      {"key1", 0, 1, kCsvOk, "one"},  // first matching line wins
      {"key1", 0, 2, kCsvOk, "two"},
      {"key2", 0, 1, kCsvOk, "quoted"},  // trimmed, comma inside the quotes splits
      {"key2", 0, 3, kCsvOk, "last"},
      {"b c", 1, 3, kCsvOk, "d"},  // key in another column, quotes blanked
      {"", 2, 0, kCsvOk, "A"},     // an empty field is a field
      {"dup", 0, 1, kCsvOk, "first"},
      {"key1", 0, 3, kCsvFieldMissing, "unchanged"},
      {"KEY1", 0, 1, kCsvKeyNotFound, "unchanged"},
      {"key1", 9, 0, kCsvKeyNotFound, "unchanged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    std::string_view value = "unchanged";
    EXPECT_EQ(csv.Lookup(c.key, c.keyIndex, c.argIndex, value), c.status);
    EXPECT_EQ(value, c.value);
  }
}

TEST(Csv, LoadFailuresLeaveNothingLoaded) {
  CCsvFileControl csv;
  ASSERT_EQ(csv.LoadText("a,b\n"), kCsvOk);
  EXPECT_EQ(csv.Load("/nonexistent/file.csv"), kCsvCannotOpen);
  EXPECT_TRUE(csv.Lines().empty());
  EXPECT_EQ(csv.Load(VEXIL_TEST_DATA), kCsvCannotOpen);  // a folder

  ASSERT_EQ(csv.LoadText("a,b\n"), kCsvOk);
  const std::string longLine(CCsvFileControl::kMaxLine + 1, 'x');
  EXPECT_EQ(csv.LoadText("k,v\n" + longLine + "\n"), kCsvLineTooLong);
  EXPECT_TRUE(csv.Lines().empty());
  EXPECT_EQ(csv.LoadText("k,v\n" + std::string(CCsvFileControl::kMaxLine, 'x')), kCsvOk);
  EXPECT_EQ(csv.Lines().size(), 2u);
}

// ---- remarks ----

// Feeds the lines of a multi-line remark.
RemarkLineReader Lines(std::vector<std::string>& lines) {
  return [&lines](std::string& line) {
    if (lines.empty()) return false;
    line = lines.front();
    lines.erase(lines.begin());
    return true;
  };
}

TEST(Remarks, FormsAndErrors) {
  struct Case {
    const char* first;
    std::vector<std::string> more;
    RemarkResult result;
    const char* text;
  };
  const Case cases[] = {
      {R"( ("one line");)", {}, RemarkResult::Ok, "one line"},
      {R"(("one line") ; // note)", {}, RemarkResult::Ok, "one line"},
      {R"(("first")", {R"(  , "second"  // why)", R"(, "third");)"}, RemarkResult::Ok, "first\r\nsecond\r\nthird"},
      {R"(("first")", {R"(, "second")", "", ");"}, RemarkResult::Ok, "first\r\nsecond"},
      {R"("no paren");)", {}, RemarkResult::MissingLeftParen, ""},
      {R"(("no right";)", {}, RemarkResult::MissingRightParen, ""},
      {R"((no quote);)", {}, RemarkResult::MissingQuote, ""},
      {R"(("first")", {R"(, "second")"}, RemarkResult::UnexpectedEof, ""},
      {R"(("first")", {R"("no comma")"}, RemarkResult::MissingParen, ""},
      {R"(("first")", {R"(, "last";)"}, RemarkResult::MissingRightParen, ""},
      {R"(("first")", {R"(, unquoted)"}, RemarkResult::MissingQuote, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    std::vector<std::string> more = c.more;
    std::string text;
    ASSERT_EQ(ParseRemark(c.first, Lines(more), text), c.result);
    if (c.result == RemarkResult::Ok) {
      EXPECT_EQ(text, c.text);
    }
  }
}

TEST(Remarks, LookupGivesTheTextOnlyWhenItFits) {
  K_Remarks remarks;
  remarks.Add("Start", "12345", 0, 1);
  char buffer[6] = "xxxxx";
  EXPECT_FALSE(remarks.Find("Start", buffer, 5));
  EXPECT_STREQ(buffer, "xxxxx");
  EXPECT_TRUE(remarks.Find("Start", buffer, 6));
  EXPECT_STREQ(buffer, "12345");
  EXPECT_FALSE(remarks.Find("start", buffer, 6));
}

}  // namespace
