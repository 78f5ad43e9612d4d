// Bench files and the VEXIL_SIM selection.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

namespace fs = std::filesystem;

fs::path WriteFile(const std::string& name, const std::string& text) {
  fs::path p = fs::temp_directory_path() / ("vexil_sim_" + std::to_string(::getpid()) + "_" + name);
  std::ofstream(p) << text;
  return p;
}

TEST(SimBenchFile, DescribesDevicesFaultsAndSettings) {
  const fs::path file = WriteFile("good", R"(# two drives and a flaky one
device /dev/sg5 type=tape hctl=1:0:3:0 vendor=HALCYON product="ULTRIUM 5" rev=B6W1 serial=HU5 medium=0
device /dev/sg6 type=changer hctl=1:0:3:1 product="LTO LOADER" slots=4
device /dev/sg7 type=disk product=BRAMBLE
fault /dev/sg5 op=0x00 check=2/04/01 count=3   # becoming ready
tapealert /dev/sg5 3,20
user 1000
)");
  std::string error;
  auto sim = MakeSimSystem(file.string(), &error);
  fs::remove(file);
  ASSERT_TRUE(sim) << error;
  EXPECT_FALSE(sim->IsPresent("/dev/sg0"));
  for (const char* node : {"/dev/sg5", "/dev/sg6", "/dev/sg7"}) EXPECT_TRUE(sim->IsPresent(node)) << node;
  EXPECT_EQ(sim->Revision("/dev/sg5"), "B6W1");
  EXPECT_EQ(sim->Serial("/dev/sg6"), "HU00000006");  // distinct serials when none is given
  EXPECT_EQ(sim->Serial("/dev/sg7"), "HU00000007");
  EXPECT_FALSE(sim->MediumLoaded("/dev/sg5"));
  EXPECT_EQ(sim->SetUid(0), -1);
  EXPECT_EQ(sim->GetUid(), 1000u);

  int fd = OpenNode(*sim, "/dev/sg5");
  // Injected answers come before what the drive itself has to say.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x020401);
  EXPECT_EQ(SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x062900);
  EXPECT_EQ(SendIn(*sim, fd, {0x00, 0, 0, 0, 0, 0}, 0).Kcq(), 0x023A00);  // no cartridge
  SgResult alerts = SendIn(*sim, fd, {0x4D, 0, 0x2E, 0, 0, 0, 0, 0x02, 0x00, 0}, 512);
  ASSERT_TRUE(alerts.Good());
  ASSERT_EQ(alerts.data.size(), 4u + 64 * 5);
  for (int flag = 1; flag <= 64; ++flag) {
    EXPECT_EQ(alerts.data[4 + (flag - 1) * 5 + 4], flag == 3 || flag == 20 ? 1 : 0) << flag;
  }
}

TEST(SimBenchFile, DefaultBenchAndClockSettings) {
  auto sim = MakeSimSystem("1", nullptr);
  ASSERT_TRUE(sim);
  EXPECT_FALSE(sim->RealClock());
  EXPECT_EQ(sim->GetUid(), 0u);
  for (const char* node : {"/dev/sg0", "/dev/sg1", "/dev/sg2", "/dev/sg3", "/dev/sg4"}) {
    EXPECT_TRUE(sim->IsPresent(node)) << node;
  }
  EXPECT_FALSE(sim->IsPresent("/dev/sg5"));
  EXPECT_TRUE(sim->MediumLoaded("/dev/sg0"));
  EXPECT_FALSE(sim->MediumLoaded("/dev/sg2"));

  const fs::path file = WriteFile("clock", "bench default\nabsent /dev/sg2\nclock real\n");
  auto real = MakeSimSystem(file.string(), nullptr);
  fs::remove(file);
  ASSERT_TRUE(real);
  EXPECT_TRUE(real->RealClock());
  EXPECT_TRUE(real->IsPresent("/dev/sg1"));
  EXPECT_FALSE(real->IsPresent("/dev/sg2"));
}

TEST(SimBenchFile, BadLinesAreNamedWithTheirNumber) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"devise /dev/sg0", "line 1: unknown statement 'devise'"},
      {"# fine\n\ndevice /dev/sg0 colour=red", "line 3: unknown option 'colour'"},
      {"device /dev/sg0 type=printer", "line 1: bad value for type: 'printer'"},
      {"device /dev/sg0 hctl=0:0:0", "line 1: bad value for hctl: '0:0:0'"},
      {"device /dev/sg0 vendor=HALCYONXX", "line 1: bad value for vendor: 'HALCYONXX'"},
      {"device /dev/sg16", "line 1: not a device node: /dev/sg16"},
      {"device /dev/sg1\ndevice /dev/sg1", "line 2: node already in use: /dev/sg1"},
      {"device /dev/sg0 product=\"LTO LOADER", "line 1: unbalanced quotes"},
      {"fault /dev/sg0 check=2/3A", "line 1: bad value for check: '2/3A'"},
      {"fault /dev/sg0 check=10/3A/00", "line 1: bad value for check: '10/3A/00'"},
      {"fault /dev/sg0 op=256", "line 1: bad value for op: '256'"},
      {"fault /dev/sg0 ioctl=frobnicate", "line 1: bad value for ioctl: 'frobnicate'"},
      {"fault /dev/sg0 nosense=1", "line 1: bad value for nosense: '1'"},
      {"tapealert /dev/sg0 3,65", "line 1: bad TapeAlert flags: '3,65'"},
      {"tapealert /dev/sg0 0", "line 1: bad TapeAlert flags: '0'"},
      {"tapealert /dev/sg0 3 clear=sometimes", "line 1: bad TapeAlert flags: 'clear=sometimes'"},
      {"tapealert /dev/sg0 3 clear=read", "line 1: tapealert: no device on '/dev/sg0'"},
      {"bench default\ncleaning /dev/sg0 soon",
       "line 2: bad cleaning line: 'soon' (now, periodic or none, on a tape drive)"},
      {"bench default\ncleaning /dev/sg1 now",
       "line 2: bad cleaning line: 'now' (now, periodic or none, on a tape drive)"},
      {"bench default\nmedium /dev/sg0 cleaner=maybe", "line 2: bad value for cleaner: 'maybe'"},
      {"device /dev/sg0 nolog=0x12,0x40", "line 1: bad value for nolog: '0x12,0x40'"},
      {"device /dev/sg0 nolog=0", "line 1: bad value for nolog: '0'"},
      {"device /dev/sg0 mam=maybe", "line 1: bad value for mam: 'maybe'"},
      {"bench default\nstatistics /dev/sg0 loads=-1", "line 2: bad value for loads: '-1'"},
      {"bench default\nstatistics /dev/sg0 hours=lots", "line 2: bad value for hours: 'lots'"},
      {"bench default\nstatistics /dev/sg0 mileage=3", "line 2: unknown option 'mileage'"},
      {"bench default\nstatistics /dev/sg1 loads=3", "line 2: statistics needs a tape drive"},
      {"bench default\nerrors /dev/sg0 uncorrected=3", "line 2: bad errors line: say write or read after the node"},
      {"bench default\nerrors /dev/sg0 write uncorrected=x", "line 2: bad value for uncorrected: 'x'"},
      {"bench default\ntemperature /dev/sg0 current=300", "line 2: bad value for current: '300'"},
      {"bench default\ntemperature /dev/sg9 current=30", "line 2: temperature: no device on '/dev/sg9'"},
      {"bench default\nmam /dev/sg0 date=2024-01-15", "line 2: bad value for date: '2024-01-15'"},
      {"bench default\nmam /dev/sg0 manufacturer=TOOLONGNAME", "line 2: bad value for manufacturer: 'TOOLONGNAME'"},
      {"bench default\nmam /dev/sg0 drives=HU1234567A", "line 2: bad value for drives: 'HU1234567A'"},
      {"bench default\nmam /dev/sg0 drives=A:1,B:2,C:3,D:4,E:5", "line 2: bad value for drives: 'A:1,B:2,C:3,D:4,E:5'"},
      {"bench default\nmam /dev/sg0 size=10", "line 2: bad value for size: '10'"},
      {"bench default\nmam /dev/sg0 alerts=7,65", "line 2: bad value for alerts: '7,65'"},
      {"bench default\nmam /dev/sg1 loads=3", "line 2: mam needs a tape drive"},
      {"clock sundial", "line 1: unknown statement 'clock'"},
      {"user root", "line 1: bad user id: 'root'"},
  };
  for (const Case& c : cases) {
    SimSystem sim;
    std::string error;
    EXPECT_FALSE(sim.ParseBench(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(SimBenchFile, FactoryNamesTheFileInItsErrors) {
  std::string error;
  EXPECT_FALSE(MakeSimSystem("/nonexistent/bench.txt", &error));
  EXPECT_EQ(error, "VEXIL_SIM: cannot read bench file '/nonexistent/bench.txt': No such file or directory");
  const fs::path file = WriteFile("bad", "device /dev/sg0\nfault\n");
  EXPECT_FALSE(MakeSimSystem(file.string(), &error));
  fs::remove(file);
  EXPECT_EQ(error, "VEXIL_SIM: bench file '" + file.string() + "' line 2: unknown statement 'fault'");
}

}  // namespace
