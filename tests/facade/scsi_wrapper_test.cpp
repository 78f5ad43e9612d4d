#include "facade/scsi_wrapper.h"

#include <gtest/gtest.h>

#include <string>

#include "device/scsi_int.h"
#include "facade/sim_bench.h"
#include "sim/sim.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

// Without a selected device the adapter lines show the getters' "none" values.
const std::string kNoDeviceAdapterLines = "Host adapter status = 0xFF\nDriver status = 0xFF\nError buffer = ''\n\n";

TEST(CheckStatus, TranslatesResultCodes) {
  struct Case {
    int32_t result;
    const char* name;
    bool ok;
    std::string printed;
  };
  const Case cases[] = {
      {1, "Load", true, ""},
      {4096, "Load", true, ""},
      {0, "Load", false, "Load command failed: Unknown error! (status = 0)\n\n" + kNoDeviceAdapterLines},
      {-1, "Rewind", false, "Rewind command failed: SCSI timeout\n\n"},
      {-3, "Unload", false, "Unload command failed: Invalid device selected\n\n"},
      {-4, "Unload", false, "Unload command failed: Invalid device file\n\n"},
      {-5, "0x12", false, "0x12 command failed: Device I/O error\n" + kNoDeviceAdapterLines},
      {-6, "0x12", false, "0x12 command failed: System memory allocation error\n\n"},
      {-7, "0x12", false, "0x12 command failed: Incomplete data\n\n"},
      {-8, "0x12", false, "0x12 command failed: Unknown error! (status = -8)\n\n" + kNoDeviceAdapterLines},
      // Firmware downloads succeed with 0 and hide their own codes.
      {0, "Fup drive", true, ""},
      {0, "Fup tape", true, ""},
      {1, "Fup drive", false, "Fup drive command failed: Unknown error! (status = -100)\n\n" + kNoDeviceAdapterLines},
      {-1, "Fup tape", false, "Fup tape command failed: Unknown error! (status = -100)\n\n" + kNoDeviceAdapterLines},
      // Other firmware operations go through the ordinary rows.
      {1, "Fup from tape", true, ""},
      {0, "Revert FUP tape", false,
       "Revert FUP tape command failed: Unknown error! (status = 0)\n\n" + kNoDeviceAdapterLines},
  };
  SCSI.SetDeviceIndex(-1);
  ScsiWrapper wrapper;
  for (const Case& c : cases) {
    CaptureStdout();
    const bool ok = wrapper.CheckStatus(c.result, c.name);
    EXPECT_EQ(GetCapturedStdout(), c.printed) << c.name << " " << c.result;
    EXPECT_EQ(ok, c.ok) << c.name << " " << c.result;
  }
}

TEST(HexDump, ShortLastLineKeepsTheCharacterColumn) {
  uint8_t data[20];
  for (int i = 0; i < 20; ++i) data[i] = static_cast<uint8_t>(0x3E + i);
  data[0] = 0x00;   // not printable
  data[19] = 0x7F;  // not printable
  ScsiWrapper wrapper;
  CaptureStdout();
  wrapper.HexDump(data, 20);
  const std::string out = GetCapturedStdout();
  const std::string full = "  000000: 00 3F 40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D   .?@ABCDEFGHIJKLM\n";
  const std::string part = "  000010: 4E 4F 50 7F" + std::string(12 * 3 + 3, ' ') + "NOP.\n";
  EXPECT_EQ(out, " RAW_DATA: 20\n" + full + part);
  EXPECT_EQ(full.find(".?@"), part.find("NOP."));
}

TEST(HexDump, EmptyPrintsOnlyTheLength) {
  ScsiWrapper wrapper;
  CaptureStdout();
  wrapper.HexDump(nullptr, 0);
  EXPECT_EQ(GetCapturedStdout(), " RAW_DATA: 0\n");
}

TEST(CompareBuffers, ComparesTheCurrentByteCount) {
  ScsiWrapper wrapper;
  ASSERT_TRUE(wrapper.SetBufferSize(8));
  const uint8_t pattern[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  wrapper.SetDataPattern(pattern);
  EXPECT_FALSE(wrapper.CompareBuffers());  // read-back is still zero
  std::copy_n(pattern, 8, wrapper.GetReadBackBuffer());
  EXPECT_TRUE(wrapper.CompareBuffers());
  wrapper.GetReadBackBuffer()[7] ^= 0xFF;
  EXPECT_FALSE(wrapper.CompareBuffers());
  ASSERT_TRUE(wrapper.SetBufferSize(0));
  EXPECT_TRUE(wrapper.CompareBuffers());
}

TEST(ModeSwitches, DefaultsAndDeviceLayerTrace) {
  ScsiWrapper wrapper;
  EXPECT_STREQ(wrapper.GetVendor(), "HALCYON");
  EXPECT_EQ(wrapper.GetAutoReply(), 0);
  EXPECT_FALSE(wrapper.GetAutoExit());
  EXPECT_FALSE(wrapper.IsDebug());
  wrapper.SetVendor("DELL");
  EXPECT_STREQ(wrapper.GetVendor(), "DELL");
  wrapper.EnableDebug(true);
  wrapper.EnableVerbose(true);
  EXPECT_TRUE(SCSI.IsDebug());
  EXPECT_TRUE(SCSI.IsVerbose());
  wrapper.EnableDebug(false);
  wrapper.EnableVerbose(false);
  EXPECT_FALSE(SCSI.IsDebug());
  EXPECT_FALSE(SCSI.IsVerbose());
}

class LastCommand : public SimBenchTest {
 protected:
  void SetUp() override {
    SimBenchTest::SetUp();
    Sim().AddDefaultBench();
    CaptureStdout();
    ASSERT_GT(wrapper_.InitScsiDll("/dev/sg0"), 0);
    GetCapturedStdout();
    wrapper_.SetDeviceSelected(0);
  }
  ScsiWrapper wrapper_;
};

TEST_F(LastCommand, CheckConditionKeepsTheSenseAndSuccessShowsNoSense) {
  const uint8_t tur[6] = {};
  SimFault fault;
  fault.opcode = 0x00;
  fault.count = 1;
  fault.check = true;
  fault.key = 0x03;
  fault.asc = 0x11;
  fault.ascq = 0x02;
  Sim().InjectFault("/dev/sg0", fault);

  CaptureStdout();
  EXPECT_FALSE(wrapper_.SendCmd(2, tur, 6, nullptr, 0));
  EXPECT_EQ(GetCapturedStdout(),
            "Status: SenseKey=03 ASC=11 ASCQ=02\nSense: MEDIUM ERROR, ERROR TOO LONG TO CORRECT.\n\n");
  const LAST_COMMAND& rec = wrapper_.GetLastCommand();
  EXPECT_EQ(rec.result, -2);
  EXPECT_EQ(rec.senseKey, 0x03);
  EXPECT_EQ(rec.asc, 0x11);
  EXPECT_EQ(rec.ascq, 0x02);
  EXPECT_NE(rec.vsSense, kNoVsSense);
  // No command fills the indicator bytes.
  EXPECT_EQ(rec.ili, kNoSense);
  EXPECT_EQ(rec.eom, kNoSense);
  EXPECT_EQ(rec.fm, kNoSense);

  CaptureStdout();
  EXPECT_TRUE(wrapper_.SendCmd(2, tur, 6, nullptr, 0));
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_EQ(rec.result, 1);
  EXPECT_EQ(rec.senseKey, kNoSense);
  EXPECT_EQ(rec.asc, kNoSense);
  EXPECT_EQ(rec.ascq, kNoSense);
  EXPECT_EQ(rec.vsSense, kNoVsSense);
  EXPECT_EQ(rec.ltocFsc, 0xCCCC);
  EXPECT_EQ(rec.residual, static_cast<int32_t>(0xCCCCCCCCu));
}

TEST_F(LastCommand, DataInCommandFillsTheCallersBuffer) {
  const uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
  uint8_t data[36] = {};
  ASSERT_TRUE(wrapper_.SendCmd(1, inquiry, 6, data, sizeof data));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 7), "HALCYON");
  EXPECT_EQ(wrapper_.GetLastCommand().result, 36);
}

TEST_F(LastCommand, IsSasReadsTheProtocolOfThePage) {
  EXPECT_TRUE(wrapper_.IsSAS());

  SimFault fault;
  fault.opcode = 0x1A;
  fault.check = true;
  fault.key = 0x05;
  fault.asc = 0x24;
  Sim().InjectFault("/dev/sg0", fault);
  EXPECT_FALSE(wrapper_.IsSAS());
  EXPECT_EQ(wrapper_.GetLastCommand().senseKey, 0x05);
}

}  // namespace

namespace {

class FacadeClock : public SimBenchTest {};

TEST_F(FacadeClock, SleepWaitsOnTheSeamsClock) {
  ScsiWrapper wrapper;
  const double before = Sim().Elapsed();
  wrapper.Sleep(90);
  EXPECT_DOUBLE_EQ(Sim().Elapsed() - before, 90.0);
  wrapper.Sleep(0);
  wrapper.Sleep(-3);
  EXPECT_DOUBLE_EQ(Sim().Elapsed() - before, 90.0);
}

}  // namespace
