#include "facade/command_table.h"

#include "facade/drive_type.h"

namespace {

constexpr CmdTypeRow CmdTypeInfo[] = {
    {kCmdTestUnitReady, "Test Unit Ready"},
    {kCmdInquiry, "Inquiry"},
    {kCmdLoad, "Load"},
    {kCmdRewind, "Rewind"},
    {kCmdUnload, "Unload"},
    {kCmdTapeAlerts, "Get TapeAlerts"},
    {kCmdExit, "Exit"},
    {kCmdEndOfList, "End of list"},
};

// A removable disk has no tape to load, rewind or report on.
constexpr CmdTypeRow CmdTypeInfo_BR[] = {
    {kCmdTestUnitReady, "Test Unit Ready"}, {kCmdInquiry, "Inquiry"}, {kCmdUnload, "Unload"}, {kCmdExit, "Exit"},
    {kCmdEndOfList, "End of list"},
};

constexpr bool EndsWithEndRow(std::span<const CmdTypeRow> rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if ((rows[i].id == kCmdEndOfList) != (i + 1 == rows.size())) return false;
  }
  return true;
}
static_assert(EndsWithEndRow(CmdTypeInfo) && EndsWithEndRow(CmdTypeInfo_BR));

}  // namespace

std::span<const CmdTypeRow> CommandTableFor(uint8_t driveType) {
  if (driveType == kDriveTypeBramble) return CmdTypeInfo_BR;
  return CmdTypeInfo;
}

std::span<const CmdTypeRow> CommandsShown(uint8_t driveType) {
  const std::span<const CmdTypeRow> rows = CommandTableFor(driveType);
  return rows.first(rows.size() - 1);
}
