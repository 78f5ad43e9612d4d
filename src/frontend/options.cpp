#include "frontend/options.h"

#include <cstring>

namespace {

enum class Takes { kNothing, kValue, kOptionalFile };

// Every option of the command line; the handler records what it means.
struct OptionRow {
  const char* name;
  Takes takes;
  size_t max_value;  // longest value the option's field holds (kValue only)
  void (*apply)(CommandLine& line, const char* value);
};

constexpr size_t kDeviceMax = 63;    // WIZARD_FLAGS::DeviceFile less its NUL
constexpr size_t kPathMax = 255;     // ScriptFile and FirmwareFile less the NUL

constexpr OptionRow kOptions[] = {
    {"-f", Takes::kValue, kDeviceMax,
     [](CommandLine& l, const char* v) { l.has_device = true; l.device = v; }},
    {"-s", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) { l.has_script = true; l.script = v; }},
    {"-u", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) { l.has_firmware = true; l.firmware = v; }},
    {"-t", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) {
       l.has_firmware = true;
       l.firmware = v;
       l.tape = true;
     }},
    {"-c", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.command = true; }},
    {"-p", Takes::kOptionalFile, kMaxArgumentLength,
     [](CommandLine& l, const char* v) {
       l.parse = true;
       if (v != nullptr) l.parse_file = v;
     }},
    {"-b", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.trace = true; }},
    {"-y", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.auto_reply = 1; }},
    {"-n", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.auto_reply = -1; }},
    {"-v", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.debug = true; }},
    {"-vv", Takes::kNothing, 0,
     [](CommandLine& l, const char*) {
       l.debug = true;
       l.verbose = true;
     }},
};

const OptionRow* FindOption(const char* argument) {
  for (const OptionRow& row : kOptions) {
    if (std::strcmp(row.name, argument) == 0) return &row;
  }
  return nullptr;
}

CommandLine Stop(CommandLine line, ParseOutcome outcome, const char* argument) {
  line.outcome = outcome;
  line.bad_argument = argument;
  return line;
}

bool Conflicting(const CommandLine& l) {
  const bool firmware = l.has_firmware;
  if (l.command && (firmware || l.parse || l.trace)) return true;
  if (l.parse && (firmware || l.trace)) return true;
  // A script named beside another one-shot mode would silently not run.
  if (l.has_script && (l.command || l.parse || l.trace)) return true;
  return l.trace && firmware;
}

// The usage and the version answer to their common spellings too.
constexpr const char* kHelpWords[] = {"-help", "--help", "-h"};
constexpr const char* kVersionWords[] = {"-version", "--version"};

template <size_t N>
bool IsOneOf(const char* argument, const char* const (&words)[N]) {
  for (const char* word : words) {
    if (std::strcmp(argument, word) == 0) return true;
  }
  return false;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i] != nullptr ? argv[i] : "";
    if (std::strlen(argument) > kMaxArgumentLength) return Stop(line, ParseOutcome::kTooLong, "");
    if (IsOneOf(argument, kHelpWords)) return Stop(line, ParseOutcome::kHelp, "");
    if (IsOneOf(argument, kVersionWords)) return Stop(line, ParseOutcome::kVersion, "");

    const OptionRow* row = FindOption(argument);
    if (row == nullptr) return Stop(line, ParseOutcome::kUnknown, argument);

    const char* value = nullptr;
    if (row->takes == Takes::kValue) {
      if (i + 1 >= argc) return Stop(line, ParseOutcome::kMissingValue, argument);
      value = argv[++i] != nullptr ? argv[i] : "";
      if (std::strlen(value) > row->max_value) {
        return Stop(line, ParseOutcome::kTooLong, argument);
      }
    } else if (row->takes == Takes::kOptionalFile && i + 1 < argc &&
               argv[i + 1] != nullptr && argv[i + 1][0] != '-') {
      value = argv[++i];
      if (std::strlen(value) > row->max_value) {
        return Stop(line, ParseOutcome::kTooLong, argument);
      }
    }
    row->apply(line, value);
  }
  if (Conflicting(line)) line.outcome = ParseOutcome::kConflict;
  return line;
}
