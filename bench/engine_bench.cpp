// Script engine speed: a loop of one assignment, one IF comparison and one
// JUMP, run by the engine and, when lua5.4 is installed, by Lua for
// comparison. Prints nanoseconds per loop pass and the ratio.
//
//   engine_bench [passes]      (default 10,000,000)
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "script/core/kscript.h"
#include "script/statements/statement_table.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Seconds Lua takes for the same loop, or a negative value when lua5.4 is absent.
double LuaSeconds(long passes) {
  const std::string program = "local i, n = 0, " + std::to_string(passes) +
                              " local t = os.clock() ::top:: i = i + 1 if i >= n then goto done end goto top "
                              "::done:: print(os.clock() - t)";
  const std::string command = "lua5.4 -e '" + program + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1.0;
  double seconds = -1.0;
  if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1.0;
  ::pclose(pipe);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  UseBundledStatements();
  const long passes = argc > 1 ? std::atol(argv[1]) : 10000000L;
  const std::filesystem::path home = std::filesystem::current_path();
  char pattern[] = "/tmp/vexil_engine_bench_XXXXXX";
  if (::mkdtemp(pattern) == nullptr || ::chdir(pattern) != 0) return 1;
  std::filesystem::create_directory("Logs");
  std::ofstream("bench.scs") << "DESCRIPTION engine speed\n"
                             << "XLONG i = 0\n"
                             << "XLONG n = " << passes << "\n"
                             << "START:\n"
                             << "i += 1\n"
                             << "IF i >= n JUMP DONE\n"
                             << "JUMP START\n"
                             << "DONE:\n"
                             << "EXIT 0\n";
  KScript engine;
  // The trail messages go to standard output; the figures go to standard error.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  const int loaded = engine.LoadScript("bench.scs", false, nullptr);
  const Clock::time_point start = Clock::now();
  const int ran = loaded == 0 ? engine.ExecuteScript() : 1;
  const double seconds = Seconds(Clock::now() - start);
  std::filesystem::current_path(home);
  std::filesystem::remove_all(pattern);
  const VARI_LL* counter = engine.FindVariable("i");
  if (loaded != 0 || ran != 0 || counter == nullptr || counter->lValue != static_cast<uint32_t>(passes)) {
    std::fprintf(stderr, "the bench script failed (load %d, run %d)\n", loaded, ran);
    return 1;
  }
  const double lua = LuaSeconds(passes);
  std::fprintf(stderr, "engine: %ld passes in %.3f s, %.2f ns per pass\n", passes, seconds,
               seconds * 1e9 / static_cast<double>(passes));
  if (lua > 0.0)
    std::fprintf(stderr, "lua5.4: %.3f s, %.2f ns per pass; engine/lua = %.2f\n", lua,
                 lua * 1e9 / static_cast<double>(passes), seconds / lua);
  else
    std::fprintf(stderr, "lua5.4 not available for comparison\n");
  return 0;
}
