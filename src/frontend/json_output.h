// The console's JSON documents (`--json`), one per run on standard output,
// each with a schema_version and described by a JSON Schema in schema/:
// the health run (health.schema.json), the drives found (list.schema.json)
// and a script run (script_run.schema.json). Every key is always present; a
// figure that was not read, or a name that does not exist, is null.
#pragma once

#include <string>
#include <vector>

#include "facade/health.h"

// Raised when a document changes in a way its readers would notice.
inline constexpr int kJsonSchemaVersion = 1;

// One device found, as `lsscsi -g` lists it.
struct ListedDevice {
  std::string node;  // "/dev/sg1"
  std::string hctl;  // "2:0:1:0"
  std::string type;  // "tape", "changer", "disk", ...
  std::string vendor, product, revision, serial;
  std::string st, nst;  // "/dev/st0", "/dev/nst0" where known
};

// One run of a script (`-s`). Its verdict is PASS when status is 0.
struct ScriptRunReport {
  std::string script;  // as named on the command line
  std::string node;
  int status = 0;  // the script's exit status
  std::string log_file;
  double duration_seconds = 0;
};

std::string HealthJson(const HealthRun& run);
std::string ListJson(const std::vector<ListedDevice>& devices);
std::string ScriptRunJson(const ScriptRunReport& report);
