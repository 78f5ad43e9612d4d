// INQUIRY: standard data and the vital product data pages.
#include <cctype>
#include <cstdio>
#include <span>
#include <string>

#include "sim/handlers.h"

namespace {

// Revision numbers the firmware reports beside its 4-character revision:
// the second character as major, the fourth as minor ("J5A1" gives 5 and 1).
int Digit(const std::string& rev, size_t at, int fallback) {
  if (rev.size() > at && std::isdigit(static_cast<unsigned char>(rev[at]))) return rev[at] - '0';
  return fallback;
}
int RevisionMajor(const SimDeviceConfig& c) { return Digit(c.revision, 1, 1); }
int RevisionMinor(const SimDeviceConfig& c) { return Digit(c.revision, 3, 0); }

std::vector<uint8_t> PageHeader(const SimDevice& d, uint8_t page) {
  return {static_cast<uint8_t>(d.config.type), page, 0x00, 0x00};
}

void SetPageLength(std::vector<uint8_t>& p) { PutBe(p, 2, 2, p.size() - 4); }

void AppendText(std::vector<uint8_t>& p, const std::string& text) { p.insert(p.end(), text.begin(), text.end()); }

std::vector<uint8_t> SupportedPages(const SimDevice& d);

std::vector<uint8_t> SerialPage(const SimDevice& d) {
  std::vector<uint8_t> p = PageHeader(d, 0x80);
  AppendText(p, d.config.serial);
  SetPageLength(p);
  return p;
}

// Device identification: the vendor designator, a NAA name, and for SAS
// drives the target port.
std::vector<uint8_t> IdentificationPage(const SimDevice& d) {
  std::vector<uint8_t> p = PageHeader(d, 0x83);
  std::vector<uint8_t> vendor_id;
  PutText(vendor_id, 0, 8, d.config.vendor);
  PutText(vendor_id, 8, 16, d.config.product);
  AppendText(vendor_id, d.config.serial);
  p.insert(p.end(), {0x02, 0x01, 0x00, static_cast<uint8_t>(vendor_id.size())});
  p.insert(p.end(), vendor_id.begin(), vendor_id.end());
  uint64_t hash = 1469598103934665603ull;
  for (char ch : d.config.serial) hash = (hash ^ static_cast<uint8_t>(ch)) * 1099511628211ull;
  uint64_t naa = (0x5ull << 60) | (0x0A1B2Cull << 36) | (hash & 0xFFFFFFFFFull);
  p.insert(p.end(), {0x01, 0x03, 0x00, 0x08});
  PutBe(p, p.size(), 8, naa);
  if (d.config.sas) {
    p.insert(p.end(), {0x61, 0x93, 0x00, 0x08});
    PutBe(p, p.size(), 8, naa + 1);
  }
  SetPageLength(p);
  return p;
}

// Firmware build data: LTO drives give "key=value" text that carries the
// version and variant; the others give a 40-character build text.
std::vector<uint8_t> BuildPage(const SimDevice& d) {
  std::vector<uint8_t> p = PageHeader(d, 0xC0);
  char text[96];
  if (d.model.lto && d.IsTape()) {
    std::snprintf(text, sizeof text, "VERSION=%d.%d VARIANT=%X DATE=2026/11/04 REV=%.4s", RevisionMajor(d.config),
                  RevisionMinor(d.config), static_cast<unsigned>(static_cast<uint8_t>(d.config.personality)),
                  d.config.revision.c_str());
    AppendText(p, text);
  } else {
    std::snprintf(text, sizeof text, "REV %.4s BUILD 2026/10/12 10:31", d.config.revision.c_str());
    PutText(p, 4, 40, text);
  }
  SetPageLength(p);
  return p;
}

// The OEM page: revision, then the product text at byte 8.
std::vector<uint8_t> OemPage(const SimDevice& d) {
  std::vector<uint8_t> p = PageHeader(d, 0xDC);
  PutText(p, 4, 4, d.config.revision);
  PutText(p, 8, 28, d.config.product);
  SetPageLength(p);
  return p;
}

struct VpdPage {
  uint8_t code;
  std::vector<uint8_t> (*build)(const SimDevice&);
};

constexpr VpdPage kVpdPages[] = {
    {0x00, SupportedPages}, {0x80, SerialPage}, {0x83, IdentificationPage}, {0xC0, BuildPage}, {0xDC, OemPage},
};

std::vector<uint8_t> SupportedPages(const SimDevice& d) {
  std::vector<uint8_t> p = PageHeader(d, 0x00);
  for (const VpdPage& page : kVpdPages) p.push_back(page.code);
  SetPageLength(p);
  return p;
}

std::vector<uint8_t> StandardData(const SimDevice& d) {
  const SimDeviceConfig& c = d.config;
  std::vector<uint8_t> s(96, 0);
  s[0] = static_cast<uint8_t>(c.type);
  s[1] = c.type == SimDeviceType::kChanger ? 0x00 : 0x80;  // removable medium
  s[2] = 0x06;                                             // SPC-4
  s[3] = 0x12;                                             // HiSup, format 2
  s[4] = static_cast<uint8_t>(s.size() - 5);
  s[7] = 0x02;  // command queueing
  PutText(s, 8, 8, c.vendor);
  PutText(s, 16, 16, c.product);
  PutText(s, 32, 4, c.revision);
  s[36] = static_cast<uint8_t>(c.family_nibble << 4);
  s[37] = static_cast<uint8_t>(RevisionMajor(c));
  s[38] = static_cast<uint8_t>(RevisionMinor(c));
  s[41] = static_cast<uint8_t>(c.personality);
  s[42] = 0x01;
  PutText(s, 44, 10, "2026/11/04");
  return s;
}

}  // namespace

// INQUIRY: 12 evpd page alloc(2) control
void Inquiry(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool evpd = r.cdb[1] & 0x01;
  const uint8_t page = r.cdb[2];
  SenseDetail field;
  if (r.cdb[1] & 0x02) {  // CmdDt is obsolete
    field.field_pointer = 1;
    return d.Fail(reply, 0x05, 0x24, 0x00, field);
  }
  if (!evpd) {
    if (page != 0) {
      field.field_pointer = 2;
      return d.Fail(reply, 0x05, 0x24, 0x00, field);
    }
    reply.data = StandardData(d);
  } else {
    const VpdPage* found = nullptr;
    for (const VpdPage& p : kVpdPages) {
      if (p.code == page) found = &p;
    }
    if (!found) {
      field.field_pointer = 2;
      return d.Fail(reply, 0x05, 0x24, 0x00, field);
    }
    reply.data = found->build(d);
  }
  CutTo(reply, GetBe(r.cdb, 3, 2));
}
