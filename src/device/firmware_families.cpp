// Which routine downloads firmware to which family, and how each cuts and
// sends its image: one row per routine, then the rows where single families
// or makers differ from their routine.
#include <algorithm>
#include <array>
#include <string_view>

#include "device/firmware.h"

namespace {

constexpr int kIbm = 4;
constexpr int kHp = 5;

struct RoutineRow {
  std::array<int, 9> families;  // unused places 0
  FupPlan plan;
};

FupPlan Plan(const char* routine, long pieceTimeout, long pieceSize, int pauseMs, FupPrep prep) {
  FupPlan p;
  p.routine = routine;
  p.pieceTimeout = pieceTimeout;
  p.pieceSize = pieceSize;
  p.pauseMs = pauseMs;
  p.prep = prep;
  return p;
}

const RoutineRow* Routines() {
  static const RoutineRow rows[] = {
      {{1, 2, 3, 4, 43},
       [] {
         FupPlan p = Plan("FupWN", 45, 8192, 60, FupPrep::kParametersBlockAndCompression);
         p.sendTimeout = 150;
         p.attempts = 3;
         return p;
       }()},
      {{5, 6, 7, 8, 9},
       [] {
         FupPlan p = Plan("FupZEP", 70, 8192, 90, FupPrep::kParametersThreeProbes);
         p.commitAt = FupCommitAt::kReached;
         p.waitAfterSeconds = 120;
         return p;
       }()},
      {{10, 11, 12, 13}, Plan("FupKORU", 45, 8192, 20, FupPrep::kParametersFourProbes)},
      {{14, 15, 16, 17, 18, 19, 20, 22, 24}, Plan("FupLTO", 45, 16384, 20, FupPrep::kUnloadAndIdentify)},
      {{21, 23, 25, 26},
       [] {
         FupPlan p = Plan("FupLTOC", 45, 65536, 0, FupPrep::kNone);
         p.context = "FupLTOC()";
         p.announce = "FUP LTOC";
         p.pieceBufferId = 0x04;
         p.commit = FupCommit::kNone;
         p.lastPieceTransportErrorIsDone = true;
         return p;
       }()},
      {{27, 28, 29, 30, 31, 32, 41},
       [] {
         FupPlan p = Plan("FupDAT", 45, 8192, 20, FupPrep::kNone);
         p.commitAt = FupCommitAt::kLastPiece;
         return p;
       }()},
      {{33, 34, 35}, Plan("FupTRAVAN", 45, 8192, 20, FupPrep::kNone)},
      {{36, 37, 38, 42}, Plan("FupMagnaChange", 200, 8192, 20, FupPrep::kBlockAndCompression)},
      {{39, 40},
       [] {
         FupPlan p = Plan("FupThriftStack", 360, 0, 0, FupPrep::kBlockAndCompression);
         p.composite = true;
         return p;
       }()},
      {{44}, Plan("FupBR", 45, 0, 20, FupPrep::kValidateWrapped)},
  };
  return rows;
}
constexpr int kRoutineRows = 10;

// Single families that differ from their routine.
struct FamilyRow {
  int family;
  void (*adjust)(FupPlan&);
};

constexpr FamilyRow kFamilyRows[] = {
    {7, [](FupPlan& p) { p.keepLastForCommit = true; }},
    {12, [](FupPlan& p) { p.keepLastForCommit = true; }},
    {13, [](FupPlan& p) { p.keepLastForCommit = true; }},
    {3, [](FupPlan& p) { p.keepLastForCommit = true; }},
    {4, [](FupPlan& p) { p.keepLastForCommit = true; }},
    {28, [](FupPlan& p) { p.pieceSize = 16384, p.startOffset = 0x100000; }},
    {31, [](FupPlan& p) { p.pieceSize = 65536, p.offsetsZero = true, p.commit = FupCommit::kNone; }},
    {32, [](FupPlan& p) { p.pieceSize = 32768, p.pieceBufferId = 1, p.commit = FupCommit::kEmptyDownload; }},
};

// Makers whose LTO drives differ.
struct MakerRow {
  const char* routine;
  int mfgId;
  void (*adjust)(FupPlan&);
};

constexpr MakerRow kMakerRows[] = {
    {"FupLTO", kIbm, [](FupPlan& p) { p.keepLastForCommit = true, p.bufferIdOverride = 0x80; }},
    {"FupLTO", kHp, [](FupPlan& p) { p.pieceSize = 32768, p.offsetsZero = true; }},
};

}  // namespace

bool FupPlanFor(const char* routine, int familyCode, int mfgId, FupPlan* plan) {
  const RoutineRow* rows = Routines();
  const RoutineRow* row = std::find_if(rows, rows + kRoutineRows, [&](const RoutineRow& r) {
    if (routine != nullptr) return std::string_view(r.plan.routine) == routine;
    return familyCode > 0 && std::ranges::find(r.families, familyCode) != r.families.end();
  });
  if (row == rows + kRoutineRows) return false;
  FupPlan p = row->plan;
  for (const FamilyRow& f : kFamilyRows)
    if (f.family == familyCode && std::ranges::find(row->families, familyCode) != row->families.end()) f.adjust(p);
  for (const MakerRow& m : kMakerRows)
    if (m.mfgId == mfgId && std::string_view(m.routine) == p.routine) m.adjust(p);
  *plan = p;
  return true;
}
