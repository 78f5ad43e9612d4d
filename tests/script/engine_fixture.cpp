#include "engine_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

void EngineTest::SetUp() {
  workdir_.emplace("engine", std::initializer_list<const char*>{"Logs"});
  dir_ = workdir_->path();
  ASSERT_FALSE(dir_.empty());
}

void EngineTest::TearDown() {
  engine.CleanUp();
  workdir_.reset();
}

void EngineTest::Write(const std::string& name, const std::string& content) {
  std::ofstream(name, std::ios::binary) << content;
}

int EngineTest::Load(const std::string& name, std::string* out) {
  testing::internal::CaptureStdout();
  const int result = engine.LoadScript(name.c_str(), false, nullptr);
  const std::string text = testing::internal::GetCapturedStdout();
  if (out != nullptr) *out = text;
  return result;
}

int EngineTest::Run(std::string* out) {
  testing::internal::CaptureStdout();
  const int result = engine.ExecuteScript();
  const std::string text = testing::internal::GetCapturedStdout();
  if (out != nullptr) *out = text;
  return result;
}

int EngineTest::LoadAndRun(const std::string& script, std::string* out) {
  Write("main.scs", script);
  std::string loadOut;
  if (Load("main.scs", &loadOut) != 0) {
    if (out != nullptr) *out = loadOut;
    return 10;
  }
  return Run(out);
}

std::string EngineTest::TrailText() const {
  std::ifstream in("Logs/KTrail.Txt", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> EngineTest::Texts() {
  std::vector<std::string> texts;
  for (const TEXT_LINK& link : engine.Statements().Links()) texts.push_back(link.text);
  return texts;
}

uint32_t EngineTest::Value(const char* name) {
  const VARI_LL* v = engine.FindVariable(name);
  EXPECT_NE(v, nullptr) << name;
  return v != nullptr ? v->Unsigned() : 0;
}
