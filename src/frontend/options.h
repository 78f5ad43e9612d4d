// The console's command line, parsed into one record before anything acts on it.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "frontend/usage_text.h"

enum class ParseOutcome {
  kRun,           // options taken; go on with start-up
  kHelp,          // -help, --help, -h: usage, clean up, 0
  kVersion,       // -version, --version: clean up, 0
  kMissingValue,  // an option that needs a value was the last argument
  kUnknown,       // an argument that is no option
  kTooLong,       // an argument or a value longer than its buffer
  kConflict,      // modes that cannot go together
};

struct CommandLine {
  ParseOutcome outcome = ParseOutcome::kRun;
  // The argument that ended the parse: the unknown argument, the option
  // whose value is missing or too long; empty for an over-long argument.
  std::string bad_argument;

  bool has_device = false;  // -f
  std::string device;
  bool has_script = false;  // -s
  std::string script;
  bool has_firmware = false;  // -u or -t (the later one wins)
  std::string firmware;
  bool tape = false;       // -t was given
  bool command = false;    // -c
  bool parse = false;      // -p
  std::string parse_file;  // -p <file>: read parse-mode commands from it
  bool trace = false;      // -b
  int auto_reply = 0;      // -y 1, -n -1, else 0
  bool debug = false;      // -v or -vv
  bool verbose = false;    // -vv
  bool init = false;       // -init DIR: make DIR a working folder, then exit
  std::string init_dir;
  bool health = false;       // --health
  bool check = false;        // --check
  bool mam = false;          // --mam
  bool list = false;         // --list
  bool json = false;         // --json
  bool has_metrics = false;  // --metrics FILE
  std::string metrics_file;

  // A read-only report mode was asked for.
  bool Report() const { return health || check || mam || list || has_metrics; }
};

// Parses argv[1..argc-1]. Arguments are compared whole and case-sensitively;
// an option that takes a value consumes the next argument whatever it is.
// -help and -version (also --help, -h, --version) end the parse at once.
// Conflicting modes (-c with -u, -t, -p or -b; -p with -u, -t or -b; -b with
// -u or -t; -s with -c, -p or -b) are judged after the whole line has been read.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The longest argument the console examines (its copy buffer less the NUL).
constexpr size_t kMaxArgumentLength = 1023;

// How an option takes its value.
enum class Takes { kNothing, kValue, kOptionalFile, kHelp, kVersion };

// One row per option: the word, what it takes, the longest value its field
// holds (kValue and kOptionalFile), what it records, and its line of the
// usage text (null: none) with the editions that show it.
struct OptionRow {
  const char* name;
  Takes takes;
  size_t max_value;
  void (*apply)(CommandLine& line, const char* value);
  const char* usage;
  UsageEdition edition;
};

// The rows, in the order of their usage lines.
std::span<const OptionRow> OptionRows();
