// The script hooks against the virtual tape drive: what reaches the drive,
// what comes back into the script's buffers and the last-command record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"
#include "facade/sim_bench.h"
#include "sim/sim.h"
#include "sim/sim_device.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

constexpr const char* kTape = "/dev/sg0";

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
    wrapper_.OnScriptWriteCmd(&write, blocks, &issued);
    ASSERT_EQ(issued, blocks);
    Rewind();
  }
  SimFault Fault(int opcode) {
    SimFault f;
    f.opcode = opcode;
    return f;
  }
  int Sent(int opcode) { return Sim().CountCommands(kTape, opcode); }

  ScsiWrapper wrapper_;
  CDB_LINK tur_{};
};

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> b(n);
  std::iota(b.begin(), b.end(), uint8_t{7});
  return b;
}

TEST_F(ScriptHooks, WriteCountsCommandsWithSenseAndStopsAtATransportFailure) {
  std::vector<uint8_t> buffer = Pattern(512);
  const CDB_LINK write = Cdb({0x0A, 0, 0, 0x02, 0x00, 0}, kFromHost, &buffer);

  SimFault check = Fault(0x0A);
  check.check = true, check.key = 0x03, check.asc = 0x0C, check.ascq = 0x00;
  Sim().InjectFault(kTape, check);
  uint32_t issued = 99;
  wrapper_.OnScriptWriteCmd(&write, 3, &issued);
  EXPECT_EQ(issued, 3u);
  EXPECT_EQ(Sent(0x0A), 3);
  EXPECT_EQ(wrapper_.GetLastCommand().senseKey, 0x03);
  EXPECT_EQ(wrapper_.GetLastCommand().asc, 0x0C);

  Sim().ClearFaults();
  SimFault transport = Fault(0x0A);
  transport.skip = 1, transport.count = 1, transport.host_status = 7;
  Sim().InjectFault(kTape, transport);
  issued = 99;
  wrapper_.OnScriptWriteCmd(&write, 5, &issued);
  EXPECT_EQ(issued, 99u) << "the count is left as the caller set it";
  EXPECT_EQ(Sent(0x0A), 3 + 2);
  const LAST_COMMAND& rec = wrapper_.GetLastCommand();
  EXPECT_LT(rec.result, 0);
  EXPECT_NE(rec.result, -2);
  EXPECT_EQ(rec.senseKey, kNoSense);

  issued = 99;
  wrapper_.OnScriptWriteCmd(&write, 0, &issued);
  EXPECT_EQ(issued, 0u);
}

TEST_F(ScriptHooks, ReadIsSentAsRead6WhateverTheDeclaredOpcode) {
  std::vector<uint8_t> buffer = Pattern(64);
  WriteBlocks(buffer, 1);
  const CDB_LINK read = Cdb({0x28, 0x00, 0x00, 0x00, 0x40, 0x80}, kFromHost, &buffer);
  std::fill(buffer.begin(), buffer.end(), 0);
  wrapper_.OnScriptReadCmd(&read, 1);
  const SimCommand& sent = Sim().Commands().back();
  EXPECT_EQ(sent.cdb, (std::vector<uint8_t>{0x08, 0x00, 0x00, 0x00, 0x40, 0x80}));
  EXPECT_EQ(buffer, Pattern(64));
  EXPECT_EQ(wrapper_.GetLastCommand().senseKey, kNoSense);
}

TEST_F(ScriptHooks, FixedBlockTransferMovesTheBufferDividedByTheBlockCount) {
  Sim().Device(kTape)->block_size = 256;
  std::vector<uint8_t> buffer = Pattern(1024);
  // FIXED, transfer length 2: 1024 / 2 = 512 bytes per command.
  const CDB_LINK write = Cdb({0x0A, 0x01, 0x00, 0x00, 0x02, 0}, kFromHost, &buffer);
  uint32_t issued = 0;
  wrapper_.OnScriptWriteCmd(&write, 1, &issued);
  EXPECT_EQ(wrapper_.GetLastCommand().result, 512);
  Rewind();
  const CDB_LINK read = Cdb({0x08, 0x01, 0x00, 0x00, 0x02, 0}, kToHost, &buffer);
  SCRIPT_COMPARE compare;
  wrapper_.OnScriptReadCmd(&read, 1, &compare);
  EXPECT_EQ(wrapper_.GetLastCommand().result, 512);
  EXPECT_EQ(compare.status, 0);
}

TEST_F(ScriptHooks, ReadCompareReportsTheFirstMismatch) {
  std::vector<uint8_t> buffer = Pattern(512);
  WriteBlocks(buffer, 3);
  const CDB_LINK read = Cdb({0x08, 0, 0, 0x02, 0x00, 0}, kToHost, &buffer);

  SCRIPT_COMPARE all;
  wrapper_.OnScriptReadCmd(&read, 3, &all);
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.offset, 0u);
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
}

TEST_F(ScriptHooks, ReadWithSenseCountsAndGoesOnButATransportFailureStopsAndFails) {
  std::vector<uint8_t> buffer = Pattern(512);
  WriteBlocks(buffer, 3);
  const CDB_LINK read = Cdb({0x08, 0, 0, 0x02, 0x00, 0}, kToHost, &buffer);

  SimFault medium = Fault(0x08);
  medium.count = 1, medium.check = true, medium.key = 0x03, medium.asc = 0x11;
  Sim().InjectFault(kTape, medium);
  SCRIPT_COMPARE compare;
  wrapper_.OnScriptReadCmd(&read, 3, &compare);
  EXPECT_EQ(Sent(0x08), 3);
  EXPECT_EQ(compare.status, 0);
  Rewind();

  SimFault transport = Fault(0x08);
  transport.skip = 1, transport.count = 1, transport.host_status = 7;
  Sim().InjectFault(kTape, transport);
  SCRIPT_COMPARE failed;
  wrapper_.OnScriptReadCmd(&read, 3, &failed);
  EXPECT_EQ(Sent(0x08), 3 + 2);
  EXPECT_EQ(failed.status, kCompareMismatch) << "a read that never completed is no match";
  EXPECT_EQ(failed.iteration, 1u);
  EXPECT_EQ(failed.offset, kCompareNoOffset);
  EXPECT_LT(wrapper_.GetLastCommand().result, 0);
}

TEST_F(ScriptHooks, IncorrectLengthKeepsIliAndResidualAndIsNotCompared) {
  std::vector<uint8_t> block = Pattern(512);
  WriteBlocks(block, 1);
  std::vector<uint8_t> buffer(1024, 0xEE);
  const CDB_LINK read = Cdb({0x08, 0, 0, 0x04, 0x00, 0}, kToHost, &buffer);
  SCRIPT_COMPARE compare;
  wrapper_.OnScriptReadCmd(&read, 1, &compare);
  const LAST_COMMAND& rec = wrapper_.GetLastCommand();
  EXPECT_EQ(rec.result, -2);
  EXPECT_EQ(rec.senseKey, 0);
  EXPECT_EQ(rec.asc, 0);
  EXPECT_EQ(rec.ascq, 0);
  EXPECT_EQ(rec.ili, 1);
  EXPECT_EQ(rec.eom, 0);
  EXPECT_EQ(rec.fm, 0);
  EXPECT_EQ(rec.residual, 512);
  EXPECT_EQ(compare.status, 0);
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
