// An engine with named buffers of its own (until scripts can declare them), a
// session log and an answer stream held in memory, for the output and prompt
// statements.
#pragma once

#include <optional>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "facade/scsi_wrapper.h"
#include "script/core/kscript.h"
#include "support/scratch_workdir.h"

class BufferEngine : public KScript {
 public:
  KByteArray* FindArray(std::string_view name) const override;
  void SleepSeconds(uint32_t) override {}
  // A buffer of size bytes holding text (cut to the size).
  KByteArray& AddBuffer(const std::string& name, uint32_t size, const std::string& text = "");
  std::string Text(const std::string& name) const;  // up to the first NUL

  mutable std::map<std::string, KByteArray, std::less<>> buffers;
};

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Write(const std::string& name, const std::string& content);
  // "DESCRIPTION", the variables b (byte), w (word), l (long), d (double),
  // the label START, then body, which may use the labels YES and NO.
  static std::string Script(const std::string& body);
  // Loads Script(body); 0, or the error code of the failed load.
  int32_t LoadError(const std::string& body);
  // Loads and runs Script(body) with input as standard input; the run's
  // console output goes to *out. Returns the load result * 10 + the run result.
  int LoadAndRun(const std::string& body, const std::string& input = "", std::string* out = nullptr);
  // A session log for the engine; LogText() reads what was written to it.
  void OpenLog();
  std::string LogText();
  double DoubleValue(const char* name);

  BufferEngine engine;
  ScsiWrapper wrapper;
  std::string input_;
  FILE* in_ = nullptr;
  FILE* log_ = nullptr;
  std::string dir_;
  std::optional<ScratchWorkdir> workdir_;
};
