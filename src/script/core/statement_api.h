// How a statement or a declaration is added to the script language.
//
// A NEW STATEMENT is one row and one function:
//   1. The row: src/script/statements/statement_table.cpp holds one row per statement id
//      (the ids are named in statement_ids.h and never change). Fill the statement's row:
//          {"SETBUFFER", SID_SETBUFFER, _SetBuffer, kCompiled},
//      and add the #include of the group's header there if it is not yet included.
//      Flags (or-ed): kRunsOnText or kCompiled, plus any of kTakesJumpTarget, kKeepsSpacing,
//      kCheckedOnly (see StatementFlags). A static_assert keeps every row at its id.
//   2. The handler: a free function in the file of its group under src/script/statements/
//      (buffers.cpp, scsi_statements.cpp, log_pages.cpp, tables.cpp, files.cpp...), declared
//      in that group's header, opening with the statement's form:
//          // SETBUFFER name offset value
//          int _SetBuffer(StatementContext& ctx, TEXT_LINK& stmt);
//   What the handler gets, all through ctx (StatementContext, below):
//      - its arguments: ctx.Line(), the statement text with the keyword removed (always in
//        validation; in the run only for kRunsOnText rows). A handler reads its words once:
//        CompileThenRun<MyData>(ctx, stmt, code, compile, run) (below) keeps what validation
//        found (variables, buffers, declared records, numbers; MyData derives from
//        StatementData) in stmt.data, and the run works from that alone: use kCompiled, the
//        run does not prepare ctx.Line(). Checks that depend on the run (a variable's value,
//        a buffer's size after DIMENSION, a file, the drive) stay in the run step.
//        statement_args.h has the shared word readers (FindVariables and VariablesData<N>
//        for statements of typed variables, ReadValue for a number or a variable).
//      - names: ctx.FindArray(name) (buffers), ctx.FindVariable(name), ctx.Variables();
//        labels: stmt.target is bound for kTakesJumpTarget rows (the line's last word).
//      - declarations: ctx.Declarations().Get<MyList>() (see declarations.h).
//      - run state: ctx.Triggers() (internal sense triggers), ctx.JumpTo(target) and
//        ctx.Call(stmt, target) to move the cursor, ctx.Label(name), ctx.ErrorHandler(),
//        ctx.Text() (text tools and text tables). State a group keeps for the whole script
//        (the last command's outcome, the power-on hours...) is a list type of its own in
//        ctx.Declarations(), like the declarations.
//      - output: ctx.Screen(text), ctx.Log(text), ctx.Both(text); ctx.Names() for the PRINT
//        formatter (FormatPrint) and the expression helpers.
//      - the drive: ctx.Facade() (ScsiWrapper*, nullptr when the engine runs without one).
//   Modes: ctx.IsRunMode() is false in validation (phase 2: check words, names, numbers;
//   never touch the drive) and true in the run.
//   Errors: return 0 for success, or `return ctx.Fail(CODE);` (stores the code, returns 1).
//   Codes are named once, in error_fx.h with their text in error_fx_table.cpp.
//
// A NEW DECLARATION (a phase 1 line such as BUFFER, CDB, LOGPAGE, TABLE, FILE) is one row in
// src/script/statements/declaration_table.cpp:
//          {"BUFFER", _BufferDeclaration, 0, kDeclLine},
//   and a handler in its group's file: int _BufferDeclaration(StatementContext& ctx, int32_t arg);
//   ctx.Line() holds the declaration line (see DeclarationFlags for what it holds exactly);
//   the handler stores what it declares in its list: ctx.Declarations().Get<BufferList>().
//
// A NEW LOG PAGE that scripts may declare, load, print and read is one row in kPageRows,
// src/script/statements/log_pages.cpp: its code, which decoder loads it, whether PRINTPAGE
// and RECORDPAGE may show it, and its fetch error (0: the decoder's own).
//
// The engine core (src/script/core/) never includes a statements/ header: it knows the
// tables only through the declarations below.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "script/core/kscript.h"
#include "script/core/statement_ids.h"

enum StatementFlags : uint8_t {
  kRunsOnText = 0,       // the run copies the statement text (keyword removed) into ctx.Line() first
  kCompiled = 1,         // the handler runs from what validation compiled into its record
  kTakesJumpTarget = 2,  // the last word of the line is a label: linking binds stmt.target
  kKeepsSpacing = 4,     // the stored text keeps its runs of blanks (others are collapsed)
  kCheckedOnly = 8,      // checked in validation; the run does nothing
};

class StatementContext;
template <int (KScript::*Handler)(TEXT_LINK&)>
int Member(StatementContext& ctx, TEXT_LINK& stmt);
template <int (KScript::*Handler)(int)>
int MemberDeclaration(StatementContext& ctx, int32_t arg);

// What a handler may use of the engine.
class StatementContext {
 public:
  explicit StatementContext(KScript& engine) : engine_(engine) {}

  char* Line() { return engine_.m_Line; }
  bool IsRunMode() const { return engine_.IsRunMode(); }
  int Fail(int32_t code) { return engine_.Fail(code); }

  KByteArray* FindArray(std::string_view name) const { return engine_.FindArray(name); }
  VARI_LL* FindVariable(const char* name) { return engine_.FindVariable(name); }
  CVariableLL& Variables() { return engine_.m_Variables; }
  DeclarationStore& Declarations() { return engine_.m_Declarations; }

  // The engine as the name resolver of the expression and PRINT helpers.
  const KScriptNames& Names() const { return engine_; }

  // Labels: the statement a label leads to (bound after linking), or nullptr.
  bool HasLabel(const std::string& name) const { return engine_.m_Symbols.SearchForMatch(name); }
  TEXT_LINK* Label(const std::string& name) const { return engine_.m_Symbols.GetTextPointer(name); }
  // The script's ONERROR and ONCANCEL targets, or nullptr.
  TEXT_LINK* ErrorHandler() const { return Label(engine_.m_ErrorHandlerLabel); }
  TEXT_LINK* CancelHandler() const { return Label(engine_.m_CancelHandlerLabel); }
  // Moves the run to a statement; the handler then returns 0.
  void JumpTo(TEXT_LINK* target) { engine_.JumpTo(target); }
  // CALL from stmt to a target: 0, or 1 with the code set (no target, stack full).
  int Call(TEXT_LINK& stmt, TEXT_LINK* target) { return engine_.DoCall(stmt, target); }

  // Run state kept by the engine.
  SenseTriggers& Triggers() { return engine_.m_Triggers; }
  void NoteFirmwareUpdate() { engine_.m_FupUsed = true; }  // FUP needs ONERROR and ONCANCEL
  KText& Text() { return engine_; }                        // text tools and the text tables

  // Output: a line on the screen, in the session log, or both (output.cpp).
  void Screen(std::string_view text);
  // 0, or ctx.Fail(...) when the run has no session log.
  int Log(std::string_view text);
  // The screen, and the session log when there is one.
  void Both(std::string_view text);
  FILE* LogFile() const { return engine_.m_LogFile; }
  void Trail(const char* text) { engine_.Trail(text); }

  // The drive, through the facade; nullptr when the engine runs without one.
  ScsiWrapper* Facade() const { return engine_.m_pScsiWrapper; }

  // Where the line being declared or checked comes from.
  int32_t SourceFile() const { return engine_.m_FileId; }
  int32_t SourceLine() const { return engine_.m_LineNumber; }
  int32_t IncludeLevel() const { return engine_.m_FileStack.StackCount(); }
  // RETURN of the sense tests: 0, or 1 with the code set.
  int Return() { return engine_.DoReturn(); }
  // FUP: the script updates firmware, so it needs its ONERROR and ONCANCEL handlers.
  void SetFirmwareUpdateUsed() { engine_.m_FupUsed = true; }
  // Jump to the script's ONERROR or ONCANCEL label: 0, or 1 with the code set.
  enum Handler { kOnError, kOnCancel };
  int JumpToHandler(Handler which) {
    const std::string& label = which == kOnError ? engine_.m_ErrorHandlerLabel : engine_.m_CancelHandlerLabel;
    TEXT_LINK* target = engine_.m_Symbols.GetTextPointer(label);
    if (target == nullptr)
      return Fail(which == kOnError ? ONERROR_UNKNOWN_VECTOR_ERROR : ONCANCEL_UNKNOWN_VECTOR_ERROR);
    engine_.JumpTo(target);
    return 0;
  }
  // Phase 1, declarations that span lines: the label defined last (nullptr when none),
  // and the next line of the same file (the line counters move on; false at its end).
  const SYMBOL_LINK* LastLabel() const {
    const auto& labels = engine_.m_Symbols.Links();
    return labels.empty() ? nullptr : &labels.back();
  }
  bool NextScriptLine(std::string& line) { return engine_.NextScriptLine(line); }

 private:
  template <int (KScript::*Handler)(TEXT_LINK&)>
  friend int Member(StatementContext& ctx, TEXT_LINK& stmt);
  template <int (KScript::*Handler)(int)>
  friend int MemberDeclaration(StatementContext& ctx, int32_t arg);
  KScript& engine_;
};

// The record a statement compiled into stmt.data, or nullptr.
template <typename Data>
Data* Compiled(TEXT_LINK& stmt) {
  return dynamic_cast<Data*>(stmt.data.get());
}

// A kCompiled statement's two steps. Validation: compile(Data&) reads the
// words of ctx.Line() once and returns 0 or the error code; the record is kept
// in stmt.data. Run: run(Data&) works from that record alone and returns 0 or
// ctx.Fail(...). `missing` is the code of a run with no record (a statement
// validation never compiled).
template <typename Data, typename CompileStep, typename RunStep>
int CompileThenRun(StatementContext& ctx, TEXT_LINK& stmt, int32_t missing, CompileStep compile, RunStep run) {
  if (ctx.IsRunMode()) {
    Data* data = Compiled<Data>(stmt);
    return data != nullptr ? run(*data) : ctx.Fail(missing);
  }
  auto data = std::make_unique<Data>();
  if (const int32_t code = compile(*data)) return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// One statement handler; see the note at the top of this file.
using StatementFn = int (*)(StatementContext& ctx, TEXT_LINK& stmt);
// One phase 1 declaration handler: the line is in ctx.Line(), arg is the row's argument.
using DeclarationFn = int (*)(StatementContext& ctx, int32_t arg);

// The engine's own handlers are members of KScript; these give them the free form.
template <int (KScript::*Handler)(TEXT_LINK&)>
int Member(StatementContext& ctx, TEXT_LINK& stmt) {
  return (ctx.engine_.*Handler)(stmt);
}
template <int (KScript::*Handler)(int)>
int MemberDeclaration(StatementContext& ctx, int32_t arg) {
  return (ctx.engine_.*Handler)(arg);
}

struct StatementRow {
  const char* keyword;  // upper case; nullptr for an id no keyword uses
  int32_t id;
  StatementFn handler;  // nullptr: not built (yet): the keyword is an unknown command
  uint8_t flags;
};

// Other spellings of a keyword ("LOGSK", "PRINTSK"); the list ends with a nullptr row.
struct KeywordAlias {
  const char* keyword;
  int32_t id;
};

// The row of a keyword (exact after upper-casing by the caller), or nullptr.
const StatementRow* FindStatement(std::string_view upperKeyword);
// Its statement id, or 0.
int32_t FindStatementId(std::string_view upperKeyword);

enum DeclarationFlags : uint8_t {
  kDeclLine = 0,         // the handler gets the line without its comment
  kDeclUntouched = 1,    // the handler gets the line as read, before comment removal
  kDeclFatal = 2,        // a failure ends phase 1 at once
  kDeclAppendPlain = 4,  // on success the line, without its first word, is also a statement
  kDeclIsStatement = 8,  // on success the whole line is stored as a statement
};

struct DeclarationRow {
  const char* word;       // nullptr ends the table
  DeclarationFn handler;  // nullptr: the declaration is not built (yet)
  int32_t arg;
  uint8_t flags;
};

// The statements an engine knows, which the statements layer above the
// engine provides: the rows by id (rows[id].id == id for 0..kMaxStatementId),
// the other spellings and the declarations (each list ends with a nullptr
// word). A program installs them once, before any script is loaded.
struct StatementSet {
  std::span<const StatementRow> rows;
  const KeywordAlias* aliases = nullptr;
  const DeclarationRow* declarations = nullptr;
};
void InstallStatements(const StatementSet& set);

namespace statement_set_detail {
extern StatementSet installed;
}
// The installed set (empty lists until InstallStatements).
inline const StatementSet& InstalledStatements() { return statement_set_detail::installed; }
// The installed row of an id the compiler stored (0..kMaxStatementId).
inline const StatementRow& StatementRowOf(int32_t id) { return statement_set_detail::installed.rows[id]; }

// Argument of KScript::VariableHandler: width * 4 + kind.
constexpr int32_t VariableDeclArg(int32_t type, int32_t kind) { return type * 4 + kind; }
