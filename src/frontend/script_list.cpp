#include "frontend/script_list.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "frontend/family_names.h"
#include "script/statements/lock_smith.h"

namespace {

constexpr size_t kLineLimit = 1023;  // longest head line read

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void Trim(std::string& text) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  size_t end = text.size();
  while (end > begin && IsBlank(text[end - 1])) --end;
  text = text.substr(begin, end - begin);
}

void Upper(std::string& text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void Blank(std::string& text, const char* characters) {
  for (char& c : text) {
    if (std::strchr(characters, c) != nullptr) c = ' ';
  }
}

// First word (after leading blanks) and the text after it.
std::string FirstWord(const std::string& text, std::string* rest) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  size_t end = begin;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  std::string word = text.substr(begin, end - begin);
  if (rest != nullptr) *rest = text.substr(end);  // text may be *rest itself
  return word;
}

// The text is read as the loader's text buffers read it: nothing at all when
// a byte before the first NUL is not 7-bit text.
bool IsText(const std::vector<uint8_t>& content) {
  for (uint8_t byte : content) {
    if (byte == 0) break;
    if (byte < 9 || byte > 127) return false;
  }
  return true;
}

// Splits the text (up to its first NUL) into lines without carriage returns.
// A line too long for the line buffer ends the reading, as it does for the
// loader.
std::vector<std::string> Lines(const std::vector<uint8_t>& content) {
  std::vector<std::string> lines;
  std::string line;
  for (uint8_t byte : content) {
    if (byte == 0) break;
    if (byte == '\r') continue;
    if (byte == '\n') {
      lines.push_back(line);
      line.clear();
      continue;
    }
    if (line.size() == kLineLimit) return lines;
    line.push_back(static_cast<char>(byte));
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

const char* FamilyName(int bit) {
  if (bit < 0 || bit >= static_cast<int>(std::size(kFamilyNames))) return nullptr;
  return kFamilyNames[bit];
}

uint32_t FamilyMaskFromWords(const std::string& words) {
  std::string text = words;
  // Commas separate families as well: the compiler accepts "FAMILY LTO, DAT".
  Blank(text, "();/,");
  Upper(text);
  uint32_t mask = 0;
  std::string rest = text;
  for (std::string word = FirstWord(rest, &rest); !word.empty(); word = FirstWord(rest, &rest)) {
    bool alias = false;
    for (const FamilyAlias& row : kFamilyAliases) {
      if (word == row.word) {
        mask |= row.mask;
        alias = true;
        break;
      }
    }
    if (alias) continue;
    for (int bit = 0; bit < static_cast<int>(std::size(kFamilyNames)); ++bit) {
      if (word == kFamilyNames[bit]) mask |= 1u << bit;
    }
  }
  return mask;
}

uint32_t Skerry_Scriptlist::GetFamilyForDrive(uint8_t driveType) {
  for (const DriveFamilyRange& row : kDriveFamilies) {
    if (driveType >= row.first && driveType <= row.last) return 1u << row.bit;
  }
  return 0;
}

void Skerry_Scriptlist::ResetScan() {
  type_ = 0;
  engineering_ = 0;
  family_mask_ = kDefaultScriptFamily;
  description_.clear();
}

// One head line, comments already removed and not empty.
void Skerry_Scriptlist::ScanHeadLine(std::string& line, bool* stop) {
  std::string rest;
  std::string word = FirstWord(line, &rest);
  Upper(word);
  if (word == "[TEST]") {
    type_ = 0;
  } else if (word == "[TASK]") {
    type_ = 1;
  } else if (word == "[ENGINEERING]") {
    engineering_ = 1;
  } else if (word == "FAMILY") {
    family_mask_ = FamilyMaskFromWords(rest);
  } else if (word == "DESCRIPTION") {
    Blank(line, "();\"");
    FirstWord(line, &rest);
    Trim(rest);
    description_ = rest;
    *stop = true;
  }
}

int Skerry_Scriptlist::FastScanFileForInformation(const char* path) {
  ResetScan();
  if (path == nullptr) return -1;
  std::vector<uint8_t> content;
  KLockSmith smith;
  const int unlocked = smith.UnlockFileToMemory(path, content);
  if (unlocked < 0 || unlocked >= 2) return -1;
  if (!IsText(content)) return 0;

  bool in_block = false;
  bool stop = false;
  for (std::string& line : Lines(content)) {
    if (in_block) {
      if (line.compare(0, 2, "*/") == 0) in_block = false;
      continue;
    }
    if (line.compare(0, 2, "/*") == 0) {
      in_block = true;
      continue;
    }
    const size_t comment = line.find("//");
    if (comment != std::string::npos) line.resize(comment);
    Trim(line);
    if (line.empty()) continue;
    ScanHeadLine(line, &stop);
    if (stop) break;
  }
  return 0;
}

bool Skerry_Scriptlist::CheckScriptAndDriveFamily(const char* path, uint8_t driveType) {
  if (FastScanFileForInformation(path) != 0) return false;
  const uint32_t drive = GetFamilyForDrive(driveType);
  if (drive == 0) return false;
  return (family_mask_ & drive) != 0;
}
