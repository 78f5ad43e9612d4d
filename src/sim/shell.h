// The few shell commands the console runs, answered from the bench.
#pragma once

#include <ctime>
#include <string>
#include <vector>

class SimDevice;

struct SimNodeView {
  std::string node;
  const SimDevice* device;
  bool unreadable;
};

// Prints what the command would print on standard output and returns the
// status as system() would (exit code in bits 8-15). Unknown commands
// print nothing and give 127.
int SimShell(const std::string& command, const std::vector<SimNodeView>& nodes, std::time_t created);
