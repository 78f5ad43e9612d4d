// The run loop: executes the compiled statement list.
#include <algorithm>
#include <cstring>

#include "facade/scsi_wrapper.h"
#include "script/core/kscript.h"
#include "script/core/statement_api.h"

int KScript::ExecuteScript() {
  m_Text.SetToTop();
  m_Stop = 0;
  m_Repositioned = 0;
  m_ExitStatus = 0;
  m_Mode = 1;
  m_Variables.SetTestMode(false);
  m_CallStack.DeleteLinks();
  m_FileStack.KillStack();
  m_CurrentSwitch = nullptr;
  m_Ifs.KillIfs();
  m_Triggers = {};  // no sense carries over from an earlier run
  // Nor a timeout an earlier script set.
  if (m_pScsiWrapper != nullptr) m_pScsiWrapper->SetScriptTimeout(0);

  std::vector<TEXT_LINK>& statements = m_Text.Links();
  TEXT_LINK* const end = statements.data() + statements.size();
  TEXT_LINK* pc = statements.data();
  // Two forms of the loop: without prompts (no per-statement check), and with
  // the step and trace prompts. A statement that changes the mode (BREAKPOINT,
  // the prompt's answers) hands over from one to the other.
  int failed = 0;
  while (pc != end && failed == 0)
    failed = (m_StepMode | m_TraceMode) ? RunLoop<true>(pc, end) : RunLoop<false>(pc, end);
  if (failed != 0) {
    m_CallStack.DeleteLinks();
    m_LineNumber = pc->lineNumber;
    m_FileId = pc->fileId;
    Police(m_ErrorCode, m_Message, m_FileId);
    if (m_ErrorCode == EXE_UNRECOGNIZABLE_LINE)
      std::strncat(m_Message, "***\r\n", kLineSize - std::strlen(m_Message) - 1);
    Trail(m_Message);
    return 1;
  }
  m_Text.cursor_ = statements.size();
  return 0;
}

// Runs from pc until the end (0), a failed statement (1, pc on it), or a change
// of the step or trace mode (0, pc on the next statement).
template <bool Prompting>
int KScript::RunLoop(TEXT_LINK*& pc, TEXT_LINK* const end) {
  while (pc != end) {
    if constexpr (Prompting) {
      if (!(m_StepMode | m_TraceMode)) return 0;
      StepPrompt(*pc);
    }
    switch (pc->fastOp) {
      case FastOp::Assign:
        if (pc->assign->runner(*pc->assign, false) != 0) [[unlikely]] {
          m_ErrorCode = AssignmentErrorCode(*pc->assign);
          return 1;
        }
        ++pc;
        break;
      case FastOp::Jump:
        pc = pc->target;
        break;
      case FastOp::IfJump:
        if (pc->compare.Evaluate())
          pc = pc->target;
        else if (!Prompting && pc->compare.elseJump != nullptr)
          pc = pc->compare.elseJump;  // the JUMP after the IF, taken in the same step
        else
          ++pc;
        break;
      case FastOp::Generic: {
        TEXT_LINK* next = pc->run != nullptr ? pc->run(*this, pc) : RunGeneric(*this, pc);
        if (next == nullptr) [[unlikely]]
          return 1;
        pc = next;
        if constexpr (!Prompting) {
          if (m_StepMode | m_TraceMode) [[unlikely]]
            return 0;
        }
        break;
      }
    }
  }
  return 0;
}

TEXT_LINK* KScript::RunGeneric(KScript& engine, TEXT_LINK* stmt) {
  TEXT_LINK* const first = engine.m_Text.Links().data();
  size_t& cursor = engine.m_Text.cursor_;
  cursor = static_cast<size_t>(stmt - first);
  if (engine.RunStatement(*stmt) != 0) return nullptr;
  if (engine.m_Stop) return first + engine.m_Text.Count();
  if (engine.m_Repositioned) {
    engine.m_Repositioned = 0;
    return first + cursor;
  }
  return first + cursor + 1;
}

// One statement in run mode; 0, or 1 with the error code set.
int KScript::RunStatement(TEXT_LINK& stmt) {
  switch (stmt.kind) {
    case StatementKind::Keyword: {
      const StatementRow& row = StatementRowOf(stmt.id);
      if (row.flags & kCheckedOnly) return 0;
      if (!(row.flags & kCompiled)) {
        m_LineNumber = stmt.lineNumber;
        m_FileId = stmt.fileId;
        const size_t length = stmt.text.size() - stmt.argsOffset;
        std::memcpy(m_Line, stmt.text.data() + stmt.argsOffset, length);
        m_Line[length] = '\0';
      }
      StatementContext context(*this);
      return row.handler(context, stmt);
    }
    case StatementKind::Assignment:
      switch (DoVariable(stmt)) {
        case 0:
          return 0;
        case kOwnError:
          return 1;  // a log page operand's fetch error stands
        default:
          return m_ErrorCode == VARIABLE_PROCESSING_ERROR ? 1 : Fail(EXE_UNABLE_TO_PROCESS_VARIABLE);
      }
    case StatementKind::Trigger:
      return RunTrigger(stmt);
    case StatementKind::BufferFromPage:
      return RunBufferFromPage(stmt);
    case StatementKind::BufferPlain:
      return Fail(KRT_BUFFER_ASSIGNMENT_WITHOUT_LOGPAGE);
    case StatementKind::LogPage:
      return RunLogPageLine(stmt);
    case StatementKind::Unchecked:
      break;
  }
  return Fail(EXE_UNKNOWN_CMD);
}

// *SK value (and ASC, ASCQ, ILI, EOM, FM)
int KScript::RunTrigger(TEXT_LINK& stmt) {
  std::string line = stmt.text;
  for (char& c : line)
    if (c == '*') c = ' ';
  std::string word;
  Store1stWord(line, word);
  UpperCase(word);
  Clear1stWord(line);
  std::string value;
  Store1stWord(line, value);
  const uint8_t v = static_cast<uint8_t>(Aton(std::string_view(value)));
  struct Trigger {
    const char* word;
    uint8_t SenseTriggers::*field;
  };
  static constexpr Trigger kTriggers[] = {
      {"SK", &SenseTriggers::sk},   {"ASC", &SenseTriggers::asc}, {"ASCQ", &SenseTriggers::ascq},
      {"ILI", &SenseTriggers::ili}, {"EOM", &SenseTriggers::eom}, {"FM", &SenseTriggers::fm},
  };
  for (const Trigger& t : kTriggers)
    if (word == t.word) m_Triggers.*t.field = v;
  return 0;
}

// BUFFER = TAG->index
int KScript::RunBufferFromPage(TEXT_LINK& stmt) {
  auto* buffer = static_cast<KByteArray*>(stmt.destination);
  std::string tag = stmt.text;
  Clear1stWord(tag);  // buffer name
  Clear1stWord(tag);  // "="
  tag = tag.substr(0, tag.find("->"));
  CleanLine(tag);
  const std::span<const uint8_t> source = LogPageBytesAt(tag, stmt.longConst);
  if (source.empty() || buffer->data == nullptr) return 0;
  // The page's own (big-endian) bytes, never more than the page holds.
  std::memcpy(buffer->data.get(), source.data(), std::min<size_t>(buffer->size, source.size()));
  buffer->altered = 1;
  return 0;
}

// TAG command ... (page 7) or TAG code operator value
int KScript::RunLogPageLine(TEXT_LINK& stmt) {
  std::string line = ArrowsAsBlanks(stmt.text);
  std::string tag;
  Store1stWord(line, tag);
  if (LogPageCode(tag) != 7) return Fail(EXE_UNRECOGNIZABLE_LINE);
  Clear1stWord(line);
  std::string command;
  Store1stWord(line, command);
  UpperCase(command);
  std::strncpy(m_Line, line.c_str(), kLineSize - 1);
  m_Line[kLineSize - 1] = '\0';
  const int failed = EventLogCommand(stmt, tag, command.c_str());
  if (failed && m_ErrorCode == PHASE2_UNKNOWN_PG7_COMMAND_DETECTED) m_CallStack.DeleteLinks();
  return failed;
}

// Single-step and trace: show the statement, and in step mode ask what to do.
void KScript::StepPrompt(const TEXT_LINK& stmt) {
  std::printf("%d: %s\n", stmt.lineNumber, stmt.text.c_str());
  if (!m_StepMode) return;
  std::printf(">>");
  std::fflush(stdout);
  char answer[kLineSize];
  if (m_In == nullptr || std::fgets(answer, sizeof answer, m_In) == nullptr) {
    // No one to answer: leave step mode rather than stop at every statement.
    m_StepMode = 0;
    m_TraceMode = 0;
    return;
  }
  switch (answer[0]) {
    case 'c':
    case 'C':
      m_StepMode = 0;
      m_TraceMode = 0;
      break;
    case 'd':
    case 'D':
      if (m_pScsiWrapper != nullptr) {
        const bool on = !m_pScsiWrapper->IsDebug();
        m_pScsiWrapper->EnableDebug(on);
        std::printf(on ? "\nDebug mode enabled" : "\nDebug mode disabled");
      }
      break;
    case 'p':
    case 'P':
      EnterCommandMode();
      break;
    case 't':
    case 'T':
      m_StepMode = 0;
      m_TraceMode = 1;
      break;
    default:
      break;
  }
}
