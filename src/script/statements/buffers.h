// Script buffers: the BUFFER declaration and the list that owns the bytes.
//
// Every record that uses a buffer (a CDB, an ATA command, a log page) keeps
// the buffer record itself, never its bytes: DIMENSION gives a buffer new
// storage, and the users see it on their next use.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/core/declarations.h"
#include "script/core/statement_api.h"
#include "script/core/variables_array.h"

struct BUFFER_LINK : KByteArray {
  std::string name;
  int32_t fileId = 0;
  int32_t line = 0;
};

class CBufferLL : public DeclarationList {
 public:
  // 0, BUFF_HANDLER_DUPLICATE_NAME_DETECTED, or BUFF_HANDLER_ADD_BUFFER_ERROR
  // (size 0, above KByteArrayMaxSize, or no memory). The bytes are zeroed.
  int Add(std::string_view name, uint32_t size, int32_t fileId, int32_t line);
  BUFFER_LINK* Find(std::string_view name) const;
  KByteArray* FindArray(std::string_view name) const override { return Find(name); }

  size_t Count() const { return links_.size(); }
  uint64_t NameBytes() const { return nameBytes_; }  // each name with its terminator
  uint64_t DataBytes() const;
  size_t LongestName() const { return longestName_; }
  const std::vector<std::unique_ptr<BUFFER_LINK>>& Links() const { return links_; }

 private:
  std::vector<std::unique_ptr<BUFFER_LINK>> links_;
  std::unordered_map<std::string, BUFFER_LINK*> index_;
  uint64_t nameBytes_ = 0;
  size_t longestName_ = 0;
};

// BUFFER name [size]
int _BufferDeclaration(StatementContext& ctx, int32_t arg);
