// The presentation statements. A console has one pen and one font, so these
// are checked and their settings kept, but nothing on the screen changes.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "script/core/error_fx.h"
#include "script/core/kscript.h"
#include "script/core/output_format.h"
#include "script/core/statement_api.h"

void KScript::ResetPresentation() {
  m_Palette.DeletePallete();
  std::memcpy(m_PenColor, m_DefaultPenColor, sizeof m_PenColor);
  m_FontFace = m_DefaultFontFace;
  m_FontSize = m_DefaultFontSize;
  m_ProgressState = 0;
  m_ProgressType = 0;
  m_InputEnded = false;
}

// COLOR name red green blue (phase 1 declaration)
int KScript::ColorHandler(int /*arg*/) {
  std::string line(m_Line);
  std::replace(line.begin(), line.end(), ',', ' ');
  Clear1stWord(line);  // COLOR
  std::string name;
  Store1stWord(line, name);
  if (name.empty()) return Fail(COLOR_HANDLER_MISSING_NAME_TAG_ARGUMENT);
  if (m_Palette.Contains(name)) return Fail(COLOR_HANDLER_DUPLICATE_NAME_DETECTED);
  struct Part {
    int32_t missing;
    int32_t invalid;
  };
  static constexpr Part kParts[3] = {
      {COLOR_HANDLER_MISSING_RED_ARGUMENT, COLOR_HANDLER_INVALID_RED_ARGUMENT},
      {COLOR_HANDLER_MISSING_GREEN_ARGUMENT, COLOR_HANDLER_INVALID_GREEN_ARGUMENT},
      {COLOR_HANDLER_MISSING_BLUE_ARGUMENT, COLOR_HANDLER_INVALID_BLUE_ARGUMENT},
  };
  uint8_t rgb[3] = {};
  for (int i = 0; i < 3; ++i) {
    Clear1stWord(line);
    std::string word;
    Store1stWord(line, word);
    if (word.empty()) return Fail(kParts[i].missing);
    if (DetermineNumberType(std::string_view(word)) != K_NUM_BYTE) return Fail(kParts[i].invalid);
    rgb[i] = static_cast<uint8_t>(Aton(std::string_view(word)));
  }
  if (m_Palette.AddPalleteColor(name, rgb[0], rgb[1], rgb[2], m_TextPosition, m_LineNumber) != 0)
    return Fail(COLOR_HANDLER_ADD_COLOR_ERROR);
  return 0;
}

// PENCOLOR [name]
int KScript::_PenColor(TEXT_LINK& stmt) {
  struct Pen : StatementData {
    uint8_t rgb[3] = {};  // a palette colour never changes once declared
  };
  StatementContext ctx(*this);
  return CompileThenRun<Pen>(
      ctx, stmt, K_PENCOLOR_ILLEGAL_PENNAME_DETECTED,
      [&](Pen& d) -> int32_t {
        if (m_Line[0] == '\0') {
          std::memcpy(d.rgb, m_DefaultPenColor, sizeof d.rgb);
          return 0;
        }
        return m_Palette.GetColorValue(m_Line, d.rgb[0], d.rgb[1], d.rgb[2]) != 0 ? K_PENCOLOR_ILLEGAL_PENNAME_DETECTED
                                                                                  : 0;
      },
      [&](Pen& d) {
        std::memcpy(m_PenColor, d.rgb, sizeof m_PenColor);
        return 0;
      });
}

// SETFONTFACE [buffer | text]
int KScript::_SetFontFace(TEXT_LINK& stmt) {
  struct Face : StatementData {
    std::string face;                    // as written (cut to the longest face)
    const KByteArray* buffer = nullptr;  // or the buffer whose text it is at each run
  };
  StatementContext ctx(*this);
  return CompileThenRun<Face>(
      ctx, stmt, EXE_UNRECOGNIZABLE_LINE,
      [&](Face& d) {
        if (m_Line[0] == '\0') {
          d.face = m_DefaultFontFace;
          return 0;
        }
        d.buffer = FindArray(m_Line);
        d.face.assign(m_Line, std::min(std::strlen(m_Line), kFontFaceSize));
        return 0;
      },
      [&](Face& d) {
        if (d.buffer == nullptr) {
          m_FontFace = d.face;
          return 0;
        }
        const std::string_view face = BufferText(*d.buffer);
        if (face.size() > kFontFaceSize) return Fail(KRT_SETFONTFACE_FONTNAME_IN_BUFFER_TOO_LONG);
        m_FontFace = face;
        return 0;
      });
}

// SETFONTSIZE [value]
int KScript::_SetFontSize(TEXT_LINK& stmt) {
  struct Size : StatementData {
    int32_t size = 0;
    const VARI_LL* variable = nullptr;  // read at each run
  };
  StatementContext ctx(*this);
  return CompileThenRun<Size>(
      ctx, stmt, K_SETFONTSIZE_UNKNOWN_ARG_SPECIFIED,
      [&](Size& d) -> int32_t {
        if (m_Line[0] == '\0') {
          d.size = m_DefaultFontSize;
          return 0;
        }
        if (const VARI_LL* variable = FindVariable(m_Line)) {
          if (variable->type != K_VAR_BYTE && variable->type != K_VAR_WORD) return K_SETFONTSIZE_VARIABLE_TYPE_ERROR;
          d.variable = variable;
          return 0;
        }
        const int cls = DetermineNumberType(std::string_view(m_Line));
        if (cls == K_NUM_LONG || cls == K_NUM_DOUBLE) return K_SETFONTSIZE_NUMBER_TYPE_ERROR;
        if (cls != K_NUM_BYTE && cls != K_NUM_WORD) return K_SETFONTSIZE_UNKNOWN_ARG_SPECIFIED;
        d.size = Aton(std::string_view(m_Line));
        return 0;
      },
      [&](Size& d) {
        m_FontSize = d.variable != nullptr ? static_cast<int32_t>(d.variable->Unsigned()) : d.size;
        return 0;
      });
}

// SHOWPROGRESS state type
int KScript::_ShowProgress(TEXT_LINK& stmt) {
  struct Part {
    uint32_t largest;
    int32_t invalid;     // found by the check
    int32_t outOfRange;  // a variable's value, found by the run
    uint8_t KScript::*field;
  };
  static constexpr Part kParts[2] = {
      {1, K_SHOWPROGRESS_INVALID_PROGRESS_STATE_SPECIFIED, KRT_SHOWPROGRESS_INVALID_PROGRESS_STATE_SPECIFIED,
       &KScript::m_ProgressState},
      {2, K_SHOWPROGRESS_INVALID_PROGRESS_TYPE_SPECIFIED, KRT_SHOWPROGRESS_INVALID_PROGRESS_TYPE_SPECIFIED,
       &KScript::m_ProgressType},
  };
  // Each part a number, or a variable whose value the run checks.
  struct Progress : StatementData {
    uint32_t values[2] = {};
    const VARI_LL* variables[2] = {};
  };
  StatementContext ctx(*this);
  return CompileThenRun<Progress>(
      ctx, stmt, K_SHOWPROGRESS_PARSING_ERROR,
      [&](Progress& d) -> int32_t {
        std::vector<std::string> words;
        const int split = ParseLine(std::string_view(m_Line), words);
        if (split != 0 && split != -2) return K_SHOWPROGRESS_PARSING_ERROR;
        if (split == -2 || words.size() != 2) return K_SHOWPROGRESS_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        for (int i = 0; i < 2; ++i) {
          const std::string& word = words[static_cast<size_t>(i)];
          d.variables[i] = FindVariable(word.c_str());
          if (d.variables[i] != nullptr) continue;
          if (DetermineNumberType(std::string_view(word)) != K_NUM_BYTE) return kParts[i].invalid;
          d.values[i] = static_cast<uint32_t>(Aton(std::string_view(word)));
          if (d.values[i] > kParts[i].largest) return kParts[i].invalid;
        }
        return 0;
      },
      [&](Progress& d) {
        uint32_t values[2] = {d.values[0], d.values[1]};
        for (int i = 0; i < 2; ++i) {
          const VARI_LL* variable = d.variables[i];
          if (variable == nullptr) continue;
          if (variable->IsDouble() || variable->Unsigned() > kParts[i].largest) return Fail(kParts[i].outOfRange);
          values[i] = variable->Unsigned();
        }
        for (int i = 0; i < 2; ++i) this->*kParts[i].field = static_cast<uint8_t>(values[i]);
        return 0;
      });
}

// VERBOSE ON | VERBOSE OFF
int KScript::_Verbose(TEXT_LINK& /*stmt*/) {
  std::string flag(m_Line);
  UpperCase(flag);
  return flag == "ON" || flag == "OFF" ? 0 : Fail(VERBOSE_FLAG_UNKNOWN);
}

// STARTDOTS, STOPDOTS, SCREAM
int KScript::_NoAction(TEXT_LINK& /*stmt*/) { return 0; }
