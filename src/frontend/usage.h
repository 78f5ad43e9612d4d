// The usage texts.
#pragma once

#include <cstdio>

#include "frontend/wizard_flags.h"

// The usage text; the brand line depends on the Dell edition (flags.Vendor).
void printhelp(const WIZARD_FLAGS& flags, FILE* out = stdout);
// With arguments, prints "\n<" + every argument and a blank + ">", then always
// "Vexil: You must specify a valid option!" and the usage text. count 0 or
// null arguments print no command line.
void printsyntax(const WIZARD_FLAGS& flags, int count, const char* const* arguments);
