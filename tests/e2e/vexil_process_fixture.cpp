#include "vexil_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "VEXIL_", 6) != 0) env.emplace_back(*e);
  }
  for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
  return env;
}

}  // namespace

VexilProcess::VexilProcess(const std::string& folder, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return;
  std::vector<std::string> argv_text = {VEXIL_BINARY};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  const std::vector<std::string> env_text = ChildEnvironment(env);
  std::vector<char*> argv, envp;
  for (const std::string& a : argv_text) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : env_text) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    if (::chdir(folder.c_str()) != 0) ::_exit(120);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(121);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  in_ = in[1];
  out_ = out[0];
  err_ = err[0];
  ::signal(SIGPIPE, SIG_IGN);  // a child that ends early must not end the test
}

VexilProcess::~VexilProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  for (int fd : {in_, out_, err_}) {
    if (fd >= 0) ::close(fd);
  }
}

void VexilProcess::Input(const std::string& text) {
  size_t done = 0;
  while (in_ >= 0 && done < text.size()) {
    const ssize_t n = ::write(in_, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
}

void VexilProcess::CloseInput() {
  if (in_ >= 0) ::close(in_);
  in_ = -1;
}

bool VexilProcess::Pump(int timeout_ms) {
  struct pollfd fds[2];
  int count = 0;
  for (int fd : {out_, err_}) {
    if (fd >= 0) fds[count++] = {fd, POLLIN, 0};
  }
  if (count == 0) return false;
  if (::poll(fds, count, timeout_ms) <= 0) return true;
  for (int i = 0; i < count; ++i) {
    if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
    const bool is_out = fds[i].fd == out_;
    if (n <= 0) {
      ::close(fds[i].fd);
      (is_out ? out_ : err_) = -1;
    } else {
      (is_out ? result_.out : result_.err).append(buffer, static_cast<size_t>(n));
    }
  }
  return true;
}

bool VexilProcess::WaitForOutput(const std::string& text, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (result_.out.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !Pump(static_cast<int>(std::min<long>(left.count(), 100)))) {
      return result_.out.find(text) != std::string::npos;
    }
  }
  return true;
}

void VexilProcess::Signal(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
}

ProcessResult VexilProcess::Finish(int timeout_ms) {
  CloseInput();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (out_ >= 0 || err_ >= 0) {
    if (std::chrono::steady_clock::now() > end) {
      result_.timed_out = true;
      ::kill(pid_, SIGKILL);
      break;
    }
    Pump(100);
  }
  int status = 0;
  if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) {
    if (WIFEXITED(status)) result_.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
  }
  pid_ = -1;
  return result_;
}

ProcessResult RunVexil(const std::string& folder, const std::vector<std::string>& args,
                       const std::map<std::string, std::string>& env, const std::string& input) {
  VexilProcess process(folder, args, env);
  process.Input(input);
  return process.Finish();
}

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/vexil_e2e_XXXXXX";
  if (::mkdtemp(pattern) != nullptr) path_ = pattern;
  std::filesystem::create_directories(path_ + "/Scripts");
  std::filesystem::create_directories(path_ + "/Logs");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& name, const std::string& content) const {
  std::filesystem::create_directories(std::filesystem::path(path_ + "/" + name).parent_path());
  std::ofstream(path_ + "/" + name, std::ios::binary) << content;
}

std::string ScratchDir::Read(const std::string& name) const {
  std::ifstream in(name.empty() || name[0] == '/' ? name : path_ + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ScratchDir::List(const std::string& folder) const {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(path_ + "/" + folder, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ScratchDir::SessionLogs() const {
  std::vector<std::string> logs;
  for (const std::string& name : List("Logs")) {
    if (name.size() > 10 && name.compare(name.size() - 10, 10, "_Vexil.txt") == 0) logs.push_back(name);
  }
  return logs;
}
