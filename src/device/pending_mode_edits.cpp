// Stand-ins for the mode-page edits until their real versions are merged:
// this file goes away then.
#include "device/scsi_int.h"

long ScsiInt::SetCompression(int) { return 1; }
long ScsiInt::SetCompressionDCE(bool) { return 1; }
long ScsiInt::MediaCheck() {
  const long r = ModeSense(0x10, "MediaCheck()");
  if (r <= 0 || device_->modeSize < 9) {
    device_->mediaType = 0;
    device_->mediaDensity = 0;
    return r <= 0 ? r : 0;
  }
  device_->mediaType = device_->modeBuffer[2];
  device_->mediaDensity = device_->modeBuffer[8];
  return 1;
}
long ScsiInt::SetMediaDensity(int) { return 1; }
long ScsiInt::GetMediaType() { return device_ ? device_->mediaType : 0; }
long ScsiInt::GetMediaDensity() { return device_ ? device_->mediaDensity : 0; }
