// The declarations of one loaded script that belong to the statement groups
// (buffers, CDB and ATA commands, log pages, tables, files...). The engine owns
// the store and empties it with every clean-up; each group keeps its own list
// type, derived from DeclarationList, in its own file under statements/:
//
//   struct BufferList : DeclarationList {             // statements/buffers.cpp
//       std::vector<KByteArray> buffers;
//       KByteArray* FindArray(std::string_view name) const override { ... }
//   };
//   BufferList& list = ctx.Declarations().Get<BufferList>();   // created on first use
//
// A new list type needs no edit here. The engine asks the lists only through
// the virtual questions below; a list answers those about the names it holds
// and keeps the defaults for the rest.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

struct KByteArray;
struct KCompiledAssign;
struct KValue;
struct TEXT_LINK;
class StatementContext;

class DeclarationList {
 public:
  virtual ~DeclarationList() = default;

  // A buffer of this name, or nullptr.
  virtual KByteArray* FindArray(std::string_view /*name*/) const { return nullptr; }
  // Page code of a declared log page tag, or -1 when the tag is not this list's.
  virtual int32_t LogPageCode(std::string_view /*tag*/) const { return -1; }
  // For a tag this list owns (LogPageCode >= 0):
  // the loaded page's own bytes from an index on (BUFFER = TAG->index), empty
  // when the page cannot supply them.
  virtual std::span<const uint8_t> LogPageBytesAt(std::string_view /*tag*/, uint32_t /*index*/) { return {}; }
  // Value of a parameter as a condition operand ("IF TAG->PARM > 5 ..."): 0, or an error code.
  virtual int LogPageOperand(std::string_view /*tag*/, std::string_view /*parm*/, double& /*value*/) { return -1; }
  // Value of a parameter for "var op TAG->PARM": 0, or an error code.
  virtual int LogPageValue(const KCompiledAssign& form, KValue& value);
  // Event-log command of page 7 ("TAG CREATELIST ..."), in both modes: 0, or ctx.Fail(code).
  virtual int EventLogCommand(StatementContext& ctx, TEXT_LINK& stmt, const char* upperCommand);
  // PRINT FILE: whether a script file of this name is this list's, and the text written
  // to it (0, or an error code).
  virtual bool HasScriptFile(std::string_view /*tag*/) const { return false; }
  virtual int PrintToScriptFile(std::string_view tag, std::string_view text);
};

class DeclarationStore {
 public:
  // The list of a type, created empty on its first use after a clean-up.
  template <typename List>
  List& Get() {
    const size_t slot = SlotOf<List>();
    if (slot >= lists_.size()) lists_.resize(slot + 1);
    if (!lists_[slot]) lists_[slot] = std::make_unique<List>();
    return static_cast<List&>(*lists_[slot]);
  }
  // The list of a type, or nullptr when nothing used it since the clean-up.
  template <typename List>
  List* Find() const {
    const size_t slot = SlotOf<List>();
    return slot < lists_.size() ? static_cast<List*>(lists_[slot].get()) : nullptr;
  }
  void Clear() { lists_.clear(); }

  // The engine's questions, asked of every list in turn.
  KByteArray* FindArray(std::string_view name) const;
  int32_t LogPageCode(std::string_view tag) const;
  // The list that declared a log page tag, or nullptr.
  DeclarationList* LogPageOwner(std::string_view tag) const;
  // The list that declared a script file, or nullptr.
  DeclarationList* ScriptFileOwner(std::string_view tag) const;

 private:
  template <typename List>
  static size_t SlotOf() {
    static const size_t slot = nextSlot_.fetch_add(1);
    return slot;
  }
  static inline std::atomic<size_t> nextSlot_{0};
  std::vector<std::unique_ptr<DeclarationList>> lists_;  // by slot; null: not used
};
