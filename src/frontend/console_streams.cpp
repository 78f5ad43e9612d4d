#include "frontend/console_streams.h"

#include <unistd.h>

namespace {
bool banners_to_errors = false;
}  // namespace

FILE* ErrorStream() {
  std::fflush(stdout);
  return stderr;
}

FILE* BannerStream() { return banners_to_errors ? ErrorStream() : stdout; }

OutputToErrors::OutputToErrors() {
  std::fflush(stdout);
  saved_ = ::dup(STDOUT_FILENO);
  if (saved_ >= 0) ::dup2(STDERR_FILENO, STDOUT_FILENO);
}

OutputToErrors::~OutputToErrors() {
  std::fflush(stdout);
  if (saved_ < 0) return;
  ::dup2(saved_, STDOUT_FILENO);
  ::close(saved_);
}

void SetBannersToErrors(bool on) { banners_to_errors = on; }
