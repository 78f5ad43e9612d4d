// Family codes, manufacturers, serial numbers and revisions from INQUIRY.
#include <cstring>
#include <string>

#include "device/bench_fixture.h"
#include "device/family.h"

namespace {

TEST(FamilyRules, ProductTextGivesTheFamily) {
  struct Case {
    const char* text;
    const char* revision;
    int code;
  } cases[] = {
      {"HALCYON ZEP1            ", nullptr, 1},  {"HALCYON GRANDZEP1       ", nullptr, 10},
      {"HALCYON WN80LOADER      ", nullptr, 43}, {"HALCYON PV-120          ", nullptr, 41},
      {"HALCYON WN640           ", nullptr, 2},  {"HALCYON TZ87XT          ", nullptr, 6},
      {"HALCYON TZ87            ", nullptr, 5},  {"HALCYON BRAMBLE         ", nullptr, 44},
      {"HALCYON KORU            ", nullptr, 10}, {"HALCYON ULTRIUM         ", nullptr, 14},
      {"HALCYON ULTRIUM 1       ", nullptr, 15}, {"HALCYON ULTRIUM-06      ", nullptr, 15},
      {"HALCYON ULTRIUM 2       ", nullptr, 16}, {"HALCYON ULTRIUM 3       ", "D21F", 18},
      {"HALCYON ULTRIUM 3       ", "Q21T", 18},  {"HALCYON ULTRIUM 3       ", "A21F", 17},
      {"HALCYON ULTRIUM 3       ", "D2", 17},    {"HALCYON ULTRIUM 3       ", nullptr, 17},
      {"HALCYON ULTRIUM-HH4     ", "W21F", 21},  {"HALCYON ULTRIUM 4       ", "U21T", 20},
      {"HALCYON ULTRIUM 4       ", "U21X", 19},  {"HALCYON ULTRIUM-HH5     ", nullptr, 23},
      {"HALCYON ULTRIUM 5       ", nullptr, 22}, {"HALCYON ULTRIUM-HH6     ", nullptr, 25},
      {"HALCYON ULTRIUM 6       ", nullptr, 24}, {"HALCYON ULTRIUM 7       ", nullptr, 26},
      {"HP2     ULTRIUM 5       ", nullptr, 16},  // the vendor's digit decides first
      {"HALCYON RAVEN 3         ", nullptr, 17}, {"HALCYON TRAVAN          ", nullptr, 35},
      {"HALCYON DDS-3           ", nullptr, 28}, {"HALCYON MARTEN2         ", nullptr, 28},
      {"HALCYON MARTEN6         ", nullptr, 29}, {"HALCYON MARTEN          ", nullptr, 0},
      {"HALCYON DAT72           ", nullptr, 30}, {"HALCYON DAT160          ", nullptr, 31},
      {"HALCYON DAT320          ", nullptr, 32}, {"HALCYON DDS/DAT         ", nullptr, 27},
      {"HALCYON MGCH            ", nullptr, 36}, {"HALCYON SB LOADER       ", nullptr, 37},
      {"HALCYON THRIFTSTACK     ", nullptr, 39}, {"HALCYON LTO LOADER      ", nullptr, 42},
      {"ACME    ROCKET DRIVE    ", nullptr, 0},  {"", nullptr, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(siDeviceType(c.text, c.revision), c.code) << c.text << "/" << (c.revision ? c.revision : "-");
  EXPECT_EQ(siDeviceType(nullptr, nullptr), 0);
}

TEST(FamilyRules, PredicatesAndTexts) {
  struct Case {
    int code;
    const char* text;
    bool lto, dat, loader, halcyon;
  } cases[] = {
      {0, "OTHER", false, false, false, false},       {1, "ZEP1", false, false, false, true},
      {14, "ULTRIUM", true, false, false, true},      {18, "ULTRIUM GEN3", true, false, false, true},
      {26, "ULTRIUM GEN7", true, false, false, true}, {27, "DDS/DAT", false, false, false, true},
      {28, "DDS3", false, false, false, true},        {29, "DDS4", false, true, false, true},
      {32, "DAT320", false, true, false, true},       {36, "MAGNACHANGE", false, false, true, true},
      {42, "LTO LOADER", false, false, true, true},   {43, "WN80LOADER", false, false, true, false},
      {44, "OTHER", false, false, false, false},      {99, "OTHER", false, false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(siDeviceTypeString(c.code), c.text) << c.code;
    EXPECT_EQ(IsLTO(c.code), c.lto) << c.code;
    EXPECT_EQ(IsDAT(c.code), c.dat) << c.code;
    EXPECT_EQ(IsLOADER(c.code), c.loader) << c.code;
    EXPECT_EQ(IsHALCYON(c.code), c.halcyon) << c.code;
  }
  EXPECT_TRUE(IsBR(44));
  EXPECT_TRUE(IsWN(4));
  EXPECT_FALSE(IsWN(5));
  EXPECT_TRUE(IsZEP(9));
  EXPECT_TRUE(IsKORU(13));
  EXPECT_TRUE(IsTRAVAN(33));
}

TEST(FamilyRules, Manufacturers) {
  struct Case {
    const char* text;
    int id;
    const char* name;
  } cases[] = {
      {"HALCYON ULTRIUM 5       ", 1, "HALCYON"},  {"SEAGATE STT20000        ", 3, "SEAGATE"},
      {"IBM     ULT3580         ", 4, "IBM"},      {"HP      ULTRIUM 3       ", 5, "HP"},
      {"XX      RAVEN           ", 2, "MORROWAY"}, {"MORROWAYTAPE           ", 2, "MORROWAY"},
      {"ACME    THING           ", 0, "UNKNOWN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(siManufacturer(c.text), c.id) << c.text;
    EXPECT_STREQ(siManufacturerString(c.id), c.name);
  }
  EXPECT_STREQ(siManufacturerString(6), "");
}

class Identification : public Bench {
 protected:
  // Adds one device on /dev/sg0, lists it and selects it.
  void ListOne(const SimDeviceConfig& c) {
    ASSERT_TRUE(sim_->AddDevice(c));
    ASSERT_EQ(Scan(), 1);
    SCSI.SetDeviceIndex(0);
  }
};

TEST_F(Identification, SerialNumberIsCutByFamilyAndCleaned) {
  struct Case {
    const char* product;
    const char* serial;
    const char* stored;
  } cases[] = {
      {"ULTRIUM 5", "AB1234567890", "AB12345678"},  // LTO-5: 10 characters
      {"ULTRIUM-HH6", "HU1234567A", "HU1234567A"},
      {"DAT160", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMN"},  // others: 14
      {"DAT160", "  AB CD  ", "ABCD"},                   // blanks dropped
      {"DAT160",
       "AB\x01"
       "CD",
       "AB?CD"},                                      // unprintable shown as '?'
      {"DAT160", "ABCDEFGHIJ\xC1XYZ", "ABCDEFGHIJ"},  // top bit from byte 14 ends it
      {"DAT160",
       "ABC\xC1"
       "DEF",
       "ABC?DEF"},  // ... before byte 14 it is a '?'
  };
  for (const Case& c : cases) {
    SimDeviceConfig config = Device("/dev/sg0", SimDeviceType::kTape, c.product);
    config.serial = c.serial;
    sim_->RemoveDevice("/dev/sg0");
    ListOne(config);
    EXPECT_STREQ(SCSI.GetSerialNumber(), c.stored) << c.product << "/" << c.serial;
  }
}

TEST_F(Identification, EmptySerialPageKeepsTheStoredNumber) {
  SimDeviceConfig config = Device("/dev/sg0", SimDeviceType::kTape, "ULTRIUM-HH6");
  ListOne(config);
  ASSERT_STREQ(SCSI.GetSerialNumber(), "HU1234567A");
  SimFault f;
  f.opcode = 0x12;
  f.data_length = 4;  // the page header alone
  sim_->InjectFault("/dev/sg0", f);
  EXPECT_EQ(SCSI.GetScsiSerialNumber(), 1);
  EXPECT_STREQ(SCSI.GetSerialNumber(), "HU1234567A");
}

TEST_F(Identification, LtoRevisionAndPersonality) {
  SimDeviceConfig config = Device("/dev/sg0", SimDeviceType::kTape, "ULTRIUM-HH6");
  config.revision = "J5A1";
  config.personality = '3';
  ListOne(config);
  EXPECT_EQ(SCSI.GetFamilyCode(), 25);
  EXPECT_EQ(SCSI.GetMfgId(), 1);
  EXPECT_STREQ(SCSI.GetMfgString(), "HALCYON");
  EXPECT_STREQ(SCSI.GetRevData(), "J5A1");
  EXPECT_STREQ(SCSI.GetRevString(), "Rev J5A1");
  EXPECT_STREQ(SCSI.GetRevString2(), "J5A1");
  // The LTO build page's "VERSION=5.1 VARIANT=33" gives the numbers.
  EXPECT_EQ(SCSI.GetRevMajor(), 5);
  EXPECT_EQ(SCSI.GetRevMinor(), 1);
  EXPECT_EQ(SCSI.GetPersMajor(), 0x33);
  EXPECT_STREQ(SCSI.GetBuildData(), "");
  EXPECT_EQ(SCSI.GetInquirySize(), 72);
  EXPECT_EQ(std::memcmp(SCSI.GetInquiryBuffer() + 8, "HALCYON ", 8), 0);
}

TEST_F(Identification, OtherFamiliesKeepTheBuildText) {
  SimDeviceConfig config = Device("/dev/sg0", SimDeviceType::kTape, "DAT160");
  config.revision = "V7A2";
  ListOne(config);
  EXPECT_STREQ(SCSI.GetBuildData(), "REV V7A2 BUILD 2026/10/12 10:31         ");  // 40 bytes
  EXPECT_STREQ(SCSI.GetRevString(), "Rev V7A2");
}

TEST_F(Identification, RevisionTextsOfNumberedFamilies) {
  ListOne(Device("/dev/sg0", SimDeviceType::kTape, "ULTRIUM-HH6"));
  _SCSI_DEVICE& d = *SCSI.Device();
  d.familyCode = 5;
  struct Case {
    long revMinor, persMinor;
    const char* rev;
    const char* pers;
  } cases[] = {
      {2, 4, "Rev 7-2 Pers: 3-4", "Pers: 3-4"},
      {2, 0, "Rev 7-2 Pers: 3", "Pers: 3"},
      {0, 4, "Rev 7 Pers: 3-4", "Pers: 3-4"},
      {0, 0, "Rev 7 Pers: 3", "Pers: 3"},
  };
  for (const Case& c : cases) {
    d.revMajor = 7;
    d.revMinor = c.revMinor;
    d.persMajor = 3;
    d.persMinor = c.persMinor;
    EXPECT_STREQ(SCSI.GetRevString(), c.rev);
    EXPECT_STREQ(SCSI.GetPersString(), c.pers);
  }
}

TEST_F(Identification, ChangerAnsweringWn80IsTheWn80Loader) {
  ListOne(Device("/dev/sg0", SimDeviceType::kChanger, "WN80"));
  EXPECT_EQ(SCSI.GetFamilyCode(), 43);
  EXPECT_STREQ(SCSI.GetDeviceString(), "WN80LOADER");
}

TEST_F(Identification, OemPageDecidesBetweenTheFirstTwoFamilies) {
  struct Case {
    const char* product;
    int dellInquiries;
    const char* family;
  } cases[] = {{"ZEP1", 1, "ZEP1"}, {"WN80", 1, "WN80"}, {"DAT160", 0, "DAT160"}};
  for (const Case& c : cases) {
    sim_->RemoveDevice("/dev/sg0");
    ListOne(Device("/dev/sg0", SimDeviceType::kTape, c.product));
    sim_->ClearCommands();
    SCSI.SetDeviceIndex(0);
    int sent = 0;
    for (const SimCommand& cmd : sim_->Commands())
      if (cmd.cdb[0] == 0x12 && cmd.cdb[1] == 0x01 && cmd.cdb[2] == 0xDC) ++sent;
    EXPECT_EQ(sent, c.dellInquiries) << c.product;
    EXPECT_STREQ(SCSI.GetDeviceString(), c.family) << c.product;
  }
}

TEST_F(Identification, GarbageAnswersNeverBreakTheRecord) {
  struct Case {
    const char* what;
    SimFault fault;
  } cases[] = {
      {"noise",
       [] {
         SimFault f;
         f.opcode = 0x12;
         f.garbage = true;
         return f;
       }()},
      {"empty",
       [] {
         SimFault f;
         f.opcode = 0x12;
         f.data_length = 0;
         return f;
       }()},
      {"short",
       [] {
         SimFault f;
         f.opcode = 0x12;
         f.data_length = 5;
         return f;
       }()},
      {"mode noise",
       [] {
         SimFault f;
         f.opcode = 0x5A;
         f.garbage = true;
         return f;
       }()},
  };
  sim_->AddDefaultBench();
  for (const Case& c : cases) {
    sim_->ClearFaults();
    for (const char* node : {"/dev/sg0", "/dev/sg1", "/dev/sg2"}) sim_->InjectFault(node, c.fault);
    const long count = Scan();
    EXPECT_GE(count, 0) << c.what;
    for (int i = 0; i < count; ++i) {
      SCSI.SetDeviceIndex(i);
      EXPECT_LE(std::strlen(SCSI.GetDescription()), 24u) << c.what;
      EXPECT_LE(std::strlen(SCSI.GetSerialNumber()), 31u) << c.what;
      EXPECT_LE(std::strlen(SCSI.GetRevData()), 63u) << c.what;
      EXPECT_LE(std::strlen(SCSI.GetBuildData()), 63u) << c.what;
      EXPECT_LT(std::strlen(SCSI.GetDeviceString()), 32u) << c.what;
      SCSI.GetRevString();
      SCSI.GetPersString();
      SCSI.Inquiry();
      SCSI.GetScsiSerialNumber();
      SCSI.GetCurrentBlockSize();
    }
  }
}

TEST_F(Identification, ToUpperTurnsControlCharactersIntoBlanks) {
  char text[9] = {'a', 'b', '\0', 0x1B, 0x1C, 0x1D, 'z', '-', '\0'};
  ScsiInt::ToUpper(text, 8);
  EXPECT_STREQ(text, "AB   \x1DZ-");
}

}  // namespace

// The listed family is the one the OEM page decides, so it agrees with the
// family text shown on selection and with the serial cut of that family.
TEST_F(Identification, ListedFamilyIsRefinedByTheOemPage) {
  SimDeviceConfig c = Device("/dev/sg0", SimDeviceType::kTape, "VALUE TAPE");
  c.vendor = "ZEP1";  // names the first family; the OEM page does not
  c.serial = "HU123456789ABC";
  ListOne(c);
  EXPECT_EQ(SCSI.GetFamilyCode(), 2);
  EXPECT_STREQ(SCSI.GetDeviceString(), "WN80");
  EXPECT_STREQ(SCSI.GetSerialNumber(), "HU123456789ABC");
}
