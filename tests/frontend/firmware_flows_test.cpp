// The image path prompt of the firmware flows: quotes dropped, each answer
// replacing the last whole, over-long paths refused, the end of input.
#include "frontend/firmware_flows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "device/scsi_int.h"
#include "device/system.h"
#include "facade/scsi_wrapper.h"
#include "frontend/globals.h"
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
    previous_ = InstallSystem(std::move(sim));
    g_pScsiWrapper = std::make_unique<ScsiWrapper>();
    ASSERT_EQ(g_pScsiWrapper->InitScsiDll("/dev/sg5"), 1);
    g_pScsiWrapper->SetDeviceSelected(0);
    image_ = ::testing::TempDir() + "fw_prompt.bin";
    std::FILE* f = std::fopen(image_.c_str(), "wb");
    for (int i = 0; i < 20000; ++i) std::fputc(i & 0xFF, f);
    std::fclose(f);
  }
  void TearDown() override {
    std::remove(image_.c_str());
    g_pScsiWrapper.reset();
    SCSI.ClearScsiList();
    InstallSystem(std::move(previous_));
  }

  // The wizard empties the path before each firmware choice.
  bool UpdateTyping(const std::string& input, std::string* out = nullptr) {
    g_pFlags.FirmwareFile[0] = '\0';
    FILE* feed = std::tmpfile();
    std::fputs(input.c_str(), feed);
    std::rewind(feed);
    FILE* saved = stdin;
    stdin = feed;
    testing::internal::CaptureStdout();
    const bool done = do_fup(false);
    const std::string text = testing::internal::GetCapturedStdout();
    if (out != nullptr) *out = text;
    stdin = saved;
    std::fclose(feed);
    return done;
  }

  std::string image_;

 private:
  std::unique_ptr<System> previous_;
};

TEST_F(ImagePathPrompt, QuotesAroundTheTypedPathAreDropped) {
  for (const std::string& typed : {"'" + image_ + "'", "\"" + image_ + "\"", image_}) {
    std::string out;
    EXPECT_TRUE(UpdateTyping("  " + typed + "\n", &out)) << out;
    EXPECT_EQ(std::string(g_pFlags.FirmwareFile), image_);
    EXPECT_NE(out.find("Please enter the firmware image file path:"), std::string::npos);
  }
}

TEST_F(ImagePathPrompt, EachAnswerReplacesTheLastWhole) {
  // A long path first, then a shorter one that does not exist.
  EXPECT_TRUE(UpdateTyping(image_ + "\n"));
  std::string out;
  EXPECT_FALSE(UpdateTyping("'a.bin'\n", &out));
  EXPECT_EQ(std::string(g_pFlags.FirmwareFile), "a.bin");
  EXPECT_NE(out.find("FupDrive() - Image file (a.bin) not found."), std::string::npos) << out;
  EXPECT_NE(out.find("Unable to perform FUP operation."), std::string::npos) << out;
}

TEST_F(ImagePathPrompt, OverLongPathIsAskedAgainAndTheEndOfInputGivesUp) {
  std::string out;
  EXPECT_TRUE(UpdateTyping(std::string(300, 'x') + "\n" + image_ + "\n", &out)) << out;
  EXPECT_NE(out.find("The path is too long: at most 255 characters."), std::string::npos) << out;
  EXPECT_EQ(std::string(g_pFlags.FirmwareFile), image_);

  EXPECT_FALSE(UpdateTyping("", &out));
  EXPECT_EQ(out.find("Performing FUP operation..."), std::string::npos) << out;
}

}  // namespace
