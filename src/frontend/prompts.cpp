#include "frontend/prompts.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "frontend/banners.h"

void prompt2continue() {
  std::fputs("Press 'Enter' when ready to continue or Ctrl-C to cancel:", stdout);
  std::fflush(stdout);
  for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
  }
}

bool prompt_YesNo(const char* question) {
  for (;;) {
    std::printf("%s (Yes/No)", question != nullptr ? question : "");
    std::fflush(stdout);
    char answer[4] = {};
    if (std::scanf("%3s", answer) != 1) return false;
    // The rest of a longer word ("nope") must not answer the next question.
    for (int c = std::getchar(); c != EOF && !std::isspace(c); c = std::getchar()) {
    }
    const int first = std::toupper(static_cast<unsigned char>(answer[0]));
    if (first == 'N') return false;
    if (first == 'Y') return true;
  }
}

void showselection(const WIZARD_FLAGS& flags) {
  const char* slash = std::strrchr(flags.ScriptFile, '/');
  const char* script = slash != nullptr ? slash + 1 : flags.ScriptFile;
  std::printf("\n%s\n", kRuleLine);
  std::puts("Vexil Wizard: User selections");
  std::puts(kRuleLine);
  std::printf("Device entered\t\t->%s<-\n\n", flags.DeviceFile);
  std::printf("Script entered\t\t->%s<-\n\n", script);
  std::printf("%s\n\n", kRuleLine);
}
