// A small writer of JSON documents, indented two spaces a level, for the
// console's machine-readable output. Every string goes out escaped and as
// valid UTF-8, whatever bytes a drive put in it.
//
//   JsonWriter json;
//   json.BeginObject().Key("schema_version").Int(1).Key("devices").BeginArray();
//   ...
//   json.EndArray().EndObject();
//   std::fputs(json.Text().c_str(), stdout);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the open object.
  JsonWriter& Key(std::string_view name);

  JsonWriter& String(std::string_view value);
  JsonWriter& Int(int64_t value);
  JsonWriter& Uint(uint64_t value);
  // A number with `decimals` digits after the point; null when not finite.
  JsonWriter& Fixed(double value, int decimals);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // An absent value as null: texts of drives are absent when empty.
  JsonWriter& StringOrNull(std::string_view value);
  JsonWriter& UintOrNull(const std::optional<uint64_t>& value);
  JsonWriter& IntOrNull(const std::optional<int>& value);
  JsonWriter& BoolOrNull(const std::optional<bool>& value);

  // The document so far; it ends in a newline once the outermost value is
  // closed.
  const std::string& Text() const { return out_; }

 private:
  void BeforeValue();
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void NewLine();

  std::string out_;
  std::vector<int> counts_;  // values so far in each open object or array
  bool after_key_ = false;
};

// value as a JSON string: quoted, with '"', '\' and control characters
// escaped and invalid UTF-8 replaced by U+FFFD.
std::string JsonQuoted(std::string_view value);
