// Drive family names a FAMILY line may give.
#include "script/core/kscript.h"

const char* const FamilyNames[] = {
    "ALL",       "DAT",       "ZEP",       "HDD",     "LTO",       "LTOHH",
    "KORU1",     "KORU2",     "ZEPV4",     "ZEPS4",   "HP_LTO",    "HP_LTOHH",
    "IBM_LTO",   "IBM_LTOHH", "MOR_LTO",   "MOR_LTOHH", "WIZARD",  "WN160",
    "LTO5",      "HPQ_LTO",   "LTOEX",     "LTO4_MDLC", "LTO5_MDLC", "LTO6_MDLC",
    "LOADER",  "SMC",  // medium changers
    "SSC",              // tape drives of no model line
    nullptr,
};
