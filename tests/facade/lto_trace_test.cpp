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

  EXPECT_EQ(out.find("Starting the trace collection. Output will be written to " + file.string() + "\n"), 0u)
      << out;
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

}  // namespace
