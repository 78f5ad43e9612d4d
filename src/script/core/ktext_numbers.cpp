// Number classes and conversions of KText.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "script/core/ktext.h"

namespace {

struct NumberText {
  int numberClass = K_NUM_NONE;
  uint64_t value = 0;  // integer value of classes 1, 2 and 4
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// 1 to 8 hexadecimal digits; false for anything else.
bool ReadHex(std::string_view digits, uint64_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0) return false;
    value = value * 16 + static_cast<uint64_t>(d);
  }
  return true;
}

int ClassOfHexDigits(size_t count) {
  if (count <= 2) return K_NUM_BYTE;
  if (count <= 4) return K_NUM_WORD;
  return K_NUM_LONG;
}

std::string_view Trimmed(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && KText::IsBlank(text[begin])) ++begin;
  while (end > begin && KText::IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Classify a trimmed text (either case).
NumberText Classify(std::string_view t) {
  NumberText out;
  if (t.empty()) return out;
  if (t.size() >= 2 && t[0] == '0' && (t[1] == 'X' || t[1] == 'x')) {
    std::string_view digits = t.substr(2);
    size_t n = digits.size();
    if ((n == 2 || n == 4 || n == 8) && ReadHex(digits, out.value)) out.numberClass = ClassOfHexDigits(n);
    return out;
  }
  if (t.back() == 'H' || t.back() == 'h') {
    std::string_view digits = t.substr(0, t.size() - 1);
    if (ReadHex(digits, out.value)) out.numberClass = ClassOfHexDigits(digits.size());
    return out;
  }
  size_t digits = 0;
  size_t points = 0;
  uint64_t value = 0;
  constexpr uint64_t kSaturate = 1ull << 40;  // far above every class limit
  for (char c : t) {
    if (c == '.') {
      ++points;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (value < kSaturate) value = value * 10 + static_cast<uint64_t>(c - '0');
    } else {
      return out;
    }
  }
  if (digits == 0 || points > 1) return out;
  if (points == 1) {
    out.numberClass = K_NUM_DOUBLE;
  } else if (value >= 2147483647ull) {
    out.numberClass = K_NUM_DOUBLE;
  } else if (value >= 65536) {
    out.numberClass = K_NUM_LONG;
  } else if (value >= 256) {
    out.numberClass = K_NUM_WORD;
  } else {
    out.numberClass = K_NUM_BYTE;
  }
  out.value = value;
  return out;
}

}  // namespace

int KText::DetermineNumberType(char* text) {
  if (text == nullptr) return K_NUM_NONE;
  UpperCase(text);
  return Classify(Trimmed(text)).numberClass;
}

int KText::DetermineNumberType(std::string_view text) { return Classify(Trimmed(text)).numberClass; }

int32_t KText::Aton(char* text) {
  if (text == nullptr) return -1;
  UpperCase(text);
  return Aton(std::string_view(text));
}

int32_t KText::Aton(std::string_view text) {
  NumberText n = Classify(Trimmed(text));
  if (n.numberClass != K_NUM_BYTE && n.numberClass != K_NUM_WORD) return -1;
  return static_cast<int32_t>(n.value & 0xFFFF);
}

int64_t KText::AtoLn(char* text) {
  if (text == nullptr) return -1;
  UpperCase(text);
  return AtoLn(std::string_view(text));
}

int64_t KText::AtoLn(std::string_view text) {
  std::string_view t = Trimmed(text);
  if (t.size() > 15) return -1;
  NumberText n = Classify(t);
  if (n.numberClass != K_NUM_BYTE && n.numberClass != K_NUM_WORD && n.numberClass != K_NUM_LONG) return -1;
  return static_cast<int64_t>(n.value & 0xFFFFFFFFull);
}

bool KText::AtoDouble(std::string_view text, double& value) {
  std::string_view t = Trimmed(text);
  NumberText n = Classify(t);
  if (n.numberClass == K_NUM_NONE) return false;
  if (n.numberClass != K_NUM_DOUBLE) {
    value = static_cast<double>(n.value);
    return true;
  }
  std::string copy(t);
  value = std::strtod(copy.c_str(), nullptr);
  return true;
}

// ---- binary texts and byte order ----

namespace {

std::string Binary(uint32_t value, int bits) {
  std::string out;
  out.reserve(static_cast<size_t>(bits + bits / 4));
  for (int bit = bits - 1; bit >= 0; --bit) {
    out.push_back(((value >> bit) & 1u) != 0 ? '1' : '0');
    if (bit > 0 && bit % 4 == 0) out.push_back(' ');
  }
  return out;
}

}  // namespace

std::string KText::NtoB(uint32_t value) { return Binary(value, 32); }
std::string KText::NtoB(uint16_t value) { return Binary(value, 16); }
std::string KText::NtoB(uint8_t value) { return Binary(value, 8); }

int KText::NtoB(uint32_t value, char* text, size_t size) {
  if (text == nullptr || size == 0) return 0;
  std::string out = NtoB(value);
  size_t len = std::min(out.size(), size - 1);
  std::memcpy(text, out.data(), len);
  text[len] = '\0';
  return static_cast<int>(len);
}

void KText::BigEndian(uint16_t& value) { value = static_cast<uint16_t>((value >> 8) | (value << 8)); }

void KText::BigEndian(uint32_t& value) { value = __builtin_bswap32(value); }

void KText::BigEndian(uint64_t& value) { value = __builtin_bswap64(value); }

double KText::DoubleIntToDoubleFloat(const uint8_t bytes[8]) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return static_cast<double>(value);
}

double KText::DoubleIntToDoubleFloat(uint64_t value) { return static_cast<double>(value); }

void KText::MirrorBuffer(uint8_t* buffer, size_t length) {
  if (buffer == nullptr) return;
  for (size_t i = 0; i < length / 2; ++i) std::swap(buffer[i], buffer[length - 1 - i]);
}

int KText::ParseVersionString(std::string_view text, uint16_t& a, uint16_t& b, uint16_t& c, uint16_t& d) {
  uint16_t* parts[4] = {&a, &b, &c, &d};
  const char ends[4] = {',', ',', ',', '.'};
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    while (pos < text.size() && KText::IsBlank(text[pos])) ++pos;
    uint32_t value = 0;
    size_t digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
      if (value > 0xFFFF) return 0;
      ++pos;
      ++digits;
    }
    if (digits == 0 || pos >= text.size() || text[pos] != ends[i]) return 0;
    ++pos;
    *parts[i] = static_cast<uint16_t>(value);
  }
  return 1;
}
