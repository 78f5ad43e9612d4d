// SimSystem: the sg driver's side of the seam (nodes, descriptors, ioctls),
// the virtual clock, the injected faults and the command record.
#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/select.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "sim/event_log.h"
#include "sim/handlers.h"
#include "sim/shell.h"
#include "sim/sim.h"
#include "sim/sim_device.h"

namespace {

constexpr int kDefaultReserved = 32768;
constexpr int kMaxReserved = 4 << 20;
constexpr size_t kCommandsKept = 20000;
constexpr size_t kDataOutKept = 64 * 1024;
constexpr size_t kWriteDataKept = 512;  // of tape data: throughput runs write a lot
constexpr unsigned short kDriverSense = 0x08;
constexpr unsigned char kCheckCondition = 0x02;

struct timeval Plus(struct timeval t, int64_t microseconds) {
  int64_t us = int64_t{t.tv_sec} * 1000000 + t.tv_usec + microseconds;
  return {static_cast<time_t>(us / 1000000), static_cast<suseconds_t>(us % 1000000)};
}

int64_t Micros(const struct timeval& t) { return int64_t{t.tv_sec} * 1000000 + t.tv_usec; }

bool ValidNode(const std::string& node) {
  static const std::string kPrefix = "/dev/sg";
  if (node.compare(0, kPrefix.size(), kPrefix) != 0 || node.size() == kPrefix.size()) return false;
  const std::string number = node.substr(kPrefix.size());
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (number.size() > 2 || !std::all_of(number.begin(), number.end(), digit)) return false;
  if (number.size() == 2 && number[0] == '0') return false;
  return std::stoi(number) <= 15;
}

int Fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

struct SimSystem::Impl : SimBench {
  struct OpenFile {
    std::string node;
    int device_id;
    int generation;
    int flags;
    int reserved = kDefaultReserved;
  };

  bool real_clock = false;
  struct timeval created {};
  int64_t offset_us = 0;  // virtual time added to the start (or to the real clock)
  std::vector<std::unique_ptr<SimDevice>> devices;
  std::set<std::string> unreadable;
  std::map<std::string, std::vector<SimFault>> faults;
  std::map<int, OpenFile> files;
  int next_fd = 3;
  int next_id = 1;
  std::vector<SimCommand> commands;
  uid_t uid = 0;
  bool may_be_root = true;

  struct timeval Now() override {
    struct timeval base = created;
    if (real_clock) gettimeofday(&base, nullptr);
    return Plus(base, offset_us);
  }

  void Sleep(int64_t microseconds) {
    if (microseconds <= 0) return;
    if (real_clock) {
      struct timeval tv = Plus({0, 0}, microseconds);
      ::select(0, nullptr, nullptr, nullptr, &tv);
    } else {
      offset_us += microseconds;
    }
  }

  SimDevice* ById(int id) {
    for (auto& d : devices) {
      if (d->id == id) return d.get();
    }
    return nullptr;
  }

  // The device that owns a node name (present or restarting).
  SimDevice* AtNode(const std::string& node) {
    for (auto& d : devices) {
      if (d->config.node == node) return d.get();
    }
    return nullptr;
  }

  bool Present(SimDevice* d) {
    if (!d) return false;
    if (d->away) {
      struct timeval now = Now();
      if (timercmp(&now, &d->away_until, <)) return false;
      d->away = false;
    }
    return true;
  }

  // Time-driven changes: downloads that complete by themselves.
  void Refresh() {
    for (auto& d : devices) {
      struct timeval at {};
      if (!d->away && IdleActivationDue(*d, Now(), &at)) ActivateIdle(*d, at);
    }
  }

  SimDevice* DriveOf(const SimDevice& changer) override {
    for (auto& d : devices) {
      const SimDeviceConfig &a = d->config, &c = changer.config;
      if (d->IsTape() && a.host == c.host && a.channel == c.channel && a.target == c.target) return d.get();
    }
    return nullptr;
  }

  std::vector<int> LunsAt(const SimDevice& device) override {
    std::vector<int> luns;
    for (auto& d : devices) {
      const SimDeviceConfig &a = d->config, &c = device.config;
      if (a.host == c.host && a.channel == c.channel && a.target == c.target) luns.push_back(a.lun);
    }
    std::sort(luns.begin(), luns.end());
    return luns;
  }

  void Restart(SimDevice& d, const struct timeval& at) override {
    d.away = true;
    d.away_until = Plus(at, int64_t{d.config.reset_seconds} * 1000000);
    ++d.generation;
    d.Reset();
    const std::string& next = d.config.reappear_node;
    if (!next.empty() && ValidNode(next) && !AtNode(next)) d.config.node = next;
  }

  // The first fault on `node` that hits this request; counts it.
  std::optional<SimFault> TakeFault(const std::string& node, unsigned long request, int opcode) {
    auto it = faults.find(node);
    if (it == faults.end()) return std::nullopt;
    std::vector<SimFault>& list = it->second;
    for (size_t i = 0; i < list.size(); ++i) {
      SimFault& f = list[i];
      const unsigned long wanted = f.request == 0 ? static_cast<unsigned long>(SG_IO) : f.request;
      if (wanted != request) continue;
      if (request == SG_IO && f.opcode >= 0 && f.opcode != opcode) continue;
      if (f.skip > 0) {
        --f.skip;
        continue;
      }
      SimFault hit = f;
      if (f.count > 0 && --f.count == 0) list.erase(list.begin() + static_cast<long>(i));
      return hit;
    }
    return std::nullopt;
  }

  void Record(const std::string& node, std::span<const uint8_t> cdb, std::span<const uint8_t> out,
              const sg_io_hdr_t& h) {
    if (commands.size() >= kCommandsKept) commands.erase(commands.begin(), commands.begin() + kCommandsKept / 2);
    SimCommand c;
    c.node = node;
    c.cdb.assign(cdb.begin(), cdb.end());
    const bool tape_data = !cdb.empty() && (cdb[0] == 0x0A || cdb[0] == 0x2A);
    const size_t kept = std::min(out.size(), tape_data ? kWriteDataKept : kDataOutKept);
    c.data_out.assign(out.begin(), out.begin() + static_cast<long>(kept));
    c.at = Now();
    c.direction = h.dxfer_direction;
    c.transfer_length = h.dxfer_len;
    c.timeout_ms = h.timeout;
    commands.push_back(std::move(c));
  }

  int SgIo(OpenFile& file, SimDevice& d, sg_io_hdr_t& h, const std::optional<SimFault>& fault);
};

int SimSystem::Impl::SgIo(OpenFile& file, SimDevice& d, sg_io_hdr_t& h, const std::optional<SimFault>& fault) {
  if (h.interface_id != 'S') return Fail(ENOSYS);
  if (!h.cmdp || h.cmd_len < 6 || h.cmd_len > 16) return Fail(EINVAL);
  if (h.dxfer_len > 0 && !h.dxferp && h.dxfer_direction != SG_DXFER_NONE) return Fail(EFAULT);
  const bool data_in = h.dxfer_direction == SG_DXFER_FROM_DEV || h.dxfer_direction == SG_DXFER_TO_FROM_DEV;
  const bool data_out = h.dxfer_direction == SG_DXFER_TO_DEV;
  const auto* bytes = static_cast<const uint8_t*>(h.dxferp);

  SimRequest request;
  request.cdb = {h.cmdp, h.cmd_len};
  if (data_out) request.data_out = {bytes, h.dxfer_len};
  request.data_in_max = data_in ? h.dxfer_len : 0;
  Record(file.node, request.cdb, request.data_out, h);

  h.status = h.masked_status = h.msg_status = 0;
  h.host_status = h.driver_status = 0;
  h.sb_len_wr = 0;
  h.resid = static_cast<int>(h.dxfer_len);
  h.info = SG_INFO_OK;
  h.duration = 0;

  int64_t micros = fault ? int64_t{fault->delay_seconds} * 1000000 : 0;
  SimReply reply;
  const bool transport_only = fault && (fault->host_status || fault->driver_status) && !fault->check;
  if (transport_only) {
    // The command never reached the drive.
  } else if (fault && fault->drop && !fault->check) {
    // Acknowledged and forgotten: a lost write, a move never made.
  } else if (fault && fault->check) {
    reply.check = true;
    reply.sense = d.MakeSense(fault->key, fault->asc, fault->ascq);
    d.deferred_sense = reply.sense;
    AppendFaultPacket(d, request.cdb[0], fault->key, fault->asc, fault->ascq);  // the drive logs it
  } else {
    d.Execute(request, reply);
  }
  micros += int64_t{reply.seconds} * 1000000;
  if (!real_clock) micros += reply.data_microseconds;
  Sleep(micros);
  h.duration = static_cast<unsigned>(micros / 1000);

  if (data_in && !transport_only) {
    size_t n = std::min<size_t>(reply.data.size(), h.dxfer_len);
    if (fault && fault->data_length >= 0) n = std::min<size_t>(n, static_cast<size_t>(fault->data_length));
    if (fault && fault->garbage) {
      // Noise over the whole buffer, whatever the length fields claim.
      uint32_t x = static_cast<uint32_t>(commands.size()) * 2654435761u;
      reply.data.resize(h.dxfer_len);
      for (auto& b : reply.data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
      }
      n = h.dxfer_len;
    }
    if (fault && fault->corrupt_offset >= 0 && static_cast<size_t>(fault->corrupt_offset) < n)
      reply.data[static_cast<size_t>(fault->corrupt_offset)] ^= 0xFF;
    if (n > 0) std::memcpy(h.dxferp, reply.data.data(), n);
    h.resid = static_cast<int>(h.dxfer_len - n);
  } else if (!transport_only) {
    h.resid = 0;
  }

  if (reply.check) {
    h.status = kCheckCondition;
    h.masked_status = kCheckCondition >> 1;
    h.info |= SG_INFO_CHECK;
    std::vector<uint8_t> sense = reply.sense;
    if (fault && fault->vendor_code_set && sense.size() >= 12) {
      for (size_t i = 0; i < 4; ++i) sense[8 + i] = static_cast<uint8_t>(fault->vendor_code >> (8 * i));
    }
    if (fault && fault->descriptor_sense) sense = ToDescriptorSense(sense);
    if (fault && fault->sense_length >= 0) sense.resize(std::min(sense.size(), size_t(fault->sense_length)));
    if (!(fault && fault->withhold_sense) && !sense.empty()) {
      const size_t n = std::min<size_t>(sense.size(), h.mx_sb_len);
      if (h.sbp && n > 0) std::memcpy(h.sbp, sense.data(), n);
      h.sb_len_wr = static_cast<unsigned char>(h.sbp ? n : 0);
      h.driver_status = kDriverSense;
    }
  }
  if (reply.host_status) h.host_status = reply.host_status;
  if (fault) {
    if (fault->host_status) h.host_status = static_cast<unsigned short>(fault->host_status);
    if (fault->driver_status) h.driver_status = static_cast<unsigned short>(fault->driver_status);
  }
  if (h.host_status || (h.driver_status & ~kDriverSense)) h.info |= SG_INFO_CHECK;
  return 0;
}

SimSystem::SimSystem(bool real_clock) : impl_(std::make_unique<Impl>()) {
  impl_->real_clock = real_clock;
  gettimeofday(&impl_->created, nullptr);
}

SimSystem::~SimSystem() = default;

int SimSystem::Open(const char* path, int flags) {
  impl_->Refresh();
  const std::string node = path ? path : "";
  SimDevice* d = impl_->AtNode(node);
  if (!impl_->Present(d)) return Fail(ENOENT);
  if (impl_->unreadable.count(node)) return Fail(EACCES);
  if (auto fault = impl_->TakeFault(node, kSimOpenRequest, -1)) {
    return Fail(fault->ioctl_errno ? fault->ioctl_errno : EIO);
  }
  int fd = impl_->next_fd++;
  if (fd == 32) fd = impl_->next_fd++;  // callers treat 32 as a failed open
  impl_->files[fd] = Impl::OpenFile{node, d->id, d->generation, flags};
  return fd;
}

int SimSystem::Fcntl(int fd, int cmd, long arg) {
  auto it = impl_->files.find(fd);
  if (it == impl_->files.end()) return Fail(EBADF);
  switch (cmd) {
    case F_GETFL:
      return it->second.flags;
    case F_SETFL:
      it->second.flags = (it->second.flags & O_ACCMODE) | (static_cast<int>(arg) & ~O_ACCMODE);
      return 0;
    case F_GETFD:
    case F_SETFD:
      return 0;
    default:
      return Fail(EINVAL);
  }
}

int SimSystem::Ioctl(int fd, unsigned long request, void* arg) {
  impl_->Refresh();
  auto it = impl_->files.find(fd);
  if (it == impl_->files.end()) return Fail(EBADF);
  Impl::OpenFile& file = it->second;
  SimDevice* d = impl_->ById(file.device_id);
  if (!d || d->generation != file.generation || !impl_->Present(d)) return Fail(ENODEV);
  if (!arg) return Fail(EFAULT);
  int opcode = -1;
  if (request == SG_IO) {
    const auto* h = static_cast<const sg_io_hdr_t*>(arg);
    if (h->cmdp && h->cmd_len > 0) opcode = h->cmdp[0];
  }
  std::optional<SimFault> fault = impl_->TakeFault(file.node, request, opcode);
  if (fault && fault->ioctl_errno) {
    impl_->Sleep(int64_t{fault->delay_seconds} * 1000000);
    return Fail(fault->ioctl_errno);
  }
  switch (request) {
    case SG_IO:
      return impl_->SgIo(file, *d, *static_cast<sg_io_hdr_t*>(arg), fault);
    case SG_GET_RESERVED_SIZE:
      *static_cast<int*>(arg) = file.reserved;
      return 0;
    case SG_SET_RESERVED_SIZE: {
      const int wanted = *static_cast<int*>(arg);
      if (wanted < 0) return Fail(EINVAL);
      file.reserved = std::min(wanted, kMaxReserved);
      return 0;
    }
    case SCSI_IOCTL_GET_IDLUN: {
      const SimDeviceConfig& c = d->config;
      int* id = static_cast<int*>(arg);
      id[0] = (c.target & 0xFF) | ((c.lun & 0xFF) << 8) | ((c.channel & 0xFF) << 16) | ((c.host & 0xFF) << 24);
      id[1] = c.host + 1;  // host unique id
      return 0;
    }
    case SCSI_IOCTL_GET_BUS_NUMBER:
      *static_cast<int*>(arg) = d->config.host;
      return 0;
    case SG_GET_VERSION_NUM:
      *static_cast<int*>(arg) = 30536;
      return 0;
    default:
      return Fail(EINVAL);
  }
}

int SimSystem::Close(int fd) {
  if (impl_->files.erase(fd) == 0) return Fail(EBADF);
  return 0;
}

struct timeval SimSystem::Now() {
  return impl_->Now();
}

void SimSystem::Wait(long seconds, long microseconds) { impl_->Sleep(int64_t{seconds} * 1000000 + microseconds); }

int SimSystem::SetUid(uid_t uid) {
  if (uid == 0 && !impl_->may_be_root) return Fail(EPERM);
  impl_->uid = uid;
  return 0;
}

uid_t SimSystem::GetUid() { return impl_->uid; }

int SimSystem::Shell(const char* command) {
  impl_->Refresh();
  std::vector<SimNodeView> nodes;
  for (auto& d : impl_->devices) {
    if (impl_->Present(d.get())) {
      nodes.push_back({d->config.node, d.get(), impl_->unreadable.count(d->config.node) > 0});
    }
  }
  return SimShell(command ? command : "", nodes, impl_->created.tv_sec);
}

bool SimSystem::AddDevice(const SimDeviceConfig& config, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (!ValidNode(config.node)) return fail("not a device node: " + config.node);
  if (impl_->AtNode(config.node)) return fail("node already in use: " + config.node);
  if (config.host < 0 || config.host > 255 || config.channel < 0 || config.channel > 255 || config.target < 0 ||
      config.target > 255 || config.lun < 0 || config.lun > 255) {
    return fail("address out of range for " + config.node);
  }
  if (!config.reappear_node.empty() && !ValidNode(config.reappear_node)) {
    return fail("not a device node: " + config.reappear_node);
  }
  impl_->devices.push_back(std::make_unique<SimDevice>(config, impl_.get(), impl_->next_id++));
  return true;
}

void SimSystem::RemoveDevice(const std::string& node) {
  auto& list = impl_->devices;
  list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& d) { return d->config.node == node; }),
             list.end());
}

void SimSystem::SetUnreadable(const std::string& node, bool on) {
  if (on) {
    impl_->unreadable.insert(node);
  } else {
    impl_->unreadable.erase(node);
  }
}

void SimSystem::InjectFault(const std::string& node, const SimFault& fault) {
  if (fault.count != 0) impl_->faults[node].push_back(fault);
}

void SimSystem::ClearFaults(const std::string& node) {
  if (node.empty()) {
    impl_->faults.clear();
  } else {
    impl_->faults.erase(node);
  }
}

void SimSystem::SetUser(uid_t uid) {
  impl_->uid = uid;
  impl_->may_be_root = uid == 0;
}

void SimSystem::UseRealClock(bool on) {
  if (on == impl_->real_clock) return;
  // Keep Now() continuous across the switch.
  struct timeval before = impl_->Now();
  impl_->real_clock = on;
  impl_->offset_us = 0;
  impl_->offset_us = Micros(before) - Micros(impl_->Now());
}

bool SimSystem::RealClock() const { return impl_->real_clock; }

void SimSystem::Advance(long seconds, long microseconds) {
  impl_->offset_us += int64_t{seconds} * 1000000 + microseconds;
}

double SimSystem::Elapsed() { return static_cast<double>(Micros(impl_->Now()) - Micros(impl_->created)) / 1e6; }

const std::vector<SimCommand>& SimSystem::Commands() const { return impl_->commands; }

void SimSystem::ClearCommands() { impl_->commands.clear(); }

int SimSystem::CountCommands(const std::string& node, int opcode) const {
  return static_cast<int>(std::count_if(impl_->commands.begin(), impl_->commands.end(), [&](const SimCommand& c) {
    return c.node == node && !c.cdb.empty() && c.cdb[0] == opcode;
  }));
}

bool SimSystem::IsPresent(const std::string& node) {
  impl_->Refresh();
  return impl_->Present(impl_->AtNode(node));
}

int SimSystem::OpenDescriptors() const { return static_cast<int>(impl_->files.size()); }

SimDevice* SimSystem::Device(const std::string& node) { return impl_->AtNode(node); }

std::string SimSystem::Revision(const std::string& node) const {
  SimDevice* d = impl_->AtNode(node);
  return d ? d->config.revision : "";
}

std::string SimSystem::Serial(const std::string& node) const {
  SimDevice* d = impl_->AtNode(node);
  return d ? d->config.serial : "";
}

bool SimSystem::MediumLoaded(const std::string& node) const {
  SimDevice* d = impl_->AtNode(node);
  return d && d->config.medium_loaded;
}

void SimSystem::SetMedium(const std::string& node, bool loaded) {
  if (SimDevice* d = impl_->AtNode(node)) {
    d->config.medium_loaded = loaded;
    d->cartridge_in_throat = false;
    d->position = 0;
  }
}

void SimSystem::PowerOnReset(const std::string& node) {
  if (SimDevice* d = impl_->AtNode(node)) d->Reset();
}

std::vector<uint8_t> SimSystem::FirmwareImage(const std::string& node) const {
  SimDevice* d = impl_->AtNode(node);
  return d ? d->last_image : std::vector<uint8_t>{};
}

std::vector<uint8_t> SimSystem::TraceBuffer(const std::string& node) const {
  SimDevice* d = impl_->AtNode(node);
  return d ? d->trace : std::vector<uint8_t>{};
}

void SimSystem::SetTapeAlerts(const std::string& node, const std::vector<int>& flags) {
  if (SimDevice* d = impl_->AtNode(node)) d->tape_alerts = flags;
}
