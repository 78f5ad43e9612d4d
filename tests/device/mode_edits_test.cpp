// Mode-page edits per family: which MODE SELECT goes out and with which
// bytes, the families that send none, and a failed MODE SENSE that must
// leave nothing behind to read.
#include <string>
#include <vector>

#include "device/bench_fixture.h"

namespace {

using ModeEdits = Bench;

SimFault FailsModeSense() {
  SimFault f;
  f.opcode = 0x5A;
  f.check = true;
  f.key = 0x05, f.asc = 0x24, f.ascq = 0x00;
  return f;
}

TEST_F(ModeEdits, CompressionListPerFamily) {
  struct Case {
    const char* product;
    long result;
    int selectOpcode;  // -1: nothing sent after the probes
    size_t listLength;
    size_t valueAt;
  } cases[] = {
      {"ULTRIUM-HH6", 1, 0x55, 32, 30},  // ten-byte: the answer sent back
      {"KORU220", 1, 0x15, 28, 26},      // six-byte list
      {"DAT160", 1, -1, 0, 0},
      {"TR5", 1, -1, 0, 0},
  };
  for (const Case& c : cases) {
    ListOne(c.product);
    EXPECT_EQ(SCSI.SetCompression(0), c.result) << c.product;
    if (c.selectOpcode < 0) {
      EXPECT_EQ(sim_->Commands().size(), 3u) << c.product << ": only the readiness probes";
      continue;
    }
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 3) << c.product;
    const SimCommand& select = Last();
    ASSERT_EQ(select.cdb[0], c.selectOpcode) << c.product;
    ASSERT_EQ(select.data_out.size(), c.listLength) << c.product;
    EXPECT_EQ(select.data_out[c.valueAt], 0) << c.product;
    EXPECT_EQ(select.data_out[1], 0) << c.product << ": medium type / length byte";
    EXPECT_EQ(SCSI.GetCompression(), 0) << c.product << ": the drive kept the setting";
    EXPECT_EQ(SCSI.SetCompression(1), 1) << c.product;
    EXPECT_EQ(SCSI.GetCompression(), 1) << c.product;
  }
}

TEST_F(ModeEdits, DceBitPerFamily) {
  struct Case {
    const char* product;
    long result;
    int selectOpcode;
    size_t dceAt;
  } cases[] = {
      {"ZEP1", 1, 0x55, 18},
      {"KORU220", 1, 0x15, 14},
      {"ULTRIUM-HH6", 0, -1, 0},
      {"MYSTERY", 1, -1, 0},  // family 0: nothing at all
  };
  for (const Case& c : cases) {
    ListOne(c.product);
    EXPECT_EQ(SCSI.SetCompressionDCE(false), c.result) << c.product;
    if (c.selectOpcode < 0) {
      EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x15) + sim_->CountCommands("/dev/sg0", 0x55), 0) << c.product;
      continue;
    }
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x5A), 1) << c.product;
    ASSERT_EQ(Last().cdb[0], c.selectOpcode) << c.product;
    EXPECT_EQ(Last().data_out.at(c.dceAt) & 0x80, 0) << c.product;
    EXPECT_EQ(Last().data_out.at(c.dceAt - 2), 0x0F) << c.product << ": page 0Fh itself";
  }
}

TEST_F(ModeEdits, MediaCheckReportsTheCartridgeAndForgetsItWhenTheSenseFails) {
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.MediaCheck(), 1);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "MediaCheck() - TYPE=0X00 DENSITY=0X5A");
  EXPECT_EQ(SCSI.GetMediaDensity(), 0x5A);

  sim_->InjectFault("/dev/sg0", FailsModeSense());
  EXPECT_EQ(SCSI.MediaCheck(), 0);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "MediaCheck() - SCSI - MEDIA CHECK TEST FAILED");
  EXPECT_EQ(SCSI.GetMediaDensity(), 0);
  EXPECT_EQ(SCSI.GetModeSize(), 0);
  EXPECT_EQ(SCSI.GetModeBuffer(), nullptr);

  // A density change on a failed sense sends nothing built from old bytes.
  ASSERT_EQ(SCSI.GetCurrentBlockSize(), 0);  // a good answer is stored again
  sim_->InjectFault("/dev/sg0", FailsModeSense());
  sim_->ClearCommands();
  EXPECT_EQ(SCSI.SetMediaDensity(0x58), 0);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x55), 0);
}

TEST_F(ModeEdits, DensityGoesBackInTheWholeAnswer) {
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.SetMediaDensity(0x58), 1);
  const SimCommand& select = Last();
  ASSERT_EQ(select.cdb[0], 0x55);
  EXPECT_EQ(select.data_out.size(), 32u);
  EXPECT_EQ(select.data_out[0], 0);
  EXPECT_EQ(select.data_out[8], 0x58);
  ASSERT_EQ(SCSI.MediaCheck(), 1);
  EXPECT_EQ(SCSI.GetMediaDensity(), 0x58);
}

TEST_F(ModeEdits, ShortAnswersAreNeverReadPast) {
  ListOne("KORU220");
  for (int length : {19, 24, 31}) {
    SimFault cut;
    cut.opcode = 0x5A;
    cut.data_length = length;
    sim_->InjectFault("/dev/sg0", cut);
    sim_->ClearCommands();
    EXPECT_EQ(SCSI.SetCompression(0), 0) << length;
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x15), 0) << length;
  }
}

}  // namespace
