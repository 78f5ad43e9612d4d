// Direct-access devices: enough of a disk to be listed, probed and asked
// for its ATA identity.
#include "sim/handlers.h"

namespace {

constexpr uint32_t kLastBlock = 0x000FFFFF;
constexpr uint8_t kIdentifyDevice = 0xEC;

// ATA strings hold two characters per word, high byte first.
void PutAtaText(std::vector<uint8_t>& b, size_t at, size_t n, const std::string& text) {
  PutText(b, at, n, text);
  for (size_t i = 0; i + 1 < n; i += 2) std::swap(b[at + i], b[at + i + 1]);
}

}  // namespace

// READ CAPACITY(10): 25 00 lba(4) 00 00 pmi control
void ReadCapacity10(SimDevice& d, const SimRequest&, SimReply& reply) {
  if (!d.config.medium_loaded) return d.Fail(reply, 0x02, 0x3A, 0x00);
  reply.data.assign(8, 0);
  PutBe(reply.data, 0, 4, kLastBlock);
  PutBe(reply.data, 4, 4, 512);
}

// START STOP UNIT: 1B immed 00 00 loej|start control
void StartStopUnit(SimDevice& d, const SimRequest& r, SimReply&) {
  const bool start = r.cdb[4] & 0x01;
  const bool eject = r.cdb[4] & 0x02;
  if (eject && !start) d.config.medium_loaded = false;
  if (eject && start) d.config.medium_loaded = true;
}

// ATA PASS-THROUGH(12): A1 protocol flags features count lba(3) device command 00 control
void AtaPassThrough12(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool check_condition = r.cdb[2] & 0x20;
  if (r.cdb[9] == kIdentifyDevice) {
    reply.data.assign(512, 0);
    PutAtaText(reply.data, 20, 20, d.config.serial);
    PutAtaText(reply.data, 46, 8, d.config.revision);
    PutAtaText(reply.data, 54, 40, d.config.vendor + " " + d.config.product);
  }
  if (check_condition) {
    // ATA status return descriptor: no error, device 40h, status DRDY|DSC.
    reply.check = true;
    reply.sense = {0x72, 0x00, 0x00,     0x1D, 0,        0,    0,        0x0E, 0x09,     0x0C, 0x00,
                   0x00, 0x00, r.cdb[4], 0x00, r.cdb[5], 0x00, r.cdb[6], 0x00, r.cdb[7], 0x40, 0x50};
  }
}
