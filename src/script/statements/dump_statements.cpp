// PRINTCDB and PRINTBUFFER.
#include "script/statements/dump_statements.h"

#include <algorithm>
#include <cstdio>

#include "base/hex_dump.h"
#include "script/core/error_fx.h"
#include "script/statements/declared_commands.h"
#include "script/statements/statement_args.h"

namespace sa = statement_args;

namespace {

constexpr std::initializer_list<int> kIntegerNumbers = {K_NUM_BYTE, K_NUM_WORD, K_NUM_LONG};
constexpr std::initializer_list<int32_t> kIntegerVariables = {K_VAR_BYTE, K_VAR_WORD, K_VAR_LONG};

struct PrintBufferData : StatementData {
  sa::Destination where = sa::kScreen;
  KByteArray* buffer = nullptr;
  sa::Value start, end;
};

}  // namespace

std::vector<std::string> HexDumpLines(std::span<const uint8_t> buffer, uint32_t first, uint32_t end) {
  // PRINTBUFFER's layout: an eight-digit offset, the bytes in groups of four,
  // the characters from column 64.
  static constexpr HexDumpStyle kStyle = {"%08X  ", "%02X ", 4, 64, 0x21, 0x7A};
  return ::HexDumpLines(buffer, first, end, kStyle);
}

// PRINTCDB [SCREEN|LOG|BOTH] cdb
int _PrintCdb(StatementContext& ctx, TEXT_LINK& stmt) {
  struct PrintCdbData : StatementData {
    sa::Destination where = sa::kScreen;
    const DeclaredCommand<CDB_LINK>* command = nullptr;
  };
  return CompileThenRun<PrintCdbData>(
      ctx, stmt, PRINTCDB_INVALID_CDB_SPECIFIED,
      [&](PrintCdbData& d) {
        std::vector<std::string> w = sa::Words(ctx.Line());
        d.where = sa::TakeDestination(w);
        d.command = w.empty() ? nullptr : FindCdb(ctx, w[0]);
        return d.command == nullptr ? PRINTCDB_INVALID_CDB_SPECIFIED : 0;
      },
      [&](PrintCdbData& d) {
        // The bytes as they are now: MODCDB may have changed them.
        const CDB_LINK& cdb = d.command->link;
        std::string line = "CDB " + cdb.name + " : ";
        for (int32_t i = 0; i < cdb.cdbLength && i < static_cast<int32_t>(cdb.cdb.size()); ++i) {
          char text[8];
          std::snprintf(text, sizeof text, "%02X ", cdb.cdb[static_cast<size_t>(i)]);
          line += text;
        }
        sa::EmitLine(ctx, d.where, line);
        return 0;
      });
}

// PRINTBUFFER [SCREEN|LOG|BOTH] buffer [start [end]]
int _PrintBuffer(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    const auto* data = dynamic_cast<const PrintBufferData*>(stmt.data.get());
    if (data == nullptr) return ctx.Fail(PRINTBUFFER_INVALID_BUFFER_SPECIFIED);
    const KByteArray& buffer = *data->buffer;
    const uint32_t start = data->start.Get();
    const uint32_t end = data->end.Get();
    if (start >= buffer.size) return ctx.Fail(PRINTBUFFER_START_RANGE_ERROR);
    if (start != 0 && end != 0 && start >= end) return ctx.Fail(PRINTBUFFER_START_END_RANGE_ERROR);
    // An end past the buffer shows the buffer to its end.
    const uint32_t last = end == 0 ? buffer.size : std::min(end, buffer.size);
    for (const std::string& line : HexDumpLines({buffer.data.get(), buffer.size}, start, last))
      sa::EmitLine(ctx, data->where, line);
    return 0;
  }
  std::vector<std::string> w = sa::Words(ctx.Line());
  auto data = std::make_unique<PrintBufferData>();
  data->where = sa::TakeDestination(w);
  data->buffer = w.empty() ? nullptr : ctx.FindArray(w[0]);
  if (data->buffer == nullptr) return ctx.Fail(PRINTBUFFER_INVALID_BUFFER_SPECIFIED);
  if (w.size() > 1 && !sa::ReadValue(ctx, w[1], kIntegerNumbers, kIntegerVariables, data->start))
    return ctx.Fail(PRINTBUFFER_INVALID_START_ARG);
  if (w.size() > 2 && !sa::ReadValue(ctx, w[2], kIntegerNumbers, kIntegerVariables, data->end))
    return ctx.Fail(PRINTBUFFER_INVALID_END_ARG);
  if (data->start.variable == nullptr && data->start.constant >= data->buffer->size)
    return ctx.Fail(PRINTBUFFER_START_RANGE_ERROR);
  if (data->start.variable == nullptr && data->end.variable == nullptr && data->start.constant != 0 &&
      data->end.constant != 0 && data->start.constant >= data->end.constant)
    return ctx.Fail(PRINTBUFFER_START_END_RANGE_ERROR);
  stmt.data = std::move(data);
  return 0;
}
