// The console's start-up and mode dispatch.
#pragma once

struct ConsoleState;

// Runs the console on `console`; returns main's status (0, -1, -2 or -3).
int VexilMain(ConsoleState& console, int argc, char** argv);
