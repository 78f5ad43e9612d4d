// Fuzz target: the script loader and compiler on raw file contents.
// The input is split at each "@@@\n" into the main script "main.scs" and the
// files "a.scs" and "b.scs", which the main script may include.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_workspace.h"
#include "script/core/kscript.h"
#include "script/statements/statement_table.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseBundledStatements();
  fuzz::EnterPrivateFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (size_t end; parts.size() < 2 && (end = input.find("@@@\n", from)) != std::string_view::npos; from = end + 4)
    parts.push_back(input.substr(from, end - from));
  parts.push_back(input.substr(from));
  parts.resize(3);
  fuzz::WriteFile("main.scs", std::string(parts[0]));
  fuzz::WriteFile("a.scs", std::string(parts[1]));
  fuzz::WriteFile("b.scs", std::string(parts[2]));
  KScript engine;
  const int first = engine.LoadScript("main.scs", false, nullptr);
  // The console loads many scripts with one engine: a second load must start
  // clean and come to the same result.
  if (engine.LoadScript("main.scs", false, nullptr) != first) std::abort();
  return 0;
}
