// Firmware download: WRITE BUFFER, the whole update (FupDrive) and the
// family routines, which all cut and send the image the same way with the
// differences taken from the family plan (firmware_families.cpp).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "device/byte_order.h"
#include "device/firmware.h"
#include "device/scsi_int.h"

namespace {

constexpr const char* kContext = "FupDrive()";
constexpr long kCommitTimeout = 300;
constexpr long kUnloadTimeout = 600;
constexpr int kSettleSeconds = 10;
constexpr int kRestartSeconds = 20;

constexpr const char* kStateTexts[] = {"",
                                       "FUP Setup",
                                       "FUP Write Image",
                                       "FUP Commit Image",
                                       "FUP Device Reset",
                                       "FUP Relocate Device",
                                       "FUP Complete"};
constexpr int kStateCount = sizeof kStateTexts / sizeof kStateTexts[0];


// One console line per tenth of the image, so a long download shows it is
// moving without a line per piece.
class Progress {
 public:
  explicit Progress(long total) : total_(total) {}
  void Sent(long bytes) {
    if (total_ <= 0) return;
    const long tenth = bytes * 10 / total_;
    if (tenth <= shown_) return;
    shown_ = tenth;
    std::printf("  %3ld%% sent (%ld of %ld bytes)\n", tenth * 10, bytes, total_);
    std::fflush(stdout);
  }

 private:
  long total_;
  long shown_ = 0;
};

using PieceBuffer = std::unique_ptr<uint8_t[]>;

}  // namespace

// WRITE BUFFER mode bufferId offset(3) length(3)
long ScsiInt::WriteBuffer(const uint8_t* data, long length, int mode, int bufferId, long offset,
                          int bufferIdOverride) {
  if (!Ready()) return -3;
  PerformanceStart();
  _SCSI_DEVICE& d = *device_;
  const long maximum = static_cast<long>(std::min<uint64_t>(d.maxTransfer, kDataBufferSize));
  if (length < 0 || length > maximum || (length > 0 && data == nullptr)) {
    FormatText(d.devError, "WriteBuffer() - Requested transfer (%ld) exceeds maximum capability (%ld).", length,
               maximum);
    return -3;
  }
  if (offset < 0 || offset >= fup::kAddressable) {
    FormatText(d.devError, "WriteBuffer() - Buffer offset (%ld) exceeds maximum capability (%ld).", offset,
               fup::kAddressable - 1);
    return -3;
  }
  // Two loader lines take no lun in the mode byte.
  const bool modeOnly = d.familyCode == 36 || d.familyCode == 37;
  std::memset(record_->Cdb, 0, sizeof record_->Cdb);
  record_->Cdb[0] = 0x3B;
  record_->Cdb[1] = static_cast<uint8_t>((mode & 0x1F) | (modeOnly ? 0 : (d.lun & 7) << 5));
  record_->Cdb[2] = static_cast<uint8_t>(bufferIdOverride != 0 ? bufferIdOverride : bufferId);
  be::Write24(record_->Cdb + 3, static_cast<uint64_t>(offset));
  be::Write24(record_->Cdb + 6, static_cast<uint64_t>(length));
  if (length > 0) std::memmove(dataBuffer_, data, static_cast<size_t>(length));
  const long result = DevIo(length, 10, length > 0 ? kDataOut : kDataNone, "WriteBuffer()", true);
  if (result <= 0) return result;
  d.bytesWritten += static_cast<uint64_t>(length);
  PerformanceStop(2, true);
  return 1;
}

long ScsiInt::GetFupStat() { return device_ == nullptr ? 0 : device_->updateState; }

const char* ScsiInt::GetFupStatus() {
  const long state = GetFupStat();
  return state > 0 && state < kStateCount ? kStateTexts[state] : "";
}

long ScsiInt::FupDrive(const char* path) {
  if (!Ready()) return -3;
  KeepTimeout keep(*this);
  device_->updateState = 1;
  std::printf("\nChecking image file (%s)\n", path != nullptr ? path : "");
  const long length = FupFileSize(path);
  if (length <= fup::kDone) return length;

  std::printf("\nChecking device readiness\n");
  const long ready = CheckFupReadyness();
  if (ready != fup::kDone) return ready;

  Sleep(kSettleSeconds * 1000);
  TestUnitReady();
  TestUnitReady();
  std::printf("\nSending image file to the device\n");
  std::fflush(stdout);
  device_->updateState = 2;
  FupPlan plan;
  if (!FupPlanFor(nullptr, device_->familyCode, device_->mfgId, &plan)) {
    SetMessage("FUP - Unknown or Unsupported device type.", kContext);
    return fup::kUnsupported;
  }
  const long sent = plan.composite ? FupComposite(plan, path, length) : FupPieces(plan, path, length);
  std::printf("\nRedetecting device\n");
  std::fflush(stdout);
  if (sent != fup::kDone) return sent;

  for (int i = 0; i < kRestartSeconds; ++i) Sleep(1000);
  SetTimeout(keep.Saved());
  const long found = FindAfterFUP();
  SetUpdateState(6);
  return found;
}

long ScsiInt::FupRoutine(const char* routine, const char* path, long length) {
  if (!Ready()) return -3;
  FupPlan plan;
  if (!FupPlanFor(routine, device_->familyCode, device_->mfgId, &plan)) return fup::kUnsupported;
  return plan.composite ? FupComposite(plan, path, length) : FupPieces(plan, path, length);
}

long ScsiInt::FupLTO(const char* path, long length) { return FupRoutine("FupLTO", path, length); }
long ScsiInt::FupLTOC(const char* path, long length) { return FupRoutine("FupLTOC", path, length); }
long ScsiInt::FupZEP(const char* path, long length) { return FupRoutine("FupZEP", path, length); }
long ScsiInt::FupKORU(const char* path, long length) { return FupRoutine("FupKORU", path, length); }
long ScsiInt::FupWN(const char* path, long length) { return FupRoutine("FupWN", path, length); }
long ScsiInt::FupDAT(const char* path, long length) { return FupRoutine("FupDAT", path, length); }
long ScsiInt::FupTRAVAN(const char* path, long length) { return FupRoutine("FupTRAVAN", path, length); }
long ScsiInt::FupMagnaChange(const char* path, long length) { return FupRoutine("FupMagnaChange", path, length); }
long ScsiInt::FupThriftStack(const char* path, long length) { return FupRoutine("FupThriftStack", path, length); }
long ScsiInt::FupBR(const char* path, long length) { return FupRoutine("FupBR", path, length); }

long ScsiInt::FupPrepare(const FupPlan& plan) {
  const auto parameters = [this] {
    SetParameter("ENANONIMMFUP", "0");
    SetParameter("EEPERSOVR", "1");
  };
  const auto blockAndCompression = [this] {
    SetCurrentBlockSize(8192);
    SetCompression(0);
    SetCompressionDCE(false);
  };
  switch (plan.prep) {
    case FupPrep::kUnloadAndIdentify: {
      const long saved = GetTimeout();
      Unload(kUnloadTimeout);
      SetTimeout(saved);
      TestUnitReady();
      Inquiry();
      break;
    }
    case FupPrep::kParametersThreeProbes:
      parameters();
      ReadinessProbes(3);
      break;
    case FupPrep::kParametersFourProbes:
      parameters();
      ReadinessProbes(4);
      break;
    case FupPrep::kParametersBlockAndCompression:
      if (device_->sequential) parameters();
      ReadinessProbes(3);
      blockAndCompression();
      break;
    case FupPrep::kBlockAndCompression:
      blockAndCompression();
      break;
    case FupPrep::kNone:
    case FupPrep::kValidateWrapped:
      break;
  }
  return 1;
}

long ScsiInt::FupPieces(const FupPlan& plan, const char* path, long fileLength) {
  KeepTimeout keep(*this);
  SetTimeout(plan.pieceTimeout);
  SenseReset();
  ClearTexts();
  std::memset(device_->senseBuffer, 0, sizeof device_->senseBuffer);
  device_->senseSize = 0;
  char text[640];

  ImageFile file(path != nullptr ? std::fopen(path, "rb") : nullptr);
  if (!file) {
    std::snprintf(text, sizeof text, "Image file (%s) not found.", path != nullptr ? path : "");
    SetMessage(text, plan.context);
    return fup::kImageError;
  }
  long length = fileLength;
  // Only a changer's image carries a header (kept by FupFileSize).
  const long header = device_->changer ? ImageHeader.Length() : 0;
  if (plan.prep == FupPrep::kValidateWrapped) {
    if (validateImageFile(file.get(), length) == 0) {
      SetMessage("Invalid firmware image file.", "FupBR()");
      return fup::kNoMemory;
    }
  } else if (header > 0) {
    length -= header;
    if (std::fseek(file.get(), header, SEEK_SET) != 0) length = 0;
  }
  if (length < 1) {
    std::snprintf(text, sizeof text, "Image file (%s) zero length.", path);
    SetMessage(text, plan.context);
    return fup::kImageError;
  }
  // The offset field has 24 bits: a larger image would wrap onto its start.
  if (!plan.offsetsZero && plan.startOffset + length >= fup::kAddressable) {
    std::snprintf(text, sizeof text, "Image file (%s) too large: %ld bytes, the device addresses at most %ld.",
                  path, length, fup::kAddressable - 1 - plan.startOffset);
    SetMessage(text, plan.context);
    return fup::kImageError;
  }

  const long pieceSize = plan.pieceSize > 0 ? plan.pieceSize : length;
  const long pieces = plan.keepLastForCommit ? length / pieceSize - (length % pieceSize == 0 ? 1 : 0)
                                             : (length + pieceSize - 1) / pieceSize;
  PieceBuffer piece(new (std::nothrow) uint8_t[static_cast<size_t>(pieceSize)]);
  if (!piece) {
    SetMessage("Memory Allocation Error.", "FupGeneric()");
    return fup::kNoMemory;
  }
  std::snprintf(text, sizeof text, "%s ( Bytes: %ld , Chunks: %ld , Buffer Size: %ld )  %s", plan.announce, length,
                pieces, pieceSize, path);
  SetMessage(text, plan.context);
  FupPrepare(plan);

  // A short read would leave a hole in the image: never send, let alone
  // commit, a half-read image.
  const auto readExactly = [&](long want, long sentSoFar) {
    if (static_cast<long>(std::fread(piece.get(), 1, static_cast<size_t>(want), file.get())) == want) return true;
    std::snprintf(text, sizeof text, "Error reading image file (%s) after %ld of %ld bytes.", path, sentSoFar,
                  length);
    SetMessage(text, plan.context);
    return false;
  };

  Progress progress(length);
  long offset = plan.startOffset;
  long lastPieceAt = plan.startOffset;
  long sent = 0;
  if (plan.sendTimeout > 0) SetTimeout(plan.sendTimeout);
  for (long i = 0; i < pieces; ++i) {
    const long n = std::min(pieceSize, length - sent);
    if (!readExactly(n, sent)) return fup::kImageError;
    const long at = plan.offsetsZero ? 0 : offset;
    long result = 0;
    for (int attempt = 0; attempt < plan.attempts && result != 1; ++attempt)
      result = WriteBuffer(piece.get(), n, fup::kModeDownload, plan.pieceBufferId, at, plan.bufferIdOverride);
    const bool restartedEarly = plan.lastPieceTransportErrorIsDone && i == pieces - 1 && result == -5;
    if (result != 1 && !restartedEarly) {
      if (plan.lastPieceTransportErrorIsDone)
        std::snprintf(text, sizeof text, "Error writing image file to drive (%s) %ld of %ld bytes written. Status = %ld.",
                      path, sent, length, result);
      else
        std::snprintf(text, sizeof text, "Error writing image file to drive (%s) %ld of %ld bytes written.", path,
                      sent, length);
      SetMessage(text, plan.context);
      return fup::kSendError;
    }
    lastPieceAt = at;
    offset += n;
    sent += n;
    progress.Sent(sent);
    if (plan.pauseMs > 0) Sleep(static_cast<unsigned long>(plan.pauseMs));
  }

  SetTimeout(kCommitTimeout);
  const long rest = length - sent;
  if (rest > 0 && !readExactly(rest, sent)) return fup::kImageError;
  device_->updateState = 3;
  long result = 1;
  SenseReset();
  switch (plan.commit) {
    case FupCommit::kNone:
      break;
    case FupCommit::kSave: {
      long at = rest > 0 ? offset : 0;
      if (plan.commitAt == FupCommitAt::kReached) at = offset;
      if (plan.commitAt == FupCommitAt::kLastPiece) at = lastPieceAt;
      if (plan.offsetsZero) at = 0;
      result = WriteBuffer(piece.get(), rest, fup::kModeDownloadAndSave, 0, at, plan.bufferIdOverride);
      break;
    }
    case FupCommit::kEmptyDownload:
      result = WriteBuffer(nullptr, 0, fup::kModeDownload, plan.pieceBufferId, offset, 0);
      break;
  }
  // NOT READY, 3Eh: the drive is already restarting with the new image.
  if (result != 1 && GetCheckCondition() != fup::kRestarting) {
    std::snprintf(text, sizeof text,
                  rest == 0 ? "Error committing image file to drive (%s) %ld of %ld bytes written."
                            : "Error writing image file to drive (%s) %ld of %ld bytes written.",
                  path, sent, length);
    SetMessage(text, plan.context);
    return fup::kCommitError;
  }
  if (rest > 0) progress.Sent(length);
  for (long i = 0; i < plan.waitAfterSeconds; ++i) Sleep(1000);
  return fup::kDone;
}

// The loader image: a directory, then a loader part and an interface part,
// each committed to its own buffer.
long ScsiInt::FupComposite(const FupPlan& plan, const char* path, long length) {
  constexpr long kCompositeSize = 126720;
  constexpr long kLoaderPart = 65280;
  constexpr long kInterfacePart = 60928;
  constexpr size_t kLoaderAt = 96;
  constexpr size_t kInterfaceAt = 16;
  KeepTimeout keep(*this);
  SetTimeout(plan.pieceTimeout);
  char text[640];
  if (length != kCompositeSize) {
    std::snprintf(text, sizeof text,
                  "ThriftStack/PowerVault Image size error - Only Composite images are supported -  %ld Bytes   %ld "
                  "Required",
                  length, kCompositeSize);
    SetMessage(text, kContext);
    return fup::kImageError;
  }
  ImageFile file(path != nullptr ? std::fopen(path, "rb") : nullptr);
  uint8_t directory[512] = {};
  if (!file || std::fread(directory, 1, sizeof directory, file.get()) != sizeof directory) {
    std::snprintf(text, sizeof text, "Image file (%s) not found.", path != nullptr ? path : "");
    SetMessage(text, kContext);
    return fup::kImageError;
  }
  PieceBuffer part(new (std::nothrow) uint8_t[kLoaderPart]);
  if (!part) {
    SetMessage("Memory Allocation Error.", "FupGeneric()");
    return fup::kNoMemory;
  }
  FupPrepare(plan);
  SetTimeout(kCommitTimeout);
  const auto readPart = [&](size_t at, long size, const char* format) {
    const long position = static_cast<long>(ReadLe32(directory + at));
    long got = 0;
    if (std::fseek(file.get(), position, SEEK_SET) == 0)
      got = static_cast<long>(std::fread(part.get(), 1, static_cast<size_t>(size), file.get()));
    if (got == size) return true;
    std::snprintf(text, sizeof text, format, path, got);
    SetMessage(text, kContext);
    return false;
  };
  const auto commit = [&](long size, int bufferId, const char* format) {
    SenseReset();
    const long result = WriteBuffer(part.get(), size, fup::kModeDownloadAndSave, bufferId, 0, 0);
    if (result == 1 || GetCheckCondition() == fup::kRestarting) return true;
    std::snprintf(text, sizeof text, format, path, size);
    SetMessage(text, kContext);
    return false;
  };

  if (!readPart(kLoaderAt, kLoaderPart, "Error reading image file for loader (%s) %ld bytes.")) return fup::kCommitError;
  if (!commit(kLoaderPart, 0x82, "Error committing image file to loader (%s) 0 of %ld bytes written."))
    return fup::kCommitError;
  device_->updateState = 3;
  if (!readPart(kInterfaceAt, kInterfacePart, "Error reading image file for SCSI/loader (%s) %ld bytes."))
    return fup::kCommitError;
  Sleep(4500);
  TestUnitReady();
  TestUnitReady();
  if (!commit(kInterfacePart, 0x81, "Error committing image file to SCSI/loader (%s) 0 of %ld bytes written."))
    return fup::kCommitError;
  return fup::kDone;
}
