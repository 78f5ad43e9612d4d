// Command mode (the command menu) and parse mode of the console.
#pragma once

#include <cstdint>
#include <cstdio>

class ScsiWrapper;
class Skerry_LogFile;

// The command menu loop, until Exit is chosen or the input ends. True when
// every command sent from it succeeded.
bool command_mode(ScsiWrapper& facade);
// Performs menu entry n (1-based) of the selected drive's table: 1 done,
// 0 exit, -1 not an entry. *succeeded (when given) tells whether the
// command did what it was asked.
int send_command(ScsiWrapper& facade, int32_t n, bool* succeeded = nullptr);
// Reads parse-mode commands from standard input.
void parse_mode(ScsiWrapper& facade);
// Reads parse-mode commands from `in`. True when every command line was
// carried out and every command sent succeeded.
bool run_parse_mode(ScsiWrapper& facade, FILE* in);
// Writes a TapeAlert line to the session log of the last script run, when
// there is one (log null: none); the facade's alert log.
void log_tape_alert(Skerry_LogFile* log, int level, const char* text);
