// Parse mode: a small line language that defines a data buffer and raw CDBs
// in hexadecimal and sends them one by one.
//
//   data <len> <bytes...> | data <len> RND|ZERO|ONE|INC|DEC|ALT
//   cdb <len> IN|OUT <xferlen> <bytes...> | cdb <len> NONE <bytes...>
//   timeout <seconds>
//   quit
//
// A word beginning with '#' starts a comment, at the start of a line or after
// a command; blanks before a command are ignored.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/hex_dump.h"
#include "device/records.h"
#include "facade/scsi_wrapper.h"

namespace {

constexpr size_t kMaxLine = 1023;
constexpr int kMaxCdbLength = 16;
// The pass-through takes the timeout in milliseconds in 32 bits.
constexpr unsigned long kMaxTimeout = 4294967;

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool StartsWith(std::string_view line, std::string_view word) {
  return line.size() >= word.size() && SameWord(line.substr(0, word.size()), word);
}

// The line begins with `word` as a whole word.
bool IsCommand(std::string_view line, std::string_view word) {
  return StartsWith(line, word) &&
         (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t');
}

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  size_t at = 0;
  for (;;) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) return words;
    const size_t end = line.find_first_of(" \t", at);
    words.emplace_back(line.substr(at, end == std::string_view::npos ? end : end - at));
    if (end == std::string_view::npos) return words;
    at = end;
  }
}

enum class LineRead { kLine, kEnd, kTooLong };

// One line without its line end; a line longer than kMaxLine is read to its
// end and refused rather than split into two commands.
LineRead GetLine(FILE* in, std::string& line) {
  line.clear();
  int c = std::fgetc(in);
  if (c == EOF) return LineRead::kEnd;
  bool too_long = false;
  for (; c != EOF && c != '\n'; c = std::fgetc(in)) {
    if (line.size() < kMaxLine) {
      line.push_back(static_cast<char>(c));
    } else {
      too_long = true;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return too_long ? LineRead::kTooLong : LineRead::kLine;
}

// Cuts a comment: from a '#' that begins a word to the end of the line. True
// when there was one.
bool StripComment(std::string& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
      line.erase(i);
      return true;
    }
  }
  return false;
}

uint8_t HexByte(const std::string& text) { return static_cast<uint8_t>(std::strtoul(text.c_str(), nullptr, 16)); }

struct FillPattern {
  const char* word;
  uint8_t (*byte)(size_t i);
};

constexpr FillPattern kFillPatterns[] = {
    {"RND", [](size_t) { return static_cast<uint8_t>(std::rand()); }},
    {"ZERO", [](size_t) { return uint8_t{0x00}; }},
    {"ONE", [](size_t) { return uint8_t{0x01}; }},
    {"INC", [](size_t i) { return static_cast<uint8_t>(i); }},
    {"DEC", [](size_t i) { return static_cast<uint8_t>(0 - i); }},
    {"ALT", [](size_t i) { return static_cast<uint8_t>(i % 2 == 0 ? 0xAA : 0x55); }},
};

const FillPattern* FindPattern(const std::string& word) {
  for (const FillPattern& p : kFillPatterns) {
    if (SameWord(word, p.word)) return &p;
  }
  return nullptr;
}

// The words of a command, continued on further lines (read without a prompt)
// when the line runs out.
class Tokens {
 public:
  enum class Got { kWord, kEmptyLine, kEnd };
  Tokens(FILE* in, std::vector<std::string> words, size_t first) : in_(in), words_(std::move(words)), next_(first) {}

  Got Next(std::string& word) {
    while (next_ >= words_.size()) {
      std::string line;
      if (GetLine(in_, line) == LineRead::kEnd) return Got::kEnd;
      const bool comment = StripComment(line);
      words_ = Words(line);
      next_ = 0;
      // A comment line inside a list is passed over; only an empty line ends it.
      if (words_.empty() && !comment) return Got::kEmptyLine;
    }
    word = words_[next_++];
    return Got::kWord;
  }

 private:
  FILE* in_;
  std::vector<std::string> words_;
  size_t next_;
};

// How a command line ended: carried out, refused (its message printed), or
// cut short by the end of the input.
enum class Step { kDone, kRefused, kEndOfInput };

struct ParseState {
  bool has_data = false;
  std::vector<uint8_t> data;
  uint8_t cdb[kMaxCdbLength] = {};
  int cdb_length = 0;
  int direction = kDataNone;
  uint32_t xfer = 0;
  bool cdb_complete = false;
};

// data <len> <bytes...>
Step DataCommand(FILE* in, const std::vector<std::string>& words, ParseState& s) {
  if (words.size() < 2 || !ScsiWrapper::isValidHexByte(words[1].c_str())) {
    std::puts("Data length was not valid");
    return Step::kRefused;
  }
  size_t length = HexByte(words[1]);
  s.data.assign(length, 0);
  s.has_data = true;
  Tokens tokens(in, words, 2);
  Step step = Step::kDone;  // a buffer cut short is kept, but the line was not carried out as written
  for (size_t read = 0; read < length;) {
    std::string token;
    switch (tokens.Next(token)) {
      case Tokens::Got::kEnd:
        return Step::kEndOfInput;
      case Tokens::Got::kEmptyLine:
        std::printf("Data buffer length truncated (%d)\n", static_cast<int>(read + 1));
        length = read;
        step = Step::kRefused;
        continue;
      case Tokens::Got::kWord:
        break;
    }
    if (read == 0) {
      if (const FillPattern* pattern = FindPattern(token)) {
        for (size_t i = 0; i < length; ++i) s.data[i] = pattern->byte(i);
        break;
      }
    }
    if (!ScsiWrapper::isValidHexByte(token.c_str())) {
      std::printf("Data byte %d was not valid (%s), truncating bufer length\n", static_cast<int>(read), token.c_str());
      length = read;
      step = Step::kRefused;
      continue;
    }
    s.data[read++] = HexByte(token);
  }
  s.data.resize(length);
  return step;
}

struct DirectionWord {
  const char* word;
  int direction;
  bool takes_length;
};
constexpr DirectionWord kDirections[] = {
    {"IN", kDataIn, true},
    {"OUT", kDataOut, true},
    {"NONE", kDataNone, false},
};

// cdb <len> IN|OUT <xferlen> <bytes...>, cdb <len> NONE <bytes...>
Step CdbCommand(FILE* in, const std::vector<std::string>& words, ParseState& s) {
  s.cdb_complete = false;
  if (words.size() < 2 || !ScsiWrapper::isValidHexByte(words[1].c_str())) {
    std::puts("CDB length was not valid");
    return Step::kRefused;
  }
  const int length = HexByte(words[1]);
  if (length < 1 || length > kMaxCdbLength) {
    std::printf("CDB length must be from 1 to %d bytes (%s)\n", kMaxCdbLength, words[1].c_str());
    return Step::kRefused;
  }
  Tokens tokens(in, words, 2);
  std::string token;
  int read = 0;
  // Every word still missing counts against the CDB's bytes when a line is empty.
  auto next = [&]() -> std::optional<Step> {
    switch (tokens.Next(token)) {
      case Tokens::Got::kEnd:
        return Step::kEndOfInput;
      case Tokens::Got::kEmptyLine:
        std::printf("Insufficient CDB bytes (%d)", read + 1);
        return Step::kRefused;
      case Tokens::Got::kWord:
        return std::nullopt;
    }
    return Step::kRefused;
  };

  if (auto stop = next()) return *stop;
  const DirectionWord* direction = nullptr;
  for (const DirectionWord& row : kDirections) {
    if (SameWord(token, row.word)) direction = &row;
  }
  if (direction == nullptr) {
    std::puts("Invalid CDB direction");
    return Step::kRefused;
  }
  uint32_t xfer = 0;
  if (direction->takes_length) {
    if (auto stop = next()) return *stop;
    if (!ScsiWrapper::isValidHexByte(token.c_str())) {
      std::printf("Invalid CDB xferLen (%s)\n", token.c_str());
      return Step::kRefused;
    }
    xfer = HexByte(token);
  }
  uint8_t cdb[kMaxCdbLength] = {};
  for (; read < length; ++read) {
    if (auto stop = next()) return *stop;
    if (!ScsiWrapper::isValidHexByte(token.c_str())) {
      std::printf("Invalid CDB byte %d (%s)\n", read, token.c_str());
      return Step::kRefused;
    }
    cdb[read] = HexByte(token);
  }
  // Data out comes from the data buffer: it must exist and hold enough bytes.
  if (direction->direction == kDataOut) {
    if (!s.has_data) {
      std::puts("An OUT command needs a data buffer: define one with 'data' first");
      return Step::kRefused;
    }
    if (xfer > s.data.size()) {
      std::printf("CDB xfer len (%u) is longer than the data buffer (%zu)\n", xfer, s.data.size());
      return Step::kRefused;
    }
  }
  std::memcpy(s.cdb, cdb, sizeof cdb);
  s.cdb_length = length;
  s.direction = direction->direction;
  s.xfer = xfer;
  s.cdb_complete = true;
  return Step::kDone;
}

// timeout <seconds>
Step TimeoutCommand(ScsiWrapper& facade, const std::vector<std::string>& words) {
  const char* value = words.size() > 1 ? words[1].c_str() : "";
  if (!ScsiWrapper::isValidDecNum(value)) {
    std::puts("Timeout value was not valid");
    return Step::kRefused;
  }
  // No value, 0 or a value the pass-through cannot hold would make every
  // later command time out.
  errno = 0;
  const unsigned long seconds = std::strtoul(value, nullptr, 10);
  if (value[0] == '\0' || errno != 0 || seconds == 0 || seconds > kMaxTimeout) {
    std::printf("Timeout must be from 1 to %lu seconds\n", kMaxTimeout);
    return Step::kRefused;
  }
  const long before = facade.GetTimeout();
  facade.SetTimeout(static_cast<long>(seconds));
  std::printf("SCSI timeout changed from %ld to %ld\n", before, facade.GetTimeout());
  return Step::kDone;
}

void ListDataBuffer(const ParseState& s) {
  if (!s.has_data) return;
  // The bytes alone, sixteen a line.
  static constexpr HexDumpStyle kStyle = {nullptr, "%02X ", 0, 0, 0, 0};
  std::printf("Data buffer (%d):\n", static_cast<int>(s.data.size()));
  for (const std::string& line : HexDumpLines(s.data, 0, static_cast<uint32_t>(s.data.size()), kStyle))
    std::printf("%s\n", line.c_str());
}

const char* DirectionName(int direction) {
  for (const DirectionWord& row : kDirections) {
    if (row.direction == direction) return row.word;
  }
  return "";
}

}  // namespace

bool ScsiWrapper::isValidHexByte(const char* text) {
  if (text == nullptr) return false;
  size_t length = std::strlen(text);
  while (length >= 3 && *text == '0') {
    ++text;
    --length;
  }
  if (length < 1 || length > 2) return false;
  for (size_t i = 0; i < length; ++i) {
    if (std::isxdigit(static_cast<unsigned char>(text[i])) == 0) return false;
  }
  return true;
}

bool ScsiWrapper::isValidDecNum(const char* text) {
  if (text == nullptr) return false;
  for (; *text != '\0'; ++text) {
    if (std::isdigit(static_cast<unsigned char>(*text)) == 0) return false;
  }
  return true;
}

int ScsiWrapper::ParseCommands(FILE* in, int* failures) {
  const bool debug = IsDebug();
  const bool verbose = IsVerbose();
  EnableDebug(true);
  EnableVerbose(true);
  int failed = 0;
  auto finish = [&](int result) {
    EnableDebug(debug);
    EnableVerbose(verbose);
    if (failures != nullptr) *failures = failed;
    return result;
  };

  ParseState s;
  std::string raw;
  for (;;) {
    std::printf("\n>> ");
    std::fflush(stdout);
    const LineRead got = GetLine(in, raw);
    if (got == LineRead::kEnd) return finish(0);
    if (got == LineRead::kTooLong) {
      std::printf("\nLine too long (at most %zu characters)\n", kMaxLine);
      ++failed;
      continue;
    }
    StripComment(raw);
    const size_t first = raw.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    const std::string line = raw.substr(first);
    if (line.size() < 2) continue;

    const std::vector<std::string> words = Words(line);
    Step step = Step::kDone;
    if (IsCommand(line, "data")) {
      step = DataCommand(in, words, s);
    } else if (IsCommand(line, "cdb")) {
      step = CdbCommand(in, words, s);
    } else if (IsCommand(line, "timeout")) {
      step = TimeoutCommand(*this, words);
    } else if (IsCommand(line, "quit")) {
      std::printf("\nGoodbye\n");
      return finish(0);
    } else if (IsCommand(line, "mod")) {
      return finish(0);
    } else {
      std::puts("\nInvalid command!");
      step = Step::kRefused;
    }
    if (step == Step::kEndOfInput) {
      ++failed;
      return finish(-1);
    }
    if (step == Step::kRefused) ++failed;

    ListDataBuffer(s);
    if (!s.cdb_complete) continue;
    std::printf("CDB (%d):\n", s.cdb_length);
    for (int i = 0; i < s.cdb_length; ++i) std::printf("%02X ", s.cdb[i]);
    std::printf("\nCDB direction = %s\n", DirectionName(s.direction));
    std::printf("CDB xfer len = %u\n", s.xfer);
    if (s.direction == kDataIn) {
      s.data.assign(s.xfer, 0);
      s.has_data = true;
    }
    std::fflush(stdout);
    if (!SendCmd(s.direction, s.cdb, s.cdb_length, s.direction == kDataNone ? nullptr : s.data.data(),
                 s.direction == kDataNone ? 0 : s.xfer)) {
      ++failed;
    }
    s.cdb_complete = false;
  }
}
