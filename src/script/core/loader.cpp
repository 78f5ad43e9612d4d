// Loading a script: the three phases, and phase 1 (collection of lines,
// includes, comments, labels and declarations).
#include <cctype>
#include <cstring>
#include <string>

#include "script/core/kscript.h"
#include "script/core/statement_api.h"

namespace {

void ReplaceChars(char* text, const char* what, char with) {
  for (char* p = text; *p != '\0'; ++p)
    if (std::strchr(what, *p) != nullptr) *p = with;
}

// A trigger line is "* SK 5" or "*SK 5": every line that begins with "*", so
// that a misspelt "*SKK 5" is refused by the trigger check instead of passing
// as a statement that does nothing.
bool IsTriggerWord(const char* upperWord) { return upperWord[0] == '*'; }

// Lines shorter than two characters are dropped, except a one-letter name:
// "B" alone may be a buffer or variable and must be checked like "BUF".
bool IsShortLine(const char* line) {
  const size_t length = std::strlen(line);
  if (length >= 2) return false;
  return length == 0 || (std::isalnum(static_cast<unsigned char>(line[0])) == 0 && line[0] != '_');
}

const DeclarationRow* FindDeclaration(const char* upperWord) {
  const DeclarationRow* rows = InstalledStatements().declarations;
  for (const DeclarationRow* row = rows; row != nullptr && row->word != nullptr; ++row)
    if (std::strcmp(row->word, upperWord) == 0) return row;
  return nullptr;
}

}  // namespace

int KScript::LoadScript(const char* path, bool validateFingerprint, const char* otherPaths) {
  SetUpMasterPath();
  if (path == nullptr) path = "";
  if (m_FileStack.SetOtherPaths(otherPaths) != 0) {
    Report(K_OTHER_FOLDER_SPECIFIED_NOT_FOUND);
    m_FileStack.KillStack();
    return 1;
  }
  if (Phase1(path, validateFingerprint) != 0) {
    m_FileStack.KillStack();
    return 1;
  }
  // The project list stays: later reports name files by it.
  m_FileStack.KillStack();
  if (Phase2() != 0) return 1;
  return Phase3() != 0 ? 1 : 0;
}

int KScript::Phase1(const char* path, bool validate) {
  if (FILE* f = std::fopen(TrailPath().c_str(), "w")) std::fclose(f);
  m_ErrorCode = 0;
  Trail("Phase 1 : Collection...");

  m_LineNumber = 0;
  m_FupUsed = false;
  m_OnCancelCount = 0;
  m_OnErrorCount = 0;
  m_DescriptionSeen = false;
  // Nothing of a previous script carries over into this one.
  m_Description.clear();
  m_Version = 0.0f;
  m_ExitStatus = 0;
  m_StepMode = 0;
  m_TraceMode = 0;
  m_ErrorHandlerLabel.clear();
  m_CancelHandlerLabel.clear();
  CleanUp();
  m_FileId = 0;
  m_GlobalLine = 0;
  m_FileStack.DestroyTheTextBufferLinks();

  Trail(("Loading: " + std::string(path)).c_str());
  m_TextBuffer = nullptr;
  const int pushed = m_FileStack.PushInclude(path, m_FileId, m_TextBuffer, 0, 0, validate);
  if (pushed != 0) {
    int32_t code = K_PHASE1_FILE_OPEN_ERROR;
    if (pushed == -2) code = K_PHASE1_FILE_UNLOCK_ERROR;
    if (pushed == -1) code = K_PHASE1_FILE_DUPLICATION_ERROR;
    if (pushed == -4) {
      code = K_PHASE1_FILE_FINGERPRINT_ERROR;
      Trail("\r\n*****************************************************");
      Trail("*** This is a released script. It has either been ***");
      Trail("*** tampered with or is missing the ???.FPF file. ***");
      Trail("*****************************************************\r\n");
    }
    Report(code);
    Trail("Phase 1 Complete.");
    return 1;
  }

  int result = 0;
  bool inBlockComment = false;
  for (;;) {
    m_TextPosition = m_FileStack.GetTextBufferPosition(m_TextBuffer);
    ++m_LineNumber;
    ++m_GlobalLine;
    const int length = m_FileStack.GetStringFromTextBuffer(m_TextBuffer, kLineSize, m_Line);
    if (length == -5) {
      // Longer than the line buffer: reported, and reading goes on after it.
      Report(K_PHASE1_LINE_TOO_LONG);
      result = 1;
      continue;
    }
    if (length < 0) {
      Trail("Complete...");
      const int popped = m_FileStack.PopInclude(m_TextBuffer, m_FileId, m_TextPosition, m_LineNumber);
      if (popped == 1) {
        Trail("Phase 1 Completed.");
        return result;
      }
      if (popped < 0) {
        Report(K_EXECUTE_POP_INDEX_FAILED);
        return 1;
      }
      // A comment left open ends with its file: it must not hide the includer's lines.
      inBlockComment = false;
      continue;
    }
    std::memcpy(m_LineCopy, m_Line, kLineSize);

    // Block comments open and close only at the very start of a line.
    if (inBlockComment) {
      if (std::strncmp(m_Line, "*/", 2) == 0) inBlockComment = false;
      continue;
    }
    if (std::strncmp(m_Line, "/*", 2) == 0) {
      inBlockComment = true;
      continue;
    }

    RemoveComments(m_Line);
    if (IsShortLine(m_Line)) continue;
    ReplaceChars(m_Line, "();", ' ');
    CleanLine(m_Line);
    if (IsShortLine(m_Line)) continue;

    if (m_Line[std::strlen(m_Line) - 1] == ':') {
      ReplaceChars(m_Line, ":", ' ');
      WipeRight(m_Line);
      Store1stWord(m_Line, m_Work, kLineSize);
      UpperCase(m_Work);
      if (std::strcmp(m_Work, "CASE") != 0 && std::strcmp(m_Work, "DEFAULT") != 0) {
        if (SymbolHandler() != 0) {
          Report(m_ErrorCode);
          result = 1;
        }
        continue;
      }
    }

    Store1stWord(m_Line, m_Work, kLineSize);
    UpperCase(m_Work);
    const DeclarationRow* decl = IsTriggerWord(m_Work) ? FindDeclaration("*") : FindDeclaration(m_Work);
    if (decl != nullptr) {
      if (decl->flags & kDeclUntouched) std::memcpy(m_Line, m_LineCopy, kLineSize);
      char declared[kLineSize];
      std::memcpy(declared, m_Line, kLineSize);
      StatementContext context(*this);
      const int failed = decl->handler != nullptr ? decl->handler(context, decl->arg) : Fail(UNKNOWN_CMD);
      if (failed != 0) {
        Report(m_ErrorCode);
        if (decl->flags & kDeclFatal) return 1;
        result = 1;
        continue;
      }
      if (decl->flags & kDeclAppendPlain) {
        // The initial value is assigned again each time the run passes the line.
        if (NewText(declared) != 0) {
          Report(m_ErrorCode);
          result = 1;
        }
      } else if (decl->flags & kDeclIsStatement) {
        if (m_Text.AddTextLink(declared, m_TextPosition, m_LineNumber, m_FileId, m_GlobalLine) != 0) {
          Report(TEXT_NEW_LINK_ERROR);
          result = 1;
        }
      }
      continue;
    }

    ReplaceChars(m_Line, ",", ' ');
    if (m_Text.AddTextLink(m_Line, m_TextPosition, m_LineNumber, m_FileId, m_GlobalLine) != 0) {
      Report(TEXT_NEW_LINK_ERROR);
      result = 1;
    }
  }
}

bool KScript::NextScriptLine(std::string& line) {
  const int32_t position = m_FileStack.GetTextBufferPosition(m_TextBuffer);
  char text[kLineSize];
  const int length = m_FileStack.GetStringFromTextBuffer(m_TextBuffer, kLineSize, text);
  if (length < 0 && length != -5) return false;  // -5: cut to the line buffer, as phase 1 reads it
  m_TextPosition = position;
  ++m_LineNumber;
  ++m_GlobalLine;
  line = text;
  return true;
}

// #INCLUDE "file"
int KScript::IncludeHandler(int /*arg*/) {
  ReplaceChars(m_Line, "\"", ' ');
  CleanLine(m_Line);
  Clear1stWord(m_Line);
  const char* buffer = nullptr;
  int32_t fileId = 0;
  const int pushed = m_FileStack.PushInclude(m_Line, fileId, buffer, m_TextPosition, m_LineNumber, false);
  if (pushed == -1) return 0;  // already in the project: read once, no recursion
  if (pushed != 0) return Fail(K_PHASE1_INCLUDE_SEQ_FILE_ERROR);
  Trail(("Loading: " + std::string(m_Line)).c_str());
  m_FileId = fileId;
  m_TextBuffer = buffer;
  m_TextPosition = 0;
  m_LineNumber = 0;
  return 0;
}

// BYTE name = value (and WORD, LONG, DOUBLE with their S and X kinds)
int KScript::VariableHandler(int typeAndKind) {
  const int code = m_Variables.Declare(typeAndKind / 4, static_cast<uint8_t>(typeAndKind % 4), m_Line);
  return code == 0 ? 0 : Fail(code);
}

// #DEFINE name value
int KScript::DefineHandler(int /*arg*/) {
  const int code = m_Variables.Define(m_Line);
  return code == 0 ? 0 : Fail(code);
}

// DISABLEABORT
int KScript::DisableAbortHandler(int /*arg*/) { return 0; }

// *SK value, *ASC value, *ASCQ value, *ILI value, *EOM value, *FM value
int KScript::TriggerHandler(int /*arg*/) {
  struct TriggerRule {
    const char* word;
    int32_t badValue;
  };
  static constexpr TriggerRule kTriggers[] = {
      {"SK", K_PHASE1_ILLEGAL_INTERNAL_SK_VALUE_ASSIGNMENT},
      {"ASC", K_PHASE1_ILLEGAL_INTERNAL_ASC_VALUE_ASSIGNMENT},
      {"ASCQ", K_PHASE1_ILLEGAL_INTERNAL_ASCQ_VALUE_ASSIGNMENT},
      {"ILI", PHASE1_ILLEGAL_INTERNAL_ILI_VALUE_ASSIGNMENT},
      {"EOM", PHASE1_ILLEGAL_INTERNAL_EOM_VALUE_ASSIGNMENT},
      {"FM", PHASE1_ILLEGAL_INTERNAL_FM_VALUE_ASSIGNMENT},
  };
  char work[kLineSize];
  std::memcpy(work, m_Line, kLineSize);
  ReplaceChars(work, "*", ' ');
  char word[kLineSize];
  Store1stWord(work, word, sizeof word);
  UpperCase(word);
  for (const TriggerRule& rule : kTriggers) {
    if (std::strcmp(word, rule.word) != 0) continue;
    Clear1stWord(work);
    char value[kLineSize];
    if (Store1stWord(work, value, sizeof value) == 0) return Fail(K_PHASE1_INTERNAL_TRIGGER_MISSING_ARG);
    return DetermineNumberType(value) == K_NUM_BYTE ? 0 : Fail(rule.badValue);
  }
  return Fail(K_PHASE1_UNKNOWN_INTERNAL_TRIGGER_DETECTED);
}
