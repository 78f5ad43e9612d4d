// Family codes: the device layer's classification of a drive or autoloader
// model line, and the predicates firmware download and upgrade tapes use.
#pragma once

// 0 = not recognised; 1..44 as in the family table.
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
