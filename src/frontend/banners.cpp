#include "frontend/banners.h"

#include <cstdio>

#include "frontend/console_streams.h"
#include "frontend/legal_notice.h"
#include "frontend/log_file.h"

namespace {

constexpr char kLogFailure[] = "*** Vexil Wizard - Unable to write to log file! ***";
constexpr char kSecondBannerLine[] = "Tape drive diagnostics and firmware utility for Linux";

// Writes one SEVERE line of an error report; a failed write is reported.
void LogSevere(Skerry_LogFile& log, const char* text) {
  if (!log.Skerry_Write2Log(1, kLogSevere, text)) print_wizard_error(nullptr);
}

}  // namespace

void Skerry_Startup::Skerry_ShowVersion(const char* /*extra*/) {
  FILE* out = BannerStream();
  std::fprintf(out, "%s\n%s %s\n%s\n%s\n", kRuleLine, "Vexil version", version_, kSecondBannerLine, kRuleLine);
}

void Skerry_Startup::Skerry_LogVersion(Skerry_LogFile* log, const char* extra) {
  if (log == nullptr) return;
  char text[256];
  std::snprintf(text, sizeof text, "Version %s\n%s\n", version_, extra != nullptr ? extra : "");
  if (!log->Skerry_Write2Log(0, 0, text)) print_wizard_error(nullptr);
}

void Skerry_Startup::Skerry_ShowDisclaimer() {
  FILE* out = BannerStream();
  std::fprintf(out, "%s\n", kRuleLine);
  for (const char* line : kLegalNotice) std::fprintf(out, "%s\n", line);
  std::fprintf(out, "%s\n\n", kRuleLine);
}

void showversion() { Skerry_Startup().Skerry_ShowVersion(""); }
void logversion(Skerry_LogFile* log) { Skerry_Startup().Skerry_LogVersion(log, ""); }
void showdisclaimer() { Skerry_Startup().Skerry_ShowDisclaimer(); }

void print_wizard_error(const char* text) { std::fprintf(ErrorStream(), "%s\n", text != nullptr ? text : kLogFailure); }

void print_wrapper_error(Skerry_LogFile* log, const char* text) {
  const char* shown = text != nullptr ? text : "";
  std::fprintf(ErrorStream(), "\n%s\n!!! Vexil Wizard ERROR - \n\t%s !!!\n%s\n\n", kRuleLine, shown, kRuleLine);
  if (log != nullptr) {
    LogSevere(*log, "Error detected:");
    LogSevere(*log, shown);
  }
}

void print_memory_banner() {
  std::fprintf(ErrorStream(), "%s\nVexil Wizard - You need more memory.\n%s\n", kRuleLine, kRuleLine);
}
