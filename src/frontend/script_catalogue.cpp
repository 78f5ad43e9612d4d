#include "frontend/script_catalogue.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "base/work_folders.h"
#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/script_list.h"

namespace {

// The extension test ignores case: "test.scs" and "TEST.XCS" are scripts.
bool IsScriptName(const char* name) {
  const size_t length = std::strlen(name);
  if (length < 4) return false;
  char extension[5] = {};
  for (size_t i = 0; i < 4; ++i) {
    extension[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[length - 4 + i])));
  }
  return std::strcmp(extension, ".SCS") == 0 || std::strcmp(extension, ".XCS") == 0;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// The folder as the console looked for it, from the working folder, with the
// reason it could not be opened.
void ReportUnopenedFolder(const char* folder, int error) {
  print_wizard_error("Unable to open scripts directory!");
  std::string where = folder;
  if (where.rfind("./", 0) == 0) where.erase(0, 2);
  if (!where.empty() && where[0] != '/') {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) != nullptr) where = std::string(cwd) + "/" + where;
  }
  std::fprintf(ErrorStream(), "\t%s (%s)\n", where.c_str(), std::strerror(error));
}

}  // namespace

bool getscripts(ConsoleState& console, const char* folder, int32_t& count, uint8_t driveType) {
  count = 0;
  // The SAS-only scripts need a drive that answers as SAS (one MODE SENSE).
  console.flags.SasDrive = console.facade && console.facade->IsSAS() ? 1 : 0;
  Skerry_Scriptlist& catalogue = *console.scripts;
  const std::string library = folders::ScriptFolder();
  if (folder == nullptr) folder = library.c_str();

  struct stat status {};
  if (::stat(folder, &status) != 0) {
    ReportUnopenedFolder(folder, errno);
    return false;
  }
  if (!S_ISDIR(status.st_mode)) {
    if (catalogue.Add(folder, driveType, console.flags)) count = 1;
    return true;
  }
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder));
  if (!dir) {
    ReportUnopenedFolder(folder, errno);
    return false;
  }
  for (const dirent* entry = ::readdir(dir.get()); entry != nullptr; entry = ::readdir(dir.get())) {
    if (!IsScriptName(entry->d_name)) continue;
    const std::string path = std::string(folder) + "/" + entry->d_name;
    if (catalogue.Add(path.c_str(), driveType, console.flags)) ++count;
  }
  return true;
}

bool build_script_list(ConsoleState& console, const char* folder, uint8_t driveType) {
  console.scripts.reset(new (std::nothrow) Skerry_Scriptlist);
  if (!console.scripts) {
    print_memory_banner();
    cleanup(console);
    return false;
  }
  int32_t taken = 0;
  const bool scanned = getscripts(console, folder, taken, driveType);
  console.scripts->count = taken;
  if (scanned && taken > 0) return true;
  // A folder that could not be opened has said so already.
  if (scanned) print_wizard_error("No scripts found!");
  cleanup(console);
  return false;
}

const std::string* ScriptMenuLists::Pick(int32_t n) const {
  const auto task_count = static_cast<int32_t>(tasks.size());
  if (n >= 1 && n <= task_count) return &tasks[static_cast<size_t>(n - 1)];
  if (n > task_count && n <= Size()) return &tests[static_cast<size_t>(n - task_count - 1)];
  return nullptr;
}

ScriptMenuLists BuildMenuLists(const Skerry_Scriptlist* catalogue) {
  ScriptMenuLists lists;
  if (catalogue == nullptr) return lists;
  for (const ScriptEntry& entry : catalogue->Entries()) {
    (entry.type == 1 ? lists.tasks : lists.tests).push_back(entry.name);
  }
  // Byte-wise, as strcmp orders: upper case before lower case.
  std::ranges::sort(lists.tasks);
  std::ranges::sort(lists.tests);
  return lists;
}

void PrintMenuLists(const ScriptMenuLists& lists) {
  int number = 0;
  std::printf("\nTasks:\n");
  for (const std::string& name : lists.tasks) std::printf("%d) %s\n", ++number, name.c_str());
  std::printf("\nTests:\n");
  for (const std::string& name : lists.tests) std::printf("%d) %s\n", ++number, name.c_str());
}
