// Operation code -> handler, one table per device type; personalities
// override single entries.
#include <span>

#include "sim/handlers.h"

namespace {

constexpr SimOpcode kTapeCommands[] = {
    {0x00, TapeReady},
    {0x01, Rewind},
    {0x03, RequestSense},
    {0x04, FormatMedium},
    {0x05, ReadBlockLimits},
    {0x08, Read6},
    {0x0A, Write6},
    {0x10, WriteFilemarks},
    {0x11, Space},
    {0x12, Inquiry},
    {0x15, ModeSelect6},
    {0x19, Erase},
    {0x1A, ModeSense6},
    {0x1B, LoadUnload},
    {0x1C, ReceiveDiagnostic},
    {0x1D, SendDiagnostic},
    {0x1E, PreventAllowRemoval},
    {0x20, UpgradeTapeCommand},
    {0x2B, Locate10},
    {0x34, ReadPosition},
    {0x3B, WriteBuffer},
    {0x3C, ReadBuffer},
    {0x44, ReportDensitySupport},
    {0x4C, LogSelect},
    {0x4D, LogSense},
    {0x55, ModeSelect10},
    {0x5A, ModeSense10},
    {0x8C, ReadAttribute},
    {0x8D, WriteAttribute},
    {0xA0, ReportLuns},
};

constexpr SimOpcode kChangerCommands[] = {
    {0x00, ReadyUnit},         {0x03, RequestSense},   {0x07, InitializeElementStatus},
    {0x12, Inquiry},           {0x15, ModeSelect6},    {0x1A, ModeSense6},
    {0x1C, ReceiveDiagnostic}, {0x1D, SendDiagnostic}, {0x1E, PreventAllowRemoval},
    {0x3B, WriteBuffer},       {0x3C, ReadBuffer},     {0x4C, LogSelect},
    {0x4D, LogSense},          {0x55, ModeSelect10},   {0x5A, ModeSense10},
    {0xA0, ReportLuns},        {0xA5, MoveMedium},     {0xB8, ReadElementStatus},
};

constexpr SimOpcode kDiskCommands[] = {
    {0x00, ReadyUnit},     {0x03, RequestSense},   {0x12, Inquiry},        {0x1A, ModeSense6},
    {0x1B, StartStopUnit}, {0x1D, SendDiagnostic}, {0x25, ReadCapacity10}, {0x3B, WriteBuffer},
    {0x3C, ReadBuffer},    {0x5A, ModeSense10},    {0xA0, ReportLuns},     {0xA1, AtaPassThrough12},
};

// DAT drives, and the Ultrium drives of one maker, take every firmware
// piece at offset 0 and append it.
constexpr SimOpcode kDatOverrides[] = {
    {0x3B, WriteBufferAppending},
};

SimHandler Lookup(std::span<const SimOpcode> table, uint8_t opcode) {
  for (const SimOpcode& entry : table) {
    if (entry.opcode == opcode) return entry.handler;
  }
  return nullptr;
}

}  // namespace

SimHandler FindHandler(const SimDevice& device, uint8_t opcode) {
  if (device.config.standard_only) {
    if (SimHandler h = StandardOnlyHandler(opcode)) return h;
  }
  if (device.model.dat_commands) {
    if (SimHandler h = Lookup(kDatOverrides, opcode)) return h;
  }
  switch (device.config.type) {
    case SimDeviceType::kTape:
      return Lookup(kTapeCommands, opcode);
    case SimDeviceType::kChanger:
      return Lookup(kChangerCommands, opcode);
    case SimDeviceType::kDisk:
      return Lookup(kDiskCommands, opcode);
  }
  return nullptr;
}
