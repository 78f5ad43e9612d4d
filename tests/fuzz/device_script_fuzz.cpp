// Fuzz target: scripts that declare buffers, CDBs and ATA commands and use
// them, run on the virtual bench while the drive's answers are mutated
// (check conditions with any sense, vendor codes, short, corrupted or noisy
// data, transport errors). Any index, length or answer must be refused or
// handled, never followed past a buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/system.h"
#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"
#include "fuzz_workspace.h"
#include "script/core/kscript.h"
#include "script/statements/statement_table.h"
#include "sim/sim.h"

namespace {

const char* const kBuffers[] = {"B0", "B1", "BIG", "TINY"};
const char* const kCdbs[] = {"RD", "WR", "TUR", "INQ", "RW", "X"};
const char* const kNumbers[] = {"0",          "1",    "3",    "7",   "8", "255", "256", "0x0100", "65535",
                                "0xFFFFFFFF", "4095", "4096", "1.5", "I", "L",   "W",   "V",      "D"};
// Repeat counts stay small: a loop of millions of commands only costs time.
const char* const kCounts[] = {"0", "1", "2", "3"};
const char* const kStatements[] = {
    "SCSI %c",
    "WRITE %c %k L",
    "READNOCOMPARE %c %k L",
    "READCOMPARE %c %k V V L L V",
    "ATA ID",
    "MODCDB %c %n %n",
    "MODCDB %c %n < %n > %n",
    "PRINTCDB %c",
    "SETBUFFER %b[%n] %n",
    "POKE %b[%n] %n",
    "PEEKW %b[%n] W",
    "PEEKL %b[%n] L",
    "PEEKD %b[%n] D",
    "XORBUFFER %b[%n] %n",
    "FILLBUFFER %b INCR",
    "FILLBUFFER %b RAND %n",
    "COPYBUFFERPART %b %b %n %n",
    "COMPAREBUFFER %b %b V L V V %n",
    "PATTERN9 %b L",
    "WNENCRYPTBUFFER %b L",
    "PRINTBUFFER %b %n %n",
    "DIMENSION %b %n",
    "GETSENSE V V V",
    "PRINTSENSEKEYS",
    "GETSENSETEXT V V V %b",
    "IFSENSE ANY JUMP L1",
    "IFNOSENSE L1",
    "GETRESIDUAL L",
    "*SK %n",
    "I = %n",
    "GETINQINFO",
};

template <size_t N>
const char* Pick(FuzzedDataProvider& in, const char* const (&pool)[N]) {
  return pool[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

std::string Fill(FuzzedDataProvider& in, const char* form) {
  std::string out;
  for (const char* p = form; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') {
      out += *p;
      continue;
    }
    switch (*++p) {
      case 'b':
        out += Pick(in, kBuffers);
        break;
      case 'c':
        out += Pick(in, kCdbs);
        break;
      case 'k':
        out += Pick(in, kCounts);
        break;
      default:
        out += Pick(in, kNumbers);
        break;
    }
  }
  return out;
}

std::string Script(FuzzedDataProvider& in) {
  std::string s =
      "DESCRIPTION fuzzed\nBUFFER B0 [16]\nBUFFER B1 [16]\nBUFFER BIG [4096]\nBUFFER TINY [3]\n"
      "LONG I = 5\nLONG L = 0\nWORD W = 0\nBYTE V = 0\nDOUBLE D = 0.0\n"
      "SENSEKEYS MED 3 XX XX Medium\n"
      "CDB RD { 6, TOHOST, BIG, SCSI_READ, 0, 0, 0x10, 0, 0 }\n"
      "CDB WR { 6, FROMHOST, BIG, SCSI_WRITE, 0, 0, 0x10, 0, 0 }\n"
      "CDB TUR { 6, NONE, 0, SCSI_TEST_UNIT_READY, 0, 0, 0, 0, 0 }\n"
      "CDB INQ { 6, TOHOST, B0, SCSI_INQUIRY, 0, 0, 0, 0xFF, 0 }\n"
      "CDB RW { 6, NONE, 0, SCSI_REWIND, 0, 0, 0, 0, 0 }\n"
      "CDB X { 12, TOHOST, TINY, 0xA3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }\n"
      "ATACMD ID { TOHOST, TINY, 0, 0, 1, 0, 0, 0, 0, 0xA0, 0xEC }\n"
      "START:\n";
  const int lines = in.ConsumeIntegralInRange<int>(0, 24);
  for (int i = 0; i < lines && in.remaining_bytes() > 0; ++i) s += Fill(in, Pick(in, kStatements)) + "\n";
  return s + "L1:\nEXIT 0\n";
}

// Mutations of the drive's answers, chosen by the input.
void Mutate(FuzzedDataProvider& in, SimSystem& sim) {
  const int faults = in.ConsumeIntegralInRange<int>(0, 4);
  for (int i = 0; i < faults; ++i) {
    SimFault f;
    const int opcodes[] = {-1, 0x00, 0x01, 0x08, 0x0A, 0x12, 0xA1, 0xA3};
    f.opcode = opcodes[in.ConsumeIntegralInRange<size_t>(0, 7)];
    f.count = in.ConsumeIntegralInRange<int>(1, 3);
    f.skip = in.ConsumeIntegralInRange<int>(0, 2);
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
      case 0:
        f.check = true;
        f.key = in.ConsumeIntegral<uint8_t>() & 0x0F;
        f.asc = in.ConsumeIntegral<uint8_t>();
        f.ascq = in.ConsumeIntegral<uint8_t>();
        f.descriptor_sense = in.ConsumeBool();
        f.sense_length = in.ConsumeIntegralInRange<int>(-1, 40);
        f.vendor_code_set = in.ConsumeBool();
        f.vendor_code = in.ConsumeIntegral<uint32_t>();
        break;
      case 1:
        f.data_length = in.ConsumeIntegralInRange<int>(0, 5000);
        break;
      case 2:
        f.garbage = true;
        break;
      case 3:
        f.corrupt_offset = in.ConsumeIntegralInRange<int>(0, 5000);
        break;
      case 4:
        f.host_status = in.ConsumeIntegralInRange<int>(1, 0xFF);
        break;
      default:
        f.withhold_sense = f.check = true;
        break;
    }
    sim.InjectFault("/dev/sg0", f);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseBundledStatements();
  fuzz::EnterPrivateFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  auto sim = std::make_unique<SimSystem>();
  SimSystem& bench = *sim;
  bench.AddDefaultBench();
  SimDeviceConfig disk;
  disk.node = "/dev/sg5";  // past the default bench
  disk.type = SimDeviceType::kDisk;
  bench.AddDevice(disk);
  auto previous = InstallSystem(std::move(sim));
  {
    ScsiWrapper wrapper;
    if (wrapper.InitScsiDll("/dev/sg0") > 0) {
      wrapper.SetDeviceSelected(0);
      fuzz::WriteFile("dev.scs", Script(in));
      Mutate(in, bench);
      KScript engine;
      engine.SetScsiWrapper(&wrapper);
      if (engine.LoadScript("dev.scs", false, nullptr) == 0) engine.ExecuteScript();
    }
    SCSI.LeaveDeviceOpen(false);
    SCSI.SetDeviceIndex(-1);
    SCSI.ClearScsiList();
  }
  InstallSystem(std::move(previous));
  return 0;
}
