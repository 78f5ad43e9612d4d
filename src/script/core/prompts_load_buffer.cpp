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
#include "script/core/statement_api.h"

namespace {
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
}  // namespace

// LOADBUFFER [ONCE] buffer file
int KScript::_LoadBuffer(TEXT_LINK& stmt) {
  struct Load : StatementData {
    bool once = false;
    KByteArray* buffer = nullptr;
    std::string file;  // under the script folder, found at each pass
  };
  // The file is opened in both passes: it may have gone since validation.
  auto open = [](const Load& d) {
    const std::string path = folders::ScriptFolder() + d.file;
    return std::unique_ptr<FILE, FileCloser>(std::fopen(path.c_str(), "rb"));
  };
  StatementContext ctx(*this);
  return CompileThenRun<Load>(
      ctx, stmt, LOAD_BUFFER_INVALID_BUFFER_SPECIFIED,
      [&](Load& d) -> int32_t {
        std::string line(m_Line);
        QuotesToBlanks(line);
        std::string word = FirstWord(line);
        UpperCase(word);
        d.once = word == "ONCE";
        if (d.once) Clear1stWord(line);
        d.buffer = FindArray(FirstWord(line));
        if (d.buffer == nullptr) return LOAD_BUFFER_INVALID_BUFFER_SPECIFIED;
        Clear1stWord(line);
        if (line.empty()) return LOAD_BUFFER_NO_FILE_SPECIFIED;
        d.file = line;
        return open(d) ? 0 : LOAD_BUFFER_UNABLE_TO_OPEN_FILE_SPECIFIED;
      },
      [&](Load& d) {
        const std::unique_ptr<FILE, FileCloser> file = open(d);
        if (!file) return Fail(LOAD_BUFFER_UNABLE_TO_OPEN_FILE_SPECIFIED);
        KByteArray* buffer = d.buffer;
        if (buffer->data == nullptr) return 0;
        uint8_t* data = buffer->data.get();
        const size_t size = buffer->size;
        const size_t read = std::fread(data, 1, size, file.get());
        // A shorter file is repeated until the buffer is full (an empty one leaves it as it was).
        if (!d.once && read > 0)
          for (size_t filled = read; filled < size; filled += std::min(read, size - filled))
            std::memcpy(data + filled, data, std::min(read, size - filled));
        buffer->altered = 1;
        return 0;
      });
}
