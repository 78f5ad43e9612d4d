// The console's own sense triples: failures a drive cannot put in its sense
// data, because the command never completed (it was lost in the transport)
// or its data did not arrive whole. They use sense key FFh, which no drive
// sends (a sense key has four bits), so IFSENSE ANY takes them, IFNOSENSE
// never does, and PRINTSENSEKEYS names them.
#pragma once

#include <cstdint>

inline constexpr uint8_t kConsoleSenseKey = 0xFF;

// ASC of the console's triples; the transport failures are those below
// kAscShortData, one per device-layer result.
enum ConsoleSenseAsc : uint8_t {
  kAscTimedOut = 0x01,   // held past its timeout (result -1)
  kAscRefused = 0x02,    // the sg driver refused the request (result 0)
  kAscNotSent = 0x03,    // no device, or longer than the driver takes (-3)
  kAscNoNode = 0x04,     // the device node could not be opened (-4)
  kAscHostError = 0x05,  // host adapter or driver error (-5)
  kAscNoMemory = 0x06,   // no memory for the request (-6)
  kAscOtherTransport = 0x0F,
  kAscShortData = 0x10,  // ASCQ 0: a READ or WRITE moved less than its CDB announced;
                         // ASCQ 1: a log page arrived shorter than its page length
};
inline constexpr uint8_t kAscqShortTransfer = 0x00;
inline constexpr uint8_t kAscqShortPage = 0x01;

// A device-layer result that means the command never completed: 0 (the
// request was refused) or any negative code but -2 (check condition).
bool IsTransportFailure(int32_t result);
// The ASC of a transport failure's triple (its ASCQ is 0).
uint8_t TransportAsc(int32_t result);
// The triple is one of the console's transport failures.
bool IsTransportSense(uint8_t key, uint8_t asc);
// The text of one of the console's triples, or null for any other triple.
const char* ConsoleSenseText(uint8_t key, uint8_t asc, uint8_t ascq);
