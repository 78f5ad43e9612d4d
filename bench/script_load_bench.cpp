// Script loader speed: load and compile a generated script of 20,000 lines
// (declarations, labels, assignments, conditions, jumps, messages
// and comments) and report the time per line.
// Usage: script_load_bench [lines] [rounds]   (defaults 20000 and 3)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "script/core/kscript.h"
#include "script/statements/statement_table.h"

namespace {

std::string GeneratedScript(long lines) {
  std::ostringstream out;
  long written = 0;
  auto line = [&](const std::string& text) {
    out << text << '\n';
    ++written;
  };
  line("// generated load benchmark");
  line("[TEST]");
  line("FAMILY ALL");
  line("DESCRIPTION Generated load benchmark");
  long variables = lines / 20;
  for (long v = 0; v < variables; ++v) {
    switch (v % 4) {
      case 0:
        line("BYTE b" + std::to_string(v) + " = " + std::to_string(v % 200));
        break;
      case 1:
        line("WORD w" + std::to_string(v) + " = 0x" + "1234");
        break;
      case 2:
        line("LONG l" + std::to_string(v) + " = " + std::to_string(70000 + v));
        break;
      default:
        line("DOUBLE d" + std::to_string(v) + " = 1.5");
        break;
    }
  }
  for (long block = 0; written < lines - 2; ++block) {
    long v = (block * 4) % (variables > 0 ? variables : 1);
    std::string b = "b" + std::to_string(v - v % 4);
    std::string l = "l" + std::to_string(v - v % 4 + 2);
    std::string label = "L" + std::to_string(block);
    line(label + ":");
    line("    " + b + " += 1");
    line("    " + l + " *= 3");
    line("    IF " + b + " > 100 JUMP " + label);
    line("    // step " + std::to_string(block));
    line("    PASS \"step " + std::to_string(block) + "\"");
    line("    IF " + l + " == 0 CALL SUB");
  }
  line("SUB:");
  line("    RETURN");
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  UseBundledStatements();
  long lines = argc > 1 ? std::atol(argv[1]) : 20000L;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (lines < 100) lines = 100;
  if (rounds < 1) rounds = 1;
  namespace fs = std::filesystem;
  std::string folder = (fs::temp_directory_path() / "vexil-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr || chdir(folder.c_str()) != 0) {
    std::perror("bench folder");
    return 1;
  }
  std::string text = GeneratedScript(lines);
  long actual = 0;
  for (char c : text) actual += c == '\n';
  std::ofstream("big.scs") << text;

  std::fflush(stdout);
  int savedOut = dup(1);
  FILE* devnull = std::freopen("/dev/null", "w", stdout);
  (void)devnull;
  KScript engine;
  double best = 1e30;
  int result = 0;
  for (int r = 0; r < rounds; ++r) {
    auto start = std::chrono::steady_clock::now();
    result |= engine.LoadScript("big.scs", false, nullptr);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (s < best) best = s;
  }
  std::fflush(stdout);
  dup2(savedOut, 1);
  close(savedOut);
  fs::remove_all(folder);
  if (result != 0) {
    std::fprintf(stderr, "the generated script did not load: %s\n", engine.GetMessage());
    return 1;
  }
  std::printf("script load: %ld lines, best of %d rounds: %.3f s, %.2f us per line\n", actual, rounds, best,
              best * 1e6 / static_cast<double>(actual));
  return 0;
}
