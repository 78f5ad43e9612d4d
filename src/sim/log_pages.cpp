// LOG SENSE and LOG SELECT: counters, TapeAlert, the text event log and the
// vendor parameter pages.
#include <algorithm>
#include <string>

#include "sim/event_log.h"
#include "sim/handlers.h"

namespace {

constexpr uint8_t kTapeAlertPage = 0x2E;

// One parameter: code, control byte, value.
void Param(std::vector<uint8_t>& page, uint16_t code, uint8_t control, std::span<const uint8_t> value) {
  std::vector<uint8_t> head(4, 0);
  PutBe(head, 0, 2, code);
  head[2] = control;
  head[3] = static_cast<uint8_t>(value.size());
  page.insert(page.end(), head.begin(), head.end());
  page.insert(page.end(), value.begin(), value.end());
}

void Counter(std::vector<uint8_t>& page, uint16_t code, size_t width, uint64_t value) {
  std::vector<uint8_t> v;
  PutBe(v, 0, width, value);
  Param(page, code, 0x40, v);
}

// Of the errors corrected, a few (at most two) took the drive some time.
void ErrorCounters(const SimErrorCounts& errors, std::vector<uint8_t>& p, uint64_t bytes) {
  const uint64_t delayed = std::min<uint64_t>(errors.corrected, 2);
  Counter(p, 0x0000, 4, errors.corrected - delayed);  // corrected without substantial delay
  Counter(p, 0x0001, 4, delayed);                     // corrected with possible delays
  Counter(p, 0x0002, 4, errors.corrected);            // total rewrites or rereads
  Counter(p, 0x0003, 4, errors.corrected);            // total errors corrected
  Counter(p, 0x0004, 4, errors.corrected);            // times the correction algorithm ran
  Counter(p, 0x0005, 8, bytes);
  Counter(p, 0x0006, 4, errors.uncorrected);
}

void WriteErrors(const SimDevice& d, std::vector<uint8_t>& p) { ErrorCounters(d.write_errors, p, d.bytes_written); }
void ReadErrors(const SimDevice& d, std::vector<uint8_t>& p) { ErrorCounters(d.read_errors, p, d.bytes_read); }

void SequentialAccess(const SimDevice& d, std::vector<uint8_t>& p) {
  Counter(p, 0x0000, 8, d.bytes_written);
  Counter(p, 0x0001, 8, d.bytes_written / 2);  // compressed 2:1
  Counter(p, 0x0002, 8, d.bytes_read / 2);
  Counter(p, 0x0003, 8, d.bytes_read);
  Counter(p, 0x0100, 1, d.cleaning == SimDevice::Cleaning::kNow ? 1 : 0);  // cleaning required
}

uint8_t Celsius(int degrees) { return static_cast<uint8_t>(std::clamp(degrees, 0, 0xFF)); }

void Temperature(const SimDevice& d, std::vector<uint8_t>& p) {
  const uint8_t now[] = {0x00, Celsius(d.temperature)};
  const uint8_t reference[] = {0x00, Celsius(d.reference_temperature)};
  Param(p, 0x0000, 0x03, now);
  Param(p, 0x0001, 0x03, reference);
}

// The flags the bench set, those the drive raised and those of its
// lasting conditions.
std::vector<int> SetAlerts(const SimDevice& d) {
  std::vector<int> set_flags = d.tape_alerts;
  set_flags.insert(set_flags.end(), d.raised_alerts.begin(), d.raised_alerts.end());
  AddConditionAlerts(d, set_flags);
  return set_flags;
}

bool IsSet(const std::vector<int>& flags, int flag) {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

// One parameter per flag, the flag in bit 0 of its value.
void TapeAlert(const SimDevice& d, std::vector<uint8_t>& p) {
  const std::vector<int> set_flags = SetAlerts(d);
  for (uint16_t flag = 1; flag <= 64; ++flag) {
    const uint8_t value[] = {static_cast<uint8_t>(IsSet(set_flags, flag) ? 1 : 0)};
    Param(p, flag, 0x03, value);
  }
}

// TapeAlert response: the same flags as one binary list parameter of 8
// bytes, flag 1 in the most significant bit of the first.
void TapeAlertResponse(const SimDevice& d, std::vector<uint8_t>& p) {
  const std::vector<int> set_flags = SetAlerts(d);
  uint8_t bits[8] = {};
  for (int flag = 1; flag <= 64; ++flag) {
    if (IsSet(set_flags, flag)) bits[(flag - 1) / 8] |= static_cast<uint8_t>(0x80 >> ((flag - 1) % 8));
  }
  Param(p, 0x0000, 0x03, bits);
}

// Device statistics: data counters of 4 bytes (format and linking 00b).
void DeviceStatistics(const SimDevice& d, std::vector<uint8_t>& p) {
  const SimLifetime& life = d.lifetime;
  const auto statistic = [&p](uint16_t code, uint64_t value) {
    std::vector<uint8_t> v;
    PutBe(v, 0, 4, std::min<uint64_t>(value, 0xFFFFFFFF));
    Param(p, code, 0x00, v);
  };
  statistic(0x0000, life.loads);  // lifetime volume loads
  statistic(0x0001, life.cleanings);
  statistic(0x0002, d.PowerOnHours());
  statistic(0x0003, life.motion_hours.value_or(d.PowerOnHours() / 3));
  statistic(0x0004, life.meters);
  statistic(0x000E, d.write_errors.uncorrected);  // hard write errors
  statistic(0x000F, d.read_errors.uncorrected);   // hard read errors
  statistic(0x0080, life.removal_prevented);
  statistic(0x0081, life.over_temperature);  // maximum recommended mechanism temperature exceeded
}

void InformationalExceptions(const SimDevice& d, std::vector<uint8_t>& p) {
  const uint8_t value[] = {0x00, 0x00, Celsius(d.temperature)};
  Param(p, 0x0000, 0x03, value);
}

void EventLog(const SimDevice& d, std::vector<uint8_t>& p) { EventLogParameters(d, p); }

// Counters of the odd widths: 3, 6 and 12 bytes.
void VendorWidths(const SimDevice& d, std::vector<uint8_t>& p) {
  Counter(p, 0x0000, 3, 0x012345);                   // head passes, 24 bits
  Counter(p, 0x0001, 6, d.bytes_written + 0x10000);  // bytes through the head, 48 bits
  const uint8_t id[12] = {'H', 'U', 'C', 'M', 0x00, 0x01, 0x02, 0x03, 0xA5, 0x5A, 0xFF, 0x10};
  Param(p, 0x0002, 0x00, id);  // cartridge memory id
}

void VendorCounters(const SimDevice& d, std::vector<uint8_t>& p) {
  Counter(p, 0x0000, 4, 321);                    // loads
  Counter(p, 0x0001, 8, d.bytes_written >> 20);  // MiB written
  Counter(p, 0x0002, 4, 3);                      // cleanings
  Counter(p, 0x0003, 2, Celsius(d.temperature));
}

void VendorHours(const SimDevice& d, std::vector<uint8_t>& p) {
  Counter(p, 0x0000, 4, d.PowerOnHours());
  Counter(p, 0x0001, 4, d.PowerOnHours() / 3);
  Counter(p, 0x0002, 4, d.PowerOnHours() / 4);
}

// Write-back data of the drive generations that keep it: one long
// parameter, so its bytes start at page byte 8.
void WriteBackLog(const SimDevice& d, std::vector<uint8_t>& p) {
  std::vector<uint8_t> data(192);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0x30 + (i * 5 + d.id) % 0x40);
  Param(p, 0x0000, 0x01, data);
}

struct SimLogPage {
  uint8_t code;
  bool tape, changer, disk;
  void (*build)(const SimDevice&, std::vector<uint8_t>&);
};

void Supported(const SimDevice& d, std::vector<uint8_t>& p);

constexpr SimLogPage kLogPages[] = {
    {0x00, true, true, true, Supported},
    {0x02, true, false, false, WriteErrors},
    {0x03, true, false, false, ReadErrors},
    {0x07, true, true, false, EventLog},
    {0x0C, true, false, false, SequentialAccess},
    {0x0D, true, false, true, Temperature},
    {0x12, true, false, false, TapeAlertResponse},
    {0x14, true, false, false, DeviceStatistics},
    {kTapeAlertPage, true, true, false, TapeAlert},
    {0x2F, true, true, true, InformationalExceptions},
    {0x30, true, false, false, VendorCounters},
    {0x31, true, false, false, VendorHours},
    {0x38, true, false, false, WriteBackLog},
    {0x32, true, false, false, VendorWidths},
};

bool Has(const SimLogPage& page, const SimDevice& d) {
  const std::vector<uint8_t>& missing = d.config.missing_log_pages;
  if (page.code != 0x00 && std::find(missing.begin(), missing.end(), page.code) != missing.end()) return false;
  switch (d.config.type) {
    case SimDeviceType::kTape:
      return page.tape;
    case SimDeviceType::kChanger:
      return page.changer;
    case SimDeviceType::kDisk:
      return page.disk;
  }
  return false;
}

// Page codes in ascending order, as the standard lists them.
void Supported(const SimDevice& d, std::vector<uint8_t>& p) {
  for (const SimLogPage& page : kLogPages) {
    if (Has(page, d)) p.push_back(page.code);
  }
  std::sort(p.begin(), p.end());
}

// Keeps the parameters whose code is at least `pointer`.
std::vector<uint8_t> From(const std::vector<uint8_t>& params, uint16_t pointer) {
  std::vector<uint8_t> kept;
  for (size_t at = 0; at + 4 <= params.size();) {
    const size_t next = std::min(params.size(), at + 4 + params[at + 3]);
    if (GetBe(params, at, 2) >= pointer) kept.insert(kept.end(), params.begin() + at, params.begin() + next);
    at = next;
  }
  return kept;
}

// A page fits the largest allocation length (the page length field is 16
// bits): a longer one (a large event log) ends at its last whole parameter
// that fits, and a later parameter pointer reads on.
std::vector<uint8_t> WholeParametersWithin(std::vector<uint8_t> params, size_t room) {
  size_t end = 0;
  while (end + 4 <= params.size() && end + 4 + params[end + 3] <= room) end += 4 + params[end + 3];
  if (params.size() > room) params.resize(end);
  return params;
}

}  // namespace

// LOG SENSE: 4D sp pc|page subpage 00 pointer(2) alloc(2) control
// The page control bits are ignored: every page reports cumulative values.
void LogSense(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const uint8_t code = r.cdb[2] & 0x3F;
  const uint16_t pointer = static_cast<uint16_t>(GetBe(r.cdb, 5, 2));
  SenseDetail field;
  const SimLogPage* page = nullptr;
  for (const SimLogPage& p : kLogPages) {
    if (p.code == code && Has(p, d)) page = &p;
  }
  if (!page || r.cdb[3] != 0) {
    field.field_pointer = page ? 3 : 2;
    return d.Fail(reply, 0x05, 0x24, 0x00, field);
  }
  std::vector<uint8_t> params;
  if (auto given = d.log_overrides.find(code); given != d.log_overrides.end()) {
    params = given->second;  // the bench's own bytes, lengths and all
  } else {
    page->build(d, params);
    // Drives that clear their flags once read set again only those of a
    // condition that lasts.
    if (code == kTapeAlertPage && d.alerts_clear_on_read) {
      d.tape_alerts.clear();
      d.raised_alerts.clear();
    }
  }
  if (code != 0x00 && pointer != 0) params = From(params, pointer);
  params = WholeParametersWithin(params, 0xFFFF - 4);
  reply.data = {code, 0x00, 0x00, 0x00};
  PutBe(reply.data, 2, 2, params.size());
  reply.data.insert(reply.data.end(), params.begin(), params.end());
  CutTo(reply, GetBe(r.cdb, 7, 2));
}

// LOG SELECT: 4C pcr|sp pc|page subpage 000000 length(2) control
void LogSelect(SimDevice& d, const SimRequest& r, SimReply&) {
  if (r.cdb[1] & 0x02) {  // parameter code reset
    d.bytes_written = 0;
    d.bytes_read = 0;
    d.tape_alerts.clear();
    d.raised_alerts.clear();
  }
}
