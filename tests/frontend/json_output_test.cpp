// The JSON documents: every field of the records under its snake_case name,
// null where nothing was read, and drive texts that cannot break the
// document. Their shape is checked against the schemas by the json_schema
// test.
#include "frontend/json_output.h"

#include <gtest/gtest.h>

#include "frontend/health_fixture.h"

namespace {

void ExpectFragments(const std::string& json, const std::vector<std::string>& fragments) {
  for (const std::string& f : fragments) EXPECT_NE(json.find(f), std::string::npos) << "missing: " << f << "\n" << json;
}

TEST(HealthJson, EachKindOfDeviceWithItsFields) {
  struct Case {
    const char* name;
    DeviceHealth device;
    std::vector<std::string> fragments;
  };
  const Case cases[] = {
      {"healthy",
       fixture::HealthyDrive(),
       {"\"schema_version\": 1",
        "\"exit_status\": 0",
        "\"node\": \"/dev/sg1\"",
        "\"serial\": \"HU1234567A\"",
        "\"revision\": \"J5SW\"",
        "\"changer\": false",
        "\"hctl\": \"2:0:1:0\"",
        "\"type\": \"tape\"",
        "\"by_id\": \"/dev/tape/by-id/scsi-HU1234567A\"",
        "\"st\": \"/dev/st0\"",
        "\"nst\": \"/dev/nst0\"",
        "\"verdict\": \"OK\"",
        "\"findings\": []",
        "\"tape_alerts\": []",
        "\"tape_alert_page\": \"12h\"",
        "\"write_errors_corrected\": 0",
        "\"read_errors_corrected\": 12",
        "\"temperature_c\": 38",
        "\"temperature_reference_c\": 55",
        "\"lifetime_loads\": 1234",
        "\"lifetime_cleanings\": 5",
        "\"power_on_hours\": 4321",
        "\"lifetime_mib_written\": 123456",
        "\"lifetime_mib_read\": 234567",
        "\"cleaning_required\": false",
        "\"cartridge_loaded\": false",
        "\"cartridge\": null"}},
      {"alerting",
       fixture::AlertingDrive(),
       {"\"exit_status\": 2", "\"verdict\": \"FAIL\"", "\"tape_alerts\": [\n        3,\n        20\n      ]",
        "\"severity\": \"FAIL\",\n          \"source\": \"tapealert\",\n          \"flag\": 3,\n"
        "          \"text\": \"TapeAlert 3 Hard error\"",
        "\"action\": \"load a cleaning cartridge\"", "\"cleaning_required\": true"}},
      {"unreadable",
       fixture::UnreadableDrive(),
       {"\"exit_status\": 3", "\"verdict\": \"UNREADABLE\"", "\"serial\": null", "\"hctl\": null", "\"by_id\": null",
        "\"tape_alert_page\": null", "\"flag\": null", "\"temperature_c\": null", "\"lifetime_mib_read\": null",
        "\"cleaning_required\": null"}},
      {"changer", fixture::Changer(), {"\"changer\": true", "\"type\": \"changer\"", "\"product\": \"MSL G3 Series\""}},
      {"cartridge",
       fixture::DriveWithCartridge(),
       {"\"exit_status\": 1", "\"nst\": null", "\"tape_alert_page\": \"2Eh\"", "\"cartridge_loaded\": true",
        "\"medium_serial\": \"CM4711\"", "\"manufacture_date\": \"20210304\"", "\"user_label\": null",
        "\"density_code\": 92", "\"generation\": 7", "\"load_count\": 57", "\"mib_read_last_load\": 0",
        "\"mam_capacity\": 16384", "\"last_drives\": [\n          \"IBM 1097000042\",\n          \"HP HU1234567A\"\n"}},
      {"hostile",
       fixture::HostileDrive(),
       {"\"vendor\": \"Q\\\"uote\"", "\"product\": \"back\\\\slash\\nline\"", "\"serial\": \"SN|\\u0001\xEF\xBF\xBD\"",
        "\"revision\": \"\\u007f\xEF\xBF\xBD(\"", "\"by_id\": \"/dev/tape/by-id/scsi-caf\xC3\xA9\"",
        "\"text\": \"TapeAlert 21 Clean \\\"periodic\\\"\\t\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
        "\"action\": \"clean | soon\\r\\n\"", "\"barcode\": \"NUL\\u0000inside\"",
        "\"user_label\": \"\xEF\xBF\xBD\xEF\xBF\xBD\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectFragments(HealthJson(fixture::RunOf({c.device})), c.fragments);
  }
}

TEST(HealthJson, ARunOfNoDeviceIsUnknown) {
  EXPECT_EQ(HealthJson(HealthRun{}), "{\n  \"schema_version\": 1,\n  \"exit_status\": 3,\n  \"devices\": []\n}\n");
}

TEST(ListJson, TheDevicesAsLsscsiListsThem) {
  const std::vector<ListedDevice> devices = fixture::ListedDevices();
  EXPECT_EQ(ListJson({devices[0], devices[2]}),
            "{\n"
            "  \"schema_version\": 1,\n"
            "  \"devices\": [\n"
            "    {\n"
            "      \"node\": \"/dev/sg1\",\n"
            "      \"hctl\": \"2:0:1:0\",\n"
            "      \"type\": \"tape\",\n"
            "      \"vendor\": \"HP\",\n"
            "      \"product\": \"Ultrium 6-SCSI\",\n"
            "      \"revision\": \"J5SW\",\n"
            "      \"serial\": \"HU1234567A\",\n"
            "      \"st\": \"/dev/st0\",\n"
            "      \"nst\": \"/dev/nst0\"\n"
            "    },\n"
            "    {\n"
            "      \"node\": \"/dev/sg0\",\n"
            "      \"hctl\": \"0:0:0:0\",\n"
            "      \"type\": \"disk\",\n"
            "      \"vendor\": \"ATA\",\n"
            "      \"product\": \"Samsung SSD 870\",\n"
            "      \"revision\": \"2B6Q\",\n"
            "      \"serial\": null,\n"
            "      \"st\": null,\n"
            "      \"nst\": null\n"
            "    }\n"
            "  ]\n"
            "}\n");
  ExpectFragments(ListJson({devices[3]}),
                  {"\"product\": \"back\\\\slash\\u001b[31m\"", "\"revision\": \"\xEF\xBF\xBD\""});
}

TEST(ScriptRunJson, VerdictFromTheStatusWithLogAndDuration) {
  struct Case {
    const char* name;
    ScriptRunReport report;
    std::string json;
  };
  const Case cases[] = {
      {"passed", fixture::PassedRun(),
       "{\n  \"schema_version\": 1,\n  \"script\": \"LTO_QUICK.SCS\",\n  \"node\": \"/dev/sg1\",\n"
       "  \"verdict\": \"PASS\",\n  \"status\": 0,\n  \"log_file\": \"Logs/HU1234567A_LTO_QUICK.log\",\n"
       "  \"duration_seconds\": 12.500\n}\n"},
      {"failed", fixture::FailedRun(),
       "{\n  \"schema_version\": 1,\n  \"script\": \"LTO_FULL.SCS\",\n  \"node\": \"/dev/sg2\",\n"
       "  \"verdict\": \"FAIL\",\n  \"status\": 3,\n  \"log_file\": \"Logs/HU7654321B_LTO_FULL.log\",\n"
       "  \"duration_seconds\": 3601.250\n}\n"},
      {"no device, no log", fixture::HostileRun(),
       "{\n  \"schema_version\": 1,\n  \"script\": \"we\\\"ird\\\\name\\u0001.SCS\",\n  \"node\": null,\n"
       "  \"verdict\": \"FAIL\",\n  \"status\": -1,\n  \"log_file\": null,\n  \"duration_seconds\": 0.000\n}\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ScriptRunJson(c.report), c.json);
  }
}

}  // namespace
