#include <cstdio>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_state.h"
#include "frontend/device_select.h"
#include "frontend/menu_input.h"
#include "frontend/wizard_menus.h"

bool select_device(ConsoleState& console) {
  std::puts(kRuleLine);
  std::printf("Vexil Wizard - Devices detected:\n");
  console.facade->ListDevices();
  int32_t n = 0;
  while (n < 1 || n > console.device_count) {
    std::puts(kRuleLine);
    std::puts("Select device then press 'Enter':");
    std::fflush(stdout);
    char answer[kUserInputSize] = {};
    const AnswerRead got = ReadAnswer(answer);
    if (got == AnswerRead::kEnd) {
      console.end_normally = true;
      return false;
    }
    std::printf("%s\n", kRuleLine);
    n = AnswerNumber(answer);
  }
  SkipRestOfLine();
  take_device(console, n - 1);
  return true;
}
