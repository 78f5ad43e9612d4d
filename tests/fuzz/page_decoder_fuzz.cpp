// Fuzz target: arbitrary bytes as a LOG SENSE reply, through the parameter
// decoder (every page code it loads, every fetch) and through the event-log
// decoder with its reports and queries of every type.
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "facade/k_pages.h"
#include "script/statements/event_query.h"
#include "script/statements/k_log_page7.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void FuzzPages(std::span<const uint8_t> data) {
  KPages page;
  const int code = data.empty() ? 0 : (data[0] & 0x7F);
  if (page.Load(code, data) != K_KPAGES_OK) {
    Check(!page.IsLoaded() && page.DisplayLines().empty());
    return;
  }
  const std::span<const uint8_t> kept = page.Bytes();
  Check(kept.size() == data.size());
  for (uint16_t c : {0, 1, 2, 3, 0x100, 0xFFFF}) {
    uint8_t b;
    uint16_t w;
    uint32_t l;
    double d;
    page.FetchValue(c, b);
    page.FetchValue(c, w);
    page.FetchValue(c, l);
    page.FetchValue(c, d);
    std::span<const uint8_t> v;
    if (page.FetchBuffer(c, v) == K_KPAGES_OK)
      Check(v.data() >= kept.data() && v.data() + v.size() <= kept.data() + kept.size());
    if (page.FetchValue(c, 12, v) == K_KPAGES_OK) Check(v.size() == 12 && v.data() + 12 <= kept.data() + kept.size());
    for (int f = -1; f <= 7; ++f) page.FetchField(c, f, b);
  }
  uint8_t listed;
  for (size_t i = 0; i < page.ParameterCount() + 2; ++i) {
    if (page.PageAtIndex(i, listed) == K_KPAGES_OK) Check(i < page.ParameterCount());
  }
  Check(page.DisplayLines().size() >= 1);
}

void FuzzEventLog(std::span<const uint8_t> data) {
  KLogPage7 log;
  if (log.Load(data) != KPG7_OK) {
    Check(!log.IsLoaded() && log.Lines().empty());
    return;
  }
  size_t lines = 0;
  for (const PG7_PACKET_LINK& p : log.Packets()) {
    Check(p.first_line + p.line_count <= log.Lines().size());
    lines += p.line_count;
  }
  Check(lines <= log.Lines().size());
  for (const std::string& l : log.Lines()) Check(!l.empty() && l.size() <= KLogPage7::kMaxLine);
  log.PacketLines(false);
  log.MapLines();
  log.WnScan();

  CSearchEngine engine;
  for (int t = QUERY_SENSE; t <= QUERY_NONE; ++t) {
    KTRAP_Controll q;
    q.type = static_cast<QUERY_TYPE>(t);
    q.id_low = kQueryAnyId;
    q.has_sense = t == QUERY_SCSI;
    q.asc_any = q.ascq_any = 1;
    q.within = true;
    q.within_hours = 24;
    q.current_poh = 1000;
    if (engine.Search(log, q) != SEARCH_OK) continue;
    engine.PrintLines();
    uint32_t sum = 0;
    engine.GetValue(log, 0, {{0, 0xFFFFFFFF, false, 0}, {7, 0xFF00, true, 31}}, sum);
    for (const HIT_LINK& h : engine.Hits()) Check(h.line < log.Lines().size() && h.tag.size() <= kHitTagMax);
  }
  KLogPage7 copy = log;
  copy.DeltaFilter(log);
  Check(copy.PacketCount() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  FuzzPages(bytes);
  FuzzEventLog(bytes);
  return 0;
}
