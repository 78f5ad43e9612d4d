// The session log of one script run: one text file under ./Logs/ per run.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>

// Levels of Skerry_Write2Log; any value above kLogSevere is tagged UNKNOWN.
enum LogLevel : int {
  kLogEngin = 0,
  kLogNormal = 1,
  kLogCaution = 2,
  kLogWarning = 3,
  kLogSevere = 4,
};

class Skerry_LogFile {
 public:
  Skerry_LogFile();
  virtual ~Skerry_LogFile();
  Skerry_LogFile(const Skerry_LogFile&) = delete;
  Skerry_LogFile& operator=(const Skerry_LogFile&) = delete;

  // Creates "./Logs/%m_%d_%Y_%H%M%S_<serial>_Vexil.txt" for writing; when
  // a file of that name exists (a run within the same second) the next free
  // "<serial>-2", "-3", ... is taken. Returns the stream or null.
  FILE* Skerry_OpenLog(const char* serial);

  // Writes one line "[Vexil]-[TAG]-[%H:%M:%S]: text" and flushes it. The tag
  // follows level only for kind 1, 2 or 3; every other kind is NORMAL.
  // False when no stream is open or the write failed.
  bool Skerry_Write2Log(int kind, int level, const char* text);

  bool Skerry_CloseLog();

  FILE* Stream() const { return stream_; }
  // Name of the file of the latest opening (empty before).
  const std::string& FileName() const { return file_name_; }

 private:
  FILE* stream_ = nullptr;
  char text_[128];  // the file name while opening, then the latest time text
  struct tm local_time_ {};
  time_t time_ = 0;
  std::string file_name_;
};

// The tag of a line, by kind and level (see Skerry_Write2Log).
const char* LogTag(int kind, int level);

// The file name of a log opened at `when` (local time) for `serial`. Bytes
// of the serial that could leave the folder or break the name become '_';
// an empty serial is "NoSerialNum". The serial is cut so that the name fits
// in 127 characters. A copy number above 1 follows the serial as "-<copy>".
std::string LogFileName(time_t when, const char* serial, int copy = 1);
