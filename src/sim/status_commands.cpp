// Commands every device type answers alike: REQUEST SENSE, readiness of
// devices without a medium, REPORT LUNS, diagnostics and medium removal.
#include "sim/handlers.h"

// REQUEST SENSE: 03 desc 00 00 alloc control
void RequestSense(SimDevice& d, const SimRequest& r, SimReply& reply) {
  std::vector<uint8_t> sense;
  if (d.unit_attention) {
    d.unit_attention = false;
    sense = d.MakeSense(0x06, d.ua_asc, d.ua_ascq);
  } else if (!d.deferred_sense.empty()) {
    sense = d.deferred_sense;
  } else {
    sense = d.MakeSense(0x00, 0x00, 0x00);
  }
  d.deferred_sense.clear();
  reply.data = (r.cdb[1] & 0x01) ? ToDescriptorSense(sense) : sense;
  CutTo(reply, r.cdb[4]);
}

// TEST UNIT READY: 00 00 00 00 00 control (changers and disks)
void ReadyUnit(SimDevice& d, const SimRequest&, SimReply& reply) {
  if (d.config.type == SimDeviceType::kDisk && !d.config.medium_loaded) {
    d.Fail(reply, 0x02, 0x3A, 0x00);
  }
}

// REPORT LUNS: A0 00 select 000000 alloc(4) 00 control
void ReportLuns(SimDevice& d, const SimRequest& r, SimReply& reply) {
  std::vector<int> luns = d.bench->LunsAt(d);
  reply.data.assign(8, 0);
  PutBe(reply.data, 0, 4, luns.size() * 8);
  for (int lun : luns) {
    std::vector<uint8_t> entry(8, 0);
    entry[1] = static_cast<uint8_t>(lun);
    reply.data.insert(reply.data.end(), entry.begin(), entry.end());
  }
  CutTo(reply, GetBe(r.cdb, 6, 4));
}

// SEND DIAGNOSTIC: 1D flags 00 length(2) control
void SendDiagnostic(SimDevice& d, const SimRequest& r, SimReply& reply) {
  const bool self_test = r.cdb[1] & 0x04;
  const uint32_t length = GetBe(r.cdb, 3, 2);
  if (self_test && length != 0) {
    SenseDetail field;
    field.field_pointer = 3;
    return d.Fail(reply, 0x05, 0x24, 0x00, field);
  }
  if (length > r.data_out.size()) {
    return d.Fail(reply, 0x05, 0x1A, 0x00);  // parameter list length error
  }
  if (UpgradeTapePage(d, r, reply)) return;
  d.diagnostic_run = true;
  if (self_test) reply.seconds = 10;
}

// RECEIVE DIAGNOSTIC RESULTS: 1C pcv page alloc(2) control
void ReceiveDiagnostic(SimDevice&, const SimRequest& r, SimReply& reply) {
  reply.data = {0x00, 0x00, 0x00, 0x01, 0x00};
  CutTo(reply, GetBe(r.cdb, 3, 2));
}

// PREVENT ALLOW MEDIUM REMOVAL: 1E 00 00 00 prevent control
void PreventAllowRemoval(SimDevice& d, const SimRequest& r, SimReply&) { d.prevent_removal = r.cdb[4] & 0x01; }
