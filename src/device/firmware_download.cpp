// Firmware download: WRITE BUFFER, the whole update (FupDrive) and the
// family routines, which all cut and send the image the same way with the
// differences taken from the family plan (firmware_families.cpp).
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/byte_order.h"
#include "base/text_util.h"
#include "device/firmware.h"
#include "device/scsi_int.h"

namespace {

constexpr const char* kContext = "FupDrive()";
constexpr long kCommitTimeout = 300;
constexpr long kUnloadTimeout = 600;
constexpr int kSettleSeconds = 10;
constexpr int kRestartSeconds = 20;

constexpr const char* kStateTexts[] = {
    "", "FUP Setup", "FUP Write Image", "FUP Commit Image", "FUP Device Reset", "FUP Relocate Device", "FUP Complete"};
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

volatile std::sig_atomic_t g_fupPhase = 0;

void SetPhase(ScsiInt::FupPhase phase) { g_fupPhase = static_cast<std::sig_atomic_t>(phase); }

// An update under way: nothing is committed until a step says so, and
// nothing is under way once it returns.
class PhaseScope {
 public:
  PhaseScope() { SetPhase(ScsiInt::FupPhase::kNothingCommitted); }
  ~PhaseScope() { SetPhase(ScsiInt::FupPhase::kNone); }
  PhaseScope(const PhaseScope&) = delete;
  PhaseScope& operator=(const PhaseScope&) = delete;
};

// FupPieces' result when the piece that activates the image went out but its
// status was lost in the transport: only the restarted drive can tell
// whether it arrived.
constexpr long kLastPieceUnacknowledged = -58;

bool SameDrive(const DriveIdentity& a, const DriveIdentity& b) {
  return std::strncmp(a.description, b.description, sizeof a.description) == 0 &&
         std::strncmp(a.serialNumber, b.serialNumber, sizeof a.serialNumber) == 0;
}

// "[serial] [vendor product]" for a message, without the padding blanks.
struct ShownDrive {
  char text[72];
};
ShownDrive Shown(const DriveIdentity& id) {
  ShownDrive shown;
  const std::string_view description = text::TrimSpace(text::View(id.description));
  std::snprintf(shown.text, sizeof shown.text, "[%.31s] [%.*s]", id.serialNumber, static_cast<int>(description.size()),
                description.data());
  return shown;
}

const char* OrUnknown(const char* revision) { return revision[0] != '\0' ? revision : "(unknown)"; }

}  // namespace

ScsiInt::FupPhase ScsiInt::FupPhaseNow() { return static_cast<FupPhase>(g_fupPhase); }

// WRITE BUFFER mode bufferId offset(3) length(3)
long ScsiInt::WriteBuffer(const uint8_t* data, long length, int mode, int bufferId, long offset, int bufferIdOverride) {
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

long ScsiInt::FupDrive(const char* path, const DriveIdentity* chosen) {
  if (!Ready()) return -3;
  detachedMessage_[0] = '\0';
  PhaseScope phase;
  KeepTimeout keep(*this);
  device_->updateState = 1;
  std::printf("\nChecking image file (%s)\n", path != nullptr ? path : "");
  // Everything that needs no drive comes first: a bad image or a model line
  // without a routine must not cost the user a rewind and an unload.
  const long length = FupFileSize(path);
  if (length <= fup::kDone) return length;
  FupPlan plan;
  if (!FupPlanFor(nullptr, device_->familyCode, device_->mfgId, &plan)) {
    SetMessage("FUP - Unknown or Unsupported device type.", kContext);
    return fup::kUnsupported;
  }
  FupImage image;
  const long loaded = LoadImage(plan, path, length, &image);
  if (loaded != fup::kDone) return loaded;
  // The drive chosen, and only it: before the readiness check touches the
  // cartridge, and again right before the first piece.
  const DriveIdentity expected = chosen != nullptr ? *chosen : RecordedIdentity();
  DriveIdentity before{};
  if (const long confirmed = ConfirmChosenDrive(expected, &before); confirmed != fup::kDone) return confirmed;

  std::printf("\nChecking device readiness\n");
  const long ready = CheckFupReadyness();
  if (ready != fup::kDone) return ready;

  Sleep(kSettleSeconds * 1000);
  TestUnitReady();
  TestUnitReady();
  if (const long confirmed = ConfirmChosenDrive(expected, &before); confirmed != fup::kDone) return confirmed;
  std::printf("\nSending image file to the device\n");
  std::fflush(stdout);
  device_->updateState = 2;
  const long sent = plan.composite ? FupComposite(plan, path, image) : FupPieces(plan, path, image);
  std::printf("\nRedetecting device\n");
  std::fflush(stdout);
  if (sent != fup::kDone && sent != kLastPieceUnacknowledged) return sent;
  // The restart clears the texts; the reason for doubt must outlive it.
  char unacknowledged[sizeof device_->message] = {};
  if (sent == kLastPieceUnacknowledged) CopyText(unacknowledged, device_->message);

  SetPhase(FupPhase::kRestarting);
  for (int i = 0; i < kRestartSeconds; ++i) Sleep(1000);
  SetTimeout(keep.Saved());
  const long found = FindAfterFUP();
  SetUpdateState(6);
  if (found != fup::kUpdated) return found;
  return VerifyRevision(before.revision, image.revision, sent == kLastPieceUnacknowledged ? unacknowledged : nullptr);
}

long ScsiInt::ConfirmChosenDrive(const DriveIdentity& chosen, DriveIdentity* now) {
  char text[512];  // the message buffer keeps what fits
  if (ReadIdentity(now) != 1) {
    std::snprintf(text, sizeof text, "Error: %s did not answer with its identity; nothing was sent.", device_->path);
    SetMessage(text, kContext);
    return fup::kNotChosenDrive;
  }
  if (SameDrive(*now, chosen)) return fup::kDone;
  std::snprintf(text, sizeof text, "Error: %s now answers as %s, not as the drive chosen %s; nothing was sent.",
                device_->path, Shown(*now).text, Shown(chosen).text);
  SetMessage(text, kContext);
  return fup::kNotChosenDrive;
}

long ScsiInt::VerifyRevision(const char* before, const char* named, const char* unacknowledged) {
  const DriveIdentity now = RecordedIdentity();
  std::printf("\nFirmware revision %s -> %s\n", OrUnknown(before), OrUnknown(now.revision));
  std::fflush(stdout);
  // The image's own name for its revision is the proof when it has one;
  // without it, only a revision other than the old one is.
  const bool proven = named[0] != '\0' ? std::strcmp(now.revision, named) == 0
                                       : now.revision[0] != '\0' && std::strcmp(now.revision, before) != 0;
  if (proven) return fup::kUpdated;
  if (unacknowledged != nullptr) {
    CopyText(device_->message, text::View(unacknowledged));
    return fup::kSendError;
  }
  char text[256];
  const bool old = std::strcmp(now.revision, before) == 0;
  if (named[0] == '\0')
    std::snprintf(text, sizeof text, "The drive came back with its old firmware revision %s.", OrUnknown(now.revision));
  else
    std::snprintf(text, sizeof text, "The drive came back with %sfirmware revision %s, not %s as the image names.",
                  old ? "its old " : "", OrUnknown(now.revision), named);
  SetMessage(text, kContext);
  return fup::kRevisionNotConfirmed;
}

long ScsiInt::FupRoutine(const char* routine, const char* path, long length) {
  if (!Ready()) return -3;
  PhaseScope phase;
  FupPlan plan;
  if (!FupPlanFor(routine, device_->familyCode, device_->mfgId, &plan)) return fup::kUnsupported;
  FupImage image;
  const long loaded = LoadImage(plan, path, length, &image);
  if (loaded != fup::kDone) return loaded;
  const long sent = plan.composite ? FupComposite(plan, path, image) : FupPieces(plan, path, image);
  // Without the restart nothing proves that an unacknowledged last piece
  // arrived.
  return sent == kLastPieceUnacknowledged ? fup::kSendError : sent;
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

long ScsiInt::FupPieces(const FupPlan& plan, const char* path, const FupImage& image) {
  KeepTimeout keep(*this);
  SetTimeout(plan.pieceTimeout);
  SenseReset();
  ClearTexts();
  std::memset(device_->senseBuffer, 0, sizeof device_->senseBuffer);
  device_->senseSize = 0;
  char text[640];
  const char* shown = path != nullptr ? path : "";

  const long length = image.length;
  const long pieceSize = plan.pieceSize > 0 ? plan.pieceSize : length;
  const long pieces = plan.keepLastForCommit ? length / pieceSize - (length % pieceSize == 0 ? 1 : 0)
                                             : (length + pieceSize - 1) / pieceSize;
  std::snprintf(text, sizeof text, "%s ( Bytes: %ld , Chunks: %ld , Buffer Size: %ld )  %s", plan.announce, length,
                pieces, pieceSize, shown);
  SetMessage(text, plan.context);
  FupPrepare(plan);

  Progress progress(length);
  long offset = plan.startOffset;
  long lastPieceAt = plan.startOffset;
  long sent = 0;
  bool unacknowledged = false;
  if (plan.sendTimeout > 0) SetTimeout(plan.sendTimeout);
  for (long i = 0; i < pieces; ++i) {
    const long n = std::min(pieceSize, length - sent);
    const long at = plan.offsetsZero ? 0 : offset;
    const bool last = i == pieces - 1;
    // Without a commit write the last piece is what activates the image.
    if (last && plan.commit == FupCommit::kNone) SetPhase(FupPhase::kCommitting);
    long result = 0;
    for (int attempt = 0; attempt < plan.attempts; ++attempt) {
      result = WriteBuffer(image.data + sent, n, fup::kModeDownload, plan.pieceBufferId, at, plan.bufferIdOverride);
      // Only a piece the drive refused may go again: one that timed out or
      // was lost on the way may have reached it, and twice is corruption.
      if (result != -2) break;
    }
    unacknowledged = plan.lastPieceTransportErrorIsDone && last && result == -5;
    if (result != 1) {
      if (plan.lastPieceTransportErrorIsDone)
        std::snprintf(text, sizeof text,
                      "Error writing image file to drive (%s) %ld of %ld bytes written. Status = %ld.", shown, sent,
                      length, result);
      else
        std::snprintf(text, sizeof text, "Error writing image file to drive (%s) %ld of %ld bytes written.", shown,
                      sent, length);
      SetMessage(text, plan.context);
      if (!unacknowledged) return fup::kSendError;
    }
    lastPieceAt = at;
    offset += n;
    sent += n;
    progress.Sent(sent);
    if (plan.pauseMs > 0) Sleep(static_cast<unsigned long>(plan.pauseMs));
  }

  SetTimeout(kCommitTimeout);
  const long rest = length - sent;
  device_->updateState = 3;
  long result = 1;
  SenseReset();
  if (plan.commit != FupCommit::kNone) SetPhase(FupPhase::kCommitting);
  switch (plan.commit) {
    case FupCommit::kNone:
      break;
    case FupCommit::kSave: {
      long at = rest > 0 ? offset : 0;
      if (plan.commitAt == FupCommitAt::kReached) at = offset;
      if (plan.commitAt == FupCommitAt::kLastPiece) at = lastPieceAt;
      if (plan.offsetsZero) at = 0;
      result = WriteBuffer(image.data + sent, rest, fup::kModeDownloadAndSave, 0, at, plan.bufferIdOverride);
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
                  shown, sent, length);
    SetMessage(text, plan.context);
    return fup::kCommitError;
  }
  if (rest > 0) progress.Sent(length);
  for (long i = 0; i < plan.waitAfterSeconds; ++i) Sleep(1000);
  return unacknowledged ? kLastPieceUnacknowledged : fup::kDone;
}

// The loader image: a directory, then a loader part and an interface part,
// each committed to its own buffer (LoadImage has checked that both lie
// inside the file).
long ScsiInt::FupComposite(const FupPlan& plan, const char* path, const FupImage& image) {
  KeepTimeout keep(*this);
  SetTimeout(plan.pieceTimeout);
  char text[640];
  const auto part = [&image](size_t at) { return image.data + ReadLe32(image.data + at); };
  const auto commit = [&](const uint8_t* bytes, long size, int bufferId, const char* format) {
    SenseReset();
    const long result = WriteBuffer(bytes, size, fup::kModeDownloadAndSave, bufferId, 0, 0);
    if (result == 1 || GetCheckCondition() == fup::kRestarting) return true;
    std::snprintf(text, sizeof text, format, path != nullptr ? path : "", size);
    SetMessage(text, kContext);
    return false;
  };
  FupPrepare(plan);
  SetTimeout(kCommitTimeout);
  SetPhase(FupPhase::kCommitting);
  if (!commit(part(fup::kLoaderAt), fup::kLoaderPart, 0x82,
              "Error committing image file to loader (%s) 0 of %ld bytes written."))
    return fup::kCommitError;
  device_->updateState = 3;
  Sleep(4500);
  TestUnitReady();
  TestUnitReady();
  if (!commit(part(fup::kInterfaceAt), fup::kInterfacePart, 0x81,
              "Error committing image file to SCSI/loader (%s) 0 of %ld bytes written."))
    return fup::kCommitError;
  return fup::kDone;
}
