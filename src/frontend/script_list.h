// The script catalogue: what the head of each script file says about it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/wizard_flags.h"
#include "script/core/ktext.h"

// Family mask of a script or a drive: one bit per name of FamilyNames.
constexpr uint32_t kFamilyWizard = 0x80000000u;
constexpr uint32_t kDefaultScriptFamily = 0xFFu;  // scripts without a FAMILY line

// One script of the catalogue. The name is the whole file name: a name cut
// short could select another file.
struct ScriptEntry {
  std::string name;  // file name without its folder
  int type = 0;      // 0 test, 1 task
  bool engineering = false;
  uint32_t family_mask = kDefaultScriptFamily;
  std::string description;
};

// Reads script heads with the text toolkit's buffer reader, line by line as
// the script loader reads them, and keeps the scripts that suit a drive.
class Skerry_Scriptlist : public KText {
 public:
  Skerry_Scriptlist() = default;
  ~Skerry_Scriptlist() override = default;

  // Reads the head of a script (locked scripts are unlocked in memory):
  // 0 done, -1 the file cannot be opened or unlocked, -2 no memory.
  int FastScanFileForInformation(const char* path);
  // True when the head could be read and its family shares a bit with the
  // drive's family.
  bool CheckScriptAndDriveFamily(const char* path, uint8_t driveType);
  static uint32_t GetFamilyForDrive(uint8_t driveType);

  // Results of the last scan.
  int Type() const { return type_; }  // 0 test, 1 task
  bool Engineering() const { return engineering_ != 0; }
  uint32_t FamilyMask() const { return family_mask_; }
  const std::string& Description() const { return description_; }

  // Scans the script at path and appends an entry when it suits the drive
  // and the modes of `modes`: its family matches, it is not [ENGINEERING]
  // outside engineering mode and no mode it needs is off. True when taken.
  bool Add(const char* path, uint8_t driveType, const WIZARD_FLAGS& modes);
  // Moves the current entry on; false when there is no current entry.
  bool Next();
  const ScriptEntry* Current() const;
  // Drops every entry; false when there was none.
  bool DeleteLinks();
  const std::vector<ScriptEntry>& Entries() const { return entries_; }

  int count = 0;  // entries taken into the catalogue

 private:
  void ResetScan();
  void ScanHeadLine(std::string& line, bool* stop);

  int engineering_ = 0;
  int type_ = 0;
  uint32_t family_mask_ = kDefaultScriptFamily;
  std::string description_;
  std::vector<ScriptEntry> entries_;  // in insertion order
  size_t current_ = 0;
};

// Mask of the words of a FAMILY line (the keyword already removed).
uint32_t FamilyMaskFromWords(const std::string& words);
// Name of family bit 0..21, or null.
const char* FamilyName(int bit);
