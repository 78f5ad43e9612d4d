#include "frontend/tape_node.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "frontend/console_streams.h"
#include "frontend/sysfs_listing.h"

namespace {

// The node's own name: a link is followed when it exists.
std::string NodeName(const char* device) {
  std::string path = device;
  char resolved[PATH_MAX];
  if (::realpath(device, resolved) != nullptr) path = resolved;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// st<N> or nst<N>, with an optional mode letter l, m or a.
bool IsTapeName(const std::string& name) {
  size_t at = name.rfind("nst", 0) == 0 ? 3 : name.rfind("st", 0) == 0 ? 2 : 0;
  if (at == 0) return false;
  const size_t digits = at;
  while (at < name.size() && name[at] >= '0' && name[at] <= '9') ++at;
  if (at == digits) return false;
  if (at < name.size() && (name[at] == 'l' || name[at] == 'm' || name[at] == 'a')) ++at;
  return at == name.size();
}

}  // namespace

bool IsTapeNode(const char* device) { return device != nullptr && IsTapeName(NodeName(device)); }

std::string SgNodeOfTapeNode(const char* device, const char* root) {
  if (!IsTapeNode(device)) return "";
  // The unit's device folder holds scsi_generic/sgN beside the tape nodes.
  const std::vector<std::string> nodes =
      ScsiGenericNodesIn((std::string(root) + "/" + NodeName(device) + "/device/scsi_generic").c_str());
  return nodes.empty() ? "" : "/dev/" + nodes.front();
}

TapeNames TapeNamesOfSgNode(const std::string& sg_node, const char* sys_root, const char* dev_root) {
  TapeNames names;
  const std::string sg = NodeName(sg_node.c_str());
  // The unit's device folder holds scsi_tape/stN and scsi_tape/nstN.
  const std::string folder = std::string(sys_root) + "/" + sg + "/device/scsi_tape";
  if (DIR* dir = ::opendir(folder.c_str())) {
    for (const dirent* e = ::readdir(dir); e != nullptr; e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (!IsTapeName(name) || !std::isdigit(static_cast<unsigned char>(name.back()))) continue;  // no mode letter
      (name[0] == 'n' ? names.nst : names.st) = std::string(dev_root) + "/" + name;
    }
    ::closedir(dir);
  }
  if (names.st.empty() && names.nst.empty()) return names;
  const std::string by_id = std::string(dev_root) + "/tape/by-id";
  if (DIR* dir = ::opendir(by_id.c_str())) {
    std::vector<std::string> links;
    for (const dirent* e = ::readdir(dir); e != nullptr; e = ::readdir(dir)) {
      if (e->d_name[0] == '.') continue;
      const std::string link = by_id + "/" + e->d_name;
      const std::string target = std::string(dev_root) + "/" + NodeName(link.c_str());
      if (target == names.st || target == names.nst) links.push_back(link);
    }
    ::closedir(dir);
    std::sort(links.begin(), links.end());  // the first of the same drive's links, the same every run
    if (!links.empty()) names.by_id = links.front();
  }
  return names;
}

void PrintTapeNodeHint(const char* device, bool simulated) {
  FILE* out = ErrorStream();
  std::fprintf(out,
               "%s is a node of the tape driver; Vexil talks to a drive through its SCSI generic node (/dev/sgN).\n",
               device);
  const std::string sg = simulated ? std::string() : SgNodeOfTapeNode(device);
  if (!sg.empty()) {
    std::fprintf(out, "The SCSI generic node of this drive is %s: use -f %s\n", sg.c_str(), sg.c_str());
  } else {
    std::fprintf(out,
                 "Its SCSI generic node could not be found; run Vexil without -f to choose the drive from the list.\n");
  }
}
