// Virtual tape drives, autoloaders and disks behind the OS seam.
//
// SimSystem stands in for the kernel's sg driver and for the drives behind
// it: the nodes /dev/sg0../dev/sg15, the sg ioctls, the shell commands the
// console runs for its diagnostics, and a clock that only moves when someone
// waits or a command takes time, so long waits cost nothing in tests.
//
// Selection at start-up: VEXIL_SIM=1 gives the default bench, any other value
// names a bench file (its line format is described in bench_file.cpp and in
// the README).
#pragma once

#include <sys/time.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/system.h"

// Peripheral device types as INQUIRY byte 0 reports them.
enum class SimDeviceType : uint8_t { kDisk = 0, kTape = 1, kChanger = 8 };

// Everything that describes one virtual device when it is added to a bench.
struct SimDeviceConfig {
  std::string node;  // "/dev/sg0" .. "/dev/sg15"
  SimDeviceType type = SimDeviceType::kTape;
  int host = 0, channel = 0, target = 0, lun = 0;
  std::string vendor = "HALCYON";       // cut/padded to 8
  std::string product = "ULTRIUM-HH6";  // cut/padded to 16
  std::string revision = "J5A1";        // cut/padded to 4
  std::string serial = "HU1234567A";
  bool sas = false;           // protocol identifier 6 in mode page 18h
  bool medium_loaded = true;  // tape drives: a cartridge is in the drive
  uint8_t family_nibble = 0;  // INQUIRY byte 36, upper four bits
  char personality = '0';     // INQUIRY byte 41 (personality character)
  int slots = 8;              // changers: storage elements
  // Another maker's device: it answers the published command sets only and
  // refuses what this maker's own devices add (vendor VPD, log, mode and
  // diagnostic pages, vendor buffers, the upgrade-tape command).
  bool standard_only = false;
  // Firmware download: the revision reported after the reset (empty: keep
  // the old one unless the image names one), the node the device comes back
  // under (empty: the same node) and how long it stays away.
  std::string next_revision{};
  std::string reappear_node{};
  long reset_seconds = 30;
  // The last download piece fails with a transport error (host status) as
  // some drives do when they restart before the status phase.
  bool reset_drops_last_status = false;
  // Standard pages and commands a tape drive may lack: log pages it does
  // not have (older drives report TapeAlert in page 2Eh only, without 12h
  // or 14h), and the cartridge memory commands READ and WRITE ATTRIBUTE.
  std::vector<uint8_t> missing_log_pages{};
  bool mam = true;
};

// SimFault::request value for a fault that hits Open of the node.
inline constexpr unsigned long kSimOpenRequest = ~0ul;

// One injected fault. A fault hits commands on one node; `opcode` narrows it
// to one operation code (-1: every command) and `count` to a number of hits
// (-1: always). The effects may be combined.
struct SimFault {
  int opcode = -1;
  int count = -1;
  // Which ioctl request the fault hits; SG_IO faults also look at opcode.
  unsigned long request = 0;  // 0 means SG_IO; kSimOpenRequest: Open

  // Check condition with this sense.
  bool check = false;
  uint8_t key = 0, asc = 0, ascq = 0;
  bool withhold_sense = false;    // sb_len_wr 0: the caller has to REQUEST SENSE
  bool descriptor_sense = false;  // response code 72h instead of 70h
  int sense_length = -1;          // >=0: only that many sense bytes reach the caller

  // The command takes this long (the clock moves) and then completes; the
  // request's own timeout is left to the caller to judge.
  long delay_seconds = 0;
  int host_status = 0;  // transport errors
  int driver_status = 0;
  int ioctl_errno = 0;  // the ioctl itself fails with this errno

  int data_length = -1;  // >=0: data-in cut to this many bytes (0: no data)
  bool garbage = false;  // data-in bytes replaced by noise, lengths lying
  bool drop = false;     // good status, but the drive does not carry the command out

  // Script diagnostics: the fault lets `skip` matching commands pass before
  // its first hit; `vendor_code` goes into bytes 8-11 of the sense (the
  // drive's event code, little-endian as the drives store it); a data-in byte
  // at `corrupt_offset` reads back inverted.
  int skip = 0;
  bool vendor_code_set = false;
  uint32_t vendor_code = 0;
  int corrupt_offset = -1;
};

// One command as the drive saw it (the last 20000 are kept; of data out,
// the first 64 KiB, or 512 bytes for tape writes).
struct SimCommand {
  std::string node{};
  std::vector<uint8_t> cdb;
  std::vector<uint8_t> data_out;
  struct timeval at {};
  int direction = 0;             // SG_DXFER_NONE, _TO_DEV or _FROM_DEV as sent
  uint32_t transfer_length = 0;  // dxfer_len
  uint32_t timeout_ms = 0;       // the request's own timeout
};

class SimDevice;  // one virtual device (internal)

class SimSystem : public System {
 public:
  explicit SimSystem(bool real_clock = false);
  ~SimSystem() override;
  SimSystem(const SimSystem&) = delete;
  SimSystem& operator=(const SimSystem&) = delete;

  // The OS seam.
  int Open(const char* path, int flags) override;
  int Fcntl(int fd, int cmd, long arg) override;
  int Ioctl(int fd, unsigned long request, void* arg) override;
  int Close(int fd) override;
  struct timeval Now() override;
  void Wait(long seconds, long microseconds) override;
  int SetUid(uid_t uid) override;
  uid_t GetUid() override;
  // Answers "cat /proc/scsi/scsi", "ls -l /dev/sg*", "/sbin/lsmod | grep -q sg"
  // and "/sbin/modprobe sg" from the bench; runs nothing else (127). The
  // status is encoded as system() does: WEXITSTATUS gives the exit code.
  int Shell(const char* command) override;

  // Building a bench. AddDevice fails (false, reason in *error) for a bad
  // node name or a node already in use.
  bool AddDevice(const SimDeviceConfig& config, std::string* error = nullptr);
  void AddDefaultBench();
  // Reads bench lines (the format of bench files); false with a reason
  // naming the line on the first bad one.
  bool ParseBench(const std::string& text, std::string* error);
  void RemoveDevice(const std::string& node);            // node absent
  void SetUnreadable(const std::string& node, bool on);  // open fails EACCES
  void InjectFault(const std::string& node, const SimFault& fault);
  void ClearFaults(const std::string& node = "");  // empty: every node

  // The user the process runs as; a non-root user cannot become root.
  void SetUser(uid_t uid);

  // Clock.
  void UseRealClock(bool on);
  bool RealClock() const;
  void Advance(long seconds, long microseconds = 0);
  // Seconds the virtual clock has moved since construction.
  double Elapsed();

  // Observation.
  const std::vector<SimCommand>& Commands() const;
  void ClearCommands();
  // Commands sent to one node with one opcode.
  int CountCommands(const std::string& node, int opcode) const;
  bool IsPresent(const std::string& node);  // answers on the bus right now
  int OpenDescriptors() const;

  // Device state (empty/false for an unknown node).
  std::string Revision(const std::string& node) const;
  std::string Serial(const std::string& node) const;
  bool MediumLoaded(const std::string& node) const;
  void SetMedium(const std::string& node, bool loaded);
  // TapeAlert flags (1-64) the device reports set in log page 2Eh.
  void SetTapeAlerts(const std::string& node, const std::vector<int>& flags);
  // A power-on reset: the next command sees unit attention 06/29/00.
  void PowerOnReset(const std::string& node);
  // The last complete firmware image a device received.
  std::vector<uint8_t> FirmwareImage(const std::string& node) const;
  // The trace buffer a device hands out with READ BUFFER.
  std::vector<uint8_t> TraceBuffer(const std::string& node) const;
  // Direct access to a device (null for an unknown node).
  SimDevice* Device(const std::string& node);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// "1": the default bench; anything else: the name of a bench file. Null
// with a reason in *error when the file cannot be read or has a bad line.
std::unique_ptr<SimSystem> MakeSimSystem(const std::string& setting, std::string* error);
