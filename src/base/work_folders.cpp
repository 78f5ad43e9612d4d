#include "base/work_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef VEXIL_INSTALLED_SCRIPTS
#define VEXIL_INSTALLED_SCRIPTS "/usr/share/vexil/Scripts"
#endif

namespace fs = std::filesystem;

namespace folders {
namespace {

const char* SetVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

std::string WithSlash(std::string path) {
  if (path.back() != '/') path += '/';
  return path;
}

}  // namespace

const char* InstalledScriptFolder() { return VEXIL_INSTALLED_SCRIPTS; }

std::string ScriptFolder() {
  static constexpr char kLocal[] = "./Scripts/";
  if (IsFolder(kLocal)) return kLocal;
  if (const char* named = SetVariable("VEXIL_SCRIPTS")) return WithSlash(named);
  if (IsFolder(InstalledScriptFolder())) return WithSlash(InstalledScriptFolder());
  return kLocal;
}

std::string LogFolder() {
  const char* named = SetVariable("VEXIL_LOGS");
  if (named == nullptr) return "./Logs";
  std::string folder = named;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string MakeWorkingFolder(const std::string& dir, const std::string& library) {
  std::error_code error;
  if (!IsFolder(library)) return "no script library at " + library;
  fs::create_directories(fs::path(dir) / "Logs", error);
  if (error) return dir + "/Logs: " + error.message();
  const fs::path scripts = fs::path(dir) / "Scripts";
  if (fs::exists(scripts, error)) return "";
  fs::copy(library, scripts, fs::copy_options::recursive, error);
  if (error) return scripts.string() + ": " + error.message();
  return "";
}

}  // namespace folders
