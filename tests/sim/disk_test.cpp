// The removable disk: readiness follows its cartridge; ATA commands pass
// through with their registers in descriptor sense.
#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

TEST(SimDisk, ReadinessFollowsTheCartridgeAndAtaIdentifyPassesThrough) {
  SimSystem sim;
  ASSERT_TRUE(sim.ParseBench("device /dev/sg3 type=disk vendor=HALCYON product=BRAMBLE rev=B100 serial=RD42", nullptr));
  int fd = OpenNode(sim, "/dev/sg3");
  EXPECT_EQ(SendIn(sim, fd, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x062900);
  EXPECT_TRUE(SendIn(sim, fd, {0x00, 0, 0, 0, 0, 0}, 0).Good());
  SgResult capacity = SendIn(sim, fd, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8);
  ASSERT_TRUE(capacity.Good());
  EXPECT_EQ(capacity.data[6] << 8 | capacity.data[7], 512);

  // IDENTIFY DEVICE with CK_COND: 512 bytes and the ATA status return.
  SgResult id = SendIn(sim, fd, {0xA1, 0x08, 0x2E, 0, 1, 0, 0, 0, 0, 0xEC, 0, 0}, 512);
  ASSERT_TRUE(id.Check());
  ASSERT_EQ(id.data.size(), 512u);
  EXPECT_EQ(std::string(id.data.begin() + 20, id.data.begin() + 24), "DR24");  // "RD42", byte-swapped
  ASSERT_GE(id.sense.size(), 22u);
  EXPECT_EQ(id.sense[0], 0x72);
  EXPECT_EQ(id.sense[8], 0x09);
  EXPECT_EQ(id.sense[21], 0x50);  // status: ready, no error

  // Ejected (START STOP UNIT with LoEj): not ready, medium not present.
  ASSERT_TRUE(SendIn(sim, fd, {0x1B, 0, 0, 0, 0x02, 0}, 0).Good());
  EXPECT_EQ(SendIn(sim, fd, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x023A00);
}

}  // namespace
