// Firmware upgrade tapes: writing an image onto the loaded cartridge so that
// other drives of the line can update from it, and asking a drive to update
// from, or revert, such a tape.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>

#include "device/firmware.h"
#include "device/scsi_int.h"

namespace {

constexpr long kPieceTimeout = 45;
constexpr long kCommitTimeout = 300;
constexpr long kRewindTimeout = 600;
constexpr long kUnloadTimeout = 600;
constexpr long kFinalUnloadTimeout = 120;
constexpr int kPauseMs = 20;
constexpr uint8_t kPageFormatOffline = 0x11;
constexpr uint8_t kPageFormat = 0x10;

// The vendor page that puts the drive into tape-creation mode.
constexpr std::array<uint8_t, 32> kCreationPage = {0xA1, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                                                   0x01, 0x00, 0x00, 0x46, 0x50, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                   0x0F, 0xA0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F, 0xA0};
// The page that finishes a tape on two older lines.
constexpr std::array<uint8_t, 22> kFinishPage = {0x99, 0x00, 0x00, 0x12, 0x00, 0x40};

struct TapeRoutineRow {
  std::array<int, 13> families;  // unused places 0
  long (ScsiInt::*write)(const char*, long);
};

constexpr TapeRoutineRow kTapeRoutines[] = {
    {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, &ScsiInt::FupTapeKORU},
    {{14, 15, 16, 17, 19}, &ScsiInt::FupTapeLTO},
    {{18, 20}, &ScsiInt::FupTapeLTOB},
    {{22, 24}, &ScsiInt::FupTapeLTO5},
    {{32}, &ScsiInt::FupTapeDAT320},
};

// Media type of the loaded cartridge -> the density its upgrade tape is
// written in (0: depends on the family, see below).
struct DensityRow {
  int mediaType;
  int density;
  int family;  // a family that takes another density
  int familyDensity;
};

constexpr DensityRow kKoruDensities[] = {
    {0x85, 0x1A, 0, 0},    {0x86, 0x49, 10, 0x48}, {0x87, 0x4A, 0, 0}, {0x88, 0x4A, 0, 0},
    {0x90, 0x51, 3, 0x50}, {0x91, 0x4B, 0, 0},     {0x92, 0x4B, 0, 0},
};

constexpr int kFamiliesCopyingOwnFirmware[] = {25, 26};

}  // namespace

long ScsiInt::FupTape(const char* path, const DriveIdentity* chosen) {
  if (!Ready()) return -3;
  // The cartridge overwritten is the one in the drive chosen, or none.
  DriveIdentity now{};
  if (const long confirmed = ConfirmChosenDrive(chosen != nullptr ? *chosen : RecordedIdentity(), &now);
      confirmed != fup::kDone)
    return confirmed;
  const int family = device_->familyCode;
  if (std::ranges::find(kFamiliesCopyingOwnFirmware, family) != std::end(kFamiliesCopyingOwnFirmware)) {
    const long result = FupTapeLTOC();
    return result == fup::kDone ? fup::kUpdated : result;
  }
  const long length = FupFileSize(path);
  if (length <= fup::kDone) return length;
  ReadinessProbes(3);
  if (TestUnitReady() == -2) {
    const long condition = GetCheckCondition();
    if (condition == fup::kNoMedium) return fup::kNoCartridge;
    if (condition != 0) return fup::kUnsupported;
  }
  const auto row = std::ranges::find_if(kTapeRoutines, [family](const TapeRoutineRow& r) {
    return family > 0 && std::ranges::find(r.families, family) != r.families.end();
  });
  if (row == std::end(kTapeRoutines)) {
    std::printf("\nCreation of FUP tapes is not supported on this device\n");
    return fup::kUnsupported;
  }
  const long result = (this->*(row->write))(path, length);
  return result == fup::kDone ? fup::kUpdated : result;
}

// The drive-side requests: 'p' create a tape from the drive's own
// firmware, 'u' update from the loaded tape, 'q' revert it to a data tape.
long ScsiInt::FupTapeDiagnostic(uint8_t action, uint8_t value) {
  if (!Ready()) return -3;
  ReadinessProbes(3);
  const uint8_t page[8] = {0x80, 0x00, 0x00, 0x04, 0x01, action, value, 0x00};
  SenseReset();
  return Diag(kPageFormatOffline, page, sizeof page) > 0 ? fup::kDone : fup::kUnsupported;
}

long ScsiInt::FupTapeLTOC() {
  const long result = FupTapeDiagnostic('p', 0x01);
  if (result == fup::kDone) Unload(kUnloadTimeout);
  return result;
}

long ScsiInt::FupFromTape() { return FupTapeDiagnostic('u', 0x00); }

long ScsiInt::RevertFupTape() { return FupTapeDiagnostic('q', 0x00); }

// 20 00 00 FF FF 00 00 00 00 00
long ScsiInt::WriteUpgradeTape() {
  const uint8_t cdb[10] = {0x20, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00};
  return SendCdb(kDataNone, cdb, sizeof cdb, "WriteUpgradeTape", nullptr, 0);
}

// Writes the image in pieces: tape blocks (Write), or the drive's buffer
// (WRITE BUFFER at increasing offsets, then the drive writes it out).
long ScsiInt::FupTapeWrite(const char* routine, const char* path, long length, long pieceSize, bool viaBuffer) {
  char context[48];
  std::snprintf(context, sizeof context, "%s()", routine);
  char text[640];
  SenseReset();
  ClearTexts();
  std::memset(device_->senseBuffer, 0, sizeof device_->senseBuffer);
  device_->senseSize = 0;
  if (viaBuffer && length >= fup::kAddressable) {
    std::snprintf(text, sizeof text, "Image file (%s) too large: %ld bytes, the device addresses at most %ld.", path,
                  length, fup::kAddressable - 1);
    SetMessage(text, context);
    return fup::kImageError;
  }
  const long pieces = (length + pieceSize - 1) / pieceSize;
  std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[static_cast<size_t>(pieceSize)]);
  if (!piece) {
    SetMessage("Memory Allocation Error.", context);
    return fup::kNoMemory;
  }
  ImageFile file(path != nullptr ? std::fopen(path, "rb") : nullptr);
  if (!file) {
    std::snprintf(text, sizeof text, "Image file (%s) not found.", path != nullptr ? path : "");
    SetMessage(text, context);
    return fup::kImageError;
  }
  std::snprintf(text, sizeof text, "FUP DRIVE ( Bytes: %ld , Chunks: %ld , Buffer Size: %ld )  %s", length, pieces,
                pieceSize, path);
  SetMessage(text, context);

  long written = 0;
  for (long i = 0; i < pieces; ++i) {
    const long want = std::min(pieceSize, length - written);
    // A piece cut short would put a damaged image on the tape.
    if (static_cast<long>(std::fread(piece.get(), 1, static_cast<size_t>(want), file.get())) != want) {
      SetMessage("Error reading data from image file.", context);
      return fup::kImageError;
    }
    const long result =
        viaBuffer ? WriteBuffer(piece.get(), want, fup::kModeDownload, 0, written, 0) : Write(piece.get(), want);
    if (result <= 0) {
      std::snprintf(text, sizeof text, "Error writing image file to drive (%s) %ld of %ld bytes written.", path,
                    written, length);
      SetMessage(text, context);
      return fup::kSendError;
    }
    written += want;
    Sleep(kPauseMs);
  }
  return fup::kDone;
}

long ScsiInt::FupTapeLTO(const char* path, long length) {
  if (!Ready()) return -3;
  KeepTimeout keep(*this);
  SetTimeout(kPieceTimeout);
  const long result = FupTapeWrite("FupTapeLTO", path, length, 8192, true);
  if (result != fup::kDone) return result;
  device_->updateState = 3;
  SetTimeout(kCommitTimeout);
  SenseReset();
  if (WriteBuffer(nullptr, 0, fup::kModeDownloadAndSave, 0, length, 0xFF) != 1 &&
      GetCheckCondition() != fup::kRestarting) {
    char text[640];
    std::snprintf(text, sizeof text, "Error committing image file to drive (%s) %ld of %ld bytes written.", path,
                  length, length);
    SetMessage(text, "FupTapeLTO()");
    return fup::kCommitError;
  }
  return fup::kDone;
}

namespace {

// The creation page, after the rewind; shared by both Ultrium routines.
long EnterCreationMode(ScsiInt& s) {
  return s.Diag(kPageFormatOffline, kCreationPage.data(), kCreationPage.size()) > 0 ? fup::kDone : fup::kUnsupported;
}

long RewindAndUnload(ScsiInt& s) {
  s.Rewind(kRewindTimeout);
  s.Unload(kFinalUnloadTimeout);
  return fup::kDone;
}

}  // namespace

long ScsiInt::FupTapeLTO5(const char* path, long length) {
  if (!Ready()) return -3;
  KeepTimeout keep(*this);
  SetTimeout(kPieceTimeout);
  if (Rewind(kRewindTimeout) <= 0) return fup::kUnsupported;
  // MODE SENSE(6) of the device configuration page: the density code of
  // the block descriptor tells the cartridge generation.
  const uint8_t sense[6] = {0x1A, 0x00, 0x10, 0x00, 0x1C, 0x00};
  uint8_t answer[0x1C] = {};
  if (SendCdb(kDataIn, sense, sizeof sense, "ModeSense(10h)", answer, sizeof answer) < 5) {
    SetMessage("Failed to obtain medium density", "FupTapeLTO5()");
    return fup::kUnsupported;
  }
  switch (answer[4]) {
    case 0x58:
    case 0x5A: {
      Locate(0, 0);
      const uint8_t format[10] = {0x04};
      if (SendCdb(kDataNone, format, sizeof format, "FormatMedium", nullptr, 0) <= 0) return fup::kUnsupported;
      break;
    }
    case 0x46:
      break;
    default:
      SetMessage("Writeable Medium, Ultrium 4 or Ultrium 5 required", "FupTapeLTO5()");
      return fup::kNotReadyForUpdate;
  }
  if (EnterCreationMode(*this) != fup::kDone) return fup::kUnsupported;
  const long result = FupTapeWrite("FupTapeLTO5", path, length, 32768, false);
  if (result != fup::kDone) return result;
  return RewindAndUnload(*this);
}

long ScsiInt::FupTapeLTOB(const char* path, long length) {
  if (!Ready()) return -3;
  KeepTimeout keep(*this);
  SetTimeout(kPieceTimeout);
  if (Rewind(kRewindTimeout) <= 0) return fup::kUnsupported;
  if (EnterCreationMode(*this) != fup::kDone) return fup::kUnsupported;
  const long result = FupTapeWrite("FupTapeLTOB", path, length, 32768, false);
  if (result != fup::kDone) return result;
  return RewindAndUnload(*this);
}

long ScsiInt::FupTapeKORU(const char* path, long length) {
  if (!Ready()) return -3;
  KeepTimeout keep(*this);
  SetTimeout(kPieceTimeout);
  const int family = device_->familyCode;
  Rewind(kRewindTimeout);
  MediaCheck();
  const int type = static_cast<int>(GetMediaType());
  const auto row = std::ranges::find(kKoruDensities, type, &DensityRow::mediaType);
  if (row == std::end(kKoruDensities)) return fup::kUnsupported;
  const int density = row->family != 0 && row->family == family ? row->familyDensity : row->density;
  if (SetMediaDensity(density) <= 0 || SetCompression(0) <= 0 || SetCompressionDCE(false) <= 0)
    return fup::kUnsupported;
  const long result = FupTapeWrite("FupTapeKORU", path, length, 4096, false);
  if (result != fup::kDone) return result;
  if (family == 3 || family == 4) {
    if (Diag(kPageFormat, kFinishPage.data(), kFinishPage.size()) <= 0) return fup::kUnsupported;
  }
  return RewindAndUnload(*this);
}

long ScsiInt::FupTapeDAT320(const char* path, long length) {
  if (!Ready()) return -3;
  KeepTimeout keep(*this);
  SetTimeout(kPieceTimeout);
  Rewind(kRewindTimeout);
  if (MediaCheck() <= 0 || SetMediaDensity(0x4D) <= 0 || SetCompression(0) <= 0 || SetCompressionDCE(false) <= 0)
    return fup::kUnsupported;
  const long result = FupTapeWrite("FupTapeDAT320", path, length, 32768, false);
  if (result != fup::kDone) return result;
  SetMessage("Writing File Mark...", "FupTapeDAT320()");
  if (WriteFileMark(1) <= 0) return fup::kSendError;
  SetMessage("Writing Upgrade Tape...", "FupTapeDAT320()");
  if (WriteUpgradeTape() <= 0) return fup::kSendError;
  return RewindAndUnload(*this);
}
