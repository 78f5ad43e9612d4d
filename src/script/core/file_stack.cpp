// The include stack and the project file list of one script load.
#include "script/core/file_stack.h"

#include <unistd.h>

#include <climits>
#include <cstring>

CFileStackLL::~CFileStackLL() {
  KillStack();
  KillList();
}

bool CFileStackLL::IsThisFileInProject(const char* name) const {
  for (const auto& rec : project_)
    if (*rec->fileName == name) return true;
  return false;
}

int CFileStackLL::PushInclude(const char* name, int32_t& fileId, const char*& content, int32_t position, int32_t line,
                              bool validate) {
  if (IsThisFileInProject(name)) return -1;

  // Read the whole file and unlock it in memory; a plain file comes back unchanged.
  std::vector<uint8_t> bytes;
  const int unlocked = ReadScriptFile(name, bytes);
  if (unlocked < 0) return -3;
  if (unlocked != 0 && unlocked != 1) return -2;
  if (bytes.size() > static_cast<size_t>(INT32_MAX - 1)) return -3;
  if (validate && ValidateScriptFingerPrint(name) != 0) return -4;

  auto fileName = std::make_shared<const std::string>(name);
  auto stackRec = std::make_unique<FILE_LINK>();
  auto projectRec = std::make_unique<FILE_LINK>();
  for (FILE_LINK* rec : {stackRec.get(), projectRec.get()}) {
    rec->fileName = fileName;
    rec->fileId = ProjectCount();
    rec->savedTextPosition = position;
    rec->savedLineNumber = line;
    rec->size = static_cast<int32_t>(bytes.size());
  }
  stackRec->content.assign(bytes.begin(), bytes.end());
  stackRec->content.push_back('\0');

  fileId = stackRec->fileId;
  content = stackRec->content.data();
  project_.push_back(std::move(projectRec));
  stack_.push_back(std::move(stackRec));
  // A file with bytes outside 9..127 is not registered and so yields no lines.
  SetTextBuffer(content, static_cast<int32_t>(stack_.back()->content.size()));
  return 0;
}

void CFileStackLL::DropTop() {
  KillATextBufferLink(stack_.back()->content.data());
  if (stack_.back()->stream != nullptr) std::fclose(stack_.back()->stream);
  stack_.pop_back();
}

int CFileStackLL::PopInclude(const char*& content, int32_t& fileId, int32_t& position, int32_t& line) {
  if (stack_.empty()) return -1;
  if (stack_.size() == 1) {
    DropTop();
    content = nullptr;
    return 1;
  }
  position = stack_.back()->savedTextPosition;
  line = stack_.back()->savedLineNumber;
  DropTop();
  content = stack_.back()->content.data();
  fileId = stack_.back()->fileId;
  return 0;
}

void CFileStackLL::KillStack() {
  while (!stack_.empty()) DropTop();
}

void CFileStackLL::KillList() { project_.clear(); }

int CFileStackLL::MatchIdToFileName(int32_t fileId, std::string& name) const {
  if (project_.empty()) return -1;
  for (const auto& rec : project_) {
    if (rec->fileId == fileId) {
      name = *rec->fileName;
      return 0;
    }
  }
  return -2;
}

int CFileStackLL::SetOtherPaths(const char* paths) {
  otherPaths_.clear();
  if (paths == nullptr) return 0;
  std::string text(paths);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) otherPaths_.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  char here[PATH_MAX];
  if (getcwd(here, sizeof here) == nullptr) {
    otherPaths_.clear();
    return -1;
  }
  for (const std::string& folder : otherPaths_) {
    if (chdir(folder.c_str()) != 0) {
      otherPaths_.clear();
      return -1;
    }
    if (chdir(here) != 0) {
      otherPaths_.clear();
      return -1;
    }
  }
  return 0;
}
