// The declaration lines of buffers, CDBs and ATA commands, taken apart into
// their records, and MODCDB, which patches a declared CDB at run time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "facade/script_commands.h"

struct KByteArray;
struct VARI_LL;
class CVariableLL;
class KText;

// A declared buffer by name, or nullptr.
using BufferLookup = std::function<KByteArray*(std::string_view)>;

// "name [size]" (the text after BUFFER): 0, or BUFF_HANDLER_INVALID_SIZE_SPECIFIER.
int ParseBufferDeclaration(std::string_view rest, std::string& name, uint32_t& size);

// "name { length, direction, buffer, opcode, bytes... [, DATA v v v v | , CHECK v v v] }":
// 0, or the CDB_ error code. Every CDB byte must be a byte number; the
// record's buffer fields point at the named buffer's storage.
int ParseCdbDeclaration(std::string_view rest, const BufferLookup& buffers, CDB_LINK& out);

// "name { direction, buffer, extra, r0 ... r7 }": 0, or the K_OP_ATA_ error code.
int ParseAtaDeclaration(std::string_view rest, const BufferLookup& buffers, ATA_LINK& out);

// "MODCDB cdb index value" or "MODCDB cdb index < width > value", compiled.
struct ModCdbForm {
  CDB_LINK* cdb = nullptr;
  uint32_t index = 0;
  uint32_t width = 1;
  uint32_t kindMask = 0xFF;  // 0xFF byte, 0xFFFF word, 0xFFFFFFFF long value
  uint32_t constant = 0;
  const VARI_LL* variable = nullptr;  // the value's variable, else the constant
};
// `words` are the words of the statement after the keyword (the engine's line
// split). 0, or the K_MODCDB_ error code.
int CompileModCdb(const std::vector<std::string>& words, const std::function<CDB_LINK*(std::string_view)>& cdbs,
                  CVariableLL& variables, ModCdbForm& out);
// Stores the value big-endian over `width` bytes from `index`.
void ApplyModCdb(const ModCdbForm& form);
