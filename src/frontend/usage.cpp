#include "frontend/usage.h"

#include <cstdio>

#include "frontend/globals.h"
#include "frontend/usage_text.h"

void printhelp() {
  const bool dell = g_pFlags.Vendor == 1;
  for (const UsageLine& line : kUsageText) {
    if ((line.edition == UsageEdition::kDellOnly && !dell) ||
        (line.edition == UsageEdition::kOthersOnly && dell)) {
      continue;
    }
    if (line.brand) {
      std::printf(line.text, dell ? "Dell" : "Halcyon");
      std::putchar('\n');
    } else {
      std::puts(line.text);
    }
  }
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
