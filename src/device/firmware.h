// The firmware download's inner pieces, shared by the image checks, the
// download routines and the upgrade tapes: the image header of changer
// images, the open image file, and the family plan that tells each routine
// how to cut and send an image.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "device/scsi_int.h"

// Result codes of the firmware operations (texts in error_texts.cpp).
namespace fup {
inline constexpr long kUpdated = 0;
inline constexpr long kNoMemory = 3;
inline constexpr long kNotReadyForUpdate = 51;
inline constexpr long kImageError = 52;
inline constexpr long kSendError = 53;
inline constexpr long kCommitError = 54;
inline constexpr long kNotFoundAfter = 55;
inline constexpr long kUnsupported = 56;
inline constexpr long kNoFileName = 57;
inline constexpr long kDone = 58;
inline constexpr long kMediumPresent = 61;
inline constexpr long kNoCartridge = 63;
inline constexpr long kChangerBusy = 64;
inline constexpr long kCartridgeAtFinalCheck = 66;
inline constexpr long kRevisionNotConfirmed = 67;
inline constexpr long kNotChosenDrive = 68;

// Check conditions the update relies on (key * 65536 + ASC * 256 + ASCQ).
inline constexpr long kNoMedium = 0x023A00;
inline constexpr long kNoMediumLoadable = 0x023A04;
inline constexpr long kRestarting = 0x023E00;
inline constexpr long kChangerInitializing = 0x040307;

inline constexpr uint8_t kModeDownload = 0x04;
inline constexpr uint8_t kModeDownloadAndSave = 0x05;
// WRITE BUFFER carries its offset in 24 bits.
inline constexpr long kAddressable = 0x1000000;

// The loaders' composite image: a directory, then a loader part and an
// interface part, wherever the directory says (little-endian positions).
inline constexpr long kCompositeSize = 126720;
inline constexpr long kLoaderPart = 65280;
inline constexpr long kInterfacePart = 60928;
inline constexpr size_t kLoaderAt = 96;
inline constexpr size_t kInterfaceAt = 16;
}  // namespace fup

// Image headers and directories hold their numbers least significant byte
// first, unlike everything the drives send.
inline uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The first 512 bytes of a changer image; all zero for other targets.
struct ImageHeaderArea {
  std::array<uint8_t, 512> bytes{};
  // Header length when the header is usable (1 to 999), else 0.
  long Length() const;
  uint32_t Marker() const;
};
extern ImageHeaderArea ImageHeader;

// Puts the device timeout back on every way out.
class KeepTimeout {
 public:
  explicit KeepTimeout(ScsiInt& s) : s_(s), saved_(s.GetTimeout()) {}
  ~KeepTimeout() { s_.SetTimeout(saved_); }
  KeepTimeout(const KeepTimeout&) = delete;
  KeepTimeout& operator=(const KeepTimeout&) = delete;
  long Saved() const { return saved_; }

 private:
  ScsiInt& s_;
  long saved_;
};

// An image as it goes to the device: the whole file, read and checked
// before anything is sent, so that no fault of the file shows only after
// part of it reached the drive.
struct FupImage {
  std::unique_ptr<uint8_t[]> file;
  long fileLength = 0;
  const uint8_t* data = nullptr;  // the bytes sent: after a header or prefix
  long length = 0;
  char revision[5] = {};  // the revision the image names; empty when none
};

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using ImageFile = std::unique_ptr<FILE, FileCloser>;
// Opens an image for reading; when it cannot be, the reason (not found,
// permission denied, a folder, ...) goes into the message and error texts.
ImageFile OpenImage(ScsiInt& s, const char* path, const char* context);

// 1: the file may be used, positioned after an optional wrapping prefix
// (`length` then 8 smaller); 0: the prefix is there but damaged.
int validateImageFile(FILE* file, long& length);
// The same test on the first 8 bytes of an image in memory: 0 no prefix,
// 1 a prefix to skip, -1 a damaged prefix.
int WrappedPrefix(const uint8_t* first8);

// How a routine gets the device ready before the pieces go out.
enum class FupPrep : uint8_t {
  kNone,
  kUnloadAndIdentify,  // unload, TEST UNIT READY, INQUIRY
  kParametersThreeProbes,
  kParametersFourProbes,
  kParametersBlockAndCompression,  // parameters (tape only), 3 probes, block size, compression off
  kBlockAndCompression,
  kValidateWrapped,  // the image may carry the DE AD BE EF prefix
};

// What ends the download.
enum class FupCommit : uint8_t {
  kSave,           // mode 05h carrying the rest (nothing in style A)
  kNone,           // every piece is final; the device activates by itself
  kEmptyDownload,  // an empty mode-04h write to the pieces' buffer
};

// Where the commit goes.
enum class FupCommitAt : uint8_t {
  kRestOrZero,  // the offset of the rest in style B, else 0
  kReached,     // the offset the pieces reached
  kLastPiece,   // the offset of the last piece
};

// Everything one family routine needs to know, resolved for one device.
struct FupPlan {
  const char* routine = "";  // "FupLTO"
  const char* context = "FupDrive()";
  const char* announce = "FUP DRIVE";
  long pieceTimeout = 45;
  long sendTimeout = 0;            // timeout while pieces go out (0: pieceTimeout)
  long pieceSize = 8192;           // 0: the whole image in one piece
  bool keepLastForCommit = false;  // style B
  uint8_t pieceBufferId = 0;
  uint8_t bufferIdOverride = 0;
  long startOffset = 0;
  bool offsetsZero = false;
  int pauseMs = 20;
  int attempts = 1;
  FupPrep prep = FupPrep::kNone;
  FupCommit commit = FupCommit::kSave;
  FupCommitAt commitAt = FupCommitAt::kRestOrZero;
  bool lastPieceTransportErrorIsDone = false;  // the device restarts before the status
  long waitAfterSeconds = 0;
  bool composite = false;  // the two-part loader image
};

// The plan of a routine ("FupLTO"; null: the one that serves the family)
// for a family code and manufacturer id; false when there is none.
bool FupPlanFor(const char* routine, int familyCode, int mfgId, FupPlan* plan);
