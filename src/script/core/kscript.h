// KScript: the script engine. Loads a script and its includes (phase 1),
// compiles every statement once (phase 2), binds labels and jump targets
// (phase 3), then runs the compiled statement list.
//
// Variables come from variables.h and expression.h: the loader declares them
// (CVariableLL::Declare/Define), phase 2 compiles assignments (CompileAssignment,
// in CheckVariable) and IF operands (CompileOperand), and the run evaluates the
// compiled forms (KCompiledAssign::runner / ExecuteAssign, ReadOperand).
//
// Statements and declarations: how one is added, the handler's signature and what it
// may use of the engine are described at the top of statement_api.h. The engine's own
// statements (header, control flow, output, prompts) are still members of KScript below;
// their rows reach them through Member<&KScript::_Name>.
//
// The run: every statement runs through TEXT_LINK::run (RunGeneric: the handler of its
// id from the table), except JUMP, one-term integer IF ... JUMP and assignments with a
// routine of their own, which the run loop does inline (PrepareRun chooses them).
//
// Buffers, log pages and the other declarations of the statement groups are kept in
// m_Declarations (declarations.h); the engine reaches them only through FindArray,
// LogPageCode, LogPageDataAt, LogPageValue and EventLogCommand, and empties them in
// CleanUpDeclarations.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/core/color_list.h"
#include "script/core/declarations.h"
#include "script/core/error_fx.h"
#include "script/core/expression.h"
#include "script/core/file_stack.h"
#include "script/core/ktext.h"
#include "script/core/variables.h"

class ScsiWrapper;
struct SWITCH_LINK;
struct TEXT_LINK;
class KScript;

// The last device command's status as the sense statements read it: filled
// by SCSI, ATA, READNOCOMPARE, READCOMPARE and WRITE, and by the internal
// trigger lines ("*SK value") that let a script stand in for a drive. 0xCC
// (204) in sense key, ASC and ASCQ and 0xFFFFFFFF in vsSense mean no sense.
// Every run starts from these values.
struct SenseTriggers {
  uint8_t sk = 204, asc = 204, ascq = 204;
  uint8_t ili = 0, eom = 0, fm = 0;
  uint32_t vsSense = 0xFFFFFFFFu;
  uint32_t residual = 0;  // SCSI only
  uint16_t ltocFsc = 0;   // SCSI only
  uint16_t ltocFlag = 0;  // SCSI only
};

// How the run executes one compiled statement: returns the statement to run next
// (one past the last ends the run), or nullptr when the statement failed (the
// error code is set). Phase 2 gives every statement KScript::RunGeneric (the
// handler of its id through the statement table); the busiest statements get a
// routine specialised for their compiled form.
using RunFn = TEXT_LINK* (*)(KScript& engine, TEXT_LINK* stmt);

// Inline forms of the busiest statements in the run loop.
enum class FastOp : uint8_t {
  Generic,  // through TEXT_LINK::run
  Jump,     // JUMP label
  IfJump,   // IF a op b JUMP label, one term of integers
  Assign,   // variable assignment with a routine of its own
};

// One-term integer comparison of IF, compared in 64 bits (as exact as the
// comparison of 64-bit floats for these operands).
struct FastCompare {
  enum Form : uint8_t { kConstant, kByte, kWord, kLong };
  enum Op : uint8_t { EQ, NE, LE, GE, LT, GT };
  int64_t constant[2] = {0, 0};
  const VARI_LL* variable[2] = {nullptr, nullptr};
  uint8_t form[2] = {kConstant, kConstant};
  uint8_t op = EQ;
  TEXT_LINK* elseJump = nullptr;  // target of a JUMP right after the IF

  int64_t Read(int side) const {
    switch (form[side]) {
      case kByte:
        return variable[side]->bValue;
      case kWord:
        return variable[side]->wValue;
      case kLong:
        return variable[side]->lValue;
      default:
        return constant[side];
    }
  }
  bool Evaluate() const {
    const int64_t a = Read(0);
    const int64_t b = Read(1);
    switch (op) {
      case EQ:
        return a == b;
      case NE:
        return a != b;
      case LE:
        return a <= b;
      case GE:
        return a >= b;
      case LT:
        return a < b;
      default:
        return a > b;
    }
  }
};

// Base for the compiled form a handler keeps in its statement record.
struct StatementData {
  virtual ~StatementData() = default;
};

// How the run executes a statement; set by phase 2.
enum class StatementKind : uint8_t {
  Unchecked,       // not (successfully) compiled
  Keyword,         // id > 0: handler from the statement table
  Assignment,      // variable assignment (id -1)
  BufferFromPage,  // BUFFER = TAG->index (id 0)
  BufferPlain,     // BUFFER = value (id 0): no run behaviour; refused at run
  Trigger,         // "*" internal trigger line
  LogPage,         // log page line (id 0)
};

// One compiled statement.
struct TEXT_LINK {
  std::string text;          // statement line as stored by phase 1
  uint8_t resolved = 0;      // not used by the language
  int32_t textPosition = 0;  // read offset of the line in its file
  int32_t lineNumber = 0;    // line in its file
  int32_t fileId = 0;        // file of the line
  int32_t globalLine = 0;    // phase 1 global line counter at this line
  int32_t breakFlag = 0;     // not used by the language
  int32_t ordinal = 0;       // 1-based position in the list
  int32_t id = -1;           // statement id, 0 buffer assignment / log page line, -1 variable assignment

  // Compiled assignment (variables and buffer assignments).
  int32_t opCode = 0;
  uint16_t typeCode = 0;
  uint8_t byteConst = 0;
  uint16_t wordConst = 0;
  uint32_t longConst = 0;
  double doubleConst = 0.0;
  TEXT_LINK* target = nullptr;    // jump target bound by phase 3
  void* destination = nullptr;    // VARI_LL* or KByteArray* written by an assignment
  const void* operand = nullptr;  // operand variable

  // Run dispatch prepared by phase 2.
  RunFn run = nullptr;
  FastOp fastOp = FastOp::Generic;
  FastCompare compare;                      // FastOp::IfJump
  const KCompiledAssign* assign = nullptr;  // FastOp::Assign (owned by data)
  StatementKind kind = StatementKind::Unchecked;
  uint16_t argsOffset = 0;              // where the text after the keyword starts
  SWITCH_LINK* switchLink = nullptr;    // SWITCH/CASE/DEFAULT/BREAK/ENDSWITCH: its switch block
  VARI_LL* var = nullptr;               // variable operand of SLEEP, EXIT, SWITCH
  std::unique_ptr<StatementData> data;  // a handler's own compiled form
};

// Statement list: in file order, includes expanded in place. Records never move
// once phase 1 has ended, so pointers to them (targets, switch tables) stay valid.
class CTextLL {
 public:
  int AddTextLink(const char* text, int32_t position, int32_t line, int32_t fileId, int32_t globalLine);
  void SetToTop() { cursor_ = 0; }
  int Next();  // 0, or -1 at the end
  int GetText(std::string& text, int32_t& line, int32_t& fileId) const;
  TEXT_LINK* GetPointer() { return cursor_ < links_.size() ? &links_[cursor_] : nullptr; }
  int SetText(const TEXT_LINK* link);  // make a record current; -2 if it is not in the list
  void DeleteLinks();
  size_t Count() const { return links_.size(); }
  size_t TotalLength() const { return totalLength_; }
  TEXT_LINK& operator[](size_t i) { return links_[i]; }
  std::vector<TEXT_LINK>& Links() { return links_; }
  size_t cursor_ = 0;

 private:
  std::vector<TEXT_LINK> links_;
  size_t totalLength_ = 0;
};

// One label.
struct SYMBOL_LINK {
  std::string name;
  int32_t textPosition = 0;
  int32_t lineNumber = 0;  // after phase 3: line of the statement it leads to
  TEXT_LINK* statement = nullptr;
  int32_t globalLine = 0;
  bool external = false;
  int32_t fileId = 0;  // file of the label line, for reports
};

class CSymbolLL : public KText {
 public:
  int AddSymbolLink(const std::string& name, bool external, int32_t position, int32_t line, int32_t globalLine,
                    int32_t fileId = 0);  // 0, -1 duplicate
  bool SearchForMatch(const std::string& name) const { return Find(name) != nullptr; }
  TEXT_LINK* GetTextPointer(const std::string& name) const;
  const SYMBOL_LINK* Find(const std::string& name) const;
  void DeleteSymbolLinks() {
    links_.clear();
    index_.clear();
  }
  std::vector<SYMBOL_LINK>& Links() { return links_; }

 private:
  std::vector<SYMBOL_LINK> links_;                 // definition order
  std::unordered_map<std::string, size_t> index_;  // name -> position in links_
};

// Call stack of CALL/RETURN.
class CCallStackLL {
 public:
  struct CALL_LINK {
    TEXT_LINK* caller;
    SWITCH_LINK* currentSwitch;
  };
  int Push(TEXT_LINK* caller, SWITCH_LINK* sw);  // 0, -1 full
  TEXT_LINK* Pop(SWITCH_LINK*& sw);              // calling statement, or nullptr when empty
  void DeleteLinks() { links_.clear(); }
  int SetCallStackDepth(int32_t depth);  // 0, -1 for a negative depth
  int32_t Count() const { return static_cast<int32_t>(links_.size()); }
  int32_t MaxDepth() const { return maxDepth_; }

 private:
  int32_t maxDepth_ = 100;
  std::vector<CALL_LINK> links_;
};

// Terms of one IF condition being evaluated.
class CIfLL {
 public:
  enum Connector : uint8_t { AND = 1, OR = 2 };
  void AddIf(uint8_t result, uint8_t connector) { terms_.push_back({result, connector}); }
  int DetermineTrueness() const;  // 1 true, 0 false, -1 no terms
  // True when any OR term is true; otherwise false when any AND term is false; otherwise true.
  static bool Truth(bool anyOrTrue, bool anyAndFalse) { return anyOrTrue || !anyAndFalse; }
  void KillIfs() { terms_.clear(); }

 private:
  struct Term {
    uint8_t result;
    uint8_t connector;
  };
  std::vector<Term> terms_;
};

struct CASE_LINK {
  uint32_t value;
  uint32_t zero = 0;
  TEXT_LINK* statement;
};

struct SWITCH_LINK {
  int32_t line = 0;
  SWITCH_LINK* parent = nullptr;
  std::vector<SWITCH_LINK*> children;
  TEXT_LINK* defaultStatement = nullptr;
  TEXT_LINK* end = nullptr;
  std::vector<CASE_LINK> cases;
  VARI_LL* variable = nullptr;
  TEXT_LINK* statement = nullptr;  // the SWITCH statement
};

class CSwitchLL {
 public:
  // New switch block; nullptr if a parent is given while the list is empty.
  SWITCH_LINK* AddSwitch(SWITCH_LINK* parent, int32_t line, VARI_LL* variable);
  int AddCase(SWITCH_LINK* sw, TEXT_LINK* statement, uint32_t value);  // 0, -1 without a switch
  static const CASE_LINK* FindCaseMatch(const SWITCH_LINK* sw, uint32_t value);
  void KillCases();
  void KillSwitches() { switches_.clear(); }
  const std::vector<std::unique_ptr<SWITCH_LINK>>& Switches() const { return switches_; }

 private:
  std::vector<std::unique_ptr<SWITCH_LINK>> switches_;
};

class KScript : public KText, public KScriptNames {
 public:
  static constexpr size_t kLineSize = 1024;
  static constexpr int kMaxSwitchDepth = 10;

  KScript();
  ~KScript() override;
  KScript(const KScript&) = delete;
  KScript& operator=(const KScript&) = delete;

  // ---- front end ----
  int SetLogFilePointer(FILE* stream) {
    m_LogFile = stream;
    return 0;
  }
  FILE* GetLogFilePointer() const { return m_LogFile; }
  void SetScsiWrapper(ScsiWrapper* wrapper) { m_pScsiWrapper = wrapper; }
  ScsiWrapper* GetScsiWrapper() const { return m_pScsiWrapper; }
  // 0 loaded and compiled; 1 failed (errors already reported).
  int LoadScript(const char* path, bool validateFingerprint, const char* otherPaths);
  // 0 the run ended normally (end of list or EXIT); 1 a statement failed (reported).
  int ExecuteScript();
  uint16_t GetExitStatus() const { return m_ExitStatus; }
  int32_t GetErrorCode() const { return m_ErrorCode; }
  void CleanUp();
  void Done() {}
  void ClearView() {}
  // Standard input of the step-mode prompt (tests give a file).
  void SetInputStream(FILE* in) { m_In = in; }
  int SetCallStackDepth(int32_t depth) { return m_CallStack.SetCallStackDepth(depth); }
  // What the step prompt's "P" answer runs (the console's interactive command mode).
  void SetCommandModeHandler(std::function<void()> handler) { m_CommandMode = std::move(handler); }

  // ---- header state ----
  const std::string& GetDescription() const { return m_Description; }
  float GetVersion() const { return m_Version; }
  const char* GetErrorHandlerLabel() const { return m_ErrorHandlerLabel.c_str(); }
  const char* GetCancelHandlerLabel() const { return m_CancelHandlerLabel.c_str(); }
  const char* GetMessage() const { return m_Message; }

  // ---- reporting ----
  // Report text for an error code into buffer (kLineSize bytes); returns the code.
  int Police(int32_t code, char* buffer, int32_t fileId);
  // Appends text to the trail file "KTrail.Txt" in the log folder and prints it.
  void Trail(const char* text);
  // Police + Trail with the current line and file.
  void Report(int32_t code);
  std::string TrailPath() const;

  // ---- helpers for handlers ----
  bool IsRunMode() const { return m_Mode != 0; }
  int Fail(int32_t code) {
    m_ErrorCode = code;
    return 1;
  }
  void JumpTo(TEXT_LINK* target);
  VARI_LL* FindVariable(const char* name) { return m_Variables.FindVariable(name); }
  CVariableLL& Variables() { return m_Variables; }
  CSymbolLL& Symbols() { return m_Symbols; }
  CTextLL& Statements() { return m_Text; }
  CFileStackLL& FileStack() { return m_FileStack; }
  // Buffers and log pages belong to the buffer and log page statements; until they
  // exist no name is a buffer or a log page.
  KByteArray* FindArray(std::string_view name) const override;
  int32_t LogPageCode(std::string_view tag) const override;
  // The loaded page's own bytes from an index on, for BUFFER = TAG->index; empty
  // when the page cannot supply them.
  std::span<const uint8_t> LogPageBytesAt(std::string_view tag, uint32_t index);
  int LogPageOperand(std::string_view tag, std::string_view parm, double& value) const override;
  // Value of a log page parameter for "var op TAG->PARM"; 0, or an error code.
  int LogPageValue(const KCompiledAssign& form, KValue& value);
  // Event-log command of page 7 ("TAG CREATELIST ..."): 0, or 1 with the error code set.
  int EventLogCommand(TEXT_LINK& stmt, std::string_view tag, const char* upperCommand);

  // Seam for SLEEP: waits through the facade (tests override it).
  virtual void SleepSeconds(uint32_t seconds);
  virtual void EnterCommandMode();
  // Releases the declaration lists of the device and data statements (buffers, CDBs...).
  void CleanUpDeclarations();

  // The run of one statement through its handler (see RunFn).
  static TEXT_LINK* RunGeneric(KScript& engine, TEXT_LINK* stmt);
  // Error code of a failed assignment.
  static int32_t AssignmentErrorCode(const KCompiledAssign& form);

  // Chooses the inline forms of the run loop (after phase 3 bound the targets).
  void PrepareRun();

  // "->" read as a blank (log page references).
  static std::string ArrowsAsBlanks(std::string_view text);

  // ---- phases ----
  int Phase1(const char* path, bool validate);
  int Phase2();
  int Phase3();
  int NewText(char* line);  // removes the first word and appends the rest as a statement
  // Phase 1: the next line of the file being read, for declarations spanning lines.
  bool NextScriptLine(std::string& line);
  int SymbolHandler();
  int FamilyHandler(int arg);
  int IncludeHandler(int arg);
  int TriggerHandler(int arg);
  int DisableAbortHandler(int arg);

  // ---- variables ----
  int VariableHandler(int typeAndKind);  // BYTE..XDOUBLE declarations
  int DefineHandler(int arg);            // #DEFINE
  int CheckVariable(TEXT_LINK& stmt, VARI_LL* var);
  // 0 done; 1 failed; kOwnError failed with an error the run reports as it is.
  int DoVariable(TEXT_LINK& stmt);
  static constexpr int kOwnError = 2;

  // ---- statement handlers ----
  // Header statements
  int _Description(TEXT_LINK& stmt);
  int _Version(TEXT_LINK& stmt);
  int _Section(TEXT_LINK& stmt);
  int _State(TEXT_LINK& stmt);
  // Control flow
  int _If(TEXT_LINK& stmt);
  int _Jump(TEXT_LINK& stmt);
  int _Call(TEXT_LINK& stmt);
  int _Return(TEXT_LINK& stmt);
  int _Switch(TEXT_LINK& stmt);
  int _Case(TEXT_LINK& stmt);
  int _Default(TEXT_LINK& stmt);
  int _Break(TEXT_LINK& stmt);
  int _EndSwitch(TEXT_LINK& stmt);
  int _OnError(TEXT_LINK& stmt);
  int _OnCancel(TEXT_LINK& stmt);
  int _Sleep(TEXT_LINK& stmt);
  int _Exit(TEXT_LINK& stmt);
  int _Pass(TEXT_LINK& stmt);
  int _Fail(TEXT_LINK& stmt);
  int _BreakPoint(TEXT_LINK& stmt);
  // Variables
  int _Dimension(TEXT_LINK& stmt);
  // Output and prompts (defined by the output module)
  int _Msg(TEXT_LINK& stmt);
  int _Log(TEXT_LINK& stmt);
  int _Print(TEXT_LINK& stmt);
  int _Ask(TEXT_LINK& stmt);
  int _Instruct(TEXT_LINK& stmt);
  int _AskForText(TEXT_LINK& stmt);
  int _AskForFile(TEXT_LINK& stmt);  // ASKFORFILE and the other file-name prompts
  int _AskForNumber(TEXT_LINK& stmt);
  int _AskForListChoice(TEXT_LINK& stmt);
  int _LoadBuffer(TEXT_LINK& stmt);
  int _Time(TEXT_LINK& stmt);
  int _FormatTime(TEXT_LINK& stmt);
  int _GetBrand(TEXT_LINK& stmt);
  int _GetOpMode(TEXT_LINK& stmt);
  int _GetInstallPath(TEXT_LINK& stmt);
  int _Verbose(TEXT_LINK& stmt);
  int _PenColor(TEXT_LINK& stmt);
  int _SetFontFace(TEXT_LINK& stmt);
  int _SetFontSize(TEXT_LINK& stmt);
  int _ShowProgress(TEXT_LINK& stmt);
  int _NoAction(TEXT_LINK& stmt);  // STARTDOTS, STOPDOTS, SCREAM
  int ColorHandler(int arg);       // COLOR declaration (phase 1)
  // Prompt input from m_In. Ask4TextNW stores at most limit characters and a NUL
  // (destination holds limit + 1 bytes); both return 0, or 1 with the error code
  // set when the input has ended.
  int Ask4TextNW(const char* prompt, char* destination, size_t limit);
  int Ask4NumberNW(const char* prompt, VARI_LL& variable, bool hex);
  // Palette emptied; pen, font, progress and the prompts' input state back to
  // their starting values (each load).
  void ResetPresentation();

  // ---- engine state shared with handlers ----
  char m_Line[kLineSize] = {};      // line being worked on
  char m_LineCopy[kLineSize] = {};  // untouched copy of it
  char m_Message[kLineSize] = {};   // error reports
  char m_Work[kLineSize] = {};      // words and file names
  int32_t m_LineNumber = 0;
  int32_t m_GlobalLine = 0;
  int32_t m_TextPosition = 0;
  int32_t m_FileId = 0;
  const char* m_TextBuffer = nullptr;  // content of the file whose lines phase 1 reads now
  int32_t m_ErrorCode = 0;
  uint8_t m_Mode = 0;          // 0 validation (phase 2), 1 run
  uint8_t m_Repositioned = 0;  // a handler moved the cursor itself
  uint8_t m_Stop = 0;          // EXIT was run
  bool m_DescriptionSeen = false;
  bool m_FupUsed = false;
  int32_t m_OnErrorCount = 0;
  int32_t m_OnCancelCount = 0;
  uint16_t m_ExitStatus = 0;
  int32_t m_StepMode = 0;
  int32_t m_TraceMode = 0;
  std::string m_Description;
  float m_Version = 0.0f;
  std::string m_ErrorHandlerLabel;
  std::string m_CancelHandlerLabel;
  SenseTriggers m_Triggers;
  std::string m_LogPath;        // "./Logs//"
  std::string m_MasterLogPath;  // same text
  FILE* m_LogFile = nullptr;
  FILE* m_In = stdin;
  ScsiWrapper* m_pScsiWrapper = nullptr;
  std::function<void()> m_CommandMode;
  std::vector<char*> m_Argv;  // argument vector for statements that split their line

  // Switch state: m_SwitchStack[depth] for depths 1..n of phase 2; current switch in both modes.
  int32_t m_SwitchDepth = 0;
  std::vector<SWITCH_LINK*> m_SwitchStack;
  SWITCH_LINK* m_CurrentSwitch = nullptr;

  CVariableLL m_Variables;
  CSymbolLL m_Symbols;
  CTextLL m_Text;
  CCallStackLL m_CallStack;
  CIfLL m_Ifs;
  CSwitchLL m_Switches;
  CFileStackLL m_FileStack;

  // Presentation state: checked and kept, never drawn on a console.
  K_ColorLL m_Palette;
  uint8_t m_PenColor[3] = {0, 0, 0};  // red, green, blue
  uint8_t m_DefaultPenColor[3] = {0, 0, 0};
  std::string m_FontFace;  // at most kFontFaceSize characters
  std::string m_DefaultFontFace = "Courier New";
  int32_t m_FontSize = 10;
  int32_t m_DefaultFontSize = 10;
  uint8_t m_ProgressState = 0;
  uint8_t m_ProgressType = 0;
  static constexpr size_t kFontFaceSize = 128;
  // A prompt met the end of its input once (the list choice's cancel path);
  // the next one that meets it ends the run.
  bool m_InputEnded = false;
  // Declarations of the statement groups (buffers, CDBs, log pages, tables, files...).
  DeclarationStore m_Declarations;

 private:
  friend class StatementContext;
  void SetUpMasterPath();
  int RunStatement(TEXT_LINK& stmt);
  template <bool Prompting>
  int RunLoop(TEXT_LINK*& pc, TEXT_LINK* end);
  void StepPrompt(const TEXT_LINK& stmt);
  int CompileStatement(TEXT_LINK& stmt);
  int CompileBufferAssignment(TEXT_LINK& stmt, KByteArray* buffer);
  int CheckLogPageLine(TEXT_LINK& stmt);
  int RunTrigger(TEXT_LINK& stmt);
  int RunBufferFromPage(TEXT_LINK& stmt);
  int RunLogPageLine(TEXT_LINK& stmt);
  int ReportAt(int32_t code, const TEXT_LINK& stmt);
  int PassFail(TEXT_LINK& stmt, int32_t tooLongCode);
  int CompileIf(TEXT_LINK& stmt);
  int RunIf(TEXT_LINK& stmt);
  int DoCall(TEXT_LINK& stmt, TEXT_LINK* target);
  int DoReturn();
  int CompileExitOrSleep(TEXT_LINK& stmt, int32_t noValue, int32_t unknown, int32_t badType, bool decimalAllOnes,
                         uint32_t& value);
};
