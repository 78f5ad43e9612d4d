// Runs the vexil binary as a child process in a scratch working folder.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

struct ProcessResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when killed by a signal
  int signal = 0;   // the signal that ended it, if any
  bool timed_out = false;
};

class VexilProcess {
 public:
  // Every VEXIL_* variable of the test's own environment is removed; `env`
  // adds the child's own.
  VexilProcess(const std::string& folder, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env);
  ~VexilProcess();
  VexilProcess(const VexilProcess&) = delete;
  VexilProcess& operator=(const VexilProcess&) = delete;

  void Input(const std::string& text);  // written to the child's standard input
  void CloseInput();
  // Reads output until stdout contains `text`; false after timeout_ms.
  bool WaitForOutput(const std::string& text, int timeout_ms);
  void Signal(int signal);
  // Closes the input, reads the rest and reaps the child (killed after timeout_ms).
  ProcessResult Finish(int timeout_ms = 60000);

 private:
  bool Pump(int timeout_ms);  // false when both pipes reached the end
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  ProcessResult result_;
};

// One whole run: start, feed stdin, wait for the end.
ProcessResult RunVexil(const std::string& folder, const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& env = {}, const std::string& input = "");

// A scratch working folder with Scripts/ and Logs/, removed at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  void Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;
  // Names of the files in a subfolder, sorted.
  std::vector<std::string> List(const std::string& folder) const;
  // The session logs under Logs/ (the trail file of the script loader left out).
  std::vector<std::string> SessionLogs() const;

 private:
  std::string path_;
};
