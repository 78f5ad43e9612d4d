// Byte arrays: the storage behind a script buffer, and DIMENSION, which
// gives a buffer new storage of another size at run time.
//
// A buffer record (BUFFER_LINK) keeps its bytes in a KByteArray, by
// containing one or deriving from it, so that conditions ("IF buf [ 3 ] ==
// 1") and DIMENSION can work on buffers without knowing the rest of the
// record. Records that point straight at a buffer's bytes (CDBs, log pages)
// are told about new storage through the repoint callback of RunDimension.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

struct VARI_LL;
class CVariableLL;

struct KByteArray {
  std::unique_ptr<uint8_t[]> data;
  uint32_t size = 0;
  uint8_t altered = 0;
  // Bytes the last device command that read into the buffer delivered, from
  // its start; kWholeBuffer while no command has filled it (declared or
  // dimensioned). A log page is decoded from these bytes only, never from
  // what an earlier command left behind them.
  static constexpr uint32_t kWholeBuffer = 0xFFFFFFFFu;
  uint32_t filled = kWholeBuffer;
  uint32_t FilledBytes() const { return filled < size ? filled : size; }

  // Replace the storage by size zeroed bytes. False (storage unchanged) when
  // size is 0 or above KByteArrayMaxSize, or the memory cannot be had.
  bool Allocate(uint32_t newSize);
};

// Largest storage a script may ask for: far above any transfer a drive takes,
// small enough that a mistyped size cannot exhaust the host.
inline constexpr uint32_t KByteArrayMaxSize = 64u * 1024u * 1024u;

// Names the compiler meets besides variables: buffers and log pages are kept
// in other lists of the engine. The defaults know no names.
class KScriptNames {
 public:
  virtual ~KScriptNames() = default;
  // Storage of the buffer declared under this name, or null.
  virtual KByteArray* FindArray(std::string_view /*name*/) const { return nullptr; }
  // Page code of the log page declared under this tag, or -1.
  virtual int32_t LogPageCode(std::string_view /*tag*/) const { return -1; }
  // Value of parameter `parm` of the loaded page `tag` (a condition operand
  // "TAG->PARM"): 0, or an error code.
  virtual int LogPageOperand(std::string_view /*tag*/, std::string_view /*parm*/, double& /*value*/) const {
    return -1;
  }
};

// "DIMENSION buffer size", compiled.
struct KDimensionForm {
  KByteArray* array = nullptr;
  const VARI_LL* sizeVariable = nullptr;  // size from a byte, word or long variable
  uint32_t size = 0;                      // else the size given as a number
};

// Check the statement's arguments (the text after the keyword). 0 done;
// -495 unknown buffer; -496 number 0; -497 a number that is not of class 1, 2
// or 4 (or a word that is neither number nor variable); -498 double variable.
int CompileDimension(std::string_view args, const CVariableLL& vars, const KScriptNames& names, KDimensionForm& out);

// Called with the old and the new storage so that records pointing at the old
// bytes can be pointed at the new ones.
using KRepointFn = std::function<void(const uint8_t* oldData, uint8_t* newData, uint32_t newSize)>;

// Give the buffer new storage (zeroed) of the compiled size, release the old
// one and call repoint. 0 done; -499 size 0 (from a variable); -500 the
// storage cannot be had (also for sizes above KByteArrayMaxSize).
int RunDimension(const KDimensionForm& form, const KRepointFn& repoint);
