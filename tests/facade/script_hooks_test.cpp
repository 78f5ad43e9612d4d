// The script hooks against the virtual tape drive: what reaches the drive,
// what comes back into the script's buffers and the last-command record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "device/scsi_int.h"
#include "facade/console_sense.h"
#include "facade/scsi_wrapper.h"
#include "facade/sim_bench.h"
#include "sim/sim.h"
#include "sim/sim_device.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

constexpr const char* kTape = "/dev/sg0";

// One fault in the middle of a loop of 5 commands, and where the loop stops.
struct LoopFault {
  const char* name;
  int skip;  // commands that pass first
  void (*set)(SimFault&);
  uint8_t key, asc, ascq;
  int reachesDrive;  // 1 when the failing command is seen by the drive
};

class ScriptHooks : public SimBenchTest {
 protected:
  void SetUp() override {
    SimBenchTest::SetUp();
    Sim().AddDefaultBench();
    Select(kTape);
  }
  void Select(const char* node) {
    CaptureStdout();
    ASSERT_GT(wrapper_.InitScsiDll(node), 0);
    wrapper_.SetDeviceSelected(0);
    tur_ = Cdb({0x00, 0, 0, 0, 0, 0}, kNoData, nullptr);
    wrapper_.OnScriptCdbCmds(&tur_);  // takes the power-on unit attention
    GetCapturedStdout();
  }

  // A 6-byte CDB over `buffer`.
  CDB_LINK Cdb(std::vector<uint8_t> bytes, int32_t direction, std::vector<uint8_t>* buffer) {
    CDB_LINK c;
    c.name = "C";
    c.cdbLength = 6;
    std::copy(bytes.begin(), bytes.end(), c.cdb.begin());
    c.direction = direction;
    if (buffer != nullptr) {
      c.bufferName = "B";
      c.bufferData = buffer->data();
      c.bufferSize = static_cast<uint32_t>(buffer->size());
    }
    return c;
  }
  void Rewind() {
    const CDB_LINK rewind = Cdb({0x01, 0, 0, 0, 0, 0}, kNoData, nullptr);
    wrapper_.OnScriptCdbCmds(&rewind);
    ASSERT_EQ(wrapper_.GetLastCommand().senseKey, kNoSense);
  }
  // Writes `blocks` variable-length blocks of the buffer and rewinds.
  void WriteBlocks(std::vector<uint8_t>& buffer, uint32_t blocks) {
    const auto n = static_cast<uint32_t>(buffer.size());
    const CDB_LINK write = Cdb({0x0A, 0, uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0}, kFromHost, &buffer);
    uint32_t issued = 0;
    ASSERT_EQ(wrapper_.OnScriptWriteCmd(&write, blocks, &issued), kTransferOk);
    ASSERT_EQ(issued, blocks);
    Rewind();
  }
  void ExpectSense(uint8_t key, uint8_t asc, uint8_t ascq, const std::string& label) {
    const LAST_COMMAND& rec = wrapper_.GetLastCommand();
    EXPECT_EQ(rec.senseKey, key) << label;
    EXPECT_EQ(rec.asc, asc) << label;
    EXPECT_EQ(rec.ascq, ascq) << label;
  }
  SimFault Fault(int opcode) {
    SimFault f;
    f.opcode = opcode;
    return f;
  }
  int Sent(int opcode) { return Sim().CountCommands(kTape, opcode); }
  // Rewinds and arms the fault for commands of `opcode`; the count sent so far.
  int ArmLoopFault(const LoopFault& c, int opcode) {
    Sim().ClearFaults();
    Rewind();
    SimFault f = Fault(opcode);
    f.skip = c.skip, f.count = 1;
    c.set(f);
    Sim().InjectFault(kTape, f);
    return Sent(opcode);
  }

  ScsiWrapper wrapper_;
  CDB_LINK tur_{};
};

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> b(n);
  std::iota(b.begin(), b.end(), uint8_t{7});
  return b;
}

const LoopFault kLoopFaults[] = {
    {"check condition", 1, [](SimFault& f) { f.check = true, f.key = 3, f.asc = 0x0C; }, 0x03, 0x0C, 0x00, 1},
    {"host error", 2, [](SimFault& f) { f.host_status = 7; }, kConsoleSenseKey, kAscHostError, 0, 1},
    {"held past its timeout", 0, [](SimFault& f) { f.delay_seconds = 700; }, kConsoleSenseKey, kAscTimedOut, 0, 1},
    {"refused by the driver", 3, [](SimFault& f) { f.ioctl_errno = 12; }, kConsoleSenseKey, kAscRefused, 0, 0},
};

TEST_F(ScriptHooks, WriteStopsAtItsFirstFailureAndCountsTheGoodCommandsBefore) {
  std::vector<uint8_t> buffer = Pattern(512);
  const CDB_LINK write = Cdb({0x0A, 0, 0, 0x02, 0x00, 0}, kFromHost, &buffer);
  for (const LoopFault& c : kLoopFaults) {
    const int before = ArmLoopFault(c, 0x0A);
    uint32_t written = 99;
    CaptureStdout();
    EXPECT_EQ(wrapper_.OnScriptWriteCmd(&write, 5, &written), kTransferOk) << c.name;
    GetCapturedStdout();
    EXPECT_EQ(written, static_cast<uint32_t>(c.skip)) << c.name;
    EXPECT_EQ(Sent(0x0A) - before, c.skip + c.reachesDrive) << c.name << ": nothing is sent after the failure";
    ExpectSense(c.key, c.asc, c.ascq, c.name);
  }
  uint32_t written = 99;
  wrapper_.OnScriptWriteCmd(&write, 0, &written);
  EXPECT_EQ(written, 0u);
}

TEST_F(ScriptHooks, ReadCompareStopsAtItsFirstFailureWithoutPassingTheRest) {
  std::vector<uint8_t> buffer = Pattern(512);
  WriteBlocks(buffer, 5);
  const CDB_LINK read = Cdb({0x08, 0, 0, 0x02, 0x00, 0}, kToHost, &buffer);
  for (const LoopFault& c : kLoopFaults) {
    const int before = ArmLoopFault(c, 0x08);
    SCRIPT_COMPARE compare;
    CaptureStdout();
    wrapper_.OnScriptReadCmd(&read, 5, &compare);
    GetCapturedStdout();
    EXPECT_EQ(compare.status, kCompareMismatch) << c.name << ": a block not read is no match";
    EXPECT_EQ(compare.iteration, static_cast<uint32_t>(c.skip)) << c.name << ": blocks compared before it";
    EXPECT_EQ(compare.offset, kCompareNoOffset) << c.name;
    EXPECT_EQ(Sent(0x08) - before, c.skip + c.reachesDrive) << c.name;
    ExpectSense(c.key, c.asc, c.ascq, c.name);
    EXPECT_EQ(buffer, Pattern(512)) << c.name << ": the buffer keeps the expected data";
  }
}

TEST_F(ScriptHooks, ReadCompareReportsTheFirstMismatchAndAShortBlock) {
  std::vector<uint8_t> buffer = Pattern(512);
  WriteBlocks(buffer, 3);
  const CDB_LINK read = Cdb({0x08, 0, 0, 0x02, 0x00, 0}, kToHost, &buffer);

  SCRIPT_COMPARE all;
  uint32_t completed = 0;
  wrapper_.OnScriptReadCmd(&read, 3, &all, &completed);
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.offset, 0u);
  EXPECT_EQ(completed, 3u);
  ExpectSense(kNoSense, kNoSense, kNoSense, "all equal");
  Rewind();

  SimFault corrupt = Fault(0x08);
  corrupt.skip = 1, corrupt.count = 1, corrupt.corrupt_offset = 5;
  Sim().InjectFault(kTape, corrupt);
  const int before = Sent(0x08);
  SCRIPT_COMPARE compare;
  wrapper_.OnScriptReadCmd(&read, 3, &compare);
  EXPECT_EQ(compare.status, kCompareMismatch);
  EXPECT_EQ(compare.iteration, 1u);
  EXPECT_EQ(compare.offset, 5u);
  EXPECT_EQ(compare.expectedValue, Pattern(512)[5]);
  EXPECT_EQ(compare.readValue, uint8_t(~Pattern(512)[5]));
  EXPECT_EQ(Sent(0x08) - before, 2) << "the loop stops at the mismatch";
  Rewind();

  // A block cut short without any sense: where its data ends is where it differs.
  Sim().ClearFaults();
  SimFault cut = Fault(0x08);
  cut.skip = 2, cut.count = 1, cut.data_length = 200;
  Sim().InjectFault(kTape, cut);
  SCRIPT_COMPARE shortBlock;
  wrapper_.OnScriptReadCmd(&read, 3, &shortBlock, &completed);
  EXPECT_EQ(shortBlock.status, kCompareMismatch);
  EXPECT_EQ(shortBlock.iteration, 2u);
  EXPECT_EQ(shortBlock.offset, 200u);
  EXPECT_EQ(completed, 2u);
  ExpectSense(kConsoleSenseKey, kAscShortData, kAscqShortTransfer, "short block");
  EXPECT_EQ(wrapper_.GetLastCommand().residual, 312);
}

TEST_F(ScriptHooks, IncorrectLengthIsAFailureWithIliAndResidual) {
  std::vector<uint8_t> block = Pattern(512);
  WriteBlocks(block, 1);
  std::vector<uint8_t> buffer(1024, 0xEE);
  const CDB_LINK read = Cdb({0x08, 0, 0, 0x04, 0x00, 0}, kToHost, &buffer);
  SCRIPT_COMPARE compare;
  wrapper_.OnScriptReadCmd(&read, 1, &compare);
  const LAST_COMMAND& rec = wrapper_.GetLastCommand();
  EXPECT_EQ(rec.result, -2);
  ExpectSense(0, 0, 0, "incorrect length");
  EXPECT_EQ(rec.ili, 1);
  EXPECT_EQ(rec.eom, 0);
  EXPECT_EQ(rec.fm, 0);
  EXPECT_EQ(rec.residual, 512);
  EXPECT_EQ(compare.status, kCompareMismatch) << "a block that came back short never passes";
  EXPECT_EQ(compare.iteration, 0u);
}

TEST_F(ScriptHooks, ReadIsSentAsRead6WhateverTheDeclaredOpcode) {
  std::vector<uint8_t> buffer = Pattern(64);
  WriteBlocks(buffer, 1);
  const CDB_LINK read = Cdb({0x28, 0x00, 0x00, 0x00, 0x40, 0x80}, kFromHost, &buffer);
  std::fill(buffer.begin(), buffer.end(), 0);
  uint32_t completed = 0;
  wrapper_.OnScriptReadCmd(&read, 1, nullptr, &completed);
  const SimCommand& sent = Sim().Commands().back();
  EXPECT_EQ(sent.cdb, (std::vector<uint8_t>{0x08, 0x00, 0x00, 0x00, 0x40, 0x80}));
  EXPECT_EQ(buffer, Pattern(64));
  EXPECT_EQ(completed, 1u);
  EXPECT_EQ(wrapper_.GetLastCommand().senseKey, kNoSense);
}

TEST_F(ScriptHooks, FixedBlocksMoveTheTransferLengthTimesTheDrivesBlockLength) {
  Sim().Device(kTape)->block_size = 512;
  std::vector<uint8_t> buffer = Pattern(1024);
  // FIXED, transfer length 2: both blocks of the buffer go to tape.
  const CDB_LINK write = Cdb({0x0A, 0x01, 0x00, 0x00, 0x02, 0}, kFromHost, &buffer);
  uint32_t written = 0;
  ASSERT_EQ(wrapper_.OnScriptWriteCmd(&write, 1, &written), kTransferOk);
  EXPECT_EQ(written, 1u);
  EXPECT_EQ(wrapper_.GetCurrentCommand().byteCount, 1024u);
  ExpectSense(kNoSense, kNoSense, kNoSense, "fixed write");
  Rewind();
  const CDB_LINK read = Cdb({0x08, 0x01, 0x00, 0x00, 0x02, 0}, kToHost, &buffer);
  SCRIPT_COMPARE compare;
  ASSERT_EQ(wrapper_.OnScriptReadCmd(&read, 1, &compare), kTransferOk);
  EXPECT_EQ(compare.status, 0);
  EXPECT_EQ(wrapper_.GetLastCommand().result, 1024);
  EXPECT_EQ(std::vector<uint8_t>(SCSI.GetDataBuffer() + 512, SCSI.GetDataBuffer() + 1024),
            std::vector<uint8_t>(buffer.begin() + 512, buffer.end()))
      << "the second block is the buffer's second half, not zeros";

  // A buffer too small for what the CDB announces sends nothing.
  std::vector<uint8_t> small = Pattern(1000);
  const int before = Sent(0x0A) + Sent(0x08);
  const CDB_LINK tooMuch = Cdb({0x0A, 0x01, 0x00, 0x00, 0x02, 0}, kFromHost, &small);
  EXPECT_EQ(wrapper_.OnScriptWriteCmd(&tooMuch, 1, &written), kTransferBufferTooSmall);
  const CDB_LINK variable = Cdb({0x08, 0x00, 0x00, 0x04, 0x00, 0}, kToHost, &small);
  EXPECT_EQ(wrapper_.OnScriptReadCmd(&variable, 1, &compare), kTransferBufferTooSmall);
  EXPECT_EQ(Sent(0x0A) + Sent(0x08), before);
}

TEST_F(ScriptHooks, TransportFailuresCarryTheConsolesTripleAndTheDrivesSenseComesFirst) {
  struct Case {
    const char* name;
    void (*set)(SimFault&);
    uint8_t key, asc;
    uint32_t host;
  };
  const Case cases[] = {
      {"timeout", [](SimFault& f) { f.delay_seconds = 700; }, kConsoleSenseKey, kAscTimedOut, 0},
      {"host error", [](SimFault& f) { f.host_status = 7; }, kConsoleSenseKey, kAscHostError, 7},
      {"driver error", [](SimFault& f) { f.driver_status = 6; }, kConsoleSenseKey, kAscHostError, 0},
      {"refused by the driver", [](SimFault& f) { f.ioctl_errno = 22; }, kConsoleSenseKey, kAscRefused, 0},
      {"check condition with a host status",
       [](SimFault& f) { f.check = true, f.key = 4, f.asc = 0x44, f.host_status = 7; }, 0x04, 0x44, 7},
  };
  const CDB_LINK rewind = Cdb({0x01, 0, 0, 0, 0, 0}, kNoData, nullptr);
  for (const Case& c : cases) {
    Sim().ClearFaults();
    SimFault f = Fault(0x01);
    f.count = 1;
    c.set(f);
    Sim().InjectFault(kTape, f);
    wrapper_.OnScriptCdbCmds(&rewind);
    EXPECT_EQ(wrapper_.GetLastCommand().senseKey, c.key) << c.name;
    EXPECT_EQ(wrapper_.GetLastCommand().asc, c.asc) << c.name;
    EXPECT_EQ(wrapper_.OnScriptGetHaStat(), c.host) << c.name;
  }
  // Nothing sent at all: no device node behind the request.
  std::vector<uint8_t> huge(512 * 1024);
  const CDB_LINK tooLong = Cdb({0x08, 0, 0x08, 0x00, 0x00, 0}, kToHost, &huge);
  wrapper_.OnScriptCdbCmds(&tooLong);
  ExpectSense(kConsoleSenseKey, kAscNotSent, 0, "longer than the driver takes");

  // The TapeAlert report after a failed read leaves the failed command's status.
  std::vector<uint8_t> buffer = Pattern(512);
  WriteBlocks(buffer, 1);
  Sim().ClearFaults();
  SimFault host = Fault(0x08);
  host.count = 1, host.host_status = 7;
  Sim().InjectFault(kTape, host);
  const int logSense = Sent(0x4D);
  const CDB_LINK read = Cdb({0x08, 0, 0, 0x02, 0x00, 0}, kToHost, &buffer);
  CaptureStdout();
  wrapper_.OnScriptReadCmd(&read, 1);
  GetCapturedStdout();
  EXPECT_GT(Sent(0x4D), logSense) << "the drive's TapeAlerts were read";
  ExpectSense(kConsoleSenseKey, kAscHostError, 0, "after the TapeAlert report");
  EXPECT_EQ(wrapper_.OnScriptGetHaStat(), 7u);
}

TEST_F(ScriptHooks, ScriptTimeoutIsTheScriptsOwn) {
  EXPECT_EQ(wrapper_.GetScriptTimeout(), 600u);
  wrapper_.SetScriptTimeout(2);
  wrapper_.OnScriptCdbCmds(&tur_);
  EXPECT_EQ(Sim().Commands().back().timeout_ms, 2000u);
  wrapper_.SetScriptTimeout(0);
  EXPECT_EQ(wrapper_.GetScriptTimeout(), 600u);
  wrapper_.SetScriptTimeout(0xFFFFFFFF);
  EXPECT_EQ(wrapper_.GetScriptTimeout(), 4294967u);
}

TEST_F(ScriptHooks, CdbCommandTakesTheVendorCodeAndFilemarkFromTheSense) {
  SimFault fault = Fault(0x01);
  fault.count = 1, fault.check = true, fault.key = 0x02, fault.asc = 0x04, fault.ascq = 0x01;
  fault.vendor_code_set = true, fault.vendor_code = 0xE0700000;
  Sim().InjectFault(kTape, fault);
  const CDB_LINK rewind = Cdb({0x01, 0, 0, 0, 0, 0}, kNoData, nullptr);
  wrapper_.OnScriptCdbCmds(&rewind);
  EXPECT_EQ(wrapper_.GetLastCommand().senseKey, 0x02);
  EXPECT_EQ(static_cast<uint32_t>(wrapper_.GetLastCommand().vsSense), 0xE0700000u);
  EXPECT_EQ(SCSI.GetTimeout(), 600);

  // Reading into a filemark reports it.
  std::vector<uint8_t> buffer = Pattern(16);
  const CDB_LINK writeFm = Cdb({0x10, 0, 0, 0, 1, 0}, kNoData, nullptr);
  wrapper_.OnScriptCdbCmds(&writeFm);
  Rewind();
  const CDB_LINK read = Cdb({0x08, 0, 0, 0, 16, 0}, kToHost, &buffer);
  wrapper_.OnScriptCdbCmds(&read);
  EXPECT_EQ(wrapper_.GetLastCommand().fm, 1);
  EXPECT_EQ(wrapper_.GetLastCommand().ascq, 0x01);

  wrapper_.OnScriptCdbCmds(&tur_);
  EXPECT_EQ(wrapper_.GetLastCommand().senseKey, kNoSense);
  EXPECT_EQ(wrapper_.GetLastCommand().vsSense, kNoVsSense);
  EXPECT_EQ(wrapper_.GetLastCommand().fm, kNoSense);
}

TEST_F(ScriptHooks, NullCommandsDoNothing) {
  const size_t before = Sim().Commands().size();
  wrapper_.OnScriptCdbCmds(static_cast<const CDB_LINK*>(nullptr));
  wrapper_.OnScriptCdbCmds(static_cast<const ATA_LINK*>(nullptr));
  wrapper_.OnScriptReadCmd(nullptr, 3);
  wrapper_.OnScriptWriteCmd(nullptr, 3, nullptr);
  EXPECT_EQ(Sim().Commands().size(), before);
}

TEST_F(ScriptHooks, InquiryAndFupAndQueries) {
  uint8_t record[56] = {};
  CaptureStdout();
  EXPECT_TRUE(wrapper_.OnScriptInquiryCmd(record));
  EXPECT_NE(GetCapturedStdout().find(" RAW_DATA: 56"), std::string::npos);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 8), 7), "HALCYON");

  SimFault fault = Fault(0x12);
  fault.count = 1, fault.host_status = 7;
  Sim().InjectFault(kTape, fault);
  uint8_t untouched[56] = {0x5A};
  CaptureStdout();
  EXPECT_FALSE(wrapper_.OnScriptInquiryCmd(untouched));
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(untouched[0], 0x5A);
  EXPECT_EQ(wrapper_.OnScriptGetHaStat(), 7u);

  const size_t before = Sim().Commands().size();
  CaptureStdout();
  EXPECT_EQ(wrapper_.OnScriptFupDrive("image.bin"), 1u);
  EXPECT_EQ(GetCapturedStdout(), "FUP not working yet...\n");
  EXPECT_EQ(Sim().Commands().size(), before);
}

class AtaHook : public ScriptHooks {
 protected:
  void SetUp() override {
    SimBenchTest::SetUp();
    SimDeviceConfig disk;
    disk.node = "/dev/sg3";
    disk.type = SimDeviceType::kDisk;
    disk.product = "BRAMBLE";
    ASSERT_TRUE(Sim().AddDevice(disk));
    ::setenv("VEXIL_HDD", "true", 1);
    Select("/dev/sg3");
  }
  ATA_LINK Ata(int32_t direction, std::vector<uint8_t>* buffer) {
    ATA_LINK a;
    a.name = "IDENT";
    a.direction = direction;
    a.registers = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0xA0, 0xEC};
    if (buffer != nullptr) {
      a.bufferName = "B";
      a.bufferData = buffer->data();
      a.bufferSize = static_cast<uint32_t>(buffer->size());
    }
    return a;
  }
};

TEST_F(AtaHook, RegisterImageLandsInTheBufferAndIsNeverStale) {
  std::vector<uint8_t> buffer(512 + 12, 0x77);
  const ATA_LINK ident = Ata(kToHost, &buffer);
  wrapper_.OnScriptCdbCmds(&ident);
  const SimCommand& sent = Sim().Commands().back();
  ASSERT_EQ(sent.cdb.size(), 12u);
  EXPECT_EQ(sent.cdb, (std::vector<uint8_t>{0xA1, 0x08, 0x20, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0xA0, 0xEC, 0x00}));
  // Error 0, count and LBA echoed, device 40h, status 50h.
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8),
            (std::vector<uint8_t>{0x00, 0x01, 0x02, 0x03, 0x04, 0x40, 0x50, 0x00}));

  // A transport failure returns no image: zeros, not the last command's.
  SimFault fault;
  fault.opcode = 0xA1, fault.count = 1, fault.host_status = 7;
  Sim().InjectFault("/dev/sg3", fault);
  std::fill(buffer.begin(), buffer.end(), 0x77);
  wrapper_.OnScriptCdbCmds(&ident);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 8), std::vector<uint8_t>(8, 0));

  // A buffer too short for the image is left alone; none at all is fine.
  std::vector<uint8_t> tiny(4, 0x77);
  const ATA_LINK small = Ata(kToHost, &tiny);
  wrapper_.OnScriptCdbCmds(&small);
  EXPECT_EQ(tiny, std::vector<uint8_t>(4, 0x77));
  const ATA_LINK none = Ata(kFromHost, nullptr);
  wrapper_.OnScriptCdbCmds(&none);
  EXPECT_EQ(Sim().Commands().back().cdb[1], 0x0A);
  EXPECT_EQ(Sim().Commands().back().cdb[2], 0x21);
}

}  // namespace
