#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"
#include "facade/sim_bench.h"
#include "sim/sim.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

SimDeviceConfig Device(const char* node, SimDeviceType type, const char* vendor, const char* product, int target,
                       char personality = '0') {
  SimDeviceConfig c;
  c.node = node;
  c.type = type;
  c.vendor = vendor;
  c.product = product;
  c.target = target;
  c.personality = personality;
  c.serial = std::string("SN") + node[7];
  return c;
}

class DeviceList : public SimBenchTest {
 protected:
  // A drive of every class the filters tell apart.
  void AddMixedBench() {
    using enum SimDeviceType;
    for (const SimDeviceConfig& c : {
             Device("/dev/sg0", kTape, "HALCYON", "ULTRIUM-HH6", 0),     // 226
             Device("/dev/sg1", kChanger, "HALCYON", "LTO LOADER", 1),   // 254
             Device("/dev/sg2", kDisk, "HALCYON", "BRAMBLE", 2),         // 21
             Device("/dev/sg3", kDisk, "SEAGATE", "ST3300657SS", 3),     // 22
             Device("/dev/sg4", kTape, "HALCYON", "ULTRIUM 3", 4, '8'),  // 193
             Device("/dev/sg5", kTape, "HALCYON", "ULTRIUM 3", 5, '6'),  // 98
         }) {
      std::string error;
      ASSERT_TRUE(Sim().AddDevice(c, &error)) << error;
    }
  }

  std::vector<std::string> Listed(ScsiWrapper& wrapper, int32_t count) {
    std::vector<std::string> files;
    for (int32_t i = 0; i < count; ++i) {
      const char* file = wrapper.GetDeviceFilename(i);
      files.push_back(file != nullptr ? file : "(null)");
    }
    return files;
  }
};

TEST_F(DeviceList, FiltersByEnvironmentAndEdition) {
  struct Case {
    const char* label;
    const char* hdd;  // null: unset
    const char* mc;
    bool dell;
    bool eng;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"default", nullptr, nullptr, false, false, {"/dev/sg0", "/dev/sg2", "/dev/sg4", "/dev/sg5"}},
      {"changers", nullptr, "true", false, false, {"/dev/sg0", "/dev/sg1", "/dev/sg2", "/dev/sg4", "/dev/sg5"}},
      {"disks", "true", nullptr, false, false, {"/dev/sg0", "/dev/sg2", "/dev/sg3", "/dev/sg4", "/dev/sg5"}},
      {"mc judged by its own value",
       "true",
       "yes",
       false,
       false,
       {"/dev/sg0", "/dev/sg2", "/dev/sg3", "/dev/sg4", "/dev/sg5"}},
      {"values are exact", "TRUE", "1", false, false, {"/dev/sg0", "/dev/sg2", "/dev/sg4", "/dev/sg5"}},
      {"dell edition", nullptr, nullptr, true, false, {"/dev/sg4"}},
      {"dell edition with changers", nullptr, "true", true, false, {"/dev/sg1", "/dev/sg4"}},
      {"dell edition, engineering", nullptr, nullptr, true, true, {"/dev/sg0", "/dev/sg2", "/dev/sg4", "/dev/sg5"}},
  };
  AddMixedBench();
  for (const Case& c : cases) {
    if (c.hdd)
      ::setenv("VEXIL_HDD", c.hdd, 1);
    else
      ::unsetenv("VEXIL_HDD");
    if (c.mc)
      ::setenv("VEXIL_MC", c.mc, 1);
    else
      ::unsetenv("VEXIL_MC");
    ScsiWrapper wrapper;
    wrapper.SetDellEdition(c.dell);
    wrapper.SetEngMode(c.eng);
    CaptureStdout();
    const int32_t count = wrapper.InitScsiDll(nullptr);
    GetCapturedStdout();
    EXPECT_EQ(count, static_cast<int32_t>(c.expected.size())) << c.label;
    EXPECT_EQ(Listed(wrapper, count), c.expected) << c.label;
    // Positions past the accepted devices are free.
    EXPECT_EQ(wrapper.GetDeviceFilename(count), nullptr) << c.label;
    EXPECT_EQ(wrapper.GetDeviceFilename(-1), nullptr) << c.label;
  }
}

// A tape drive of no model line is a tape drive, not a changer: VEXIL_MC
// admits the changers only.
TEST_F(DeviceList, AnotherMakersTapeDriveIsListedLikeAnyDrive) {
  for (const SimDeviceConfig& c : {Device("/dev/sg0", SimDeviceType::kTape, "KESTREL", "LTO-5 HH", 0),
                                   Device("/dev/sg1", SimDeviceType::kChanger, "KESTREL", "AUTOLOADER A8", 1)}) {
    std::string error;
    ASSERT_TRUE(Sim().AddDevice(c, &error)) << error;
  }
  struct Case {
    const char* mc;
    std::vector<std::string> expected;
  };
  for (const Case& c : {Case{nullptr, {"/dev/sg0"}}, Case{"true", {"/dev/sg0", "/dev/sg1"}}}) {
    if (c.mc)
      ::setenv("VEXIL_MC", c.mc, 1);
    else
      ::unsetenv("VEXIL_MC");
    ScsiWrapper wrapper;
    CaptureStdout();
    const int32_t count = wrapper.InitScsiDll(nullptr);
    GetCapturedStdout();
    EXPECT_EQ(Listed(wrapper, count), c.expected) << (c.mc ? c.mc : "unset");
  }
  ::unsetenv("VEXIL_MC");
}

TEST_F(DeviceList, GettersRestoreTheSelectionAndSelectionKeepsTheModel) {
  AddMixedBench();
  ScsiWrapper wrapper;
  CaptureStdout();
  ASSERT_EQ(wrapper.InitScsiDll(nullptr), 4);
  GetCapturedStdout();

  wrapper.SetDeviceSelected(2);  // /dev/sg4
  EXPECT_STREQ(SCSI.GetFilename(), "/dev/sg4");
  EXPECT_STREQ(wrapper.GetModel(), "ULTRIUM 3");
  EXPECT_EQ(wrapper.GetDeviceSelected(), 2);

  // File name and description have buffers of their own.
  const char* file = wrapper.GetDeviceFilename(0);
  const char* description = wrapper.GetDeviceDescription(1);
  EXPECT_STREQ(file, "/dev/sg0");
  EXPECT_STREQ(description, "HALCYON BRAMBLE         ");
  EXPECT_STREQ(wrapper.GetSerialNumber(3), "SN5");
  EXPECT_STREQ(SCSI.GetFilename(), "/dev/sg4");

  CaptureStdout();
  wrapper.ListDevices();
  const std::string listing = GetCapturedStdout();
  EXPECT_NE(listing.find("\t1) [SN0] [/dev/sg0] [HALCYON ULTRIUM-HH6"), std::string::npos) << listing;
  EXPECT_NE(listing.find("\t4) [SN5] [/dev/sg5] [HALCYON ULTRIUM 3"), std::string::npos) << listing;
  EXPECT_EQ(listing.substr(listing.size() - 2), "\n\n");

  // The kept drive type is the last device classified.
  EXPECT_EQ(wrapper.GetDriveTypeCode(), 98);
}

// The session handed out is the facade's own: bound to the drive chosen, it
// carries that drive's identity and the outcome of the commands sent to it,
// and a new scan unbinds it until a drive is chosen again.
TEST_F(DeviceList, TheSessionIsBoundToTheDriveChosenUntilTheNextScan) {
  AddMixedBench();
  ScsiWrapper wrapper;
  CaptureStdout();
  ASSERT_EQ(wrapper.InitScsiDll(nullptr), 4);
  GetCapturedStdout();
  EXPECT_FALSE(wrapper.Session().Bound());

  DriveSession& session = wrapper.SetDeviceSelected(3);  // /dev/sg5
  EXPECT_EQ(&session, &wrapper.Session());
  EXPECT_TRUE(session.Bound());
  EXPECT_TRUE(session.HasDevice());
  EXPECT_EQ(session.Position(), 3);
  EXPECT_STREQ(session.Drive().serialNumber, "SN5");
  EXPECT_STREQ(session.Model(), "ULTRIUM 3");

  Sim().InjectFault("/dev/sg5", SimFault{.opcode = 0x00, .check = true, .key = 0x02, .asc = 0x3A});  // no medium
  const uint8_t tur[6] = {};
  CaptureStdout();
  EXPECT_FALSE(wrapper.SendCmd(2, tur, sizeof tur, nullptr, 0));
  GetCapturedStdout();
  EXPECT_EQ(session.LastCommand().result, -2);
  EXPECT_EQ(session.LastOutcome().asc, 0x3A);

  CaptureStdout();
  ASSERT_EQ(wrapper.InitScsiDll(nullptr), 4);
  GetCapturedStdout();
  EXPECT_FALSE(session.Bound());
  EXPECT_EQ(wrapper.GetDeviceSelected(), -1);
}

// A drive that answers no INQUIRY has a blank description: selecting it
// leaves the model empty (and copies nothing from a null text).
TEST_F(DeviceList, ADriveWithoutDescriptionCanBeSelected) {
  std::string error;
  ASSERT_TRUE(Sim().AddDevice(Device("/dev/sg0", SimDeviceType::kTape, "HALCYON", "ULTRIUM-HH6", 0), &error));
  SimFault noInquiry;
  noInquiry.opcode = 0x12;
  noInquiry.check = true;
  noInquiry.key = 0x05;
  noInquiry.asc = 0x24;
  Sim().InjectFault("/dev/sg0", noInquiry);
  ScsiWrapper wrapper;
  CaptureStdout();
  ASSERT_EQ(wrapper.InitScsiDll(nullptr), 1);
  GetCapturedStdout();
  ASSERT_EQ(std::string(SCSI.DeviceAt(0)->description).find_first_not_of(' '), std::string::npos);

  wrapper.SetDeviceSelected(0);
  EXPECT_STREQ(wrapper.GetModel(), "");
}

TEST_F(DeviceList, MissingDeviceFilesAreReported) {
  ScsiWrapper wrapper;
  testing::internal::CaptureStderr();
  EXPECT_EQ(wrapper.InitScsiDll(nullptr), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("\nNo device files found!"), std::string::npos);

  Sim().AddDefaultBench();
  testing::internal::CaptureStderr();
  EXPECT_EQ(wrapper.InitScsiDll("/dev/sg9"), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("\nRequested device file (/dev/sg9) not found!\n"),
            std::string::npos);
  EXPECT_EQ(wrapper.GetDeviceFilename(0), nullptr);

  CaptureStdout();
  EXPECT_EQ(wrapper.InitScsiDll("/dev/sg2"), 1);
  GetCapturedStdout();
  EXPECT_STREQ(wrapper.GetDeviceFilename(0), "/dev/sg2");
}

}  // namespace

namespace {

// A host without the sg module, which cannot be loaded either.
class NoSgModule : public SimSystem {
 public:
  int Shell(const char* command) override {
    commands.emplace_back(command);
    const std::string c = command;
    if (c == "/sbin/lsmod | grep -q sg" || c == "/sbin/modprobe sg") return 1 << 8;
    return SimSystem::Shell(command);
  }
  std::vector<std::string> commands;
};

TEST(DeviceListModule, MissingSgModuleIsReportedAndTheScanGoesOn) {
  auto owned = std::make_unique<NoSgModule>();
  NoSgModule& sim = *owned;
  sim.AddDefaultBench();
  auto previous = InstallSystem(std::move(owned));
  ::unsetenv("VEXIL_MC");
  ::unsetenv("VEXIL_HDD");

  ScsiWrapper wrapper;
  testing::internal::CaptureStderr();
  const int32_t count = wrapper.InitScsiDll(nullptr);
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(sim.commands, (std::vector<std::string>{"/sbin/lsmod | grep -q sg", "/sbin/modprobe sg"}));
  EXPECT_NE(out.find("\nThe 'sg' kernel module is not loaded, and could not be loaded automatically by Vexil!\n"
                     "You must either load the 'sg' module as root, or run Vexil as root.\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(count, 3);  // the three tape drives; the changers are filtered

  SCSI.SetDeviceIndex(-1);
  SCSI.ClearScsiList();
  InstallSystem(std::move(previous));
}

}  // namespace
