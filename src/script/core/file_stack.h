// CFileStackLL: the files of one script load. The include stack holds the files
// being read (top = the one whose lines are read now); the project list holds
// every file loaded so far, so error reports can name a file by its id and a
// file is read at most once per load.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "script/core/ktext.h"

struct FILE_LINK {
  std::shared_ptr<const std::string> fileName;  // shared by the stack and project records
  std::string description;
  float version = 0.0f;
  FILE* stream = nullptr;  // not used by the in-memory loader
  int32_t fileId = 0;
  int32_t savedTextPosition = 0;
  int32_t savedLineNumber = 0;
  bool locked = false;
  int32_t size = 0;
  std::vector<char> content;  // whole unscrambled file plus a NUL; stack records only
};

// The whole content of a script file, unscrambled in memory when it is a locked
// (.XCS) script; the file is untouched. 0 unlocked, 1 plain, 2 unknown scrambling,
// -1 the file can't be read. Provided by the scrambler (statements/lock_smith.cpp).
int ReadScriptFile(const std::string& fileName, std::vector<uint8_t>& content);
// 0 when the file, as stored, matches its fingerprint side file (the check of a
// released script); non-zero otherwise. Provided by statements/fingerprint.cpp.
int ValidateScriptFingerPrint(const std::string& fileName);

class CFileStackLL : public KText {
 public:
  CFileStackLL() = default;
  ~CFileStackLL() override;
  CFileStackLL(const CFileStackLL&) = delete;
  CFileStackLL& operator=(const CFileStackLL&) = delete;

  // 0 pushed; -1 already in the project; -2 unscrambling failed; -3 cannot be opened;
  // -4 fingerprint check failed.
  int PushInclude(const char* name, int32_t& fileId, const char*& content, int32_t position, int32_t line,
                  bool validate);
  // 1 the main file ended (stack dropped); 0 back in the including file; -1 stack empty.
  int PopInclude(const char*& content, int32_t& fileId, int32_t& position, int32_t& line);
  void KillStack();
  void KillList();
  bool IsThisFileInProject(const char* name) const;
  int MatchIdToFileName(int32_t fileId, std::string& name) const;  // 0; -1 empty; -2 not found
  int SetOtherPaths(const char* paths);                            // 0; -1 a folder cannot be entered
  const std::vector<std::string>& OtherPaths() const { return otherPaths_; }
  int32_t StackCount() const { return static_cast<int32_t>(stack_.size()); }
  int32_t ProjectCount() const { return static_cast<int32_t>(project_.size()); }

 private:
  void DropTop();
  std::vector<std::string> otherPaths_;
  std::vector<std::unique_ptr<FILE_LINK>> stack_;
  std::vector<std::unique_ptr<FILE_LINK>> project_;
};
