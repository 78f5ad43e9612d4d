#include "frontend/options.h"

#include <cstring>

namespace {

constexpr size_t kDeviceMax = 63;  // WIZARD_FLAGS::DeviceFile less its NUL
constexpr size_t kPathMax = 255;   // ScriptFile and FirmwareFile less the NUL

void Nothing(CommandLine&, const char*) {}

constexpr OptionRow kOptions[] = {
    {"-f", Takes::kValue, kDeviceMax,
     [](CommandLine& l, const char* v) {
       l.has_device = true;
       l.device = v;
     },
     "     -f -> The device to test", UsageEdition::kAll},
    {"-s", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) {
       l.has_script = true;
       l.script = v;
     },
     "     -s -> The scriptfile to execute (Automatically exits when script is completed)", UsageEdition::kAll},
    {"-y", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.auto_reply = 1; },
     "     -y -> Answer \"yes\" to all prompts", UsageEdition::kAll},
    {"-u", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) {
       l.has_firmware = true;
       l.firmware = v;
     },
     "     -u -> Firmware image file to use to upgrade the drive\n", UsageEdition::kAll},
    {"-t", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) {
       l.has_firmware = true;
       l.firmware = v;
       l.tape = true;
     },
     "     -t -> Firmware image file to use to create an upgrade tape\n", UsageEdition::kOthersOnly},
    {"-c", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.command = true; }, "     -c -> Command mode.\n",
     UsageEdition::kAll},
    {"-p", Takes::kOptionalFile, kMaxArgumentLength,
     [](CommandLine& l, const char* v) {
       l.parse = true;
       if (v != nullptr) l.parse_file = v;
     },
     nullptr, UsageEdition::kAll},
    {"-init", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) {
       l.init = true;
       l.init_dir = v;
     },
     nullptr, UsageEdition::kAll},
    {"-b", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.trace = true; }, nullptr, UsageEdition::kAll},
    {"-n", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.auto_reply = -1; }, nullptr, UsageEdition::kAll},
    {"-v", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.debug = true; }, nullptr, UsageEdition::kAll},
    {"-vv", Takes::kNothing, 0,
     [](CommandLine& l, const char*) {
       l.debug = true;
       l.verbose = true;
     },
     nullptr, UsageEdition::kAll},
    // The read-only reports: they ask nothing and change nothing.
    {"--health", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.health = true; }, nullptr, UsageEdition::kAll},
    {"--check", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.check = true; }, nullptr, UsageEdition::kAll},
    {"--metrics", Takes::kValue, kPathMax,
     [](CommandLine& l, const char* v) {
       l.has_metrics = true;
       l.metrics_file = v;
     },
     nullptr, UsageEdition::kAll},
    {"--mam", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.mam = true; }, nullptr, UsageEdition::kAll},
    {"--list", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.list = true; }, nullptr, UsageEdition::kAll},
    {"--json", Takes::kNothing, 0, [](CommandLine& l, const char*) { l.json = true; }, nullptr, UsageEdition::kAll},
    // The usage and the version answer to their common spellings too.
    {"-help", Takes::kHelp, 0, Nothing, nullptr, UsageEdition::kAll},
    {"--help", Takes::kHelp, 0, Nothing, nullptr, UsageEdition::kAll},
    {"-h", Takes::kHelp, 0, Nothing, nullptr, UsageEdition::kAll},
    {"-version", Takes::kVersion, 0, Nothing, nullptr, UsageEdition::kAll},
    {"--version", Takes::kVersion, 0, Nothing, nullptr, UsageEdition::kAll},
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
  if (l.trace && firmware) return true;
  // A report runs alone: beside a mode that acts it would not run. A
  // health run (--health, --metrics or both) is one report; --check,
  // --mam and --list are one each.
  const bool acts = l.has_script || l.command || l.parse || l.trace || firmware || l.init;
  const int reports = (l.health || l.has_metrics) + l.check + l.mam + l.list;
  if (reports > 1 || (reports == 1 && acts)) return true;
  // JSON describes a health run, the list of drives or a script run.
  return l.json && !(l.health || l.list || (l.has_script && reports == 0));
}

}  // namespace

std::span<const OptionRow> OptionRows() { return kOptions; }

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i] != nullptr ? argv[i] : "";
    if (std::strlen(argument) > kMaxArgumentLength) return Stop(line, ParseOutcome::kTooLong, "");
    const OptionRow* row = FindOption(argument);
    if (row == nullptr) return Stop(line, ParseOutcome::kUnknown, argument);
    if (row->takes == Takes::kHelp) return Stop(line, ParseOutcome::kHelp, "");
    if (row->takes == Takes::kVersion) return Stop(line, ParseOutcome::kVersion, "");

    const char* value = nullptr;
    if (row->takes == Takes::kValue) {
      if (i + 1 >= argc) return Stop(line, ParseOutcome::kMissingValue, argument);
      value = argv[++i] != nullptr ? argv[i] : "";
      if (std::strlen(value) > row->max_value) {
        return Stop(line, ParseOutcome::kTooLong, argument);
      }
    } else if (row->takes == Takes::kOptionalFile && i + 1 < argc && argv[i + 1] != nullptr && argv[i + 1][0] != '-') {
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
