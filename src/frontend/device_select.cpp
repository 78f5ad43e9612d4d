#include "frontend/device_select.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_state.h"
#include "frontend/console_streams.h"
#include "frontend/not_found_report.h"
#include "frontend/script_list.h"
#include "frontend/tape_node.h"
#include "frontend/usage.h"
#include "frontend/wizard_menus.h"

namespace {

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

void PrintFamilies(uint8_t driveType) {
  const uint32_t mask = Skerry_Scriptlist::GetFamilyForDrive(driveType);
  if (mask == 0) {
    std::printf("Drive family = Unknown!\n");
    return;
  }
  for (int bit = 0; FamilyName(bit) != nullptr; ++bit) {
    if ((mask & (1u << bit)) != 0) std::printf("Drive family = %s\n\n", FamilyName(bit));
  }
}

}  // namespace

void take_device(ConsoleState& console, int32_t position) {
  ScsiWrapper& facade = *console.facade;
  WIZARD_FLAGS& flags = console.flags;
  CopyCut(flags.DeviceFile, OrEmpty(facade.GetDeviceFilename(position)));
  flags.DeviceIndex = position;
  facade.SetDeviceSelected(position);
  flags.DriveType = facade.GetDriveType();
  facade.SetDriveTypeCode(flags.DriveType);
  std::printf("Selected device = [%s] [%s] [%s]\n", OrEmpty(facade.GetSerialNumber(position)),
              OrEmpty(facade.GetDeviceFilename(position)), OrEmpty(facade.GetDeviceDescription(position)));
  console.scripts.reset(new (std::nothrow) Skerry_Scriptlist);
  PrintFamilies(flags.DriveType);
}

bool init_dll(ConsoleState& console, const char* device) {
  if (!console.facade) {
    print_memory_banner();
    return false;
  }
  console.device_count = console.facade->InitScsiDll(device);
  if (console.device_count != 0) return true;
  PrintNotFoundReport(console, device);
  console.facade->UninitScsiDll();
  cleanup(console);
  return false;
}

bool find_user_device(ConsoleState& console) {
  for (int32_t i = 0; i < console.device_count; ++i) {
    const char* name = console.facade->GetDeviceFilename(i);
    if (name != nullptr && std::strcmp(name, console.flags.DeviceFile) == 0) {
      take_device(console, i);
      return true;
    }
  }
  return false;
}

bool process_f(ConsoleState& console, const char* name) {
  if (name == nullptr) {
    if (!init_dll(console, nullptr)) return false;
    if (!select_device(console)) return false;
    return true;
  }
  if (!SetField(console.flags.DeviceFile, name)) {
    std::fprintf(ErrorStream(), "Vexil: the device file name is too long (at most %zu characters).\n",
                 sizeof console.flags.DeviceFile - 1);
    return false;
  }
  if (name[0] == '-') {
    printsyntax(console.flags, 0, nullptr);
    cleanup(console);
    return false;
  }
  // Not even opened: closing /dev/stN would rewind the cartridge.
  if (IsTapeNode(name)) {
    PrintTapeNodeHint(name, console.simulated);
    return false;
  }
  if (!init_dll(console, name)) return false;
  if (!find_user_device(console)) {
    std::fputs("Device not found or not supported by Vexil!\n", ErrorStream());
    PrintHiddenChangerHint(console.facade.get());
    return false;
  }
  return true;
}
