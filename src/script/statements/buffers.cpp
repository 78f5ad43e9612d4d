// The BUFFER declaration and the buffer list.
#include "script/statements/buffers.h"

#include "script/core/error_fx.h"
#include "script/statements/command_declarations.h"
#include "script/statements/statement_args.h"

int CBufferLL::Add(std::string_view name, uint32_t size, int32_t fileId, int32_t line) {
  if (Find(name) != nullptr) return BUFF_HANDLER_DUPLICATE_NAME_DETECTED;
  auto link = std::make_unique<BUFFER_LINK>();
  if (name.empty() || !link->Allocate(size)) return BUFF_HANDLER_ADD_BUFFER_ERROR;
  link->name = std::string(name);
  link->fileId = fileId;
  link->line = line;
  index_.emplace(link->name, link.get());
  nameBytes_ += name.size() + 1;
  if (name.size() > longestName_) longestName_ = name.size();
  links_.push_back(std::move(link));
  return 0;
}

BUFFER_LINK* CBufferLL::Find(std::string_view name) const {
  const auto it = index_.find(std::string(name));
  return it == index_.end() ? nullptr : it->second;
}

uint64_t CBufferLL::DataBytes() const {
  uint64_t total = 0;
  for (const auto& link : links_) total += link->size;
  return total;
}

// BUFFER name [size]
int _BufferDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  std::string name;
  uint32_t size = 0;
  if (const int code = ParseBufferDeclaration(statement_args::AfterKeyword(ctx.Line()), name, size); code != 0)
    return ctx.Fail(code);
  CBufferLL& buffers = ctx.Declarations().Get<CBufferLL>();
  if (const int code = buffers.Add(name, size, ctx.SourceFile(), ctx.SourceLine()); code != 0) return ctx.Fail(code);
  return 0;
}
