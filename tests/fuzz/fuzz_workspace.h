// Shared set-up of the loader fuzz targets: every run works in a private
// temporary folder, so script files, includes and the trail file of one run
// never meet those of another.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

inline void EnterPrivateFolder() {
  static bool entered = false;
  if (entered) return;
  entered = true;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/vexil-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) std::abort();
  static std::string folder = pattern;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
}

inline void WriteFile(const char* name, const void* data, size_t size) {
  FILE* f = std::fopen(name, "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

inline void WriteFile(const char* name, const std::string& text) { WriteFile(name, text.data(), text.size()); }

}  // namespace fuzz
