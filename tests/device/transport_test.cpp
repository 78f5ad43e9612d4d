// The command path against a virtual drive with injected faults.
#include <scsi/sg.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/bench_fixture.h"

namespace {

constexpr const char* kTape = "/dev/sg0";
const uint8_t kInquiry[6] = {0x12, 0, 0, 0, 0x24, 0};
const uint8_t kTur[6] = {0, 0, 0, 0, 0, 0};

class Transport : public Bench {
 protected:
  void SetUp() override {
    Bench::SetUp();
    SelectNode(kTape);
    sim_->ClearCommands();
  }

  long Inquire() {
    uint8_t data[36] = {};
    return SCSI.SendCdb(kDataIn, kInquiry, 6, "Test", data, sizeof data);
  }

  int Count(int opcode) const { return sim_->CountCommands(kTape, opcode); }

  std::vector<SimCommand> SentWith(int opcode) const {
    std::vector<SimCommand> out;
    for (const SimCommand& c : sim_->Commands())
      if (c.node == kTape && !c.cdb.empty() && c.cdb[0] == opcode) out.push_back(c);
    return out;
  }
};

TEST_F(Transport, DataInCommandMovesBytesAndProbesReadinessFirst) {
  uint8_t data[36] = {};
  EXPECT_EQ(SCSI.SendCdb(kDataIn, kInquiry, 6, "Test", data, sizeof data), 36);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 7), "HALCYON");
  ASSERT_EQ(sim_->Commands().size(), 2u);
  EXPECT_EQ(sim_->Commands()[0].cdb[0], 0x00);  // TEST UNIT READY first
  EXPECT_EQ(SCSI.GetByteCount(), 36);
  EXPECT_STREQ(SCSI.GetLastCdb(), "12 00 00 00 24 00 ");
}

TEST_F(Transport, ZeroLengthTransferIsSentWith128BytesExceptWriteBuffer) {
  struct Case {
    uint8_t opcode;
    size_t sent;
  } cases[] = {{0x15, 128}, {0x3B, 0}};
  for (const Case& c : cases) {
    sim_->ClearCommands();
    const uint8_t cdb[6] = {c.opcode, 0x10, 0, 0, 0, 0};
    SCSI.SendCdb(kDataOut, cdb, 6, "Test", nullptr, 0);
    const auto sent = SentWith(c.opcode);
    ASSERT_EQ(sent.size(), 1u) << std::hex << int(c.opcode);
    EXPECT_EQ(sent[0].data_out.size(), c.sent) << std::hex << int(c.opcode);
  }
}

TEST_F(Transport, CheckConditionWithDriverSenseIsDecodedWithoutRequestSense) {
  SimFault f;
  f.opcode = 0x12;
  f.count = 1;
  f.check = true;
  f.key = 0x02;
  f.asc = 0x3A;
  f.ascq = 0x00;
  sim_->InjectFault(kTape, f);
  EXPECT_EQ(Inquire(), -2);
  EXPECT_EQ(SCSI.GetCheckCondition(), 0x00023A00);
  EXPECT_EQ(SCSI.GetStatus(), 1);
  EXPECT_EQ(SCSI.GetDriverStatus(), 8);
  EXPECT_EQ(Count(0x03), 0);
  EXPECT_EQ(Count(0x12), 1);  // a check condition is not retried
  EXPECT_NE(std::string(SCSI.GetScsiErrorBuffer()).find("MEDIUM NOT PRESENT."), std::string::npos);
  EXPECT_EQ(SCSI.GetSenseSize(), 255);
}

TEST_F(Transport, CheckConditionWithoutSenseBytesSendsOneRequestSense) {
  SimFault f;
  f.opcode = 0x12;
  f.count = 1;
  f.check = true;
  f.key = 0x04;
  f.asc = 0x44;
  f.withhold_sense = true;
  sim_->InjectFault(kTape, f);
  EXPECT_EQ(Inquire(), -2);
  EXPECT_EQ(Count(0x03), 1);
  EXPECT_EQ(SCSI.GetSenseKey(), 4);
  EXPECT_EQ(SCSI.GetAsc(), 0x44);
  // The status of the failed command, not of the REQUEST SENSE, is kept.
  EXPECT_EQ(SCSI.GetStatus(), 1);
  EXPECT_STREQ(SCSI.GetLastCdb(), "12 00 00 00 24 00 ");
}

TEST_F(Transport, FailingRequestSenseDoesNotStartAnother) {
  SimFault f;
  f.opcode = 0x12;
  f.count = 1;
  f.check = true;
  f.key = 0x04;
  f.withhold_sense = true;
  sim_->InjectFault(kTape, f);
  f.opcode = 0x03;
  sim_->InjectFault(kTape, f);
  EXPECT_EQ(Inquire(), -2);
  EXPECT_EQ(Count(0x03), 1);
}

TEST_F(Transport, TimeoutIsJudgedOnWholeSecondsAndRetriedOnlyForShortTimeouts) {
  struct Case {
    long timeout, delay;
    long result;
    int sends;
  } cases[] = {
      {5, 4, 36, 1},      // answered in time
      {5, 5, -1, 3},      // reaching the timeout counts: retried twice
      {5, 6, -1, 3},      //
      {120, 130, -1, 1},  // long timeouts are never retried
      {1, 0, 36, 1},      // within the same second: 1 ms
  };
  for (const Case& c : cases) {
    sim_->ClearFaults();
    sim_->ClearCommands();
    SCSI.SetTimeout(c.timeout);
    SimFault f;
    f.opcode = 0x12;
    f.delay_seconds = c.delay;
    sim_->InjectFault(kTape, f);
    const double before = sim_->Elapsed();
    EXPECT_EQ(Inquire(), c.result) << c.timeout << "/" << c.delay;
    EXPECT_EQ(Count(0x12), c.sends) << c.timeout << "/" << c.delay;
    EXPECT_EQ(SCSI.TimedOut(), c.result == -1);
    if (c.result == -1) {
      EXPECT_NE(std::string(SCSI.GetDevErrorBuffer()).find("Test::SendCdb()::DevIo() - SCSI Command Timeout."),
                std::string::npos);
    }
    EXPECT_GE(sim_->Elapsed() - before, static_cast<double>(c.delay * c.sends));
  }
  SCSI.SetTimeout(300);
}

TEST_F(Transport, RetryProbesReadinessAndKeepsOutgoingData) {
  SCSI.SetTimeout(5);
  SimFault f;
  f.opcode = 0x15;
  f.count = 1;
  f.delay_seconds = 6;
  sim_->InjectFault(kTape, f);
  // MODE SELECT: a header and a block descriptor asking for 512-byte blocks.
  const std::vector<uint8_t> list = {0, 0, 0x10, 8, 0, 0, 0, 0, 0, 0, 0x02, 0};
  const uint8_t cdb[6] = {0x15, 0x10, 0, 0, static_cast<uint8_t>(list.size()), 0};
  EXPECT_EQ(SCSI.SendCdb(kDataOut, cdb, 6, "Test", const_cast<uint8_t*>(list.data()), static_cast<long>(list.size())),
            static_cast<long>(list.size()));
  const auto sent = SentWith(0x15);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].data_out, list);
  EXPECT_EQ(sent[1].data_out, list);
  // Between the attempts: one TEST UNIT READY that succeeded.
  const auto& all = sim_->Commands();
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[all.size() - 2].cdb[0], 0x00);
  SCSI.SetTimeout(300);
}

TEST_F(Transport, TimedOutCommandsThatMayHaveActedAreNeverSentAgain) {
  // A second copy of any of these would do its work twice: a firmware
  // piece stored again (or appended), a block written or read twice, the
  // tape moved further, a diagnostic or a changer move repeated.
  struct Case {
    const char* what;
    std::vector<uint8_t> cdb;
    int direction;
    long length;
    int sends;
  } cases[] = {
      {"WRITE BUFFER piece", {0x3B, 0x04, 0, 0, 0, 0, 0, 0x04, 0, 0}, kDataOut, 1024, 1},
      {"WRITE(6)", {0x0A, 0, 0, 0x04, 0, 0}, kDataOut, 1024, 1},
      {"READ(6)", {0x08, 0, 0, 0x04, 0, 0}, kDataIn, 1024, 1},
      {"WRITE FILEMARKS", {0x10, 0, 0, 0, 1, 0}, kDataNone, 0, 1},
      {"SPACE", {0x11, 0, 0, 0, 1, 0}, kDataNone, 0, 1},
      {"SEND DIAGNOSTIC", {0x1D, 0x04, 0, 0, 0, 0}, kDataNone, 0, 1},
      {"INQUIRY, safe to repeat", {0x12, 0, 0, 0, 0x24, 0}, kDataIn, 36, 3},
      {"REWIND, safe to repeat", {0x01, 0, 0, 0, 0, 0}, kDataNone, 0, 3},
  };
  SCSI.SetTimeout(5);
  std::vector<uint8_t> data(1024, 0x5A);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->ClearFaults();
    sim_->ClearCommands();
    SimFault f;
    f.opcode = c.cdb[0];
    f.delay_seconds = 6;
    sim_->InjectFault(kTape, f);
    EXPECT_LT(SCSI.SendCdb(c.direction, c.cdb.data(), static_cast<int>(c.cdb.size()), "Test", data.data(), c.length),
              0);
    EXPECT_TRUE(SCSI.TimedOut());
    EXPECT_EQ(Count(c.cdb[0]), c.sends);
  }
  SCSI.SetTimeout(300);
}

TEST_F(Transport, TestUnitReadyIsNeverRetried) {
  SCSI.SetTimeout(5);
  SimFault f;
  f.opcode = 0x00;
  f.delay_seconds = 6;
  sim_->InjectFault(kTape, f);
  EXPECT_EQ(SCSI.SendCdb(kDataNone, kTur, 6, "Test", nullptr, 0), -1);
  EXPECT_EQ(Count(0x00), 1);
  SCSI.SetTimeout(300);
}

TEST_F(Transport, HostAndDriverStatusErrorsAreTransportErrorsNeverRetried) {
  struct Case {
    int host, driver;
    long result;
  } cases[] = {
      {0x01, 0, -5},  // no connect
      {0x07, 0, -5},  // host error
      {0, 0x06, -5},  // driver timeout
      {0, 0x08, 1},   // driver sense alone is no transport error
  };
  SCSI.SetTimeout(5);  // retries would be allowed
  for (const Case& c : cases) {
    sim_->ClearFaults();
    sim_->ClearCommands();
    SimFault f;
    f.opcode = 0x00;
    f.host_status = c.host;
    f.driver_status = c.driver;
    sim_->InjectFault(kTape, f);
    EXPECT_EQ(SCSI.SendCdb(kDataNone, kTur, 6, "Test", nullptr, 0), c.result) << c.host << "/" << c.driver;
    EXPECT_EQ(SCSI.GetHAStatus(), c.host);
    EXPECT_EQ(SCSI.GetDriverStatus(), c.driver);
    EXPECT_EQ(Count(0x00), 1);
  }
  sim_->ClearFaults();
  SimFault f;
  f.opcode = 0x12;
  f.host_status = 0x07;
  sim_->InjectFault(kTape, f);
  sim_->ClearCommands();
  EXPECT_EQ(Inquire(), -5);
  EXPECT_EQ(Count(0x12), 1);
  SCSI.SetTimeout(300);
}

// The sg driver aborts a command at its timeout and reports DID_TIME_OUT in
// the host status: the console must call that a timeout, not an I/O error.
TEST_F(Transport, DriverAbortedCommandIsATimeout) {
  SCSI.SetTimeout(4);
  SimFault f;
  f.opcode = 0x00;
  f.delay_seconds = 4;
  f.host_status = 0x03;
  sim_->InjectFault(kTape, f);
  EXPECT_EQ(SCSI.SendCdb(kDataNone, kTur, 6, "Test", nullptr, 0), -1);
  EXPECT_EQ(SCSI.GetHAStatus(), 0x03);
  EXPECT_NE(std::string(SCSI.GetDevErrorBuffer()).find("SCSI Command Timeout."), std::string::npos);
  SCSI.SetTimeout(300);
}

TEST_F(Transport, FailedIoctlReturnsZeroWithTheReason) {
  SimFault f;
  f.opcode = 0x12;
  f.ioctl_errno = EIO;
  sim_->InjectFault(kTape, f);
  EXPECT_EQ(Inquire(), 0);
  const std::string error = SCSI.GetDevErrorBuffer();
  EXPECT_NE(error.find("DeviceIoControl - ioctl(SCSI_PASS_THROUGH_DIRECT) - ERROR (5) - DevErrno: 5 - EIO "),
            std::string::npos)
      << error;
}

TEST_F(Transport, NodeThatVanishedFailsWithoutCrashing) {
  sim_->RemoveDevice(kTape);
  EXPECT_EQ(Inquire(), 0);
  EXPECT_NE(std::string(SCSI.GetDevErrorBuffer()).find("ENODEV"), std::string::npos);
  EXPECT_NE(std::string(SCSI.GetErrorBuffer()).find("SYS: "), std::string::npos);
}

TEST_F(Transport, OpenFailureIsReportedWithTheSystemReason) {
  // The shim itself: a node we may not open. It keeps the reason for its
  // caller and leaves the selected device's texts alone.
  sim_->SetUnreadable("/dev/sg1", true);
  EXPECT_EQ(Inquire(), 36);
  EXPECT_EQ(CreateFile("/dev/sg1"), -1);
  EXPECT_EQ(GetLastError(), EACCES);
  EXPECT_EQ(LastShimFailure().code, EACCES);
  EXPECT_STREQ(LastShimFailure().context, "CreateFile - Error Opening /dev/sg1.");
  EXPECT_STREQ(SCSI.GetDevErrorBuffer(), "");
  // A record whose node is gone cannot open it: -4 and both texts.
  SCSI.ClearScsiDev();
  EXPECT_EQ(Inquire(), -4);
  EXPECT_STREQ(SCSI.GetMessageBuffer(), "Test::SendCdb()::DevIo()::OpenDevice() - Error opening  - ");
  EXPECT_NE(std::string(SCSI.GetDevErrorBuffer()).find("ERROR (2)"), std::string::npos);
}

TEST_F(Transport, RefusesWhatDoesNotFit) {
  uint8_t data[16] = {};
  EXPECT_EQ(SCSI.SendCdb(kDataIn, kInquiry, 6, "Test", data, 300000), -3);
  EXPECT_NE(std::string(SCSI.GetDevErrorBuffer())
                .find("Test::SendCdb() - Requested transfer (300000) exceeds maximum capability (262144)."),
            std::string::npos);
  EXPECT_EQ(SCSI.SendCdb(kDataIn, kInquiry, 17, "Test", data, 16), -3);
  EXPECT_EQ(SCSI.SendCdb(kDataIn, nullptr, 6, "Test", data, 16), -3);
  EXPECT_EQ(Count(0x12), 0);
  SCSI.SetDeviceIndex(-1);
  EXPECT_EQ(SCSI.SendCdb(kDataIn, kInquiry, 6, "Test", data, 16), -3);
  EXPECT_EQ(SCSI.OpenDevice("Test"), -3);
  EXPECT_EQ(SCSI.GetTimeout(), 300);
}

TEST_F(Transport, LongTextsAreCutAtTheirFields) {
  const std::string longText(400, 'C');
  uint8_t data[16] = {};
  EXPECT_EQ(SCSI.SendCdb(kDataIn, kInquiry, 6, longText.c_str(), data, 300000), -3);
  EXPECT_EQ(std::string(SCSI.GetDevErrorBuffer()).rfind("CCCC", 0), 0u);
  EXPECT_LE(std::strlen(SCSI.GetDevErrorBuffer()), 255u);
  SCSI.SetMessage(longText.c_str(), longText.c_str());
  EXPECT_EQ(std::strlen(SCSI.GetMessageBuffer()), 255u);
  SCSI.SystemError(5, longText.c_str());
  EXPECT_EQ(std::strlen(SCSI.GetDevErrorBuffer()), 255u);
  SCSI.SetDeviceString(std::string(32, 'X').c_str());  // too long: refused
  EXPECT_STREQ(SCSI.GetDeviceString(), "ULTRIUM GEN6");
  const uint8_t cdb16[16] = {0x88, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  SCSI.SetLastCdb(cdb16, 16);
  EXPECT_STREQ(SCSI.GetLastCdb(), "88 01 02 03 04 05 06 07 08 09 0A 0B 0C ");
}

TEST_F(Transport, DebugTraceShowsTheCdbAndCutsLongDumps) {
  SCSI.EnableDebug(true);
  std::vector<uint8_t> data(600, 0xAB);
  const uint8_t cdb[10] = {0x3B, 0x02, 0, 0, 0, 0, 0, 0x02, 0x58, 0};
  ::testing::internal::CaptureStderr();
  SCSI.SendCdb(kDataOut, cdb, 10, "Test", data.data(), 600);
  std::string trace = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(trace.find("\n CDB (10) =  0x3b 0x02 0x00"), std::string::npos) << trace;
  EXPECT_NE(trace.find("\n Data out (600) =\n 0xab"), std::string::npos);
  EXPECT_NE(trace.find("\n... (truncated)\n"), std::string::npos);

  SCSI.EnableVerbose(true);
  ::testing::internal::CaptureStderr();
  SCSI.SendCdb(kDataOut, cdb, 10, "Test", data.data(), 600);
  trace = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(trace.find("(truncated)"), std::string::npos);
  SCSI.EnableDebug(false);
  SCSI.EnableVerbose(false);
}

// One record holds how a command ended; the next command replaces all of it.
TEST_F(Transport, EachCommandLeavesOneOutcomeRecord) {
  struct Case {
    const char* name;
    SimFault fault;
    int32_t result, scsiStatus, hostStatus, senseKey, asc;
    uint8_t timedOut;
    int64_t bytesMoved;
    const char* devError;  // a part of the text; "" for none
  };
  SimFault none;
  SimFault check;
  check.opcode = 0x12;
  check.check = true;
  check.key = 0x03;
  check.asc = 0x11;
  SimFault host;
  host.opcode = 0x12;
  host.host_status = 0x01;
  SimFault cut;
  cut.opcode = 0x12;
  cut.data_length = 20;
  const Case cases[] = {
      {"good", none, 36, 0, 0, 0, 0, 0, 36, ""},
      {"check condition", check, -2, 1, 0, 3, 0x11, 0, 0, ""},
      {"host status", host, -5, 0, 1, 0, 0, 0, 0, ""},
      {"short data", cut, 20, 0, 0, 0, 0, 0, 20, ""},
  };
  // Each case follows a check condition, whose sense must not show in it.
  for (const Case& c : cases) {
    sim_->ClearFaults();
    sim_->InjectFault(kTape, check);
    EXPECT_EQ(Inquire(), -2);
    sim_->ClearFaults();
    if (c.fault.opcode >= 0) sim_->InjectFault(kTape, c.fault);
    EXPECT_EQ(Inquire(), c.result) << c.name;
    const CommandOutcome& o = SCSI.LastOutcome();
    EXPECT_EQ(o.result, c.result) << c.name;
    EXPECT_EQ(o.scsiStatus, c.scsiStatus) << c.name;
    EXPECT_EQ(o.hostStatus, c.hostStatus) << c.name;
    EXPECT_EQ(o.senseKey, c.senseKey) << c.name;
    EXPECT_EQ(o.asc, c.asc) << c.name;
    EXPECT_EQ(o.timedOut, c.timedOut) << c.name;
    EXPECT_EQ(o.bytesMoved, c.bytesMoved) << c.name;
    EXPECT_EQ(o.senseSize != 0, c.senseKey != 0) << c.name;
    EXPECT_EQ(o.scsiError[0] != '\0', c.senseKey != 0) << c.name;
    EXPECT_EQ(o.ioctlResult, 1) << c.name;
  }
  sim_->ClearFaults();
}

// The whole data buffer fits the node's reserved buffer, so no transfer
// makes the driver look for memory of its own.
TEST_F(Transport, ReservedBufferHoldsTheLargestTransfer) {
  Inquire();
  int reserved = 0;
  ASSERT_EQ(Sys().Ioctl(SCSI.Device()->handle, SG_GET_RESERVED_SIZE, &reserved), 0);
  EXPECT_EQ(reserved, static_cast<int>(kDataBufferSize));
}

// The sg reserved buffer is checked once per open node, not per command:
// a short command costs one system call.
TEST(CommandPath, ReservedBufferIsAskedOncePerNode) {
  class CountingSim : public SimSystem {
   public:
    int Ioctl(int fd, unsigned long request, void* arg) override {
      if (request == SG_GET_RESERVED_SIZE) ++reservedQueries;
      if (request == SG_IO) ++commands;
      return SimSystem::Ioctl(fd, request, arg);
    }
    int reservedQueries = 0;
    int commands = 0;
  };
  auto owned = std::make_unique<CountingSim>();
  CountingSim& sim = *owned;
  sim.AddDefaultBench();
  auto previous = InstallSystem(std::move(owned));
  SCSI.ClearScsiList();
  ASSERT_GT(SCSI.ScanDevices(1, 1, 1, 1, "/dev/sg0"), 0);
  SCSI.SetDeviceIndex(0);
  SCSI.TestUnitReady();  // opens the node and takes the unit attention
  const int queries = sim.reservedQueries;
  const int commands = sim.commands;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(SCSI.TestUnitReady(), 1);
  EXPECT_EQ(sim.commands - commands, 5);
  EXPECT_EQ(sim.reservedQueries, queries);
  SCSI.ClearScsiList();
  InstallSystem(std::move(previous));
}

TEST(Shims, UnknownControlCodeIsRefused) {
  for (unsigned long code : {2ul, 17ul}) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(DeviceIoControl(3, code, nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Unknown dwIoControlCode");
  }
  EXPECT_EQ(DeviceIoControl(0, SCSI_IO_PASS_THROUGH, nullptr, 0, nullptr, 0), -1);
  EXPECT_EQ(DeviceIoControl(5, SCSI_IO_RESCAN_BUS, nullptr, 0, nullptr, 0), 1);
  EXPECT_EQ(CloseHandle(0), 0);
}

}  // namespace
