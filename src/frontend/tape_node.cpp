#include "frontend/tape_node.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "frontend/console_streams.h"
#include "frontend/globals.h"
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

void PrintTapeNodeHint(const char* device) {
  FILE* out = ErrorStream();
  std::fprintf(out,
               "%s is a node of the tape driver; Vexil talks to a drive through its SCSI generic node (/dev/sgN).\n",
               device);
  const std::string sg = g_SimulatedSystem ? std::string() : SgNodeOfTapeNode(device);
  if (!sg.empty()) {
    std::fprintf(out, "The SCSI generic node of this drive is %s: use -f %s\n", sg.c_str(), sg.c_str());
  } else {
    std::fprintf(out,
                 "Its SCSI generic node could not be found; run Vexil without -f to choose the drive from the list.\n");
  }
}
