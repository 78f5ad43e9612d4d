#include "base/work_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "support/scratch_workdir.h"

namespace fs = std::filesystem;

namespace {

// Sets or clears an environment variable for one test.
class Env {
 public:
  Env(const char* name, const char* value) : name_(name) {
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~Env() { ::unsetenv(name_); }

 private:
  const char* name_;
};

void Touch(const fs::path& file) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  std::ofstream(file) << "x\n";
}

// Where the scripts come from: the working folder's own library first, then
// VEXIL_SCRIPTS (an empty value is no value), then the installed one.
TEST(WorkFolders, ScriptFolderOrder) {
  struct Case {
    bool local;
    const char* variable;
    const char* expected;
  };
  const std::string installed = std::string(folders::InstalledScriptFolder()) + "/";
  const bool installed_here = fs::is_directory(folders::InstalledScriptFolder());
  const Case cases[] = {
      {true, "/srv/scripts", "./Scripts/"},
      {false, "/srv/scripts", "/srv/scripts/"},
      {false, "/srv/scripts/", "/srv/scripts/"},
      {false, "", installed_here ? installed.c_str() : "./Scripts/"},
      {false, nullptr, installed_here ? installed.c_str() : "./Scripts/"},
  };
  for (const Case& c : cases) {
    ScratchWorkdir dir("folders", {});
    if (c.local) fs::create_directory("Scripts");
    const Env env("VEXIL_SCRIPTS", c.variable);
    EXPECT_EQ(folders::ScriptFolder(), c.expected) << c.local << (c.variable ? c.variable : "(unset)");
  }
}

TEST(WorkFolders, LogFolderFromTheVariable) {
  {
    const Env env("VEXIL_LOGS", nullptr);
    EXPECT_EQ(folders::LogFolder(), "./Logs");
  }
  const Env env("VEXIL_LOGS", "/var/log/vexil//");
  EXPECT_EQ(folders::LogFolder(), "/var/log/vexil");
}

// -init copies the library once: a second run keeps what the user changed.
TEST(WorkFolders, MakeWorkingFolderCopiesTheLibraryOnce) {
  ScratchWorkdir dir("init", {});
  Touch("library/Check.scs");
  Touch("library/Benches/fault.bench");
  EXPECT_EQ(folders::MakeWorkingFolder("deep/work", "library"), "");
  EXPECT_TRUE(fs::is_regular_file("deep/work/Scripts/Check.scs"));
  EXPECT_TRUE(fs::is_regular_file("deep/work/Scripts/Benches/fault.bench"));
  EXPECT_TRUE(fs::is_directory("deep/work/Logs"));

  std::ofstream("deep/work/Scripts/Check.scs") << "edited\n";
  Touch("library/New.scs");
  EXPECT_EQ(folders::MakeWorkingFolder("deep/work", "library"), "");
  std::ifstream edited("deep/work/Scripts/Check.scs");
  std::string line;
  std::getline(edited, line);
  EXPECT_EQ(line, "edited");
  EXPECT_FALSE(fs::exists("deep/work/Scripts/New.scs"));

  EXPECT_NE(folders::MakeWorkingFolder("other", "no_library"), "");
  Touch("file");
  EXPECT_NE(folders::MakeWorkingFolder("file/below", "library"), "");  // a file in the way
}

}  // namespace
