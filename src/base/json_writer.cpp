#include "base/json_writer.h"

#include <cmath>
#include <cstdio>

#include "base/utf8.h"

namespace {

// The characters with a short escape; other control characters are \u00XX.
struct Escape {
  char c;
  const char* text;
};
constexpr Escape kEscapes[] = {{'"', "\\\""}, {'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"},
                               {'\t', "\\t"}, {'\b', "\\b"},  {'\f', "\\f"}};

const char* ShortEscape(char c) {
  for (const Escape& e : kEscapes) {
    if (e.c == c) return e.text;
  }
  return nullptr;
}

}  // namespace

std::string JsonQuoted(std::string_view value) {
  std::string out = "\"";
  for (const char c : text::ValidUtf8(value)) {
    if (const char* escape = ShortEscape(c)) {
      out += escape;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

void JsonWriter::NewLine() {
  out_ += '\n';
  out_.append(2 * counts_.size(), ' ');
}

// A value inside an array starts on a line of its own; inside an object the
// key has placed it already.
void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (counts_.empty()) return;
  if (counts_.back()++ > 0) out_ += ',';
  NewLine();
}

JsonWriter& JsonWriter::Key(std::string_view name) {
  if (!counts_.empty() && counts_.back()++ > 0) out_ += ',';
  NewLine();
  out_ += JsonQuoted(name);
  out_ += ": ";
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::Open(char bracket) {
  BeforeValue();
  out_ += bracket;
  counts_.push_back(0);
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  if (counts_.empty()) return *this;
  const bool had_values = counts_.back() > 0;
  counts_.pop_back();
  if (had_values) NewLine();
  out_ += bracket;
  if (counts_.empty()) out_ += '\n';
  return *this;
}

JsonWriter& JsonWriter::BeginObject() { return Open('{'); }
JsonWriter& JsonWriter::EndObject() { return Close('}'); }
JsonWriter& JsonWriter::BeginArray() { return Open('['); }
JsonWriter& JsonWriter::EndArray() { return Close(']'); }

JsonWriter& JsonWriter::String(std::string_view value) {
  BeforeValue();
  out_ += JsonQuoted(value);
  return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
  BeforeValue();
  out_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Uint(uint64_t value) {
  BeforeValue();
  out_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return Null();
  BeforeValue();
  char number[64];
  std::snprintf(number, sizeof number, "%.*f", decimals, value);
  out_ += number;
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
  return *this;
}

JsonWriter& JsonWriter::StringOrNull(std::string_view value) { return value.empty() ? Null() : String(value); }
JsonWriter& JsonWriter::UintOrNull(const std::optional<uint64_t>& value) { return value ? Uint(*value) : Null(); }
JsonWriter& JsonWriter::IntOrNull(const std::optional<int>& value) { return value ? Int(*value) : Null(); }
JsonWriter& JsonWriter::BoolOrNull(const std::optional<bool>& value) { return value ? Bool(*value) : Null(); }
