// Choosing the drive: -f, VEXIL_DEV, the not-found diagnostics, and the
// trace collection that needs only a drive.
#include <gtest/gtest.h>

#include <string>

#include "vexil_process.h"

namespace {

const std::map<std::string, std::string> kSim = {{"VEXIL_SIM", "1"}};

const char kScript[] =
    "[TEST]\n"
    "FAMILY ALL\n"
    "DESCRIPTION Drive-less check\n"
    "START:\n"
    "PASS \"script ran\"\n";

TEST(DeviceSelection, ListedNodeIsSelectedByFileOrEnvironment) {
  ScratchDir dir;
  dir.Write("Scripts/ok.scs", kScript);
  for (const bool from_env : {false, true}) {
    std::map<std::string, std::string> env = kSim;
    std::vector<std::string> args = {"-s", "ok.scs", "-y"};
    if (from_env) {
      env["VEXIL_DEV"] = "/dev/sg0";
    } else {
      args.insert(args.begin(), {"-f", "/dev/sg0"});
    }
    const ProcessResult r = RunVexil(dir.path(), args, env);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Selected device = [HU1234567A] [/dev/sg0] [HALCYON ULTRIUM-HH6"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Drive family = LTO6_MDLC\n\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("script ran"), std::string::npos) << r.out;
  }
}

TEST(DeviceSelection, FileOptionOverridesTheEnvironment) {
  ScratchDir dir;
  dir.Write("Scripts/ok.scs", kScript);
  std::map<std::string, std::string> env = kSim;
  env["VEXIL_DEV"] = "/dev/sg7";
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg2", "-s", "ok.scs", "-y"}, env);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("] [/dev/sg2] ["), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Drive family = DAT"), std::string::npos) << r.out;
}

TEST(DeviceSelection, AbsentNodeGivesTheRequestedDeviceDiagnostics) {
  ScratchDir dir;
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg5", "-s", "ok.scs"}, kSim);
  EXPECT_EQ(r.status, 254);
  const char* lines[] = {
      "!!! Vexil Wizard ERROR - \n\t",
      "The SCSI device you requested was not found or was not accessible to Vexil!\n"
      "Possible causes include:\n"
      "\t1) The device you requested is no longer attached to the system\n"
      "\t3) The 'sg' kernel module is not loaded\n"
      "\t4) You do not have write/read access to the device file for your target device (/dev/sg5)\n\n"
      "\t5) You have hot-plugged a parallel SCSI device but have not added it to the kernel device list\n\n",
      "\nSCSI devices listed in /proc/scsi/scsi:\n\n",
      "\nDevices found in /dev/sg*\n\n",
  };
  std::vector<size_t> at = {0};
  for (const char* line : lines) {
    const size_t found = r.err.find(line, at.back());
    ASSERT_NE(found, std::string::npos) << line << "\n---\n" << r.err;
    at.push_back(found);
  }
  // The virtual system answers the shell commands: its drives are listed.
  const std::string proc_listing = r.err.substr(at[3], at[4] - at[3]);
  EXPECT_NE(proc_listing.find("Model: ULTRIUM-HH6"), std::string::npos) << proc_listing;
  EXPECT_NE(r.err.find("/dev/sg0", at[4]), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("Selected device"), std::string::npos);
  // The report of the failure is kept out of standard output.
  EXPECT_EQ(r.out.find("Possible causes include"), std::string::npos) << r.out;
}

TEST(DeviceSelection, NoNodeAtAllGivesTheScanDiagnostics) {
  ScratchDir dir;
  dir.Write("empty.bench", "# no devices on this bench\n");
  const ProcessResult r = RunVexil(dir.path(), {"-s", "ok.scs"}, {{"VEXIL_SIM", dir.path() + "/empty.bench"}});
  EXPECT_EQ(r.status, 254) << r.err;
  const std::string expected =
      "No SCSI devices found which are accessible to Vexil!\n"
      "Possible causes include:\n"
      "\t1) There are no supported devices attached to the system\n"
      "\t2) The 'sg' kernel module is not loaded\n"
      "\t3) You do not have write/read access to the /dev/sg* device files for your target devices\n"
      "\t4) You have hot-plugged a parallel SCSI device but have not added it to the kernel device list\n\n"
      "\nSCSI devices listed in /proc/scsi/scsi:\n\n";
  const size_t causes = r.err.find(expected);
  ASSERT_NE(causes, std::string::npos) << r.err;
  EXPECT_LT(r.err.find("!!! Vexil Wizard ERROR - "), causes);
  EXPECT_NE(r.err.find("\nDevices found in /dev/sg*\n\n", causes), std::string::npos) << r.err;
  // Simulated: the sysfs listing is for real kernels without /proc/scsi/scsi.
  EXPECT_EQ(r.err.find("SCSI generic devices listed in"), std::string::npos);
}

TEST(DeviceSelection, ChangerIsListedOnlyWhenAsked) {
  ScratchDir dir;
  dir.Write("Scripts/ok.scs", kScript);
  constexpr char kHint[] = "\tMedium changers are listed only with VEXIL_MC=true (1 found and not listed)\n";
  ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg1", "-s", "ok.scs", "-y"}, kSim);
  EXPECT_EQ(r.status, 254) << r.err;
  EXPECT_NE(r.err.find("The SCSI device you requested was not found"), std::string::npos);
  EXPECT_NE(r.err.find(kHint), std::string::npos) << r.err;

  // A scan that finds only a changer says the same; one that lists nothing hidden does not.
  dir.Write("changer.bench", "device /dev/sg4 type=changer hctl=0:0:4:0 product=\"LTO LOADER\" slots=4\n");
  r = RunVexil(dir.path(), {"-s", "ok.scs"}, {{"VEXIL_SIM", dir.path() + "/changer.bench"}});
  EXPECT_EQ(r.status, 254) << r.err;
  EXPECT_NE(r.err.find("No SCSI devices found which are accessible to Vexil!"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(kHint), std::string::npos) << r.err;
  r = RunVexil(dir.path(), {"-f", "/dev/sg5", "-s", "ok.scs"}, kSim);
  EXPECT_EQ(r.err.find("Medium changers are listed only"), std::string::npos) << r.err;

  std::map<std::string, std::string> env = kSim;
  env["VEXIL_MC"] = "true";
  r = RunVexil(dir.path(), {"-f", "/dev/sg1", "-s", "ok.scs", "-y"}, env);
  EXPECT_EQ(r.status, 0) << r.err;  // selected; a FAMILY ALL script suits a changer too
  EXPECT_NE(r.out.find("Drive family = LOADER\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Script entered\t\t->ok.scs<-"), std::string::npos) << r.out;
}

// The tape driver's nodes are refused before anything is opened (closing
// /dev/stN would rewind the cartridge), with the node the console needs.
TEST(DeviceSelection, TapeDriverNodesAskForTheSgNode) {
  for (const char* node : {"/dev/nst0", "/dev/st0", "/dev/nst12a"}) {
    ScratchDir dir;
    dir.Write("Scripts/ok.scs", kScript);
    const ProcessResult r = RunVexil(dir.path(), {"-f", node, "-s", "ok.scs", "-y"}, kSim);
    EXPECT_EQ(r.status, 254) << node << r.err;
    EXPECT_NE(r.err.find(std::string(node) +
                         " is a node of the tape driver; Vexil talks to a drive through its SCSI generic node "
                         "(/dev/sgN).\n"),
              std::string::npos)
        << r.err;
    // The virtual drives have no sysfs to name the node from.
    EXPECT_NE(r.err.find("Its SCSI generic node could not be found; run Vexil without -f"), std::string::npos);
    EXPECT_EQ(r.err.find("Possible causes include"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Script entered"), std::string::npos) << r.out;
  }
}

TEST(TraceCollection, WritesTheTraceFileWithProgress) {
  ScratchDir dir;
  dir.Write("FAData/.keep", "");
  const ProcessResult r = RunVexil(dir.path(), {"-f", "/dev/sg0", "-b"}, kSim);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const std::string file = "FAData/TraceBuffer_HU1234567A.svm";
  EXPECT_NE(r.out.find("Starting the trace collection. Output will be written to " + file + "\n"), std::string::npos)
      << r.out;
  const size_t total_at = r.out.find("Total data size = ");
  ASSERT_NE(total_at, std::string::npos) << r.out;
  const long total = std::stol(r.out.substr(total_at + 18));
  EXPECT_GT(total, 0);
  EXPECT_NE(r.out.find("100.00 % complete\n", total_at), std::string::npos) << r.out;
  EXPECT_EQ(static_cast<long>(dir.Read(file).size()), total);
}

// A collection that fails or stops short is not a success: 250.
TEST(TraceCollection, FailureOrAShortTraceExits250) {
  const struct {
    const char* fault;
    const char* message;
  } cases[] = {
      {"fault /dev/sg0 op=0x3c check=5/24/00 count=always\n", "Status: SenseKey=05 ASC=24 ASCQ=00\n"},
      {"fault /dev/sg0 op=0x3c skip=1 data=100 count=always\n", "the trace is incomplete"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    dir.Write("FAData/.keep", "");
    dir.Write("drives.bench", std::string("bench default\n") + c.fault);
    const ProcessResult r =
        RunVexil(dir.path(), {"-f", "/dev/sg0", "-b"}, {{"VEXIL_SIM", dir.path() + "/drives.bench"}});
    EXPECT_EQ(r.status, 250) << c.fault << r.out << r.err;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
  }
}

}  // namespace
