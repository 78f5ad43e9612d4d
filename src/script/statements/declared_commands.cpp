// CDB and ATACMD declarations, and MODCDB.
#include "script/statements/declared_commands.h"

#include "script/core/error_fx.h"
#include "script/statements/command_declarations.h"
#include "script/statements/statement_args.h"

namespace {

BufferLookup Buffers(StatementContext& ctx) {
  return [&ctx](std::string_view name) { return ctx.FindArray(name); };
}

struct ModCdbData : StatementData {
  ModCdbForm form;
  DeclaredCommand<CDB_LINK>* command = nullptr;
};

}  // namespace

DeclaredCommand<CDB_LINK>* FindCdb(StatementContext& ctx, std::string_view name) {
  const CCdbLL* list = ctx.Declarations().Find<CCdbLL>();
  return list != nullptr ? list->Find(name) : nullptr;
}

DeclaredCommand<ATA_LINK>* FindAta(StatementContext& ctx, std::string_view name) {
  const CAtaLL* list = ctx.Declarations().Find<CAtaLL>();
  return list != nullptr ? list->Find(name) : nullptr;
}

// CDB name { length, direction, buffer, opcode, bytes... [, DATA v v v v | , CHECK v v v] }
int _CdbDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  CDB_LINK cdb;
  if (const int code = ParseCdbDeclaration(statement_args::AfterKeyword(ctx.Line()), Buffers(ctx), cdb); code != 0)
    return ctx.Fail(code);
  cdb.fileId = ctx.SourceFile();
  cdb.line = ctx.SourceLine();
  cdb.includeLevel = ctx.IncludeLevel();
  KByteArray* buffer = cdb.bufferName.empty() ? nullptr : ctx.FindArray(cdb.bufferName);
  if (!ctx.Declarations().Get<CCdbLL>().Add(cdb, buffer)) return ctx.Fail(CDB_DUPLICATE_NAME_DETECTED);
  return 0;
}

// ATACMD name { direction, buffer, extra, r0 ... r7 }
int _AtaDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  ATA_LINK ata;
  if (const int code = ParseAtaDeclaration(statement_args::AfterKeyword(ctx.Line()), Buffers(ctx), ata); code != 0)
    return ctx.Fail(code);
  ata.fileId = ctx.SourceFile();
  ata.line = ctx.SourceLine();
  ata.includeLevel = ctx.IncludeLevel();
  KByteArray* buffer = ata.bufferName.empty() ? nullptr : ctx.FindArray(ata.bufferName);
  if (!ctx.Declarations().Get<CAtaLL>().Add(ata, buffer)) return ctx.Fail(K_OP_ATA_DUPLICATE_NAME_DETECTED);
  return 0;
}

// MODCDB cdb index value | MODCDB cdb index < width > value
int _ModCdb(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    const auto* data = dynamic_cast<const ModCdbData*>(stmt.data.get());
    if (data == nullptr) return ctx.Fail(K_MODCDB_INVALID_CDB_SPECIFIED);
    ApplyModCdb(data->form);
    return 0;
  }
  std::vector<std::string> words;
  if (ctx.Text().ParseLine(std::string_view(ctx.Line()), words) != 0) return ctx.Fail(K_MODCDB_PARSING_ERROR);
  auto data = std::make_unique<ModCdbData>();
  const auto cdbs = [&](std::string_view name) -> CDB_LINK* {
    data->command = FindCdb(ctx, name);
    return data->command != nullptr ? &data->command->link : nullptr;
  };
  if (const int code = CompileModCdb(words, cdbs, ctx.Variables(), data->form); code != 0) return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}
