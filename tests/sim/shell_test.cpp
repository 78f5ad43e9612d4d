// The shell commands the console runs, answered from the bench.
#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

std::string RunShell(SimSystem& sim, const char* command, int* status) {
  CaptureStdout();
  *status = sim.Shell(command);
  return GetCapturedStdout();
}

TEST(SimShell, ProcScsiListsEveryAttachedDeviceInTheKernelFormat) {
  auto sim = MakeSimSystem("1", nullptr);
  int status = -1;
  const std::string out = RunShell(*sim, "cat /proc/scsi/scsi", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out,
            "Attached devices:\n"
            "Host: scsi0 Channel: 00 Id: 00 Lun: 00\n"
            "  Vendor: HALCYON  Model: ULTRIUM-HH6      Rev: J5A1\n"
            "  Type:   Sequential-Access                ANSI  SCSI revision: 06\n"
            "Host: scsi0 Channel: 00 Id: 00 Lun: 01\n"
            "  Vendor: HALCYON  Model: LTO LOADER       Rev: L102\n"
            "  Type:   Medium Changer                   ANSI  SCSI revision: 06\n"
            "Host: scsi0 Channel: 00 Id: 01 Lun: 00\n"
            "  Vendor: HALCYON  Model: DAT160           Rev: V10D\n"
            "  Type:   Sequential-Access                ANSI  SCSI revision: 06\n"
            "Host: scsi0 Channel: 00 Id: 02 Lun: 00\n"
            "  Vendor: KESTREL  Model: LTO-5 HH         Rev: K5B2\n"
            "  Type:   Sequential-Access                ANSI  SCSI revision: 06\n"
            "Host: scsi0 Channel: 00 Id: 02 Lun: 01\n"
            "  Vendor: KESTREL  Model: AUTOLOADER A8    Rev: A120\n"
            "  Type:   Medium Changer                   ANSI  SCSI revision: 06\n");
}

TEST(SimShell, ListingOfNodesInShellOrderOrTheLsComplaint) {
  SimSystem sim;
  for (const char* node : {"/dev/sg2", "/dev/sg10", "/dev/sg1"}) {
    SimDeviceConfig c;
    c.node = node;
    ASSERT_TRUE(sim.AddDevice(c));
  }
  sim.SetUnreadable("/dev/sg2", true);
  int status = -1;
  const std::string out = RunShell(sim, "ls -l /dev/sg*", &status);
  EXPECT_EQ(status, 0);
  const size_t one = out.find("tape 21, 1 "), ten = out.find("tape 21, 10 "), two = out.find("tape 21, 2 ");
  ASSERT_NE(one, std::string::npos) << out;
  EXPECT_LT(one, ten);
  EXPECT_LT(ten, two);
  EXPECT_EQ(out.rfind("crw-rw---- 1 root tape 21, 1 ", 0), 0u) << out;
  EXPECT_NE(out.find("c--------- 1 root tape 21, 2 "), std::string::npos) << out;
  EXPECT_NE(out.find(" /dev/sg10\n"), std::string::npos);

  SimSystem empty;
  EXPECT_EQ(RunShell(empty, "ls -l /dev/sg*", &status), "ls: cannot access '/dev/sg*': No such file or directory\n");
  EXPECT_EQ(status >> 8, 2);
}

TEST(SimShell, ModuleChecksSucceedAndOtherCommandsAreNotRun) {
  SimSystem sim;
  struct Case {
    const char* command;
    int exit_code;
  } cases[] = {
      {"/sbin/lsmod | grep -q sg", 0},
      {"/sbin/modprobe sg", 0},
      {"rm -rf /", 127},
      {"echo hi", 127},
  };
  for (const Case& c : cases) {
    int status = -1;
    EXPECT_EQ(RunShell(sim, c.command, &status), "") << c.command;
    EXPECT_EQ(status >> 8, c.exit_code) << c.command;
  }
}

}  // namespace
