// The text packets a virtual drive's event log starts with (log page 07h).
// One packet per log parameter, lines ended by CR LF.
#pragma once

inline constexpr const char* kSimEventPackets[] = {
    "Packet # 1 PO/ST Power-on self test\r\nPOH/PC=1180/40\r\nResult: passed\r\n",
    ("Packet # 2 SCSI Event: 0302 Sense report\r\n"
     "POH/PC/MID/SK/ASC/ASCQ/ADDERR=1185/41/0/3/11/00/0\r\nOpcode 08 Read(6)\r\n"),
    "Packet # 3 Event: 4A21 Cleaning requested\r\nPOH/PC=1190/41\r\n",
    "Packet # 4 BUGCHECK Error: 1A2B Servo timeout\r\nPOH/PC=1195/42\r\nAddr 0x0004F2A0\r\n",
    "Packet # 5 CUP Event: 0021 Code update\r\nPOH/PC=1198/43\r\nOldRev: J4Z9 NewRev: J5A1\r\n",
};

// Written when new firmware is activated: number, hours, cycles, old and
// new revision.
inline constexpr const char kSimCodeUpdatePacket[] =
    "Packet # %d CUP Event: 0021 Code update\r\nPOH/PC=%u/%u\r\nOldRev: %.4s NewRev: %.4s\r\n";
