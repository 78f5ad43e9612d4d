// Data through the tape commands: filemark interval of long writes,
// totals and rates on the virtual clock, incorrect-length reads, patterns
// and the comparison of what came back.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "device/bench_fixture.h"

namespace {

using Throughput = Bench;

// Record numbers (1-based) after which a filemark went out.
std::vector<long> FilemarksAfter(const std::vector<SimCommand>& commands) {
  std::vector<long> marks;
  long records = 0;
  for (const SimCommand& c : commands) {
    if (c.cdb[0] == 0x0A) ++records;
    if (c.cdb[0] == 0x10) marks.push_back(records);
  }
  return marks;
}

TEST_F(Throughput, WriteDataPutsAFilemarkAfterEachIntervalOfRecords) {
  struct Case {
    long length, count;
    std::vector<long> marks;
  } cases[] = {
      {65536, 1600, {764, 1527}},  // 763 records first pass 50,000,000 bytes
      {10, 3, {1, 2, 3}},          // never passes: a filemark after every record
  };
  ListOne("ULTRIUM-HH6");
  std::vector<uint8_t> record(65536, 0xA5);
  for (const Case& c : cases) {
    sim_->ClearCommands();
    EXPECT_EQ(SCSI.WriteData(record.data(), c.length, c.count), int64_t{c.length} * c.count);
    EXPECT_EQ(FilemarksAfter(sim_->Commands()), c.marks) << c.length;
    EXPECT_EQ(sim_->CountCommands("/dev/sg0", 0x00), 0) << "no probe per transfer";
  }
  // The first failed write ends it.
  SimFault full;
  full.opcode = 0x0A;
  full.check = true;
  full.key = 0x0D, full.asc = 0x00, full.ascq = 0x02;
  sim_->InjectFault("/dev/sg0", full);
  EXPECT_EQ(SCSI.WriteData(record.data(), 512, 10), 0);
}

TEST_F(Throughput, TotalsAndRatesFollowTheClock) {
  ListOne("ULTRIUM-HH6");
  SCSI.ResetDeviceStats();
  std::vector<uint8_t> block(256 * 1024, 1);
  ASSERT_EQ(SCSI.Write(block.data(), 1024), 1024);
  EXPECT_DOUBLE_EQ(SCSI.GetWriteSecs(), 0.001);  // a command within the clock tick
  SCSI.ResetDeviceStats();
  SimFault slow;
  slow.opcode = 0x0A;
  slow.count = 1;
  slow.delay_seconds = 2;
  sim_->InjectFault("/dev/sg0", slow);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(SCSI.Write(block.data(), static_cast<long>(block.size())), 262144);
  EXPECT_EQ(SCSI.GetKBytesWritten(), 10240);
  // 10 MiB at LTO-6's native 160 MB/s, one command held 2 s besides; the
  // stamps count whole milliseconds.
  EXPECT_NEAR(SCSI.GetWriteSecs(), 2.001 + 40 * 262144 / 160e6, 0.002);
  EXPECT_NEAR(SCSI.GetWriteMbPerSecAvg(), 10 / SCSI.GetWriteSecs(), 1e-9);
  EXPECT_LT(SCSI.GetWriteMbPerSecAvg(), 5.0);
  EXPECT_EQ(SCSI.GetKBytesRead(), 0);
  SCSI.ResetDeviceStats();
  EXPECT_EQ(SCSI.GetKBytesWritten(), 0);
  EXPECT_EQ(SCSI.GetWriteMbPerSecAvg(), 0);
  EXPECT_EQ(SCSI.GetCommandCount(), 0);
}

TEST_F(Throughput, ShortBlockCountsWhatArrivedAndComparesOnlyThat) {
  ListOne("ULTRIUM-HH6");
  std::vector<uint8_t> pattern(1024);
  ASSERT_EQ(SCSI.GenerateRandomPattern(1024, pattern.data()), 1);
  ASSERT_EQ(SCSI.Write(pattern.data(), 512), 512);
  ASSERT_GT(SCSI.Rewind(60), 0);
  // Stale bytes of the write must not pass for data read back.
  SCSI.ResetDeviceStats();
  EXPECT_EQ(SCSI.Read(1024), -2);
  EXPECT_EQ(SCSI.GetIliFlag(), 1);
  EXPECT_EQ(SCSI.GetResidual(), 512);
  EXPECT_EQ(SCSI.GetByteCount(), 512);
  EXPECT_EQ(SCSI.GetKBytesRead(), 0);  // 512 bytes
  EXPECT_EQ(SCSI.VerifyBuffer(pattern.data(), 512), 1);
  EXPECT_EQ(SCSI.VerifyBuffer(pattern.data(), 1024), -2);
  std::vector<uint8_t> copy(1024, 0xEE);
  EXPECT_EQ(SCSI.GetReadBuffer(copy.data(), 1024), 512);
  EXPECT_EQ(SCSI.GetReadBuffer(copy.data(), 1 << 20), 0);
}

TEST_F(Throughput, VerifyFindsADifferenceAnywhere) {
  ListOne("ULTRIUM-HH6");
  std::vector<uint8_t> data(100, 0x11);
  ASSERT_EQ(SCSI.Write(data.data(), 100), 100);
  ASSERT_GT(SCSI.Rewind(60), 0);
  ASSERT_EQ(SCSI.Read(100), 100);
  for (size_t at : {0u, 80u, 95u, 99u}) {
    std::vector<uint8_t> other = data;
    other[at] ^= 0xFF;
    EXPECT_EQ(SCSI.VerifyBuffer(other.data(), 100), -2) << at;
  }
  EXPECT_EQ(SCSI.VerifyBuffer(data.data(), 100), 1);
  EXPECT_EQ(SCSI.VerifyBuffer(data.data(), 101), -2);
}

TEST_F(Throughput, PatternsFromFileAndGenerator) {
  ListOne("ULTRIUM-HH6");
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("vexil_pattern_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "short.pat") << std::string(1000, 'x');
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  std::vector<uint8_t> buffer(4096);
  EXPECT_EQ(SCSI.ReadPatternFile("short.pat", 1000, buffer.data()), 1);
  EXPECT_EQ(buffer[999], 'x');
  EXPECT_EQ(SCSI.ReadPatternFile("short.pat", 4096, buffer.data()), -4);
  EXPECT_NE(std::string(SCSI.GetMessageBuffer())
                .find("size(1000) does not contain the requested number of bytes, "
                      "request size(4096)"),
            std::string::npos)
      << SCSI.GetMessageBuffer();
  EXPECT_EQ(SCSI.ReadPatternFile("absent.pat", 10, buffer.data()), -4);
  EXPECT_NE(std::string(SCSI.GetMessageBuffer()).find("ReadPatternFile() - Pattern File ("), std::string::npos);
  // A working folder deeper than the path allows fails cleanly.
  fs::path deep = folder;
  for (int i = 0; i < 6; ++i) deep /= std::string(30, 'd');
  fs::create_directories(deep);
  fs::current_path(deep);
  EXPECT_EQ(SCSI.ReadPatternFile("short.pat", 10, buffer.data()), -4);
  fs::current_path(previous);
  fs::remove_all(folder);

  std::vector<uint8_t> a(777), b(777, 0xFF);
  SCSI.GenerateRandomPattern(777, a.data());
  SCSI.GenerateRandomPattern(777, b.data());
  EXPECT_EQ(a, b);
  EXPECT_NE(std::count(a.begin(), a.end(), 0), 777);
}

}  // namespace
