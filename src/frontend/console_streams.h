// Where the console's own text goes: its errors and warnings to standard
// error, so that `vexil ... >report.txt` keeps the report clean, and its
// banners to standard output, or to standard error for an unattended run
// whose output is not a terminal.
#pragma once

#include <cstdio>

// Standard error, after standard output is flushed: on a terminal the two
// stay in the order they were written.
FILE* ErrorStream();

// While it lives, whatever is written to standard output (also by a shell
// command the console runs) goes to standard error: for a report of a
// failure that lists what the system shows.
class OutputToErrors {
 public:
  OutputToErrors();
  ~OutputToErrors();
  OutputToErrors(const OutputToErrors&) = delete;
  OutputToErrors& operator=(const OutputToErrors&) = delete;

 private:
  int saved_ = -1;
};

// The stream of the version banner and the legal notice.
FILE* BannerStream();
void SetBannersToErrors(bool on);
