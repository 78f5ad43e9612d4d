// A scratch working folder for one test: made under /tmp, made the current
// folder with the subfolders the test needs, and on destruction left for the
// folder the test started in and removed with everything in it.
#pragma once

#include <initializer_list>
#include <string>

class ScratchWorkdir {
 public:
  ScratchWorkdir(const char* tag, std::initializer_list<const char*> subfolders);
  ~ScratchWorkdir();
  ScratchWorkdir(const ScratchWorkdir&) = delete;
  ScratchWorkdir& operator=(const ScratchWorkdir&) = delete;

  // The folder; empty when it could not be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};
