#include "frontend/tape_node.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scratch_fixture.h"

namespace {

TEST(TapeNode, NamesOfTheTapeDriver) {
  const struct {
    const char* device;
    bool tape;
  } cases[] = {
      {"/dev/st0", true},  {"/dev/nst0", true},    {"/dev/nst12a", true}, {"/dev/st3l", true},  {"/dev/st3m", true},
      {"nst1", true},      {"/dev/sg0", false},    {"/dev/st", false},    {"/dev/nstx", false}, {"/dev/st0b", false},
      {"/dev/sda", false}, {"/dev/nst0aa", false}, {"/dev/sst0", false},  {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsTapeNode(c.device), c.tape) << c.device;
  EXPECT_FALSE(IsTapeNode(nullptr));
}

class TapeNodeSysfs : public ScratchFolder {
 protected:
  // Mimics /sys/class/scsi_tape/<node>/device/scsi_generic/<sg>.
  void AddTape(const std::string& node, const std::string& sg) {
    std::filesystem::create_directories(root_ + "/devices/0:0:0:0/scsi_generic/" + sg);
    std::filesystem::create_directories(root_ + "/class/" + node);
    std::filesystem::create_directory_symlink("../../devices/0:0:0:0", root_ + "/class/" + node + "/device");
  }
};

TEST_F(TapeNodeSysfs, TheSgNodeOfTheSameDrive) {
  AddTape("nst0", "sg3");
  AddTape("st0", "sg3");
  const std::string root = root_ + "/class";
  EXPECT_EQ(SgNodeOfTapeNode("/dev/nst0", root.c_str()), "/dev/sg3");
  EXPECT_EQ(SgNodeOfTapeNode("/dev/st0", root.c_str()), "/dev/sg3");
  EXPECT_EQ(SgNodeOfTapeNode("/dev/st1", root.c_str()), "");  // not in sysfs
  EXPECT_EQ(SgNodeOfTapeNode("/dev/sg3", root.c_str()), "");  // not a tape node
}

// A link such as /dev/tape/by-id/...-nst is judged by the node it leads to.
TEST_F(TapeNodeSysfs, LinksAreFollowed) {
  WriteFile("nst7", "");
  std::filesystem::create_symlink(root_ + "/nst7", root_ + "/by-id-nst");
  EXPECT_TRUE(IsTapeNode((root_ + "/by-id-nst").c_str()));
}

// The other way: the st and nst nodes and the by-id link of an sg node.
TEST_F(TapeNodeSysfs, TapeNamesOfTheSgNode) {
  namespace fs = std::filesystem;
  for (const char* node : {"st0", "nst0", "st0a", "nst0l"})
    fs::create_directories(root_ + "/devices/0:0:0:0/scsi_tape/" + std::string(node));
  fs::create_directories(root_ + "/sg/sg3");
  fs::create_directory_symlink("../../devices/0:0:0:0", root_ + "/sg/sg3/device");
  fs::create_directories(root_ + "/dev/tape/by-id");
  for (const char* node : {"st0", "nst0", "nst1"}) WriteFile(std::string("dev/") + node, "");
  fs::create_symlink("../../nst1", root_ + "/dev/tape/by-id/scsi-OTHER-nst");
  fs::create_symlink("../../nst0", root_ + "/dev/tape/by-id/scsi-HU1234567A-nst");
  fs::create_symlink("../../st0", root_ + "/dev/tape/by-id/scsi-HU1234567A");

  const std::string sys = root_ + "/sg", dev = root_ + "/dev";
  const TapeNames names = TapeNamesOfSgNode("/dev/sg3", sys.c_str(), dev.c_str());
  EXPECT_EQ(names.st, dev + "/st0");
  EXPECT_EQ(names.nst, dev + "/nst0");
  EXPECT_EQ(names.by_id, dev + "/tape/by-id/scsi-HU1234567A");                     // the first of its own links
  const TapeNames none = TapeNamesOfSgNode("/dev/sg4", sys.c_str(), dev.c_str());  // a changer, a disk
  EXPECT_EQ(none.st + none.nst + none.by_id, "");
}

}  // namespace
