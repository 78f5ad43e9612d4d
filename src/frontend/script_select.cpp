#include "frontend/script_select.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>

#include "base/work_folders.h"
#include "frontend/banners.h"
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/script_catalogue.h"
#include "frontend/script_list.h"
#include "frontend/selection_failure.h"
#include "frontend/usage.h"
#include "frontend/wizard_menus.h"

namespace {

bool Fail(ConsoleState& console, int32_t code) {
  console.sfe = code;
  return false;
}

bool Readable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

}  // namespace

bool process_s(ConsoleState& console, const char* name) {
  WIZARD_FLAGS& flags = console.flags;
  if (name == nullptr) {
    // The wizard: the catalogue of ./Scripts/ and its menu.
    if (!build_script_list(console, nullptr, flags.DriveType)) return Fail(console, kSfeNoCompatible);
    if (!select_script(console, folders::ScriptFolder().c_str())) return false;
    return true;
  }
  if (name[0] == '-') {
    printsyntax(flags, 0, nullptr);
    cleanup(console);
    return Fail(console, kSfeInvalidArgument);
  }

  std::string path = name;
  if (!Readable(path)) {
    // A name in the local library reads as typed there: "Scripts/name".
    std::string library = folders::ScriptFolder();
    if (library.rfind("./", 0) == 0) library.erase(0, 2);
    const std::string in_scripts = library + path;
    if (!Readable(in_scripts)) {
      std::perror(name);
      return Fail(console, kSfeNotFound);
    }
    path = in_scripts;
  }
  if (!SetField(flags.ScriptFile, path.c_str())) {
    std::fprintf(ErrorStream(), "Vexil: the script path is too long (at most %zu characters).\n",
                 sizeof flags.ScriptFile - 1);
    return Fail(console, kSfeInvalidArgument);
  }

  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    std::perror(path.c_str());
    return Fail(console, kSfeCannotOpen);
  }
  if (S_ISDIR(status.st_mode)) {
    if (!build_script_list(console, path.c_str(), flags.DriveType)) return Fail(console, kSfeNoCompatible);
    if (!select_script(console, path.c_str())) return false;
    return true;
  }

  console.scripts.reset(new (std::nothrow) Skerry_Scriptlist);
  if (!console.scripts) {
    print_memory_banner();
    cleanup(console);
    return Fail(console, kSfeNoCompatible);
  }
  if (!console.scripts->CheckScriptAndDriveFamily(path.c_str(), flags.DriveType)) {
    return Fail(console, kSfeIncompatible);
  }
  return true;
}
