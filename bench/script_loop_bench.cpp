// Script engine speed: a loop of assignment, IF comparison and JUMP run
// through the engine, reported as statements per second, beside the same
// loop in Lua 5.4 run as a child process.
// Usage: script_loop_bench [iterations]   (default 10000000)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "script/core/kscript.h"
#include "script/statements/statement_table.h"

namespace {

constexpr int kStatementsPerIteration = 3;  // assignment, IF, JUMP

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string ScriptText(long iterations) {
  return "DESCRIPTION Loop benchmark\n"
         "LONG i = 0\n"
         "LOOP:\n"
         "    i += 1\n"
         "    IF i >= " +
         std::to_string(iterations) +
         " JUMP DONE\n"
         "    JUMP LOOP\n"
         "DONE:\n"
         "    IF i == " +
         std::to_string(iterations) +
         " JUMP GOOD\n"
         "    EXIT 1\n"
         "GOOD:\n"
         "    EXIT 0\n";
}

std::string LuaText(long iterations) {
  return "local i = 0\n"
         "::loop::\n"
         "i = i + 1\n"
         "if i >= " +
         std::to_string(iterations) +
         " then goto done end\n"
         "goto loop\n"
         "::done::\n"
         "if i ~= " +
         std::to_string(iterations) + " then os.exit(1) end\n";
}

}  // namespace

int main(int argc, char** argv) {
  UseBundledStatements();
  long iterations = argc > 1 ? std::atol(argv[1]) : 10000000L;
  if (iterations < 1) iterations = 1;
  namespace fs = std::filesystem;
  std::string folder = (fs::temp_directory_path() / "vexil-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr || chdir(folder.c_str()) != 0) {
    std::perror("bench folder");
    return 1;
  }
  std::ofstream("loop.scs") << ScriptText(iterations);
  std::ofstream("loop.lua") << LuaText(iterations);

  // The engine prints its load trail; keep it out of the figures.
  std::fflush(stdout);
  int savedOut = dup(1);
  FILE* devnull = std::freopen("/dev/null", "w", stdout);
  KScript engine;
  int loaded = engine.LoadScript("loop.scs", false, nullptr);
  auto start = std::chrono::steady_clock::now();
  int ran = loaded == 0 ? engine.ExecuteScript() : 1;
  double engineSeconds = Seconds(std::chrono::steady_clock::now() - start);
  std::fflush(stdout);
  dup2(savedOut, 1);
  close(savedOut);
  (void)devnull;
  if (loaded != 0 || ran != 0 || engine.GetExitStatus() != 0) {
    std::fprintf(stderr, "script loop failed (load %d, run %d, exit %u): %s\n", loaded, ran, engine.GetExitStatus(),
                 engine.GetMessage());
    fs::remove_all(folder);
    return 1;
  }

  start = std::chrono::steady_clock::now();
  int luaStatus = std::system("lua5.4 loop.lua");
  double luaSeconds = Seconds(std::chrono::steady_clock::now() - start);
  fs::remove_all(folder);

  double statements = static_cast<double>(iterations) * kStatementsPerIteration;
  std::printf("script loop: %ld iterations, %.0f statements (assignment, IF, JUMP)\n", iterations, statements);
  std::printf("  engine  : %8.3f s  %12.0f statements/s\n", engineSeconds, statements / engineSeconds);
  if (luaStatus != 0) {
    std::printf("  lua5.4  : not run (status %d)\n", luaStatus);
    return 0;
  }
  std::printf("  lua5.4  : %8.3f s  %12.0f statements/s\n", luaSeconds, statements / luaSeconds);
  std::printf("  ratio   : the engine takes %.1f times as long as Lua 5.4\n", engineSeconds / luaSeconds);
  return 0;
}
