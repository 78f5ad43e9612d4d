// The named tape operations: what each one sends, as the virtual drive saw
// it, and how they leave the device's timeout.
#include <scsi/sg.h>

#include <functional>
#include <string>
#include <vector>

#include "device/bench_fixture.h"

namespace {

using TapeOperations = Bench;

TEST_F(TapeOperations, EachOperationSendsItsCdbDirectionLengthAndTimeout) {
  static const uint8_t kPayload[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  static uint8_t block[100] = {};
  struct Case {
    const char* name;
    std::function<long()> run;
    std::vector<uint8_t> cdb;
    int direction;
    uint32_t length;
    uint32_t timeoutSeconds;
  } cases[] = {
      {"Load", [] { return SCSI.Load(); }, {0x1B, 0, 0, 0, 0x01, 0}, SG_DXFER_NONE, 0, 300},
      {"Unload", [] { return SCSI.Unload(77); }, {0x1B, 0, 0, 0, 0x00, 0}, SG_DXFER_NONE, 0, 77},
      {"Rewind", [] { return SCSI.Rewind(99); }, {0x01, 0, 0, 0, 0, 0}, SG_DXFER_NONE, 0, 99},
      {"Erase", [] { return SCSI.Erase(); }, {0x19, 0, 0, 0, 0, 0}, SG_DXFER_NONE, 0, 300},
      {"Prevent", [] { return SCSI.SetMediumRemoval(true); }, {0x1E, 0, 0, 0, 0x01, 0}, SG_DXFER_NONE, 0, 15},
      {"Allow", [] { return SCSI.SetMediumRemoval(false); }, {0x1E, 0, 0, 0, 0x00, 0}, SG_DXFER_NONE, 0, 15},
      {"Locate",
       [] { return SCSI.Locate(0, 0x01020304); },
       {0x2B, 0x02, 0, 0x01, 0x02, 0x03, 0x04, 0, 0x00, 0},
       SG_DXFER_NONE,
       0,
       300},
      {"Space back", [] { return SCSI.Space(-1); }, {0x11, 0x01, 0xFF, 0xFF, 0xFF, 0}, SG_DXFER_NONE, 0, 300},
      {"Space on", [] { return SCSI.Space(0x010203); }, {0x11, 0x01, 0x01, 0x02, 0x03, 0}, SG_DXFER_NONE, 0, 300},
      {"Filemarks", [] { return SCSI.WriteFileMark(2); }, {0x10, 0, 0, 0, 0x02, 0}, SG_DXFER_NONE, 0, 300},
      {"Write", [] { return SCSI.Write(block, sizeof block); }, {0x0A, 0x00, 0, 0, 100, 0}, SG_DXFER_TO_DEV, 100, 300},
      {"Read", [] { return SCSI.Read(100); }, {0x08, 0x00, 0, 0, 100, 0}, SG_DXFER_FROM_DEV, 100, 300},
      {"Read position",
       [] { return SCSI.ReadPosition(); },
       {0x34, 0x06, 0, 0, 0, 0, 0, 0, 0, 0},
       SG_DXFER_FROM_DEV,
       32,
       300},
      {"Log sense",
       [] { return SCSI.FetchLogPage(0x2E, 0x0105); },
       {0x4D, 0x00, 0x2E, 0, 0, 0x01, 0x05, 0xFF, 0xF0, 0},
       SG_DXFER_FROM_DEV,
       0xFFF0,
       300},
      {"Self-test", [] { return SCSI.Diag(1, nullptr, 0); }, {0x1D, 0x04, 0, 0, 0, 0}, SG_DXFER_NONE, 0, 300},
      {"Off-line self-test", [] { return SCSI.Diag(0, nullptr, 0); }, {0x1D, 0x05, 0, 0, 0, 0}, SG_DXFER_NONE, 0, 300},
      {"Diagnostic page",
       [] { return SCSI.Diag(0x10, kPayload, sizeof kPayload); },
       {0x1D, 0x10, 0, 0, 8, 0},
       SG_DXFER_TO_DEV,
       8,
       300},
      {"Log reset", [] { return SCSI.LogReset(); }, {0x4C, 0x02, 0, 0, 0, 0, 0, 0, 0, 0}, SG_DXFER_NONE, 0, 300},
  };
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.GetTimeout(), 300);
  for (const Case& c : cases) {
    sim_->ClearCommands();
    c.run();
    ASSERT_FALSE(sim_->Commands().empty()) << c.name;
    EXPECT_EQ(Hex(Last().cdb), Hex(c.cdb)) << c.name;
    EXPECT_EQ(Last().direction, c.direction) << c.name;
    EXPECT_EQ(Last().direction == SG_DXFER_NONE ? 0u : Last().transfer_length, c.length) << c.name;
    EXPECT_EQ(Last().timeout_ms, c.timeoutSeconds * 1000) << c.name;
    EXPECT_EQ(SCSI.GetTimeout(), 300) << c.name << ": device timeout not restored";
  }
}

TEST_F(TapeOperations, UnloadEjectsOnlyOnTheFamilyThatNeedsIt) {
  struct Case {
    const char* product;
    uint8_t byte4;
  } cases[] = {{"ULTRIUM-HH6", 0x00}, {"DAT160", 0x00}, {"BRAMBLE", 0x02}};
  for (const Case& c : cases) {
    ListOne(c.product);
    SCSI.Unload(600);
    EXPECT_EQ(Last().cdb[4], c.byte4) << c.product;
  }
}

TEST_F(TapeOperations, TimeoutOfOneCommandIsRestoredWhenItFails) {
  ListOne("ULTRIUM-HH6");
  SCSI.SetTimeout(42);
  SimFault f;
  f.opcode = 0x1B;
  f.check = true;
  f.key = 0x05, f.asc = 0x53, f.ascq = 0x02;
  sim_->InjectFault("/dev/sg0", f);
  EXPECT_EQ(SCSI.Unload(600), -2);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x00055302);
  EXPECT_EQ(SCSI.GetTimeout(), 42);
  sim_->InjectFault("/dev/sg0", [] {
    SimFault slow;
    slow.opcode = 0x1E;
    slow.delay_seconds = 20;
    return slow;
  }());
  EXPECT_EQ(SCSI.SetMediumRemoval(true), -1);
  EXPECT_EQ(SCSI.GetTimeout(), 42);
  SCSI.SetTimeout(300);
}

TEST_F(TapeOperations, MotionFollowsTheVirtualCartridge) {
  ListOne("ULTRIUM-HH6");
  uint8_t record[512];
  for (size_t i = 0; i < sizeof record; ++i) record[i] = static_cast<uint8_t>(i * 3);
  ASSERT_EQ(SCSI.Write(record, sizeof record), 512);
  ASSERT_GT(SCSI.WriteFileMark(1), 0);
  ASSERT_EQ(SCSI.Write(record, sizeof record), 512);
  ASSERT_GT(SCSI.Rewind(60), 0);
  ASSERT_EQ(SCSI.Read(512), 512);
  EXPECT_EQ(SCSI.VerifyBuffer(record, sizeof record), 1);
  // Over the filemark and back before it.
  EXPECT_GT(SCSI.Space(1), 0);
  ASSERT_EQ(SCSI.Read(512), 512);
  EXPECT_GT(SCSI.Space(-1), 0);
  EXPECT_EQ(SCSI.Read(512), -2);  // the filemark itself
  EXPECT_EQ(SCSI.GetFileMarkFlag(), 1);
}

}  // namespace

namespace {

TEST_F(TapeOperations, FixedBlocksAndTheTransferLimit) {
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.SetCurrentBlockSize(1024), 1);
  std::vector<uint8_t> blocks(4096, 0x3C);
  sim_->ClearCommands();
  ASSERT_EQ(SCSI.WriteBlock(blocks.data(), 4), 4096);
  EXPECT_EQ(Hex(Last().cdb), "0A 01 00 00 04 00 ");
  EXPECT_EQ(Last().transfer_length, 4096u);
  ASSERT_GT(SCSI.Rewind(60), 0);
  ASSERT_EQ(SCSI.ReadBlock(4), 4096);
  EXPECT_EQ(Hex(Last().cdb), "08 01 00 00 04 00 ");
  EXPECT_EQ(SCSI.VerifyBuffer(blocks.data(), 4096), 1);

  struct Case {
    const char* name;
    std::function<long()> run;
    const char* text;
  } cases[] = {
      {"Write", [&] { return SCSI.Write(blocks.data(), 262145); },
       "Write() - Requested transfer (262145) exceeds maximum capability (262144)."},
      {"WriteBlock", [&] { return SCSI.WriteBlock(blocks.data(), 257); },
       "WriteBlock() - Requested transfer (263168) exceeds maximum capability (262144)."},
      {"Read", [] { return SCSI.Read(262145); },
       "Read() - Requested transfer (262145) exceeds maximum capability (262144)."},
      {"ReadBlock", [] { return SCSI.ReadBlock(300); },
       "ReadBlock() - Requested transfer (307200) exceeds maximum capability (262144)."},
  };
  for (const Case& c : cases) {
    sim_->ClearCommands();
    EXPECT_EQ(c.run(), -3) << c.name;
    EXPECT_STREQ(SCSI.GetDevErrorBuffer(), c.text) << c.name;
    EXPECT_TRUE(sim_->Commands().empty()) << c.name;
  }
}

}  // namespace
