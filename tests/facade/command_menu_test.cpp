// Command mode's single commands and the parse-mode line language, on the
// virtual bench.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "device/scsi_int.h"
#include "facade/command_table.h"
#include "facade/scsi_wrapper.h"
#include "facade/sim_bench.h"
#include "sim/sim.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

TEST(ParseNumbers, HexBytesAndDecimalNumbers) {
  struct Case {
    const char* text;
    bool hex;
    bool dec;
  };
  const Case cases[] = {
      {"0", true, true},    {"ff", true, false},   {"Ff", true, false},  {"24", true, true},
      {"0010", true, true}, {"000", true, true},   {"100", false, true}, {"0x10", false, false},
      {"1g", false, false}, {"", false, true},     {"-1", false, false}, {"00000a", true, false},
      {"600", false, true}, {"12 ", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScsiWrapper::isValidHexByte(c.text), c.hex) << '"' << c.text << '"';
    EXPECT_EQ(ScsiWrapper::isValidDecNum(c.text), c.dec) << '"' << c.text << '"';
  }
  EXPECT_FALSE(ScsiWrapper::isValidHexByte(nullptr));
  EXPECT_FALSE(ScsiWrapper::isValidDecNum(nullptr));
}

TEST(CommandTable, RemovableDiskGetsTheShortTable) {
  struct Case {
    uint8_t drive_type;
    std::vector<int32_t> ids;
  };
  const Case cases[] = {
      {226, {kCmdTestUnitReady, kCmdInquiry, kCmdLoad, kCmdRewind, kCmdUnload, kCmdTapeAlerts, kCmdExit}},
      {21, {kCmdTestUnitReady, kCmdInquiry, kCmdUnload, kCmdExit}},
      {22, {kCmdTestUnitReady, kCmdInquiry, kCmdLoad, kCmdRewind, kCmdUnload, kCmdTapeAlerts, kCmdExit}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> ids;
    for (const CmdTypeRow& row : CommandsShown(c.drive_type)) ids.push_back(row.id);
    EXPECT_EQ(ids, c.ids) << int(c.drive_type);
  }
}

class CommandMenu : public SimBenchTest {
 protected:
  void SetUp() override {
    SimBenchTest::SetUp();
    Sim().AddDefaultBench();
    CaptureStdout();
    ASSERT_EQ(wrapper_.InitScsiDll("/dev/sg0"), 1);
    wrapper_.SetDeviceSelected(0);
    wrapper_.SetDriveTypeCode(wrapper_.GetDriveType());
    GetCapturedStdout();
    Sim().ClearCommands();
  }

  // Runs a parse-mode session on `input`; returns what it printed.
  std::string Parse(const std::string& input, int* result = nullptr) {
    FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    CaptureStdout();
    const int r = wrapper_.ParseCommands(in);
    std::string out = GetCapturedStdout();
    std::fclose(in);
    if (result != nullptr) *result = r;
    return out;
  }

  ScsiWrapper wrapper_;
};

TEST_F(CommandMenu, ListShowsNumberedRowsAndReturnsTheirCount) {
  CaptureStdout();
  EXPECT_EQ(wrapper_.ListCommands(), 7);
  const std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("Commands:\n\t1) Test Unit Ready\n\t2) Inquiry\n\t3) Load\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\t7) Exit\n\n===="), std::string::npos) << out;
  EXPECT_EQ(out.find("End of list"), std::string::npos) << out;
  EXPECT_NE(out.find("Select command then press 'Enter':\n"), std::string::npos) << out;
  wrapper_.SetDriveTypeCode(21);
  CaptureStdout();
  EXPECT_EQ(wrapper_.ListCommands(), 4);
  EXPECT_NE(GetCapturedStdout().find("\t3) Unload\n\t4) Exit\n"), std::string::npos);
}

TEST_F(CommandMenu, InquiryDumpsThreePagesOrStopsAtTheFailure) {
  CaptureStdout();
  EXPECT_TRUE(wrapper_.SendInquiry());
  std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("HALCYON"), std::string::npos) << out;
  EXPECT_NE(out.find("HU1234567A"), std::string::npos) << out;
  size_t dumps = 0;
  for (size_t at = out.find("RAW_DATA: 56"); at != std::string::npos; at = out.find("RAW_DATA: 56", at + 1)) ++dumps;
  EXPECT_EQ(dumps, 3u) << out;

  // A rejected inquiry has no data: its sense is reported and nothing dumped.
  SimFault reject;
  reject.opcode = 0x12;
  reject.count = 1;
  reject.check = true;
  reject.key = 0x05;
  reject.asc = 0x24;
  CaptureStdout();
  Sim().InjectFault("/dev/sg0", reject);
  EXPECT_FALSE(wrapper_.SendInquiry());
  out = GetCapturedStdout();
  EXPECT_NE(out.find("Status: SenseKey=05 ASC=24 ASCQ=00"), std::string::npos) << out;
  EXPECT_EQ(out.find("RAW_DATA"), std::string::npos) << out;
}

TEST_F(CommandMenu, TestUnitReadyReportsReadyOrTheSense) {
  CaptureStdout();
  EXPECT_TRUE(wrapper_.SendTestUnitReady());
  EXPECT_EQ(GetCapturedStdout(), "Status: Drive is ready\n");
  Sim().SetMedium("/dev/sg0", false);
  CaptureStdout();
  EXPECT_FALSE(wrapper_.SendTestUnitReady());
  EXPECT_NE(GetCapturedStdout().find("Status: SenseKey=02 ASC=3A"), std::string::npos);
}

TEST_F(CommandMenu, ParseModeSendsTheCommandsItReads) {
  int result = -5;
  const std::string out = Parse(
      "# a comment line\n"
      "x\n"
      "cdb 6 NONE 0 0 0 0 0 0\n"
      "CDB 6 in 24 12 0 0 0 24 0\n"
      "cdb a out 4 3b 2\n"  // continued on the next lines
      "  0 0 0 0 0 0 4 0\n"
      "quit\n"
      "cdb 6 none 0 0 0 0 0 0\n",
      &result);
  EXPECT_EQ(result, 0);
  EXPECT_NE(out.find("CDB (6):\n00 00 00 00 00 00 \nCDB direction = NONE\nCDB xfer len = 0\n"), std::string::npos)
      << out;
  EXPECT_NE(out.find("CDB (6):\n12 00 00 00 24 00 \nCDB direction = IN\nCDB xfer len = 36\n"), std::string::npos)
      << out;
  // The INQUIRY's data replaced the buffer; the OUT command needs 4 of its bytes.
  EXPECT_NE(out.find("Data buffer (36):\n01 80 "), std::string::npos) << out;
  EXPECT_NE(out.find("CDB (10):\n3B 02 00 00 00 00 00 00 04 00 \nCDB direction = OUT\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nGoodbye"), std::string::npos) << out;

  std::vector<std::vector<uint8_t>> cdbs;
  for (const SimCommand& c : Sim().Commands()) cdbs.push_back(c.cdb);
  ASSERT_FALSE(cdbs.empty());
  EXPECT_EQ(cdbs.back(), (std::vector<uint8_t>{0x3B, 0x02, 0, 0, 0, 0, 0, 0, 0x04, 0}));
  ASSERT_EQ(Sim().CountCommands("/dev/sg0", 0x12), 1);
  const auto& write_buffer = Sim().Commands().back();
  EXPECT_EQ(write_buffer.data_out, (std::vector<uint8_t>{0x01, 0x80, 0x06, 0x12}));
  // Nothing after quit was sent; debug and verbose are back off.
  EXPECT_FALSE(wrapper_.IsDebug());
  EXPECT_FALSE(SCSI.IsVerbose());
}

TEST_F(CommandMenu, ParseModeDataLines) {
  struct Case {
    const char* input;
    const char* printed;
  };
  const Case cases[] = {
      {"data 4 1 2\n\n", "Data buffer length truncated (3)\nData buffer (2):\n01 02 \n"},
      {"data 4 1 zz 3\n", "Data byte 1 was not valid (zz), truncating bufer length\nData buffer (1):\n01 \n"},
      {"data 0010 inc\n", "Data buffer (16):\n00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \n"},
      {"data 3 DEC\n", "Data buffer (3):\n00 FF FE \n"},
      {"data 5 alt\n", "Data buffer (5):\nAA 55 AA 55 AA \n"},
      {"data 2 one\n", "Data buffer (2):\n01 01 \n"},
      {"DATA 100 1\n", "Data length was not valid\n"},
      {"data 2 1\n2 3 4\n", "Data buffer (2):\n01 02 \n"},
  };
  for (const Case& c : cases) {
    const std::string out = Parse(c.input);
    EXPECT_NE(out.find(c.printed), std::string::npos) << c.input << "\n" << out;
  }
  // 16 random bytes, a full line of them.
  const std::string out = Parse("data 10 RND\n");
  EXPECT_NE(out.find("Data buffer (16):\n"), std::string::npos) << out;
  EXPECT_TRUE(Sim().Commands().empty());
}

TEST_F(CommandMenu, ParseModeRefusesBadCdbsWithoutSending) {
  struct Case {
    const char* input;
    const char* printed;
  };
  const Case cases[] = {
      {"cdb 100 none 0\n", "CDB length was not valid\n"},
      {"cdb 0 none\n", "CDB length must be from 1 to 16 bytes (0)\n"},
      {"cdb 11 none 0\n", "CDB length must be from 1 to 16 bytes (11)\n"},
      {"cdb 6 sideways 0 0 0 0 0 0\n", "Invalid CDB direction\n"},
      {"cdb 6 in 1ff 12 0 0 0 24 0\n", "Invalid CDB xferLen (1ff)\n"},
      {"cdb 6 none 0 0 q 0 0 0\n", "Invalid CDB byte 2 (q)\n"},
      {"cdb 6 none 0 0\n\n", "Insufficient CDB bytes (3)"},
      {"cdb 6 out 4 15 0 0 0 4 0\n", "An OUT command needs a data buffer: define one with 'data' first\n"},
      {"data 2 0 0\ncdb 6 out 4 15 0 0 0 4 0\n", "CDB xfer len (4) is longer than the data buffer (2)\n"},
      {"cdbx 6\n", "\nInvalid command!\n"},
  };
  for (const Case& c : cases) {
    const std::string out = Parse(c.input);
    EXPECT_NE(out.find(c.printed), std::string::npos) << c.input << "\n" << out;
    EXPECT_EQ(out.find("CDB ("), std::string::npos) << c.input << "\n" << out;
  }
  EXPECT_TRUE(Sim().Commands().empty());
}

TEST_F(CommandMenu, ParseModeEndOfInputInsideAListIsAnError) {
  int result = 0;
  Parse("data 4 1\n", &result);
  EXPECT_EQ(result, -1);
  Parse("cdb 6 none 0 0", &result);
  EXPECT_EQ(result, -1);
  Parse("cdb 6 none 0 0 0 0 0 0", &result);  // complete without a line end
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(wrapper_.IsDebug());
}

TEST_F(CommandMenu, ParseModeTimeouts) {
  const long before = wrapper_.GetTimeout();
  std::string out = Parse("timeout 0\ntimeout\ntimeout 0x10\ntimeout 99999999999\n");
  EXPECT_NE(out.find("Timeout value was not valid\n"), std::string::npos) << out;
  size_t refusals = 0;
  for (size_t at = out.find("Timeout must be from 1 to"); at != std::string::npos;
       at = out.find("Timeout must be from 1 to", at + 1)) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 3u) << out;
  EXPECT_EQ(wrapper_.GetTimeout(), before);

  out = Parse("timeout 600\n");
  EXPECT_NE(out.find("SCSI timeout changed from " + std::to_string(before) + " to 600\n"), std::string::npos) << out;
  EXPECT_EQ(wrapper_.GetTimeout(), 600);
}

TEST_F(CommandMenu, ParseModeReportsAFailedCommandAndGoesOn) {
  Sim().SetMedium("/dev/sg0", false);
  const std::string out = Parse("cdb 6 none 0 0 0 0 0 0\ncdb 6 in 24 12 0 0 0 24 0\n");
  EXPECT_NE(out.find("Status: SenseKey=02 ASC=3A ASCQ=00"), std::string::npos) << out;
  EXPECT_EQ(Sim().CountCommands("/dev/sg0", 0x12), 1);
}

std::vector<std::pair<int, std::string>> g_logged;

TEST_F(CommandMenu, TapeAlertReportPrintsAndLogsBySeverity) {
  g_logged.clear();
  wrapper_.SetAlertLog([](int level, const char* text) { g_logged.emplace_back(level, text); });
  Sim().SetTapeAlerts("/dev/sg0", {0x0A, 0x14, 0x35, 0x40});
  CaptureStdout();
  EXPECT_TRUE(wrapper_.GetTapeAlerts());
  const std::string out = GetCapturedStdout();
  EXPECT_TRUE(wrapper_.AlertFound());
  // Flag 40h has no row of the table: it is shown by its number.
  EXPECT_EQ(out,
            "\n*** Tape Alert: No Removal\n***\tSeverity: Informational\n\n"
            "\n*** Tape Alert: Clean Now\n***\tSeverity: Critical\n\n"
            "\n*** Tape Alert: Tape system area read failure\n***\tSeverity: \n\n"
            "\n*** Tape Alert: Flag 64 - no description\n***\tSeverity: \n\n");
  EXPECT_TRUE(wrapper_.AlertActive(0x14));
  EXPECT_TRUE(wrapper_.AlertActive(64));
  EXPECT_FALSE(wrapper_.AlertActive(0x03));
  // CAUTION for informational, SEVERE for critical; an empty severity is not logged.
  const std::vector<std::pair<int, std::string>> expected = {
      {2, "*** Tape Alert: No Removal ***\tSeverity: Informational"},
      {4, "*** Tape Alert: Clean Now ***\tSeverity: Critical"},
  };
  EXPECT_EQ(g_logged, expected);

  Sim().SetTapeAlerts("/dev/sg0", {});
  CaptureStdout();
  EXPECT_TRUE(wrapper_.GetTapeAlerts());
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_FALSE(wrapper_.AlertFound());
  EXPECT_FALSE(wrapper_.AlertActive(0x14));
}

// The flags that arrived of a page cut short are shown, and the report is a
// failure: the flags past them are unknown, never "not set".
TEST_F(CommandMenu, TapeAlertPageCutShortShowsWhatArrivedAndFails) {
  g_logged.clear();
  wrapper_.SetAlertLog([](int level, const char* text) { g_logged.emplace_back(level, text); });
  Sim().SetTapeAlerts("/dev/sg0", {0x01, 0x14});
  struct Case {
    int arrives;
    const char* shown;
  } cases[] = {
      {4 + 5 * 5, "\n*** Tape Alert: Read Warning\n***\tSeverity: Warning\n\n"},
      {4 + 5 - 1, ""},  // flag 1's value did not arrive
      {3, nullptr},     // not even the page header
  };
  for (const Case& c : cases) {
    SimFault cut;
    cut.opcode = 0x4D;
    cut.count = 1;
    cut.data_length = c.arrives;
    Sim().InjectFault("/dev/sg0", cut);
    CaptureStdout();
    EXPECT_FALSE(wrapper_.GetTapeAlerts()) << c.arrives;
    const std::string out = GetCapturedStdout();
    const std::string arrived = std::to_string(c.arrives);
    const std::string trailer =
        "TapeAlert report incomplete: flags past the " + arrived + " bytes that arrived are unknown.";
    if (c.shown == nullptr) {
      EXPECT_EQ(
          out, "Log page 2Eh is incomplete: " + arrived + " bytes arrived, too few for its header.\n" + trailer + "\n");
      continue;
    }
    EXPECT_EQ(out, "Log page 2Eh is incomplete: " + arrived + " of 324 bytes arrived.\n" + c.shown + trailer + "\n");
    EXPECT_FALSE(wrapper_.AlertActive(0x14)) << c.arrives;
    ASSERT_FALSE(g_logged.empty());
    EXPECT_EQ(g_logged.back(), std::make_pair(3, trailer)) << "logged as a warning";
  }
  CaptureStdout();
  EXPECT_TRUE(wrapper_.GetTapeAlerts());
  EXPECT_NE(GetCapturedStdout().find("Clean Now"), std::string::npos);
}

// A flag is its value's bit 0; the other bits are reserved and hide nothing.
TEST_F(CommandMenu, TapeAlertFlagIsBitZeroOfItsValue) {
  std::string why;
  ASSERT_TRUE(Sim().ParseBench("logpage /dev/sg0 0x2E 00030301810014030101000903010000150301FE\n", &why)) << why;
  CaptureStdout();
  EXPECT_TRUE(wrapper_.GetTapeAlerts());
  const std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("Hard Error"), std::string::npos) << out;
  EXPECT_NE(out.find("Clean Now"), std::string::npos) << out;
  EXPECT_EQ(out.find("Write Protect"), std::string::npos) << out;
  EXPECT_EQ(out.find("Clean Periodic"), std::string::npos) << out;
}

// An autoloader's flags mean what the changer table says, not the drive's.
TEST_F(CommandMenu, ChangerTapeAlertsHaveTheirChangerMeaning) {
  ::setenv("VEXIL_MC", "true", 1);
  CaptureStdout();
  ASSERT_EQ(wrapper_.InitScsiDll("/dev/sg1"), 1);
  wrapper_.SetDeviceSelected(0);
  GetCapturedStdout();
  Sim().SetTapeAlerts("/dev/sg1", {0x10, 0x14, 0x21});
  CaptureStdout();
  EXPECT_TRUE(wrapper_.GetTapeAlerts());
  EXPECT_EQ(GetCapturedStdout(),
            "\n*** Tape Alert: Library Door\n***\tSeverity: Critical\n\n"
            "\n*** Tape Alert: Library Security Mode\n***\tSeverity: Informational\n\n"
            "\n*** Tape Alert: Flag 33 - no description\n***\tSeverity: \n\n");
}

TEST_F(CommandMenu, TapeAlertPageTheDriveRejectsIsAFailureWithItsSense) {
  Sim().SetTapeAlerts("/dev/sg0", {0x14});
  SimFault reject;
  reject.opcode = 0x4D;
  reject.check = true;
  reject.key = 0x05;
  reject.asc = 0x24;
  Sim().InjectFault("/dev/sg0", reject);
  CaptureStdout();
  EXPECT_FALSE(wrapper_.GetTapeAlerts());
  const std::string out = GetCapturedStdout();
  EXPECT_EQ(out,
            "Something happened in call to SCSI_DLL::FetchLog()...\nStatus: SenseKey=05 ASC=24 ASCQ=00\n"
            "Sense: ILLEGAL REQUEST, INVALID FIELD IN CDB.\n\n");
  EXPECT_FALSE(wrapper_.AlertFound());
}

}  // namespace
