// BUFFER, CDB and ATACMD lines, and MODCDB.
#include "script/statements/command_declarations.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <sstream>
#include <vector>

#include "base/byte_order.h"
#include "script/core/error_fx.h"
#include "script/core/ktext.h"
#include "script/core/variables.h"
#include "script/core/variables_array.h"
#include "script/statements/scsi_command_names.h"

namespace {

// Words of a text once the given characters are read as blanks.
std::vector<std::string> WordsWithout(std::string_view text, std::string_view separators) {
  std::string copy(text);
  for (char& c : copy)
    if (c == '\t' || separators.find(c) != std::string_view::npos) c = ' ';
  std::vector<std::string> words;
  std::istringstream in(copy);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Byte number: its value, else -1.
int ByteNumber(std::string_view word) {
  return KText::DetermineNumberType(word) == K_NUM_BYTE ? static_cast<int>(KText::AtoLn(word)) : -1;
}

struct DirectionWord {
  const char* word;
  int32_t cdbDirection;
  int32_t ataDirection;
};
constexpr DirectionWord kDirections[] = {
    {"NONE", kNoData, kToHost},
    {"FROMHOST", kFromHost, kFromHost},
    {"TOHOST", kToHost, kToHost},
};
const DirectionWord* FindDirection(const std::string& word) {
  const std::string upper = Upper(word);
  for (const DirectionWord& d : kDirections)
    if (upper == d.word) return &d;
  return nullptr;
}

// A buffer word: the named buffer, or none for a word starting with '0'.
// False for an unknown buffer.
bool ResolveBuffer(const std::string& word, const BufferLookup& buffers, std::string& name, uint8_t*& data,
                   uint32_t& size) {
  if (KByteArray* buffer = buffers ? buffers(word) : nullptr) {
    name = word;
    data = buffer->data.get();
    size = buffer->size;
    return true;
  }
  if (!word.empty() && word[0] == '0') {
    name.clear();
    data = nullptr;
    size = 0;
    return true;
  }
  return false;
}

}  // namespace

int ParseBufferDeclaration(std::string_view rest, std::string& name, uint32_t& size) {
  std::string text(rest);
  KText::WipeLeft(text);
  KText::Store1stWord(text, name);
  KText::Clear1stWord(text);
  const size_t open = text.find('[');
  const size_t close = text.find(']');
  if (name.empty() || open == std::string::npos || close == std::string::npos)
    return BUFF_HANDLER_INVALID_SIZE_SPECIFIER;
  text[open] = ' ';
  text[close] = ' ';
  KText::CleanLine(text);
  const int kind = KText::DetermineNumberType(std::string_view(text));
  if (kind != K_NUM_BYTE && kind != K_NUM_WORD && kind != K_NUM_LONG) return BUFF_HANDLER_INVALID_SIZE_SPECIFIER;
  size = static_cast<uint32_t>(KText::AtoLn(std::string_view(text)));
  return 0;
}

int ParseCdbDeclaration(std::string_view rest, const BufferLookup& buffers, CDB_LINK& out) {
  if (rest.find('{') == std::string_view::npos) return CDB_MISSING_LEFT_BRACE;
  if (rest.find('}') == std::string_view::npos) return CDB_MISSING_RIGHT_BRACE;
  const std::vector<std::string> w = WordsWithout(rest, "{},");
  CDB_LINK c;
  if (w.size() < 2) return CDB_INVALID_CDB_LENGTH_SPECIFIED;
  c.name = w[0];
  const std::string& length = w[1];
  const bool decimal =
      std::all_of(length.begin(), length.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); });
  c.cdbLength = decimal && length.size() <= 2 ? std::stoi(length) : 0;
  if (c.cdbLength != 6 && c.cdbLength != 10 && c.cdbLength != 12 && c.cdbLength != 16)
    return CDB_INVALID_CDB_LENGTH_SPECIFIED;
  const DirectionWord* direction = w.size() > 2 ? FindDirection(w[2]) : nullptr;
  if (direction == nullptr) return CDB_INVALID_DIRECTION_SPECIFIED;
  c.direction = direction->cdbDirection;
  if (w.size() < 4 || !ResolveBuffer(w[3], buffers, c.bufferName, c.bufferData, c.bufferSize))
    return CDB_HANDLER_UNKNOWN_BUFFER_SPECIFIED;
  c.transferLength = c.bufferSize;
  if (w.size() < 5) return CDB_INVALID_SCSI_COMMAND_SPECIFIER;
  int opcode = ByteNumber(w[4]);
  if (opcode < 0 && KText::DetermineNumberType(w[4]) == K_NUM_NONE) opcode = ScsiCommandOpcode(Upper(w[4]));
  if (opcode < 0) return CDB_INVALID_SCSI_COMMAND_SPECIFIER;
  c.cdb[0] = static_cast<uint8_t>(opcode);

  const size_t first = 5;
  const size_t bytes = static_cast<size_t>(c.cdbLength) - 1;
  if (w.size() < first + bytes) return CDB_INVALID_NUMBER_OF_CDB_BYTES;
  for (size_t i = 0; i < bytes; ++i) {
    // A word that is no byte number (a name, a word value) would leave the
    // byte undefined: refused.
    const int value = ByteNumber(w[first + i]);
    if (value < 0) return CDB_INVALID_SCSI_VALUE_TYPE_SPECIFIER;
    c.cdb[1 + i] = static_cast<uint8_t>(value);
  }

  size_t at = first + bytes;
  if (at < w.size()) {
    const std::string action = w[at++];
    if (action == "DATA") {
      c.action = kDataAction;
      c.actionValueCount = 4;
    } else if (action == "CHECK") {
      c.action = kCheckAction;
      c.actionValueCount = 3;
    } else {
      return CDB_INVALID_ACTION_SPECIFIED;
    }
    const auto count = static_cast<size_t>(c.actionValueCount);
    if (w.size() < at + count) return CDB_INVALID_NUMBER_OF_ACTION_VALUES;
    for (size_t i = 0; i < count; ++i) {
      const int value = ByteNumber(w[at + i]);
      if (value < 0) return CDB_INVALID_SCSI_VALUE_TYPE_SPECIFIER;
      c.actionValues[i] = static_cast<uint8_t>(value);
    }
    if (w.size() > at + count) return CDB_UNKNOWN_TEXT_AFTER_ACTION_DETECTED;
  }
  out = std::move(c);
  return 0;
}

int ParseAtaDeclaration(std::string_view rest, const BufferLookup& buffers, ATA_LINK& out) {
  if (rest.find('{') == std::string_view::npos) return K_OP_ATA_MISSING_LEFT_BRACE;
  if (rest.find('}') == std::string_view::npos) return K_OP_ATA_MISSING_RIGHT_BRACE;
  const std::vector<std::string> w = WordsWithout(rest, "{};,");
  ATA_LINK a;
  if (!w.empty()) a.name = w[0];
  const DirectionWord* direction = w.size() > 1 ? FindDirection(w[1]) : nullptr;
  if (direction == nullptr) return K_OP_ATA_INVALID_DIRECTION_SPECIFIED;
  a.direction = direction->ataDirection;
  if (w.size() < 3 || !ResolveBuffer(w[2], buffers, a.bufferName, a.bufferData, a.bufferSize))
    return K_OP_ATA_HANDLER_UNKNOWN_BUFFER_SPECIFIED;
  constexpr size_t kFirstRegister = 4;
  if (w.size() < kFirstRegister + a.registers.size()) return K_OP_ATA_INVALID_NUMBER_OF_ATA_BYTES;
  const int64_t extra = KText::AtoLn(w[3]);
  a.extraValue = extra < 0 ? 0 : static_cast<int32_t>(extra);
  for (size_t i = 0; i < a.registers.size(); ++i) {
    const int value = ByteNumber(w[kFirstRegister + i]);
    if (value < 0) return K_OP_ATA_INVALID_CMD_BYTE_TYPE_ERROR;
    a.registers[i] = static_cast<uint8_t>(value);
  }
  out = std::move(a);
  return 0;
}

int CompileModCdb(const std::vector<std::string>& words, const std::function<CDB_LINK*(std::string_view)>& cdbs,
                  CVariableLL& variables, ModCdbForm& out) {
  if (words.size() != 3 && words.size() != 6) return K_MODCDB_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
  ModCdbForm f;
  f.cdb = cdbs ? cdbs(words[0]) : nullptr;
  if (f.cdb == nullptr) return K_MODCDB_INVALID_CDB_SPECIFIED;
  const int index = ByteNumber(words[1]);
  if (index < 0) return K_MODCDB_INVALID_TYPE_INDEX_SPECIFIED;
  if (index < 1 || index >= f.cdb->cdbLength) return K_MODCDB_IDX_RANGE_SPECIFIED;
  f.index = static_cast<uint32_t>(index);
  size_t valueWord = 2;
  if (words.size() == 6) {
    const int width = ByteNumber(words[3]);
    if (words[2] != "<" || words[4] != ">" || width < 0) return K_MODCDB_INVALID_SWATH_SPECIFIED;
    if (width < 1 || width > 4) return K_MODCDB_SWATH_RANGE_ERROR;
    if (index + width >= f.cdb->cdbLength) return K_MODCDB_SWATH_AND_INDEX_RANGE_ERROR;
    f.width = static_cast<uint32_t>(width);
    valueWord = 5;
  }
  const std::string& value = words[valueWord];
  switch (KText::DetermineNumberType(value)) {
    case K_NUM_BYTE:
      f.kindMask = 0xFF;
      break;
    case K_NUM_WORD:
      f.kindMask = 0xFFFF;
      break;
    case K_NUM_LONG:
      f.kindMask = 0xFFFFFFFF;
      break;
    case K_NUM_DOUBLE:
      return K_MODCDB_INVALID_VALUE_NUMBER_TYPE_SPECIFIED;
    default: {
      const VARI_LL* v = variables.FindVariable(value);
      if (v == nullptr) return K_MODCDB_INVALID_VALUE_TYPE_SPECIFIED;
      static constexpr uint32_t kMasks[] = {0xFF, 0xFFFF, 0xFFFFFFFF};
      if (v->type < K_VAR_BYTE || v->type > K_VAR_LONG) return K_MODCDB_INVALID_VALUE_VARIABLE_TYPE_SPECIFIED;
      f.kindMask = kMasks[v->type];
      f.variable = v;
    }
  }
  if (f.variable == nullptr) f.constant = static_cast<uint32_t>(KText::AtoLn(value)) & f.kindMask;
  out = f;
  return 0;
}

void ApplyModCdb(const ModCdbForm& form) {
  if (form.cdb == nullptr) return;
  const uint32_t value = (form.variable != nullptr ? form.variable->Unsigned() : form.constant) & form.kindMask;
  // Only bytes 1 to length - 1 were allowed at compile time; the bounded write
  // keeps even a stale form inside the CDB.
  be::Write(std::span<uint8_t>(form.cdb->cdb), form.index, form.width, value);
}
