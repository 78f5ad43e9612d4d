// Changer elements: allocation lengths per family, the element report's
// exact text, moves that the report follows, and answers that lie.
#include <string>

#include "device/bench_fixture.h"

namespace {

using ElementStatus = Bench;

TEST_F(ElementStatus, AllocationPerTypeAndFamily) {
  struct Case {
    const char* product;
    int type;
    int allocation;  // 0: nothing is sent
  } cases[] = {
      {"LTO LOADER", 1, 48},  {"LTO LOADER", 2, 1936},  {"LTO LOADER", 3, 48}, {"LTO LOADER", 4, 176},
      {"THRIFTSTACK", 1, 52}, {"THRIFTSTACK", 2, 2176}, {"THRIFTSTACK", 3, 0}, {"THRIFTSTACK", 4, 196},
  };
  for (const Case& c : cases) {
    ListOne(c.product, SimDeviceType::kChanger);
    SCSI.SetTimeout(30);
    EXPECT_EQ(SCSI.ReadElementStatus(c.type, 7) > 0, true) << c.product << " " << c.type;
    EXPECT_EQ(SCSI.GetTimeout(), 30);
    if (c.allocation == 0) {
      EXPECT_TRUE(sim_->Commands().empty()) << c.product << " " << c.type;
      continue;
    }
    ASSERT_EQ(sim_->Commands().size(), 1u);
    const std::vector<uint8_t> cdb = {0xB8,
                                      static_cast<uint8_t>(c.type),
                                      0,
                                      0,
                                      0,
                                      7,
                                      0,
                                      static_cast<uint8_t>(c.allocation >> 16),
                                      static_cast<uint8_t>(c.allocation >> 8),
                                      static_cast<uint8_t>(c.allocation),
                                      0,
                                      0};
    EXPECT_EQ(Hex(Last().cdb), Hex(cdb)) << c.product << " " << c.type;
    EXPECT_EQ(Last().transfer_length, static_cast<uint32_t>(c.allocation));
    EXPECT_EQ(Last().timeout_ms, 300000u);
  }
  SCSI.SetTimeout(300);
}

TEST_F(ElementStatus, ReportFollowsAMove) {
  SelectNode("/dev/sg1");
  SCSI.TestUnitReady();
  ASSERT_GT(SCSI.ReadElementStatus(0, 0), 0);  // every type, then all at once
  const std::string report = SCSI.PrintElementReport();
  EXPECT_EQ(report,
            "\r\n\tELEMENT REPORT\r\n"
            "\r\n\tTRANSPORT ELEMENTS (pickers) - 1\r\n"
            "\t\tTRANSPORT 001 -\t Address (0X0000)\t  Status: EMPTY\r\n"
            "\r\n\tIMPORT/EXPORT ELEMENTS (mail slots) - 1\r\n"
            "\t\tMail Slot 001 -\t Address (0X000A)\t  Status: EMPTY\r\n"
            "\r\n\tDATA TRANSFER ELEMENTS (drives) - 1\r\n"
            "\t\tDrive 001 -\t Address (0X0001)\t  Status: FULL\r\n"
            "\r\n\tCARTRIDGE ELEMENTS (magazine slots) - 8\r\n"
            "\t\tSLOT 001 -\t Address (0X0010)\t  Status: EMPTY\r\n"
            "\t\tSLOT 002 -\t Address (0X0011)\t  Status: FULL\r\n"
            "\t\tSLOT 003 -\t Address (0X0012)\t  Status: FULL\r\n"
            "\t\tSLOT 004 -\t Address (0X0013)\t  Status: FULL\r\n"
            "\t\tSLOT 005 -\t Address (0X0014)\t  Status: FULL\r\n"
            "\t\tSLOT 006 -\t Address (0X0015)\t  Status: EMPTY\r\n"
            "\t\tSLOT 007 -\t Address (0X0016)\t  Status: EMPTY\r\n"
            "\t\tSLOT 008 -\t Address (0X0017)\t  Status: EMPTY\r\n"
            "\r\n");

  sim_->ClearCommands();
  ASSERT_EQ(SCSI.MoveElement(0x0011, 0x000A), 1);
  EXPECT_EQ(Hex(Last().cdb), "A5 00 00 00 00 11 00 0A 00 00 00 00 ");
  EXPECT_EQ(Last().timeout_ms, 300000u);
  ASSERT_EQ(SCSI.InitializeElementStatus(), 1);
  EXPECT_EQ(Hex(Last().cdb), "07 00 00 00 00 00 ");
  ASSERT_GT(SCSI.ReadElementStatus(3, 2), 0);
  ASSERT_GT(SCSI.ReadElementStatus(2, 120), 0);
  const std::string after = SCSI.PrintElementReport();
  EXPECT_NE(after.find("Mail Slot 001 -\t Address (0X000A)\t  Status: FULL"), std::string::npos) << after;
  EXPECT_NE(after.find("SLOT 002 -\t Address (0X0011)\t  Status: EMPTY"), std::string::npos) << after;
  // A move onto a full element is the changer's refusal, not success.
  EXPECT_EQ(SCSI.MoveElement(0x0012, 0x000A), -2);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x00053B0D);
}

TEST_F(ElementStatus, LyingCountsListOnlyWhatWasStored) {
  ListOne("THRIFTSTACK", SimDeviceType::kChanger);
  SimFault noise;
  noise.opcode = 0xB8;
  noise.garbage = true;
  sim_->InjectFault("/dev/sg0", noise);
  for (int type = 1; type <= 4; ++type) SCSI.ReadElementStatus(type, 10);
  const std::string report = SCSI.PrintElementReport();
  size_t lines = 0;
  for (size_t at = report.find("\t\t"); at != std::string::npos; at = report.find("\t\t", at + 1)) ++lines;
  // 52-, 2176- and 196-byte areas hold 2, 135 and 11 descriptors; no mail slot.
  EXPECT_LE(lines, 2u + 135u + 11u);
  EXPECT_EQ(report.substr(report.size() - 2), "\r\n");
}

}  // namespace
