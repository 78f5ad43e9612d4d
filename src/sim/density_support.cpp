// REPORT DENSITY SUPPORT: the recording formats a virtual tape drive knows,
// or those of the cartridge it holds.
#include <vector>

#include "sim/handlers.h"
#include "sim/tape_formats.h"

namespace {

constexpr size_t kHeader = 4;
constexpr size_t kDescriptor = 52;
constexpr uint8_t kWriteOk = 0x80;
constexpr uint8_t kDefault = 0x20;
constexpr uint8_t kLengthValid = 0x01;  // DLV: bytes 3-4 give the descriptor length

struct Offered {
  const SimFormat* format;
  bool writable;
  bool preferred;
};

// An LTO drive reads its own generation and the two before it and writes
// its own and the one before; other drives know their own format only.
std::vector<Offered> DriveFormats(const SimDevice& d) {
  const SimFormat* own = FormatOf(d.model.density);
  if (own == nullptr) return {};
  if (own->lto_generation == 0) return {{own, true, true}};
  std::vector<Offered> offered;
  for (int g = own->lto_generation - 2; g <= own->lto_generation; ++g) {
    if (const SimFormat* f = LtoFormat(g)) offered.push_back({f, g >= own->lto_generation - 1, f == own});
  }
  return offered;
}

void Describe(std::vector<uint8_t>& out, const Offered& o) {
  std::vector<uint8_t> b(kDescriptor, 0);
  b[0] = b[1] = o.format->density;
  b[2] = static_cast<uint8_t>((o.writable ? kWriteOk : 0) | (o.preferred ? kDefault : 0) | kLengthValid);
  PutBe(b, 3, 2, kDescriptor - 3);
  PutBe(b, 5, 3, o.format->bits_per_mm);
  PutBe(b, 8, 2, o.format->width);
  PutBe(b, 10, 2, o.format->tracks);
  PutBe(b, 12, 4, o.format->capacity);
  PutText(b, 16, 8, o.format->organization);
  PutText(b, 24, 8, o.format->name);
  PutText(b, 32, 20, o.format->description);
  out.insert(out.end(), b.begin(), b.end());
}

}  // namespace

// REPORT DENSITY SUPPORT: 44 medium-type|media 00 00 00 00 00 alloc(2) control
// MEDIA set: only the format of the loaded cartridge. Medium-type reports
// are not offered.
void ReportDensitySupport(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool media = r.cdb[1] & 0x01;
  if (r.cdb[1] & 0x02) {
    SenseDetail field;
    field.field_pointer = 1;
    return d.Fail(reply, 0x05, 0x24, 0x00, field);
  }
  std::vector<Offered> offered;
  if (media) {
    if (!TapeLoaded(d)) return d.Fail(reply, 0x02, 0x3A, 0x00);
    const SimFormat* f = FormatOf(MediumDensity(d));
    const CartridgeAccess access = Access(d);
    if (f != nullptr && access != CartridgeAccess::kNone)
      offered.push_back({f, access == CartridgeAccess::kFull, true});
  } else {
    offered = DriveFormats(d);
  }
  reply.data.assign(kHeader, 0);
  for (const Offered& o : offered) Describe(reply.data, o);
  PutBe(reply.data, 0, 2, reply.data.size() - 2);
  CutTo(reply, GetBe(r.cdb, 7, 2));
}
