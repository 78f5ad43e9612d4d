// Family codes: the device layer's classification of a drive or autoloader
// model line, and the predicates firmware download and upgrade tapes use.
#pragma once

// Family codes the device layer branches on (the whole list is the family
// table); 0 = not recognised, 1..44 as in that table.
inline constexpr int kFamilyOther = 0;
inline constexpr int kFamilyZep1 = 1;
inline constexpr int kFamilyWn80 = 2;
inline constexpr int kFamilyZepFirst = 5;  // TZ87 .. ZEP8000
inline constexpr int kFamilyZepLast = 9;
inline constexpr int kFamilyMagnachange = 36;
inline constexpr int kFamilySbLoader = 37;
inline constexpr int kFamilyThriftstack = 39;
inline constexpr int kFamilyPowervault = 40;
inline constexpr int kFamilyWn80Loader = 43;

int siDeviceType(const char* text, const char* revision);
// Family text of a code ("OTHER" for 0, 44 and unknown codes).
const char* siDeviceTypeString(int code);
// Manufacturer id of a vendor+product text: 0 unknown, 1 Halcyon,
// 2 Morroway, 3 Seagate, 4 IBM, 5 HP.
int siManufacturer(const char* text);
// Text of a manufacturer id; empty for ids above 5, "UNKNOWN" for 0.
const char* siManufacturerString(int id);

bool IsWN(int code);
bool IsZEP(int code);
bool IsKORU(int code);
bool IsLTO(int code);
bool IsDAT(int code);
bool IsTRAVAN(int code);
bool IsLOADER(int code);
bool IsBR(int code);
bool IsHALCYON(int code);
