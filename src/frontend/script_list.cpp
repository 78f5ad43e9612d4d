#include "frontend/script_list.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "frontend/mode_gated_scripts.h"
#include "script/core/family_names.h"
#include "script/core/lock_smith.h"

namespace {

constexpr size_t kLineLimit = 1023;  // longest head line read

void Blank(std::string& text, const char* characters) {
  for (const char* c = characters; *c != '\0'; ++c) KText::RipReplace(*c, ' ', text);
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
  KText::CleanLine(text);
  KText::UpperCase(text);
  uint32_t mask = 0;
  for (std::string word; KText::Store1stWord(text, word), !word.empty(); KText::Clear1stWord(text)) {
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

// One head line, comments and leading blanks already removed, not empty.
void Skerry_Scriptlist::ScanHeadLine(std::string& line, bool* stop) {
  std::string word;
  Store1stWord(line, word);
  UpperCase(word);
  if (word == "[TEST]") {
    type_ = 0;
  } else if (word == "[TASK]") {
    type_ = 1;
  } else if (word == "[ENGINEERING]") {
    engineering_ = 1;
  } else if (word == "FAMILY") {
    Clear1stWord(line);
    family_mask_ = FamilyMaskFromWords(line);
  } else if (word == "DESCRIPTION") {
    Blank(line, "();\"");
    WipeLeft(line);
    Clear1stWord(line);
    WipeRight(line);
    description_ = line;
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
  // A file that is not 7-bit text is not registered and yields no lines.
  if (content.empty() || SetTextBuffer(content.data(), static_cast<int32_t>(content.size())) != 0) {
    return 0;
  }

  bool in_block = false;
  bool stop = false;
  std::string line;
  while (!stop) {
    // An over-long line comes back cut (-5); the head goes on after it.
    const int got = GetStringFromTextBuffer(content.data(), line, kLineLimit);
    if (got < 0 && got != -5) break;
    if (in_block) {
      if (line.compare(0, 2, "*/") == 0) in_block = false;
      continue;
    }
    if (line.compare(0, 2, "/*") == 0) {
      in_block = true;
      continue;
    }
    RemoveComments(line);
    WipeLeft(line);
    if (line.empty()) continue;
    ScanHeadLine(line, &stop);
  }
  KillATextBufferLink(content.data());
  return 0;
}

bool Skerry_Scriptlist::CheckScriptAndDriveFamily(const char* path, uint8_t driveType) {
  if (FastScanFileForInformation(path) != 0) return false;
  const uint32_t drive = GetFamilyForDrive(driveType);
  if (drive == 0) return false;
  return (family_mask_ & drive) != 0;
}

namespace {

// A script of the mode table is hidden while its mode is off.
bool HiddenByMode(const char* path, const WIZARD_FLAGS& modes) {
  for (const ModeGatedScript& row : kModeGatedScripts) {
    if (std::strcmp(path, row.path) != 0) continue;
    const bool on = modes.*row.mode != 0 && (row.also == nullptr || modes.*row.also != 0);
    return !on;
  }
  return false;
}

}  // namespace

bool Skerry_Scriptlist::Add(const char* path, uint8_t driveType, const WIZARD_FLAGS& modes) {
  if (path == nullptr || !CheckScriptAndDriveFamily(path, driveType)) return false;
  if (modes.EngMode == 0 && engineering_ != 0) return false;
  if (HiddenByMode(path, modes)) return false;
  const char* slash = std::strrchr(path, '/');
  ScriptEntry entry;
  entry.name = slash != nullptr ? slash + 1 : path;
  entry.type = type_;
  entry.engineering = engineering_ != 0;
  entry.family_mask = family_mask_;
  entry.description = description_;
  if (entries_.empty()) current_ = 0;
  entries_.push_back(std::move(entry));
  return true;
}

bool Skerry_Scriptlist::Next() {
  if (current_ >= entries_.size()) return false;
  ++current_;
  return true;
}

const ScriptEntry* Skerry_Scriptlist::Current() const {
  return current_ < entries_.size() ? &entries_[current_] : nullptr;
}

bool Skerry_Scriptlist::DeleteLinks() {
  const bool had = !entries_.empty();
  entries_.clear();
  current_ = 0;
  count = 0;
  return had;
}
