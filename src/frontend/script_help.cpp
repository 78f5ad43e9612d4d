#include "frontend/script_help.h"

#include <cstdio>
#include <string>

#include "frontend/menu_input.h"
#include "frontend/script_catalogue.h"
#include "frontend/script_list.h"

void PrintScriptHelpInfo(const Skerry_Scriptlist* catalogue, const char* name) {
  std::printf("Script selected %s\n\n", name);
  if (catalogue == nullptr) return;
  for (const ScriptEntry& entry : catalogue->Entries()) {
    if (entry.name == name) std::printf("%s\n", entry.description.c_str());
  }
}

void PrintSciptHelp(const Skerry_Scriptlist* catalogue) {
  const ScriptMenuLists lists = BuildMenuLists(catalogue);
  for (;;) {
    PrintMenuLists(lists);
    std::printf("\n\nPlease select the script that you want information on or press E to exit : ");
    std::fflush(stdout);
    char answer[kUserInputSize];
    const AnswerRead got = ReadAnswer(answer);
    if (got == AnswerRead::kEnd) return;
    SkipRestOfLine();
    if (answer[0] == 'E' || answer[0] == 'e') return;
    if (const std::string* name = lists.Pick(AnswerNumber(answer))) PrintScriptHelpInfo(catalogue, name->c_str());
  }
}
