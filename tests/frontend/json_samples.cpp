// Writes a sample of each JSON document, from the fixtures, into the folder
// it is given as KIND.CASE.json, for check_json_schema.py to validate
// against schema/KIND.schema.json.
#include <cstdio>
#include <string>

#include "frontend/health_fixture.h"
#include "frontend/json_output.h"

namespace {

bool Write(const std::string& folder, const std::string& name, const std::string& json) {
  const std::string path = folder + "/" + name + ".json";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: json_samples FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = true;
  std::vector<DeviceHealth> all;
  for (const fixture::NamedDevice& d : fixture::AllDevices()) {
    ok = Write(folder, std::string("health.") + d.name, HealthJson(fixture::RunOf({d.make()}))) && ok;
    all.push_back(d.make());
  }
  ok = Write(folder, "health.all", HealthJson(fixture::RunOf(all))) && ok;
  ok = Write(folder, "health.none", HealthJson(HealthRun{})) && ok;
  ok = Write(folder, "list.all", ListJson(fixture::ListedDevices())) && ok;
  ok = Write(folder, "list.none", ListJson({})) && ok;
  ok = Write(folder, "script_run.passed", ScriptRunJson(fixture::PassedRun())) && ok;
  ok = Write(folder, "script_run.failed", ScriptRunJson(fixture::FailedRun())) && ok;
  ok = Write(folder, "script_run.hostile", ScriptRunJson(fixture::HostileRun())) && ok;
  return ok ? 0 : 1;
}
