#include "script/statements/event_log_statements.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/text_util.h"
#include "script/core/statement_api.h"
#include "script/statements/log_pages.h"
#include "script/statements/statement_args.h"

namespace {

constexpr int kEventLogPage = 7;

struct SubStatement {
  const char* word;
  int (*run)(StatementContext&, LP_LINK&, std::string_view);
};
constexpr SubStatement kSubStatements[] = {
    {"CREATELIST", Pg7CreateList}, {"WNSCAN", Pg7WnScan},     {"FILTERLIST", Pg7FilterList},
    {"PRINTLIST", Pg7PrintList},   {"GETVALUE", Pg7GetValue}, {"REMOVEPACKET", Pg7RemovePacket},
    {"CREATEMAP", Pg7CreateMap},
};

std::vector<std::string_view> Args(const char* line) { return pg7::Words(line != nullptr ? line : ""); }

// A declared page: 0, the "unknown" error, or the "not page 7" error.
int32_t EventPage(StatementContext& ctx, std::string_view name, int32_t unknown, int32_t notSeven, LP_LINK*& page) {
  page = ctx.Declarations().Get<CLogPageLL>().Find(name);
  if (page == nullptr) return unknown;
  return page->pageId == kEventLogPage ? 0 : notSeven;
}

}  // namespace

int RunEventLogSubStatement(StatementContext& ctx, LP_LINK& page, const char* upperCommand, std::string_view args) {
  for (const SubStatement& s : kSubStatements) {
    if (std::string_view(upperCommand) == s.word) return s.run(ctx, page, args);
  }
  return ctx.Fail(PHASE2_UNKNOWN_PG7_COMMAND_DETECTED);
}

// GETNUMBEROFPACKETS page var
int _GetNumberOfPackets(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Packets : StatementData {
    LP_LINK* page = nullptr;
    VARI_LL* var = nullptr;
  };
  return CompileThenRun<Packets>(
      ctx, stmt, GET_NOF_PACKETS_INVALID_1ST_ARG_LOGPAGE_TAG_SPECIFIED,
      [&](Packets& d) -> int32_t {
        const std::vector<std::string_view> w = Args(ctx.Line());
        if (const int32_t rc = EventPage(ctx, w.empty() ? std::string_view{} : w[0],
                                         GET_NOF_PACKETS_INVALID_1ST_ARG_LOGPAGE_TAG_SPECIFIED,
                                         GET_NOF_PACKETS_INVALID_1ST_ARG_LOGPAGE_TYPE_SPECIFIED, d.page);
            rc != 0)
          return rc;
        d.var = w.size() >= 2 ? ctx.Variables().FindVariable(w[1]) : nullptr;
        return d.var == nullptr ? GET_NOF_PACKETS_UNKNOWN_VARIABLE_SPECIFIED : 0;
      },
      [&](Packets& d) {
        // A count the variable cannot hold is refused rather than cut to its width.
        const auto count = static_cast<uint64_t>(d.page->events->PacketCount());
        const uint64_t most = d.var->type == K_VAR_BYTE ? 0xFFu : d.var->type == K_VAR_WORD ? 0xFFFFu : 0xFFFFFFFFu;
        if (count > most) return ctx.Fail(KRT_GET_NOF_PACKETS_COUNT_TOO_LARGE_FOR_VARIABLE);
        d.var->SetUnsigned(static_cast<uint32_t>(count));
        return 0;
      });
}

// DELTAFILTER pageA pageB
int _DeltaFilter(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Pages : StatementData {
    LP_LINK* a = nullptr;
    LP_LINK* b = nullptr;
  };
  return CompileThenRun<Pages>(
      ctx, stmt, DELTA_FILTER_INVALID_1ST_ARG_LOGPAGE_TAG_SPECIFIED,
      [&](Pages& d) -> int32_t {
        const std::vector<std::string_view> w = Args(ctx.Line());
        if (const int32_t rc = EventPage(ctx, w.size() > 0 ? w[0] : std::string_view{},
                                         DELTA_FILTER_INVALID_1ST_ARG_LOGPAGE_TAG_SPECIFIED,
                                         DELTA_FILTER_INVALID_1ST_ARG_LOGPAGE_TYPE_SPECIFIED, d.a);
            rc != 0)
          return rc;
        return EventPage(ctx, w.size() > 1 ? w[1] : std::string_view{},
                         DELTA_FILTER_INVALID_2ND_ARG_LOGPAGE_TAG_SPECIFIED,
                         DELTA_FILTER_INVALID_2ND_LOGPAGE_TYPE_SPECIFIED, d.b);
      },
      [&](Pages& d) {
        if (!d.a->events->IsLoaded()) return ctx.Fail(KRT_DELTA_FILTER_1ST_LOGPAGE_NOT_LOADED);
        if (!d.b->events->IsLoaded()) return ctx.Fail(KRT_DELTA_FILTER_2ND_LOGPAGE_NOT_LOADED);
        d.b->events->DeltaFilter(*d.a->events);
        return 0;
      });
}

// SETPOH hours
int _SetPoh(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Hours : StatementData {
    statement_args::Value hours;  // an integer variable is read at each run
  };
  return CompileThenRun<Hours>(
      ctx, stmt, K_SETPOH_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
      [&](Hours& d) -> int32_t {
        const std::vector<std::string_view> w = Args(ctx.Line());
        if (w.size() != 1) return K_SETPOH_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        if (const VARI_LL* var = ctx.Variables().FindVariable(w[0])) {
          if (var->IsDouble()) return K_SETPOH_INVALID_HOURS_ARG;
          d.hours.variable = var;
          return 0;
        }
        const int cls = KText::DetermineNumberType(w[0]);
        if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG) return K_SETPOH_INVALID_HOURS_ARG;
        d.hours.constant = static_cast<uint32_t>(KText::AtoLn(w[0]));  // all 32 bits: drives run past 65535 hours
        return 0;
      },
      [&](Hours& d) {
        ctx.Declarations().Get<EventQueryState>().currentPoh = d.hours.Get();
        return 0;
      });
}

// THUMBPRINT anything
int _ThumbPrint(StatementContext& /*ctx*/, TEXT_LINK& /*stmt*/) { return 0; }

// page->CREATEMAP SCREEN|LOG|BOTH
int Pg7CreateMap(StatementContext& ctx, LP_LINK& page, std::string_view args) {
  const std::vector<std::string_view> w = pg7::Words(args);
  if (w.empty()) return ctx.Fail(K_PG7_CREATE_MAP_MISSING_ARGUMENTS);
  OutputDest dest;
  if (!ParseOutputDest(w[0], dest)) return ctx.Fail(K_PG7_CREATE_MAP_INVALID_DESTINATION_SPECIFIED);
  if (!ctx.IsRunMode()) return 0;
  if (!page.events->IsLoaded()) return ctx.Fail(KRT_PG7_CREATE_MAP_PAGE_NOT_LOADED);
  return WriteLines(ctx, dest, page.events->MapLines());
}

// page->WNSCAN bytevar buffer
int Pg7WnScan(StatementContext& ctx, LP_LINK& page, std::string_view args) {
  const std::vector<std::string_view> w = pg7::Words(args);
  VARI_LL* var = w.size() > 0 ? ctx.Variables().FindVariable(w[0]) : nullptr;
  if (var == nullptr) return ctx.Fail(K_WNSCAN_INVALID_RESULT_VARIABLE_SPECIFIED);
  if (var->type != K_VAR_BYTE) return ctx.Fail(K_WNSCAN_INVALID_RESULT_VARIABLE_TYPE_SPECIFIED);
  KByteArray* buffer = w.size() > 1 ? ctx.FindArray(w[1]) : nullptr;
  if (buffer == nullptr) return ctx.Fail(K_WNSCAN_INVALID_BUFFER_VARIABLE_SPECIFIED);
  if (!ctx.IsRunMode()) return 0;
  const KLogPage7::ScanResult r = page.events->WnScan();
  var->SetUnsigned(std::min<uint32_t>(r.count, 0xFF));
  if (buffer->data != nullptr && buffer->size > 0) {
    // The summary, cut to the buffer and always terminated.
    text::CopyBounded(reinterpret_cast<char*>(buffer->data.get()), buffer->size, r.summary);
    buffer->altered = 1;
  }
  return 0;
}
