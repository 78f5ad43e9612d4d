#include "frontend/log_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "base/system.h"
#include "base/text_util.h"
#include "base/work_folders.h"
#include "frontend/log_tags.h"

namespace {

constexpr size_t kNameLimit = 127;  // the name must fit the 128-byte text field
constexpr char kNoSerial[] = "NoSerialNum";
constexpr char kNameTail[] = "_Vexil.txt";
// Logs of one serial number within one second before the console gives up.
constexpr int kMaxCopies = 999;

// A serial number comes from the drive: keep it inside ./Logs/ and printable.
std::string SafeSerial(const char* serial) {
  return text::FileNamePart((serial == nullptr || serial[0] == '\0') ? kNoSerial : serial);
}

struct tm LocalTime(time_t when) {
  struct tm local {};
  localtime_r(&when, &local);
  return local;
}

}  // namespace

const char* LogTag(int kind, int level) {
  if (kind < 1 || kind > 3) return kLogTags[kLogNormal];
  if (level < 0 || level > kLogSevere) return kLogTagUnknown;
  return kLogTags[level];
}

std::string LogFileName(time_t when, const char* serial, int copy) {
  const struct tm local = LocalTime(when);
  char stamp[64];
  std::strftime(stamp, sizeof stamp, "/%m_%d_%Y_%H%M%S_", &local);
  const std::string folder = folders::LogFolder();
  std::string safe = SafeSerial(serial);
  char number[16] = "";
  if (copy > 1) std::snprintf(number, sizeof number, "-%d", copy);
  const size_t room = kNameLimit - folder.size() - std::strlen(stamp) - std::strlen(number) - (sizeof kNameTail - 1);
  if (safe.size() > room) safe.resize(room);
  return folder + stamp + safe + number + kNameTail;
}

Skerry_LogFile::Skerry_LogFile() { text_[0] = '\0'; }

Skerry_LogFile::~Skerry_LogFile() { Skerry_CloseLog(); }

FILE* Skerry_LogFile::Skerry_OpenLog(const char* serial) {
  Skerry_CloseLog();
  time_ = Sys().Now().tv_sec;
  local_time_ = LocalTime(time_);
  // A fresh working folder has no Logs/ yet: the first run makes it. A file
  // of that name stays, and the open below fails.
  if (::mkdir(folders::LogFolder().c_str(), 0755) != 0 && errno != EEXIST) return nullptr;
  // Runs within one second share the time stamp: never truncate an earlier
  // run's log, take the next free number instead ("x" creates or fails).
  for (int copy = 1; copy <= kMaxCopies && stream_ == nullptr; ++copy) {
    file_name_ = LogFileName(time_, serial, copy);
    std::snprintf(text_, sizeof text_, "%s", file_name_.c_str());
    stream_ = std::fopen(text_, "wx");
    if (stream_ == nullptr && errno != EEXIST) break;
  }
  return stream_;
}

bool Skerry_LogFile::Skerry_Write2Log(int kind, int level, const char* text) {
  if (stream_ == nullptr) return false;
  time_ = Sys().Now().tv_sec;
  local_time_ = LocalTime(time_);
  std::strftime(text_, sizeof text_, "%H:%M:%S", &local_time_);
  const int written =
      std::fprintf(stream_, "[Vexil]-[%s]-[%s]: %s\n", LogTag(kind, level), text_, text != nullptr ? text : "");
  return std::fflush(stream_) == 0 && written > 0;
}

bool Skerry_LogFile::Skerry_CloseLog() {
  if (stream_ == nullptr) return false;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  return closed;
}
