#include "frontend/banners.h"

#include <cstdio>

#include "frontend/globals.h"
#include "frontend/legal_notice.h"
#include "frontend/log_file.h"

namespace {

constexpr char kLogFailure[] = "*** Vexil Wizard - Unable to write to log file! ***";
constexpr char kSecondBannerLine[] = "Tape drive diagnostics and firmware utility for Linux";

// Writes one SEVERE line of an error report; a failed write is reported.
void LogSevere(const char* text) {
  if (!g_pLogFile->Skerry_Write2Log(1, kLogSevere, text)) print_wizard_error(nullptr);
}

}  // namespace

void Skerry_Startup::Skerry_ShowVersion(const char* /*extra*/) {
  std::puts(kRuleLine);
  std::printf("%s %s\n%s\n", "Vexil version", version_, kSecondBannerLine);
  std::printf("%s\n", kRuleLine);
}

void Skerry_Startup::Skerry_LogVersion(const char* extra) {
  if (!g_pLogFile) return;
  char text[256];
  std::snprintf(text, sizeof text, "Version %s\n%s\n", version_, extra != nullptr ? extra : "");
  if (!g_pLogFile->Skerry_Write2Log(0, 0, text)) print_wizard_error(nullptr);
}

void Skerry_Startup::Skerry_ShowDisclaimer() {
  std::puts(kRuleLine);
  for (const char* line : kLegalNotice) std::puts(line);
  std::printf("%s\n\n", kRuleLine);
}

void showversion() { Skerry_Startup().Skerry_ShowVersion(""); }
void logversion() { Skerry_Startup().Skerry_LogVersion(""); }
void showdisclaimer() { Skerry_Startup().Skerry_ShowDisclaimer(); }

void print_wizard_error(const char* text) { std::puts(text != nullptr ? text : kLogFailure); }

void print_wrapper_error(const char* text) {
  const char* shown = text != nullptr ? text : "";
  std::printf("\n%s\n", kRuleLine);
  std::printf("!!! Vexil Wizard ERROR - \n\t%s !!!\n", shown);
  std::printf("%s\n\n", kRuleLine);
  if (g_pLogFile) {
    LogSevere("Error detected:");
    LogSevere(shown);
  }
}

void print_memory_banner() {
  std::puts(kRuleLine);
  std::puts("Vexil Wizard - You need more memory.");
  std::puts(kRuleLine);
}
