#include "frontend/log_file.h"

#include <cstring>

#include "device/system.h"
#include "frontend/log_tags.h"

namespace {

constexpr size_t kNameLimit = 127;  // the name must fit the 128-byte text field
constexpr char kNoSerial[] = "NoSerialNum";
constexpr char kNameTail[] = "_Vexil.txt";

// A serial number comes from the drive: keep it inside ./Logs/ and printable.
std::string SafeSerial(const char* serial) {
  std::string safe = (serial == nullptr || serial[0] == '\0') ? kNoSerial : serial;
  for (char& c : safe) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || u < 0x21 || u > 0x7E) c = '_';
  }
  return safe;
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

std::string LogFileName(time_t when, const char* serial) {
  const struct tm local = LocalTime(when);
  char stamp[64];
  std::strftime(stamp, sizeof stamp, "./Logs/%m_%d_%Y_%H%M%S_", &local);
  std::string safe = SafeSerial(serial);
  const size_t room = kNameLimit - std::strlen(stamp) - (sizeof kNameTail - 1);
  if (safe.size() > room) safe.resize(room);
  return stamp + safe + kNameTail;
}

Skerry_LogFile::Skerry_LogFile() { text_[0] = '\0'; }

Skerry_LogFile::~Skerry_LogFile() { Skerry_CloseLog(); }

FILE* Skerry_LogFile::Skerry_OpenLog(const char* serial) {
  Skerry_CloseLog();
  time_ = Sys().Now().tv_sec;
  local_time_ = LocalTime(time_);
  file_name_ = LogFileName(time_, serial);
  std::snprintf(text_, sizeof text_, "%s", file_name_.c_str());
  stream_ = std::fopen(text_, "w");
  return stream_;
}

bool Skerry_LogFile::Skerry_Write2Log(int kind, int level, const char* text) {
  if (stream_ == nullptr) return false;
  time_ = Sys().Now().tv_sec;
  local_time_ = LocalTime(time_);
  std::strftime(text_, sizeof text_, "%H:%M:%S", &local_time_);
  const int written = std::fprintf(stream_, "[Vexil]-[%s]-[%s]: %s\n", LogTag(kind, level), text_,
                                   text != nullptr ? text : "");
  return std::fflush(stream_) == 0 && written > 0;
}

bool Skerry_LogFile::Skerry_CloseLog() {
  if (stream_ == nullptr) return false;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  return closed;
}
