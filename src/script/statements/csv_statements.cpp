// CSVFILE, LOADCSVFILE, UNLOADCSVFILE, GETCSVARG.
//
// A CSV file that cannot be opened is a status for the script (0xFF), never a
// run error: a script decides itself whether a missing file matters.
#include "script/core/error_fx.h"
#include "script/statements/csv_files.h"
#include "script/statements/data_statement_args.h"
#include "script/statements/data_statements.h"

using namespace data_args;

namespace {

// Codes of one index argument of GETCSVARG (a byte number or a byte variable).
struct IndexCodes {
  int32_t range;  // a number of another class
  int32_t parse;  // neither number nor variable
  int32_t vtype;  // a variable of another type
};
constexpr IndexCodes kKeyIndex = {K_GETCSVARG_KEY_INDEX_RANGE_ERROR, K_GETCSVARG_KEY_INDEX_PARSE_ERROR,
                                  K_GETCSVARG_KEY_INDEX_VTYPE_ERROR};
constexpr IndexCodes kArgIndex = {K_GETCSVARG_ARG_INDEX_RANGE_ERROR, K_GETCSVARG_ARG_INDEX_PARSE_ERROR,
                                  K_GETCSVARG_ARG_INDEX_VTYPE_ERROR};

int32_t ReadIndex(StatementContext& ctx, const std::string& word, const IndexCodes& codes, IntArg& out) {
  switch (ReadInt(ctx, word, kByteNumber, kByteVar, out)) {
    case IntResult::Ok:
      return 0;
    case IntResult::WrongNumber:
      return codes.range;
    case IntResult::WrongVariable:
      return codes.vtype;
    default:
      return codes.parse;
  }
}

// The status byte variable of LOADCSVFILE and GETCSVARG: 0, or the code.
int32_t ReadStatus(StatementContext& ctx, const std::string& word, int32_t unknown, int32_t wrongType, VARI_LL*& out) {
  bool wrong = false;
  out = ReadVariable(ctx, word, kByteVar, wrong);
  return out != nullptr ? 0 : wrong ? wrongType : unknown;
}

}  // namespace

// CSVFILE name
int _CsvFileDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  const std::string name = DeclaredName(ctx.Line());
  if (name.empty()) return ctx.Fail(K_CSVFILE_ADD_TO_LIST_ERROR);
  if (!ctx.Declarations().Get<CCsvFileLL>().Add(name, ctx.SourceFile(), ctx.SourceLine()))
    return ctx.Fail(K_CSVFILE_DUPLICATE_CSVFILE_TAG_SPECIFIED);
  return 0;
}

// LOADCSVFILE csv pathbuffer statusvar
int _LoadCsvFile(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Load : StatementData {
    CSVFILE_LINK* csv = nullptr;
    const KByteArray* path = nullptr;  // its text at each run
    VARI_LL* status = nullptr;
  };
  return CompileThenRun<Load>(
      ctx, stmt, K_LOADCSVFILE_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
      [&](Load& d) -> int32_t {
        const std::vector<std::string> words = Words(ctx.Line());
        if (words.size() != 3) return K_LOADCSVFILE_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        d.csv = ctx.Declarations().Get<CCsvFileLL>().Find(words[0]);
        if (d.csv == nullptr) return K_LOADCSVFILE_INVALID_CSVFILE_SPECIFIED;
        d.path = ctx.FindArray(words[1]);
        if (d.path == nullptr) return K_LOADCSVFILE_INVALID_FILENAME_BUFFER_SPECIFIED;
        return ReadStatus(ctx, words[2], K_LOADCSVFILE_INVALID_STATUS_VARIABLE_SPECIFIED,
                          K_LOADCSVFILE_INVALID_STATUS_BYTE_SPECIFIED, d.status);
      },
      [](Load& d) {
        d.status->SetUnsigned(d.csv->control.Load(std::string(TextOf(*d.path))));
        return 0;
      });
}

// UNLOADCSVFILE csv
int _UnloadCsvFile(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Unload : StatementData {
    CSVFILE_LINK* csv = nullptr;
  };
  return CompileThenRun<Unload>(
      ctx, stmt, K_UNLOADCSVFILE_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
      [&](Unload& d) -> int32_t {
        const std::vector<std::string> words = Words(ctx.Line());
        if (words.size() != 1) return K_UNLOADCSVFILE_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        d.csv = ctx.Declarations().Get<CCsvFileLL>().Find(words[0]);
        return d.csv == nullptr ? K_UNLOADCSVFILE_INVALID_CSVFILE_SPECIFIED : 0;
      },
      [](Unload& d) {
        d.csv->control.Unload();
        return 0;
      });
}

// GETCSVARG csv keybuffer keyindex argindex resultbuffer statusvar
int _GetCsvArg(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Lookup : StatementData {
    const CSVFILE_LINK* csv = nullptr;
    const KByteArray* key = nullptr;
    IntArg keyIndex;
    IntArg argIndex;
    KByteArray* result = nullptr;
    VARI_LL* status = nullptr;
  };
  return CompileThenRun<Lookup>(
      ctx, stmt, K_GETCSVARG_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
      [&](Lookup& d) -> int32_t {
        const std::vector<std::string> words = Words(ctx.Line());
        if (words.size() != 6) return K_GETCSVARG_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        d.csv = ctx.Declarations().Get<CCsvFileLL>().Find(words[0]);
        if (d.csv == nullptr) return K_GETCSVARG_INVALID_CSVFILE_SPECIFIED;
        d.key = ctx.FindArray(words[1]);
        if (d.key == nullptr) return K_GETCSVARG_INVALID_KEY_BUFFER_SPECIFIED;
        if (const int32_t code = ReadIndex(ctx, words[2], kKeyIndex, d.keyIndex)) return code;
        if (const int32_t code = ReadIndex(ctx, words[3], kArgIndex, d.argIndex)) return code;
        d.result = ctx.FindArray(words[4]);
        if (d.result == nullptr) return K_GETCSVARG_INVALID_RETURN_BUFFER_SPECIFIED;
        return ReadStatus(ctx, words[5], K_GETCSVARG_INVALID_STATUS_ERROR, K_GETCSVARG_STATUS_VTYPE_ERROR, d.status);
      },
      [](Lookup& d) {
        std::string_view value;
        const uint8_t found = d.csv->control.Lookup(TextOf(*d.key), d.keyIndex.Value(), d.argIndex.Value(), value);
        if (found == kCsvOk) PutText(*d.result, value);  // cut to the buffer's size
        d.status->SetUnsigned(found);
        return 0;
      });
}
