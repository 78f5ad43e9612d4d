// The command menu's tables: which single commands a drive is offered.
#pragma once

#include <cstdint>
#include <span>

// Ids of the command menu's rows; kCmdEndOfList ends every table.
enum CmdId : int32_t {
  kCmdTestUnitReady = 0,
  kCmdInquiry = 1,
  kCmdLoad = 2,
  kCmdRewind = 3,
  kCmdUnload = 4,
  kCmdTapeAlerts = 5,
  kCmdExit = 6,
  kCmdEndOfList = 7,
};

struct CmdTypeRow {
  int32_t id;
  const char* name;
};

// The rows offered to a drive of this drive-type code, end row included.
std::span<const CmdTypeRow> CommandTableFor(uint8_t driveType);
// The rows before the end row.
std::span<const CmdTypeRow> CommandsShown(uint8_t driveType);
