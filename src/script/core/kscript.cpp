// The engine object: construction, clean-up, error reports and the trail file.
#include "script/core/kscript.h"

#include <cstring>

#include "base/work_folders.h"
#include "facade/scsi_wrapper.h"
#include "script/core/error_fx.h"
#include "script/core/statement_api.h"

namespace {
constexpr size_t kArgvCapacity = 1000;
constexpr const char* kTrailFile = "KTrail.Txt";
}  // namespace

KScript::KScript() : m_Argv(kArgvCapacity, nullptr) { SetUpMasterPath(); }

KScript::~KScript() = default;

void KScript::SetUpMasterPath() {
  // The folder name ends in a double slash; file names are appended directly.
  m_LogPath = folders::LogFolder() + "/";
  m_LogPath += "/";
  m_MasterLogPath = m_LogPath;
}

std::string KScript::TrailPath() const { return m_LogPath + kTrailFile; }

void KScript::CleanUp() {
  // Statements hold pointers into the other lists: they go first.
  m_Text.DeleteLinks();
  m_Symbols.DeleteSymbolLinks();
  m_Variables.KillLinks();
  m_Variables.SetTestMode(true);
  m_CallStack.DeleteLinks();
  m_FileStack.KillStack();
  m_FileStack.KillList();
  m_Ifs.KillIfs();
  m_Switches.KillSwitches();
  m_SwitchDepth = 0;
  m_SwitchStack.clear();
  m_CurrentSwitch = nullptr;
  ResetPresentation();
  // Text tables point into buffers that go with the run.
  DestroyTheTextBufferLinks();
  CleanUpDeclarations();
}

void KScript::CleanUpDeclarations() { m_Declarations.Clear(); }

int KScript::Police(int32_t code, char* buffer, int32_t fileId) {
  if (code == 0) {
    std::snprintf(buffer, kLineSize, "*** No Error Condition Exists ***");
    return code;
  }
  std::string name;
  if (m_FileStack.MatchIdToFileName(fileId, name) != 0) name = "Unknown";
  const char* text = ErrorFxText(code);
  if (text != nullptr)
    std::snprintf(buffer, kLineSize, "Error In %s @ Line %d :\r\n\t%s", name.c_str(), m_LineNumber, text);
  else
    std::snprintf(buffer, kLineSize, "*** Unknown Error Condition Detected : %s %d @ %d ***", name.c_str(), code,
                  m_LineNumber);
  return code;
}

void KScript::Trail(const char* text) {
  if (FILE* f = std::fopen(TrailPath().c_str(), "a")) {
    std::fprintf(f, "%s\n", text);
    std::fclose(f);
  }
  std::printf("%s\n", text);
  std::fflush(stdout);
}

void KScript::Report(int32_t code) {
  m_ErrorCode = code;
  Police(code, m_Message, m_FileId);
  Trail(m_Message);
}

int KScript::ReportAt(int32_t code, const TEXT_LINK& stmt) {
  m_LineNumber = stmt.lineNumber;
  m_FileId = stmt.fileId;
  Report(code);
  return 1;
}

void KScript::JumpTo(TEXT_LINK* target) {
  m_Text.cursor_ = static_cast<size_t>(target->ordinal - 1);
  m_Repositioned = 1;
}

// ---- declarations of the statement groups ----

KByteArray* KScript::FindArray(std::string_view name) const { return m_Declarations.FindArray(name); }
int32_t KScript::LogPageCode(std::string_view tag) const { return m_Declarations.LogPageCode(tag); }
std::span<const uint8_t> KScript::LogPageBytesAt(std::string_view tag, uint32_t index) {
  DeclarationList* owner = m_Declarations.LogPageOwner(tag);
  return owner != nullptr ? owner->LogPageBytesAt(tag, index) : std::span<const uint8_t>{};
}
int KScript::LogPageOperand(std::string_view tag, std::string_view parm, double& value) const {
  DeclarationList* owner = m_Declarations.LogPageOwner(tag);
  return owner != nullptr ? owner->LogPageOperand(tag, parm, value) : -1;
}
int KScript::LogPageValue(const KCompiledAssign& form, KValue& value) {
  DeclarationList* owner = m_Declarations.LogPageOwner(form.pageTag);
  return owner != nullptr ? owner->LogPageValue(form, value) : VARI_UNABLE_TO_PROCESS_VARIABLE;
}
int KScript::EventLogCommand(TEXT_LINK& stmt, std::string_view tag, const char* upperCommand) {
  DeclarationList* owner = m_Declarations.LogPageOwner(tag);
  if (owner == nullptr) return Fail(IsRunMode() ? EXE_UNKNOWN_CMD : UNKNOWN_CMD);
  StatementContext context(*this);
  return owner->EventLogCommand(context, stmt, upperCommand);
}

void KScript::SleepSeconds(uint32_t seconds) {
  if (m_pScsiWrapper != nullptr) m_pScsiWrapper->Sleep(static_cast<long>(seconds));
}

void KScript::EnterCommandMode() {
  if (m_CommandMode) m_CommandMode();
}
