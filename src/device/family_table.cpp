// The family codes: their texts and the model lines the predicates name.
#include "device/family.h"

namespace {

enum class Line { kNone, kWN, kZEP, kKORU, kLTO, kDAT, kTRAVAN, kLOADER, kBR };

struct Family {
  int code;
  const char* text;
  Line line;
};

constexpr Family kFamilies[] = {
    {0, "OTHER", Line::kNone},
    {1, "ZEP1", Line::kWN},
    {2, "WN80", Line::kWN},
    {3, "WN160", Line::kWN},
    {4, "ZEP-V4", Line::kWN},
    {5, "TZ87", Line::kZEP},
    {6, "TZ87XT", Line::kZEP},
    {7, "ZEP4000", Line::kZEP},
    {8, "ZEP7000", Line::kZEP},
    {9, "ZEP8000", Line::kZEP},
    {10, "KORU220", Line::kKORU},
    {11, "KORU320", Line::kKORU},
    {12, "KORU600", Line::kKORU},
    {13, "ZEP-S4", Line::kKORU},
    {14, "ULTRIUM", Line::kLTO},
    {15, "ULTRIUM GEN1", Line::kLTO},
    {16, "ULTRIUM GEN2", Line::kLTO},
    {17, "ULTRIUM GEN3", Line::kLTO},
    {18, "ULTRIUM GEN3", Line::kLTO},
    {19, "ULTRIUM GEN4", Line::kLTO},
    {20, "ULTRIUM GEN4", Line::kLTO},
    {21, "ULTRIUM GEN4", Line::kLTO},
    {22, "ULTRIUM GEN5", Line::kLTO},
    {23, "ULTRIUM GEN5", Line::kLTO},
    {24, "ULTRIUM GEN6", Line::kLTO},
    {25, "ULTRIUM GEN6", Line::kLTO},
    {26, "ULTRIUM GEN7", Line::kLTO},
    {27, "DDS/DAT", Line::kNone},
    {28, "DDS3", Line::kNone},
    {29, "DDS4", Line::kDAT},
    {30, "DAT72", Line::kDAT},
    {31, "DAT160", Line::kDAT},
    {32, "DAT320", Line::kDAT},
    {33, "TR4", Line::kTRAVAN},
    {34, "TR5", Line::kTRAVAN},
    {35, "TR7", Line::kTRAVAN},
    {36, "MAGNACHANGE", Line::kLOADER},
    {37, "SB LOADER", Line::kLOADER},
    {38, "FERNHOLLOWS", Line::kLOADER},
    {39, "THRIFTSTACK", Line::kLOADER},
    {40, "POWERVAULT", Line::kLOADER},
    {41, "DDS LOADER", Line::kLOADER},
    {42, "LTO LOADER", Line::kLOADER},
    {43, "WN80LOADER", Line::kLOADER},
    {44, "OTHER", Line::kBR},
};

// The maker's own model lines end before the WN80 loader and the BR line.
constexpr int kLastHalcyonCode = 42;

const Family* Find(int code) {
  for (const Family& f : kFamilies)
    if (f.code == code) return &f;
  return nullptr;
}

bool InLine(int code, Line line) {
  const Family* f = Find(code);
  return f != nullptr && f->line == line;
}

}  // namespace

const char* siDeviceTypeString(int code) {
  const Family* f = Find(code);
  return f == nullptr ? "OTHER" : f->text;
}

bool IsWN(int code) { return InLine(code, Line::kWN); }
bool IsZEP(int code) { return InLine(code, Line::kZEP); }
bool IsKORU(int code) { return InLine(code, Line::kKORU); }
bool IsLTO(int code) { return InLine(code, Line::kLTO); }
bool IsDAT(int code) { return InLine(code, Line::kDAT); }
bool IsTRAVAN(int code) { return InLine(code, Line::kTRAVAN); }
bool IsLOADER(int code) { return InLine(code, Line::kLOADER); }
bool IsBR(int code) { return InLine(code, Line::kBR); }
bool IsHALCYON(int code) { return code >= 1 && code <= kLastHalcyonCode; }
