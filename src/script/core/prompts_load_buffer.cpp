// LOADBUFFER: a buffer filled from a file under ./Scripts/.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/work_folders.h"
#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/prompts.h"

namespace {
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
}  // namespace

// LOADBUFFER [ONCE] buffer file
int KScript::_LoadBuffer(TEXT_LINK& /*stmt*/) {
  std::string line(m_Line);
  QuotesToBlanks(line);
  std::string word = FirstWord(line);
  UpperCase(word);
  const bool once = word == "ONCE";
  if (once) Clear1stWord(line);
  KByteArray* buffer = FindArray(FirstWord(line));
  if (buffer == nullptr) return Fail(LOAD_BUFFER_INVALID_BUFFER_SPECIFIED);
  Clear1stWord(line);
  if (line.empty()) return Fail(LOAD_BUFFER_NO_FILE_SPECIFIED);
  const std::string path = folders::ScriptFolder() + line;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return Fail(LOAD_BUFFER_UNABLE_TO_OPEN_FILE_SPECIFIED);
  if (!IsRunMode() || buffer->data == nullptr) return 0;

  uint8_t* data = buffer->data.get();
  const size_t size = buffer->size;
  const size_t read = std::fread(data, 1, size, file.get());
  // A shorter file is repeated until the buffer is full (an empty one leaves it as it was).
  if (!once && read > 0)
    for (size_t filled = read; filled < size; filled += std::min(read, size - filled))
      std::memcpy(data + filled, data, std::min(read, size - filled));
  buffer->altered = 1;
  return 0;
}
