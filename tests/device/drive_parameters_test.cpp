// Named drive parameters, the vendor parameter tables, the maintenance
// operations built on them and write-back data.
#include <string>
#include <vector>

#include "device/bench_fixture.h"

namespace {

using DriveParameters = Bench;

SimFault Rejects(int opcode, int count = -1) {
  SimFault f;
  f.opcode = opcode;
  f.count = count;
  f.check = true;
  f.key = 0x05, f.asc = 0x26, f.ascq = 0x00;
  return f;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST_F(DriveParameters, SettingTextGoesInTheVendorPage) {
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.SetScsiEject(1), 1);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 3);
  const SimCommand& select = Last();
  EXPECT_EQ(Hex(select.cdb), "15 10 00 00 16 00 ");
  std::vector<uint8_t> list = {0x00, 0x00, 0x10, 0x00, 0x3E, 0x10};
  const std::vector<uint8_t> text = Bytes("NOSCSIEJECT 1\n");
  list.insert(list.end(), text.begin(), text.end());
  list.insert(list.end(), {0, 0});
  EXPECT_EQ(Hex(select.data_out), Hex(list));
  // Numbers of the rebuild and logging settings are five wide.
  ASSERT_EQ(SCSI.SetRawErrorLogging(3), 1);
  EXPECT_NE(Hex(Last().data_out).find(Hex(Bytes("ENALOGSNSRAWERR     3\n"))), std::string::npos);
}

TEST_F(DriveParameters, ValueLimitsAreEnforcedBeforeAnythingIsSent) {
  struct Case {
    const char* name;
    std::string value;
    long result;
    int selects;
  } cases[] = {
      {"BRICKSERNUM", std::string(15, '7'), 1, 1},
      {"BRICKSERNUM", std::string(16, '7'), 0, 0},
      {"BRICKSERNUM", std::string(300, '7'), 0, 0},
      {"", "1", 0, 0},
      {"UNKNOWNNAME", "1", 0, 1},  // the drive refuses a name it does not know
  };
  ListOne("ULTRIUM-HH6");
  for (const Case& c : cases) {
    sim_->ClearCommands();
    EXPECT_EQ(SCSI.SetParameter(c.name, c.value.c_str()), c.result) << c.name << " " << c.value.size();
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x15), c.selects) << c.name << " " << c.value.size();
  }
  EXPECT_EQ(sim_->Serial("/dev/sg0"), std::string(15, '7'));
}

TEST_F(DriveParameters, OlderFamiliesFallBackToPage30) {
  struct Case {
    const char* product;
    int failures;  // MODE SELECTs the drive refuses first
    long result;
    int selects;
    const char* message;
  } cases[] = {
      {"ZEP1", 0, 1, 2, ""},  // 3Eh is refused by this drive itself, 30h taken
      {"ZEP1", 2, 0, 2, "SetParameter() - Error - MODE SELECT 0x3E and 0x30 (NOSCSIEJECT 0) FAILED."},
      {"KORU220", 1, 0, 1, ""},
  };
  for (const Case& c : cases) {
    ListOne(c.product);
    if (c.failures) sim_->InjectFault("/dev/sg0", Rejects(0x15, c.failures));
    EXPECT_EQ(SCSI.SetScsiEject(0), c.result) << c.product;
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x15), c.selects) << c.product;
    if (c.selects == 2) {
      EXPECT_EQ(Last().data_out[4], 0x30) << c.product;
    }
    if (*c.message) {
      EXPECT_STREQ(SCSI.GetMessageBuffer(), c.message);
    }
  }
}

TEST_F(DriveParameters, SerialNumberIsSetAndReadBack) {
  ListOne("ULTRIUM-HH6");
  ASSERT_EQ(SCSI.SetSerialNumber("HU99"), 1);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "SetSerialNumber() - SN Set to: HU99");
  EXPECT_STREQ(SCSI.GetSerialNumber(), "HU99");
}

TEST_F(DriveParameters, ClearSegmentsChecksEachStep) {
  struct Case {
    const char* bench;  // extra bench line
    SimFault fault;
    long result;
    const char* message;
  } cases[] = {
      {"", {}, 1, "ClearSegments() - SCSI-CLR SEGMENTS TEST PASSED"},
      {"", Rejects(0x15, 1), 0, "ClearSegments() - SCSI-CLR SEGMENTS (1) TEST FAILED"},
      {"",
       [] {
         SimFault second = Rejects(0x15, 1);
         second.skip = 1;
         return second;
       }(),
       0, "ClearSegments() - SCSI-CLR SEGMENTS (2) TEST FAILED"},
      {"", Rejects(0x4D, 1), 0, "ClearSegments() - SCSI-CLR SEGMENTS (Log Check) TEST FAILED"},
      {"logpage /dev/sg0 0x07 000101135041434B455420232031204556454E543A2000",
       {},
       0,
       "ClearSegments() - SCSI-CLR SEGMENTS (Log Verify) TEST FAILED"},
  };
  for (const Case& c : cases) {
    ListOne("ULTRIUM-HH6");
    std::string error;
    ASSERT_TRUE(sim_->ParseBench(c.bench, &error)) << error;
    if (c.fault.check) sim_->InjectFault("/dev/sg0", c.fault);
    EXPECT_EQ(SCSI.ClearSegments(), c.result) << c.message;
    EXPECT_STREQ(SCSI.GetMessageBuffer(), c.message);
  }
}

TEST_F(DriveParameters, ClearEventLogEmptiesTheLogAndKeepsTheSerial) {
  SelectNode("/dev/sg0");
  SCSI.TestUnitReady();
  ASSERT_EQ(SCSI.CollectEvents(), 5);
  SCSI.SetTimeout(45);
  ASSERT_EQ(SCSI.ClearEventLog(), 1) << SCSI.GetMessageBuffer();
  EXPECT_STREQ(SCSI.GetFilename(), "/dev/sg0");
  EXPECT_STREQ(SCSI.GetSerialNumber(), "HU1234567A");
  EXPECT_EQ(SCSI.GetTimeout(), 45);
  EXPECT_EQ(SCSI.CollectEvents(), 0);
  // A rebuild the drive refuses is a failure, not a success.
  sim_->InjectFault("/dev/sg0", Rejects(0x15, 1));
  EXPECT_EQ(SCSI.ClearEventLog(), 0);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "ClearEventLog() - SCSI-CLR EVENT LOG (1) TEST FAILED");
  EXPECT_EQ(SCSI.GetTimeout(), 45);
  SCSI.SetTimeout(300);
}

TEST_F(DriveParameters, ParameterTablesAndTheirReset) {
  ListOne("ULTRIUM-HH6");
  std::vector<uint8_t> block(512, 0x5A);
  ASSERT_EQ(SCSI.Write(block.data(), 512), 512);
  ASSERT_EQ(SCSI.CollectParameters(), 1);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x4D), 2);
  EXPECT_EQ(SCSI.GetParameterValue(2, 5), 512);  // bytes written
  EXPECT_EQ(SCSI.GetParameterValue(3, 5), 0);    // bytes read
  EXPECT_EQ(SCSI.GetParameterValue(2, 99), -1);
  EXPECT_EQ(SCSI.GetParameterValue(4, 5), -1);
  sim_->ClearCommands();
  EXPECT_EQ(SCSI.ResetDriveParameters(), 1);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "ResetDriveParameter() - SCSI-RESET DRIVE PARAMETERS TEST PASSED");
  EXPECT_EQ(Hex(Last().cdb), "4C 02 00 00 00 00 00 00 00 00 ");
  ASSERT_EQ(SCSI.CollectParameters(), 1);
  EXPECT_EQ(SCSI.GetParameterValue(2, 5), 0);
  // A parameter longer than eight bytes ends the table there.
  std::string error;
  ASSERT_TRUE(sim_->ParseBench("logpage /dev/sg0 0x02 0000000101000100090102030405060708090002000101", &error));
  ASSERT_EQ(SCSI.CollectParameters(), 1);
  EXPECT_EQ(SCSI.GetParameterValue(2, 0), 1);
  EXPECT_EQ(SCSI.GetParameterValue(2, 2), -1);
  sim_->InjectFault("/dev/sg0", Rejects(0x4D, 1));
  EXPECT_EQ(SCSI.CollectParameters(), -2);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "CollectParameters() - FetchLogPage(0x42) FAILED");
}

TEST_F(DriveParameters, LogParameterTextOfAMissingParameterIsEmpty) {
  ListOne("ULTRIUM-HH6");
  std::string error;
  ASSERT_TRUE(sim_->ParseBench("logpage /dev/sg0 0x31 0001000341424300020000", &error));
  ASSERT_EQ(SCSI.FetchLogPage(0x31, 0), 1);
  EXPECT_STREQ(SCSI.GetLogParameterString(1), "ABC");
  EXPECT_STREQ(SCSI.GetLogParameterString(7), "");
  EXPECT_STREQ(SCSI.GetLogParameterString(2), "");
}

TEST_F(DriveParameters, WriteBackDataFromLogPage38) {
  ListOne("KORU600", SimDeviceType::kTape, '<');  // personality 60
  const long count = SCSI.CollectLTTWriteBackData();
  ASSERT_EQ(count, 3 + 3);  // serial, product, personality; 192 bytes in 64-byte lines
  EXPECT_STREQ(SCSI.GetWriteBackDataHex(0), "HU1234567A");
  EXPECT_STREQ(SCSI.GetWriteBackDataString(1), "KORU600         ");
  EXPECT_EQ(std::string(SCSI.GetWriteBackDataHex(2)).substr(0, 2), "3C");
  EXPECT_EQ(std::string(SCSI.GetWriteBackDataHex(3)).size(), 128u);
  EXPECT_EQ(std::string(SCSI.GetWriteBackDataString(3)).size(), 64u);
  EXPECT_EQ(SCSI.GetWriteBackDataHex(6), nullptr);
  // Another personality keeps none.
  ListOne("KORU600", SimDeviceType::kTape, '0');
  EXPECT_EQ(SCSI.CollectLTTWriteBackData(), -1);
}

}  // namespace
