// READ BUFFER and WRITE BUFFER: the data buffer, the drive trace, and the
// firmware download that ends in a restart of the device.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/event_log_text.h"
#include "sim/handlers.h"

namespace {

constexpr uint32_t kDataBufferSize = 0x10000;
constexpr uint32_t kDiagBufferSize = 0x8000;
constexpr uint32_t kWriteBackSize = 256;
constexpr uint32_t kTraceSize = 160 * 1024;
constexpr size_t kTraceSizeAt = 84;  // little-endian total size in the trace header
constexpr size_t kMaxImage = 64u << 20;
constexpr uint8_t kTraceBufferId = 0x07;
constexpr uint8_t kImmediateBufferId = 0x04;  // pieces that activate by themselves
// Two-part loader images: the loader part waits for the interface part,
// which completes the image; each part goes to offset 0 of its own buffer.
constexpr uint8_t kLoaderPartId = 0x82;
constexpr uint8_t kInterfacePartId = 0x81;
// The image saved to this buffer is written onto the cartridge (an upgrade
// tape) instead of replacing the drive's firmware.
constexpr uint8_t kTapeImageId = 0xFF;
constexpr long kIdleActivationSeconds = 5;

struct Field {
  uint8_t mode, id;
  uint32_t offset, length;
};

Field Fields(const SimRequest& r) {
  return {static_cast<uint8_t>(r.cdb[1] & 0x1F), r.cdb[2], GetBe(r.cdb, 3, 3), GetBe(r.cdb, 6, 3)};
}

void InvalidField(SimDevice& d, SimReply& reply, int at) {
  SenseDetail field;
  field.field_pointer = at;
  d.Fail(reply, 0x05, 0x24, 0x00, field);
}

std::vector<uint8_t> WriteBack(const SimDevice& d) {
  std::vector<uint8_t> b(kWriteBackSize);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(0x20 + (i * 7 + d.id) % 0x5F);
  return b;
}

// The bytes a buffer id reads as, or false for an id the device lacks.
bool BufferContent(const SimDevice& d, uint8_t id, std::vector<uint8_t>& out) {
  switch (id) {
    case 0x00:
      out = d.data_buffer;
      out.resize(kDataBufferSize, 0);
      return true;
    case 0x02:
      out.assign(kDiagBufferSize, 0);
      return true;
    case kTraceBufferId:
      out = d.trace;
      return !d.trace.empty();
    case 0x80:
      out = WriteBack(d);
      return true;
    // ---- vendor buffers: firmware pieces so far, two fixed areas, a directory ----
    case kImmediateBufferId:
      out = d.download;
      return true;
    case 0x81:
    case 0x82:
      out.assign(id == 0x81 ? 512 : 1024, 0);
      for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(id ^ (i & 0xFF));
      return true;
    case 0xFF: {  // every id with its capacity, 4 bytes each
      out.clear();
      for (uint8_t listed : {uint8_t{0x00}, uint8_t{0x02}, kImmediateBufferId, kTraceBufferId, uint8_t{0x80},
                             uint8_t{0x81}, uint8_t{0x82}}) {
        std::vector<uint8_t> content;
        if (listed == 0xFF || !BufferContent(d, listed, content)) continue;
        out.push_back(listed);
        const size_t at = out.size();
        PutBe(out, at, 3, content.size());
      }
      return true;
    }
    // ---- end of vendor buffers ----
    default:
      return false;
  }
}

std::string NewRevision(const SimDevice& d, const std::vector<uint8_t>& image) {
  static constexpr char kMark[] = "FWREV=";
  const size_t n = sizeof kMark - 1;
  auto at = std::search(image.begin(), image.end(), kMark, kMark + n);
  if (at != image.end() && image.end() - at >= static_cast<long>(n + 4)) {
    return std::string(at + n, at + n + 4);
  }
  return d.config.next_revision.empty() ? d.config.revision : d.config.next_revision;
}

// The image is complete: keep it, note the update in the event log, and
// restart the device.
void Activate(SimDevice& d, SimReply& reply, struct timeval at) {
  if (d.download.empty()) return d.Fail(reply, 0x05, 0x26, 0x00);
  d.last_image = d.download;
  const std::string old_revision = d.config.revision;
  d.config.revision = NewRevision(d, d.last_image);
  char packet[256];
  std::snprintf(packet, sizeof packet, kSimCodeUpdatePacket, static_cast<int>(d.events.size() + 1), d.PowerOnHours(),
                44u + static_cast<unsigned>(d.generation), old_revision.c_str(), d.config.revision.c_str());
  d.events.emplace_back(packet);
  d.download.clear();
  d.download_open = false;
  if (d.config.reset_drops_last_status) reply.host_status = kDidNoConnect;
  d.bench->Restart(d, at);
}

void WriteToTape(SimDevice& d, SimReply& reply) {
  if (d.download.empty()) return d.Fail(reply, 0x05, 0x26, 0x00);
  WriteTapeImage(d, d.download, reply);
  d.download.clear();
  d.download_open = false;
}

void Store(SimDevice& d, const SimRequest& r, const Field& f, uint32_t offset) {
  if (!d.download_open) {
    d.download.clear();
    d.first_piece = f.length;
    d.download_buffer_id = f.id;
  }
  d.download_open = true;
  const size_t n = std::min<size_t>(f.length, r.data_out.size());
  if (d.download.size() < offset + n) d.download.resize(offset + n, 0);
  std::copy_n(r.data_out.begin(), n, d.download.begin() + offset);
  d.last_piece = d.bench->Now();
}

void Download(SimDevice& d, const SimRequest& r, SimReply& reply, bool append) {
  const Field f = Fields(r);
  const bool part = f.id == kLoaderPartId || f.id == kInterfacePartId;
  append = append || part;
  switch (f.mode) {
    case 0x02:  // data
      if (f.id != 0) return InvalidField(d, reply, 2);
      if (f.offset + f.length > kDataBufferSize) return InvalidField(d, reply, 3);
      if (d.data_buffer.size() < f.offset + f.length) d.data_buffer.resize(f.offset + f.length, 0);
      std::copy_n(r.data_out.begin(), std::min<size_t>(f.length, r.data_out.size()), d.data_buffer.begin() + f.offset);
      return;
    case 0x04:  // microcode piece
    case 0x06:
    case 0x0E: {
      if (static_cast<size_t>(f.offset) + f.length > kMaxImage) return InvalidField(d, reply, 3);
      if (f.length == 0) {
        if (f.mode == 0x04 && d.download_open) Activate(d, reply, d.bench->Now());  // an empty piece ends it
        return;
      }
      const bool first = !d.download_open;
      Store(d, r, f, append ? static_cast<uint32_t>(d.download.size()) : f.offset);
      // Pieces for immediate activation: a short one is the last.
      if (f.id == kImmediateBufferId && !first && f.length < d.first_piece) Activate(d, reply, d.bench->Now());
      return;
    }
    case 0x05:  // last piece, save and activate
    case 0x07:
      if (static_cast<size_t>(f.offset) + f.length > kMaxImage) return InvalidField(d, reply, 3);
      if (f.length > 0) Store(d, r, f, append ? static_cast<uint32_t>(d.download.size()) : f.offset);
      if (f.id == kLoaderPartId) return;
      if (f.id == kTapeImageId) return WriteToTape(d, reply);
      return Activate(d, reply, d.bench->Now());
    case 0x0F:  // activate deferred microcode
      return Activate(d, reply, d.bench->Now());
    default:
      return InvalidField(d, reply, 1);
  }
}

}  // namespace

std::vector<uint8_t> MakeTraceBuffer(const SimDeviceConfig& c) {
  std::vector<uint8_t> t(kTraceSize);
  uint32_t x = 0x12345678;
  for (char ch : c.serial) x = x * 31 + static_cast<uint8_t>(ch);
  for (auto& b : t) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 16);
  }
  PutText(t, 0, 32, "HALCYON DRIVE TRACE");
  PutText(t, 32, 16, c.product);
  PutText(t, 48, 16, c.serial);
  PutText(t, 64, 4, c.revision);
  for (size_t i = 0; i < 4; ++i) t[kTraceSizeAt + i] = static_cast<uint8_t>(kTraceSize >> (8 * i));
  return t;
}

// Pending pieces for immediate activation with no short piece at the end
// activate once the host has been quiet for a while.
bool IdleActivationDue(const SimDevice& d, struct timeval now, struct timeval* at) {
  if (!d.download_open || d.download.empty()) return false;
  if (d.download_buffer_id != kImmediateBufferId && !d.IsDat()) return false;
  struct timeval due = d.last_piece;
  due.tv_sec += kIdleActivationSeconds;
  if (timercmp(&now, &due, <)) return false;
  *at = due;
  return true;
}

void ActivateIdle(SimDevice& d, struct timeval at) {
  SimReply ignored;
  Activate(d, ignored, at);
}

// READ BUFFER: 3C mode id offset(3) alloc(3) control
void ReadBuffer(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const Field f = Fields(r);
  std::vector<uint8_t> content;
  if (!BufferContent(d, f.id, content)) return InvalidField(d, reply, 2);
  switch (f.mode) {
    case 0x03:  // descriptor: offset boundary, capacity
      reply.data = {0x00};
      PutBe(reply.data, 1, 3, content.size());
      break;
    case 0x02:  // data
    case 0x04:  // data of a vendor buffer
      if (f.offset > content.size()) return InvalidField(d, reply, 3);
      reply.data.assign(content.begin() + f.offset,
                        content.begin() + std::min<size_t>(content.size(), size_t{f.offset} + f.length));
      break;
    default:
      return InvalidField(d, reply, 1);
  }
  CutTo(reply, f.length);
}

// WRITE BUFFER: 3B mode id offset(3) length(3) control
void WriteBuffer(SimDevice& d, const SimRequest& r, SimReply& reply) { Download(d, r, reply, false); }

// The same, but pieces are appended whatever offset they name.
void WriteBufferAppending(SimDevice& d, const SimRequest& r, SimReply& reply) { Download(d, r, reply, true); }
