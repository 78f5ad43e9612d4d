// A script engine working in a temporary folder of its own, with helpers to
// write scripts, load and run them, and read what they printed and reported.
#pragma once

#include <optional>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "script/core/kscript.h"
#include "support/scratch_workdir.h"

// An engine whose SLEEP records the wait instead of waiting, and which knows
// the byte arrays put in `arrays` as buffers (besides those a script declares).
class RecordingEngine : public KScript {
 public:
  void SleepSeconds(uint32_t seconds) override { sleeps.push_back(seconds); }
  KByteArray* FindArray(std::string_view name) const override {
    auto it = arrays.find(std::string(name));
    return it != arrays.end() ? it->second : KScript::FindArray(name);
  }
  std::vector<uint32_t> sleeps;
  std::map<std::string, KByteArray*> arrays;
};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a file into the temporary folder.
  void Write(const std::string& name, const std::string& content);
  // LoadScript(name); the console output goes to *out when given.
  int Load(const std::string& name, std::string* out = nullptr);
  // ExecuteScript(); the console output goes to *out when given.
  int Run(std::string* out = nullptr);
  // Writes main.scs, loads it and, when the load worked, runs it.
  // Returns the load result * 10 + the run result.
  int LoadAndRun(const std::string& script, std::string* out = nullptr);
  // Content of the trail file.
  std::string TrailText() const;
  // Texts of the compiled statements, in order.
  std::vector<std::string> Texts();
  // Value of an integer variable (fails the test when it does not exist).
  uint32_t Value(const char* name);

  RecordingEngine engine;
  std::string dir_;

 private:
  std::optional<ScratchWorkdir> workdir_;
};
