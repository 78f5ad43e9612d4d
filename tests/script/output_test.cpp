// MSG, LOG and PRINT; TIME and FORMATTIME; the queries and the presentation
// statements.
#include <cstring>
#include <ctime>
#include <map>
#include <string>

#include "output_fixture.h"
#include "script/core/error_fx.h"
#include "script/core/output_format.h"

namespace {

// Variables and buffers for the formatter, without a script around them.
class FormatNames : public KScriptNames {
 public:
  KByteArray* FindArray(std::string_view name) const override {
    const auto it = buffers.find(name);
    return it != buffers.end() ? &it->second : nullptr;
  }
  mutable std::map<std::string, KByteArray, std::less<>> buffers;
};

class PrintFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE b = 65"), 0);
    ASSERT_EQ(vars.Declare(K_VAR_BYTE, K_KIND_PLAIN, "BYTE zero = 0"), 0);
    ASSERT_EQ(vars.Declare(K_VAR_WORD, K_KIND_PLAIN, "WORD w = 10"), 0);
    ASSERT_EQ(vars.Declare(K_VAR_LONG, K_KIND_PLAIN, "LONG l = 0xFFFFFFFF"), 0);
    ASSERT_EQ(vars.Declare(K_VAR_DOUBLE, K_KIND_PLAIN, "DOUBLE d = 3725.5"), 0);
    ASSERT_EQ(vars.Declare(K_VAR_DOUBLE, K_KIND_PLAIN, "DOUBLE n = 0.0"), 0);
    vars.FindVariable("n")->dValue = -2.5;
    ASSERT_EQ(vars.Declare(K_VAR_DOUBLE, K_KIND_PLAIN, "DOUBLE huge = 0.0"), 0);
    vars.FindVariable("huge")->dValue = 1e300;
    AddBuffer("text", "hello\0junk", 10);
    AddBuffer("full", "abcd", 4);  // no NUL inside
  }
  void AddBuffer(const char* name, const char* bytes, uint32_t size) {
    KByteArray& buffer = names.buffers[name];
    ASSERT_TRUE(buffer.Allocate(size));
    std::memcpy(buffer.data.get(), bytes, size);
  }
  int Format(const std::string& text, std::string& out, bool toFile = false, size_t limit = 1023) {
    return FormatPrint(text, vars, names, toFile, limit, out);
  }

  CVariableLL vars;
  FormatNames names;
};

TEST_F(PrintFormatTest, ConversionsByValueWidth) {
  struct Case {
    const char* text;
    const char* output;
  };
  const Case cases[] = {
      // variables: byte, word, long, double
      {"'%c' b", "A"},
      {"'%d %d %d %d' b w l d", "65 10 -1 3725"},
      {"'%u %u %u' b l n", "65 4294967295 18446744073709551614"},
      {"'%X %X %X %X' b w l d", "41 000A FFFFFFFF 0000000000000E8D"},
      {"'%x' w", "000A"},                                      // letters in either case
      {"'%F|%F|%f' w l d", "10.000|4294967295.000|3725.500"},  // integers are unsigned
      {"'%E %G' d d", "3.725500E+03 3725.5"},
      {"'%D' huge", "9223372036854775807"},  // saturated, not undefined
      // literals by their class
      {"'%d' 300", "300"},
      {"'%X' 300", "012C"},
      {"'%X' 0x12345678", "12345678"},
      {"'%X' 4294967296", "0000000100000000"},
      {"'%d' 1.5", "1"},
      {"'%u %c' 7 0x41", "7 A"},
      // text of buffers
      {"'[%S]' text", "[hello]"},
      {"'[%s]' full", "[abcd]"},
      // a NUL character adds nothing
      {"'<%c>' zero", "<>"},
      // literal text and backslash sequences
      {"'a  b'", "a  b"},
      {"'x\\'y'", "x'y"},
      {"'\\t|\\T|\\\\|\\n|\\N'", "\t|\t|\\|\r\n|\r\n"},
      {"'%d-%d' b w l", "65-10"},  // values left over are ignored
      {"  'trimmed'  ", "trimmed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string out;
    ASSERT_EQ(Format(c.text, out), 0);
    EXPECT_EQ(out, c.output);
  }
}

TEST_F(PrintFormatTest, LineFeedAloneForFiles) {
  std::string out;
  ASSERT_EQ(Format("'line\\n'", out, true), 0);
  EXPECT_EQ(out, "line\n");
}

TEST_F(PrintFormatTest, FaultsOfFormatsAndValues) {
  struct Case {
    const char* text;
    int32_t code;
  };
  const Case cases[] = {
      {"no quotes", PRINT_INVALID_FORMAT_STR_SPECIFIER},
      {"'open", PRINT_INVALID_FORMAT_STR_SPECIFIER},
      {"'escaped\\' only", PRINT_INVALID_FORMAT_STR_SPECIFIER},
      {"", PRINT_INVALID_FORMAT_STR_SPECIFIER},
      {"'it\\'s\\", PRINT_BACKSLASH_ERROR},
      {"'\\q'", PRINT_BACKSLASH_SPECIFIER_ERROR},
      {"'%5d' b", PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED},
      {"'%.3f' d", PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED},
      {"'%n' b", PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED},
      {"'%%' b", PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED},
      {"'100%'", PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED},
      {"'%d'", PRINT_FORMAT_SPECIFIED_WITHOUT_VALUE_FIELD},
      {"'%d %d %d' b w", PRINT_FORMAT_SPECIFIED_WITHOUT_VALUE_FIELD},
      {"'%d' nosuch", PRINT_UNKNOWN_VALUE_FIELD},
      {"'%d' -5", PRINT_UNKNOWN_VALUE_FIELD},
      {"'%X' text", PRINT_UNKNOWN_VALUE_FIELD},  // a buffer has no number
      {"'%s' b", PRINT_STR_SPECIFIED_ARG_ISNT_A_BUFFER},
      {"'%S' 5", PRINT_STR_SPECIFIED_ARG_ISNT_A_BUFFER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string out;
    EXPECT_EQ(Format(c.text, out), c.code);
  }
}

TEST_F(PrintFormatTest, OutputIsCutAtTheLimit) {
  std::string text(600, 'x');
  AddBuffer("big", text.c_str(), 601);
  std::string out;
  ASSERT_EQ(Format("'%S%S%S' big big big", out), 0);
  EXPECT_EQ(out, std::string(1023, 'x'));
  ASSERT_EQ(Format("'%F %F %F %F' huge huge huge huge", out, false, 1023), 0);
  EXPECT_EQ(out.size(), 1023u);
  ASSERT_EQ(Format("'abc%d' b", out, false, 2), 0);
  EXPECT_EQ(out, "ab");
}

// ---- the statements in scripts ----

TEST_F(OutputTest, DestinationsOfPrintLogAndMsg) {
  OpenLog();
  std::string out;
  engine.AddBuffer("note", 8, "memo");
  ASSERT_EQ(LoadAndRun("PRINT SCREEN 'a%d' b\nPRINT LOG 'b'\nPRINT both 'c'\nPRINT 'd, e'\n"
                       "LOG plain  text\nMSG hi  there\nPRINT SCREEN 'x\\'y'\nPRINT '%S' note",
                       "", &out),
            0);
  EXPECT_EQ(out, "a65\nc\nd  e\nhi  there\nx'y\nmemo\n");
  EXPECT_EQ(LogText(), "b\nc\nd  e\nplain  text\nmemo\n");
}

TEST_F(OutputTest, WithoutASessionLog) {
  struct Case {
    const char* body;
    int result;
    const char* out;
  };
  const Case cases[] = {
      {"LOG text", 1, ""},
      {"PRINT LOG 'text'", 1, ""},
      {"PRINT 'text'", 0, "text\n"},  // both: the screen still gets it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    std::string out;
    ASSERT_EQ(LoadAndRun(c.body, "", &out), c.result);
    if (c.result != 0) {
      EXPECT_EQ(engine.GetErrorCode(), KRT_LOG_NON_WINDOWS_LOG_FILE_POINTER_NOT_SET);
      EXPECT_NE(out.find("Error : KRT_LOG_NON_WINDOWS_LOG_FILE_POINTER_NOT_SET"), std::string::npos) << out;
    } else {
      EXPECT_EQ(out, c.out);
    }
  }
}

TEST_F(OutputTest, PrintIntoABuffer) {
  struct Case {
    const char* body;
    int result;
    const char* text;    // buffer text after the run
    const char* prefix;  // bytes before the offset
  };
  const Case cases[] = {
      {"PRINT BUFFER buf 'ab%d' w", 0, "ab10", ""},
      {"PRINT BUFFER buf [2] 'xyz'", 0, "..xyz", ".."},
      {"PRINT BUFFER buf[3] 'q'", 0, "...q", "..."},
      {"w = 4\nPRINT BUFFER buf [ w ] 'q'", 0, "....q", "...."},
      {"d = 1.6\nPRINT BUFFER buf [d] 'q'", 0, "..q", ".."},  // a double offset is rounded
      {"PRINT BUFFER buf '1234567'", 0, "1234567", ""},
      {"PRINT BUFFER buf '12345678'", 1, "........", ""},  // no room for the NUL
      {"PRINT BUFFER buf [5] 'abc'", 1, "........", ""},
      {"l = FFFFFFFFH\nPRINT BUFFER buf [l] 'a'", 1, "........", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    KByteArray& buffer = engine.AddBuffer("buf", 8, "........");
    ASSERT_EQ(LoadAndRun(c.body), c.result);
    if (c.result != 0) {
      EXPECT_EQ(engine.GetErrorCode(), PRINT_OUTPUT_STR_EXCEEDS_BUFFER_SIZE);
    }
    EXPECT_EQ(engine.Text("buf"), std::string(c.text).substr(0, 8));
    EXPECT_EQ(buffer.altered, c.result == 0 ? 1 : 0);
  }
}

TEST_F(OutputTest, PrintLongerThanTheLineIsCut) {
  engine.AddBuffer("big", 700, std::string(699, 'y'));
  std::string out;
  ASSERT_EQ(LoadAndRun("PRINT SCREEN '%S%S' big big", "", &out), 0);
  EXPECT_EQ(out, std::string(1023, 'y') + "\n");
}

TEST_F(OutputTest, CheckedStatementsReportTheirCodes) {
  engine.AddBuffer("buf", 8);
  struct Case {
    const char* body;
    int32_t code;
  };
  const Case cases[] = {
      {"MSG", MSG_NO_VALUE_SPECIFIED},
      {"LOG", LOG_NO_VALUE_SPECIFIED},
      {"PRINT", PRINT_INVALID_FORMAT_STR_SPECIFIER},
      {"PRINT SCREEN text", PRINT_INVALID_FORMAT_STR_SPECIFIER},
      {"PRINT '%5d' b", PRINT_UNKNOWN_FORMAT_SPECIFIER_DETECTED},
      {"PRINT BUFFER nobuf 'x'", PRINT_INVALID_DEST_BUFFER_SPECIFIED},
      {"PRINT BUFFER buf [q] 'x'", PRINT_UNKNOWN_BUFFER_INDEX_SPECIFIED},
      {"PRINT BUFFER buf [1.5] 'x'", PRINT_UNKNOWN_BUFFER_INDEX_SPECIFIED},
      {"PRINT BUFFER buf [2 'x'", PRINT_UNKNOWN_BUFFER_INDEX_SPECIFIED},
      {"PRINT FILE f 'line\\n'", K_PRINT_TO_FILE_INVALID_DEST_FILE_SPECIFIED},
      {"TIME", TIME_INVALID_VARIABLE_SPECIFIED},
      {"TIME w", TIME_INVALID_VARIABLE_TYPE_SPECIFIED},
      {"FORMATTIME q w b d", FORMATTIME_INVALID_TIME_VARIABLE_SPECIFIED},
      {"FORMATTIME l w b d", FORMATTIME_INVALID_TIME_VARIABLE_TYPE_SPECIFIED},
      {"FORMATTIME d", FORMATTIME_INVALID_HOURS_VARIABLE_SPECIFIED},
      {"FORMATTIME d b b d", FORMATTIME_INVALID_HOURS_VARIABLE_TYPE_SPECIFIED},
      {"FORMATTIME d w q d", FORMATTIME_INVALID_MINUTES_VARIABLE_SPECIFIED},
      {"FORMATTIME d w w d", FORMATTIME_INVALID_MINUTES_VARIABLE_TYPE_SPECIFIED},
      {"FORMATTIME d w b", FORMATTIME_INVALID_SECONDS_VARIABLE_SPECIFIED},
      {"FORMATTIME d w b l", FORMATTIME_INVALID_SECONDS_VARIABLE_TYPE_SPECIFIED},
      {"GETBRAND q", K_GET_BRAND_INVALID_VARIABLE_SPECIFIED},
      {"GETBRAND w", K_GET_BRAND_INVALID_VARIABLE_TYPE_SPECIFIED},
      {"GETOPMODE", K_GET_OPMODE_INVALID_VARIABLE_SPECIFIED},
      {"GETOPMODE d", K_GET_OPMODE_INVALID_VARIABLE_TYPE_SPECIFIED},
      {"GETINSTALLPATH nobuf", K_GETIPATH_INVALID_BUFFER_SPECIFED},
      {"VERBOSE maybe", VERBOSE_FLAG_UNKNOWN},
      {"VERBOSE", VERBOSE_FLAG_UNKNOWN},
      {"PENCOLOR mauve", K_PENCOLOR_ILLEGAL_PENNAME_DETECTED},
      {"SETFONTSIZE 70000", K_SETFONTSIZE_NUMBER_TYPE_ERROR},
      {"SETFONTSIZE 1.5", K_SETFONTSIZE_NUMBER_TYPE_ERROR},
      {"SETFONTSIZE l", K_SETFONTSIZE_VARIABLE_TYPE_ERROR},
      {"SETFONTSIZE d", K_SETFONTSIZE_VARIABLE_TYPE_ERROR},
      {"SETFONTSIZE big", K_SETFONTSIZE_UNKNOWN_ARG_SPECIFIED},
      {"SHOWPROGRESS", K_SHOWPROGRESS_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
      {"SHOWPROGRESS 1", K_SHOWPROGRESS_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
      {"SHOWPROGRESS 1 2 3", K_SHOWPROGRESS_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
      {"SHOWPROGRESS 2 1", K_SHOWPROGRESS_INVALID_PROGRESS_STATE_SPECIFIED},
      {"SHOWPROGRESS q 1", K_SHOWPROGRESS_INVALID_PROGRESS_STATE_SPECIFIED},
      {"SHOWPROGRESS 1 3", K_SHOWPROGRESS_INVALID_PROGRESS_TYPE_SPECIFIED},
      {"SHOWPROGRESS 1 300", K_SHOWPROGRESS_INVALID_PROGRESS_TYPE_SPECIFIED},
      {"COLOR", COLOR_HANDLER_MISSING_NAME_TAG_ARGUMENT},
      {"COLOR red", COLOR_HANDLER_MISSING_RED_ARGUMENT},
      {"COLOR red 300 0 0", COLOR_HANDLER_INVALID_RED_ARGUMENT},
      {"COLOR red 255", COLOR_HANDLER_MISSING_GREEN_ARGUMENT},
      {"COLOR red 255 x 0", COLOR_HANDLER_INVALID_GREEN_ARGUMENT},
      {"COLOR red 255, 0", COLOR_HANDLER_MISSING_BLUE_ARGUMENT},
      {"COLOR red 255, 0, 1.5", COLOR_HANDLER_INVALID_BLUE_ARGUMENT},
      {"COLOR red 1 2 3\nCOLOR red 4 5 6", COLOR_HANDLER_DUPLICATE_NAME_DETECTED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(LoadError(c.body), c.code);
  }
}

TEST_F(OutputTest, StatementsThatPass) {
  engine.AddBuffer("buf", 8);
  const char* const bodies[] = {
      "VERBOSE on\nVERBOSE OFF",
      "STARTDOTS\nSTOPDOTS\nSCREAM",
      "GETINSTALLPATH buf",
      "SETFONTSIZE 300\nSETFONTSIZE w\nSETFONTSIZE",
      "SHOWPROGRESS 1 2\nSHOWPROGRESS b w",
      "COLOR red 255, 0, 0\nPENCOLOR red\nPENCOLOR",
  };
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    EXPECT_EQ(LoadError(body), 0);
  }
}

TEST_F(OutputTest, FormatTimeSplitsSeconds) {
  struct Case {
    double time;
    uint32_t hours, minutes;
    double seconds;
  };
  const Case cases[] = {
      {3725.5, 1, 2, 5.5},
      {59.25, 0, 0, 59.25},
      {86399.0, 23, 59, 59.0},
      {360000.0, 100, 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    ASSERT_EQ(LoadAndRun("WORD h = 0\nBYTE m = 0\nDOUBLE s = 0.0\nDOUBLE t = " + std::to_string(c.time) +
                         "\nFORMATTIME t h m s"),
              0);
    EXPECT_EQ(engine.FindVariable("h")->Unsigned(), c.hours);
    EXPECT_EQ(engine.FindVariable("m")->Unsigned(), c.minutes);
    EXPECT_DOUBLE_EQ(DoubleValue("s"), c.seconds);
  }
}

TEST_F(OutputTest, TimeIsTheWallClockInSeconds) {
  const double before = static_cast<double>(std::time(nullptr));
  ASSERT_EQ(LoadAndRun("DOUBLE t = 0.0\nTIME t"), 0);
  const double t = DoubleValue("t");
  EXPECT_GE(t, before);
  EXPECT_LT(t, before + 60);
}

TEST_F(OutputTest, BrandAndOperatingMode) {
  struct Case {
    const char* vendor;
    bool eng;
    uint32_t brand, mode;
  };
  const Case cases[] = {
      {"HALCYON", false, 0, 0},
      {"dell", true, 1, 1},
      {"Other", false, 255, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vendor);
    wrapper.SetVendor(c.vendor);
    wrapper.SetEngMode(c.eng);
    ASSERT_EQ(LoadAndRun("BYTE brand = 9\nBYTE mode = 9\nGETBRAND brand\nGETOPMODE mode"), 0);
    EXPECT_EQ(engine.FindVariable("brand")->Unsigned(), c.brand);
    EXPECT_EQ(engine.FindVariable("mode")->Unsigned(), c.mode);
  }
}

TEST_F(OutputTest, PresentationSettingsAreKept) {
  engine.AddBuffer("face", 200, "Lucida Console");
  ASSERT_EQ(LoadAndRun("COLOR teal 0 128 128\nPENCOLOR teal\nSETFONTFACE face\nSETFONTSIZE 14\n"
                       "SHOWPROGRESS 1 2"),
            0);
  EXPECT_EQ(engine.m_PenColor[0], 0);
  EXPECT_EQ(engine.m_PenColor[1], 128);
  EXPECT_EQ(engine.m_PenColor[2], 128);
  EXPECT_EQ(engine.m_FontFace, "Lucida Console");
  EXPECT_EQ(engine.m_FontSize, 14);
  EXPECT_EQ(engine.m_ProgressType, 2);

  // Without arguments the defaults come back; a text face is cut at 128 characters.
  ASSERT_EQ(
      LoadAndRun("COLOR teal 0 128 128\nPENCOLOR teal\nPENCOLOR\nSETFONTSIZE\nSETFONTFACE " + std::string(140, 'f')),
      0);
  EXPECT_EQ(engine.m_PenColor[1], 0);
  EXPECT_EQ(engine.m_FontSize, engine.m_DefaultFontSize);
  EXPECT_EQ(engine.m_FontFace, std::string(128, 'f'));

  engine.AddBuffer("face", 200, std::string(129, 'g'));
  ASSERT_EQ(LoadAndRun("SETFONTFACE face"), 1);
  EXPECT_EQ(engine.GetErrorCode(), KRT_SETFONTFACE_FONTNAME_IN_BUFFER_TOO_LONG);

  // A progress variable is checked when the run reaches it.
  ASSERT_EQ(LoadAndRun("b = 2\nSHOWPROGRESS b 1"), 1);
  EXPECT_EQ(engine.GetErrorCode(), KRT_SHOWPROGRESS_INVALID_PROGRESS_STATE_SPECIFIED);
}

}  // namespace
