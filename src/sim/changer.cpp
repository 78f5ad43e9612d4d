// Medium changer: one picker, one mail slot, one drive, a magazine of slots.
#include <algorithm>

#include "sim/handlers.h"
#include "sim/mode_page_defaults.h"

namespace {

constexpr uint8_t kFull = 0x01;
constexpr uint8_t kAccess = 0x08;
constexpr size_t kDescriptorLength = 16;

enum ElementType : uint8_t { kAll = 0, kTransport = 1, kStorage = 2, kMail = 3, kDrive = 4 };

struct Element {
  uint8_t type;
  uint16_t address;
  bool full;
  int source;  // element address the cartridge was last moved from, -1 none
};

bool DriveHoldsCartridge(SimDevice& changer) {
  if (SimDevice* drive = changer.bench->DriveOf(changer)) {
    return drive->config.medium_loaded || drive->cartridge_in_throat;
  }
  return changer.drive_full;
}

std::vector<Element> Elements(SimDevice& c) {
  std::vector<Element> all;
  all.push_back({kTransport, kTransportAddress, false, -1});
  for (size_t i = 0; i < c.slot_full.size(); ++i) {
    all.push_back({kStorage, static_cast<uint16_t>(kFirstSlotAddress + i), c.slot_full[i],
                   c.slot_full[i] ? c.slot_source[i] : -1});
  }
  all.push_back({kMail, kMailAddress, c.mail_full, c.mail_full ? c.mail_source : -1});
  const bool drive_full = DriveHoldsCartridge(c);
  all.push_back({kDrive, kDriveAddress, drive_full, drive_full ? c.drive_source : -1});
  return all;
}

void InvalidElement(SimDevice& d, SimReply& reply) { d.Fail(reply, 0x05, 0x21, 0x01); }

// The storage behind an element address, or false for an unknown one.
bool Slot(SimDevice& c, uint16_t address, int* index) {
  if (address == kMailAddress) {
    *index = -1;
    return true;
  }
  if (address == kDriveAddress) {
    *index = -2;
    return true;
  }
  if (address >= kFirstSlotAddress && address < kFirstSlotAddress + c.slot_full.size()) {
    *index = address - kFirstSlotAddress;
    return true;
  }
  return false;
}

bool IsFull(SimDevice& c, int index) {
  if (index == -1) return c.mail_full;
  if (index == -2) return DriveHoldsCartridge(c);
  return c.slot_full[static_cast<size_t>(index)];
}

// Fills or empties an element; a cartridge put in keeps the address of the
// element it came from, whatever its type (a slot, the mail slot, the drive).
void SetFull(SimDevice& c, int index, bool full, int source) {
  if (index == -1) {
    c.mail_full = full;
    c.mail_source = source;
  } else if (index == -2) {
    c.drive_full = full;
    c.drive_source = source;
    if (SimDevice* drive = c.bench->DriveOf(c)) {
      drive->config.medium_loaded = full;
      drive->cartridge_in_throat = false;
      drive->position = 0;
      if (full) {  // a new cartridge: not-ready-to-ready transition
        drive->unit_attention = true;
        drive->ua_asc = 0x28;
        drive->ua_ascq = 0x00;
      }
    }
  } else {
    c.slot_full[static_cast<size_t>(index)] = full;
    c.slot_source[static_cast<size_t>(index)] = source;
  }
}

}  // namespace

// READ ELEMENT STATUS: B8 voltag|type start(2) count(2) 00 alloc(3) 00 control
void ReadElementStatus(SimDevice& c, const SimRequest& r, SimReply& reply) {
  const uint8_t type = r.cdb[1] & 0x0F;
  const uint16_t start = static_cast<uint16_t>(GetBe(r.cdb, 2, 2));
  const uint32_t count = GetBe(r.cdb, 4, 2);
  if (type > kDrive) {
    SenseDetail field;
    field.field_pointer = 1;
    return c.Fail(reply, 0x05, 0x24, 0x00, field);
  }
  std::vector<Element> chosen;
  for (const Element& e : Elements(c)) {
    if ((type == kAll || e.type == type) && e.address >= start && chosen.size() < count) chosen.push_back(e);
  }
  std::vector<uint8_t>& out = reply.data;
  out.assign(8, 0);
  if (!chosen.empty()) PutBe(out, 0, 2, chosen.front().address);
  PutBe(out, 2, 2, chosen.size());
  for (uint8_t t : {kTransport, kStorage, kMail, kDrive}) {
    std::vector<uint8_t> page(8, 0);
    for (const Element& e : chosen) {
      if (e.type != t) continue;
      std::vector<uint8_t> desc(kDescriptorLength, 0);
      PutBe(desc, 0, 2, e.address);
      desc[2] = static_cast<uint8_t>((e.full ? kFull : 0) | (t == kTransport ? 0 : kAccess));
      if (e.source >= 0) {
        desc[9] = 0x80;  // source valid
        PutBe(desc, 10, 2, e.source);
      }
      page.insert(page.end(), desc.begin(), desc.end());
    }
    if (page.size() == 8) continue;
    page[0] = t;
    PutBe(page, 2, 2, kDescriptorLength);
    PutBe(page, 5, 3, page.size() - 8);
    out.insert(out.end(), page.begin(), page.end());
  }
  PutBe(out, 5, 3, out.size() - 8);
  CutTo(reply, GetBe(r.cdb, 7, 3));
}

// MOVE MEDIUM: A5 00 transport(2) source(2) destination(2) 00 00 00 control
void MoveMedium(SimDevice& c, const SimRequest& r, SimReply& reply) {
  const uint16_t transport = static_cast<uint16_t>(GetBe(r.cdb, 2, 2));
  int from = 0, to = 0;
  if (transport != kTransportAddress && transport != 0) return InvalidElement(c, reply);
  if (!Slot(c, static_cast<uint16_t>(GetBe(r.cdb, 4, 2)), &from) ||
      !Slot(c, static_cast<uint16_t>(GetBe(r.cdb, 6, 2)), &to)) {
    return InvalidElement(c, reply);
  }
  if (!IsFull(c, from)) return c.Fail(reply, 0x05, 0x3B, 0x0E);             // source empty
  if (from != to && IsFull(c, to)) return c.Fail(reply, 0x05, 0x3B, 0x0D);  // destination full
  if (from == -2) {
    SimDevice* drive = c.bench->DriveOf(c);
    if (drive && drive->prevent_removal) return c.Fail(reply, 0x05, 0x53, 0x02);
  }
  SetFull(c, from, false, -1);
  SetFull(c, to, true, static_cast<int>(GetBe(r.cdb, 4, 2)));
  reply.seconds = 20;
}

// INITIALIZE ELEMENT STATUS: 07 00 00 00 00 control
void InitializeElementStatus(SimDevice&, const SimRequest&, SimReply& reply) { reply.seconds = 30; }
