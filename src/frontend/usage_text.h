// The lines of the usage text around the options' own lines, which the
// option table holds (options.cpp); each is printed as one line.
#pragma once

enum class UsageEdition { kAll, kDellOnly, kOthersOnly };

struct UsageLine {
  const char* text;
  UsageEdition edition;
  bool brand;  // the line names the brand with %s
};

inline constexpr UsageLine kUsageHead[] = {
    {"\n===================================================================", UsageEdition::kAll, false},
    {"Vexil is a diagnostic utility that tests whether %s drives\n", UsageEdition::kAll, true},
    {"are operating correctly. The following command line options are supported:", UsageEdition::kAll, false},
    {"", UsageEdition::kAll, false},
    {"Vexil     [ -help ] |                          ", UsageEdition::kAll, false},
    {"          [ -version ] |                       ", UsageEdition::kAll, false},
    {"          [ -f <device_file> ] [ -s <test_script> | -u <firmware_image> | -c ]", UsageEdition::kDellOnly, false},
    {"            [ -y ]\n", UsageEdition::kDellOnly, false},
    {"          [ -f <device_file> ] [ -s <test_script> | -u <firmware_image> | -c |", UsageEdition::kOthersOnly,
     false},
    {"            -t <firmware_image> ] [ -y ]\n", UsageEdition::kOthersOnly, false},
};

inline constexpr UsageLine kUsageTail[] = {
    {"     If no options are specified on the command line, Vexil will ", UsageEdition::kAll, false},
    {"     prompt for a device to be selected from a  list of known ", UsageEdition::kAll, false},
    {"     devices and then prompt for a script to be run on that device.", UsageEdition::kAll, false},
    {"", UsageEdition::kAll, false},
    {"===================================================================", UsageEdition::kAll, false},
};
