// The PRINT formatter: backslash sequences, conversions and their values.
#include "script/core/output_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/text_util.h"
#include "script/core/error_fx.h"
#include "script/core/ktext.h"

namespace {

void Append(std::string& out, std::string_view text, size_t limit) {
  if (out.size() >= limit) return;
  out.append(text.substr(0, limit - out.size()));
}

// Double to a 64-bit integer without undefined behaviour: toward zero,
// saturated at the ends of the range, NaN as 0.
int64_t TruncateToInt64(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (d < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(d);
}

uint64_t TruncateToUInt64(double d) {
  if (std::isnan(d)) return 0;
  // A negative value shows its two's complement, as a signed 64-bit integer would.
  if (d < 0) return static_cast<uint64_t>(TruncateToInt64(d));
  if (d >= 18446744073709551616.0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(d);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view NextWord(std::string_view& rest) {
  size_t start = 0;
  while (start < rest.size() && IsBlank(rest[start])) ++start;
  size_t end = start;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  std::string_view word = rest.substr(start, end - start);
  rest.remove_prefix(end);
  return word;
}

// A literal number as the conversions see it; false when the word is no number.
bool LiteralNumber(std::string_view word, PrintNumber& number) {
  switch (KText::DetermineNumberType(word)) {
    case K_NUM_BYTE:
      number.width = kPrintByte;
      number.u = static_cast<uint32_t>(KText::Aton(word));
      return true;
    case K_NUM_WORD:
      number.width = kPrintWord;
      number.u = static_cast<uint32_t>(KText::Aton(word));
      return true;
    case K_NUM_LONG:
      number.width = kPrintLong;
      number.u = static_cast<uint32_t>(KText::AtoLn(word));
      return true;
    case K_NUM_DOUBLE:
      number.width = kPrintDouble;
      return KText::AtoDouble(word, number.d);
    default:
      return false;
  }
}

PrintNumber VariableNumber(const VARI_LL& v) {
  PrintNumber number;
  number.width = static_cast<PrintWidth>(v.type);
  number.u = v.Unsigned();
  number.d = v.dValue;
  return number;
}

// One backslash sequence (the character after the backslash).
int Escape(char c, bool toFile, std::string& out, size_t limit) {
  switch (c) {
    case 't':
    case 'T':
      Append(out, "\t", limit);
      return 0;
    case 'n':
    case 'N':
      Append(out, toFile ? "\n" : "\r\n", limit);
      return 0;
    case '\'':
      Append(out, "'", limit);
      return 0;
    case '\\':
      Append(out, "\\", limit);
      return 0;
    default:
      return PRINT_BACKSLASH_SPECIFIER_ERROR;
  }
}

// One conversion with its value word.
int Convert(char letter, std::string_view word, const CVariableLL& vars, const KScriptNames& names, std::string& out,
            size_t limit) {
  const VARI_LL* variable = vars.FindVariable(word);
  const KByteArray* buffer = variable == nullptr ? names.FindArray(word) : nullptr;
  if (letter == 'S') {
    if (buffer == nullptr) return PRINT_STR_SPECIFIED_ARG_ISNT_A_BUFFER;
    Append(out, BufferText(*buffer), limit);
    return 0;
  }
  const PrintConversionRow* row = FindPrintConversion(letter);
  if (row == nullptr) return PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED;
  PrintNumber number;
  if (variable != nullptr)
    number = VariableNumber(*variable);
  else if (buffer != nullptr || !LiteralNumber(word, number))
    return PRINT_UNKNOWN_VALUE_FIELD;  // a buffer has no number to convert
  std::string text;
  FormatPrintNumber(row->forms[number.width], number, text);
  Append(out, text, limit);
  return 0;
}

}  // namespace

const PrintConversionRow* FindPrintConversion(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (const PrintConversionRow* row = PrintConversions; row->letter != 0; ++row)
    if (row->letter == upper) return row;
  return nullptr;
}

std::string_view BufferText(const KByteArray& buffer) {
  if (buffer.data == nullptr) return {};
  const char* text = reinterpret_cast<const char*>(buffer.data.get());
  const void* nul = std::memchr(text, 0, buffer.size);
  return std::string_view(text, nul != nullptr ? static_cast<const char*>(nul) - text : buffer.size);
}

void FormatPrintNumber(const PrintForm& form, const PrintNumber& value, std::string& out) {
  const bool isDouble = value.width == kPrintDouble;
  const uint64_t integer = isDouble ? TruncateToUInt64(value.d) : value.u;
  char text[512];  // wide enough for "%.3f" of the largest double
  int length = 0;
  switch (form.arg) {
    case PrintArg::Char: {
      const int c = static_cast<unsigned char>(integer);
      if (c == 0) return;  // a NUL would end the text
      length = std::snprintf(text, sizeof text, form.format, c);
      break;
    }
    case PrintArg::Int:
      length = std::snprintf(text, sizeof text, form.format,
                             static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(integer))));
      break;
    case PrintArg::UInt:
      length = std::snprintf(text, sizeof text, form.format, static_cast<unsigned>(integer));
      break;
    case PrintArg::Long:
      length = std::snprintf(text, sizeof text, form.format,
                             static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(integer))));
      break;
    case PrintArg::ULong:
      length = std::snprintf(text, sizeof text, form.format, static_cast<unsigned long>(integer));
      break;
    case PrintArg::LongLong:
      length =
          std::snprintf(text, sizeof text, form.format,
                        static_cast<long long>(isDouble ? TruncateToInt64(value.d) : static_cast<int64_t>(integer)));
      break;
    case PrintArg::ULongLong:
      length = std::snprintf(text, sizeof text, form.format, static_cast<unsigned long long>(integer));
      break;
    case PrintArg::Double:
      length = std::snprintf(text, sizeof text, form.format, isDouble ? value.d : static_cast<double>(value.u));
      break;
  }
  if (length <= 0) return;
  out.append(text, std::min(static_cast<size_t>(length), sizeof text - 1));
}

// 'format' value ...
int FormatPrint(std::string_view text, const CVariableLL& vars, const KScriptNames& names, bool toFile, size_t limit,
                std::string& out) {
  out.clear();
  text = text::Trim(text);
  if (text.empty() || text.front() != '\'' || text.find('\'', 1) == std::string_view::npos)
    return PRINT_INVALID_FORMAT_STR_SPECIFIER;
  // The format ends at the first quote that a backslash does not escape.
  size_t close = std::string_view::npos;
  for (size_t i = 1; i < text.size() && close == std::string_view::npos; ++i) {
    if (text[i] == '\\') {
      if (i + 1 == text.size()) return PRINT_BACKSLASH_ERROR;
      ++i;
    } else if (text[i] == '\'') {
      close = i;
    }
  }
  if (close == std::string_view::npos) return PRINT_INVALID_FORMAT_STR_SPECIFIER;
  const std::string_view format = text.substr(1, close - 1);
  std::string_view values = text.substr(close + 1);

  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '\\') {
      if (i + 1 == format.size()) return PRINT_BACKSLASH_ERROR;
      if (const int code = Escape(format[++i], toFile, out, limit); code != 0) return code;
    } else if (c == '%') {
      if (i + 1 == format.size()) return PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED;
      const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(format[++i])));
      if (letter != 'S' && FindPrintConversion(letter) == nullptr) return PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED;
      const std::string_view word = NextWord(values);
      if (word.empty()) return PRINT_FORMAT_SPECIFIED_WITHOUT_VALUE_FIELD;
      if (const int code = Convert(letter, word, vars, names, out, limit); code != 0) return code;
    } else {
      Append(out, std::string_view(&format[i], 1), limit);
    }
  }
  return 0;
}
