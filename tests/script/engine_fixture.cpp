#include "engine_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

void EngineTest::SetUp() {
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    oldDir_ = here;
    char pattern[] = "/tmp/vexil_engine_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    std::filesystem::create_directory("Logs");
}

void EngineTest::TearDown() {
    engine.CleanUp();
    if (!oldDir_.empty()) {
        EXPECT_EQ(chdir(oldDir_.c_str()), 0);
    }
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
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
