// Constant text tables of sense decoding and of the diagnostic error codes.
#pragma once

struct AscText {
  int asc;
  int ascq;
  const char* text;
};

// Text of an ASC/ASCQ pair, or null when the pair is not listed.
const char* AscDescription(int asc, int ascq);
// Name of a sense key (low four bits).
const char* SenseKeyName(int key);
// Text of a diagnostic error code; the catch-all text for unknown codes.
const char* ErrorCodeText(long code);
