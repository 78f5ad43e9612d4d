// Phase 2 (validation: every statement identified and compiled once) and
// phase 3 (linking: labels and jump targets bound), with the statement and
// label lists they work on.
#include <cstring>

#include "script/core/kscript.h"
#include "script/core/statement_api.h"

// ---- statement list ----

int CTextLL::AddTextLink(const char* text, int32_t position, int32_t line, int32_t fileId, int32_t globalLine) {
  if (text == nullptr) return -1;
  TEXT_LINK link;
  link.text = text;
  // Output statements keep their spacing; every other statement has blank runs collapsed.
  std::string first = KText::FirstWord(link.text);
  KText::UpperCase(first);
  const StatementRow* row = FindStatement(first);
  if (row == nullptr || !(row->flags & kKeepsSpacing)) KText::Shrink(link.text);
  link.textPosition = position;
  link.lineNumber = line;
  link.fileId = fileId;
  link.globalLine = globalLine;
  link.ordinal = static_cast<int32_t>(links_.size()) + 1;
  totalLength_ += link.text.size();
  links_.push_back(std::move(link));
  return 0;
}

int CTextLL::Next() {
  if (cursor_ >= links_.size()) return -1;
  ++cursor_;
  return cursor_ < links_.size() ? 0 : -1;
}

int CTextLL::GetText(std::string& text, int32_t& line, int32_t& fileId) const {
  if (cursor_ >= links_.size()) return -1;
  const TEXT_LINK& link = links_[cursor_];
  line = link.lineNumber;
  fileId = link.fileId;
  if (link.text.empty()) return -2;
  text = link.text;
  return 0;
}

int CTextLL::SetText(const TEXT_LINK* link) {
  if (link == nullptr || link->ordinal < 1 || static_cast<size_t>(link->ordinal) > links_.size() ||
      &links_[link->ordinal - 1] != link)
    return -2;
  cursor_ = static_cast<size_t>(link->ordinal - 1);
  return 0;
}

void CTextLL::DeleteLinks() {
  links_.clear();
  cursor_ = 0;
  totalLength_ = 0;
}

// ---- labels ----

int CSymbolLL::AddSymbolLink(const std::string& name, bool external, int32_t position, int32_t line, int32_t globalLine,
                             int32_t fileId) {
  if (!index_.emplace(name, links_.size()).second) return -1;
  SYMBOL_LINK link;
  link.name = name;
  link.external = external;
  link.textPosition = position;
  link.lineNumber = line;
  link.globalLine = globalLine;
  link.fileId = fileId;
  links_.push_back(std::move(link));
  return 0;
}

const SYMBOL_LINK* CSymbolLL::Find(const std::string& name) const {
  const auto it = index_.find(name);
  return it != index_.end() ? &links_[it->second] : nullptr;
}

TEXT_LINK* CSymbolLL::GetTextPointer(const std::string& name) const {
  const SYMBOL_LINK* link = Find(name);
  return link != nullptr ? link->statement : nullptr;
}

// name:  or  EXTERNAL name:
int KScript::SymbolHandler() {
  std::string rest(m_Line);
  std::string word;
  Store1stWord(rest, word);
  std::string upper = word;
  UpperCase(upper);
  bool external = false;
  if (upper == "EXTERNAL") {
    external = true;
    Clear1stWord(rest);
    Store1stWord(rest, word);
  }
  Clear1stWord(rest);
  if (!rest.empty() || word.empty()) return Fail(INVALID_SYMBOL_USAGE_DETECTED);
  if (m_Symbols.SearchForMatch(word)) return Fail(SYMBOL_DUPLICATION_DETECTED);
  if (m_Symbols.AddSymbolLink(word, external, m_TextPosition, m_LineNumber, m_GlobalLine, m_FileId) != 0)
    return Fail(SYMBOL_ADDLINK_ERROR);
  return 0;
}

int KScript::NewText(char* line) {
  Clear1stWord(line);
  if (m_Text.AddTextLink(line, m_TextPosition, m_LineNumber, m_FileId, m_GlobalLine) != 0)
    return Fail(TEXT_NEW_LINK_ERROR);
  return 0;
}

// ---- phase 2 ----

namespace {

struct AssignData : StatementData {
  KCompiledAssign form;
};

// Record the compiled assignment in the fixed fields of the statement as well.
void MirrorAssignment(TEXT_LINK& stmt, const KCompiledAssign& form) {
  stmt.opCode = form.opCode;
  stmt.typeCode = form.typeCode;
  stmt.byteConst = form.ByteConstant();
  stmt.wordConst = form.WordConstant();
  stmt.longConst = form.LongConstant();
  stmt.doubleConst = form.DoubleConstant();
  stmt.destination = form.dest;
  stmt.operand = form.source;
}

}  // namespace

int KScript::CheckVariable(TEXT_LINK& stmt, VARI_LL* var) {
  auto data = std::make_unique<AssignData>();
  const int code = CompileAssignment(m_Line, m_Variables, this, data->form);
  if (code != 0) return Fail(code);
  data->form.dest = var;
  MirrorAssignment(stmt, data->form);
  const KCompiledAssign& form = data->form;
  if (form.runner != nullptr && !form.runRejects && form.opCode != K_ASSIGN_NONE && !form.IsLogPage())
    stmt.assign = &form;
  stmt.data = std::move(data);
  stmt.kind = StatementKind::Assignment;
  return 0;
}

int32_t KScript::AssignmentErrorCode(const KCompiledAssign& form) {
  // A division or remainder by an integer zero is named as such; any other
  // refused assignment is the generic run-time failure. The divisor is the
  // operand cut to the destination's width, so a byte divided by 256 is one.
  if (form.opCode == K_ASSIGN_DIVIDE || form.opCode == K_ASSIGN_MOD) {
    const KValue s = form.source != nullptr ? ValueOf(*form.source) : form.constant;
    const uint32_t mask = form.dest->type == K_VAR_BYTE ? 0xFFu : form.dest->type == K_VAR_WORD ? 0xFFFFu : 0xFFFFFFFFu;
    if (!s.isDouble && (s.u & mask) == 0 && !form.dest->IsDouble()) return VARIABLE_PROCESSING_ERROR;
  }
  return EXE_UNABLE_TO_PROCESS_VARIABLE;
}

int KScript::DoVariable(TEXT_LINK& stmt) {
  const KCompiledAssign& form = static_cast<const AssignData&>(*stmt.data).form;
  if (form.opCode == K_ASSIGN_NONE) return 0;
  if (form.runRejects) return Fail(EXE_UNABLE_TO_PROCESS_VARIABLE);
  if (form.IsLogPage()) {
    if (form.pageCode == 7) return 0;
    KValue value;
    if (const int code = LogPageValue(form, value); code != 0) return Fail(code), kOwnError;
    if (ApplyAssign(*form.dest, form.opCode, value, m_Variables.TestMode()) != 0)
      return Fail(EXE_UNABLE_TO_PROCESS_VARIABLE);
    return 0;
  }
  if (ExecuteAssign(form, m_Variables) == 0) return 0;
  return Fail(AssignmentErrorCode(form));
}

int KScript::CompileBufferAssignment(TEXT_LINK& stmt, KByteArray* buffer) {
  stmt.destination = buffer;
  stmt.typeCode = 256;
  stmt.id = 0;
  std::string rest(m_Line);
  Clear1stWord(rest);
  size_t length = 0;
  const KAssignOp op = MatchAssignOperator(rest, length);
  if (op == K_ASSIGN_NONE) return Fail(K_CHK_BUFFER_MISSING_OPERATOR);
  std::string operand = rest.substr(length);
  CleanLine(operand);
  if (operand.empty()) return Fail(K_CHK_BUFFER_MISSING_ARGUMENT);
  if (op != K_ASSIGN_EQUATE) return Fail(K_BUFFER_ASSIGNMENT_ERROR);
  stmt.opCode = 1;
  const size_t arrow = operand.find("->");
  if (arrow == std::string::npos) {
    // No defined run behaviour: the run refuses it when it gets there.
    stmt.kind = StatementKind::BufferPlain;
    return 0;
  }
  std::string tag = operand.substr(0, arrow);
  std::string index = operand.substr(arrow + 2);
  CleanLine(tag);
  CleanLine(index);
  Fetch1stWord(index);
  if (LogPageCode(tag) < 0) return Fail(K_BUFFER_ASSIGNMENT_INVALID_LOGPAGE_SPECIFIED);
  const int cls = DetermineNumberType(std::string_view(index));
  if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG)
    return Fail(K_BUFFER_ASSIGNMENT_LOGPAGE_INDEX_NOT_A_NUMBER);
  stmt.typeCode += 112;
  stmt.longConst = static_cast<uint32_t>(AtoLn(std::string_view(index)));
  auto data = std::make_unique<AssignData>();
  data->form.pageTag = tag;
  stmt.data = std::move(data);
  stmt.kind = StatementKind::BufferFromPage;
  return 0;
}

int KScript::CheckLogPageLine(TEXT_LINK& stmt) {
  std::string line = ArrowsAsBlanks(m_Line);
  std::string tag;
  Store1stWord(line, tag);
  const int32_t page = LogPageCode(tag);
  if (page < 0) return Fail(UNRECOGNIZABLE_LINE);
  stmt.id = 0;
  stmt.kind = StatementKind::LogPage;
  Clear1stWord(line);
  std::string word;
  Store1stWord(line, word);
  if (page == 7) {
    static constexpr const char* kCommands[] = {"CREATELIST", "WNSCAN",       "FILTERLIST", "PRINTLIST",
                                                "GETVALUE",   "REMOVEPACKET", "CREATEMAP"};
    UpperCase(word);
    for (const char* command : kCommands)
      if (word == command) return EventLogCommand(stmt, tag, command);
    return Fail(PHASE2_UNKNOWN_PG7_COMMAND_DETECTED);
  }
  // TAG code operator value: checked only.
  if (!CVariableLL::IsItANumber(word) || word.empty()) return Fail(PHASE2_LOGPAGE_INVALID_PARMCODE_DETECTED);
  Clear1stWord(line);
  std::string op;
  Store1stWord(line, op);
  static constexpr const char* kOperators[] = {"=", "+=", "-=", "/=", "*=", "&=", "|=", "^=", "LOG10"};
  bool known = false;
  for (const char* o : kOperators) known = known || op == o;
  if (!known) return Fail(PHASE2_LOGPAGE_MISSING_OPERATOR);
  Clear1stWord(line);
  std::string value;
  Store1stWord(line, value);
  if (value.empty()) return Fail(PHASE2_LOGPAGE_MISSING_ARGUMENT);
  if (!CVariableLL::IsItANumber(value) && m_Variables.FindVariable(value) == nullptr)
    return Fail(PHASE2_LOGPAGE_VARIABLE_SPECIFIER_UNKNOWN);
  return 0;
}

// Identify one statement and compile it; 0, or 1 with the error code set.
int KScript::CompileStatement(TEXT_LINK& stmt) {
  std::strncpy(m_Line, stmt.text.c_str(), kLineSize - 1);
  m_Line[kLineSize - 1] = '\0';
  char word[kLineSize];
  Store1stWord(m_Line, word, sizeof word);
  char upper[kLineSize];
  std::memcpy(upper, word, sizeof upper);
  UpperCase(upper);

  if (const StatementRow* row = FindStatement(upper)) {
    if (row->handler == nullptr) return Fail(UNKNOWN_CMD);
    Clear1stWord(m_Line);
    stmt.argsOffset = static_cast<uint16_t>(stmt.text.size() - std::strlen(m_Line));
    stmt.kind = StatementKind::Keyword;
    StatementContext context(*this);
    const int failed = row->handler(context, stmt);
    stmt.id = row->id;
    return failed;
  }
  VARI_LL* var = m_Variables.FindVariable(word);
  KByteArray* buffer = FindArray(word);
  if (var != nullptr) {
    stmt.typeCode = static_cast<uint16_t>(var->type + 1);
    return CheckVariable(stmt, var);
  }
  if (buffer != nullptr) return CompileBufferAssignment(stmt, buffer);
  if (m_Line[0] == '*') {
    stmt.kind = StatementKind::Trigger;
    return 0;
  }
  return CheckLogPageLine(stmt);
}

int KScript::Phase2() {
  m_Repositioned = 0;
  m_Mode = 0;
  Trail("Phase 2 : Validation...");
  m_SwitchDepth = 0;
  m_SwitchStack.assign(1, nullptr);
  m_CurrentSwitch = nullptr;
  int result = 0;
  m_Text.SetToTop();
  while (TEXT_LINK* stmt = m_Text.GetPointer()) {
    m_LineNumber = stmt->lineNumber;
    m_FileId = stmt->fileId;
    if (stmt->text.empty()) {
      Report(TEXT_LINK_WITHOUT_TEXT_ERROR);
      Trail("Phase 2 Complete.");
      return 1;
    }
    stmt->run = &KScript::RunGeneric;
    if (CompileStatement(*stmt) != 0) {
      stmt->kind = StatementKind::Unchecked;
      Report(m_ErrorCode);
      result = 1;
    }
    if (m_Repositioned)
      m_Repositioned = 0;
    else
      m_Text.Next();
  }
  // A SWITCH left open would send the run nowhere.
  for (const auto& sw : m_Switches.Switches()) {
    if (sw->end == nullptr && sw->statement != nullptr) {
      ReportAt(K_SWITCH_WITHOUT_ENDSWITCH, *sw->statement);
      result = 1;
    }
  }
  int32_t final = 0;
  if (m_FupUsed && m_OnErrorCount == 0)
    final = FUP_WITHOUT_ONERROR;
  else if (m_FupUsed && m_OnCancelCount == 0)
    final = K_PHASE2_FUP_COMMAND_USED_WITH_NO_ONCANCEL_SPECIFIED;
  else if (!m_DescriptionSeen)
    final = NO_DESCRIPTION_SPECIFIED;
  if (final != 0) {
    Report(final);
    result = 1;
  }
  Trail("Phase 2 Complete.");
  return result;
}

std::string KScript::ArrowsAsBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '-' && i + 1 < text.size() && text[i + 1] == '>') {
      out += ' ';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// ---- phase 3 ----

namespace {
bool TakesJumpTarget(int32_t id) {
  const std::span<const StatementRow> rows = InstalledStatements().rows;
  return id > 0 && static_cast<size_t>(id) < rows.size() && (rows[static_cast<size_t>(id)].flags & kTakesJumpTarget);
}
}  // namespace

int KScript::Phase3() {
  Trail("Phase 3 : Linking...");
  std::vector<TEXT_LINK>& statements = m_Text.Links();
  if (m_Symbols.Links().empty()) {
    Report(NO_CONTEXTS_SPECIFIED);
    return 1;
  }
  if (statements.empty()) {
    Report(NO_TEXT_SPECIFIED);
    return 1;
  }
  size_t next = 0;  // labels are in definition order, so the search only moves forward
  for (SYMBOL_LINK& label : m_Symbols.Links()) {
    if (next > 0 && statements[next - 1].globalLine > label.globalLine) next = 0;
    while (next < statements.size() && statements[next].globalLine <= label.globalLine) ++next;
    if (next == statements.size()) {
      m_LineNumber = label.lineNumber;
      m_FileId = label.fileId;
      Report(CONTEXT_LINKER_ERROR);
      return 1;
    }
    label.statement = &statements[next];
    label.lineNumber = statements[next].lineNumber;
  }
  Trail("   Symbols Link Complete...");

  for (TEXT_LINK& stmt : statements) {
    if (stmt.id == 0 && stmt.opCode == 0 && (stmt.typeCode & 0x0F) != 0 && (stmt.typeCode & 0xF0) == 0) {
      ReportAt(K_PHASE3_UNINITIALIZED_VARIABLE_DETECTED, stmt);
      return 1;
    }
  }
  Trail("   Uninitialized Variable Scan Complete...");

  for (TEXT_LINK& stmt : statements) {
    if (!TakesJumpTarget(stmt.id)) continue;
    std::string text = stmt.text;
    std::string last;
    StoreLastWord(text, last);
    std::string upper = last;
    UpperCase(upper);
    if (upper != "RETURN") stmt.target = m_Symbols.GetTextPointer(last);
  }
  PrepareRun();
  Trail("   Vector Linking Complete...");
  Trail("Phase 3 Complete.");
  return 0;
}
