#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/system.h"
#include "frontend/console.h"
#include "frontend/console_state.h"
#include "script/statements/statement_table.h"
#include "sim/sim.h"

int main(int argc, char** argv) {
  // Line by line even into a pipe (tee, a service log), so the console's
  // lines keep their order with the shell commands' and an interruption
  // loses nothing already shown.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  UseBundledStatements();
  bool simulated = false;
  // An empty VEXIL_SIM, or 0, means the real drives, as an empty VEXIL_DEV means none.
  const char* v = std::getenv("VEXIL_SIM");
  if (v != nullptr && *v != '\0' && std::string(v) != "0") {
    std::string err;
    std::unique_ptr<SimSystem> sim = MakeSimSystem(v, &err);
    if (!sim) {
      std::fprintf(stderr, "Vexil: cannot start the virtual drives: %s\n", err.c_str());
      return 253;
    }
    InstallSystem(std::move(sim));
    simulated = true;
  }
  ConsoleState console;
  console.simulated = simulated;
  const int status = VexilMain(console, argc, argv);
  // Every path has ended its objects; this only guards against one that forgot.
  cleanup(console);
  std::fflush(stdout);
  return status;
}
