// The console's start-up and mode dispatch.
#pragma once

// Runs the console; returns main's status (0, -1, -2 or -3).
int VexilMain(int argc, char** argv);
