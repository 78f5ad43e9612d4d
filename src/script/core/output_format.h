// The formatter of the PRINT statement: a format text between single quotes,
// then the values its conversions take.
//
// A script's format is never handed to printf: the formatter walks it itself
// and formats each conversion with a constant format of ours, chosen from the
// conversion table by the conversion letter and the width of the value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/core/variables.h"
#include "script/core/variables_array.h"

// Width of a value: the variable's type, or the class of a literal number.
enum PrintWidth : uint8_t { kPrintByte = 0, kPrintWord = 1, kPrintLong = 2, kPrintDouble = 3 };

// The C type a constant format of the conversion table takes.
enum class PrintArg : uint8_t {
  Char,       // int, written as one character (a NUL character adds nothing)
  Int,        // int
  UInt,       // unsigned int
  Long,       // long, from the signed 32-bit view of the value
  ULong,      // unsigned long
  LongLong,   // long long, the value truncated toward zero (saturated)
  ULongLong,  // unsigned long long, likewise
  Double,     // double; integer values are taken as unsigned
};

struct PrintForm {
  const char* format;  // constant printf format with one conversion
  PrintArg arg;
};

struct PrintConversionRow {
  char letter;         // upper case; 0 ends the table
  PrintForm forms[4];  // by PrintWidth
};

// One row per numeric conversion letter (C D U X F E G); S, the buffer text,
// is the formatter's own.
extern const PrintConversionRow PrintConversions[];

// Row of a conversion letter (either case), or nullptr.
const PrintConversionRow* FindPrintConversion(char letter);

// A number to format: an unsigned integer of its width, or a double.
struct PrintNumber {
  PrintWidth width = kPrintByte;
  uint32_t u = 0;
  double d = 0.0;
};

// One conversion of a number, appended to out.
void FormatPrintNumber(const PrintForm& form, const PrintNumber& value, std::string& out);

// Formats "'format' value ..." (the PRINT text after its destination words)
// into out, which never grows beyond limit characters (longer output is cut).
// Variables and buffers are looked up by name; toFile makes "\n" a bare line
// feed. Returns 0, or the error code of the first fault.
int FormatPrint(std::string_view text, const CVariableLL& vars, const KScriptNames& names, bool toFile, size_t limit,
                std::string& out);

// Text of a buffer: its bytes up to the first NUL, never past its size.
std::string_view BufferText(const KByteArray& buffer);
