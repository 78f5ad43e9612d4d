// Names of the SCSI peripheral device types shown in device listings.
#pragma once

struct PeripheralTypeName {
  int code;
  const char* name;
};

inline constexpr PeripheralTypeName kPeripheralTypeNames[] = {
    {0, "disk"},   {1, "tape"},       {2, "printer"}, {3, "processor"}, {4, "worm"},
    {5, "cd/dvd"}, {6, "scanner"},    {7, "optical"}, {8, "changer"},   {9, "comms"},
    {12, "raid"},  {13, "enclosure"}, {14, "rbc"},    {17, "osd"},      {0x1e, "wlun"},
};
