// The plugin line of `--check` and the exit status that goes with it: the
// worst state first, devices worst first, one line whatever a drive sent,
// performance data in the plugin format.
#include "frontend/check_output.h"

#include <gtest/gtest.h>

#include "frontend/health_fixture.h"

namespace {

TEST(CheckLine, StateDevicesAndPerformanceDataWithTheExitStatus) {
  using namespace fixture;
  const std::string healthy_perf =
      " HU1234567A_temperature=38 HU1234567A_write_errors_corrected=0c HU1234567A_write_errors_uncorrected=0c"
      " HU1234567A_read_errors_corrected=12c HU1234567A_read_errors_uncorrected=0c";
  struct Case {
    const char* name;
    std::vector<DeviceHealth> devices;
    std::string line;
    int exit_status;
  };
  const Case cases[] = {
      {"healthy", {HealthyDrive()}, "OK - HU1234567A: no TapeAlert |" + healthy_perf + "\n", 0},
      {"TapeAlert 3 and 20",
       {AlertingDrive()},
       "CRITICAL - HU7654321B: TapeAlert 3 Hard error, 20 Cleaning required | HU7654321B_temperature=38"
       " HU7654321B_write_errors_corrected=0c HU7654321B_write_errors_uncorrected=2c"
       " HU7654321B_read_errors_corrected=12c HU7654321B_read_errors_uncorrected=0c\n",
       2},
      {"changer without figures", {Changer()}, "OK - DEC12345AB: no TapeAlert\n", 0},
      {"nothing read", {UnreadableDrive()}, "UNKNOWN - /dev/sg3: unreadable, No health page could be read\n", 3},
      {"unreadable beside a healthy drive",
       {HealthyDrive(), UnreadableDrive()},
       "CRITICAL - /dev/sg3: unreadable, No health page could be read; HU1234567A: no TapeAlert |" + healthy_perf +
           "\n",
       2},
      {"worst first",
       {HealthyDrive(), DriveWithCartridge(), AlertingDrive()},
       "CRITICAL - HU7654321B: TapeAlert 3 Hard error, 20 Cleaning required; 1097000042: Temperature 53 C, near the "
       "reference 55 C; HU1234567A: no TapeAlert | HU7654321B_temperature=38 HU7654321B_write_errors_corrected=0c "
       "HU7654321B_write_errors_uncorrected=2c HU7654321B_read_errors_corrected=12c "
       "HU7654321B_read_errors_uncorrected=0c 1097000042_temperature=53 1097000042_write_errors_corrected=0c "
       "1097000042_write_errors_uncorrected=0c 1097000042_read_errors_corrected=12c "
       "1097000042_read_errors_uncorrected=0c" +
           healthy_perf + "\n",
       2},
      {"hostile texts stay on one line before the bar",
       {HostileDrive()},
       "WARNING - SN??\xff: TapeAlert 21 Clean \"periodic\"?\xed\xa0\x80\n",
       1},
      {"no device", {}, "UNKNOWN - no tape drive or changer found\n", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HealthRun run = RunOf(c.devices);
    EXPECT_EQ(CheckLine(run), c.line);
    EXPECT_EQ(run.ExitStatus(), c.exit_status);
  }
}

}  // namespace
