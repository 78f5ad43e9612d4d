#include "frontend/health_fixture.h"

namespace fixture {

DeviceHealth HealthyDrive() {
  DeviceHealth d;
  d.node = "/dev/sg1";
  d.vendor = "HP";
  d.product = "Ultrium 6-SCSI";
  d.serial = "HU1234567A";
  d.revision = "J5SW";
  d.hctl = "2:0:1:0";
  d.type = "tape";
  d.by_id = "/dev/tape/by-id/scsi-HU1234567A";
  d.st = "/dev/st0";
  d.nst = "/dev/nst0";
  d.verdict = HealthVerdict::kOk;
  d.tape_alert_page = "12h";
  d.write_errors_corrected = 0;
  d.write_errors_uncorrected = 0;
  d.read_errors_corrected = 12;
  d.read_errors_uncorrected = 0;
  d.temperature_c = 38;
  d.temperature_reference_c = 55;
  d.lifetime_loads = 1234;
  d.lifetime_cleanings = 5;
  d.power_on_hours = 4321;
  d.lifetime_mib_written = 123456;
  d.lifetime_mib_read = 234567;
  d.cleaning_required = false;
  return d;
}

DeviceHealth AlertingDrive() {
  DeviceHealth d = HealthyDrive();
  d.node = "/dev/sg2";
  d.serial = "HU7654321B";
  d.hctl = "2:0:2:0";
  d.by_id = "/dev/tape/by-id/scsi-HU7654321B";
  d.st = "/dev/st1";
  d.nst = "/dev/nst1";
  d.verdict = HealthVerdict::kFail;
  d.tape_alerts = {3, 20};
  d.findings = {
      {HealthVerdict::kFail, "tapealert", 3, "TapeAlert 3 Hard error",
       "copy the data off the cartridge and run a diagnostic"},
      {HealthVerdict::kWarning, "tapealert", 20, "TapeAlert 20 Cleaning required", "load a cleaning cartridge"},
  };
  d.write_errors_uncorrected = 2;
  d.cleaning_required = true;
  return d;
}

DeviceHealth UnreadableDrive() {
  DeviceHealth d;
  d.node = "/dev/sg3";
  d.vendor = "IBM";
  d.product = "ULT3580-TD8";
  d.revision = "N9M1";
  d.type = "tape";
  d.verdict = HealthVerdict::kUnreadable;
  d.findings = {
      {HealthVerdict::kUnreadable, "log", 0, "No health page could be read", "check the drive's power and cabling"}};
  return d;
}

DeviceHealth Changer() {
  DeviceHealth d;
  d.node = "/dev/sg4";
  d.vendor = "HP";
  d.product = "MSL G3 Series";
  d.serial = "DEC12345AB";
  d.revision = "8.20";
  d.changer = true;
  d.hctl = "2:0:1:1";
  d.type = "changer";
  d.verdict = HealthVerdict::kOk;
  d.tape_alert_page = "12h";
  return d;
}

DeviceHealth DriveWithCartridge() {
  DeviceHealth d = HealthyDrive();
  d.node = "/dev/sg5";
  d.vendor = "IBM";
  d.product = "ULT3580-TD7";
  d.serial = "1097000042";
  d.hctl = "3:0:5:0";
  d.by_id = "";
  d.st = "/dev/st2";
  d.nst = "";
  d.verdict = HealthVerdict::kWarning;
  d.temperature_c = 53;
  d.findings = {{HealthVerdict::kWarning, "temperature", 0, "Temperature 53 C, near the reference 55 C",
                 "check the cooling of the drive"}};
  d.tape_alert_page = "2Eh";
  d.cartridge_loaded = true;
  CartridgeMemory m;
  m.medium_serial = "CM4711";
  m.manufacturer = "FUJIFILM";
  m.manufacture_date = "20210304";
  m.barcode = "A00042L7";
  m.medium_type = "data";
  m.density_code = 0x5C;
  m.generation = 7;
  m.load_count = 57;
  m.mib_written = 2048000;
  m.mib_read = 1024000;
  m.mib_written_last_load = 1500;
  m.mib_read_last_load = 0;
  m.remaining_capacity_mib = 4000000;
  m.maximum_capacity_mib = 5723166;
  m.mam_space_remaining = 1024;
  m.mam_capacity = 16384;
  m.last_drives = {"IBM 1097000042", "HP HU1234567A"};
  d.cartridge = m;
  return d;
}

DeviceHealth HostileDrive() {
  DeviceHealth d;
  d.node = "/dev/sg6";
  d.vendor = "Q\"uote";
  d.product = "back\\slash\nline";
  d.serial = "SN|\x01\xff";
  d.revision = "\x7f\xc3\x28";
  d.by_id = "/dev/tape/by-id/scsi-caf\xc3\xa9";
  d.verdict = HealthVerdict::kWarning;
  d.tape_alerts = {21};
  d.tape_alert_page = "12h";
  d.findings = {
      {HealthVerdict::kWarning, "tapealert", 21, "TapeAlert 21 Clean \"periodic\"\t\xed\xa0\x80", "clean | soon\r\n"}};
  d.cartridge_loaded = true;
  CartridgeMemory m;
  m.barcode = std::string("NUL\0inside", 10);
  m.user_label = "\xe2\x82";             // cut short
  m.last_drives = {"\xf4\x90\x80\x80"};  // above U+10FFFF
  d.cartridge = m;
  return d;
}

std::vector<NamedDevice> AllDevices() {
  return {{"healthy", HealthyDrive}, {"alerting", AlertingDrive},       {"unreadable", UnreadableDrive},
          {"changer", Changer},      {"cartridge", DriveWithCartridge}, {"hostile", HostileDrive}};
}

HealthRun RunOf(std::vector<DeviceHealth> devices) {
  HealthRun run;
  run.devices = std::move(devices);
  return run;
}

std::vector<ListedDevice> ListedDevices() {
  return {
      {"/dev/sg1", "2:0:1:0", "tape", "HP", "Ultrium 6-SCSI", "J5SW", "HU1234567A", "/dev/st0", "/dev/nst0"},
      {"/dev/sg4", "2:0:1:1", "changer", "HP", "MSL G3 Series", "8.20", "DEC12345AB", "", ""},
      {"/dev/sg0", "0:0:0:0", "disk", "ATA", "Samsung SSD 870", "2B6Q", "", "", ""},
      {"/dev/sg6", "3:0:0:0", "tape", "Q\"uote", "back\\slash\x1b[31m", "\xff", "caf\xc3\xa9", "", ""},
  };
}

ScriptRunReport PassedRun() { return {"LTO_QUICK.SCS", "/dev/sg1", 0, "Logs/HU1234567A_LTO_QUICK.log", 12.5}; }
ScriptRunReport FailedRun() { return {"LTO_FULL.SCS", "/dev/sg2", 3, "Logs/HU7654321B_LTO_FULL.log", 3601.25}; }
ScriptRunReport HostileRun() { return {"we\"ird\\name\x01.SCS", "", -1, "", 0}; }

}  // namespace fixture
