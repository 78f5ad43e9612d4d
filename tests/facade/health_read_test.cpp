#include "facade/health_read.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "facade/health_pages.h"
#include "facade/scsi_wrapper.h"
#include "facade/sim_bench.h"

namespace {

// ---- the decoders, on the bytes a drive sends ----

TEST(HealthPages, TapeAlertFlagsOfBothPages) {
  // 12h: one parameter of 64 bits, flag 1 the top bit of the first byte.
  const std::vector<uint8_t> response = {0x12, 0, 0, 12, 0, 0, 0x03, 8, 0x20, 0, 0x10, 0, 0, 0, 0, 0x01};
  EXPECT_EQ(health::ResponseFlags(response), (std::vector<int>{3, 20, 64}));
  // Cut inside the parameter: no flags to tell, not "none set".
  EXPECT_EQ(health::ResponseFlags(std::span(response).first(10)), std::nullopt);

  // 2Eh: one parameter per flag, bit 0 of its value.
  const std::vector<uint8_t> alerts = {0x2E, 0, 0, 15, 0, 3, 0x03, 1, 1, 0, 4, 0x03, 1, 0, 0, 20, 0x03, 1, 1};
  EXPECT_EQ(health::AlertPageFlags(alerts), (std::vector<int>{3, 20}));
  EXPECT_EQ(health::AlertPageFlags(std::span(alerts).first(4)), std::nullopt);
}

TEST(HealthPages, AttributesThatArrivedWhole) {
  std::vector<uint8_t> data = {0, 0, 0, 0};
  const auto add = [&](uint16_t id, uint8_t format, std::vector<uint8_t> value) {
    data.insert(data.end(), {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), format, 0,
                             static_cast<uint8_t>(value.size())});
    data.insert(data.end(), value.begin(), value.end());
  };
  add(0x0002, 0x80, {0x02, 0, 0, 0, 0, 0, 0, 0x01});  // TapeAlert 7 and 64 in earlier loads
  add(0x0003, 0x80, {0, 0, 0, 0, 0, 0, 0, 42});
  add(0x0006, 0x80, {0x5A});
  add(0x020A, 0x81, std::vector<uint8_t>(40, ' '));  // a slot never used
  std::string last(40, ' ');
  last.replace(0, 7, "HALCYON");
  last.replace(8, 10, "HU1234567A");
  add(0x020B, 0x81, std::vector<uint8_t>(last.begin(), last.end()));
  add(0x0401, 0x81, {'C', 'M', '0', '1', 0xFF, ' ', ' '});
  add(0x0408, 0x80, {0x01});
  add(0x0806, 0x81, {'A', 'B', 'C', '1', '2', '3', 'L', '6'});
  const size_t whole = data.size();
  add(0x0803, 0x02, {'c', 'u', 't'});
  data.resize(data.size() - 1);  // the last attribute arrived cut short
  const uint32_t available = static_cast<uint32_t>(whole + 8 - 4);
  data[2] = static_cast<uint8_t>(available >> 8);
  data[3] = static_cast<uint8_t>(available);

  const CartridgeMemory m = health::Attributes(data);
  EXPECT_EQ(m.load_count, 42u);
  EXPECT_EQ(m.tape_alerts, (std::vector<int>{7, 64}));
  EXPECT_EQ(m.density_code, 0x5Au);
  EXPECT_EQ(m.generation, 6u);
  EXPECT_EQ(m.last_drives, (std::vector<std::string>{"HALCYON HU1234567A"}));
  EXPECT_EQ(m.medium_serial, "CM01?");  // a byte no terminal shows
  EXPECT_EQ(m.medium_type, "cleaning");
  EXPECT_EQ(m.barcode, "ABC123L6");
  EXPECT_EQ(m.user_label, "");
  EXPECT_TRUE(health::Attributes(std::vector<uint8_t>{0, 0}).last_drives.empty());
}

// ---- a health run on the virtual bench ----

class HealthRead : public SimBenchTest {
 protected:
  HealthRun Run(const std::string& bench) {
    std::string error;
    EXPECT_TRUE(Sim().ParseBench(bench, &error)) << error;
    ScsiWrapper wrapper;
    wrapper.SetListChangers(true);
    EXPECT_GT(wrapper.InitScsiDll(nullptr), 0);
    return ReadHealth(wrapper);
  }
  static const DeviceHealth& Node(const HealthRun& run, const std::string& node) {
    for (const DeviceHealth& d : run.devices) {
      if (d.node == node) return d;
    }
    static const DeviceHealth none;
    ADD_FAILURE() << node << " not in the run";
    return none;
  }
};

// The flags persist on the drive, so every run sees them; nothing the run
// sends moves the tape or changes the drive.
TEST_F(HealthRead, AlertsAreReadWithoutChangingTheDrive) {
  const std::string bench = "bench default\ntapealert /dev/sg0 3,20 clear=read\n";
  const HealthRun first = Run(bench);
  const DeviceHealth& d = Node(first, "/dev/sg0");
  EXPECT_EQ(d.tape_alert_page, "12h");
  EXPECT_EQ(d.tape_alerts, (std::vector<int>{3, 20}));
  EXPECT_EQ(d.verdict, HealthVerdict::kFail);  // 20, clean now, is critical
  ASSERT_GE(d.findings.size(), 2u);
  EXPECT_EQ(d.findings[0].text, "TapeAlert 3 Hard Error");
  EXPECT_EQ(d.findings[1].text, "TapeAlert 20 Clean Now");
  EXPECT_FALSE(d.findings[1].action.empty());
  EXPECT_EQ(first.ExitStatus(), 2);

  const std::set<uint8_t> allowed = {0x00, 0x03, 0x12, 0x1A, 0x4D, 0x5A, 0x8C, 0x34};  // 34h: READ POSITION
  std::set<uint8_t> sent;
  for (const SimCommand& c : Sim().Commands()) sent.insert(c.cdb[0]);
  for (uint8_t op : sent) EXPECT_TRUE(allowed.count(op)) << "opcode " << std::hex << int(op);
  EXPECT_EQ(Sim().CountCommands("/dev/sg0", 0x4C), 0);  // no LOG SELECT
  // Every LOG SENSE asks for the cumulative values, not the thresholds.
  for (const SimCommand& c : Sim().Commands()) {
    if (c.cdb[0] == 0x4D) {
      EXPECT_EQ(c.cdb[2] & 0xC0, 0x40) << std::hex << int(c.cdb[2]);
    }
  }

  ScsiWrapper wrapper;
  wrapper.SetListChangers(true);
  ASSERT_GT(wrapper.InitScsiDll(nullptr), 0);
  EXPECT_EQ(Node(ReadHealth(wrapper), "/dev/sg0").tape_alerts, (std::vector<int>{3, 20}));
}

// A library that takes only page control 00b refuses 01b: it is asked once
// more that way (and only once).
TEST_F(HealthRead, PageControlRefusedIsAskedAgainForThresholds) {
  const HealthRun run = Run("bench default\nfault /dev/sg1 op=0x4d check=5/24/00 count=always\n");
  // The fault matches every LOG SENSE of the changer, whatever its page
  // control: refused twice, the device is unreadable, never OK.
  EXPECT_EQ(Node(run, "/dev/sg1").verdict, HealthVerdict::kUnreadable);
  size_t asked_again = 0;
  for (const SimCommand& c : Sim().Commands()) {
    if (c.node == "/dev/sg1" && c.cdb[0] == 0x4D && (c.cdb[2] & 0xC0) == 0) ++asked_again;
  }
  EXPECT_EQ(asked_again, 1u);
}

TEST_F(HealthRead, WithoutPage12hThePageThatClearsIsReadAndSaidSo) {
  const HealthRun run =
      Run("device /dev/sg0 type=tape hctl=0:0:0:0 vendor=HALCYON product=ULTRIUM-HH6 medium=1 nolog=0x12\n"
          "tapealert /dev/sg0 21\n");
  const DeviceHealth& d = Node(run, "/dev/sg0");
  EXPECT_EQ(d.tape_alert_page, "2Eh");
  EXPECT_EQ(d.tape_alerts, (std::vector<int>{21}));
  EXPECT_EQ(d.verdict, HealthVerdict::kWarning);
}

// A device whose pages cannot be read is never OK.
TEST_F(HealthRead, FailedPagesAreNeverOk) {
  const HealthRun run = Run(
      "bench default\nfault /dev/sg0 op=0x4d check=4/44/00 count=always\nfault /dev/sg3 op=0x4d host=7 count=always\n");
  EXPECT_EQ(Node(run, "/dev/sg0").verdict, HealthVerdict::kUnreadable);
  EXPECT_EQ(Node(run, "/dev/sg3").verdict, HealthVerdict::kUnreadable);
  EXPECT_NE(Node(run, "/dev/sg0").findings[0].text.find("04/44/00"), std::string::npos);
  EXPECT_EQ(run.ExitStatus(), 2);  // the others were read

  // Only the alert page failing: the alerts are unknown, a failure.
  const HealthRun alerts = Run("bench default\nfault /dev/sg2 op=0x4d check=5/24/00 count=always skip=1\n");
  EXPECT_EQ(Node(alerts, "/dev/sg2").verdict, HealthVerdict::kFail);
  EXPECT_EQ(Node(alerts, "/dev/sg2").tape_alert_page, "");
}

// The cartridge memory lost in the transport: a failure too.
TEST_F(HealthRead, LostCartridgeMemoryIsAFailure) {
  const HealthRun memory = Run("bench default\nfault /dev/sg0 op=0x8c host=7 count=always\n");
  const DeviceHealth& d = Node(memory, "/dev/sg0");
  EXPECT_EQ(d.verdict, HealthVerdict::kFail);
  EXPECT_FALSE(d.cartridge.has_value());
  ASSERT_FALSE(d.findings.empty());
  EXPECT_NE(d.findings.back().text.find("The cartridge memory could not be read"), std::string::npos);
}

TEST_F(HealthRead, FiguresAndCartridgeMemory) {
  const HealthRun run =
      Run("bench default\n"
          "temperature /dev/sg0 current=68 reference=60\n"
          "errors /dev/sg0 write corrected=120 uncorrected=3\n"
          "statistics /dev/sg0 loads=5400 cleanings=12 hours=31000\n"
          "mam /dev/sg0 manufacturer=ACME serial=CM00420042 date=20240115 loads=42 written=123456 read=2345\n"
          "mam /dev/sg0 drives=HALCYON:HU1234567A barcode=ABC123L6 label=\"weekly full\" alerts=7,11\n");
  const DeviceHealth& d = Node(run, "/dev/sg0");
  EXPECT_EQ(d.verdict, HealthVerdict::kWarning);
  EXPECT_EQ(d.temperature_c, 68);
  EXPECT_EQ(d.temperature_reference_c, 60);
  EXPECT_EQ(d.write_errors_uncorrected, 3u);
  EXPECT_EQ(d.write_errors_corrected, 120u);
  EXPECT_EQ(d.lifetime_loads, 5400u);
  EXPECT_EQ(d.lifetime_cleanings, 12u);
  ASSERT_TRUE(d.power_on_hours.has_value());
  EXPECT_GE(*d.power_on_hours, 31000u);
  std::set<std::string> sources;
  for (const HealthFinding& f : d.findings) sources.insert(f.source);
  // The cartridge's own history: flag 7 is a warning about it, flag 11
  // (cleaning media) only information.
  EXPECT_EQ(sources, (std::set<std::string>{"temperature", "errors", "cartridge"}));
  EXPECT_EQ(std::count_if(d.findings.begin(), d.findings.end(),
                          [](const HealthFinding& f) { return f.source == "cartridge"; }),
            1);

  ASSERT_TRUE(d.cartridge_loaded);
  ASSERT_TRUE(d.cartridge.has_value());
  EXPECT_EQ(d.cartridge->medium_serial, "CM00420042");
  EXPECT_EQ(d.cartridge->manufacturer, "ACME");
  EXPECT_EQ(d.cartridge->manufacture_date, "20240115");
  EXPECT_EQ(d.cartridge->barcode, "ABC123L6");
  EXPECT_EQ(d.cartridge->user_label, "weekly full");
  EXPECT_EQ(d.cartridge->mib_written, 123456u);
  ASSERT_FALSE(d.cartridge->last_drives.empty());

  // The changer of the same bench is healthy.
  EXPECT_EQ(Node(run, "/dev/sg1").verdict, HealthVerdict::kOk);
}

TEST_F(HealthRead, CartridgeMemoryWhenThereIsNone) {
  std::string error;
  ASSERT_TRUE(
      Sim().ParseBench("device /dev/sg0 type=tape hctl=0:0:0:0 product=ULTRIUM-HH6 medium=1 mam=0\n"
                       "device /dev/sg1 type=tape hctl=0:0:1:0 product=ULTRIUM-HH6 medium=0\n",
                       &error))
      << error;
  ScsiWrapper wrapper;
  ASSERT_GT(wrapper.InitScsiDll(nullptr), 0);
  const CartridgeRead without_memory = ReadCartridgeMemory(wrapper, 0);
  EXPECT_FALSE(without_memory.memory.has_value());
  EXPECT_TRUE(without_memory.loaded);
  EXPECT_NE(without_memory.why.find("does not read cartridge memory"), std::string::npos) << without_memory.why;
  EXPECT_FALSE(without_memory.failed);  // no memory to read is no failure
  const CartridgeRead empty = ReadCartridgeMemory(wrapper, 1);
  EXPECT_FALSE(empty.memory.has_value());
  EXPECT_FALSE(empty.loaded);
  EXPECT_EQ(empty.why, "no cartridge is loaded");
}

}  // namespace
