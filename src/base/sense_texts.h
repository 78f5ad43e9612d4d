// Constant text tables of sense decoding and of the diagnostic error codes.
#pragma once

#include <span>

struct AscText {
  int asc;
  int ascq;
  const char* text;
};

// Text of an ASC/ASCQ pair: the console's own where it has one, else the T10
// text of a standard pair; null for a pair neither lists (vendor-specific or
// reserved codes).
const char* AscDescription(int asc, int ascq);
// Name of a sense key (low four bits).
const char* SenseKeyName(int key);
// Text of a diagnostic error code; the catch-all text for unknown codes.
const char* ErrorCodeText(long code);

// The T10 list, sorted by ASC and ASCQ, generated at build time from
// sg3_utils (tools/t10_sense_texts.cpp).
extern const std::span<const AscText> kT10AscTexts;
