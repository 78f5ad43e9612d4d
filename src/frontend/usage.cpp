#include "frontend/usage.h"

#include <cstdio>

#include "frontend/globals.h"
#include "frontend/options.h"
#include "frontend/usage_text.h"

namespace {

bool Shown(UsageEdition edition, bool dell) {
  return !((edition == UsageEdition::kDellOnly && !dell) || (edition == UsageEdition::kOthersOnly && dell));
}

void PrintLines(std::span<const UsageLine> lines, bool dell) {
  for (const UsageLine& line : lines) {
    if (!Shown(line.edition, dell)) continue;
    if (line.brand) {
      std::printf(line.text, dell ? "Dell" : "Halcyon");
      std::putchar('\n');
    } else {
      std::puts(line.text);
    }
  }
}

}  // namespace

void printhelp() {
  const bool dell = g_pFlags.Vendor == 1;
  PrintLines(kUsageHead, dell);
  for (const OptionRow& option : OptionRows()) {
    if (option.usage != nullptr && Shown(option.edition, dell)) std::puts(option.usage);
  }
  PrintLines(kUsageTail, dell);
}

void printsyntax(int count, const char* const* arguments) {
  if (count > 0 && arguments != nullptr) {
    std::fputs("\n<", stdout);
    for (int i = 0; i < count; ++i) {
      std::printf("%s ", arguments[i] != nullptr ? arguments[i] : "");
    }
    std::puts(">");
  }
  std::fputs("Vexil: You must specify a valid option!\n", stdout);
  printhelp();
}
