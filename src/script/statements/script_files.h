// Files a script reads and writes through named objects (FILE, OPENFILE,
// FREAD, FGETS, FWRITE, FSEEK, PRINT FILE, CLOSEFILE).
//
// Mode bits: write, binary, update. The stream is opened "w" or "r", then "b"
// for binary, then "+" for update: WRITE APPEND ("w+") truncates and allows
// reading, READ APPEND ("r+") keeps the content and allows writing. Without
// update a file is read-only or write-only. FREAD and FWRITE need a binary
// file, FGETS and PRINT FILE a text file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/core/declarations.h"
#include "script/core/named_list.h"

namespace script_file {

inline constexpr uint8_t kWrite = 1;
inline constexpr uint8_t kBinary = 2;
inline constexpr uint8_t kUpdate = 4;
inline constexpr uint8_t kClosed = 255;

// The stdio mode text of the mode bits ("r", "wb+", ...).
std::string ModeText(uint8_t mode);

enum class Result : uint8_t {
  Ok,
  AlreadyOpen,
  NotPresent,  // a file opened for reading does not exist
  OpenError,
  NotOpen,
  WrongMode,  // binary operation on a text file, or the other way round
  NotReadable,
  NotWritable,
  IoError,
  BadWhence,
};

// "OPENFILE <file> <path> [READ|WRITE] [TEXT|BINARY] [APPEND] <longvar>" taken
// apart: double quotes are blanks; mode words are read backwards from the word
// before the variable (default: text, read); what stands between the file and
// the mode words is the path (or the name of a buffer holding it).
struct OpenFileArgs {
  std::string file;
  std::string path;
  uint8_t mode = 0;
  std::string resultVariable;
};
// False when no path is left (or fewer than three words).
bool ParseOpenFileArgs(std::string_view args, OpenFileArgs& out);

}  // namespace script_file

struct SCRIPT_FILE_LINK {
  std::string name;
  uint8_t mode = script_file::kClosed;
  uint32_t size = 0;  // size found at opening
  int32_t fileId = 0;
  int32_t line = 0;

  bool IsOpen() const { return stream_ != nullptr; }
  // Opens path with the mode bits; size receives the file's size (0 when written new).
  script_file::Result Open(const std::string& path, uint8_t modeBits);
  void Close();
  // Binary read of up to limit bytes into out; count receives what was read (0 at the end).
  script_file::Result Read(uint8_t* out, size_t limit, size_t& count);
  // One text line (line feed kept) of at most limit - 1 characters and a NUL into out
  // (limit bytes); length receives the characters read (0 at the end).
  script_file::Result Gets(char* out, size_t limit, size_t& length);
  script_file::Result Write(const uint8_t* data, size_t count);
  // Text output of PRINT FILE.
  script_file::Result Print(std::string_view text);
  script_file::Result Seek(long offset, int whence);

 private:
  enum class LastOp : uint8_t { None, Read, Write };
  script_file::Result Prepare(bool binary, bool writing);
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> stream_;
  LastOp last_ = LastOp::None;
};

class K_FileLL : public DeclarationList {
 public:
  // False when the name is already declared.
  bool Add(std::string_view name, int32_t fileId, int32_t line);
  SCRIPT_FILE_LINK* Find(std::string_view name);
  size_t Count() const { return files_.Count(); }
  // Every open file is closed.
  void Clear();

  // PRINT FILE: a text file open for writing takes the text.
  bool HasScriptFile(std::string_view tag) const override;
  int PrintToScriptFile(std::string_view tag, std::string_view text) override;

 private:
  NamedList<SCRIPT_FILE_LINK> files_;
};
