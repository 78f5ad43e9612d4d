#include "frontend/usage.h"

#include <cstdio>

#include "frontend/console_streams.h"
#include "frontend/options.h"
#include "frontend/usage_text.h"

namespace {

bool Shown(UsageEdition edition, bool dell) {
  return !((edition == UsageEdition::kDellOnly && !dell) || (edition == UsageEdition::kOthersOnly && dell));
}

void PrintLines(FILE* out, std::span<const UsageLine> lines, bool dell) {
  for (const UsageLine& line : lines) {
    if (!Shown(line.edition, dell)) continue;
    if (line.brand) {
      std::fprintf(out, line.text, dell ? "Dell" : "Halcyon");
      std::fputc('\n', out);
    } else {
      std::fprintf(out, "%s\n", line.text);
    }
  }
}

}  // namespace

void printhelp(const WIZARD_FLAGS& flags, FILE* out) {
  const bool dell = flags.Vendor == 1;
  PrintLines(out, kUsageHead, dell);
  for (const OptionRow& option : OptionRows()) {
    if (option.usage != nullptr && Shown(option.edition, dell)) std::fprintf(out, "%s\n", option.usage);
  }
  PrintLines(out, kUsageTail, dell);
}

void printsyntax(const WIZARD_FLAGS& flags, int count, const char* const* arguments) {
  FILE* out = ErrorStream();
  if (count > 0 && arguments != nullptr) {
    std::fputs("\n<", out);
    for (int i = 0; i < count; ++i) {
      std::fprintf(out, "%s ", arguments[i] != nullptr ? arguments[i] : "");
    }
    std::fputs(">\n", out);
  }
  std::fputs("Vexil: You must specify a valid option!\n", out);
  printhelp(flags, out);
}
