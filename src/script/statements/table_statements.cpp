// TABLE, TENTRY, GETTABLEENTRY, TESTTIMETABLE, TESTTIMEENTRY, GETTESTTIME.
#include "script/core/error_fx.h"
#include "script/statements/data_statement_args.h"
#include "script/statements/data_statements.h"
#include "script/statements/tables.h"
#include "script/statements/test_time_tables.h"

using namespace data_args;

namespace {

struct TableCode {
  TableResult result;
  int32_t code;
};
constexpr TableCode kTentryCodes[] = {
    {TableResult::ParseError, K_TENTRY_PARSING_ERROR},
    {TableResult::WrongArgCount, K_TENTRY_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
    {TableResult::UnknownTable, K_TENTRY_INVALID_TABLE_SPECIFIED},
    {TableResult::BadCatalog, K_TENTRY_INVALID_CATALOG_VALUE_SPECIFIED},
    {TableResult::BadValue, K_TENTRY_INVALID_VALUE_SPECIFIED},
    {TableResult::Duplicate, K_TABLE_DUPLICATE_ENTRY_DETECTED},
};

struct TestTimeCode {
  TestTimeResult result;
  int32_t code;
};
constexpr TestTimeCode kTestTimeEntryCodes[] = {
    {TestTimeResult::ParseError, K_TTTENTRY_PARSING_ERROR},
    {TestTimeResult::WrongArgCount, K_TTTENTRY_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
    {TestTimeResult::BadHours, K_TTTENTRY_INVALID_HOUR_VALUE_SPECIFIED},
    {TestTimeResult::BadMinutes, K_TTTENTRY_INVALID_MINUTE_VALUE_SPECIFIED},
    {TestTimeResult::BadSeconds, K_TTTENTRY_INVALID_SECOND_VALUE_SPECIFIED},
};

// A byte variable of a TESTTIMEENTRY or GETTESTTIME line.
VARI_LL* ByteVariable(StatementContext& ctx, const std::string& name) {
  bool wrongType = false;
  return ReadVariable(ctx, name, kByteVar, wrongType);
}

}  // namespace

// TABLE name
int _TableDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  const std::string name = DeclaredName(ctx.Line());
  if (name.empty()) return ctx.Fail(K_TABLE_TABLE_INVALID_TAG_DETECTED);
  if (ctx.Declarations().Get<K_TableLL>().AddTable(name, ctx.SourceFile(), ctx.SourceLine()) != TableResult::Ok)
    return ctx.Fail(K_TABLE_DUPLICATE_TABLE_DETECTED);
  return 0;
}

// TENTRY(table, catalog, value, "text");
int _TableEntryDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  const TableResult rc = ctx.Declarations().Get<K_TableLL>().AddEntry(ctx.Line(), ctx.SourceFile(), ctx.SourceLine());
  for (const TableCode& row : kTentryCodes)
    if (row.result == rc) return ctx.Fail(row.code);
  return 0;
}

// GETTABLEENTRY table longvar key buffer
int _GetTableEntry(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Entry : StatementData {
    const TABLE_LINK* table = nullptr;
    VARI_LL* catalog = nullptr;
    IntArg key;
    KByteArray* buffer = nullptr;
  };
  return CompileThenRun<Entry>(
      ctx, stmt, K_GET_TENTRY_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
      [&](Entry& d) -> int32_t {
        const std::vector<std::string> words = Words(ctx.Line());
        if (words.size() != 4) return K_GET_TENTRY_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        d.table = ctx.Declarations().Get<K_TableLL>().Find(words[0]);
        if (d.table == nullptr) return K_GET_TENTRY_INVALID_TABLE_SPECIFIED;
        bool wrongType = false;
        d.catalog = ReadVariable(ctx, words[1], kLongVar, wrongType);
        if (d.catalog == nullptr) return K_GET_TENTRY_INVALID_V1_SPECIFIED;
        if (ReadInt(ctx, words[2], kIntegerNumbers, kLongVar, d.key) != IntResult::Ok)
          return K_GET_TENTRY_INVALID_V2_SPECIFIED;
        d.buffer = ctx.FindArray(words[3]);
        return d.buffer == nullptr ? K_GET_TENTRY_INVALID_BUFFER_SPECIFIED : 0;
      },
      [&](Entry& d) {
        const TABLE_ENTRY* entry = d.table->Find(d.key.Value());
        if (entry == nullptr) return ctx.Fail(K_GET_TENTRY_ERROR);
        d.catalog->SetUnsigned(entry->catalog);
        PutText(*d.buffer, entry->text);  // cut to the buffer's size
        return 0;
      });
}

// TESTTIMETABLE name
int _TestTimeTableDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  const std::string name = DeclaredName(ctx.Line());
  if (name.empty()) return ctx.Fail(K_TTTABLE_TABLE_INVALID_TAG_DETECTED);
  if (ctx.Declarations().Get<K_TestTimeTableLL>().AddTable(name, ctx.SourceFile(), ctx.SourceLine()) !=
      TestTimeResult::Ok)
    return ctx.Fail(K_TTTABLE_DUPLICATE_TABLE_DETECTED);
  return 0;
}

// TESTTIMEENTRY(table, testidvar, drivetypevar, hours, minutes, seconds);
int _TestTimeEntryDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  TestTimeEntryLine line;
  const TestTimeResult rc = ParseTestTimeEntry(ctx.Line(), line);
  for (const TestTimeCode& row : kTestTimeEntryCodes)
    if (row.result == rc) return ctx.Fail(row.code);
  TTTABLE_LINK* table = ctx.Declarations().Get<K_TestTimeTableLL>().Find(line.table);
  if (table == nullptr) return ctx.Fail(K_TTTENTRY_INVALID_TABLE_SPECIFIED);
  // The variables' values as they stand when the line is read.
  const VARI_LL* testId = ByteVariable(ctx, line.testIdVariable);
  if (testId == nullptr) return ctx.Fail(K_TTENTRY_UNKNOWN_TESTID_VARIABLE);
  const VARI_LL* driveType = ByteVariable(ctx, line.driveTypeVariable);
  if (driveType == nullptr) return ctx.Fail(K_TTENTRY_UNKNOWN_DRIVETYPE_VARIABLE);
  table->entries.push_back(TTTABLE_ENTRY{testId->bValue, driveType->bValue, line.hours, line.minutes, line.seconds,
                                         ctx.SourceFile(), ctx.SourceLine()});
  return 0;
}

// GETTESTTIME table testidvar drivetypevar hourvar minutevar secondvar
int _GetTestTime(StatementContext& ctx, TEXT_LINK& stmt) {
  static constexpr int32_t kVariableCodes[] = {
      K_GET_TTENTRY_UNKNOWN_TESTID_VARIABLE, K_GET_TTENTRY_UNKNOWN_DRIVETYPE_VARIABLE,
      K_GET_TTENTRY_UNKNOWN_HOUR_VARIABLE,   K_GET_TTENTRY_UNKNOWN_MINUTE_VARIABLE,
      K_GET_TTENTRY_UNKNOWN_SECOND_VARIABLE,
  };
  struct TestTime : StatementData {
    const TTTABLE_LINK* table = nullptr;
    VARI_LL* vars[5] = {};
  };
  auto lookUp = [](TestTime& d) {
    const TTTABLE_ENTRY* entry = d.table->Find(d.vars[0]->bValue, d.vars[1]->bValue);
    d.vars[2]->SetUnsigned(entry != nullptr ? entry->hours : 0xFF);
    d.vars[3]->SetUnsigned(entry != nullptr ? entry->minutes : 0xFF);
    d.vars[4]->SetUnsigned(entry != nullptr ? entry->seconds : 0xFF);
    return 0;
  };
  return CompileThenRun<TestTime>(
      ctx, stmt, K_GET_TTTENTRY_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
      [&](TestTime& d) -> int32_t {
        const std::vector<std::string> words = Words(ctx.Line());
        if (words.size() != 6) return K_GET_TTTENTRY_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        d.table = ctx.Declarations().Get<K_TestTimeTableLL>().Find(words[0]);
        if (d.table == nullptr) return K_GET_TTTENTRY_INVALID_TABLE_SPECIFIED;
        for (size_t i = 0; i < 5; ++i) {
          d.vars[i] = ByteVariable(ctx, words[i + 1]);
          if (d.vars[i] == nullptr) return kVariableCodes[i];
        }
        // Both passes: the compile pass leaves the durations in the variables too.
        return lookUp(d);
      },
      lookUp);
}
