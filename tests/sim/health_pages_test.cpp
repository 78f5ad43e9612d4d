// The pages a health check reads: TapeAlert response (12h), device
// statistics (14h), the error counters (02h, 03h) and temperature (0Dh),
// with what a bench sets in them.
#include <algorithm>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

SgResult LogSense(SimSystem& sim, int fd, uint8_t page) {
  return SendIn(sim, fd, {0x4D, 0, page, 0, 0, 0, 0, 0x10, 0x00, 0}, 4096);
}

// Parameter code -> value bytes; fails the test when the chain overruns the page.
std::map<int, std::vector<uint8_t>> Parameters(const SgResult& r) {
  std::map<int, std::vector<uint8_t>> params;
  EXPECT_TRUE(r.Good());
  if (r.data.size() < 4) return params;
  const size_t end = 4 + size_t(r.data[2] << 8 | r.data[3]);
  EXPECT_EQ(end, r.data.size());
  size_t at = 4;
  while (at + 4 <= end) {
    const size_t length = r.data[at + 3];
    params[r.data[at] << 8 | r.data[at + 1]] =
        std::vector<uint8_t>(r.data.begin() + at + 4, r.data.begin() + at + 4 + length);
    at += 4 + length;
  }
  EXPECT_EQ(at, end);
  return params;
}

uint64_t Value(const std::vector<uint8_t>& bytes) {
  uint64_t v = 0;
  for (uint8_t b : bytes) v = v << 8 | b;
  return v;
}

// An LTO-6 drive on /dev/sg0 and what `text` adds.
std::unique_ptr<SimSystem> Bench(const std::string& text) {
  return ParsedBench("device /dev/sg0 product=ULTRIUM-HH6\n" + text);
}

bool Listed(SimSystem& sim, int fd, uint8_t page) {
  SgResult list = LogSense(sim, fd, 0x00);
  EXPECT_TRUE(list.Good());
  return std::find(list.data.begin() + 4, list.data.end(), page) != list.data.end();
}

// Page 12h: one parameter 0000h of 8 bytes, flag 1 in the top bit of the
// first; the flags of page 2Eh (the bench's, the raised and the lasting
// ones), and reading it clears none of them, even where 2Eh would.
TEST(SimHealthPages, TapeAlertResponseHoldsThe64FlagsAndClearsNothing) {
  auto sim = Bench("tapealert /dev/sg0 1,3,20,64 clear=read\ncleaning /dev/sg0 periodic\n");
  const int fd = OpenQuiet(*sim, "/dev/sg0");
  EXPECT_TRUE(Listed(*sim, fd, 0x12));
  for (int read = 0; read < 2; ++read) {
    SgResult r = LogSense(*sim, fd, 0x12);
    ASSERT_TRUE(r.Good());
    const std::vector<uint8_t> want = {0x12, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x03, 0x08,
                                       0xA0, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x01};  // 1, 3, 20, 21, 64
    EXPECT_EQ(r.data, want) << "read " << read;
  }
  // Page 2Eh clears what the bench set; 12h then shows the lasting flag only.
  ASSERT_TRUE(LogSense(*sim, fd, 0x2E).Good());
  EXPECT_EQ(Parameters(LogSense(*sim, fd, 0x12)).at(0), (std::vector<uint8_t>{0, 0, 0x08, 0, 0, 0, 0, 0}));
}

// Older drives report TapeAlert in page 2Eh only; nolog= takes pages away.
TEST(SimHealthPages, ADriveMayLackPages) {
  auto sim = Bench("");
  std::string why;
  ASSERT_TRUE(sim->ParseBench("device /dev/sg1 nolog=0x12,0x14\n", &why)) << why;
  const int fd = OpenQuiet(*sim, "/dev/sg0");
  const int old = OpenQuiet(*sim, "/dev/sg1");
  for (uint8_t page : {0x12, 0x14}) {
    EXPECT_TRUE(Listed(*sim, fd, page)) << int(page);
    EXPECT_FALSE(Listed(*sim, old, page)) << int(page);
    EXPECT_EQ(LogSense(*sim, old, page).Kcq(), 0x052400) << int(page);
  }
  EXPECT_TRUE(LogSense(*sim, old, 0x2E).Good());
}

// Page 14h: 4-byte data counters; the drive counts loads, cleanings and
// refused removals on from what the bench set.
TEST(SimHealthPages, DeviceStatisticsCountOnFromTheBench) {
  auto sim = Bench(
      "statistics /dev/sg0 loads=100 cleanings=7 hours=5000 motion=1500 meters=9000000 prevented=1 overheated=4\n"
      "errors /dev/sg0 write uncorrected=3\nerrors /dev/sg0 read uncorrected=2\ncleaning /dev/sg0 now\n");
  const int fd = OpenQuiet(*sim, "/dev/sg0");
  auto params = Parameters(LogSense(*sim, fd, 0x14));
  const std::map<int, uint64_t> want = {{0x0000, 100}, {0x0001, 7}, {0x0002, 5000}, {0x0003, 1500}, {0x0004, 9000000},
                                        {0x000E, 3},   {0x000F, 2}, {0x0080, 1},    {0x0081, 4}};
  ASSERT_EQ(params.size(), want.size());
  for (const auto& [code, value] : want) {
    ASSERT_EQ(params[code].size(), 4u) << code;
    EXPECT_EQ(Value(params[code]), value) << code;
  }
  // Unload refused while removal is prevented, then a cleaning cartridge
  // and a data cartridge go in.
  ASSERT_TRUE(SendIn(*sim, fd, {0x1E, 0, 0, 0, 1, 0}, 0).Good());
  EXPECT_EQ(SendIn(*sim, fd, {0x1B, 0, 0, 0, 0, 0}, 0).Kcq(), 0x055302);
  ASSERT_TRUE(SendIn(*sim, fd, {0x1E, 0, 0, 0, 0, 0}, 0).Good());
  std::string why;
  ASSERT_TRUE(sim->ParseBench("medium /dev/sg0 cleaner=1\nmedium /dev/sg0\n", &why)) << why;
  params = Parameters(LogSense(*sim, fd, 0x14));
  EXPECT_EQ(Value(params[0x0000]), 102u);
  EXPECT_EQ(Value(params[0x0001]), 8u);
  EXPECT_EQ(Value(params[0x0080]), 2u);
  // Without a bench line: motion hours are a third of the power-on hours.
  auto plain = Bench("");
  const int p = OpenQuiet(*plain, "/dev/sg0");
  params = Parameters(LogSense(*plain, p, 0x14));
  EXPECT_EQ(Value(params[0x0002]), 1200u);
  EXPECT_EQ(Value(params[0x0003]), 400u);
}

// The error counters and the temperature keep today's values unless the
// bench sets them.
TEST(SimHealthPages, ErrorCountersAndTemperatureFromTheBench) {
  struct Case {
    const char* name;
    const char* bench;
    uint8_t page;
    std::map<int, uint64_t> values;
  } cases[] = {
      {"write counters", "", 0x02, {{0, 12}, {1, 2}, {2, 14}, {3, 14}, {4, 14}, {5, 0}, {6, 0}}},
      {"read counters", "", 0x03, {{0, 12}, {1, 2}, {2, 14}, {3, 14}, {4, 14}, {5, 0}, {6, 0}}},
      {"temperature", "", 0x0D, {{0, 34}, {1, 60}}},
      {"uncorrected writes",
       "errors /dev/sg0 write corrected=40 uncorrected=3\n",
       0x02,
       {{0, 38}, {1, 2}, {2, 40}, {3, 40}, {4, 40}, {5, 0}, {6, 3}}},
      {"reads untouched",
       "errors /dev/sg0 write corrected=40 uncorrected=3\n",
       0x03,
       {{0, 12}, {1, 2}, {2, 14}, {3, 14}, {4, 14}, {5, 0}, {6, 0}}},
      {"one corrected read",
       "errors /dev/sg0 read corrected=1 uncorrected=9\n",
       0x03,
       {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 0}, {6, 9}}},
      {"running hot", "temperature /dev/sg0 current=71 reference=55\n", 0x0D, {{0, 71}, {1, 55}}},
  };
  for (const Case& c : cases) {
    auto sim = Bench(c.bench);
    const int fd = OpenQuiet(*sim, "/dev/sg0");
    auto params = Parameters(LogSense(*sim, fd, c.page));
    ASSERT_EQ(params.size(), c.values.size()) << c.name;
    for (const auto& [code, value] : c.values) EXPECT_EQ(Value(params[code]), value) << c.name << " " << code;
  }
  // A DAT drive has an uncorrected error of each kind, as before.
  auto dat = Bench("device /dev/sg2 product=DAT160\n");
  const int fd = OpenQuiet(*dat, "/dev/sg2");
  for (uint8_t page : {0x02, 0x03}) EXPECT_EQ(Value(Parameters(LogSense(*dat, fd, page))[6]), 1u);
}

// The health benches of the library hold what Scripts/Benches/README.txt says.
TEST(SimHealthPages, TheLibrarysHealthBenches) {
  const std::string benches = std::string(VEXIL_SOURCE_DIR) + "/Scripts/Benches/";
  std::string error;

  auto alerts = MakeSimSystem(benches + "health_alerts.bench", &error);
  ASSERT_TRUE(alerts) << error;
  int fd = OpenQuiet(*alerts, "/dev/sg0");
  for (uint8_t page : {0x2E, 0x2E, 0x12}) ASSERT_TRUE(LogSense(*alerts, fd, page).Good());
  EXPECT_EQ(Parameters(LogSense(*alerts, fd, 0x12)).at(0), (std::vector<uint8_t>{0x20, 0, 0x10, 0, 0, 0, 0, 0}));

  auto failing = MakeSimSystem(benches + "health_log_fail.bench", &error);
  ASSERT_TRUE(failing) << error;
  fd = OpenQuiet(*failing, "/dev/sg0");
  const int other = OpenQuiet(*failing, "/dev/sg3");
  for (uint8_t page : {0x00, 0x02, 0x03, 0x0D, 0x12, 0x14, 0x2E}) {
    EXPECT_EQ(LogSense(*failing, fd, page).Kcq(), 0x044400) << int(page);
    EXPECT_EQ(LogSense(*failing, other, page).hdr.host_status, 7) << int(page);
  }

  auto hot = MakeSimSystem(benches + "health_hot.bench", &error);
  ASSERT_TRUE(hot) << error;
  fd = OpenQuiet(*hot, "/dev/sg0");
  auto temperature = Parameters(LogSense(*hot, fd, 0x0D));
  EXPECT_GT(Value(temperature[0]), Value(temperature[1]));
  EXPECT_EQ(Value(Parameters(LogSense(*hot, fd, 0x02))[6]), 3u);
  EXPECT_EQ(Value(Parameters(LogSense(*hot, fd, 0x14))[0x81]), 2u);
  SgResult serial = SendIn(*hot, fd, {0x8C, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x01, 0, 0, 0, 37, 0, 0}, 37);
  ASSERT_TRUE(serial.Good());
  EXPECT_EQ(std::string(serial.data.begin() + 9, serial.data.begin() + 19), "CM00420042");

  auto fleet = MakeSimSystem(benches + "health_fleet.bench", &error);
  ASSERT_TRUE(fleet) << error;
  for (int n = 0; n < 16; ++n) {
    const std::string node = "/dev/sg" + std::to_string(n);
    EXPECT_TRUE(fleet->MediumLoaded(node)) << node;
    fd = OpenQuiet(*fleet, node);
    EXPECT_TRUE(LogSense(*fleet, fd, 0x12).Good()) << node;
  }
}

}  // namespace
