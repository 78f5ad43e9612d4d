#include "support/scratch_workdir.h"

#include <stdlib.h>

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

ScratchWorkdir::ScratchWorkdir(const char* tag, std::initializer_list<const char*> subfolders) {
  std::error_code ec;
  previous_ = std::filesystem::current_path(ec).string();
  std::string pattern = std::string("/tmp/vexil_") + tag + "_XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) {
    ADD_FAILURE() << "cannot make a scratch folder " << pattern;
    return;
  }
  path_ = name.data();
  std::filesystem::current_path(path_, ec);
  EXPECT_FALSE(ec) << "cannot enter " << path_;
  for (const char* sub : subfolders) std::filesystem::create_directory(sub, ec);
}

ScratchWorkdir::~ScratchWorkdir() {
  std::error_code ec;
  if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
  if (path_.empty()) return;
  // A test may have taken the owner's rights away to provoke a failure.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(path_, ec);
}
