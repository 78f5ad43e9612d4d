#include "frontend/sysfs_listing.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "frontend/peripheral_types.h"

namespace {

// First line of a small sysfs attribute, trailing blanks removed.
std::string ReadAttribute(const std::string& path) {
  std::ifstream in(path);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
    value.pop_back();
  }
  return value.empty() ? "-" : value;
}

// "host:channel:target:lun" is the name of the device link's target.
std::string Address(const std::string& device_link) {
  char target[512];
  const ssize_t length = ::readlink(device_link.c_str(), target, sizeof target - 1);
  if (length <= 0) return "?:?:?:?";
  target[length] = '\0';
  const std::string path(target);
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TypeText(const std::string& type) {
  char* end = nullptr;
  const long code = std::strtol(type.c_str(), &end, 10);
  if (end == type.c_str()) return type;
  for (const PeripheralTypeName& row : kPeripheralTypeNames) {
    if (row.code == code) return type + " (" + row.name + ")";
  }
  return type;
}

}  // namespace

std::vector<std::string> ScsiGenericNodesIn(const char* root) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(root);
  if (dir == nullptr) return names;
  while (const struct dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() > 2 && name.compare(0, 2, "sg") == 0 &&
        name.find_first_not_of("0123456789", 2) == std::string::npos) {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::atoi(a.c_str() + 2) < std::atoi(b.c_str() + 2);
  });
  return names;
}

int ListScsiGenericFromSysfs(FILE* out, const char* root) {
  std::fprintf(out, "\nSCSI generic devices listed in %s:\n", root);
  const std::vector<std::string> names = ScsiGenericNodesIn(root);
  for (const std::string& name : names) {
    const std::string device = std::string(root) + "/" + name + "/device";
    std::fprintf(out, "/dev/%-6s [%s] type %s  %s  %s  %s\n", name.c_str(), Address(device).c_str(),
                 TypeText(ReadAttribute(device + "/type")).c_str(), ReadAttribute(device + "/vendor").c_str(),
                 ReadAttribute(device + "/model").c_str(), ReadAttribute(device + "/rev").c_str());
  }
  if (names.empty()) std::fputs("(none)\n", out);
  return static_cast<int>(names.size());
}
