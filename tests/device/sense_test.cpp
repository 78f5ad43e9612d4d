// Sense decoding, the sense message and the error texts.
#include <scsi/sg_lib.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "base/sense_texts.h"
#include "device/bench_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Sense : public Bench {
 protected:
  void SetUp() override {
    Bench::SetUp();
    SelectNode("/dev/sg0");
  }
  void Decode(const Bytes& s, bool report = true) {
    SCSI.SenseReset();
    SCSI.HandleSenseData(s.data(), "Test()", report, s.size());
  }
};

const Bytes kNotReadyFixed = {0x70, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x00};

TEST_F(Sense, FixedFormatMediumNotPresent) {
  Decode(kNotReadyFixed);
  EXPECT_EQ(SCSI.GetSenseKey(), 2);
  EXPECT_EQ(SCSI.GetAsc(), 0x3A);
  EXPECT_EQ(SCSI.GetAscQ(), 0);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x00023A00);
  EXPECT_EQ(SCSI.GetSenseSize(), 255);
  const std::string message =
      "ErrorCode (0x70h) ,Sense Key (0x02h) NOT READY, MEDIUM NOT PRESENT. ASC(0x3Ah), ASCQ(0x00h) - ";
  const std::string scsi = SCSI.GetScsiErrorBuffer();
  EXPECT_EQ(scsi.rfind("Test() - " + message + "\nSense Data(70 00 02 00 ", 0), 0u) << scsi;
  EXPECT_EQ(scsi.size(), 255u);  // the dump is cut at the buffer
  char text[256];
  ScsiInt::FormatSenseMessage(text, sizeof text, kNotReadyFixed.data(), kNotReadyFixed.size());
  EXPECT_EQ(std::string(text), message);
}

TEST_F(Sense, FixedFormatFlagsResidualAndVendorFields) {
  struct Case {
    const char* what;
    Bytes sense;
    long filemark, ili, eom, residual, fsc, flag, cleaning;
  } cases[] = {
      {"filemark and ILI with information",
       {0xF0, 0, 0xA0, 0x00, 0x00, 0x00, 0x10, 0x0A, 0, 0, 0, 0, 0x00, 0x01},
       1,
       1,
       0,
       16,
       0,
       0,
       0},
      {"information not valid", {0x70, 0, 0x40, 0x00, 0x00, 0x00, 0x10, 0x0A}, 0, 0, 1, 0, 0, 0, 0},
      {"negative residual", {0xF0, 0, 0x20, 0xFF, 0xFF, 0xFF, 0xFE, 0x0A}, 0, 1, 0, -2, 0, 0, 0},
      {"FSC and flag",
       {0x70, 0, 0x03, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x11, 0, 0, 0x00, 0x12, 0x34, 0x81, 0x01},
       0,
       0,
       0,
       0,
       0x1234,
       0x8101,
       1},
      {"sense-key-specific valid",
       {0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x24, 0, 0, 0x80, 0x12, 0x34, 0x81, 0x00},
       0,
       0,
       0,
       0,
       0,
       0,
       1},
  };
  for (const Case& c : cases) {
    Decode(c.sense);
    EXPECT_EQ(SCSI.GetFileMarkFlag(), c.filemark) << c.what;
    EXPECT_EQ(SCSI.GetIliFlag(), c.ili) << c.what;
    EXPECT_EQ(SCSI.GetEomFlag(), c.eom) << c.what;
    EXPECT_EQ(SCSI.GetResidual(), c.residual) << c.what;
    EXPECT_EQ(SCSI.GetCheckLtocFSC(), c.fsc) << c.what;
    EXPECT_EQ(SCSI.GetCheckLtocFlag(), c.flag) << c.what;
    EXPECT_EQ(SCSI.GetCleaningFlag(), c.cleaning) << c.what;
  }
  Bytes counters(32, 0);
  counters[0] = 0x70;
  counters[8] = 0x01;
  counters[9] = 0x02;
  counters[19] = 0x00;
  counters[20] = 0x2A;  // tape-motion hours 42
  counters[24] = 0x64;  // power-on hours 100
  Decode(counters);
  EXPECT_EQ(SCSI.GetTapeMotionHours(), 42);
  EXPECT_EQ(SCSI.GetPowerOnHours(), 100);
  EXPECT_EQ(SCSI.GetVsSense(), 0x0201);
}

TEST_F(Sense, DescriptorFormatDecodesLikeFixedFormat) {
  // The same failure: read hit a filemark, 16 bytes short, in both formats.
  const Bytes fixed = {0xF0, 0, 0xA3, 0, 0, 0, 0x10, 0x0A, 0, 0, 0, 0, 0x11, 0x08};
  const Bytes descriptor = {0x72, 0x03, 0x11, 0x08, 0, 0, 0, 0x20,
                            // ATA status return
                            0x09, 0x0C, 0x00, 0x04, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x40, 0x51,
                            // information
                            0x00, 0x0A, 0x80, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x10,
                            // stream commands
                            0x04, 0x02, 0x00, 0xA0};
  Decode(fixed);
  const long cc = SCSI.GetCheckCondition();
  char fixedText[256], descriptorText[256];
  ScsiInt::FormatSenseMessage(fixedText, sizeof fixedText, fixed.data(), fixed.size());
  Decode(descriptor);
  ScsiInt::FormatSenseMessage(descriptorText, sizeof descriptorText, descriptor.data(), descriptor.size());
  EXPECT_EQ(cc, 0x00031108);
  EXPECT_EQ(SCSI.GetCheckCondition(), cc);
  EXPECT_EQ(SCSI.GetFileMarkFlag(), 1);
  EXPECT_EQ(SCSI.GetIliFlag(), 1);
  EXPECT_EQ(SCSI.GetEomFlag(), 0);
  EXPECT_EQ(SCSI.GetResidual(), 16);
  EXPECT_EQ(std::string(descriptorText).substr(std::strlen("ErrorCode (0x72h) ,")),
            std::string(fixedText).substr(std::strlen("ErrorCode (0xF0h) ,")));
  const uint8_t ata[8] = {0x04, 0x01, 0x02, 0x03, 0x04, 0x40, 0x51, 0x00};
  EXPECT_EQ(std::memcmp(SCSI.GetATARegs(), ata, 8), 0);
}

// The vendor event code is bytes 8-11 of fixed-format sense; in descriptor
// format those bytes are a descriptor, so only a vendor-specific descriptor
// can carry a code.
TEST_F(Sense, VendorEventCodeComesFromFixedFormatOrAVendorDescriptor) {
  constexpr long kNone = 0xFFFFFFFFL;
  const struct {
    const char* what;
    Bytes sense;
    long code;
  } cases[] = {
      {"fixed", {0x70, 0, 0x04, 0, 0, 0, 0, 0x0A, 0x00, 0x00, 0x70, 0xE0, 0x44, 0x00}, 0xE0700000L},
      {"descriptor with ATA and stream descriptors",
       {0x72, 0x04, 0x44, 0x00, 0,    0,    0,    0x12, 0x09, 0x0C, 0x00, 0x04, 0x00,
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x51, 0x04, 0x02, 0x00, 0x20},
       kNone},
      {"descriptor with a vendor descriptor",
       {0x72, 0x04, 0x44, 0x00, 0, 0, 0, 0x0C, 0x04, 0x02, 0x00, 0x20, 0x80, 0x06, 0x00, 0x00, 0x70, 0xE0, 0, 0},
       0xE0700000L},
      {"descriptor whose vendor descriptor is too short",
       {0x72, 0x04, 0x44, 0x00, 0, 0, 0, 0x04, 0x80, 0x02, 0x11, 0x22},
       kNone},
  };
  for (const auto& c : cases) {
    Decode(c.sense);
    EXPECT_EQ(SCSI.GetVsSense(), c.code) << c.what;
  }
}

TEST_F(Sense, DescriptorsWithLyingLengthsStayInBounds) {
  const Bytes cases[] = {
      {0x72, 0x02, 0x04, 0x01, 0, 0, 0, 0xFF},                    // claims 255 more bytes
      {0x72, 0x02, 0x04, 0x01, 0, 0, 0, 0x10, 0x04, 0xF0, 0xE0},  // descriptor runs past the end
      {0x73},                                                     // one byte
      {},
  };
  for (const Bytes& s : cases) {
    Decode(s);
    EXPECT_EQ(SCSI.GetFileMarkFlag(), 0);
    EXPECT_EQ(SCSI.GetResidual(), 0);
  }
  EXPECT_EQ(SCSI.GetSenseKey(), 0);
}

TEST_F(Sense, NoiseOfAnyLengthDecodesWithinBounds) {
  uint32_t x = 12345;
  auto next = [&x] {
    x = x * 1103515245u + 12345u;
    return static_cast<uint8_t>(x >> 16);
  };
  for (int round = 0; round < 400; ++round) {
    Bytes s(next() % 40 + (round % 2 ? 0 : 220));
    for (auto& b : s) b = next();
    if (!s.empty() && round % 3 == 0) s[0] = 0x72;  // walk the descriptors too
    Decode(s);
    char text[64];
    ScsiInt::FormatSenseMessage(text, sizeof text, s.data(), s.size());
    EXPECT_LT(std::strlen(text), sizeof text);
    EXPECT_LE(std::strlen(SCSI.GetScsiErrorBuffer()), 255u);
    EXPECT_EQ(SCSI.GetSenseKey(), SCSI.GetSenseKey() & 0x0F);
  }
}

// sg3_utils' own text of a listed ASC/ASCQ pair, or empty for a pair its
// list does not have.
std::string LibraryAscText(int asc, int ascq) {
  char text[256] = {};
  sg_get_asc_ascq_str(asc, ascq, sizeof text, text);
  const std::string listed = "Additional sense: ";
  const std::string got = text;
  return got.rfind(listed, 0) == 0 ? got.substr(listed.size()) : std::string();
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The console's own texts stay where it has them (spelling and all); every
// other standard pair is named by the T10 list as sg3_utils keeps it; codes
// no standard lists stay unknown.
TEST_F(Sense, AscTexts) {
  constexpr const char* kT10 = nullptr;  // expected: the library's text
  struct Case {
    uint8_t asc, ascq;
    const char* text;
  } cases[] = {
      {0x00, 0x01, "FILEMARK DETECTED."},
      {0x04, 0x01, "LOGICAL UNIT IS IN PROCESS OF BECOMING READY."},
      {0x30, 0x03, "CLEANIN CARTRIDGE INSTALLED."},
      {0x31, 0x00, "MEDIUM FORMAT CORRUPTED."},
      {0x5B, 0x03, "LOG LIST CODES EXHAUSTED."},
      {0x40, 0x81, "DIAGNOSTIC FAILURE ON COMPONENT (0x81h)."},
      {0x04, 0x05, kT10},
      {0x11, 0x00, kT10},
      {0x28, 0x00, kT10},
      {0x29, 0x00, kT10},
      {0x3B, 0x0E, kT10},
      {0x4D, 0x05, kT10},  // a qualifier range: the qualifier is part of the text
      {0x5C, 0x00, kT10},
      {0x5D, 0x00, kT10},
      {0x80, 0x00, "UNKNOWN ERROR."},  // vendor-specific ASC
      {0x04, 0x80, "UNKNOWN ERROR."},  // vendor-specific qualifier
      {0x7F, 0x7F, "UNKNOWN ERROR."},  // reserved
  };
  for (const Case& c : cases) {
    Bytes s(18, 0);
    s[0] = 0x70;
    s[2] = 0x0B;
    s[12] = c.asc;
    s[13] = c.ascq;
    char text[256];
    ScsiInt::FormatSenseMessage(text, sizeof text, s.data(), s.size());
    std::string expected = c.text != kT10 ? c.text : Upper(LibraryAscText(c.asc, c.ascq)) + ".";
    ASSERT_NE(expected, ".") << std::hex << int(c.asc) << "/" << int(c.ascq) << " is not in the library's list";
    expected = "ErrorCode (0x70h) ,Sense Key (0x0Bh) ABORTED COMMAND, " + expected + " ASC(0x";
    EXPECT_EQ(Upper(text).rfind(Upper(expected), 0), 0u) << text;
  }
  char small[20];
  ScsiInt::FormatSenseMessage(small, sizeof small, kNotReadyFixed.data(), kNotReadyFixed.size());
  EXPECT_STREQ(small, "ErrorCode (0x70h) ,");
  EXPECT_EQ(AscDescription(0x80, 0x00), nullptr);
}

// Every pair of the library's list has a text; keys 0 to 14 have the T10
// names (15, reserved in the console's table, is COMPLETED in newer T10 lists).
TEST_F(Sense, EveryStandardCodeIsNamed) {
  for (int asc = 0; asc < 256; ++asc) {
    for (int ascq = 0; ascq < 256; ++ascq) {
      if (LibraryAscText(asc, ascq).empty()) continue;
      EXPECT_NE(AscDescription(asc, ascq), nullptr) << asc << "/" << ascq;
    }
  }
  for (int key = 0; key < 15; ++key) {
    char name[64] = {};
    sg_get_sense_key_str(key, sizeof name, name);
    EXPECT_EQ(Upper(name).rfind(SenseKeyName(key), 0), 0u) << key << ": " << name;
  }
}

TEST_F(Sense, MessageOnlyWhenReportedOrTracing) {
  Decode(kNotReadyFixed, false);
  EXPECT_STREQ(SCSI.GetScsiErrorBuffer(), "");
  EXPECT_EQ(SCSI.GetSenseKey(), 2);
  SCSI.EnableDebug(true);
  ::testing::internal::CaptureStderr();
  Decode(kNotReadyFixed, false);
  const std::string trace = ::testing::internal::GetCapturedStderr();
  SCSI.EnableDebug(false);
  EXPECT_NE(std::string(SCSI.GetScsiErrorBuffer()).find("MEDIUM NOT PRESENT."), std::string::npos);
  EXPECT_EQ(trace.rfind("\nSense Data(70 00 02 ", 0), 0u);
  EXPECT_NE(trace.find("00 00 \n00 00 "), std::string::npos);
}

TEST_F(Sense, ErrorBufferJoinsTheThreeTexts) {
  SCSI.SetMessage("first", "Ctx");
  SCSI.SystemError(22, "Ctx");
  Decode(kNotReadyFixed);
  const std::string all = SCSI.GetErrorBuffer();
  EXPECT_EQ(all.rfind("MSG: Ctx - first\nSYS: Ctx - ERROR (22) - DevErrno: 22 - EINVAL ", 0), 0u) << all;
  EXPECT_NE(all.find("\nSCSI: Test() - ErrorCode (0x70h)"), std::string::npos);
  SCSI.SystemError(-1, "Ctx");
  EXPECT_STREQ(SCSI.GetDevErrorBuffer(), "");
}

TEST_F(Sense, ThroughTheDriveBothFormatsAgree) {
  for (bool descriptor : {false, true}) {
    SimFault f;
    f.opcode = 0x12;
    f.count = 1;
    f.check = true;
    f.key = 0x02;
    f.asc = 0x04;
    f.ascq = 0x01;
    f.descriptor_sense = descriptor;
    sim_->InjectFault("/dev/sg0", f);
    EXPECT_EQ(SCSI.Inquiry(), -2);
    EXPECT_EQ(SCSI.GetCheckCondition(), 0x00020401) << descriptor;
    EXPECT_NE(std::string(SCSI.GetScsiErrorBuffer()).find("LOGICAL UNIT IS IN PROCESS OF BECOMING READY."),
              std::string::npos);
  }
}

TEST_F(Sense, ShortSenseFromTheDriverReadsAsZeros) {
  for (int length : {0, 3, 13, 17}) {
    SimFault f;
    f.opcode = 0x12;
    f.count = 1;
    f.check = true;
    f.key = 0x03;
    f.asc = 0x11;
    f.sense_length = length;
    sim_->InjectFault("/dev/sg0", f);
    EXPECT_EQ(SCSI.Inquiry(), -2) << length;
    EXPECT_EQ(SCSI.GetSenseKey(), length >= 3 || length == 0 ? 3 : 0) << length;
    EXPECT_EQ(SCSI.GetAsc(), length > 12 || length == 0 ? 0x11 : 0) << length;
  }
}

TEST_F(Sense, BusResetIsAcknowledged) {
  sim_->PowerOnReset("/dev/sg0");
  SCSI.TestUnitReady();
  EXPECT_EQ(SCSI.GetSenseKey(), 6);
  sim_->ClearCommands();
  EXPECT_EQ(SCSI.CheckBusReset(), 1);
  EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 3);
  EXPECT_EQ(SCSI.CheckBusReset(), 0);
}

TEST(ErrorTexts, CodesAndTheCatchAll) {
  struct Case {
    long code;
    const char* text;
  } cases[] = {
      {0, "No error has been encountered."},
      {49, "Failed trying to read element status during slot to drive test."},
      {50, "Failed trying to read element status during slot to drive test."},
      {55, "Error after Firmware Update - relocate device after update."},
      {515, "Test Unit Ready Failed."},
      {25, "An error occurred for which there was no failure code defined."},
      {516, "An error occurred for which there was no failure code defined."},
      {-1, "An error occurred for which there was no failure code defined."},
  };
  for (const Case& c : cases) EXPECT_STREQ(ScsiInt::GetErrorText(c.code), c.text) << c.code;
}

}  // namespace
