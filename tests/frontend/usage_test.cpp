#include "frontend/usage.h"

#include <gtest/gtest.h>

#include <string>

#include "frontend/wizard_flags.h"

namespace {

const std::string kRule(67, '=');

std::string Help(int vendor) {
  WIZARD_FLAGS flags{};
  flags.Vendor = vendor;
  testing::internal::CaptureStdout();
  printhelp(flags);
  return testing::internal::GetCapturedStdout();
}

std::string Expected(const char* brand, const std::string& options, const std::string& tape) {
  return "\n" + kRule + "\n" + "Vexil is a diagnostic utility that tests whether " + brand +
         " drives\n\n"
         "are operating correctly. The following command line options are supported:\n"
         "\n"
         "Vexil     [ -help ] |                          \n"
         "          [ -version ] |                       \n" +
         options +
         "     -f -> The device to test\n"
         "     -s -> The scriptfile to execute (Automatically exits when script is completed)\n"
         "     -y -> Answer \"yes\" to all prompts\n"
         "     -u -> Firmware image file to use to upgrade the drive\n\n" +
         tape +
         "     -c -> Command mode.\n\n"
         "     If no options are specified on the command line, Vexil will \n"
         "     prompt for a device to be selected from a  list of known \n"
         "     devices and then prompt for a script to be run on that device.\n"
         "\n" +
         kRule + "\n";
}

TEST(Usage, TextOfEachEdition) {
  EXPECT_EQ(Help(0), Expected("Halcyon",
                              "          [ -f <device_file> ] [ -s <test_script> | -u <firmware_image> | -c |\n"
                              "            -t <firmware_image> ] [ -y ]\n\n",
                              "     -t -> Firmware image file to use to create an upgrade tape\n\n"));
  EXPECT_EQ(Help(1), Expected("Dell",
                              "          [ -f <device_file> ] [ -s <test_script> | -u <firmware_image> | -c ]\n"
                              "            [ -y ]\n\n",
                              ""));
}

// A syntax error is an error of the console: all of it on standard error.
TEST(Usage, SyntaxLineThenTheUsage) {
  const char* args[] = {"vexil", "-f"};
  const std::string usage = Help(0);
  testing::internal::CaptureStderr();
  printsyntax(WIZARD_FLAGS{}, 2, args);
  const std::string with_line = testing::internal::GetCapturedStderr();
  // The text carries its own line end; the usage opens with a blank line.
  EXPECT_EQ(with_line, "\n<vexil -f >\nVexil: You must specify a valid option!\n" + usage);

  testing::internal::CaptureStderr();
  printsyntax(WIZARD_FLAGS{}, 0, nullptr);
  const std::string without_line = testing::internal::GetCapturedStderr();
  EXPECT_EQ(without_line, "Vexil: You must specify a valid option!\n" + usage);
}

}  // namespace
