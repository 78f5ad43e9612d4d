// The declared commands of a script, as the facade's script hooks execute
// them: a CDB with its data buffer, an ATA command sent wrapped in ATA
// PASS-THROUGH(12), and the record a read-and-compare fills.
//
// The script engine owns these records (its CDB and ATA lists); the buffer
// storage they point at belongs to the script's buffers, and the engine
// points the records at new storage when a buffer is resized.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Data direction of a declared command, as the device layer takes it.
enum ScriptDirection : int32_t { kFromHost = 0, kToHost = 1, kNoData = 2 };

// Action word of a CDB declaration (recorded, handed over, not acted on).
enum CdbAction : int32_t { kNoAction = -1, kDataAction = 0, kCheckAction = 1 };

struct CDB_LINK {
  std::string name;
  int32_t fileId = 0;
  int32_t line = 0;
  int32_t includeLevel = 0;
  std::array<uint8_t, 16> cdb{};
  int32_t cdbLength = 0;  // 6, 10, 12 or 16
  int32_t direction = kNoData;
  uint32_t transferLength = 0;  // buffer size when declared, 0 without buffer
  int32_t action = kNoAction;
  std::array<uint8_t, 4> actionValues{};
  int32_t actionValueCount = -1;  // 4 for DATA, 3 for CHECK
  std::string bufferName;         // empty: no data buffer
  uint8_t* bufferData = nullptr;  // the buffer's storage (not owned)
  uint32_t bufferSize = 0;
};

struct ATA_LINK {
  std::string name;
  int32_t direction = kToHost;  // kFromHost, or kToHost for data in and none
  int32_t extraValue = 0;       // recorded with the command, not sent
  std::array<uint8_t, 8> registers{};
  int32_t registerCount = 8;
  std::string bufferName;
  uint8_t* bufferData = nullptr;
  uint32_t bufferSize = 0;
  int32_t fileId = 0;
  int32_t line = 0;
  int32_t includeLevel = 0;
};

// What a read-and-compare found: status 0 when the last block compared
// matched; 0xFF after a mismatch (iteration = reads completed before it,
// offset and the two bytes of the first difference) or after a read that
// failed in transport (offset kCompareNoOffset, bytes 0).
struct SCRIPT_COMPARE {
  uint8_t reserved = 0;
  uint8_t status = 0;
  uint32_t iteration = 0;
  uint32_t offset = 0;
  uint8_t readValue = 0;
  uint8_t expectedValue = 0;
};
inline constexpr uint8_t kCompareMismatch = 0xFF;
inline constexpr uint32_t kCompareNoOffset = 0xFFFFFFFFu;

// The command a hook is executing, kept by the facade for its traces.
struct SCRIPT_CURRENT_COMMAND {
  int32_t direction = kNoData;
  uint8_t* data = nullptr;
  uint32_t byteCount = 0;
  int32_t cdbLength = 0;
  std::array<uint8_t, 16> cdb{};
  std::string name;
  int32_t line = 0;
  int32_t fileId = 0;
  int32_t action = kNoAction;
  std::string bufferName;
};
