// Upgrade tapes on the virtual drives: the vendor diagnostic pages that
// create one from the drive's own firmware, switch tape-creation mode, or
// arm an update from (or a revert of) the next cartridge; and the image the
// drive's buffer writes onto a cartridge.
#include <string>

#include "sim/handlers.h"

namespace {

constexpr uint8_t kRequestPage = 0x80;
constexpr uint8_t kCreationPage = 0xA1;
constexpr uint8_t kFinishPage = 0x99;
constexpr size_t kOwnImageSize = 64 * 1024;

}  // namespace

std::vector<uint8_t> OwnFirmwareImage(const SimDevice& d) {
  if (!d.last_image.empty()) return d.last_image;
  std::vector<uint8_t> image(kOwnImageSize);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + d.id);
  PutText(image, 0, 10, "FWREV=" + d.config.revision);
  return image;
}

// SEND DIAGNOSTIC parameter lists: 80 00 00 04 01 action value 00, A1 ..., 99 ...
bool UpgradeTapePage(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const auto& page = r.data_out;
  if (page.empty()) return false;
  switch (page[0]) {
    case kRequestPage:
      if (page.size() < 8) return false;
      switch (page[5]) {
        case 'p':
          WriteTapeImage(d, OwnFirmwareImage(d), reply);
          return true;
        case 'u':
        case 'q':
          d.armed_tape_request = static_cast<char>(page[5]);
          return true;
        default:
          return false;
      }
    case kCreationPage:
      d.tape_creation = true;
      return true;
    case kFinishPage:
      d.tape_creation = false;
      return true;
    default:
      return false;
  }
}
