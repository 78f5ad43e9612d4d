// The engine's questions about the declarations, asked of every group's list.
#include "script/core/declarations.h"

#include "script/core/error_fx.h"
#include "script/core/statement_api.h"

int DeclarationList::LogPageValue(const KCompiledAssign& /*form*/, KValue& /*value*/) {
  return VARI_UNABLE_TO_PROCESS_VARIABLE;
}

int DeclarationList::EventLogCommand(StatementContext& ctx, TEXT_LINK& /*stmt*/, const char* /*upperCommand*/) {
  return ctx.Fail(ctx.IsRunMode() ? EXE_UNKNOWN_CMD : UNKNOWN_CMD);
}

int DeclarationList::PrintToScriptFile(std::string_view /*tag*/, std::string_view /*text*/) {
  return K_PRINT_TO_FILE_INVALID_DEST_FILE_SPECIFIED;
}

DeclarationList* DeclarationStore::ScriptFileOwner(std::string_view tag) const {
  for (const auto& list : lists_)
    if (list && list->HasScriptFile(tag)) return list.get();
  return nullptr;
}

KByteArray* DeclarationStore::FindArray(std::string_view name) const {
  for (const auto& list : lists_)
    if (list)
      if (KByteArray* array = list->FindArray(name)) return array;
  return nullptr;
}

DeclarationList* DeclarationStore::LogPageOwner(std::string_view tag) const {
  for (const auto& list : lists_)
    if (list && list->LogPageCode(tag) >= 0) return list.get();
  return nullptr;
}

int32_t DeclarationStore::LogPageCode(std::string_view tag) const {
  const DeclarationList* owner = LogPageOwner(tag);
  return owner != nullptr ? owner->LogPageCode(tag) : -1;
}
