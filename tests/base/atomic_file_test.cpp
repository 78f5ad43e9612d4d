// Replacing a file at once: the new content under the old name with the old
// mode, and after any failure the old file as it was and no temporary file.
#include "base/atomic_file.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "support/scratch_workdir.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Files may grow to `bytes` only, and a write beyond fails (EFBIG) instead of
// raising SIGXFSZ; both come back when it goes.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit old_{};
  sighandler_t old_handler_;
};

TEST(WriteFileAtomically, ReplacesTheContentAndKeepsTheMode) {
  ScratchWorkdir dir("atomic", {});
  const std::string path = dir.path() + "/vexil.prom";
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "first\n", error)) << error;
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, "second\n", error)) << error;
  EXPECT_EQ(Read(path), "second\n");
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"vexil.prom"});
}

TEST(WriteFileAtomically, AFailureLeavesTheOldFileAndNoTemporaryFile) {
  struct Case {
    const char* name;
    const char* file;  // below the scratch folder
    std::function<bool(const std::string& path, std::string& error)> write;
    const char* reason;
  };
  const std::string big(64 * 1024, 'x');
  const Case cases[] = {
      {"the write fails half way", "vexil.prom",
       [&big](const std::string& path, std::string& error) {
         FileSizeLimit limit(4096);
         return WriteFileAtomically(path, big, error);
       },
       "File too large"},
      {"the folder is missing", "gone/vexil.prom",
       [](const std::string& path, std::string& error) { return WriteFileAtomically(path, "new\n", error); },
       "No such file or directory"},
      {"the target is a folder", "folder",
       [](const std::string& path, std::string& error) { return WriteFileAtomically(path, "new\n", error); },
       "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchWorkdir dir("atomic", {"folder"});
    std::ofstream(dir.path() + "/vexil.prom") << "old\n";
    const std::vector<std::string> before = Names(dir.path());
    const std::string path = dir.path() + "/" + c.file;
    std::string error;
    EXPECT_FALSE(c.write(path, error));
    EXPECT_EQ(error, "Unable to write " + path + ": " + c.reason);
    EXPECT_EQ(Read(dir.path() + "/vexil.prom"), "old\n");
    EXPECT_EQ(Names(dir.path()), before);
  }
}

}  // namespace
