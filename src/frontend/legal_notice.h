// The legal notice shown at start-up, between two rule lines.
#pragma once

inline constexpr const char* kLegalNotice[] = {
    "This program is provided \"as is\", without warranty of any kind, express or",
    "implied. Running diagnostics or updating firmware can erase the data on the",
    "cartridge in the drive; back up your data before you begin. You use this",
    "program at your own risk; the makers accept no liability for lost data,",
    "damaged media or equipment, or any other loss arising from its use.",
};
