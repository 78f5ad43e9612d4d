// Finding the devices, the filters, selection and the searches.
#include <scsi/scsi.h>
#include <scsi/scsi_ioctl.h>

#include <cerrno>
#include <string>

#include "device/bench_fixture.h"

namespace {

class Discovery : public Bench {
 protected:
  // The default bench without the other maker's drive and autoloader: the
  // maker's own LTO-6 drive, its autoloader and the DAT160 drive.
  void AddOwnDevices() {
    sim_->AddDefaultBench();
    for (const char* node : {"/dev/sg3", "/dev/sg4"}) sim_->RemoveDevice(node);
  }
};

TEST_F(Discovery, DefaultBenchIsListedInNodeOrder) {
  sim_->AddDefaultBench();
  ASSERT_EQ(Scan(), 5);
  EXPECT_EQ(SCSI.GetDeviceIndex(), -1);
  EXPECT_EQ(SCSI.GetAdapterCount(), 5);
  struct Expect {
    const char* node;
    const char* description;
    long lun, target;
    bool sequential, changer;
    int family;
  } expect[] = {
      {"/dev/sg0", "HALCYON ULTRIUM-HH6     ", 0, 0, true, false, 25},
      {"/dev/sg1", "HALCYON LTO LOADER      ", 1, 0, false, true, 42},
      {"/dev/sg2", "HALCYON DAT160          ", 0, 1, true, false, 31},
      // Another maker's: no family of the device layer.
      {"/dev/sg3", "KESTREL LTO-5 HH        ", 0, 2, true, false, 0},
      {"/dev/sg4", "KESTREL AUTOLOADER A8   ", 1, 2, false, true, 0},
  };
  for (int i = 0; i < 5; ++i) {
    SCSI.SetDeviceIndex(i);
    EXPECT_STREQ(SCSI.GetFilename(), expect[i].node);
    EXPECT_STREQ(SCSI.GetDescription(), expect[i].description);
    EXPECT_EQ(SCSI.GetLun(), expect[i].lun);
    EXPECT_EQ(SCSI.GetTarget(), expect[i].target);
    EXPECT_EQ(SCSI.IsSequential(), expect[i].sequential);
    EXPECT_EQ(SCSI.IsChanger(), expect[i].changer);
    EXPECT_EQ(SCSI.GetFamilyCode(), expect[i].family);
    EXPECT_EQ(SCSI.GetTimeout(), 300);
    EXPECT_EQ(SCSI.GetMaxTransfer(), 262144);
    EXPECT_EQ(SCSI.GetAdapterIdx(), i);
    EXPECT_STREQ(SCSI.GetAdapterFilename(i), expect[i].node);
    EXPECT_EQ(SCSI.GetAdapterInitiatorId(i, 0), 7);
  }
  SCSI.SetDeviceIndex(0);
  EXPECT_STREQ(SCSI.GetSerialNumber(), "HU1234567A");
  EXPECT_STREQ(SCSI.GetDeviceString(), "ULTRIUM GEN6");
}

TEST_F(Discovery, OnlyTheNodesPresentAreProbed) {
  SimDeviceConfig c = Device("/dev/sg5", SimDeviceType::kTape, "ULTRIUM-HH6");
  ASSERT_TRUE(sim_->AddDevice(c));
  EXPECT_EQ(Scan(), 1);
  EXPECT_EQ(SCSI.GetAdapterCount(), 1);
  EXPECT_STREQ(SCSI.GetAdapterFilename(0), "/dev/sg5");
  EXPECT_STREQ(SCSI.GetAdapterFilename(1), "");
  EXPECT_EQ(SCSI.GetAdapterNumberOfBusses(1), -1);
  SCSI.SetDeviceIndex(0);
  EXPECT_STREQ(SCSI.GetFilename(), "/dev/sg5");
}

TEST_F(Discovery, NoNodeAtAllIsMinusOne) {
  EXPECT_EQ(Scan(), -1);
  EXPECT_EQ(SCSI.GetAdapterCount(), -1);
}

TEST_F(Discovery, NodesThatDoNotAnswerAreNotListed) {
  struct Case {
    const char* what;
    SimFault fault;
    bool unreadable;
  } cases[] = {
      {"host status",
       [] {
         SimFault f;
         f.host_status = 0x01;
         return f;
       }(),
       false},
      {"ioctl fails",
       [] {
         SimFault f;
         f.ioctl_errno = EIO;
         return f;
       }(),
       false},
      {"no address",
       [] {
         SimFault f;
         f.request = SCSI_IOCTL_GET_IDLUN;
         f.ioctl_errno = EINVAL;
         return f;
       }(),
       false},
      {"permission", SimFault{}, true},
  };
  for (const Case& c : cases) {
    sim_->RemoveDevice("/dev/sg0");
    sim_->RemoveDevice("/dev/sg1");
    sim_->RemoveDevice("/dev/sg2");
    sim_->ClearFaults();
    AddOwnDevices();
    for (const char* node : {"/dev/sg0", "/dev/sg1", "/dev/sg2"}) {
      if (c.unreadable)
        sim_->SetUnreadable(node, true);
      else
        sim_->InjectFault(node, c.fault);
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Scan(), 0) << c.what;
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (c.unreadable) {
      EXPECT_NE(err.find("Error Opening /dev/sg1, errno = 13: "), std::string::npos) << err;
    } else {
      EXPECT_EQ(err, "") << c.what;
    }
    for (const char* node : {"/dev/sg0", "/dev/sg1", "/dev/sg2"}) sim_->SetUnreadable(node, false);
  }
  EXPECT_EQ(sim_->OpenDescriptors(), 0);
}

TEST_F(Discovery, GivenPathRestrictsDiscoveryToThatNode) {
  AddOwnDevices();
  for (const char* path : {"/dev/sg1", "//dev//sg1"}) {
    sim_->ClearCommands();
    EXPECT_EQ(Scan(path), 1) << path;
    SCSI.SetDeviceIndex(0);
    EXPECT_STREQ(SCSI.GetFilename(), "/dev/sg1");
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x12), 0);
  }
  EXPECT_EQ(Scan("/dev/sg9"), -1);
}

TEST_F(Discovery, FiltersKeepOrDropByDeviceType) {
  AddOwnDevices();
  ASSERT_TRUE(sim_->AddDevice(Device("/dev/sg3", SimDeviceType::kDisk, "SOMEDISK")));
  struct Case {
    int sequential, changer, all;
    long count;
  } cases[] = {
      {1, 1, 1, 4},   // everything that answers
      {1, 1, 0, 3},   // the unknown disk needs a family or the all filter
      {-1, 1, 0, 1},  // tapes dropped: the loader stays
      {1, -1, 0, 2},  // changers dropped
      {0, 0, 0, 3},   // recognised families stay without the type filters
      {1, 1, -1, 0},  // everything dropped
  };
  for (const Case& c : cases)
    EXPECT_EQ(SCSI.ScanDevices(1, c.sequential, c.changer, c.all, nullptr), c.count)
        << c.sequential << c.changer << c.all;
}

TEST_F(Discovery, DriveFindsItsLoaderAtTheSameTarget) {
  AddOwnDevices();
  ASSERT_EQ(Scan(), 3);
  SCSI.SetDeviceIndex(0);
  EXPECT_EQ(SCSI.FindRelatedLoader(), 1);
  EXPECT_EQ(SCSI.GetDeviceIndex(), 0);
  SCSI.SetDeviceIndex(2);  // DAT160 at another target
  EXPECT_EQ(SCSI.FindRelatedLoader(), -1);
  EXPECT_EQ(SCSI.GetDeviceIndex(), 2);
  SCSI.SetDeviceIndex(-1);
  EXPECT_EQ(SCSI.FindRelatedLoader(), -1);
}

TEST_F(Discovery, FindSerialNumberComparesAtMost31CharactersAndSendsNothing) {
  AddOwnDevices();
  ASSERT_EQ(Scan(), 3);
  const std::string longSerial = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";  // 31
  CopyText(SCSI.DeviceAt(2)->serialNumber, longSerial);
  sim_->ClearCommands();
  EXPECT_EQ(SCSI.FindSerialNumber((longSerial + "EXTRA").c_str()), 2);
  EXPECT_EQ(SCSI.GetDeviceIndex(), 2);
  EXPECT_EQ(SCSI.FindSerialNumber("HU1234567A"), 0);
  EXPECT_EQ(SCSI.FindSerialNumber("HU1234567"), -1);
  EXPECT_EQ(SCSI.FindSerialNumber("NOSUCH"), -1);
  EXPECT_TRUE(sim_->Commands().empty());
}

TEST_F(Discovery, FindDeviceReadsEverySerialNumberAgain) {
  AddOwnDevices();
  ASSERT_EQ(Scan(), 3);
  SCSI.SetDeviceIndex(1);
  const std::string loaderSerial = SCSI.GetSerialNumber();
  sim_->ClearCommands();
  EXPECT_EQ(SCSI.FindDevice(loaderSerial.c_str()), 1);
  EXPECT_EQ(SCSI.GetDeviceIndex(), 1);
  EXPECT_GT(sim_->CountCommands("/dev/sg0", 0x12), 0);
  EXPECT_GT(sim_->CountCommands("/dev/sg1", 0x12), 0);
  EXPECT_EQ(SCSI.FindDevice("NOSUCH"), 0);
  EXPECT_GT(sim_->CountCommands("/dev/sg2", 0x12), 0);
}

TEST_F(Discovery, NoSelectionGettersReturnTheirEmptyValues) {
  AddOwnDevices();
  ASSERT_EQ(Scan(), 3);
  SCSI.SetDeviceIndex(-1);
  for (long v : {SCSI.GetPort(), SCSI.GetBus(), SCSI.GetTarget(), SCSI.GetLun(), SCSI.GetAdapterIdx(), SCSI.GetStatus(),
                 SCSI.GetHAStatus(), SCSI.GetDriverStatus(), SCSI.GetSenseKey(), SCSI.GetAsc(), SCSI.GetAscQ(),
                 SCSI.GetResidual(), SCSI.GetSenseSize(), SCSI.GetRevMajor(), SCSI.GetInquirySize()})
    EXPECT_EQ(v, -1);
  EXPECT_EQ(SCSI.GetCommandCount(), -1);
  for (long v : {SCSI.IsClaimed(), SCSI.IsSequential(), SCSI.IsChanger(), SCSI.GetCheckCondition(), SCSI.GetIliFlag(),
                 SCSI.GetMfgId()})
    EXPECT_EQ(v, 0);
  EXPECT_EQ(SCSI.GetByteCount(), 0);
  EXPECT_EQ(SCSI.GetCheckLtocFSC(), 65535);
  for (const char* t : {SCSI.GetDescription(), SCSI.GetSerialNumber(), SCSI.GetFilename()}) EXPECT_STREQ(t, "");
  EXPECT_EQ(SCSI.GetErrorBuffer(), nullptr);
  EXPECT_EQ(SCSI.GetDeviceTypeString(0), nullptr);
  EXPECT_EQ(SCSI.GetMfgString(), nullptr);
  EXPECT_EQ(SCSI.GetCapabilities(), -3);
}

TEST_F(Discovery, RelocationRescansEveryTenSecondsUntilTheDeadline) {
  AddOwnDevices();
  ASSERT_EQ(Scan(), 3);
  SCSI.SetDeviceIndex(0);
  sim_->RemoveDevice("/dev/sg0");
  sim_->ClearCommands();
  const double start = sim_->Elapsed();
  EXPECT_EQ(SCSI.RelocateDevice(35), 0);
  EXPECT_GE(sim_->Elapsed() - start, 35.0);
  EXPECT_LT(sim_->Elapsed() - start, 40.0);
  // Each rescan lists the DAT drive with one standard INQUIRY of 72 bytes:
  // at 0, 10, 20 and 30 seconds.
  int probes = 0;
  for (const SimCommand& c : sim_->Commands())
    if (c.node == "/dev/sg2" && c.cdb[0] == 0x12 && c.cdb[1] == 0 && c.cdb[4] == 72) ++probes;
  EXPECT_EQ(probes, 4);
}

TEST_F(Discovery, RelocationFindsTheDriveAndReadsItsIdentityAgain) {
  AddOwnDevices();
  ASSERT_EQ(Scan(), 3);
  SCSI.SetDeviceIndex(2);
  EXPECT_EQ(SCSI.RelocateDevice(180), 1);
  EXPECT_STREQ(SCSI.GetFilename(), "/dev/sg2");
  EXPECT_EQ(SCSI.GetFamilyCode(), 31);
}

TEST_F(Discovery, FindAfterUpdateWaitsAndGivesUpWith55) {
  AddOwnDevices();
  ASSERT_EQ(Scan(), 3);
  SCSI.SetDeviceIndex(1);  // loader: 300 s to come back
  sim_->RemoveDevice("/dev/sg1");
  const double start = sim_->Elapsed();
  EXPECT_EQ(SCSI.FindAfterFUP(), 55);
  EXPECT_GE(sim_->Elapsed() - start, 370.0);

  ASSERT_EQ(Scan(), 2);
  SCSI.SetDeviceIndex(0);
  EXPECT_EQ(SCSI.FindAfterFUP(), 0);
  EXPECT_STREQ(SCSI.GetFilename(), "/dev/sg0");
  SCSI.SetDeviceIndex(-1);
  EXPECT_EQ(SCSI.FindAfterFUP(), -3);
}

TEST_F(Discovery, NonRootUserGetsANote) {
  sim_->SetUser(1000);
  EXPECT_EQ(Scan(), -1);
  SCSI.SetDeviceIndex(0);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "GetUnixAdapters() - Should run as root to find all devices.");
}

TEST_F(Discovery, RescanClosesTheNodesItForgets) {
  AddOwnDevices();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Scan(), 3);
  EXPECT_EQ(sim_->OpenDescriptors(), 3);  // one per listed device, kept open
  SCSI.ClearScsiList();
  EXPECT_EQ(sim_->OpenDescriptors(), 0);
}

}  // namespace

namespace {

TEST_F(Discovery, WithoutTheDataBufferNothingIsListed) {
  sim_->AddDefaultBench();
  ScsiInt layer;
  EXPECT_EQ(layer.DestroyHeap(), 1);
  EXPECT_EQ(layer.ScanDevices(1, 1, 1, 1, nullptr), 0);
  layer.SetDeviceIndex(0);
  EXPECT_STREQ(layer.GetMessageBuffer(), "ListDevices() - MEMORY ALLOCATION ERROR ");
  EXPECT_EQ(layer.OpenDevice("Test"), -3);
  EXPECT_EQ(layer.TestUnitReady(), -3);
  EXPECT_EQ(layer.Inquiry(), -3);
}

}  // namespace
