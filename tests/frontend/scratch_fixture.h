// A scratch working folder for tests that touch ./Logs or ./Scripts, and a
// System whose clock stands still.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "base/system.h"
#include "support/scratch_workdir.h"

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes a file below the scratch folder (folders must exist).
  void WriteFile(const std::string& name, const std::string& content);
  std::string ReadFile(const std::string& name);
  std::string root_;

 private:
  std::optional<ScratchWorkdir> workdir_;
};

// Installs a System whose Now() is a fixed time; restores the old one.
class FixedClock {
 public:
  explicit FixedClock(time_t when);
  ~FixedClock();
  void Set(time_t when);

 private:
  std::unique_ptr<System> previous_;
};
