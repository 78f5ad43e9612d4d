// The image path prompt of the firmware flows: quotes dropped, each answer
// replacing the last whole, over-long paths refused, the end of input; the
// tape requests only on the drives that offer them, failures in words.
#include "frontend/firmware_flows.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/system.h"
#include "device/scsi_int.h"
#include "facade/scsi_wrapper.h"
#include "frontend/console_state.h"
#include "sim/sim.h"

namespace {

class ImagePathPrompt : public ::testing::Test {
 protected:
  void SetUp() override {
    auto sim = std::make_unique<SimSystem>();
    SimDeviceConfig c;
    c.node = "/dev/sg5";
    c.product = "ULTRIUM 3";
    c.medium_loaded = false;
    sim->AddDevice(c);
    sim_ = sim.get();
    previous_ = InstallSystem(std::move(sim));
    console_.facade = std::make_unique<ScsiWrapper>();
    ASSERT_EQ(console_.facade->InitScsiDll("/dev/sg5"), 1);
    console_.facade->SetDeviceSelected(0);
    // A name of this process's own: test runs of other trees share /tmp.
    image_ = ::testing::TempDir() + "fw_prompt_" + std::to_string(::getpid()) + ".bin";
    WriteImage("N3W1");
  }

  // 20,000 bytes naming `revision`: each update must bring a new one.
  void WriteImage(const char* revision) {
    std::FILE* f = std::fopen(image_.c_str(), "wb");
    std::fprintf(f, "FWREV=%s", revision);
    for (int i = 10; i < 20000; ++i) std::fputc(i & 0xFF, f);
    std::fclose(f);
  }
  void TearDown() override {
    std::remove(image_.c_str());
    console_.facade.reset();
    SCSI.ClearScsiList();
    InstallSystem(std::move(previous_));
  }

  // The wizard empties the path before each firmware choice.
  bool UpdateTyping(const std::string& input, std::string* out = nullptr) {
    console_.flags.FirmwareFile[0] = '\0';
    return Typing([](ConsoleState& c) { return do_fup(c, false); }, input, out);
  }

  // A flow run with `input` as what the user types; its output into *out.
  bool Typing(bool (*flow)(ConsoleState&), const std::string& input, std::string* out) {
    FILE* feed = std::tmpfile();
    std::fputs(input.c_str(), feed);
    std::rewind(feed);
    FILE* saved = stdin;
    stdin = feed;
    testing::internal::CaptureStdout();
    const bool done = flow(console_);
    const std::string text = testing::internal::GetCapturedStdout();
    if (out != nullptr) *out = text;
    stdin = saved;
    std::fclose(feed);
    return done;
  }

  ConsoleState console_;
  std::string image_;
  SimSystem* sim_ = nullptr;

 private:
  std::unique_ptr<System> previous_;
};

TEST_F(ImagePathPrompt, QuotesAroundTheTypedPathAreDropped) {
  const char* revisions[] = {"N3W1", "N3W2", "N3W3"};
  int next = 0;
  for (const std::string& typed : {"'" + image_ + "'", "\"" + image_ + "\"", image_}) {
    WriteImage(revisions[next++]);
    std::string out;
    EXPECT_TRUE(UpdateTyping("  " + typed + "\n", &out)) << out;
    EXPECT_EQ(std::string(console_.flags.FirmwareFile), image_);
    EXPECT_NE(out.find("Please enter the firmware image file path:"), std::string::npos);
  }
}

TEST_F(ImagePathPrompt, EachAnswerReplacesTheLastWhole) {
  // A long path first, then a shorter one that does not exist.
  EXPECT_TRUE(UpdateTyping(image_ + "\n"));
  std::string out;
  EXPECT_FALSE(UpdateTyping("'a.bin'\n", &out));
  EXPECT_EQ(std::string(console_.flags.FirmwareFile), "a.bin");
  EXPECT_NE(out.find("FupDrive() - Image file (a.bin) not found."), std::string::npos) << out;
  EXPECT_NE(out.find("Unable to perform FUP operation."), std::string::npos) << out;
}

TEST_F(ImagePathPrompt, OverLongPathIsAskedAgainAndTheEndOfInputGivesUp) {
  std::string out;
  EXPECT_TRUE(UpdateTyping(std::string(300, 'x') + "\n" + image_ + "\n", &out)) << out;
  EXPECT_NE(out.find("The path is too long: at most 255 characters."), std::string::npos) << out;
  EXPECT_EQ(std::string(console_.flags.FirmwareFile), image_);

  EXPECT_FALSE(UpdateTyping("", &out));
  EXPECT_EQ(out.find("Performing FUP operation..."), std::string::npos) << out;
}

TEST_F(ImagePathPrompt, TapeRequestsGoOnlyToTheDrivesThatOfferThemAndFailInWords) {
  std::string out;
  // An Ultrium 3 drive does not take the vendor page: nothing is asked or sent.
  console_.flags.DriveType = 98;
  EXPECT_FALSE(Typing(do_fup_from_tape, "y\n", &out));
  EXPECT_NE(out.find("Updating the firmware from a tape is not supported on this drive."), std::string::npos) << out;
  EXPECT_FALSE(Typing(do_revert_lto6c_fup_tape, "y\n", &out));
  EXPECT_NE(out.find("Reverting a firmware update tape is not supported on this drive."), std::string::npos) << out;
  EXPECT_EQ(out.find("Do you wish to continue?"), std::string::npos) << out;
  EXPECT_EQ(sim_->CountCommands("/dev/sg5", 0x1D), 0);

  // On a drive that offers it, a request lost in the transport says so.
  console_.flags.DriveType = 226;
  struct Case {
    const char* what;
    SimFault fault;
    const char* line;
  } cases[] = {
      {"host error", SimFault{.opcode = 0x1D, .host_status = 0x07}, "Fup from tape command failed: Device I/O error"},
      {"node gone", SimFault{.opcode = 0x1D, .ioctl_errno = 19}, "Fup from tape command failed: Device I/O error"},
      {"timeout", SimFault{.opcode = 0x1D, .delay_seconds = 400}, "Fup from tape command failed: SCSI timeout"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim_->ClearFaults();
    sim_->InjectFault("/dev/sg5", c.fault);
    EXPECT_FALSE(Typing(do_fup_from_tape, "y\n", &out));
    EXPECT_NE(out.find(c.line), std::string::npos) << out;
    EXPECT_EQ(out.find("Unknown error!"), std::string::npos) << out;
    EXPECT_NE(out.find("Unable to prepare drive to accept FUP tape."), std::string::npos) << out;
  }
}

}  // namespace
