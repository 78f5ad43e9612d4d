// FILE, OPENFILE, CLOSEFILE, FREAD, FGETS, FWRITE, FSEEK, ERASEFILE, COMPRESSFILE.
// Paths are taken as written, relative to the console's working folder.
#include <unistd.h>

#include <cstdio>

#include "base/text_util.h"
#include "script/core/error_fx.h"
#include "script/statements/compression.h"
#include "script/statements/data_statement_args.h"
#include "script/statements/data_statements.h"
#include "script/statements/script_files.h"

using namespace data_args;
using script_file::Result;

namespace {

// Longest path a buffer may hand to OPENFILE.
constexpr size_t kMaxPath = 256;

SCRIPT_FILE_LINK* FindFile(StatementContext& ctx, const std::string& name) {
  return ctx.Declarations().Get<K_FileLL>().Find(name);
}

// FREAD, FGETS and FWRITE: file buffer limit [resultvar], and their codes.
struct TransferCodes {
  size_t words;
  int32_t count;
  int32_t file;
  int32_t buffer;
  int32_t exceeds;
  int32_t limit;
  int32_t limitType;
  int32_t result;      // resultvar unknown (0: no result variable)
  int32_t resultType;  // resultvar a double
  int32_t tooLarge;    // limit above what one call moves
};
constexpr TransferCodes kFRead = {4,
                                  K_FREAD_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
                                  K_FREAD_INVALID_FILE_SPECIFIED,
                                  K_FREAD_INVALID_BUFFER_SPECIFIED,
                                  K_FREAD_LIMIT_EXCEEDS_BUFFER_SIZE,
                                  K_FREAD_UNRECOGNIZABLE_LIMIT_ARG,
                                  K_FREAD_ILLEGAL_LIMIT_VARIABLE_TYPE_SPECIFIED,
                                  K_FREAD_INVALID_RD_OK_VARIABLE_SPECIFIED,
                                  K_FREAD_ILLEGAL_RD_OK_VARIABLE_TYPE_SPECIFIED,
                                  K_FREAD_LIMIT_ABOVE_65535_BYTES};
constexpr TransferCodes kFGets = {4,
                                  K_FGETS_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
                                  K_FGETS_INVALID_FILE_SPECIFIED,
                                  K_FGETS_INVALID_BUFFER_SPECIFIED,
                                  K_FGETS_LIMIT_EXCEEDS_BUFFER_SIZE,
                                  K_FGETS_UNRECOGNIZABLE_LIMIT_ARG,
                                  K_FGETS_ILLEGAL_LIMIT_VARIABLE_TYPE_SPECIFIED,
                                  K_FGETS_INVALID_RD_OK_VARIABLE_SPECIFIED,
                                  K_FGETS_ILLEGAL_RD_OK_VARIABLE_TYPE_SPECIFIED,
                                  K_FGETS_LIMIT_ABOVE_65535_BYTES};
constexpr TransferCodes kFWrite = {3,
                                   K_FWRITE_LINE_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
                                   K_FWRITE_INVALID_FILE_SPECIFIED,
                                   K_FWRITE_INVALID_BUFFER_SPECIFIED,
                                   K_FWRITE_LIMIT_EXCEEDS_BUFFER_SIZE,
                                   K_FWRITE_UNRECOGNIZABLE_LIMIT_ARG,
                                   K_FWRITE_ILLEGAL_LIMIT_VARIABLE_TYPE_SPECIFIED,
                                   0,
                                   0,
                                   K_FWRITE_LIMIT_ABOVE_65535_BYTES};

struct Transfer : StatementData {
  SCRIPT_FILE_LINK* file = nullptr;
  KByteArray* buffer = nullptr;
  IntArg limit;
  VARI_LL* result = nullptr;
  // One call moves at most 65535 bytes; a larger limit is refused, not cut.
  static constexpr uint32_t kMaxLimit = 0xFFFF;
  uint32_t Limit() const { return limit.Value() & kMaxLimit; }
};

// The limit against the buffer's size as it is now (a variable, or a buffer
// resized by DIMENSION, may change it): 0, or the code.
int32_t CheckLimit(const TransferCodes& codes, const Transfer& t) {
  if (t.limit.Value() > Transfer::kMaxLimit) return codes.tooLarge;
  if (t.Limit() > t.buffer->size || t.buffer->data == nullptr) return codes.exceeds;
  return 0;
}

// Reads the arguments once: 0, or the code.
int32_t ReadTransfer(StatementContext& ctx, const TransferCodes& codes, Transfer& out) {
  const std::vector<std::string> words = Words(ctx.Line());
  if (words.size() != codes.words) return codes.count;
  out.file = FindFile(ctx, words[0]);
  if (out.file == nullptr) return codes.file;
  out.buffer = ctx.FindArray(words[1]);
  if (out.buffer == nullptr) return codes.buffer;
  switch (ReadInt(ctx, words[2], kIntegerNumbers, kIntegerVars, out.limit)) {
    case IntResult::Ok:
      break;
    case IntResult::WrongVariable:
      return codes.limitType;
    default:
      return codes.limit;
  }
  // A number is checked when the statement is compiled (and again when it runs),
  // a variable when it runs.
  if (out.limit.variable == nullptr)
    if (const int32_t code = CheckLimit(codes, out)) return code;
  if (codes.result == 0) return 0;
  bool wrongType = false;
  out.result = ReadVariable(ctx, words[3], kIntegerVars, wrongType);
  if (out.result == nullptr) return wrongType ? codes.resultType : codes.result;
  return 0;
}

// FREAD, FGETS and FWRITE: the arguments read once, the limit checked at each run.
template <typename Move>
int RunTransfer(StatementContext& ctx, TEXT_LINK& stmt, const TransferCodes& codes, Move move) {
  return CompileThenRun<Transfer>(
      ctx, stmt, codes.count, [&](Transfer& t) { return ReadTransfer(ctx, codes, t); },
      [&](Transfer& t) {
        if (const int32_t code = CheckLimit(codes, t)) return ctx.Fail(code);
        return move(t);
      });
}

}  // namespace

// FILE name
int _FileDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  const std::string name = DeclaredName(ctx.Line());
  if (name.empty()) return ctx.Fail(K_FILE_ADD_TO_LIST_ERROR);
  if (!ctx.Declarations().Get<K_FileLL>().Add(name, ctx.SourceFile(), ctx.SourceLine()))
    return ctx.Fail(K_FILE_DUPLICATE_FILE_TAG_SPECIFIED);
  return 0;
}

// OPENFILE file path|pathbuffer [READ|WRITE] [TEXT|BINARY] [APPEND] longvar
int _OpenFile(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Open : StatementData {
    SCRIPT_FILE_LINK* file = nullptr;
    VARI_LL* size = nullptr;
    std::string path;                        // as written
    const KByteArray* pathBuffer = nullptr;  // or the buffer whose text is the path
    uint8_t mode = 0;
  };
  // A buffer's text is the path of this moment.
  auto pathOf = [](const Open& d, std::string& path) -> int32_t {
    path = d.pathBuffer != nullptr ? std::string(TextOf(*d.pathBuffer)) : d.path;
    return d.pathBuffer != nullptr && path.size() > kMaxPath ? K_OPENFILE_FILENAME_IN_BUFFER_TOO_LONG : 0;
  };
  return CompileThenRun<Open>(
      ctx, stmt, K_OPENFILE_INVALID_FILE_TAG_SPECIFIED,
      [&](Open& d) -> int32_t {
        if (Words(ctx.Line()).empty()) return K_OPENFILE_INVALID_FILE_TAG_SPECIFIED;
        script_file::OpenFileArgs args;
        if (!script_file::ParseOpenFileArgs(ctx.Line(), args)) return K_OPENFILE_MODE_SPECIFICATION_ERROR;
        d.file = FindFile(ctx, args.file);
        if (d.file == nullptr) return K_OPENFILE_SPECIFIED_FILE_NOT_DECLARED;
        bool wrongType = false;
        d.size = ReadVariable(ctx, args.resultVariable, kLongVar, wrongType);
        if (d.size == nullptr) return K_OPENFILE_INVALID_RESULT_ARG;
        d.path = args.path;
        d.pathBuffer = ctx.FindArray(d.path);
        d.mode = args.mode;
        std::string path;
        return pathOf(d, path);
      },
      [&](Open& d) {
        std::string path;
        if (const int32_t code = pathOf(d, path)) return ctx.Fail(code);
        switch (d.file->Open(path, d.mode)) {
          case Result::Ok:
            break;
          case Result::AlreadyOpen:
            return ctx.Fail(K_OPENFILE_FILE_ALREADY_OPEN);
          case Result::NotPresent:
            return ctx.Fail(K_OPENFILE_FILE_SPECIFIED_NOT_PRESENT);
          default:
            return ctx.Fail(K_OPENFILE_FILE_OPEN_ERROR);
        }
        d.size->SetUnsigned(d.file->size);
        return 0;
      });
}

// CLOSEFILE file
int _CloseFile(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Close : StatementData {
    SCRIPT_FILE_LINK* file = nullptr;
  };
  return CompileThenRun<Close>(
      ctx, stmt, K_CLOSEFILE_INVALID_FILE_TAG_SPECIFIED,
      [&](Close& d) {
        const std::vector<std::string> words = Words(ctx.Line());
        d.file = words.size() == 1 ? FindFile(ctx, words[0]) : nullptr;
        return d.file == nullptr ? K_CLOSEFILE_INVALID_FILE_TAG_SPECIFIED : 0;
      },
      [](Close& d) {
        d.file->Close();
        return 0;
      });
}

// FREAD file buffer limit resultvar
int _FRead(StatementContext& ctx, TEXT_LINK& stmt) {
  return RunTransfer(ctx, stmt, kFRead, [&](Transfer& t) {
    size_t count = 0;
    if (t.file->Read(t.buffer->data.get(), t.Limit(), count) != Result::Ok) return ctx.Fail(K_FREAD_READ_ERROR);
    if (count > 0) t.buffer->altered = 1;
    t.result->SetUnsigned(static_cast<uint32_t>(count));
    return 0;
  });
}

// FGETS file buffer limit resultvar
int _FGets(StatementContext& ctx, TEXT_LINK& stmt) {
  return RunTransfer(ctx, stmt, kFGets, [&](Transfer& t) {
    size_t length = 0;
    switch (t.file->Gets(reinterpret_cast<char*>(t.buffer->data.get()), t.Limit(), length)) {
      case Result::Ok:
        break;
      case Result::NotOpen:
        return ctx.Fail(K_FGETS_FILE_NOT_OPEN);
      case Result::IoError:
        return ctx.Fail(K_FGETS_INVALID_FILE_POINTER);
      default:
        return ctx.Fail(K_FGETS_INVALID_FILE_MODE);
    }
    if (t.Limit() > 0) t.buffer->altered = 1;
    t.result->SetUnsigned(static_cast<uint32_t>(length));
    return 0;
  });
}

// FWRITE file buffer count
int _FWrite(StatementContext& ctx, TEXT_LINK& stmt) {
  return RunTransfer(ctx, stmt, kFWrite, [&](Transfer& t) {
    if (t.file->Write(t.buffer->data.get(), t.Limit()) != Result::Ok) return ctx.Fail(K_FWRITE_WRITE_ERROR);
    return 0;
  });
}

// FSEEK file offset SEEK_SET|SEEK_CUR|SEEK_END
int _FSeek(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Whence {
    const char* word;
    int whence;
  };
  static constexpr Whence kWhence[] = {{"SEEK_SET", SEEK_SET}, {"SEEK_CUR", SEEK_CUR}, {"SEEK_END", SEEK_END}};
  struct Seek : StatementData {
    SCRIPT_FILE_LINK* file = nullptr;
    IntArg offset;
    int whence = SEEK_SET;
  };
  return CompileThenRun<Seek>(
      ctx, stmt, K_FSEEK_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
      [&](Seek& d) -> int32_t {
        const std::vector<std::string> words = Words(ctx.Line());
        if (words.size() != 3) return K_FSEEK_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        d.file = FindFile(ctx, words[0]);
        if (d.file == nullptr) return K_FSEEK_INVALID_FILE_SPECIFIED;
        switch (ReadInt(ctx, words[1], kIntegerNumbers, kIntegerVars, d.offset)) {
          case IntResult::Ok:
            break;
          case IntResult::WrongVariable:
            return K_FSEEK_ILLEGAL_WHERE_VARIABLE_TYPE_SPECIFIED;
          default:
            return K_FSEEK_UNRECOGNIZABLE_WHERE_ARG;
        }
        std::string from = words[2];
        KText::UpperCase(from);
        for (const Whence& w : kWhence)
          if (from == w.word) {
            d.whence = w.whence;
            return 0;
          }
        return K_SEEK_ILLEGAL_FROM_PHRASE_SPECIFIED;
      },
      [&](Seek& d) {
        switch (d.file->Seek(static_cast<long>(d.offset.Value() & 0xFFFF), d.whence)) {
          case Result::Ok:
            return 0;
          case Result::NotOpen:
            return ctx.Fail(K_FSEEK_FILE_NOT_OPENED);
          default:
            return ctx.Fail(KRT_FSEEK_SEEK_ERROR);
        }
      });
}

namespace {

// The path of ERASEFILE and COMPRESSFILE: a buffer whose text is the path at
// each run, or the line itself (double quotes dropped).
struct PathData : StatementData {
  std::string path;
  const KByteArray* buffer = nullptr;
  std::string Path() const { return buffer != nullptr ? std::string(text::Trim(TextOf(*buffer))) : path; }
};

int32_t ReadPath(StatementContext& ctx, PathData& d) {
  std::string line(ctx.Line());
  for (char& c : line)
    if (c == '"') c = ' ';
  d.path = std::string(text::Trim(line));
  d.buffer = ctx.FindArray(d.path);
  return 0;
}

}  // namespace

// ERASEFILE pathbuffer | path
int _EraseFile(StatementContext& ctx, TEXT_LINK& stmt) {
  return CompileThenRun<PathData>(
      ctx, stmt, EXE_UNRECOGNIZABLE_LINE, [&](PathData& d) { return ReadPath(ctx, d); },
      [](PathData& d) {
        const std::string path = d.Path();
        if (!path.empty()) unlink(path.c_str());  // a file that is not there is erased already
        return 0;
      });
}

// COMPRESSFILE pathbuffer | path
int _CompressFile(StatementContext& ctx, TEXT_LINK& stmt) {
  return CompileThenRun<PathData>(
      ctx, stmt, K_COMPRESSFILE_INVALID_FILENAME_SPECIFIED,
      [&](PathData& d) -> int32_t {
        ReadPath(ctx, d);
        // A buffer is filled by the run, so only a written path can be checked now.
        return d.path.empty() && d.buffer == nullptr ? K_COMPRESSFILE_INVALID_FILENAME_SPECIFIED : 0;
      },
      [&](PathData& d) {
        const bool fromBuffer = d.buffer != nullptr;
        switch (CompressFile(d.Path())) {
          case CompressResult::Ok:
            return 0;
          case CompressResult::Unreadable:
            return ctx.Fail(fromBuffer ? K_COMPRESSFILE_INVALID_FILENAME_IN_BUFFER
                                       : K_COMPRESSFILE_INVALID_FILENAME_SPECIFIED);
          case CompressResult::NameClash:
            return ctx.Fail(KRT_COMPRESSFILE_ARCHIVE_WOULD_REPLACE_SOURCE);
          case CompressResult::ArchiveExists:
            return ctx.Fail(KRT_COMPRESSFILE_ARCHIVE_ALREADY_EXISTS);
          case CompressResult::SourceNotRemoved:
            return ctx.Fail(KRT_COMPRESSFILE_SOURCE_NOT_REMOVED);
          default:
            return ctx.Fail(KRT_COMPRESSFILE_COMPRESSION_FAILED);
        }
      });
}
