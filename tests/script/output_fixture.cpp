#include "output_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>

KByteArray* BufferEngine::FindArray(std::string_view name) const {
  const auto it = buffers.find(name);
  return it != buffers.end() ? &it->second : KScript::FindArray(name);
}

KByteArray& BufferEngine::AddBuffer(const std::string& name, uint32_t size, const std::string& text) {
  KByteArray& buffer = buffers[name];
  buffer.Allocate(size);
  buffer.altered = 0;
  std::memcpy(buffer.data.get(), text.data(), std::min<size_t>(text.size(), size));
  return buffer;
}

std::string BufferEngine::Text(const std::string& name) const {
  const KByteArray* buffer = FindArray(name);
  if (buffer == nullptr) return "<no buffer>";
  const char* data = reinterpret_cast<const char*>(buffer->data.get());
  return std::string(data, strnlen(data, buffer->size));
}

void OutputTest::SetUp() {
  workdir_.emplace("output", std::initializer_list<const char*>{"Logs", "Scripts"});
  dir_ = workdir_->path();
  ASSERT_FALSE(dir_.empty());
  engine.SetScsiWrapper(&wrapper);
}

void OutputTest::TearDown() {
  engine.CleanUp();
  engine.SetInputStream(nullptr);
  if (in_ != nullptr) std::fclose(in_);
  if (log_ != nullptr) std::fclose(log_);
  workdir_.reset();
}

void OutputTest::Write(const std::string& name, const std::string& content) {
  std::ofstream(name, std::ios::binary) << content;
}

std::string OutputTest::Script(const std::string& body) {
  return "DESCRIPTION output\nBYTE b = 65\nWORD w = 10\nLONG l = FFFFFFFFH\nDOUBLE d = 3725.5\n"
         "START:\n" +
         body + "\nEXIT 0\nYES:\nEXIT 2\nNO:\nEXIT 3\n";
}

int32_t OutputTest::LoadError(const std::string& body) {
  Write("main.scs", Script(body));
  testing::internal::CaptureStdout();
  const int failed = engine.LoadScript("main.scs", false, nullptr);
  testing::internal::GetCapturedStdout();
  return failed != 0 ? engine.GetErrorCode() : 0;
}

int OutputTest::LoadAndRun(const std::string& body, const std::string& input, std::string* out) {
  if (LoadError(body) != 0) return 10;
  if (in_ != nullptr) std::fclose(in_);
  input_ = input;
  // A stream of the answers; an empty one is at its end at once.
  in_ = std::tmpfile();
  std::fwrite(input_.data(), 1, input_.size(), in_);
  std::rewind(in_);
  engine.SetInputStream(in_);
  testing::internal::CaptureStdout();
  const int result = engine.ExecuteScript();
  const std::string text = testing::internal::GetCapturedStdout();
  if (out != nullptr) *out = text;
  return result;
}

void OutputTest::OpenLog() {
  log_ = std::tmpfile();
  engine.SetLogFilePointer(log_);
}

std::string OutputTest::LogText() {
  std::fflush(log_);
  std::rewind(log_);
  std::string text;
  char chunk[512];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, log_)) > 0;) text.append(chunk, n);
  return text;
}

double OutputTest::DoubleValue(const char* name) {
  const VARI_LL* v = engine.FindVariable(name);
  EXPECT_NE(v, nullptr) << name;
  return v != nullptr ? v->dValue : 0.0;
}
