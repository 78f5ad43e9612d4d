// READ ATTRIBUTE and WRITE ATTRIBUTE: the cartridge memory of a tape
// drive's cartridge, as a host walks it.
#include <algorithm>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "sg_fixture.h"

namespace {

SgResult ReadAttribute(SimSystem& sim, int fd, uint8_t action, uint16_t first = 0, uint32_t alloc = 4096) {
  return SendIn(sim, fd,
                {0x8C, action, 0, 0, 0, 0, 0, 0, uint8_t(first >> 8), uint8_t(first), uint8_t(alloc >> 24),
                 uint8_t(alloc >> 16), uint8_t(alloc >> 8), uint8_t(alloc), 0, 0},
                alloc);
}

// One attribute as written: identifier, format, value.
std::vector<uint8_t> AttributeBytes(uint16_t id, uint8_t format, const std::vector<uint8_t>& value) {
  std::vector<uint8_t> a = {uint8_t(id >> 8), uint8_t(id), format, uint8_t(value.size() >> 8), uint8_t(value.size())};
  a.insert(a.end(), value.begin(), value.end());
  return a;
}

SgResult WriteAttribute(SimSystem& sim, int fd, const std::vector<std::vector<uint8_t>>& attributes) {
  std::vector<uint8_t> list(4, 0);
  for (const auto& a : attributes) list.insert(list.end(), a.begin(), a.end());
  const uint32_t n = uint32_t(list.size());
  list[3] = uint8_t(n - 4);
  return SendOut(
      sim, fd, {0x8D, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0, 0},
      list);
}

struct Attribute {
  bool read_only = false;
  uint8_t format = 0;
  std::vector<uint8_t> value;
};

uint32_t AvailableData(const SgResult& r) {
  return r.data.size() < 4 ? 0 : uint32_t(r.data[0]) << 24 | r.data[1] << 16 | r.data[2] << 8 | r.data[3];
}

// The attributes of an ATTRIBUTE VALUES reply, in the order given; fails
// the test when they are out of order or overrun the data.
std::vector<std::pair<int, Attribute>> Values(const SgResult& r) {
  std::vector<std::pair<int, Attribute>> all;
  EXPECT_TRUE(r.Good());
  EXPECT_EQ(AvailableData(r) + 4, r.data.size());
  size_t at = 4;
  while (at + 5 <= r.data.size()) {
    const size_t length = size_t(r.data[at + 3] << 8 | r.data[at + 4]);
    Attribute a{(r.data[at + 2] & 0x80) != 0, uint8_t(r.data[at + 2] & 0x03),
                std::vector<uint8_t>(r.data.begin() + at + 5, r.data.begin() + at + 5 + length)};
    const int id = r.data[at] << 8 | r.data[at + 1];
    if (!all.empty()) {
      EXPECT_LT(all.back().first, id) << "ascending";
    }
    all.emplace_back(id, a);
    at += 5 + length;
  }
  EXPECT_EQ(at, r.data.size());
  return all;
}

std::map<int, Attribute> ById(const SgResult& r) {
  std::map<int, Attribute> m;
  for (auto& [id, a] : Values(r)) m[id] = a;
  return m;
}

uint64_t Binary(const Attribute& a) {
  uint64_t v = 0;
  for (uint8_t b : a.value) v = v << 8 | b;
  return v;
}

std::string Text(const Attribute& a) { return std::string(a.value.begin(), a.value.end()); }

std::string Padded(std::string text, size_t n, char pad = ' ') {
  text.resize(n, pad);
  return text;
}

constexpr const char* kDrive = "device /dev/sg0 product=ULTRIUM-HH6 serial=HU1234567A\n";

// A cartridge described by `mam`: every attribute in its standard format
// and length, device and medium attributes read-only, host ones not.
TEST(SimAttributes, ValuesOfACartridgeDescribedByTheBench) {
  auto sim = ParsedBench(std::string(kDrive) + "medium /dev/sg0 gen=6 capacity=1024\n" +
                         "mam /dev/sg0 serial=CM0042 manufacturer=ACME date=20240115 loads=42 written=123456 read=2345"
                         " barcode=ABC123L6 label=\"weekly full\" drives=KESTREL:KS5A001234\n");
  const int fd = OpenQuiet(*sim, "/dev/sg0");
  auto all = ById(ReadAttribute(*sim, fd, 0x00));
  struct Want {
    int id;
    bool read_only;
    uint8_t format;
    size_t length;
    uint64_t binary;   // binary attributes
    std::string text;  // ASCII and text ones
  } want[] = {
      {0x0000, true, 0, 8, 1024, ""},  // remaining capacity, MiB
      {0x0001, true, 0, 8, 1024, ""},  // maximum capacity
      {0x0003, true, 0, 8, 42, ""},
      {0x0006, true, 0, 1, 0x5A, ""},
      {0x020A, true, 1, 40, 0, Padded("KESTREL KS5A001234", 40)},
      {0x0220, true, 0, 8, 123456, ""},
      {0x0221, true, 0, 8, 2345, ""},
      {0x0222, true, 0, 8, 0, ""},
      {0x0223, true, 0, 8, 0, ""},
      {0x0400, true, 1, 8, 0, Padded("ACME", 8)},
      {0x0401, true, 1, 32, 0, Padded("CM0042", 32)},
      {0x0405, true, 0, 1, 0x5A, ""},
      {0x0406, true, 1, 8, 0, "20240115"},
      {0x0407, true, 0, 8, 16384, ""},
      {0x0408, true, 0, 1, 0, ""},
      {0x0803, false, 2, 160, 0, Padded("weekly full", 160, '\0')},
      {0x0806, false, 1, 32, 0, Padded("ABC123L6", 32)},
  };
  for (const Want& w : want) {
    ASSERT_TRUE(all.count(w.id)) << std::hex << w.id;
    const Attribute& a = all[w.id];
    EXPECT_EQ(a.read_only, w.read_only) << std::hex << w.id;
    EXPECT_EQ(a.format, w.format) << std::hex << w.id;
    ASSERT_EQ(a.value.size(), w.length) << std::hex << w.id;
    if (w.format == 0) {
      EXPECT_EQ(Binary(a), w.binary) << std::hex << w.id;
    } else {
      EXPECT_EQ(Text(a), w.text) << std::hex << w.id;
    }
  }
  // MAM space: the capacity less what the stored attributes take.
  size_t stored = 0;
  for (int id : {0x020A, 0x0400, 0x0401, 0x0406, 0x0803, 0x0806}) stored += 5 + all[id].value.size();
  EXPECT_EQ(Binary(all[0x0004]), 16384u - stored);

  // Writing 3 MiB: remaining capacity, this load's and the lifetime figures move.
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> block(1 << 20, 0x5A);
    ASSERT_TRUE(SendOut(*sim, fd, {0x0A, 0, 0x10, 0x00, 0x00, 0}, block).Good());
  }
  all = ById(ReadAttribute(*sim, fd, 0x00));
  EXPECT_EQ(Binary(all[0x0000]), 1021u);
  EXPECT_EQ(Binary(all[0x0220]), 123459u);
  EXPECT_EQ(Binary(all[0x0222]), 3u);
  // Out and in again: one more load, by this drive; the drive before moves down.
  ASSERT_TRUE(SendIn(*sim, fd, {0x1B, 0, 0, 0, 0, 0}, 0).Good());
  ASSERT_TRUE(SendIn(*sim, fd, {0x1B, 0, 0, 0, 1, 0}, 0).Good());
  all = ById(ReadAttribute(*sim, fd, 0x00));
  EXPECT_EQ(Binary(all[0x0003]), 43u);
  EXPECT_EQ(Text(all[0x020A]), Padded("HALCYON HU1234567A", 40));
  EXPECT_EQ(Text(all[0x020B]), Padded("KESTREL KS5A001234", 40));
  EXPECT_EQ(Binary(all[0x0220]), 123459u);
  EXPECT_EQ(Binary(all[0x0222]), 0u);
}

// The list, the first attribute identifier and a short allocation.
TEST(SimAttributes, ListFirstAttributeAndShortAllocation) {
  auto sim = ParsedBench(kDrive);
  const int fd = OpenQuiet(*sim, "/dev/sg0");
  SgResult values = ReadAttribute(*sim, fd, 0x00);
  std::vector<int> ids;
  for (auto& [id, a] : Values(values)) ids.push_back(id);

  SgResult list = ReadAttribute(*sim, fd, 0x01);
  ASSERT_TRUE(list.Good());
  ASSERT_EQ(AvailableData(list), 2 * ids.size());
  std::vector<int> listed;
  for (size_t at = 4; at + 2 <= list.data.size(); at += 2) listed.push_back(list.data[at] << 8 | list.data[at + 1]);
  EXPECT_EQ(listed, ids);

  // From 0400h on: the medium and host attributes only.
  auto from = Values(ReadAttribute(*sim, fd, 0x00, 0x0400));
  ASSERT_FALSE(from.empty());
  EXPECT_EQ(from.front().first, 0x0400);
  EXPECT_EQ(from.size(), size_t(std::count_if(ids.begin(), ids.end(), [](int id) { return id >= 0x0400; })));
  // A first identifier between two attributes starts at the next one.
  EXPECT_EQ(Values(ReadAttribute(*sim, fd, 0x00, 0x0005)).front().first, 0x0006);

  // A short allocation: the first bytes, with the whole AVAILABLE DATA.
  SgResult shortened = ReadAttribute(*sim, fd, 0x00, 0, 20);
  ASSERT_TRUE(shortened.Good());
  ASSERT_EQ(shortened.data.size(), 20u);
  EXPECT_EQ(AvailableData(shortened), AvailableData(values));
  EXPECT_TRUE(std::equal(shortened.data.begin(), shortened.data.end(), values.data.begin()));

  // One volume, one partition.
  EXPECT_EQ(ReadAttribute(*sim, fd, 0x03).data, (std::vector<uint8_t>{0x00, 0x02, 0x00, 0x01}));
}

// Host attributes are written and read back, emptied by a zero length;
// device and medium attributes are refused, and so is a bad length, and
// then nothing of the list is written.
TEST(SimAttributes, WriteAttributeHostOnly) {
  auto sim = ParsedBench(kDrive);
  const int fd = OpenQuiet(*sim, "/dev/sg0");
  const std::vector<uint8_t> vendor(8, 'V');
  const std::vector<uint8_t> label(160, 'L');
  ASSERT_TRUE(WriteAttribute(*sim, fd, {AttributeBytes(0x0800, 1, vendor), AttributeBytes(0x0803, 2, label)}).Good());
  auto all = ById(ReadAttribute(*sim, fd, 0x00));
  EXPECT_EQ(all[0x0800].value, vendor);
  EXPECT_FALSE(all[0x0800].read_only);
  EXPECT_EQ(all[0x0803].value, label);
  EXPECT_EQ(all[0x0803].format, 2);

  struct Refusal {
    const char* name;
    std::vector<std::vector<uint8_t>> list;
    int kcq;
  } refusals[] = {
      {"load count", {AttributeBytes(0x0003, 0, std::vector<uint8_t>(8, 0))}, 0x052600},
      {"medium serial", {AttributeBytes(0x0401, 1, std::vector<uint8_t>(32, 'X'))}, 0x052600},
      {"three host attributes",
       {AttributeBytes(0x0801, 1, std::vector<uint8_t>(32, 'N')),
        AttributeBytes(0x0806, 1, std::vector<uint8_t>(32, 'B')), AttributeBytes(0x0A00, 0, {1})},
       0x000000},
      {"barcode of 31 bytes", {AttributeBytes(0x0806, 1, std::vector<uint8_t>(31, 'B'))}, 0x052600},
      {"barcode as binary", {AttributeBytes(0x0806, 0, std::vector<uint8_t>(32, 'B'))}, 0x052600},
      {"descending",
       {AttributeBytes(0x0806, 1, std::vector<uint8_t>(32, 'B')), AttributeBytes(0x0800, 1, vendor)},
       0x052600},
  };
  for (const Refusal& r : refusals) {
    SgResult w = WriteAttribute(*sim, fd, r.list);
    if (r.kcq == 0) {
      EXPECT_TRUE(w.Good()) << r.name;
    } else {
      EXPECT_EQ(w.Kcq(), r.kcq) << r.name;
      EXPECT_EQ(w.sense[15] & 0xC0, 0x80) << r.name << ": the pointer names a parameter byte";
    }
  }
  // Of the refused lists nothing was written; the good one was.
  all = ById(ReadAttribute(*sim, fd, 0x00));
  EXPECT_EQ(Binary(all[0x0003]), 17u);
  EXPECT_EQ(all[0x0806].value, std::vector<uint8_t>(32, 'B'));
  EXPECT_EQ(all[0x0A00].value, std::vector<uint8_t>{1});
  // A zero length removes a host attribute.
  ASSERT_TRUE(WriteAttribute(*sim, fd, {AttributeBytes(0x0800, 1, {})}).Good());
  EXPECT_FALSE(ById(ReadAttribute(*sim, fd, 0x00)).count(0x0800));
}

// No cartridge, a drive without cartridge memory, and the fields the
// drive does not take.
TEST(SimAttributes, RefusedAsTheStandardSays) {
  auto sim = ParsedBench(std::string(kDrive) + "device /dev/sg1 medium=0\ndevice /dev/sg2 mam=0\n");
  const int fd = OpenQuiet(*sim, "/dev/sg0");
  const int empty = OpenQuiet(*sim, "/dev/sg1");
  const int none = OpenQuiet(*sim, "/dev/sg2");
  EXPECT_EQ(ReadAttribute(*sim, empty, 0x00).Kcq(), 0x023A00);
  EXPECT_EQ(WriteAttribute(*sim, empty, {AttributeBytes(0x0806, 1, std::vector<uint8_t>(32, 'B'))}).Kcq(), 0x023A00);
  EXPECT_EQ(ReadAttribute(*sim, none, 0x00).Kcq(), 0x052000);
  EXPECT_EQ(ReadAttribute(*sim, fd, 0x04).Kcq(), 0x052400);  // a service action it does not know
  EXPECT_EQ(SendIn(*sim, fd, {0x8C, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0}, 4096).Kcq(),
            0x052400);  // volume 1
  // More than the cartridge memory holds.
  auto small = ParsedBench(std::string(kDrive) + "mam /dev/sg0 size=1024\n");
  const int s = OpenQuiet(*small, "/dev/sg0");
  std::vector<std::vector<uint8_t>> big;
  for (uint16_t id = 0x1400; id < 0x1408; ++id) big.push_back(AttributeBytes(id, 0, std::vector<uint8_t>(120, 0)));
  EXPECT_EQ(WriteAttribute(*small, s, big).Kcq(), 0x055506);
}

}  // namespace
