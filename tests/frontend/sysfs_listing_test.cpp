#include "frontend/sysfs_listing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "scratch_fixture.h"

namespace {

class SysfsListingTest : public ScratchFolder {
 protected:
  // Mimics /sys/class/scsi_generic/<sg>/device -> .../<h:c:t:l>
  void AddNode(const std::string& sg, const std::string& address, const std::string& type, const std::string& vendor,
               const std::string& model, const std::string& rev) {
    const std::string device = "devices/" + address;
    std::filesystem::create_directories(root_ + "/" + device);
    std::filesystem::create_directories(root_ + "/class/" + sg);
    WriteFile(device + "/type", type + "\n");
    WriteFile(device + "/vendor", vendor + "\n");
    WriteFile(device + "/model", model + "\n");
    WriteFile(device + "/rev", rev + "\n");
    std::filesystem::create_directory_symlink("../../" + device, root_ + "/class/" + sg + "/device");
  }

  std::string List(int* count) {
    char* text = nullptr;
    size_t size = 0;
    FILE* out = ::open_memstream(&text, &size);
    *count = ListScsiGenericFromSysfs(out, (root_ + "/class").c_str());
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
  }
};

TEST_F(SysfsListingTest, OneLinePerNodeInNumberOrder) {
  AddNode("sg10", "2:0:3:0", "8", "HALCYON ", "LTO LOADER      ", "0100");
  AddNode("sg2", "0:0:1:0", "1", "HALCYON", "DAT160", "WU8A");
  AddNode("sg0", "0:0:0:0", "1", "HALCYON", "ULTRIUM-HH6", "J5A1");
  std::filesystem::create_directories(root_ + "/class/sgx");  // not a node
  int count = 0;
  const std::string listing = List(&count);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(listing, "\nSCSI generic devices listed in " + root_ +
                         "/class:\n"
                         "/dev/sg0    [0:0:0:0] type 1 (tape)  HALCYON  ULTRIUM-HH6  J5A1\n"
                         "/dev/sg2    [0:0:1:0] type 1 (tape)  HALCYON  DAT160  WU8A\n"
                         "/dev/sg10   [2:0:3:0] type 8 (changer)  HALCYON  LTO LOADER  0100\n");
}

TEST_F(SysfsListingTest, MissingAttributesAndNoNodes) {
  int count = 0;
  EXPECT_EQ(List(&count), "\nSCSI generic devices listed in " + root_ + "/class:\n(none)\n");
  EXPECT_EQ(count, 0);

  std::filesystem::create_directories(root_ + "/class/sg3/device");  // no link, no attributes
  const std::string listing = List(&count);
  EXPECT_EQ(count, 1);
  EXPECT_NE(listing.find("/dev/sg3    [?:?:?:?] type -  -  -  -\n"), std::string::npos) << listing;
}

}  // namespace
