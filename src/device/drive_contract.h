// Everything the console sends a drive beyond the published SCSI command
// sets, and what it relies on in the answer, in one place. The virtual
// drives (src/sim) answer each of these; a real drive that does not simply
// rejects them and the operation reports the sense.
#pragma once

#include <cstdint>

namespace contract {

// Log pages read with LOG SENSE (standard parameter-list form).
inline constexpr uint8_t kSupportedPagesLog = 0x00;
inline constexpr uint8_t kEventLogPage = 0x07;  // text packets, one per parameter, zero-separated
inline constexpr uint8_t kSequentialAccessLog = 0x0C;
inline constexpr uint8_t kTapeAlertLog = 0x2E;  // flags 1-64, one byte each, bit 0 = set
inline constexpr uint8_t kVendorHoursLog = 0x31;
inline constexpr uint8_t kWriteBackLog = 0x38;  // write-back data of some generations, from byte 8
// Parameter tables 2 and 3: byte 2 of LOG SENSE is sent as is, so these are
// the write and read error counter pages (02h, 03h) with page control 01b
// (cumulative values).
inline constexpr uint8_t kVendorParameterLogA = 0x42;
inline constexpr uint8_t kVendorParameterLogB = 0x43;
// LOG SELECT with PCR: the drive resets its counters and its alert flags.
inline constexpr uint8_t kLogSelectParameterReset = 0x02;

// Named drive parameters: MODE SELECT(6) of a vendor page holding the text
// "NAME VALUE\n"; some families take the same text in page 30h.
inline constexpr uint8_t kParameterPage = 0x3E;
inline constexpr uint8_t kParameterFallbackPage = 0x30;
inline constexpr const char* kFallbackFamilies[] = {"ZEP1", "WN80"};
inline constexpr const char* kSerialNumberParameter = "BRICKSERNUM";
inline constexpr const char* kRebuildParameter = "FORCEEEREBUILD";
inline constexpr const char* kRawErrorLoggingParameter = "ENALOGSNSRAWERR";
inline constexpr const char* kScsiEjectParameter = "NOSCSIEJECT";
inline constexpr const char* kRebuildSegmentParameter = "REBUILDSEGMENT";
inline constexpr const char* kNonImmediateDownloadParameter = "ENANONIMMFUP";
inline constexpr const char* kPersonalityOverrideParameter = "EEPERSOVR";
// A setting text "NAME VALUE" takes values of at most this many characters.
inline constexpr int kParameterValueLimit = 15;

// READ BUFFER ids the drives answer.
inline constexpr uint8_t kBufferData = 0x00;
inline constexpr uint8_t kBufferImmediateFirmware = 0x04;
inline constexpr uint8_t kBufferTrace = 0x07;
inline constexpr uint8_t kBufferWriteBack = 0x80;  // descriptor mode gives its capacity in bytes 1-3
inline constexpr uint8_t kBufferVendorA = 0x81;
inline constexpr uint8_t kBufferVendorB = 0x82;
inline constexpr uint8_t kBufferAll = 0xFF;
inline constexpr uint8_t kReadBufferData = 0x02;
inline constexpr uint8_t kReadBufferDescriptor = 0x03;

// Text event log packets: what the decoder relies on.
inline constexpr const char* kPacketKeyword = "PACKET";
inline constexpr const char* kPacketFormat = "PACKET # %ld ";

// Element status: 8-byte header, 8-byte page header, 16-byte descriptors
// (address in bytes 0-1, Full in bit 0 of byte 2).
inline constexpr int kElementHeader = 16;
inline constexpr int kElementDescriptor = 16;

// ---- the other exchanges, used by identification, sense, firmware and the
// script hooks; named here so the whole contract reads in one place ----

// INQUIRY: 48 bytes while probing; byte 36 carries a family nibble.
inline constexpr int kProbeInquiryAllocation = 48;
inline constexpr int kFamilyNibbleByte = 36;
// Vital product data pages: serial number, build data, Dell vendor page.
inline constexpr uint8_t kSerialNumberPage = 0x80;
inline constexpr uint8_t kBuildDataPage = 0xC0;
inline constexpr int kBuildDataAllocation = 64;
inline constexpr uint8_t kDellVendorPage = 0xDC;
inline constexpr int kDellVendorAllocation = 36;
// Sense: REQUEST SENSE when the driver returned none; fixed format with
// vendor-specific bytes 8-11 and a further vendor counter in bytes 25-28.
inline constexpr int kRequestSenseAllocation = 255;
inline constexpr int kVendorSenseByte = 8;
inline constexpr int kVendorCounterByte = 25;
// Upgrade tapes: SEND DIAGNOSTIC vendor pages and the 10-byte vendor command.
inline constexpr uint8_t kUpgradeDiagnosticPages[] = {0x80, 0xA1, 0x99};
inline constexpr uint8_t kUpgradeTapeCommand = 0x20;
// ATA devices: ATA PASS-THROUGH(12) carrying the eight register bytes.
inline constexpr uint8_t kAtaPassThrough12 = 0xA1;

}  // namespace contract
