// The examples of the README's health section, run as they stand: each
// "$ VEXIL_SIM=BENCH vexil ARGS; echo "exit $?"" block must print exactly
// the lines that follow it and end with that exit status, and a "# in FILE"
// block lists lines the file the example before it wrote must hold.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "vexil_process.h"

namespace {

const std::string kSource = VEXIL_SOURCE_DIR;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The fenced blocks of the section that starts at `heading`.
std::vector<std::vector<std::string>> Blocks(const std::string& readme, const std::string& heading) {
  const size_t start = readme.find(heading);
  const size_t end = readme.find("\n## ", start + 1);
  std::vector<std::vector<std::string>> blocks;
  std::vector<std::string>* open = nullptr;
  for (const std::string& line : Lines(readme.substr(start, end - start))) {
    if (line == "```") {
      if (open == nullptr) {
        open = &blocks.emplace_back();
      } else {
        open = nullptr;
      }
    } else if (open != nullptr) {
      open->push_back(line);
    }
  }
  return blocks;
}

TEST(ReadmeExamples, HealthSectionRunsAsWritten) {
  std::ifstream file(kSource + "/README.md");
  std::stringstream readme;
  readme << file.rdbuf();
  const auto blocks = Blocks(readme.str(), "## Health report, cartridge memory and monitoring");
  int examples = 0;
  ScratchDir dir;
  for (const auto& block : blocks) {
    if (block.empty()) continue;
    if (block[0].rfind("# in ", 0) == 0) {
      const std::string written = dir.Read(block[0].substr(5));
      for (size_t i = 1; i < block.size(); ++i) {
        EXPECT_NE(written.find(block[i] + "\n"), std::string::npos) << block[0] << " lacks: " << block[i];
      }
      continue;
    }
    // One or more commands, each followed by its output and "exit N".
    for (size_t at = 0; at < block.size();) {
      const std::string& command = block[at];
      if (command.rfind("$ VEXIL_SIM=", 0) != 0) break;  // not an example to run
      const std::string kTail = "; echo \"exit $?\"";
      ASSERT_EQ(command.substr(command.size() - kTail.size()), kTail) << command;
      std::vector<std::string> words = Words(command.substr(2, command.size() - 2 - kTail.size()));
      std::string bench = words[0].substr(std::string("VEXIL_SIM=").size());
      if (bench != "1") bench = kSource + "/" + bench;
      ASSERT_EQ(words[1], "vexil") << command;
      const std::vector<std::string> args(words.begin() + 2, words.end());
      const ProcessResult r = RunVexil(dir.path(), args, {{"VEXIL_SIM", bench}});
      std::string expected;
      size_t next = at + 1;
      while (next < block.size() && block[next].rfind("exit ", 0) != 0) expected += block[next++] + "\n";
      ASSERT_LT(next, block.size()) << command << ": no exit line";
      EXPECT_EQ(r.out, expected) << command;
      EXPECT_EQ("exit " + std::to_string(r.status), block[next]) << command << "\n" << r.err;
      ++examples;
      at = next + 1;
    }
  }
  EXPECT_GT(examples, 0) << "no example found: did the heading change?";
}

}  // namespace
