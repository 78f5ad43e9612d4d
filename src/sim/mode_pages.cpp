// MODE SENSE and MODE SELECT, six- and ten-byte forms.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "sim/handlers.h"
#include "sim/mode_page_defaults.h"

namespace {

// The parameter page this drive reads its "NAME VALUE" settings from.
uint8_t ParameterPage(const SimDevice& d) { return d.model.parameter_page; }

// What a drive does with a named parameter once it is set; false for a
// name it does not know.
struct NamedParameter {
  const char* name;
  void (*apply)(SimDevice&, const std::string& value);
};

void NoEffect(SimDevice&, const std::string&) {}

constexpr NamedParameter kNamedParameters[] = {
    {"BRICKSERNUM",
     [](SimDevice& d, const std::string& v) {
       if (!v.empty()) d.config.serial = v;
     }},
    // A forced rebuild of the drive's memory: the event log is gone and the
    // drive restarts.
    {"FORCEEEREBUILD",
     [](SimDevice& d, const std::string& v) {
       if (std::atol(v.c_str()) == 0) return;
       d.events.clear();
       d.Reset();
     }},
    // Segment rebuild, in two steps: 2 marks, 4 clears the event log.
    {"REBUILDSEGMENT",
     [](SimDevice& d, const std::string& v) {
       if (std::atol(v.c_str()) == 4 && d.parameters["REBUILDSEGMENT"] == "2") d.events.clear();
     }},
    {"ENALOGSNSRAWERR", NoEffect},
    {"NOSCSIEJECT", NoEffect},
    {"ENANONIMMFUP", NoEffect},
    {"EEPERSOVR", NoEffect},
};

bool HasBlockDescriptor(const SimDevice& d) { return d.config.type != SimDeviceType::kChanger; }

std::vector<uint8_t> BlockDescriptor(const SimDevice& d) {
  std::vector<uint8_t> bd(8, 0);
  if (d.IsTape()) {
    bd[0] = TapeLoaded(d) ? MediumDensity(d) : 0x00;
    PutBe(bd, 5, 3, d.block_size);
  } else {
    PutBe(bd, 1, 3, 0x100000);
    PutBe(bd, 5, 3, 512);
  }
  return bd;
}

// The page bytes to report for a page control value; false for a page the
// device does not have.
bool CollectPages(const SimDevice& d, uint8_t page, uint8_t control, std::vector<uint8_t>& out) {
  bool found = false;
  for (const auto& [code, bytes] : d.mode_pages) {
    if (page != 0x3F && code != page) continue;
    found = true;
    std::vector<uint8_t> p = bytes;
    if (control == 1 && p.size() > 2) std::fill(p.begin() + 2, p.end(), 0);  // nothing is changeable
    out.insert(out.end(), p.begin(), p.end());
  }
  return found;
}

void Sense(SimDevice& d, const SimRequest& r, SimReply& reply, bool ten) {
  const bool dbd = r.cdb[1] & 0x08;
  const uint8_t page = r.cdb[2] & 0x3F;
  const uint8_t control = r.cdb[2] >> 6;
  const uint8_t subpage = r.cdb[3];
  SenseDetail field;
  if (control == 3) {  // saved values are not kept
    field.field_pointer = 2;
    return d.Fail(reply, 0x05, 0x39, 0x00, field);
  }
  if (subpage != 0 && subpage != 0xFF) {
    field.field_pointer = 3;
    return d.Fail(reply, 0x05, 0x24, 0x00, field);
  }
  std::vector<uint8_t> pages;
  if (!CollectPages(d, page, control, pages)) {
    field.field_pointer = 2;
    return d.Fail(reply, 0x05, 0x24, 0x00, field);
  }
  std::vector<uint8_t> bd;
  if (!dbd && HasBlockDescriptor(d)) bd = BlockDescriptor(d);
  const size_t header = ten ? 8 : 4;
  std::vector<uint8_t>& out = reply.data;
  out.assign(header, 0);
  // Buffered mode 1; the write-protect bit for a cartridge we may not write.
  const bool protect = d.IsTape() && TapeLoaded(d) && Access(d) != CartridgeAccess::kFull;
  const uint8_t device_specific = static_cast<uint8_t>((d.IsTape() ? 0x10 : 0x00) | (protect ? 0x80 : 0x00));
  const uint8_t medium_type = d.IsTape() && TapeLoaded(d) ? d.medium_type : 0x00;
  if (ten) {
    out[2] = medium_type;
    out[3] = device_specific;
    PutBe(out, 6, 2, bd.size());
  } else {
    out[1] = medium_type;
    out[2] = device_specific;
    out[3] = static_cast<uint8_t>(bd.size());
  }
  out.insert(out.end(), bd.begin(), bd.end());
  out.insert(out.end(), pages.begin(), pages.end());
  if (ten) {
    PutBe(out, 0, 2, out.size() - 2);
    CutTo(reply, GetBe(r.cdb, 7, 2));
  } else {
    out[0] = static_cast<uint8_t>(std::min<size_t>(out.size() - 1, 255));
    CutTo(reply, r.cdb[4]);
  }
}

// "NAME VALUE\n" of the vendor parameter page.
bool SetParameterText(SimDevice& d, std::span<const uint8_t> body) {
  std::string text;
  for (uint8_t c : body) {
    if (c == 0 || c == '\n' || c == '\r') break;
    text.push_back(static_cast<char>(c));
  }
  size_t blank = text.find(' ');
  if (text.empty() || blank == 0) return false;
  std::string name = text.substr(0, blank);
  std::string value = blank == std::string::npos ? "" : text.substr(blank + 1);
  value.erase(0, value.find_first_not_of(' '));
  for (const NamedParameter& p : kNamedParameters) {
    if (name != p.name) continue;
    p.apply(d, value);
    d.parameters[name] = value;
    return true;
  }
  return false;
}

void ApplyPage(SimDevice& d, uint8_t code) {
  const std::vector<uint8_t>& p = d.mode_pages[code];
  if (code == 0x0F) d.compression = p[2] & 0x80;
  if (code == 0x10) d.compression = p[14] != 0;
}

void Select(SimDevice& d, const SimRequest& r, SimReply& reply, bool ten) {
  const size_t length = std::min<size_t>(ten ? GetBe(r.cdb, 7, 2) : r.cdb[4], r.data_out.size());
  std::span<const uint8_t> list = r.data_out.first(length);
  const size_t header = ten ? 8 : 4;
  if (length == 0) return;
  if (length < header) return d.Fail(reply, 0x05, 0x1A, 0x00);
  const size_t bd_length = ten ? GetBe(list, 6, 2) : list[3];
  if (header + bd_length > length) return d.Fail(reply, 0x05, 0x26, 0x00);
  if (bd_length >= 8 && d.IsTape()) {
    std::span<const uint8_t> bd = list.subspan(header, 8);
    uint32_t size = GetBe(bd, 5, 3);
    if (size > 0x800000) return d.Fail(reply, 0x05, 0x26, 0x00);
    d.block_size = size;
    if (bd[0] != 0 && bd[0] != 0x7F) d.density = bd[0];
  }
  size_t at = header + bd_length;
  while (at + 2 <= length) {
    const uint8_t code = list[at] & 0x3F;
    const size_t page_length = list[at + 1] + 2u;
    if (at + page_length > length) return d.Fail(reply, 0x05, 0x26, 0x00);
    std::span<const uint8_t> page = list.subspan(at, page_length);
    if (code == ParameterPage(d)) {
      if (!SetParameterText(d, page.subspan(2))) return d.Fail(reply, 0x05, 0x26, 0x00);
    } else {
      auto known = d.mode_pages.find(code);
      if (known == d.mode_pages.end() || known->second.size() != page_length) {
        return d.Fail(reply, 0x05, 0x26, 0x00);
      }
      std::copy(page.begin() + 2, page.end(), known->second.begin() + 2);
      ApplyPage(d, code);
    }
    at += page_length;
  }
}

}  // namespace

void InitModePages(SimDevice& d) {
  for (const SimModePage& page : kSimModePages) {
    bool wanted = (d.IsTape() && page.tape) || (d.IsChanger() && page.changer) ||
                  (d.config.type == SimDeviceType::kDisk && page.disk);
    if (wanted) d.mode_pages[page.code] = std::vector<uint8_t>(page.bytes);
  }
  if (auto lu = d.mode_pages.find(0x18); lu != d.mode_pages.end() && d.config.sas) {
    lu->second[2] = 0x06;  // SAS Serial SCSI Protocol
  }
  if (auto ea = d.mode_pages.find(0x1D); ea != d.mode_pages.end()) {
    std::vector<uint8_t>& p = ea->second;
    PutBe(p, 2, 2, kTransportAddress);
    PutBe(p, 4, 2, 1);
    PutBe(p, 6, 2, kFirstSlotAddress);
    PutBe(p, 8, 2, d.slot_full.size());
    PutBe(p, 10, 2, kMailAddress);
    PutBe(p, 12, 2, 1);
    PutBe(p, 14, 2, kDriveAddress);
    PutBe(p, 16, 2, 1);
  }
}

// MODE SENSE(6): 1A dbd pc|page subpage alloc control
void ModeSense6(SimDevice& d, const SimRequest& r, SimReply& reply) { Sense(d, r, reply, false); }

// MODE SENSE(10): 5A dbd pc|page subpage 000000 alloc(2) control
void ModeSense10(SimDevice& d, const SimRequest& r, SimReply& reply) { Sense(d, r, reply, true); }

// MODE SELECT(6): 15 pf 00 00 length control
void ModeSelect6(SimDevice& d, const SimRequest& r, SimReply& reply) { Select(d, r, reply, false); }

// MODE SELECT(10): 55 pf 00000000 length(2) control
void ModeSelect10(SimDevice& d, const SimRequest& r, SimReply& reply) { Select(d, r, reply, true); }
