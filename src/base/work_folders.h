// Where the console finds its script library and writes its session logs.
// A working folder with its own Scripts/ keeps today's layout; an installed
// console run from anywhere else falls back to VEXIL_SCRIPTS and then to
// the library installed with it.
#pragma once

#include <string>

namespace folders {

// The script folder, ending in '/': "./Scripts/" when the working folder
// has one, else $VEXIL_SCRIPTS when set, else the installed library when it
// exists, else "./Scripts/" (so a report names the folder a user expects).
std::string ScriptFolder();
// The session log folder, without a trailing '/': $VEXIL_LOGS when set,
// else "./Logs".
std::string LogFolder();
// The installed script library ("/usr/share/vexil/Scripts" with the prefix
// /usr).
const char* InstalledScriptFolder();

// `vexil -init DIR`: makes DIR (and its parents where missing) a working
// folder: a copy of the script library in DIR/Scripts and an empty
// DIR/Logs. An existing DIR/Scripts is left as it stands. Returns an empty
// string on success, else the reason.
std::string MakeWorkingFolder(const std::string& dir, const std::string& library);

}  // namespace folders
