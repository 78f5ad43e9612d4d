// Readiness, block size and recovery, the tape commands the layer relies on.
#include <string>

#include "device/bench_fixture.h"

namespace {

class TapeCommands : public Bench {
 protected:
  void ListOne(const std::string& product) {
    ASSERT_TRUE(sim_->AddDevice(Device("/dev/sg0", SimDeviceType::kTape, product)));
    ASSERT_EQ(Scan(), 1);
    SCSI.SetDeviceIndex(0);
    sim_->ClearCommands();
  }
};

TEST_F(TapeCommands, BlockSizeRoundTripInBothModeSelectForms) {
  struct Case {
    const char* product;
    uint8_t selectOpcode;
  } cases[] = {{"ULTRIUM-HH6", 0x55}, {"KORU220", 0x15}};
  for (const Case& c : cases) {
    sim_->RemoveDevice("/dev/sg0");
    ListOne(c.product);
    EXPECT_EQ(SCSI.SetCurrentBlockSize(1024), 1) << c.product;
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", c.selectOpcode), 1) << c.product;
    EXPECT_EQ(SCSI.GetCurrentBlockSize(), 1024) << c.product;
    EXPECT_EQ(SCSI.SetCurrentBlockSize(0), 1) << c.product;
    EXPECT_EQ(SCSI.GetCurrentBlockSize(), 0) << c.product;
  }
}

TEST_F(TapeCommands, DatDrivesKeepTheirBlockSizeWithoutCommands) {
  ListOne("DAT160");
  EXPECT_EQ(SCSI.SetCurrentBlockSize(1024), 1);
  EXPECT_TRUE(sim_->Commands().empty());
}

TEST_F(TapeCommands, ShortModeAnswerGivesBlockSizeZero) {
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.SetCurrentBlockSize(512), 1);
  SimFault f;
  f.opcode = 0x5A;
  f.data_length = 15;
  sim_->InjectFault("/dev/sg0", f);
  EXPECT_EQ(SCSI.GetCurrentBlockSize(), 0);
}

TEST_F(TapeCommands, WaitForUnitReadyTriesOncePerSecondUpToTheTimeout) {
  ListOne("ULTRIUM-HH6");
  EXPECT_EQ(SCSI.WaitForUnitReady(), 1);
  sim_->SetMedium("/dev/sg0", false);
  SCSI.SetTimeout(5);
  sim_->ClearCommands();
  const double start = sim_->Elapsed();
  EXPECT_EQ(SCSI.WaitForUnitReady(), -2);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 5);
  EXPECT_GE(sim_->Elapsed() - start, 5.0);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x00023A00);
  SCSI.SetTimeout(0);
  EXPECT_EQ(SCSI.WaitForUnitReady(), -2);
  SCSI.SetTimeout(300);
}

TEST_F(TapeCommands, RecoveryRestoresBlockSizeAndTimeout) {
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.SetCurrentBlockSize(4096), 1);
  SCSI.SetTimeout(45);
  EXPECT_EQ(SCSI.DeviceRecovery(2048), 1);
  EXPECT_EQ(SCSI.GetCurrentBlockSize(), 2048);
  EXPECT_EQ(SCSI.GetTimeout(), 45);
  SCSI.SetTimeout(300);
}

TEST_F(TapeCommands, TracedReadShowsThePositionFirst) {
  ListOne("ULTRIUM-HH6");
  SCSI.EnableDebug(true);
  const uint8_t read6[6] = {0x08, 0x00, 0x00, 0x00, 0x10, 0x00};
  uint8_t data[16];
  ::testing::internal::CaptureStderr();
  SCSI.SendCdb(kDataIn, read6, 6, "Test", data, sizeof data);
  const std::string trace = ::testing::internal::GetCapturedStderr();
  SCSI.EnableDebug(false);
  EXPECT_NE(trace.find("\n Position = 0x"), std::string::npos) << trace;
  ASSERT_GE(sim_->Commands().size(), 2u);
  EXPECT_EQ(sim_->Commands()[0].cdb[0], 0x34);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 0);
}

}  // namespace
