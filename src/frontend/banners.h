// Version and legal banners, and the two error printers of the console.
#pragma once

#include "facade/rule_line.h"

class Skerry_LogFile;

class Skerry_Startup {
 public:
  Skerry_Startup() = default;
  virtual ~Skerry_Startup() = default;

  void Skerry_ShowVersion(const char* extra);
  // Writes the version to the session log when one exists (log not null).
  void Skerry_LogVersion(Skerry_LogFile* log, const char* extra);
  void Skerry_ShowDisclaimer();

  const char* Version() const { return version_; }

 private:
  const char* version_ = "6.7.0.0";
};

void showversion();
void logversion(Skerry_LogFile* log);
void showdisclaimer();

// Prints text as a line; null prints the log failure text.
void print_wizard_error(const char* text);
// Prints text in an error frame and logs it at SEVERE when a log exists
// (log not null).
void print_wrapper_error(Skerry_LogFile* log, const char* text);

// The frame shown when an object of the console cannot be created.
void print_memory_banner();
