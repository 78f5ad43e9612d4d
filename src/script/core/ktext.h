// KText: the string toolkit of the script engine.
//
// Every statement is taken apart word by word with these operations, numbers
// are classified and converted with them, and KText keeps the registry of
// in-memory text buffers from which the loader and the text-table statements
// read lines. KScript and the engine's list classes derive from it, so it is
// cheap to construct (no allocation until a text buffer is registered).
//
// Conventions:
//  - "blank" is a space or a tab.
//  - Operations on C texts work in place on NUL-terminated 8-bit texts. Those
//    that can only shorten a text take no size; those that write into another
//    text or may lengthen one take the size of the destination array and never
//    write past it (the result is cut, or the operation refused, as noted).
//  - std::string forms are offered beside the C forms where callers keep
//    their texts in strings.
//  - Results are codes, never exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Size classes of a numeric text, as returned by DetermineNumberType.
enum KNumberClass : int {
  K_NUM_NONE = -1,  // not a number
  K_NUM_BYTE = 1,
  K_NUM_WORD = 2,
  K_NUM_LONG = 4,
  K_NUM_DOUBLE = 8,
};

class KText {
 public:
  KText() = default;
  virtual ~KText() = default;
  KText(const KText&) = default;
  KText& operator=(const KText&) = default;
  KText(KText&&) = default;
  KText& operator=(KText&&) = default;

  // ---- word and trimming operations (in place) ----

  static bool IsBlank(int c) { return c == ' ' || c == '\t'; }

  // Remove leading blanks; an empty text stays empty.
  static void WipeLeft(char* text);
  static void WipeLeft(std::string& text);
  // Same result as WipeLeft, done by one copy.
  static void FastWipeLeft(char* text);
  // Remove trailing blanks.
  static void WipeRight(char* text);
  static void WipeRight(std::string& text);
  // Both of the above.
  static void CleanLine(char* text);
  static void CleanLine(std::string& text);

  // Leading blanks of text removed; word receives the characters up to the
  // first blank or the end (cut to wordSize - 1 characters). Returns the length
  // of the word as written.
  static int Store1stWord(char* text, char* word, size_t wordSize);
  static void Store1stWord(std::string& text, std::string& word);
  // Non-mutating form: the first word of a text (leading blanks skipped).
  static std::string FirstWord(std::string_view text);
  // Leading blanks removed; text cut after its first word.
  static void Fetch1stWord(char* text);
  static void Fetch1stWord(std::string& text);
  // Remove the first word and the blanks after it ("a" gives "").
  static void Clear1stWord(char* text);
  static void Clear1stWord(std::string& text);
  // Trailing blanks removed from text; word receives the characters after the
  // last blank or comma (the whole text if there is none), cut to wordSize - 1.
  static int StoreLastWord(char* text, char* word, size_t wordSize);
  static void StoreLastWord(std::string& text, std::string& word);
  // Remove the last word (after the last blank or comma) and trailing blanks.
  static void ClearLastWord(char* text);
  static void ClearLastWord(std::string& text);
  // Every run of white-space characters becomes one blank.
  static void Shrink(char* text);
  static void Shrink(std::string& text);
  // Every character to upper case.
  static void UpperCase(char* text);
  static void UpperCase(std::string& text);
  // Cut the text at the first "//"; returns its position, or -1 when none.
  static int RemoveComments(char* text);
  static int RemoveComments(std::string& text);
  // Read one line from a stream into buffer (at most size - 1 characters; the
  // rest of a longer line is skipped). The trailing line feed is removed.
  // Returns 1 when a line was read, 0 at end of file (or bad arguments).
  static int DiskLine(char* buffer, size_t size, FILE* stream);

  // ---- search and substring operations ----

  // Position of the first occurrence of query at or after start; -1 when not
  // found, when start is negative or not below the text length, when query is
  // longer than the text or query is empty.
  static int StringC(std::string_view text, std::string_view query, int start);
  // 0 when the texts are equal (same length and content), else -1.
  static int StringAbsC(std::string_view a, std::string_view b);
  // Number of occurrences of query; occurrences may overlap. 0 for an empty query.
  static int Occurance(std::string_view text, std::string_view query);
  // First n characters of src into dst. 0 done; -1 when src is shorter than n
  // or n is negative; -2 when n characters do not fit in dstSize - 1.
  // On error dst is left empty (when dstSize > 0).
  static int LeftString(const char* src, char* dst, int n, size_t dstSize);
  static int LeftString(std::string_view src, std::string& dst, int n);
  // n characters of src beginning at position start (counted from 1).
  // 0 done; -1 when start is below 1 or the text has fewer than start - 1 + n
  // characters; -2 when n characters do not fit in dstSize - 1.
  static int MidString(const char* src, char* dst, int start, int n, size_t dstSize);
  static int MidString(std::string_view src, std::string& dst, int start, int n);
  // Last n characters of src. 0 done; -1 when src is shorter than n (never reads
  // before the text); -2 when they do not fit in dstSize - 1.
  static int RightString(const char* src, char* dst, int n, size_t dstSize);
  static int RightString(std::string_view src, std::string& dst, int n);
  // Every find character replaced by the replace character. Returns the count.
  static int RipReplace(char find, char replace, char* text);
  static int RipReplace(char find, char replace, std::string& text);
  // Every occurrence of find replaced by replace, repeatedly until none is
  // left. 0 done; -1 (nothing done) when find is empty or longer than the text,
  // or when replace contains find; -2 (text unchanged) when the result would
  // not fit in textSize - 1 characters (or in limit characters for the string
  // form); -3 (text unchanged) when the replacing does not come to an end.
  static int RipReplace(std::string_view find, std::string_view replace, char* text, size_t textSize);
  static int RipReplace(std::string_view find, std::string_view replace, std::string& text,
                        size_t limit = std::string::npos);
  // Split at "\" into parts (empty parts dropped); returns the count.
  static int ParsePath(std::string_view path, std::vector<std::string>& parts);

  // ---- numbers ----
  // Number syntax: a leading "0X" takes exactly 2, 4 or 8 hexadecimal digits
  // (class 1, 2, 4); a trailing "H" marks 1 to 8 hexadecimal digits (1-2 class
  // 1, 3-4 class 2, 5-8 class 4); otherwise digits with at most one "." (any
  // "." gives class 8), classed by value: 2147483647 or more 8, 65536 or more 4,
  // 256 or more 2, else 1. A sign is never part of a number. Blanks around the
  // number are ignored. The char* forms upper-case the text in place.

  // Class 1, 2, 4 or 8, or K_NUM_NONE when the text is not a number.
  static int DetermineNumberType(char* text);
  static int DetermineNumberType(std::string_view text);
  // 16-bit value (0..65535) of a class 1 or 2 number; -1 otherwise.
  static int32_t Aton(char* text);
  static int32_t Aton(std::string_view text);
  // 32-bit value (0..0xFFFFFFFF) of a class 1, 2 or 4 number; -1 for texts
  // longer than 15 characters or other classes. Callers storing the result in
  // 32 bits get 0xFFFFFFFF for a failure, as a 32-bit conversion would.
  static int64_t AtoLn(char* text);
  static int64_t AtoLn(std::string_view text);
  // Decimal value of a number text of class 8 (digits with one "."), or of
  // any other number class; false when the text is not a number.
  static bool AtoDouble(std::string_view text, double& value);
  // Binary text, most significant bit first, a blank between groups of four
  // bits ("0100 0001" for the byte 0x41). Returns the text length.
  static std::string NtoB(uint32_t value);
  static std::string NtoB(uint16_t value);
  static std::string NtoB(uint8_t value);
  static int NtoB(uint32_t value, char* text, size_t size);
  // Byte order reversed in place.
  static void BigEndian(uint16_t& value);
  static void BigEndian(uint32_t& value);
  static void BigEndian(uint64_t& value);
  // The 8 bytes of a 64-bit integer (least significant first) as the same
  // value in a 64-bit float.
  static double DoubleIntToDoubleFloat(const uint8_t bytes[8]);
  static double DoubleIntToDoubleFloat(uint64_t value);
  // Byte order of the buffer reversed.
  static void MirrorBuffer(uint8_t* buffer, size_t length);
  // "a,b,c,d." into four 16-bit numbers; 1 on success, 0 when a part is missing.
  static int ParseVersionString(std::string_view text, uint16_t& a, uint16_t& b, uint16_t& c, uint16_t& d);

  // ---- line splitting ----

  // Insert blanks so that operators, parentheses and punctuation become words
  // of their own (text inside double quotes is copied unchanged). Writes at
  // most outSize - 1 characters; returns the length, or -1 when it does not fit.
  int Stretch(std::string_view line, char* out, size_t outSize);
  // Split a line into words. The line (at most workSize - 1 characters, also
  // after stretching, else -4) is stretched into work, blanks become NULs and
  // argv[0..count) point at the words inside work. A quoted word keeps its
  // quotes and its blanks. Returns 0 and the count, or -1 null line, -2 empty
  // line (no word), -3 no work area, -5 no vector, -6 capacity below 1, -7 more
  // words than the capacity.
  int ParseLine(const char* line, char* work, size_t workSize, char** argv, int capacity, int& count);
  // Same split into owned strings; same results (never -3, -5, -6, -7).
  int ParseLine(std::string_view line, std::vector<std::string>& words);

  // ---- registry of in-memory text buffers ----
  // The registry keeps the buffer's address; the caller owns the bytes and
  // must keep them alive (and unchanged in length) while registered.

  // Register a buffer (or, if already registered, reset its cursor and
  // length). 0 done; -1 null buffer; -2 length below 1; -3 when a byte before
  // the first NUL is outside 9 to 127 (the buffer is then not registered).
  int SetTextBuffer(const void* buffer, int32_t length);
  // Next line of a registered buffer: the characters up to a line feed,
  // carriage returns dropped; reading ends at the buffer's length or its first
  // NUL. Returns the line length; -1 at the end of the buffer; -2 unregistered;
  // -3 size below 1; -4 no output; -5 when the line does not fit in size - 1
  // characters (line receives its first size - 1 characters and the cursor
  // moves past the whole line).
  int GetStringFromTextBuffer(const void* buffer, size_t size, char* line);
  int GetStringFromTextBuffer(const void* buffer, std::string& line, size_t maxLength = 1023);
  // Read cursor; -1 empty registry; -2 unregistered.
  int32_t GetTextBufferPosition(const void* buffer) const;
  // Unregister one buffer (0, or -1 when it was not registered) or all.
  int KillATextBufferLink(const void* buffer);
  void DestroyTheTextBufferLinks();

 private:
  struct TextBufferLink {
    const uint8_t* buffer;
    int32_t length;
    int32_t cursor;
  };
  TextBufferLink* FindTextBuffer(const void* buffer);
  const TextBufferLink* FindTextBuffer(const void* buffer) const;

  // Class of the previous character, remembered by Stretch.
  uint8_t wasOperator_ = 0;
  uint8_t wasWord_ = 0;
  uint8_t wasDigit_ = 0;
  uint8_t wasOpenParen_ = 0;
  uint8_t wasCloseParen_ = 0;
  uint8_t wasBlank_ = 0;
  uint8_t wasOther_ = 0;
  uint8_t newWord_ = 0;

  std::vector<TextBufferLink> textBuffers_;
};
