#include "frontend/script_select.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>

#include "base/work_folders.h"
#include "frontend/banners.h"
#include "frontend/console_streams.h"
#include "frontend/globals.h"
#include "frontend/script_catalogue.h"
#include "frontend/script_list.h"
#include "frontend/selection_failure.h"
#include "frontend/usage.h"
#include "frontend/wizard_menus.h"

namespace {

bool Fail(int32_t code) {
  sfe = code;
  return false;
}

bool Readable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

}  // namespace

bool process_s(const char* name) {
  if (name == nullptr) {
    // The wizard: the catalogue of ./Scripts/ and its menu.
    if (!build_script_list(nullptr, g_pFlags.DriveType)) return Fail(kSfeNoCompatible);
    if (!select_script(folders::ScriptFolder().c_str())) return false;
    return true;
  }
  if (name[0] == '-') {
    printsyntax(0, nullptr);
    cleanup();
    return Fail(kSfeInvalidArgument);
  }

  std::string path = name;
  if (!Readable(path)) {
    // A name in the local library reads as typed there: "Scripts/name".
    std::string library = folders::ScriptFolder();
    if (library.rfind("./", 0) == 0) library.erase(0, 2);
    const std::string in_scripts = library + path;
    if (!Readable(in_scripts)) {
      std::perror(name);
      return Fail(kSfeNotFound);
    }
    path = in_scripts;
  }
  if (!SetField(g_pFlags.ScriptFile, path.c_str())) {
    std::fprintf(ErrorStream(), "Vexil: the script path is too long (at most %zu characters).\n",
                 sizeof g_pFlags.ScriptFile - 1);
    return Fail(kSfeInvalidArgument);
  }

  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    std::perror(path.c_str());
    return Fail(kSfeCannotOpen);
  }
  if (S_ISDIR(status.st_mode)) {
    if (!build_script_list(path.c_str(), g_pFlags.DriveType)) return Fail(kSfeNoCompatible);
    if (!select_script(path.c_str())) return false;
    return true;
  }

  g_pScriptlist.reset(new (std::nothrow) Skerry_Scriptlist);
  if (!g_pScriptlist) {
    print_memory_banner();
    cleanup();
    return Fail(kSfeNoCompatible);
  }
  if (!g_pScriptlist->CheckScriptAndDriveFamily(path.c_str(), g_pFlags.DriveType)) {
    return Fail(kSfeIncompatible);
  }
  return true;
}
