// The command handlers of the virtual devices, one per operation code, and
// the lookup through the per-type tables (command_tables.cpp).
#pragma once

#include "sim/sim_device.h"

using SimHandler = void (*)(SimDevice&, const SimRequest&, SimReply&);

struct SimOpcode {
  uint8_t opcode;
  SimHandler handler;
};

// The handler for an opcode on this device (its personality first, then its
// type's table), or null for an opcode the device does not know.
SimHandler FindHandler(const SimDevice& device, uint8_t opcode);

// standard_devices.cpp: the handler that stands in for this opcode on a
// device of another maker (SimDeviceConfig::standard_only), or null.
SimHandler StandardOnlyHandler(uint8_t opcode);

// Every device type (inquiry.cpp, status_commands.cpp).
void Inquiry(SimDevice&, const SimRequest&, SimReply&);
void RequestSense(SimDevice&, const SimRequest&, SimReply&);
void ReadyUnit(SimDevice&, const SimRequest&, SimReply&);
void ReportLuns(SimDevice&, const SimRequest&, SimReply&);
void SendDiagnostic(SimDevice&, const SimRequest&, SimReply&);
void ReceiveDiagnostic(SimDevice&, const SimRequest&, SimReply&);
void PreventAllowRemoval(SimDevice&, const SimRequest&, SimReply&);

// mode_pages.cpp
void ModeSense6(SimDevice&, const SimRequest&, SimReply&);
void ModeSense10(SimDevice&, const SimRequest&, SimReply&);
void ModeSelect6(SimDevice&, const SimRequest&, SimReply&);
void ModeSelect10(SimDevice&, const SimRequest&, SimReply&);
void InitModePages(SimDevice&);

// log_pages.cpp
void LogSense(SimDevice&, const SimRequest&, SimReply&);
void LogSelect(SimDevice&, const SimRequest&, SimReply&);

// buffers.cpp
void ReadBuffer(SimDevice&, const SimRequest&, SimReply&);
void WriteBuffer(SimDevice&, const SimRequest&, SimReply&);
void WriteBufferAppending(SimDevice&, const SimRequest&, SimReply&);
std::vector<uint8_t> MakeTraceBuffer(const SimDeviceConfig&);
// A download whose last piece did not say so completes once the host has
// been quiet for a while; *at is when that happened.
bool IdleActivationDue(const SimDevice&, struct timeval now, struct timeval* at);
void ActivateIdle(SimDevice&, struct timeval at);

// tape_drive.cpp
void TapeReady(SimDevice&, const SimRequest&, SimReply&);
void Rewind(SimDevice&, const SimRequest&, SimReply&);
void ReadBlockLimits(SimDevice&, const SimRequest&, SimReply&);
void Read6(SimDevice&, const SimRequest&, SimReply&);
void Write6(SimDevice&, const SimRequest&, SimReply&);
void WriteFilemarks(SimDevice&, const SimRequest&, SimReply&);
void Space(SimDevice&, const SimRequest&, SimReply&);
void Erase(SimDevice&, const SimRequest&, SimReply&);
void LoadUnload(SimDevice&, const SimRequest&, SimReply&);
void Locate10(SimDevice&, const SimRequest&, SimReply&);
void ReadPosition(SimDevice&, const SimRequest&, SimReply&);
void UpgradeTapeCommand(SimDevice&, const SimRequest&, SimReply&);
bool WriteTapeImage(SimDevice&, const std::vector<uint8_t>& image, SimReply&);

// upgrade_tapes.cpp: the vendor diagnostic pages of upgrade tapes (false
// for any other page) and the image the drive copies onto a tape.
bool UpgradeTapePage(SimDevice&, const SimRequest&, SimReply&);
std::vector<uint8_t> OwnFirmwareImage(const SimDevice&);
void FormatMedium(SimDevice&, const SimRequest&, SimReply&);
bool TapeLoaded(const SimDevice&);
enum class CartridgeAccess { kFull, kReadOnly, kNone };
CartridgeAccess Access(const SimDevice&);
// Density code of the loaded cartridge.
uint8_t MediumDensity(const SimDevice&);
// The cartridge in the throat (or a new one) goes in: the flags of the
// cartridge before go, and a cleaning cartridge cleans the drive.
void LoadCartridge(SimDevice&);
// TapeAlert flags of the drive's lasting conditions (cleaning, a cartridge
// it cannot use), added to `flags`.
void AddConditionAlerts(const SimDevice&, std::vector<int>& flags);

// attributes.cpp: the cartridge memory (medium auxiliary memory).
void ReadAttribute(SimDevice&, const SimRequest&, SimReply&);
void WriteAttribute(SimDevice&, const SimRequest&, SimReply&);
// A new cartridge's memory, as if it had just been loaded into this drive.
void NewCartridgeMemory(SimDevice&);
// The cartridge goes in (one more load, this drive the last to load it) or
// comes out (what moved in this load goes into its lifetime figures).
void CartridgeMemoryLoaded(SimDevice&);
void CartridgeMemoryUnloaded(SimDevice&);
// A text attribute as the bench gives it: ASCII padded with blanks, text
// with zero bytes, to the standard length of the attribute.
void StoreAttribute(SimDevice&, uint16_t id, const std::string& text);

// density_support.cpp
void ReportDensitySupport(SimDevice&, const SimRequest&, SimReply&);

// changer.cpp
void ReadElementStatus(SimDevice&, const SimRequest&, SimReply&);
void MoveMedium(SimDevice&, const SimRequest&, SimReply&);
void InitializeElementStatus(SimDevice&, const SimRequest&, SimReply&);

// disk.cpp
void ReadCapacity10(SimDevice&, const SimRequest&, SimReply&);
void StartStopUnit(SimDevice&, const SimRequest&, SimReply&);
void AtaPassThrough12(SimDevice&, const SimRequest&, SimReply&);
