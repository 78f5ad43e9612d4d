// Devices of another maker: the same tape drive and changer, but answering
// only what the published command sets define. What this maker's own devices
// add is refused the way such a device refuses it, and left out of the
// supported-page lists, so a script that passes here asks for nothing else.
#include <algorithm>
#include <span>

#include "sim/handlers.h"

namespace {

constexpr uint8_t kVendorVpdPages[] = {0xC0, 0xDC};
// Vendor-specific log pages; diagnostic pages from 80h are vendor-specific too.
constexpr uint8_t kFirstVendorLogPage = 0x30;
constexpr uint8_t kLastVendorLogPage = 0x3E;
constexpr uint8_t kFirstVendorDiagnosticPage = 0x80;
constexpr uint8_t kReadBufferData = 0x02;
constexpr uint8_t kReadBufferDescriptor = 0x03;

bool IsVendorVpdPage(uint8_t page) { return std::ranges::find(kVendorVpdPages, page) != std::end(kVendorVpdPages); }
bool IsVendorLogPage(uint8_t page) { return page >= kFirstVendorLogPage && page <= kLastVendorLogPage; }

void InvalidCdbField(SimDevice& d, SimReply& reply, int at) {
  SenseDetail field;
  field.field_pointer = at;
  d.Fail(reply, 0x05, 0x24, 0x00, field);
}

// Drops the codes `vendor` names from a supported-page list that starts at
// byte 4 and whose length is the 16-bit field at byte 2.
void DropVendorCodes(SimReply& reply, bool (*vendor)(uint8_t)) {
  std::vector<uint8_t>& list = reply.data;
  if (reply.check || list.size() < 4) return;
  list.erase(std::remove_if(list.begin() + 4, list.end(), vendor), list.end());
  PutBe(list, 2, 2, list.size() - 4);
}

// INQUIRY: no vendor VPD pages.
void StandardInquiry(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool evpd = r.cdb[1] & 0x01;
  if (evpd && IsVendorVpdPage(r.cdb[2])) return InvalidCdbField(d, reply, 2);
  Inquiry(d, r, reply);
  if (evpd && r.cdb[2] == 0x00) DropVendorCodes(reply, IsVendorVpdPage);
}

// LOG SENSE: no vendor log pages.
void StandardLogSense(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const uint8_t page = r.cdb[2] & 0x3F;
  if (IsVendorLogPage(page)) return InvalidCdbField(d, reply, 2);
  LogSense(d, r, reply);
  if (page == 0x00) DropVendorCodes(reply, IsVendorLogPage);
}

// SEND DIAGNOSTIC: the standard self tests only, no vendor diagnostic page.
void StandardSendDiagnostic(SimDevice& d, const SimRequest& r, SimReply& reply) {
  if (!r.data_out.empty() && r.data_out[0] >= kFirstVendorDiagnosticPage) {
    return d.Fail(reply, 0x05, 0x26, 0x00);  // invalid field in parameter list
  }
  SendDiagnostic(d, r, reply);
}

// READ BUFFER: the data buffer (id 0) and its descriptor, no vendor buffer.
void StandardReadBuffer(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const uint8_t mode = r.cdb[1] & 0x1F;
  if (mode != kReadBufferData && mode != kReadBufferDescriptor) return InvalidCdbField(d, reply, 1);
  if (r.cdb[2] != 0) return InvalidCdbField(d, reply, 2);
  ReadBuffer(d, r, reply);
}

void NotAnOpcode(SimDevice& d, const SimRequest&, SimReply& reply) {
  SenseDetail at_opcode;
  at_opcode.field_pointer = 0;
  d.Fail(reply, 0x05, 0x20, 0x00, at_opcode);
}

constexpr SimOpcode kStandardOnly[] = {
    {0x12, StandardInquiry},    {0x1D, StandardSendDiagnostic},
    {0x20, NotAnOpcode},  // this maker's upgrade-tape command
    {0x3C, StandardReadBuffer}, {0x4D, StandardLogSense},
};

}  // namespace

SimHandler StandardOnlyHandler(uint8_t opcode) {
  for (const SimOpcode& entry : kStandardOnly) {
    if (entry.opcode == opcode) return entry.handler;
  }
  return nullptr;
}
