// The usage texts.
#pragma once

#include <cstdio>

// The usage text; the brand line depends on the Dell edition (g_pFlags.Vendor).
void printhelp(FILE* out = stdout);
// With arguments, prints "\n<" + every argument and a blank + ">", then always
// "Vexil: You must specify a valid option!" and the usage text. count 0 or
// null arguments print no command line.
void printsyntax(int count, const char* const* arguments);
