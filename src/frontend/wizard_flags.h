// The console's selection record and the bounded copies that fill it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/text_util.h"

// Field sizes are part of the record: texts longer than a field are refused
// by the caller (see SetField) rather than cut, because a cut path would name
// another file.
constexpr size_t kScriptFileSize = 256;
constexpr size_t kDeviceFileSize = 64;
constexpr size_t kFirmwareFileSize = 256;

struct WIZARD_FLAGS {
  // Path of the selected script. When ScriptFile[0] is 0 the record carries no
  // script and Action holds the wizard action chosen instead (a WizardAction, 0 none).
  char ScriptFile[kScriptFileSize];
  int32_t DeviceIndex;
  char DeviceFile[kDeviceFileSize];
  uint8_t DriveType;
  char FirmwareFile[kFirmwareFileSize];
  uint8_t EngMode;
  uint8_t SasMode;
  uint8_t ParkMode;
  uint8_t TuneMode;
  uint8_t SasDrive;
  int32_t Vendor;  // 1: the Dell edition ("Scripts/.dell" exists)
  int32_t Action;
};

// Copies text into a fixed field when it fits with its terminating NUL.
// A text that does not fit leaves the field empty and returns false.
template <size_t N>
bool SetField(char (&field)[N], const char* text) {
  if (text == nullptr) {
    field[0] = '\0';
    return true;
  }
  const size_t length = std::strlen(text);
  if (length >= N) {
    field[0] = '\0';
    return false;
  }
  std::memcpy(field, text, length + 1);
  return true;
}

// Copies as much of text as fits, always terminated; for buffers that only
// keep a copy for display.
template <size_t N>
void CopyCut(char (&field)[N], const char* text) {
  text::CopyBounded(field, text::View(text));
}
