// The catalogue of the scripts that suit the selected drive, and the task and
// test lists the menus show from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ConsoleState;
class Skerry_Scriptlist;

// Replaces the console's catalogue by one built from `folder` ("./Scripts/"
// when null) for the drive; its count is the entries taken. With no script
// taken prints "No scripts found!", cleans up the console and fails.
bool build_script_list(ConsoleState& console, const char* folder, uint8_t driveType);
// Scans a folder (every .SCS and .XCS file) or a single script file into the
// console's catalogue, counting the entries taken. Records in the selection
// whether the drive answers as SAS.
bool getscripts(ConsoleState& console, const char* folder, int32_t& count, uint8_t driveType);

// The menus' lists: task names, then test names, each sorted byte-wise.
// Tasks are numbered 1 to T, tests T+1 onwards.
struct ScriptMenuLists {
  std::vector<std::string> tasks;
  std::vector<std::string> tests;
  int32_t Size() const { return static_cast<int32_t>(tasks.size() + tests.size()); }
  // The name of menu number n (1-based), or null.
  const std::string* Pick(int32_t n) const;
};
// The lists of `catalogue` (empty when null).
ScriptMenuLists BuildMenuLists(const Skerry_Scriptlist* catalogue);
// Prints "\nTasks:\n", the tasks, "\nTests:\n" and the tests, numbered.
void PrintMenuLists(const ScriptMenuLists& lists);
