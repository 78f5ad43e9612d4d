// Benchmark: a 1 MiB event log (the virtual drive's packet kinds, thousands
// of packets) loaded and typed by the event-log decoder, then asked an
// EVENT query with a time window and a SCSI query; prints the time of each
// step, in all and per packet.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "script/statements/event_query.h"
#include "script/statements/k_log_page7.h"
#include "sim/event_log.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const size_t bytes = argc > 1 ? std::stoul(argv[1]) : (1u << 20);
  std::string text;
  for (const std::string& p : LargeEventLog(bytes, 100000)) text += p;
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(text.data()), text.size());

  const int rounds = 5;
  double load = 0, event = 0, scsi = 0;
  size_t packets = 0, eventHits = 0, scsiHits = 0;
  for (int r = 0; r < rounds; ++r) {
    KLogPage7 log;
    auto t0 = Clock::now();
    if (log.Load(data) != KPG7_OK) return 1;
    auto t1 = Clock::now();
    CSearchEngine engine;
    KTRAP_Controll q;
    q.type = QUERY_EVENT;
    q.id_low = 0x4A21;
    q.op = QOP_GT;
    q.limit = 2;
    q.within = true;
    q.within_hours = 500;
    q.current_poh = log.HighestPoh();
    engine.Search(log, q);
    eventHits = engine.Count();
    auto t2 = Clock::now();
    q.Clear();
    q.type = QUERY_SCSI;
    q.has_sense = true;
    q.key = 3;
    q.asc = 0x11;
    engine.Search(log, q);
    scsiHits = engine.Count();
    auto t3 = Clock::now();
    load += Ms(t1 - t0);
    event += Ms(t2 - t1);
    scsi += Ms(t3 - t2);
    packets = log.PacketCount();
  }
  load /= rounds;
  event /= rounds;
  scsi /= rounds;
  std::printf("event log: %zu bytes, %zu packets (mean of %d rounds)\n", text.size(), packets, rounds);
  std::printf("  load and type    %8.2f ms  %6.2f us/packet\n", load, 1000 * load / packets);
  std::printf("  EVENT WITHIN 500 %8.2f ms  %6.2f us/packet  (%zu hits)\n", event, 1000 * event / packets, eventHits);
  std::printf("  SCSI 3/11/XX     %8.2f ms  %6.2f us/packet  (%zu hits)\n", scsi, 1000 * scsi / packets, scsiHits);
  std::printf("  all three        %8.2f ms\n", load + event + scsi);
  return 0;
}
