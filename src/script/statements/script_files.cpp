// Script file objects: opening by mode bits, reads, writes and seeks.
#include "script/statements/script_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/text_util.h"
#include "script/core/error_fx.h"

namespace script_file {

std::string ModeText(uint8_t mode) {
  std::string text = (mode & kWrite) != 0 ? "w" : "r";
  if ((mode & kBinary) != 0) text += 'b';
  if ((mode & kUpdate) != 0) text += '+';
  return text;
}

bool ParseOpenFileArgs(std::string_view args, OpenFileArgs& out) {
  struct ModeWord {
    const char* word;
    uint8_t set;
    uint8_t clear;
  };
  static constexpr ModeWord kModeWords[] = {
      {"APPEND", kUpdate, 0}, {"TEXT", 0, kBinary}, {"BINARY", kBinary, 0}, {"WRITE", kWrite, 0}, {"READ", 0, kWrite},
  };
  std::string line(args);
  for (char& c : line)
    if (c == '"') c = ' ';
  std::vector<std::string_view> words;
  std::string_view rest = line;
  for (;;) {
    rest = text::Trim(rest);
    if (rest.empty()) break;
    size_t end = 0;
    while (end < rest.size() && !text::IsBlank(rest[end])) ++end;
    words.push_back(rest.substr(0, end));
    rest.remove_prefix(end);
  }
  if (words.size() < 3) return false;
  out.file = std::string(words.front());
  out.resultVariable = std::string(words.back());
  out.mode = 0;
  size_t last = words.size() - 1;  // one past the path's last word
  for (; last > 1; --last) {
    std::string upper(words[last - 1]);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const ModeWord* row = nullptr;
    for (const ModeWord& m : kModeWords)
      if (upper == m.word) row = &m;
    if (row == nullptr) break;
    out.mode = static_cast<uint8_t>((out.mode | row->set) & ~row->clear);
  }
  if (last <= 1) return false;
  // The path keeps its inner blanks (a quoted name with blanks in it).
  const char* from = words[1].data();
  const char* to = words[last - 1].data() + words[last - 1].size();
  out.path.assign(from, static_cast<size_t>(to - from));
  return true;
}

}  // namespace script_file

using script_file::Result;

Result SCRIPT_FILE_LINK::Open(const std::string& path, uint8_t modeBits) {
  if (IsOpen()) return Result::AlreadyOpen;
  modeBits &= script_file::kWrite | script_file::kBinary | script_file::kUpdate;
  struct stat st {};
  const bool reading = (modeBits & script_file::kWrite) == 0;
  if (reading && stat(path.c_str(), &st) != 0) return errno == ENOENT ? Result::NotPresent : Result::OpenError;
  std::unique_ptr<FILE, Closer> f(std::fopen(path.c_str(), script_file::ModeText(modeBits).c_str()));
  if (!f || fstat(fileno(f.get()), &st) != 0 || S_ISDIR(st.st_mode)) return Result::OpenError;
  size = reading ? static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(st.st_size), UINT32_MAX)) : 0;
  stream_ = std::move(f);
  mode = modeBits;
  last_ = LastOp::None;
  return Result::Ok;
}

void SCRIPT_FILE_LINK::Close() {
  stream_.reset();
  mode = script_file::kClosed;
}

Result SCRIPT_FILE_LINK::Prepare(bool binary, bool writing) {
  if (!IsOpen()) return Result::NotOpen;
  if (((mode & script_file::kBinary) != 0) != binary) return Result::WrongMode;
  const bool update = (mode & script_file::kUpdate) != 0;
  const bool forWriting = (mode & script_file::kWrite) != 0;
  if (writing && !forWriting && !update) return Result::NotWritable;
  if (!writing && forWriting && !update) return Result::NotReadable;
  // An update stream must be repositioned between reading and writing.
  const LastOp op = writing ? LastOp::Write : LastOp::Read;
  if (last_ != LastOp::None && last_ != op && std::fseek(stream_.get(), 0, SEEK_CUR) != 0) return Result::IoError;
  last_ = op;
  return Result::Ok;
}

Result SCRIPT_FILE_LINK::Read(uint8_t* out, size_t limit, size_t& count) {
  count = 0;
  const Result rc = Prepare(true, false);
  if (rc != Result::Ok) return rc;
  count = std::fread(out, 1, limit, stream_.get());
  return std::ferror(stream_.get()) != 0 ? Result::IoError : Result::Ok;
}

Result SCRIPT_FILE_LINK::Gets(char* out, size_t limit, size_t& length) {
  length = 0;
  const Result rc = Prepare(false, false);
  if (rc != Result::Ok) return rc;
  if (limit == 0) return Result::Ok;
  out[0] = '\0';
  if (limit > static_cast<size_t>(INT32_MAX)) limit = INT32_MAX;
  if (std::fgets(out, static_cast<int>(limit), stream_.get()) == nullptr) {
    out[0] = '\0';
    return std::ferror(stream_.get()) != 0 ? Result::IoError : Result::Ok;
  }
  length = std::strlen(out);
  return Result::Ok;
}

Result SCRIPT_FILE_LINK::Write(const uint8_t* data, size_t count) {
  const Result rc = Prepare(true, true);
  if (rc != Result::Ok) return rc;
  if (std::fwrite(data, 1, count, stream_.get()) != count || std::fflush(stream_.get()) != 0) return Result::IoError;
  return Result::Ok;
}

Result SCRIPT_FILE_LINK::Print(std::string_view text) {
  const Result rc = Prepare(false, true);
  if (rc != Result::Ok) return rc;
  if (std::fwrite(text.data(), 1, text.size(), stream_.get()) != text.size() || std::fflush(stream_.get()) != 0)
    return Result::IoError;
  return Result::Ok;
}

Result SCRIPT_FILE_LINK::Seek(long offset, int whence) {
  if (!IsOpen()) return Result::NotOpen;
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return Result::BadWhence;
  if (std::fseek(stream_.get(), offset, whence) != 0) return Result::IoError;
  last_ = LastOp::None;
  return Result::Ok;
}

bool K_FileLL::Add(std::string_view name, int32_t fileId, int32_t line) {
  return files_.Add(name, fileId, line) != nullptr;
}

SCRIPT_FILE_LINK* K_FileLL::Find(std::string_view name) { return files_.Find(name); }

bool K_FileLL::HasScriptFile(std::string_view tag) const { return files_.Find(tag) != nullptr; }

int K_FileLL::PrintToScriptFile(std::string_view tag, std::string_view text) {
  SCRIPT_FILE_LINK* file = Find(tag);
  if (file == nullptr) return K_PRINT_TO_FILE_INVALID_FILE_SPECIFIED;
  switch (file->Print(text)) {
    case Result::Ok:
      return 0;
    case Result::NotOpen:
      return K_PRINT_TO_FILE_THAT_ISNT_OPEN;
    case Result::IoError:
      return KRT_PRINT_TO_FILE_WRITE_ERROR;
    default:
      return K_PRINT_TO_FILE_INVALID_MODE_DETECTED;
  }
}

void K_FileLL::Clear() { files_.Clear(); }
