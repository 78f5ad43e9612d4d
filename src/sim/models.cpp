// The product-id rules of the virtual devices' model lines, all of them.
#include "sim/models.h"

#include <initializer_list>
#include <string>

namespace {

bool Names(const std::string& product, std::initializer_list<const char*> marks) {
  for (const char* mark : marks) {
    if (product.find(mark) != std::string::npos) return true;
  }
  return false;
}

// The format a drive writes: the first mark found in its product id wins.
struct DensityMark {
  const char* mark;
  uint8_t density;
};
constexpr DensityMark kDensityMarks[] = {
    {"DAT320", 0x49}, {"DAT160", 0x48}, {"DAT72", 0x47}, {"DDS4", 0x26}, {"HH8", 0x5E}, {"HH7", 0x5C},
    {"HH6", 0x5A},    {"HH5", 0x58},    {"HH4", 0x46},   {"8", 0x5E},    {"7", 0x5C},   {"6", 0x5A},
    {"5", 0x58},      {"4", 0x46},      {"3", 0x44},     {"2", 0x42},    {"1", 0x40},
};

constexpr uint8_t kVendorParameterPage = 0x3E;
constexpr uint8_t kOlderParameterPage = 0x30;  // ZEP1 and WN80 drives take their parameters here

}  // namespace

SimModel ModelOf(const SimDeviceConfig& c) {
  SimModel m;
  const std::string& p = c.product;
  m.lto = Names(p, {"ULTRIUM", "RAVEN"});
  m.dat = Names(p, {"DAT", "DDS"});
  m.dat_commands = m.dat || (c.type == SimDeviceType::kTape && c.vendor == "HP");
  for (const DensityMark& d : kDensityMarks) {
    if (p.find(d.mark) != std::string::npos) {
      m.density = d.density;
      break;
    }
  }
  // A device of another maker has no settings page of this maker's.
  m.parameter_page = c.standard_only              ? kNoModePage
                     : Names(p, {"ZEP1", "WN80"}) ? kOlderParameterPage
                                                  : kVendorParameterPage;
  return m;
}
