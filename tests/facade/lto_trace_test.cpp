#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "facade/scsi_wrapper.h"
#include "facade/sim_bench.h"
#include "sim/sim.h"
#include "sim/sim_device.h"

namespace {

namespace fs = std::filesystem;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

class LtoTrace : public SimBenchTest {
 protected:
  void SetUp() override {
    SimBenchTest::SetUp();
    Sim().AddDefaultBench();
    folder_ = fs::temp_directory_path() / ("vexil_trace_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    CaptureStdout();
    ASSERT_EQ(wrapper_.InitScsiDll("/dev/sg0"), 1);
    GetCapturedStdout();
    wrapper_.SetDeviceSelected(0);
  }
  void TearDown() override {
    fs::remove_all(folder_);
    SimBenchTest::TearDown();
  }

  ScsiWrapper wrapper_;
  fs::path folder_;
};

TEST_F(LtoTrace, WritesTheDrivesTraceBufferToAFile) {
  const std::vector<uint8_t> trace = Sim().TraceBuffer("/dev/sg0");
  ASSERT_GE(trace.size(), 88u);
  const uint32_t total = trace[84] | trace[85] << 8 | trace[86] << 16 | static_cast<uint32_t>(trace[87]) << 24;

  CaptureStdout();
  EXPECT_TRUE(wrapper_.LTO_Trace(folder_.c_str()));
  const std::string out = GetCapturedStdout();

  const fs::path file = folder_ / "TraceBuffer_HU1234567A.svm";
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << out;
  const std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(written.size(), total);
  EXPECT_TRUE(std::equal(written.begin(), written.end(), trace.begin()));

  EXPECT_EQ(out.find("Starting the trace collection. Output will be written to " + file.string() + "\n"), 0u) << out;
  EXPECT_NE(out.find("Total data size = " + std::to_string(total) + " bytes\n"), std::string::npos);
  EXPECT_TRUE(out.ends_with("100.00 % complete\n")) << out;
  // One progress line per chunk of at most 64 KiB.
  size_t lines = 0;
  for (size_t at = out.find("% complete"); at != std::string::npos; at = out.find("% complete", at + 1)) ++lines;
  EXPECT_EQ(lines, (total + 65535) / 65536);
}

TEST_F(LtoTrace, ATraceSmallerThanOneChunkIsWrittenToItsSize) {
  std::vector<uint8_t> trace(1000);
  for (size_t i = 0; i < trace.size(); ++i) trace[i] = static_cast<uint8_t>(i * 13);
  trace[84] = 1000 & 0xFF;
  trace[85] = 1000 >> 8;
  trace[86] = trace[87] = 0;
  Sim().Device("/dev/sg0")->trace = trace;

  CaptureStdout();
  EXPECT_TRUE(wrapper_.LTO_Trace(folder_.c_str()));
  const std::string out = GetCapturedStdout();
  EXPECT_NE(out.find("Total data size = 1000 bytes\n100.00 % complete\n"), std::string::npos) << out;
  EXPECT_EQ(fs::file_size(folder_ / "TraceBuffer_HU1234567A.svm"), 1000u);
}

TEST_F(LtoTrace, AFailedReadStopsTheCollection) {
  SimFault fault;
  fault.opcode = 0x3C;
  fault.check = true;
  fault.key = 0x05;
  fault.asc = 0x24;
  Sim().InjectFault("/dev/sg0", fault);
  CaptureStdout();
  EXPECT_FALSE(wrapper_.LTO_Trace(folder_.c_str()));
  EXPECT_NE(GetCapturedStdout().find("Status: SenseKey=05 ASC=24 ASCQ=00"), std::string::npos);
}

// A drive that cuts a piece short, or a read that fails, ends the collection
// as a failure; the trace file of an earlier run stays as it was, and only
// bytes the drive sent reach the partial file.
TEST_F(LtoTrace, AnIncompleteCollectionFailsAndKeepsTheEarlierFile) {
  std::vector<uint8_t> trace(100000, 0x5A);
  trace[84] = 100000 & 0xFF;
  trace[85] = (100000 >> 8) & 0xFF;
  trace[86] = 100000 >> 16;
  trace[87] = 0;
  Sim().Device("/dev/sg0")->trace = trace;
  const fs::path file = folder_ / "TraceBuffer_HU1234567A.svm";
  const fs::path part = folder_ / "TraceBuffer_HU1234567A.svm.part";

  struct Case {
    const char* name;
    SimFault fault;
    uintmax_t partialSize;  // 0: no partial file
  };
  SimFault shortPiece;
  shortPiece.opcode = 0x3C;
  shortPiece.data_length = 40000;
  SimFault rejected;
  rejected.opcode = 0x3C;
  rejected.check = true;
  rejected.key = 0x05;
  rejected.asc = 0x24;
  const Case cases[] = {{"short piece", shortPiece, 40000}, {"rejected read", rejected, 0}};
  for (const Case& c : cases) {
    fs::create_directories(folder_);
    fs::remove(part);
    std::ofstream(file, std::ios::binary) << "earlier trace";
    Sim().InjectFault("/dev/sg0", c.fault);

    CaptureStdout();
    EXPECT_FALSE(wrapper_.LTO_Trace(folder_.c_str())) << c.name;
    const std::string out = GetCapturedStdout();
    EXPECT_EQ(out.find("100.00 % complete"), std::string::npos) << c.name << out;

    std::ifstream in(file, std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "earlier trace") << c.name;
    if (c.partialSize == 0) {
      EXPECT_FALSE(fs::exists(part)) << c.name;
    } else {
      ASSERT_TRUE(fs::exists(part)) << c.name;
      EXPECT_EQ(fs::file_size(part), c.partialSize) << c.name;
    }
    Sim().ClearFaults("/dev/sg0");
  }

  // A later complete run replaces the earlier file.
  CaptureStdout();
  EXPECT_TRUE(wrapper_.LTO_Trace(folder_.c_str()));
  GetCapturedStdout();
  EXPECT_EQ(fs::file_size(file), 100000u);
  EXPECT_FALSE(fs::exists(part));
}

// A serial number is cleaned before it becomes part of the file name.
TEST_F(LtoTrace, ASerialWithASlashGivesAFileInTheFolder) {
  std::string error;
  ASSERT_TRUE(
      Sim().ParseBench("device /dev/sg5 type=tape hctl=1:0:3:0 vendor=HALCYON product=\"ULTRIUM-HH6\" "
                       "serial=AB/12C medium=1",
                       &error))
      << error;
  ScsiWrapper wrapper;
  CaptureStdout();
  ASSERT_EQ(wrapper.InitScsiDll("/dev/sg5"), 1);
  wrapper.SetDeviceSelected(0);
  const bool done = wrapper.LTO_Trace(folder_.c_str());
  const std::string out = GetCapturedStdout();
  EXPECT_TRUE(done) << out;
  EXPECT_TRUE(fs::exists(folder_ / "TraceBuffer_AB_12C.svm")) << out;
}

}  // namespace
