#include "base/sense_words.h"

#include <cstdio>

#include "base/sense_texts.h"

void AscWords(int asc, int ascq, char* text, size_t size) {
  if (text == nullptr || size == 0) return;
  if (asc == 0x40) {
    std::snprintf(text, size, "DIAGNOSTIC FAILURE ON COMPONENT (0x%02Xh).", ascq & 0xFF);
    return;
  }
  const char* description = AscDescription(asc, ascq);
  std::snprintf(text, size, "%s", description != nullptr ? description : "UNKNOWN ERROR.");
}

std::string SenseWords(int key, int asc, int ascq) {
  char meaning[128];
  AscWords(asc, ascq, meaning, sizeof meaning);
  return std::string(SenseKeyName(key)) + ", " + meaning;
}
