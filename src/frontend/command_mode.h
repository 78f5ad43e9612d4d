// Command mode (the command menu) and parse mode of the console.
#pragma once

#include <cstdint>

// The command menu loop, until Exit is chosen or the input ends.
bool command_mode();
// Performs menu entry n (1-based) of the selected drive's table: 1 done,
// 0 exit, -1 not an entry.
int send_command(int32_t n);
// Reads parse-mode commands from standard input.
void parse_mode();
// Writes a TapeAlert line to the session log of the last script run, when
// there is one (the facade's alert log).
void log_tape_alert(int level, const char* text);
