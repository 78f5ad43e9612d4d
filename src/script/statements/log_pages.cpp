#include "script/statements/log_pages.h"

#include <algorithm>
#include <cstdio>

#include "base/byte_order.h"
#include "facade/console_sense.h"
#include "script/core/expression.h"
#include "script/core/statement_api.h"
#include "script/statements/event_log_statements.h"

namespace {

constexpr int kEventLogPage = 7;

// The log pages a script may declare (LOGPAGE), one row per page code: which
// decoder loads it (LOADPAGE; a page without one is declared only and never
// loads), whether it may be shown (PRINTPAGE, RECORDPAGE), and the error a
// failed "var = TAG->code" fetch reports (0: the decoder's own). A new page is
// one row here. 2Fh is informational exceptions.
enum class PageDecoder : uint8_t { kNone, kParameters, kEventLog };
struct PageRow {
  int code;
  PageDecoder decoder;
  bool printable;
  bool recordable;
  int32_t fetchError;
};
constexpr PageDecoder kParams = PageDecoder::kParameters;
constexpr PageRow kPageRows[] = {
    {0x00, kParams, true, true, DO_VARIABLE_PG0_VALUE_FETCH_ERROR},
    {0x02, kParams, true, true, VARIABLE_PG2_VALUE_FETCH_ERROR},
    {0x03, kParams, true, true, VARIABLE_PG3_VALUE_FETCH_ERROR},
    {kEventLogPage, PageDecoder::kEventLog, true, true, 0},
    {0x0C, kParams, false, false, K_DO_VARIABLE_PGC0_VALUE_FETCH_ERROR},
    {0x0D, kParams, true, true, VARIABLE_PG0D_VALUE_FETCH_ERROR},
    {0x12, kParams, true, true, 0},
    {0x14, kParams, false, false, K_DO_VARIABLE_PG14_VALUE_FETCH_ERROR},
    {0x16, PageDecoder::kNone, false, false, 0},
    {0x17, kParams, true, true, 0},  // volume statistics: the mounted cartridge's own counters
    {0x2E, kParams, true, true, VARIABLE_PG2E_VALUE_FETCH_ERROR},
    {0x2F, kParams, true, true, 0},
    {0x30, kParams, true, true, K_DO_VARIABLE_PG30_VALUE_FETCH_ERROR},
    {0x31, kParams, true, true, K_DO_VARIABLE_PG31_VALUE_FETCH_ERROR},
    {0x32, kParams, true, true, VARIABLE_PG32_VALUE_FETCH_ERROR},
    {0x33, kParams, true, true, K_DO_VARIABLE_PG33_VALUE_FETCH_ERROR},
    {0x34, kParams, true, true, K_DO_VARIABLE_PG34_VALUE_FETCH_ERROR},
    {0x39, kParams, true, true, K_DO_VARIABLE_PG39_VALUE_FETCH_ERROR},
    {0x3A, kParams, false, true, K_DO_VARIABLE_PG3A_VALUE_FETCH_ERROR},
    {0x3C, kParams, true, true, K_DO_VARIABLE_PG3C_VALUE_FETCH_ERROR},
    {0x3E, kParams, true, true, VARIABLE_PG3E_VALUE_FETCH_ERROR},
};
// The event log's packets have a decoder of their own; no other page may claim it.
constexpr bool EventLogRowsAgree() {
  for (const PageRow& row : kPageRows) {
    if ((row.code == kEventLogPage) != (row.decoder == PageDecoder::kEventLog)) return false;
  }
  return true;
}
static_assert(EventLogRowsAgree());

const PageRow* PageRowOf(int code) {
  for (const PageRow& row : kPageRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

int32_t FetchErrorOf(int page, int32_t decoderCode) {
  const PageRow* row = PageRowOf(page);
  return row != nullptr && row->fetchError != 0 ? row->fetchError : decoderCode;
}

// The blank-separated words of a line after its keyword.
std::vector<std::string_view> Args(const char* line) { return pg7::Words(line != nullptr ? line : ""); }

bool ParseNumber(std::string_view word, uint32_t& value) {
  const int cls = KText::DetermineNumberType(word);
  if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG) return false;
  value = static_cast<uint32_t>(KText::AtoLn(word));
  return true;
}

CLogPageLL& Pages(StatementContext& ctx) { return ctx.Declarations().Get<CLogPageLL>(); }

// The page a statement names: 0, or the statement's "no page" / "unknown page" error.
int32_t NamedPage(StatementContext& ctx, int32_t none, int32_t unknown, LP_LINK*& page) {
  const std::vector<std::string_view> w = Args(ctx.Line());
  if (w.empty()) return none;
  page = Pages(ctx).Find(w[0]);
  return page == nullptr ? unknown : 0;
}

bool Loaded(const LP_LINK& page) {
  return page.pageId == kEventLogPage ? page.events->IsLoaded() : page.pages->IsLoaded();
}

// A log page reply holds its 4-byte header and every byte its page length announces.
bool ArrivedWhole(std::span<const uint8_t> bytes) {
  return bytes.size() >= 4 && bytes.size() >= 4u + be::Read16(&bytes[2]);
}

std::vector<std::string> PageLines(const LP_LINK& page, bool forLog) {
  return page.pageId == kEventLogPage ? page.events->PacketLines(forLog) : page.pages->DisplayLines();
}

}  // namespace

bool ParseOutputDest(std::string_view word, OutputDest& dest) {
  const std::string upper = pg7::Upper(word);
  if (upper == "SCREEN") return dest = OutputDest::Screen, true;
  if (upper == "LOG") return dest = OutputDest::Log, true;
  if (upper == "BOTH") return dest = OutputDest::Both, true;
  return false;
}

int WriteLines(StatementContext& ctx, OutputDest dest, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    switch (dest) {
      case OutputDest::Screen:
        ctx.Screen(line);
        break;
      case OutputDest::Log:
        if (ctx.Log(line) != 0) return 1;
        break;
      case OutputDest::Both:
        ctx.Both(line);
        break;
    }
  }
  return 0;
}

LP_LINK* CLogPageLL::Find(std::string_view name) {
  for (LP_LINK& p : pages_) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

const LP_LINK* CLogPageLL::Find(std::string_view name) const {
  for (const LP_LINK& p : pages_) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

LP_LINK& CLogPageLL::Add(LP_LINK page) { return pages_.emplace_back(std::move(page)); }

int32_t CLogPageLL::LogPageCode(std::string_view tag) const {
  const LP_LINK* p = Find(tag);
  return p != nullptr ? p->pageId : -1;
}

int32_t PageParameterValue(const LP_LINK& page, uint32_t parm, KValue& value) {
  if (page.pageId == kEventLogPage) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  if (page.pageId == 0) {
    uint8_t listed = 0;
    const int32_t rc = page.pages->PageAtIndex(parm, listed);
    if (rc != K_KPAGES_OK) return rc;
    value = KValue::Int(listed);
    return 0;
  }
  if (parm > 0xFFFF) return K_KPAGES_INVALID_ENTRY_ID_SPECIFIED;
  const uint16_t code = static_cast<uint16_t>(parm);
  for (size_t width : {1, 2, 3, 4, 8}) {
    std::span<const uint8_t> bytes;
    const int32_t rc = page.pages->FetchValue(code, width, bytes);
    if (rc == K_KPAGES_INVALID_ENTRY_ID_SPECIFIED) return rc;
    if (rc != K_KPAGES_OK) continue;
    const uint64_t v = be::Read(bytes.data(), width);
    value = width == 8 ? KValue::Dbl(static_cast<double>(v)) : KValue::Int(static_cast<uint32_t>(v));
    return 0;
  }
  return K_KPAGES_FETCH_VALUE_LENGTH_ERROR;  // 6, 12 and other widths are no number
}

int CLogPageLL::LogPageValue(const KCompiledAssign& form, KValue& value) {
  const LP_LINK* page = Find(form.pageTag);
  if (page == nullptr) return VARI_UNABLE_TO_PROCESS_VARIABLE;
  if (page->pageId == 0 && form.opCode != K_ASSIGN_EQUATE) return DO_VARIABLE_LOGPAGE_0_NO_MATH_ALLOWED;
  uint32_t parm = 0;
  if (!ParseNumber(form.pageParm, parm)) return VARI_INVALID_PAGE_PARM_VALUE;
  const int32_t rc = PageParameterValue(*page, parm, value);
  return rc == 0 ? 0 : FetchErrorOf(page->pageId, rc);
}

int CLogPageLL::LogPageOperand(std::string_view tag, std::string_view parm, double& value) {
  const LP_LINK* page = Find(tag);
  uint32_t code = 0;
  if (page == nullptr || page->pageId == kEventLogPage || !ParseNumber(parm, code))
    return VARI_UNABLE_TO_PROCESS_VARIABLE;
  KValue v;
  const int32_t rc = PageParameterValue(*page, code, v);
  if (rc != 0) return FetchErrorOf(page->pageId, rc);
  value = v.isDouble ? v.d : static_cast<double>(v.u);
  return 0;
}

std::span<const uint8_t> CLogPageLL::LogPageBytesAt(std::string_view tag, uint32_t code) {
  const LP_LINK* page = Find(tag);
  if (page == nullptr || page->pageId == kEventLogPage) return {};
  if (page->pageId == 0) {
    const std::span<const uint8_t> all = page->pages->Bytes();
    const size_t end = std::min(all.size(), 4 + static_cast<size_t>(page->pages->ParameterCount()));
    return 4 + static_cast<size_t>(code) < end ? all.subspan(4 + code, end - 4 - code) : std::span<const uint8_t>{};
  }
  std::span<const uint8_t> bytes;
  if (code > 0xFFFF || page->pages->FetchBuffer(static_cast<uint16_t>(code), bytes) != K_KPAGES_OK) return {};
  return bytes;
}

int CLogPageLL::EventLogCommand(StatementContext& ctx, TEXT_LINK& stmt, const char* upperCommand) {
  const std::string line = KScript::ArrowsAsBlanks(stmt.text);
  const std::vector<std::string_view> w = pg7::Words(line);
  LP_LINK* page = w.empty() ? nullptr : Find(w[0]);
  if (page == nullptr || page->pageId != kEventLogPage) return ctx.Fail(EXE_UNRECOGNIZABLE_LINE);
  // The arguments: what follows the command word.
  std::string_view rest;
  if (w.size() > 2) rest = std::string_view(line).substr(static_cast<size_t>(w[2].data() - line.data()));
  return RunEventLogSubStatement(ctx, *page, upperCommand, rest);
}

// LOGPAGE name { pageid, buffer }
int _LogPageDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  std::string line = ctx.Line();
  CLogPageLL& pages = Pages(ctx);
  std::vector<std::string_view> w = pg7::Words(line);
  if (w.size() >= 2 && pages.Find(w[1]) != nullptr) return ctx.Fail(LOGPAGE_HANDLER_DUPLICATE_NAME_DETECTED);
  if (std::count(line.begin(), line.end(), '{') != 1) return ctx.Fail(LOGPAGE_HANDLER_LEFT_BRACKET_MISSING);
  if (std::count(line.begin(), line.end(), '}') != 1) return ctx.Fail(LOGPAGE_HANDLER_RIGHT_BRACKET_MISSING);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '{' || c == '}' || c == ','; }, ' ');
  w = pg7::Words(line);
  uint32_t id = 0;
  if (w.size() < 3 || !ParseNumber(w[2], id)) return ctx.Fail(LOGPAGE_HANDLER_UNKNOWN_PAGEID_SPECIFIED);
  if (w.size() < 4 || ctx.FindArray(w[3]) == nullptr) return ctx.Fail(LOGPAGE_HANDLER_INVALID_BUFFER_SPECIFIED);
  if (id > 0xFF || PageRowOf(static_cast<int>(id)) == nullptr) return ctx.Fail(LOGPAGE_HANDLER_ADD_PAGE_ERROR);
  LP_LINK page;
  page.name = std::string(w[1]);
  page.buffer = std::string(w[3]);
  page.pageId = static_cast<int32_t>(id);
  if (page.pageId == kEventLogPage) {
    page.events = std::make_unique<KLogPage7>();
  } else {
    page.pages = std::make_unique<KPages>();
  }
  pages.Add(std::move(page));
  return 0;
}

namespace {

// The declared page a LOADPAGE, PRINTPAGE or RECORDPAGE names, found once in
// validation (declared pages never move once the declarations are read).
struct PageData : StatementData {
  LP_LINK* page = nullptr;
  const PageRow* row = nullptr;  // its row of the page table
};

int32_t CompilePage(StatementContext& ctx, int32_t none, int32_t unknown, PageData& data) {
  if (const int32_t rc = NamedPage(ctx, none, unknown, data.page); rc != 0) return rc;
  data.row = PageRowOf(data.page->pageId);
  return 0;
}

}  // namespace

// LOADPAGE page
int _LoadPage(StatementContext& ctx, TEXT_LINK& stmt) {
  const auto compile = [&ctx](PageData& data) {
    return CompilePage(ctx, LOAD_PAGE_NO_PAGE_SPECIFIED, LOAD_PAGE_INVALID_PAGE_SPECIFIED, data);
  };
  return CompileThenRun<PageData>(ctx, stmt, LOAD_PAGE_INVALID_PAGE_SPECIFIED, compile, [&ctx](PageData& data) {
    LP_LINK* page = data.page;
    const KByteArray* buffer = ctx.FindArray(page->buffer);
    if (buffer == nullptr || buffer->data == nullptr) return ctx.Fail(KRT_LOAD_PAGE_LOADING_ERROR);
    // Only what the last command delivered is the page; a buffer no command
    // filled is taken whole.
    const std::span<const uint8_t> bytes(buffer->data.get(), buffer->FilledBytes());
    const bool whole = buffer->filled == KByteArray::kWholeBuffer || ArrivedWhole(bytes);
    int32_t rc = K_KPAGES_ILLEGAL_LOGPAGE_ID;
    switch (data.row != nullptr ? data.row->decoder : PageDecoder::kNone) {
      case PageDecoder::kEventLog:
        rc = page->events->Load(bytes);
        break;
      case PageDecoder::kParameters:
        rc = page->pages->Load(page->pageId, bytes);
        break;
      case PageDecoder::kNone:
        break;
    }
    if (!whole) {
      // What arrived stays loaded; the script sees the page as a failure.
      SenseTriggers& status = ctx.Triggers();
      status.sk = kConsoleSenseKey;
      status.asc = kAscShortData;
      status.ascq = kAscqShortPage;
      status.vsSense = 0xFFFFFFFFu;
      return 0;
    }
    return rc == 0 ? 0 : ctx.Fail(KRT_LOAD_PAGE_LOADING_ERROR);
  });
}

namespace {

// PRINTPAGE and RECORDPAGE: the page's lines to the screen or the log.
struct ShowPage {
  int32_t none, unknown, unhandled, notLoaded;
  bool toLog;
};

int Show(StatementContext& ctx, TEXT_LINK& stmt, const ShowPage& s, bool PageRow::*handled) {
  const auto compile = [&](PageData& data) {
    if (const int32_t rc = CompilePage(ctx, s.none, s.unknown, data); rc != 0) return rc;
    return data.row == nullptr || !(data.row->*handled) ? s.unhandled : 0;
  };
  return CompileThenRun<PageData>(ctx, stmt, s.unknown, compile, [&](PageData& data) {
    const LP_LINK& page = *data.page;
    if (!Loaded(page)) return ctx.Fail(s.notLoaded);
    return WriteLines(ctx, s.toLog ? OutputDest::Log : OutputDest::Screen, PageLines(page, s.toLog));
  });
}

}  // namespace

// PRINTPAGE page
int _PrintPage(StatementContext& ctx, TEXT_LINK& stmt) {
  static constexpr ShowPage kPrint = {PRINT_PAGE_NO_PAGE_SPECIFIED, PRINT_PAGE_INVALID_PAGE_SPECIFIED,
                                      PRINT_PAGE_UNHANDLED_PAGE_REQUEST, KRT_PRINT_PAGE_LOGPAGE_NOT_LOADED, false};
  return Show(ctx, stmt, kPrint, &PageRow::printable);
}

// RECORDPAGE page
int _RecordPage(StatementContext& ctx, TEXT_LINK& stmt) {
  static constexpr ShowPage kRecord = {RECORD_PAGE_NO_PAGE_SPECIFIED, RECORD_PAGE_INVALID_PAGE_SPECIFIED,
                                       RECORD_PAGE_UNHANDLED_PAGE_REQUEST, KRT_RECORD_PAGE_LOGPAGE_NOT_LOADED, true};
  return Show(ctx, stmt, kRecord, &PageRow::recordable);
}

// DUMPLOGPAGE anything
int _DumpLogPage(StatementContext& /*ctx*/, TEXT_LINK& /*stmt*/) { return 0; }
