// The small prompts used across the console.
#pragma once

#include "frontend/wizard_flags.h"

// "Press 'Enter' when ready to continue or Ctrl-C to cancel:", then reads up
// to and including a line end (or the end of input).
void prompt2continue();
// "%s (Yes/No)"; the first letter of the answer decides, anything else asks
// again. The end of input counts as no.
bool prompt_YesNo(const char* question);
// The device and script chosen, before a run.
void showselection(const WIZARD_FLAGS& flags);
