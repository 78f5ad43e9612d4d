#include "frontend/json_output.h"

#include "base/json_writer.h"

namespace {

void CartridgeMemoryJson(JsonWriter& json, const CartridgeMemory& m) {
  json.BeginObject();
  json.Key("medium_serial").StringOrNull(m.medium_serial);
  json.Key("manufacturer").StringOrNull(m.manufacturer);
  json.Key("manufacture_date").StringOrNull(m.manufacture_date);
  json.Key("barcode").StringOrNull(m.barcode);
  json.Key("user_label").StringOrNull(m.user_label);
  json.Key("medium_type").StringOrNull(m.medium_type);
  json.Key("density_code").UintOrNull(m.density_code);
  json.Key("generation").UintOrNull(m.generation);
  json.Key("load_count").UintOrNull(m.load_count);
  json.Key("mib_written").UintOrNull(m.mib_written);
  json.Key("mib_read").UintOrNull(m.mib_read);
  json.Key("mib_written_last_load").UintOrNull(m.mib_written_last_load);
  json.Key("mib_read_last_load").UintOrNull(m.mib_read_last_load);
  json.Key("remaining_capacity_mib").UintOrNull(m.remaining_capacity_mib);
  json.Key("maximum_capacity_mib").UintOrNull(m.maximum_capacity_mib);
  json.Key("mam_space_remaining").UintOrNull(m.mam_space_remaining);
  json.Key("mam_capacity").UintOrNull(m.mam_capacity);
  json.Key("last_drives").BeginArray();
  for (const std::string& drive : m.last_drives) json.String(drive);
  json.EndArray();
  json.Key("tape_alerts").BeginArray();
  for (int flag : m.tape_alerts) json.Int(flag);
  json.EndArray();
  json.EndObject();
}

void FindingJson(JsonWriter& json, const HealthFinding& f) {
  json.BeginObject();
  json.Key("severity").String(HealthVerdictName(f.severity));
  json.Key("source").String(f.source);
  if (f.flag != 0) {
    json.Key("flag").Int(f.flag);
  } else {
    json.Key("flag").Null();
  }
  json.Key("text").String(f.text);
  json.Key("action").String(f.action);
  json.EndObject();
}

void DeviceHealthJson(JsonWriter& json, const DeviceHealth& d) {
  json.BeginObject();
  json.Key("node").String(d.node);
  json.Key("vendor").StringOrNull(d.vendor);
  json.Key("product").StringOrNull(d.product);
  json.Key("serial").StringOrNull(d.serial);
  json.Key("revision").StringOrNull(d.revision);
  json.Key("changer").Bool(d.changer);
  json.Key("hctl").StringOrNull(d.hctl);
  json.Key("type").StringOrNull(d.type);
  json.Key("by_id").StringOrNull(d.by_id);
  json.Key("st").StringOrNull(d.st);
  json.Key("nst").StringOrNull(d.nst);
  json.Key("verdict").String(HealthVerdictName(d.verdict));
  json.Key("findings").BeginArray();
  for (const HealthFinding& f : d.findings) FindingJson(json, f);
  json.EndArray();
  json.Key("tape_alerts").BeginArray();
  for (const int flag : d.tape_alerts) json.Int(flag);
  json.EndArray();
  json.Key("tape_alert_page").StringOrNull(d.tape_alert_page);
  json.Key("write_errors_corrected").UintOrNull(d.write_errors_corrected);
  json.Key("write_errors_uncorrected").UintOrNull(d.write_errors_uncorrected);
  json.Key("read_errors_corrected").UintOrNull(d.read_errors_corrected);
  json.Key("read_errors_uncorrected").UintOrNull(d.read_errors_uncorrected);
  json.Key("temperature_c").IntOrNull(d.temperature_c);
  json.Key("temperature_reference_c").IntOrNull(d.temperature_reference_c);
  json.Key("lifetime_loads").UintOrNull(d.lifetime_loads);
  json.Key("lifetime_cleanings").UintOrNull(d.lifetime_cleanings);
  json.Key("power_on_hours").UintOrNull(d.power_on_hours);
  json.Key("lifetime_mib_written").UintOrNull(d.lifetime_mib_written);
  json.Key("lifetime_mib_read").UintOrNull(d.lifetime_mib_read);
  json.Key("cleaning_required").BoolOrNull(d.cleaning_required);
  json.Key("cartridge_loaded").Bool(d.cartridge_loaded);
  json.Key("cartridge");
  if (d.cartridge) {
    CartridgeMemoryJson(json, *d.cartridge);
  } else {
    json.Null();
  }
  json.EndObject();
}

void ListedDeviceJson(JsonWriter& json, const ListedDevice& d) {
  json.BeginObject();
  json.Key("node").String(d.node);
  json.Key("hctl").StringOrNull(d.hctl);
  json.Key("type").String(d.type);
  json.Key("vendor").StringOrNull(d.vendor);
  json.Key("product").StringOrNull(d.product);
  json.Key("revision").StringOrNull(d.revision);
  json.Key("serial").StringOrNull(d.serial);
  json.Key("st").StringOrNull(d.st);
  json.Key("nst").StringOrNull(d.nst);
  json.EndObject();
}

}  // namespace

std::string HealthJson(const HealthRun& run) {
  JsonWriter json;
  json.BeginObject();
  json.Key("schema_version").Int(kJsonSchemaVersion);
  json.Key("exit_status").Int(run.ExitStatus());
  json.Key("devices").BeginArray();
  for (const DeviceHealth& d : run.devices) DeviceHealthJson(json, d);
  json.EndArray();
  json.EndObject();
  return json.Text();
}

std::string ListJson(const std::vector<ListedDevice>& devices) {
  JsonWriter json;
  json.BeginObject();
  json.Key("schema_version").Int(kJsonSchemaVersion);
  json.Key("devices").BeginArray();
  for (const ListedDevice& d : devices) ListedDeviceJson(json, d);
  json.EndArray();
  json.EndObject();
  return json.Text();
}

std::string ScriptRunJson(const ScriptRunReport& report) {
  JsonWriter json;
  json.BeginObject();
  json.Key("schema_version").Int(kJsonSchemaVersion);
  json.Key("script").String(report.script);
  json.Key("node").StringOrNull(report.node);
  json.Key("verdict").String(report.status == 0 ? "PASS" : "FAIL");
  json.Key("status").Int(report.status);
  json.Key("log_file").StringOrNull(report.log_file);
  json.Key("duration_seconds").Fixed(report.duration_seconds, 3);
  json.EndObject();
  return json.Text();
}
