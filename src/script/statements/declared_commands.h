// The CDB and ATA command lists of a script, their declarations and MODCDB.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "facade/script_commands.h"
#include "script/core/declarations.h"
#include "script/core/statement_api.h"
#include "script/core/variables_array.h"

// A declared command and the buffer it names. The command's buffer fields are
// taken from the buffer on every use, so a buffer given new storage by
// DIMENSION is followed and never read after it was released.
template <typename Link>
struct DeclaredCommand {
  Link link;
  KByteArray* buffer = nullptr;

  Link& Bound() {
    link.bufferData = buffer != nullptr ? buffer->data.get() : nullptr;
    link.bufferSize = buffer != nullptr ? buffer->size : 0;
    return link;
  }
};

template <typename Link>
class KCommandList : public DeclarationList {
 public:
  // False for a duplicate name.
  bool Add(const Link& link, KByteArray* buffer) {
    if (Find(link.name) != nullptr) return false;
    auto entry = std::make_unique<DeclaredCommand<Link>>();
    entry->link = link;
    entry->buffer = buffer;
    index_.emplace(link.name, entry.get());
    nameBytes_ += link.name.size() + 1;
    if (link.name.size() > longestName_) longestName_ = link.name.size();
    entries_.push_back(std::move(entry));
    return true;
  }
  DeclaredCommand<Link>* Find(std::string_view name) const {
    const auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : it->second;
  }
  size_t Count() const { return entries_.size(); }
  uint64_t NameBytes() const { return nameBytes_; }
  size_t LongestName() const { return longestName_; }

 private:
  std::vector<std::unique_ptr<DeclaredCommand<Link>>> entries_;
  std::unordered_map<std::string, DeclaredCommand<Link>*> index_;
  uint64_t nameBytes_ = 0;
  size_t longestName_ = 0;
};

class CCdbLL : public KCommandList<CDB_LINK> {};
class CAtaLL : public KCommandList<ATA_LINK> {};

// The declared CDB of this name in the script's list (nullptr when none).
DeclaredCommand<CDB_LINK>* FindCdb(StatementContext& ctx, std::string_view name);
DeclaredCommand<ATA_LINK>* FindAta(StatementContext& ctx, std::string_view name);

// CDB name { length, direction, buffer, opcode, bytes... [, DATA v v v v | , CHECK v v v] }
int _CdbDeclaration(StatementContext& ctx, int32_t arg);
// ATACMD name { direction, buffer, extra, r0 ... r7 }
int _AtaDeclaration(StatementContext& ctx, int32_t arg);
// MODCDB cdb index value | MODCDB cdb index < width > value
int _ModCdb(StatementContext& ctx, TEXT_LINK& stmt);
