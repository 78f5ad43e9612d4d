#include <cstdio>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/device_select.h"
#include "frontend/globals.h"
#include "frontend/menu_input.h"
#include "frontend/wizard_menus.h"

bool select_device() {
  std::puts(kRuleLine);
  std::printf("Vexil Wizard - Devices detected:\n");
  g_pScsiWrapper->ListDevices();
  int32_t n = 0;
  while (n < 1 || n > devCount) {
    std::puts(kRuleLine);
    std::puts("Select device then press 'Enter':");
    std::fflush(stdout);
    const AnswerRead got = ReadAnswer(userinput1);
    if (got == AnswerRead::kEnd) {
      g_EndNormally = true;
      return false;
    }
    std::printf("%s\n", kRuleLine);
    n = AnswerNumber(userinput1);
  }
  SkipRestOfLine();
  take_device(n - 1);
  return true;
}
