// Tape motion: the virtual cartridge is a list of blocks and filemarks with
// end of data after the last entry.
#include <algorithm>

#include "sim/handlers.h"
#include "sim/tape_formats.h"

namespace {

constexpr uint32_t kMaxBlock = 0x800000;

int GenerationOf(uint8_t density) {
  const SimFormat* f = FormatOf(density);
  return f == nullptr ? 0 : f->lto_generation;
}

// Early warning: the last sixteenth of the medium.
bool PastEarlyWarning(const SimDevice& d) { return d.tape_bytes + d.capacity / 16 > d.capacity; }

void Raise(SimDevice& d, int flag) {
  if (std::find(d.raised_alerts.begin(), d.raised_alerts.end(), flag) == d.raised_alerts.end())
    d.raised_alerts.push_back(flag);
}

// The flags that belong to the cartridge go with it.
void ForgetCartridgeAlerts(SimDevice& d) {
  std::erase_if(d.raised_alerts,
                [](int flag) { return flag == sim_alert::kWriteProtect || flag == sim_alert::kReadOnlyFormat; });
}

bool NeedTape(SimDevice& d, SimReply& reply) {
  if (!TapeLoaded(d)) {
    d.Fail(reply, 0x02, 0x3A, 0x00);
    return false;
  }
  if (d.cleaner != SimDevice::Cleaner::kNone) {
    d.Fail(reply, 0x02, 0x30, 0x03);  // cleaning cartridge installed
    return false;
  }
  if (Access(d) == CartridgeAccess::kNone) {
    d.Fail(reply, 0x02, 0x30, 0x00);  // incompatible medium installed
    return false;
  }
  return true;
}

// A loaded cartridge the drive may write on. A refused write raises the
// TapeAlert flag that says why.
bool NeedWritable(SimDevice& d, SimReply& reply) {
  if (!NeedTape(d, reply)) return false;
  if (Access(d) == CartridgeAccess::kFull) return true;
  Raise(d, d.write_protect ? sim_alert::kWriteProtect : sim_alert::kReadOnlyFormat);
  d.Fail(reply, 0x07, 0x27, 0x00);  // write protected
  return false;
}

// Data crosses the heads at the native rate of the cartridge's format.
void CrossesTheHeads(const SimDevice& d, SimReply& reply, uint64_t bytes) {
  if (const SimFormat* f = FormatOf(MediumDensity(d)))
    reply.data_microseconds += static_cast<int64_t>(static_cast<double>(bytes) / f->rate);
}

// A good cleaning cartridge cleans the drive as it is loaded.
void CleanOnLoad(SimDevice& d) {
  if (d.cleaner != SimDevice::Cleaner::kGood) return;
  d.cleaning = SimDevice::Cleaning::kNone;
  ++d.lifetime.cleanings;
}

void InvalidField(SimDevice& d, SimReply& reply, int at) {
  SenseDetail field;
  field.field_pointer = at;
  d.Fail(reply, 0x05, 0x24, 0x00, field);
}

SenseDetail Residue(int64_t left) {
  SenseDetail s;
  s.info_valid = true;
  s.info = static_cast<int32_t>(left);
  return s;
}

// Writing anywhere but at end of data makes this the new end of data.
void CutAtPosition(SimDevice& d) {
  for (size_t i = d.position; i < d.tape.size(); ++i) {
    if (d.tape[i].data) d.tape_bytes -= d.tape[i].data->size();
  }
  d.tape.resize(d.position);
}

// End of data met while reading or spacing forward.
void BlankCheck(SimDevice& d, SimReply& reply, int64_t left) { d.Fail(reply, 0x08, 0x00, 0x05, Residue(left)); }

void FilemarkMet(SimDevice& d, SimReply& reply, int64_t left) {
  SenseDetail s = Residue(left);
  s.filemark = true;
  d.Fail(reply, 0x00, 0x00, 0x01, s);
}

void BeginningMet(SimDevice& d, SimReply& reply, int64_t left) {
  SenseDetail s = Residue(left);
  s.eom = true;
  d.Fail(reply, 0x00, 0x00, 0x04, s);
}

// Appends one block, sharing the bytes with the block before when equal so
// long pattern writes cost little memory.
void AppendBlock(SimDevice& d, std::vector<uint8_t> bytes) {
  TapeEntry e;
  if (!d.tape.empty() && d.tape.back().data && *d.tape.back().data == bytes) {
    e.data = d.tape.back().data;
  } else {
    e.data = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  }
  d.tape_bytes += e.data->size();
  d.tape.push_back(std::move(e));
  d.position = d.tape.size();
}

uint32_t FilemarksBefore(const SimDevice& d, size_t position) {
  return static_cast<uint32_t>(
      std::count_if(d.tape.begin(), d.tape.begin() + position, [](const TapeEntry& e) { return e.filemark; }));
}

}  // namespace

bool TapeLoaded(const SimDevice& d) { return d.config.medium_loaded; }

// An LTO drive writes its own generation and the one before, reads one
// more back, and refuses the rest; the write-protect tab makes any
// cartridge read-only.
CartridgeAccess Access(const SimDevice& d) {
  const int drive = GenerationOf(d.model.density);
  const int cartridge = d.cartridge_generation;
  if (cartridge != 0 && drive != 0) {
    if (cartridge > drive || drive - cartridge > 2) return CartridgeAccess::kNone;
    if (drive - cartridge == 2) return CartridgeAccess::kReadOnly;
  }
  return d.write_protect ? CartridgeAccess::kReadOnly : CartridgeAccess::kFull;
}

uint8_t MediumDensity(const SimDevice& d) {
  const SimFormat* cartridge = LtoFormat(d.cartridge_generation);
  return cartridge != nullptr ? cartridge->density : d.density;
}

void AddConditionAlerts(const SimDevice& d, std::vector<int>& flags) {
  if (!d.IsTape()) return;
  if (d.cleaning == SimDevice::Cleaning::kNow) flags.push_back(sim_alert::kCleanNow);
  if (d.cleaning == SimDevice::Cleaning::kPeriodic) flags.push_back(sim_alert::kCleanPeriodic);
  if (!TapeLoaded(d)) return;
  if (d.cleaner == SimDevice::Cleaner::kGood) flags.push_back(sim_alert::kCleaningMedia);
  if (d.cleaner == SimDevice::Cleaner::kExpired) flags.push_back(sim_alert::kExpiredCleaningMedia);
  if (d.cleaner == SimDevice::Cleaner::kNone && Access(d) == CartridgeAccess::kNone)
    flags.push_back(sim_alert::kUnsupportedFormat);
}

void LoadCartridge(SimDevice& d) {
  d.config.medium_loaded = true;
  d.cartridge_in_throat = false;
  d.position = 0;
  ForgetCartridgeAlerts(d);
  CleanOnLoad(d);
  ++d.lifetime.loads;
  CartridgeMemoryLoaded(d);
}

// TEST UNIT READY: 00 00 00 00 00 control
void TapeReady(SimDevice& d, const SimRequest&, SimReply& reply) { NeedTape(d, reply); }

// REWIND: 01 immed 00 00 00 control
void Rewind(SimDevice& d, const SimRequest&, SimReply& reply) {
  if (!NeedTape(d, reply)) return;
  d.position = 0;
}

// READ BLOCK LIMITS: 05 00 00 00 00 control
void ReadBlockLimits(SimDevice& d, const SimRequest&, SimReply& reply) {
  reply.data.assign(6, 0);
  PutBe(reply.data, 1, 3, d.IsDat() ? 0xFFFFFF : kMaxBlock);
  PutBe(reply.data, 4, 2, 1);
}

namespace {

// The blocks a READ(6) asks for, as far as the tape has them.
void ReadBlocks(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool fixed = r.cdb[1] & 0x01;
  const bool sili = r.cdb[1] & 0x02;
  const uint32_t count = GetBe(r.cdb, 2, 3);
  if (fixed && (sili || d.block_size == 0)) return InvalidField(d, reply, 1);
  if (!NeedTape(d, reply) || count == 0) return;
  const uint32_t blocks = fixed ? count : 1;
  for (uint32_t i = 0; i < blocks; ++i) {
    const int64_t left = fixed ? blocks - i : count;
    if (d.position >= d.tape.size()) return BlankCheck(d, reply, left);
    const TapeEntry& e = d.tape[d.position++];
    if (e.filemark) return FilemarkMet(d, reply, left);
    const std::vector<uint8_t>& block = *e.data;
    const uint32_t wanted = fixed ? d.block_size : count;
    const size_t sent = std::min<size_t>(block.size(), wanted);
    reply.data.insert(reply.data.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(sent));
    d.bytes_read += sent;
    CrossesTheHeads(d, reply, block.size());
    if (block.size() != wanted && !(sili && block.size() < wanted)) {
      SenseDetail s = Residue(fixed ? left : int64_t{wanted} - static_cast<int64_t>(block.size()));
      s.ili = true;
      return d.Fail(reply, 0x00, 0x00, 0x00, s);
    }
  }
}

}  // namespace

// READ(6): 08 sili|fixed length(3) control
// More data than the host's buffer holds is a data overrun the adapter
// reports: nothing is silently cut.
void Read6(SimDevice& d, const SimRequest& r, SimReply& reply) {
  ReadBlocks(d, r, reply);
  if (reply.data.size() > r.data_in_max) reply.host_status = kDidError;
}

// WRITE(6): 0A fixed length(3) control
void Write6(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool fixed = r.cdb[1] & 0x01;
  const uint32_t count = GetBe(r.cdb, 2, 3);
  if (fixed && d.block_size == 0) return InvalidField(d, reply, 1);
  if (!fixed && count > kMaxBlock) return InvalidField(d, reply, 2);
  if (!NeedWritable(d, reply) || count == 0) return;
  const uint32_t blocks = fixed ? count : 1;
  const size_t length = fixed ? d.block_size : count;
  // The drive asks for every byte the CDB announced; a host that has fewer
  // leaves the data phase short, which the adapter reports. Nothing is
  // written: the drive never had the whole of it.
  if (r.data_out.size() < uint64_t{blocks} * length) {
    reply.host_status = kDidError;
    return;
  }
  CutAtPosition(d);
  for (uint32_t i = 0; i < blocks; ++i) {
    if (d.tape_bytes + length > d.capacity) {
      SenseDetail s = Residue(fixed ? blocks - i : count);
      s.eom = true;
      return d.Fail(reply, 0x0D, 0x00, 0x02, s);  // volume overflow
    }
    const auto from = r.data_out.begin() + static_cast<std::ptrdiff_t>(i * length);
    AppendBlock(d, std::vector<uint8_t>(from, from + static_cast<std::ptrdiff_t>(length)));
    d.bytes_written += length;
    CrossesTheHeads(d, reply, length);
  }
  if (PastEarlyWarning(d)) {
    SenseDetail s = Residue(0);
    s.eom = true;
    d.Fail(reply, 0x00, 0x00, 0x02, s);  // early warning, data written
  }
}

// WRITE FILEMARKS(6): 10 immed count(3) control
void WriteFilemarks(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const uint32_t count = GetBe(r.cdb, 2, 3);
  if (!NeedWritable(d, reply) || count == 0) return;
  CutAtPosition(d);
  for (uint32_t i = 0; i < count; ++i) d.tape.push_back(TapeEntry{true, nullptr});
  d.position = d.tape.size();
  if (PastEarlyWarning(d)) {
    SenseDetail s = Residue(0);
    s.eom = true;
    d.Fail(reply, 0x00, 0x00, 0x02, s);  // early warning, filemarks written
  }
}

// SPACE(6): 11 code count(3, signed) control
void Space(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const uint8_t code = r.cdb[1] & 0x07;
  int32_t count = static_cast<int32_t>(GetBe(r.cdb, 2, 3));
  if (count & 0x800000) count -= 0x1000000;
  if (code != 0 && code != 1 && code != 3) return InvalidField(d, reply, 1);
  if (!NeedTape(d, reply)) return;
  if (code == 3) {
    d.position = d.tape.size();
    return;
  }
  const bool blocks = code == 0;
  const int64_t wanted = count < 0 ? -int64_t{count} : count;
  for (int64_t done = 0; done < wanted;) {
    if (count > 0) {
      if (d.position >= d.tape.size()) return BlankCheck(d, reply, wanted - done);
      const bool fm = d.tape[d.position++].filemark;
      if (blocks && fm) return FilemarkMet(d, reply, wanted - done);
      if (!blocks && !fm) continue;
    } else {
      if (d.position == 0) return BeginningMet(d, reply, wanted - done);
      const bool fm = d.tape[--d.position].filemark;  // now on the side towards the beginning
      if (blocks && fm) return FilemarkMet(d, reply, wanted - done);
      if (!blocks && !fm) continue;
    }
    ++done;
  }
}

// ERASE(6): 19 long|immed 00 00 00 control
void Erase(SimDevice& d, const SimRequest& r, SimReply& reply) {
  if (!NeedWritable(d, reply)) return;
  CutAtPosition(d);
  if (r.cdb[1] & 0x01) reply.seconds = 120;  // a long erase takes its time
}

// LOAD UNLOAD: 1B immed 00 00 hold|eot|reten|load control
void LoadUnload(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool load = r.cdb[4] & 0x01;
  if (load) {
    if (!d.config.medium_loaded && !d.cartridge_in_throat) return d.Fail(reply, 0x02, 0x3A, 0x00);
    if (!d.config.medium_loaded) LoadCartridge(d);
    d.position = 0;
    reply.seconds = 5;
    return;
  }
  if (!d.config.medium_loaded) {
    if (!d.cartridge_in_throat) d.Fail(reply, 0x02, 0x3A, 0x00);
    return;
  }
  if (d.prevent_removal) {
    ++d.lifetime.removal_prevented;
    return d.Fail(reply, 0x05, 0x53, 0x02);
  }
  CartridgeMemoryUnloaded(d);
  d.config.medium_loaded = false;
  d.cartridge_in_throat = true;
  d.position = 0;
  ForgetCartridgeAlerts(d);
  reply.seconds = 5;
}

// LOCATE(10): 2B cp|immed 00 address(4) 00 partition control
void Locate10(SimDevice& d, const SimRequest& r, SimReply& reply) {
  if ((r.cdb[1] & 0x02) && r.cdb[8] != 0) return InvalidField(d, reply, 8);
  if (!NeedTape(d, reply)) return;
  const uint32_t address = GetBe(r.cdb, 3, 4);
  if (address > d.tape.size()) {
    d.position = d.tape.size();
    return BlankCheck(d, reply, 0);
  }
  d.position = address;
}

// READ POSITION: 34 service-action 00 ... alloc(2, extended form) control
void ReadPosition(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const uint8_t form = r.cdb[1] & 0x1F;
  if (form != 0 && form != 1 && form != 6 && form != 8) return InvalidField(d, reply, 1);
  if (!NeedTape(d, reply)) return;
  const uint8_t flags = (d.position == 0 ? 0x80 : 0x00) | (PastEarlyWarning(d) ? 0x40 : 0x00);
  std::vector<uint8_t>& p = reply.data;
  if (form == 6) {  // long form
    p.assign(32, 0);
    p[0] = flags;
    PutBe(p, 8, 8, d.position);
    PutBe(p, 16, 8, FilemarksBefore(d, d.position));
  } else if (form == 8) {  // extended form
    p.assign(32, 0);
    p[0] = flags;
    PutBe(p, 2, 2, 0x1C);
    PutBe(p, 8, 8, d.position);
    PutBe(p, 16, 8, d.position);
    CutTo(reply, GetBe(r.cdb, 7, 2));
  } else {  // short form
    p.assign(20, 0);
    p[0] = flags;
    PutBe(p, 4, 4, d.position);
    PutBe(p, 8, 4, d.position);
  }
}

// The drive writes a whole image onto the cartridge by itself (upgrade
// tapes): one block at the current position, then a filemark.
bool WriteTapeImage(SimDevice& d, const std::vector<uint8_t>& image, SimReply& reply) {
  if (!NeedWritable(d, reply)) return false;
  CutAtPosition(d);
  AppendBlock(d, image);
  d.tape.push_back(TapeEntry{true, nullptr});
  d.position = d.tape.size();
  d.bytes_written += image.size();
  return true;
}

// Vendor 10-byte command of the upgrade tapes: 20 ...
void UpgradeTapeCommand(SimDevice& d, const SimRequest&, SimReply& reply) { NeedTape(d, reply); }

// FORMAT MEDIUM: 04 verify|immed format 00 length(2) control
// One partition from the beginning of the tape: everything on it is gone.
void FormatMedium(SimDevice& d, const SimRequest& r, SimReply& reply) {
  if (r.cdb[2] & 0x0F) return InvalidField(d, reply, 2);  // partitioned formats are not offered
  if (!NeedWritable(d, reply)) return;
  d.tape.clear();
  d.tape_bytes = 0;
  d.position = 0;
  reply.seconds = 40;
}
