// JSON strings escaped as the standard asks, whatever bytes they held, and
// documents laid out with their commas and indentation.
#include "base/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(JsonQuoted, EscapesWhatMustBeAndReplacesInvalidUtf8) {
  struct Case {
    const char* name;
    std::string in, out;
  };
  const Case cases[] = {
      {"plain", "HU1234567A", "\"HU1234567A\""},
      {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
      {"short escapes", "\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
      {"other controls and DEL", std::string("\0\x01\x1f\x7f", 4), "\"\\u0000\\u0001\\u001f\\u007f\""},
      {"non-ASCII kept", "caf\xC3\xA9", "\"caf\xC3\xA9\""},
      {"invalid UTF-8 replaced", "\xFF\"", "\"\xEF\xBF\xBD\\\"\""},
      {"solidus left alone", "/dev/sg1", "\"/dev/sg1\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JsonQuoted(c.in), c.out);
  }
}

TEST(JsonWriter, NestedValuesWithCommasAndIndentation) {
  JsonWriter json;
  json.BeginObject();
  json.Key("n").Int(-3).Key("u").Uint(18446744073709551615u).Key("f").Fixed(12.5, 3);
  json.Key("nan").Fixed(std::nan(""), 3).Key("b").Bool(false).Key("z").Null();
  json.Key("empty").BeginArray().EndArray().Key("none").BeginObject().EndObject();
  json.Key("list").BeginArray().Int(3).BeginObject().Key("k").StringOrNull("").EndObject().EndArray();
  json.Key("opt").UintOrNull(std::nullopt).Key("t").BoolOrNull(true).Key("i").IntOrNull(7);
  json.EndObject();
  EXPECT_EQ(json.Text(),
            "{\n"
            "  \"n\": -3,\n"
            "  \"u\": 18446744073709551615,\n"
            "  \"f\": 12.500,\n"
            "  \"nan\": null,\n"
            "  \"b\": false,\n"
            "  \"z\": null,\n"
            "  \"empty\": [],\n"
            "  \"none\": {},\n"
            "  \"list\": [\n"
            "    3,\n"
            "    {\n"
            "      \"k\": null\n"
            "    }\n"
            "  ],\n"
            "  \"opt\": null,\n"
            "  \"t\": true,\n"
            "  \"i\": 7\n"
            "}\n");
}

}  // namespace
