#include "frontend/health_output.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "facade/tape_alert_severity.h"

namespace {

// A labelled line of a report; a row of several values continues on lines of
// their own under the first.
struct Row {
  std::string label;
  std::vector<std::string> values;
};

constexpr size_t kLabelWidth = 21;

// Drive texts go to a terminal: a control byte could move the cursor or
// change colours, so it shows as '?'.
std::string Printable(std::string_view t) {
  std::string out(t);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return out;
}

void AppendRows(std::string& out, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    for (size_t i = 0; i < row.values.size(); ++i) {
      std::string label = i == 0 ? Printable(row.label) : "";
      label.resize(kLabelWidth, ' ');
      out += "  " + label + Printable(row.values[i]) + "\n";
    }
  }
}

void AddText(std::vector<Row>& rows, const char* label, const std::string& value) {
  if (!value.empty()) rows.push_back({label, {value}});
}

void AddFigure(std::vector<Row>& rows, const char* label, const std::optional<std::string>& value) {
  if (value) rows.push_back({label, {*value}});
}

template <typename Number>
std::optional<std::string> WithUnit(const std::optional<Number>& value, const char* unit) {
  if (!value) return std::nullopt;
  return std::to_string(*value) + unit;
}

// "12 corrected, 0 uncorrected", with whichever counter was read.
std::optional<std::string> ErrorCounts(const std::optional<uint64_t>& corrected,
                                       const std::optional<uint64_t>& uncorrected) {
  if (!corrected && !uncorrected) return std::nullopt;
  std::string text;
  if (corrected) text = std::to_string(*corrected) + " corrected";
  if (corrected && uncorrected) text += ", ";
  if (uncorrected) text += std::to_string(*uncorrected) + " uncorrected";
  return text;
}

std::optional<std::string> Temperature(const DeviceHealth& d) {
  if (!d.temperature_c) return std::nullopt;
  std::string text = std::to_string(*d.temperature_c) + " C";
  if (d.temperature_reference_c) text += " (reference " + std::to_string(*d.temperature_reference_c) + " C)";
  return text;
}

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// One line on the loaded cartridge; its full memory is the `--mam` report.
std::string CartridgeSummary(const DeviceHealth& d) {
  if (!d.cartridge_loaded) return "none loaded";
  if (!d.cartridge) return "loaded, its memory could not be read";
  const CartridgeMemory& m = *d.cartridge;
  std::vector<std::string> parts;
  if (!m.medium_serial.empty()) parts.push_back(m.medium_serial);
  if (m.generation) parts.push_back("generation " + std::to_string(*m.generation));
  if (m.load_count) parts.push_back(std::to_string(*m.load_count) + " loads");
  if (m.mib_written) parts.push_back(std::to_string(*m.mib_written) + " MiB written");
  if (m.mib_read) parts.push_back(std::to_string(*m.mib_read) + " MiB read");
  return parts.empty() ? "loaded" : JoinParts(parts);
}

const char* DeviceKind(const DeviceHealth& d) { return d.changer ? "Changer" : "Tape drive"; }

std::string Heading(const char* what, const DeviceHealth& d) {
  std::string heading = std::string(what) + " " + Printable(d.node);
  if (!d.serial.empty()) heading += " (" + Printable(d.serial) + ")";
  return heading + "\n";
}

std::vector<Row> IdentityRows(const DeviceHealth& d) {
  std::vector<Row> rows;
  AddText(rows, "Vendor", d.vendor);
  AddText(rows, "Product", d.product);
  AddText(rows, "Serial", d.serial);
  AddText(rows, "Firmware revision", d.revision);
  AddText(rows, "By id", d.by_id);
  std::vector<std::string> tape_nodes;
  for (const std::string* name : {&d.st, &d.nst}) {
    if (!name->empty()) tape_nodes.push_back(*name);
  }
  if (!tape_nodes.empty()) rows.push_back({"Tape nodes", {JoinParts(tape_nodes)}});
  return rows;
}

Row FindingsRow(const DeviceHealth& d) {
  Row row{"Findings", {}};
  for (const HealthFinding& f : d.findings) row.values.push_back(f.action.empty() ? f.text : f.text + ": " + f.action);
  if (row.values.empty()) row.values.push_back("none");
  return row;
}

std::vector<Row> FigureRows(const DeviceHealth& d) {
  std::vector<Row> rows;
  AddFigure(rows, "Temperature", Temperature(d));
  AddFigure(rows, "Write errors", ErrorCounts(d.write_errors_corrected, d.write_errors_uncorrected));
  AddFigure(rows, "Read errors", ErrorCounts(d.read_errors_corrected, d.read_errors_uncorrected));
  AddFigure(rows, "Loads", WithUnit(d.lifetime_loads, ""));
  AddFigure(rows, "Cleanings", WithUnit(d.lifetime_cleanings, ""));
  AddFigure(rows, "Power-on time", WithUnit(d.power_on_hours, " hours"));
  AddFigure(rows, "Written", WithUnit(d.lifetime_mib_written, " MiB"));
  AddFigure(rows, "Read", WithUnit(d.lifetime_mib_read, " MiB"));
  if (d.cleaning_required) rows.push_back({"Cleaning required", {*d.cleaning_required ? "yes" : "no"}});
  if (!d.changer && d.verdict != HealthVerdict::kUnreadable) rows.push_back({"Cartridge", {CartridgeSummary(d)}});
  return rows;
}

// "20210304" as "2021-03-04"; any other form as the cartridge gave it.
std::string Date(const std::string& yyyymmdd) {
  if (yyyymmdd.size() != 8) return yyyymmdd;
  return yyyymmdd.substr(0, 4) + "-" + yyyymmdd.substr(4, 2) + "-" + yyyymmdd.substr(6, 2);
}

std::optional<std::string> Hex(const std::optional<uint32_t>& code) {
  if (!code) return std::nullopt;
  char text[16];
  std::snprintf(text, sizeof text, "%02Xh", static_cast<unsigned>(*code));
  return text;
}

std::vector<Row> MemoryRows(const CartridgeMemory& m) {
  std::vector<Row> rows;
  AddText(rows, "Medium serial", m.medium_serial);
  AddText(rows, "Manufacturer", m.manufacturer);
  AddText(rows, "Manufacture date", Date(m.manufacture_date));
  AddText(rows, "Medium type", m.medium_type);
  AddFigure(rows, "Generation", WithUnit(m.generation, ""));
  AddFigure(rows, "Density code", Hex(m.density_code));
  AddText(rows, "Barcode", m.barcode);
  AddText(rows, "User label", m.user_label);
  AddFigure(rows, "Load count", WithUnit(m.load_count, ""));
  AddFigure(rows, "Written", WithUnit(m.mib_written, " MiB"));
  AddFigure(rows, "Read", WithUnit(m.mib_read, " MiB"));
  AddFigure(rows, "Written, last load", WithUnit(m.mib_written_last_load, " MiB"));
  AddFigure(rows, "Read, last load", WithUnit(m.mib_read_last_load, " MiB"));
  AddFigure(rows, "Remaining capacity", WithUnit(m.remaining_capacity_mib, " MiB"));
  AddFigure(rows, "Maximum capacity", WithUnit(m.maximum_capacity_mib, " MiB"));
  AddFigure(rows, "MAM space remaining", WithUnit(m.mam_space_remaining, " bytes"));
  AddFigure(rows, "MAM capacity", WithUnit(m.mam_capacity, " bytes"));
  if (!m.last_drives.empty()) rows.push_back({"Last drives", m.last_drives});
  if (!m.tape_alerts.empty()) {
    std::string flags;
    for (int flag : m.tape_alerts) flags += (flags.empty() ? "" : ", ") + std::to_string(flag);
    AddText(rows, "TapeAlert flags", flags);
  }
  return rows;
}

}  // namespace

std::string DeviceLabel(const DeviceHealth& device) { return device.serial.empty() ? device.node : device.serial; }

std::string TapeAlertFlagName(const DeviceHealth& device, int flag) {
  const std::string prefix = "TapeAlert " + std::to_string(flag) + " ";
  for (const HealthFinding& f : device.findings) {
    if (f.source == "tapealert" && f.flag == flag && f.text.starts_with(prefix)) return f.text.substr(prefix.size());
  }
  const TapeAlertRow* row = FindAlertRow(device.changer ? ChangerSeverityAndMeaning() : KoruSeverityAndMeaning(), flag);
  return row != nullptr ? row->name : "";
}

std::string DeviceHealthText(const DeviceHealth& device) {
  std::vector<Row> rows = IdentityRows(device);
  rows.push_back({"Verdict", {HealthVerdictName(device.verdict)}});
  rows.push_back(FindingsRow(device));
  for (Row& row : FigureRows(device)) rows.push_back(std::move(row));
  if (device.tape_alert_page == "2Eh") {
    rows.push_back({"Note", {"page 12h is missing; page 2Eh was read instead, which clears the flags on many drives"}});
  }
  std::string out = Heading(DeviceKind(device), device);
  AppendRows(out, rows);
  return out;
}

std::string HealthText(const HealthRun& run) {
  if (run.devices.empty()) return "No tape drive or changer was found.\n";
  std::string out;
  for (const DeviceHealth& device : run.devices) out += (out.empty() ? "" : "\n") + DeviceHealthText(device);
  return out;
}

std::string CartridgeMemoryText(const DeviceHealth& device) {
  std::string out = Heading("Cartridge memory in", device);
  if (!device.cartridge_loaded) return out + "  No cartridge is loaded.\n";
  if (!device.cartridge) return out + "  The cartridge memory could not be read.\n";
  const std::vector<Row> rows = MemoryRows(*device.cartridge);
  if (rows.empty()) return out + "  The cartridge memory holds none of the attributes read.\n";
  AppendRows(out, rows);
  return out;
}
