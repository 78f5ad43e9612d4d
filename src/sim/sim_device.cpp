#include "sim/sim_device.h"

#include <algorithm>

#include "sim/event_log_text.h"
#include "sim/handlers.h"
#include "sim/mode_page_defaults.h"
#include "sim/tape_formats.h"

namespace {

// Commands that neither report nor clear a pending unit attention.
bool KeepsAttention(uint8_t opcode) { return opcode == 0x12 || opcode == 0x03 || opcode == 0xA0; }

}  // namespace

void PutText(std::vector<uint8_t>& b, size_t at, size_t n, const std::string& text) {
  if (b.size() < at + n) b.resize(at + n);
  for (size_t i = 0; i < n; ++i) b[at + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
}

void CutTo(SimReply& reply, size_t allocation) {
  if (reply.data.size() > allocation) reply.data.resize(allocation);
}

SimDevice::SimDevice(const SimDeviceConfig& c, SimBench* b, int device_id)
    : config(c), model(ModelOf(c)), bench(b), id(device_id) {
  power_on_ = bench->Now();
  if (IsTape()) {
    density = model.density;
    trace = MakeTraceBuffer(config);
    cartridge_in_throat = false;
    if (IsDat()) write_errors.uncorrected = read_errors.uncorrected = 1;
    NewCartridgeMemory(*this);
  }
  if (IsChanger()) {
    slot_full.assign(static_cast<size_t>(std::max(config.slots, 1)), false);
    slot_source.assign(slot_full.size(), -1);
    // A half-filled magazine; the first slot's cartridge sits in the drive.
    for (size_t i = 1; i < slot_full.size() && i <= slot_full.size() / 2; ++i) slot_full[i] = true;
    drive_source = kFirstSlotAddress;
  }
  if (config.type != SimDeviceType::kDisk) events.assign(std::begin(kSimEventPackets), std::end(kSimEventPackets));
  InitModePages(*this);
}

uint32_t SimDevice::PowerOnHours() const {
  struct timeval now = bench->Now();
  long seconds = now.tv_sec - power_on_.tv_sec;
  return power_on_base + static_cast<uint32_t>(std::max(0L, seconds) / 3600);
}

std::vector<uint8_t> SimDevice::MakeSense(uint8_t key, uint8_t asc, uint8_t ascq, const SenseDetail& d) const {
  std::vector<uint8_t> s(32, 0);
  s[0] = 0x70 | (d.info_valid ? 0x80 : 0x00);
  s[2] = static_cast<uint8_t>((key & 0x0F) | (d.filemark ? 0x80 : 0) | (d.eom ? 0x40 : 0) | (d.ili ? 0x20 : 0));
  PutBe(s, 3, 4, static_cast<uint32_t>(d.info));
  s[7] = 24;  // additional sense length: 32 bytes in all
  s[12] = asc;
  s[13] = ascq;
  if (d.field_pointer >= 0) {
    s[15] = d.in_parameters ? 0x80 : 0xC0;  // SKSV, and C/D when the error is in the CDB
    PutBe(s, 16, 2, static_cast<uint32_t>(d.field_pointer));
  }
  uint32_t poh = PowerOnHours();
  PutBe(s, 19, 2, poh / 3);  // tape-motion hours
  PutBe(s, 21, 4, poh);
  PutBe(s, 25, 4, static_cast<uint32_t>(generation));
  return s;
}

void SimDevice::Fail(SimReply& reply, uint8_t key, uint8_t asc, uint8_t ascq, const SenseDetail& detail) {
  reply.check = true;
  reply.sense = MakeSense(key, asc, ascq, detail);
}

void SimDevice::Execute(const SimRequest& request, SimReply& reply) {
  const uint8_t opcode = request.cdb[0];
  if (unit_attention && !KeepsAttention(opcode)) {
    unit_attention = false;
    Fail(reply, 0x06, ua_asc, ua_ascq);
    deferred_sense = reply.sense;
    return;
  }
  if (opcode != 0x03) deferred_sense.clear();
  if (SimHandler handler = FindHandler(*this, opcode)) {
    handler(*this, request, reply);
  } else {
    SenseDetail at_opcode;
    at_opcode.field_pointer = 0;
    Fail(reply, 0x05, 0x20, 0x00, at_opcode);
  }
  if (reply.check) deferred_sense = reply.sense;
}

void SimDevice::Reset() {
  unit_attention = true;
  ua_asc = 0x29;
  ua_ascq = 0x00;
  deferred_sense.clear();
  position = 0;
  download.clear();
  download_open = false;
  first_piece = 0;
}

std::vector<uint8_t> ToDescriptorSense(const std::vector<uint8_t>& fixed) {
  std::vector<uint8_t> f = fixed;
  f.resize(std::max<size_t>(f.size(), 18), 0);
  std::vector<uint8_t> s;
  s.reserve(64);
  s.assign({0x72, static_cast<uint8_t>(f[2] & 0x0F), f[12], f[13], 0, 0, 0, 0});
  // ATA status return: error ABRT, device 40h, status DRDY|DSC|ERR.
  s.insert(s.end(), {0x09, 0x0C, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x51});
  if (f[0] & 0x80) {  // information
    s.insert(s.end(), {0x00, 0x0A, 0x80, 0x00, 0, 0, 0, 0, f[3], f[4], f[5], f[6]});
  }
  if (f[2] & 0xE0) {  // stream commands: filemark, EOM, ILI
    s.insert(s.end(), {0x04, 0x02, 0x00, static_cast<uint8_t>(f[2] & 0xE0)});
  }
  if (f[8] | f[9] | f[10] | f[11]) {  // the vendor event code, in a vendor-specific descriptor
    s.insert(s.end(), {0x80, 0x06, f[8], f[9], f[10], f[11], 0x00, 0x00});
  }
  s[7] = static_cast<uint8_t>(s.size() - 8);
  return s;
}
