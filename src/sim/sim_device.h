// One virtual device: its identity, its state, and the command dispatch.
#pragma once

#include <sys/time.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "sim/models.h"
#include "sim/sim.h"

class SimDevice;

// What a device may ask of the bench it sits on.
class SimBench {
 public:
  virtual ~SimBench() = default;
  virtual struct timeval Now() = 0;
  // The tape drive an autoloader feeds: same host, channel and target.
  virtual SimDevice* DriveOf(const SimDevice& changer) = 0;
  // Luns answering at the device's target.
  virtual std::vector<int> LunsAt(const SimDevice& device) = 0;
  // The device restarts (new firmware): gone now, back after a while.
  virtual void Restart(SimDevice& device, const struct timeval& at) = 0;
};

struct SimRequest {
  std::span<const uint8_t> cdb;
  std::span<const uint8_t> data_out;
  uint32_t data_in_max = 0;  // dxfer_len of a data-in command
};

// Host adapter statuses a command can end with besides the drive's own.
inline constexpr uint8_t kDidNoConnect = 0x01;
inline constexpr uint8_t kDidError = 0x07;  // e.g. more data than the buffer held

struct SimReply {
  std::vector<uint8_t> data;   // data-in; the sg layer cuts it to dxfer_len
  bool check = false;          // CHECK CONDITION with `sense`
  std::vector<uint8_t> sense;  // fixed format
  long seconds = 0;            // how long the command takes
  // Time the data took to cross the heads (virtual clock only: with a real
  // clock the process's own time stands for it).
  int64_t data_microseconds = 0;
  uint8_t host_status = 0;  // the adapter's status after the command ran
};

// TapeAlert flags the drive raises by itself.
namespace sim_alert {
inline constexpr int kWriteProtect = 0x09;
inline constexpr int kCleaningMedia = 0x0B;
inline constexpr int kUnsupportedFormat = 0x0C;
inline constexpr int kReadOnlyFormat = 0x11;
inline constexpr int kCleanNow = 0x14;
inline constexpr int kCleanPeriodic = 0x15;
inline constexpr int kExpiredCleaningMedia = 0x16;
}  // namespace sim_alert

// Extra bits of fixed-format sense.
struct SenseDetail {
  bool filemark = false, eom = false, ili = false;
  bool info_valid = false;
  int32_t info = 0;
  int field_pointer = -1;      // CDB byte in error (sense-key specific)
  bool in_parameters = false;  // the field pointer names a parameter list byte
};

// Error counters of log pages 02h (write) and 03h (read).
struct SimErrorCounts {
  uint64_t corrected = 14;
  uint64_t uncorrected = 0;
};

// Lifetime figures of the device statistics page (14h); the drive counts
// loads and cleanings on from them.
struct SimLifetime {
  uint64_t loads = 321, cleanings = 3;
  std::optional<uint64_t> motion_hours;  // unset: a third of the power-on hours
  uint64_t meters = 1'250'000;           // meters of tape processed
  uint64_t removal_prevented = 0;        // unloads refused while removal was prevented
  uint64_t over_temperature = 0;         // times the recommended mechanism temperature was exceeded
};

// One attribute the cartridge memory keeps (SPC: format 0 binary, 1 ASCII, 2 text).
struct SimStoredAttribute {
  uint8_t format = 1;
  std::vector<uint8_t> value;
};

// The medium auxiliary memory of the cartridge in the drive: the
// attributes it stores, and the counters from which the drive reports the
// others. Lifetime figures count the loads before this one; the drive
// adds what moves in this load.
struct SimCartridgeMemory {
  std::map<uint16_t, SimStoredAttribute> stored;
  uint64_t loads = 17;  // this load included
  uint64_t written_mib = 0, read_mib = 0;
  uint64_t written_at_load = 0, read_at_load = 0;  // the drive's byte counts when it went in
  uint64_t capacity = 16384;                       // bytes of cartridge memory
  uint64_t alert_flags = 0;                        // TapeAlert flags raised while it was loaded: flag 1 the top bit
};

// A tape block or a filemark.
struct TapeEntry {
  bool filemark = false;
  std::shared_ptr<const std::vector<uint8_t>> data;  // shared when repeated
};

class SimDevice {
 public:
  SimDevice(const SimDeviceConfig& config, SimBench* bench, int id);

  // Runs one command: unit attention, dispatch, the sense kept for REQUEST SENSE.
  void Execute(const SimRequest& request, SimReply& reply);

  // Builds fixed-format sense into the reply and marks it a check condition.
  void Fail(SimReply& reply, uint8_t key, uint8_t asc, uint8_t ascq, const SenseDetail& detail = {});
  std::vector<uint8_t> MakeSense(uint8_t key, uint8_t asc, uint8_t ascq, const SenseDetail& detail = {}) const;

  // Power-on or firmware reset: unit attention, tape rewound.
  void Reset();
  uint32_t PowerOnHours() const;
  bool IsDat() const { return model.dat; }
  bool IsTape() const { return config.type == SimDeviceType::kTape; }
  bool IsChanger() const { return config.type == SimDeviceType::kChanger; }

  SimDeviceConfig config;
  SimModel model;  // read from config when made
  SimBench* bench;
  int id;
  int generation = 0;            // bumped by each restart; stale descriptors see ENODEV
  struct timeval away_until {};  // absent from the bus until then
  bool away = false;

  // Sense and attention.
  bool unit_attention = true;
  uint8_t ua_asc = 0x29, ua_ascq = 0x00;
  std::vector<uint8_t> deferred_sense;  // what REQUEST SENSE answers

  // Tape.
  bool cartridge_in_throat = false;  // ejected but not removed
  bool prevent_removal = false;
  std::vector<TapeEntry> tape;
  size_t position = 0;
  uint64_t tape_bytes = 0;
  uint64_t capacity = 1ull << 32;
  uint32_t block_size = 0;  // 0: variable
  uint8_t density = 0;
  bool compression = true;
  // The cartridge: its generation (0: the drive's own), write-protect tab
  // and medium type (mode header byte).
  int cartridge_generation = 0;
  bool write_protect = false;
  uint8_t medium_type = 0;

  // Mode pages (page code -> page bytes with their 2-byte header).
  std::map<int, std::vector<uint8_t>> mode_pages;
  std::map<std::string, std::string> parameters;  // vendor parameter text

  // Cleaning: what the drive's heads need, and the cleaning cartridge loaded
  // (a good one cleans the drive when it is loaded).
  enum class Cleaning { kNone, kNow, kPeriodic };
  enum class Cleaner { kNone, kGood, kExpired };
  Cleaning cleaning = Cleaning::kNone;
  Cleaner cleaner = Cleaner::kNone;

  // Log. TapeAlert: the flags the bench set, and those the drive raised
  // itself on an event (a refused write); the flags of a lasting condition
  // (an unsupported cartridge, cleaning) are reported while it lasts.
  std::vector<int> tape_alerts;
  std::vector<int> raised_alerts;
  bool alerts_clear_on_read = false;                  // reading page 2Eh clears the flags set
  std::vector<std::string> events;                    // event log packets, oldest first
  std::map<int, std::vector<uint8_t>> log_overrides;  // page -> parameter bytes the bench gave
  uint64_t bytes_written = 0, bytes_read = 0;
  // Health figures the bench may set: error counters, temperature (degrees
  // Celsius), device statistics and the cartridge memory.
  SimErrorCounts write_errors, read_errors;
  int temperature = 34, reference_temperature = 60;
  SimLifetime lifetime;
  SimCartridgeMemory mam;
  uint32_t power_on_base = 1200;  // hours on the clock at power on

  // Buffers.
  std::vector<uint8_t> data_buffer;  // READ/WRITE BUFFER data mode, buffer 0
  std::vector<uint8_t> trace;
  std::vector<uint8_t> download;  // firmware pieces received so far
  bool download_open = false;
  int download_buffer_id = 0;
  uint32_t first_piece = 0;
  struct timeval last_piece {};
  std::vector<uint8_t> last_image;
  // Upgrade tapes: the creation mode the host switched on, and the request
  // ('u' update from, 'q' revert) armed for the next cartridge.
  bool tape_creation = false;
  char armed_tape_request = 0;

  // Changer elements: full flags, and the element address each cartridge
  // was last moved from (-1: not moved by the changer, no source reported).
  std::vector<bool> slot_full;
  std::vector<int> slot_source;
  bool mail_full = false;
  int mail_source = -1;
  bool drive_full = false;
  int drive_source = -1;
  bool diagnostic_run = false;

 private:
  struct timeval power_on_ {};
};

// Big-endian helpers.
inline uint32_t GetBe(std::span<const uint8_t> b, size_t at, size_t n) {
  return static_cast<uint32_t>(be::Read(b, at, n));
}
inline void PutBe(std::vector<uint8_t>& b, size_t at, size_t n, uint64_t v) { be::Put(b, at, n, v); }
// Copies `text` into b[at..at+n) padded with blanks.
void PutText(std::vector<uint8_t>& b, size_t at, size_t n, const std::string& text);
// The same sense in descriptor format (72h), with an ATA return descriptor
// first so ATA register readers find it at byte 8.
std::vector<uint8_t> ToDescriptorSense(const std::vector<uint8_t>& fixed);
// Cuts a reply to the allocation length of the CDB.
void CutTo(SimReply& reply, size_t allocation);
