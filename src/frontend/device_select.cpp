#include "frontend/device_select.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "facade/scsi_wrapper.h"
#include "frontend/banners.h"
#include "frontend/console_streams.h"
#include "frontend/globals.h"
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

void take_device(int32_t position) {
  ScsiWrapper& facade = *g_pScsiWrapper;
  CopyCut(g_pFlags.DeviceFile, OrEmpty(facade.GetDeviceFilename(position)));
  g_pFlags.DeviceIndex = position;
  facade.SetDeviceSelected(position);
  g_pFlags.DriveType = facade.GetDriveType();
  facade.SetDriveTypeCode(g_pFlags.DriveType);
  std::printf("Selected device = [%s] [%s] [%s]\n", OrEmpty(facade.GetSerialNumber(position)),
              OrEmpty(facade.GetDeviceFilename(position)), OrEmpty(facade.GetDeviceDescription(position)));
  g_pScriptlist.reset(new (std::nothrow) Skerry_Scriptlist);
  PrintFamilies(g_pFlags.DriveType);
}

bool init_dll(const char* device) {
  if (!g_pScsiWrapper) {
    print_memory_banner();
    return false;
  }
  devCount = g_pScsiWrapper->InitScsiDll(device);
  if (devCount != 0) return true;
  PrintNotFoundReport(device);
  g_pScsiWrapper->UninitScsiDll();
  cleanup();
  return false;
}

bool find_user_device() {
  for (int32_t i = 0; i < devCount; ++i) {
    const char* name = g_pScsiWrapper->GetDeviceFilename(i);
    if (name != nullptr && std::strcmp(name, g_pFlags.DeviceFile) == 0) {
      take_device(i);
      return true;
    }
  }
  return false;
}

bool process_f(const char* name) {
  if (name == nullptr) {
    if (!init_dll(nullptr)) return false;
    if (!select_device()) return false;
    return true;
  }
  if (!SetField(g_pFlags.DeviceFile, name)) {
    std::fprintf(ErrorStream(), "Vexil: the device file name is too long (at most %zu characters).\n",
                 sizeof g_pFlags.DeviceFile - 1);
    return false;
  }
  if (name[0] == '-') {
    printsyntax(0, nullptr);
    cleanup();
    return false;
  }
  // Not even opened: closing /dev/stN would rewind the cartridge.
  if (IsTapeNode(name)) {
    PrintTapeNodeHint(name);
    return false;
  }
  if (!init_dll(name)) return false;
  if (!find_user_device()) {
    std::fputs("Device not found or not supported by Vexil!\n", ErrorStream());
    PrintHiddenChangerHint();
    return false;
  }
  return true;
}
