// IFTRUE and the hit-list sub-statements of a page 7.
#include <algorithm>
#include <string>
#include <vector>

#include "script/core/statement_api.h"
#include "script/statements/event_log_statements.h"
#include "script/statements/log_pages.h"
#include "script/statements/sense_statements.h"

namespace {

constexpr int kEventLogPage = 7;
using Words = std::vector<std::string_view>;

bool IsXX(std::string_view w) { return w == "XX" || w == "xx" || w == "Xx" || w == "xX"; }

// A number of class 1, 2 or 4 (maxClass limits it further).
bool Number(std::string_view w, uint32_t& value, int maxClass = K_NUM_LONG) {
  const int cls = KText::DetermineNumberType(w);
  if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG) return false;
  if (cls > maxClass) return false;
  value = static_cast<uint32_t>(KText::AtoLn(w));
  return true;
}

// The errors of one sense field, SENSE or SCSI query.
struct SenseErrors {
  int32_t ascNumber, ascField, ascqNumber, ascqField;
};
constexpr SenseErrors kSenseErrors = {IFTRUE_SENSE_INVALID_ASC_NUMBER, IFTRUE_SENSE_INVALID_ASC_FIELD,
                                      IFTRUE_SENSE_INVALID_ASCQ_NUMBER, K_IFTRUE_SENSE_INVALID_ASCQ_FIELD};
constexpr SenseErrors kScsiErrors = {IFTRUE_SCSI_INVALID_ASC_NUMBER, IFTRUE_SCSI_INVALID_ASC_FIELD,
                                     IFTRUE_SCSI_INVALID_ASCQ_NUMBER, IFTRUE_SCSI_INVALID_ASCQ_FIELD};

// <sk> <asc|XX> <ascq|XX>, or a SENSEKEYS tag
int32_t ParseSense(StatementContext& ctx, const Words& w, size_t& at, bool scsi, KTRAP_Controll& q) {
  const SenseErrors& e = scsi ? kScsiErrors : kSenseErrors;
  uint32_t v = 0;
  if (at >= w.size()) return IFTRUE_INVALID_NUMBER_OF_COMMAND_ARGS;
  if (!Number(w[at], v, K_NUM_BYTE)) {
    if (KText::DetermineNumberType(w[at]) != K_NUM_NONE) return IFTRUE_SENSE_INVALID_SK_NUMBER;
    const CSenseKeyLL* keys = ctx.Declarations().Find<CSenseKeyLL>();
    const SK_LINK* tag = keys != nullptr ? keys->FindTag(w[at]) : nullptr;
    if (tag == nullptr) return IFTRUE_INVALID_SENSEKEYS_TAG;
    q.has_sense = true;
    q.key = tag->key;
    q.asc = tag->asc;
    q.ascq = tag->ascq;
    q.asc_any = tag->ascAny != 0;
    q.ascq_any = tag->ascqAny != 0;
    ++at;
    return 0;
  }
  q.has_sense = true;
  q.key = static_cast<uint8_t>(v);
  ++at;
  if (at >= w.size()) return e.ascField;
  if (IsXX(w[at])) {
    q.asc_any = 1;
  } else if (Number(w[at], v, K_NUM_BYTE)) {
    q.asc = static_cast<uint8_t>(v);
  } else {
    return e.ascNumber;
  }
  ++at;
  if (at >= w.size()) return e.ascqField;
  if (IsXX(w[at])) {
    q.ascq_any = 1;
  } else if (Number(w[at], v, K_NUM_BYTE)) {
    if (q.asc_any) return IFTRUE_XX_USED_AS_ASC_CODE;  // any ASC with one ASCQ means nothing
    q.ascq = static_cast<uint8_t>(v);
  } else {
    return e.ascqNumber;
  }
  ++at;
  return 0;
}

// <id> [TO <id2>]: numbers (up to the drive's 8-digit codes) or word variables.
int32_t ParseIds(StatementContext& ctx, const Words& w, size_t& at, bool bugcheck, KTRAP_Controll& q) {
  const int32_t invalid = bugcheck ? IFTRUE_BUGCHK_INVALID_VALUE_FIELD : IFTRUE_EVENT_INVALID_VALUE_FIELD;
  const int32_t notWord = bugcheck ? IFTRUE_BUGCHK_VARIABLE_NOT_A_WORD : K_IFTRUE_EVET_VARIABLE_NOT_A_WORD;
  const int32_t range = bugcheck ? K_IFTRUE_BUGCHECK_RANGE_ERROR_SPECIFIED : K_IFTRUE_EVENT_RANGE_ERROR_SPECIFIED;
  bool literal[2] = {true, true};
  uint32_t id[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    if (at >= w.size()) return IFTRUE_INVALID_NUMBER_OF_COMMAND_ARGS;
    if (const VARI_LL* var = ctx.Variables().FindVariable(w[at])) {
      if (var->type != K_VAR_WORD) return notWord;
      id[i] = var->Unsigned();
      literal[i] = false;
    } else if (!Number(w[at], id[i])) {
      return invalid;
    }
    ++at;
    if (i == 1 || at >= w.size() || pg7::Upper(w[at]) != "TO") break;
    ++at;  // TO
    q.range = 1;
  }
  q.id_low = id[0];
  q.id_high = q.range ? id[1] : id[0];
  // Two literal numbers are checked at once; variables when the run has their values.
  if (q.range && (ctx.IsRunMode() || (literal[0] && literal[1])) && q.id_low >= q.id_high) return range;
  return 0;
}

// <type> <id...> from w[at]: the query's type and what it looks for.
int32_t ParseTypeAndIds(StatementContext& ctx, const Words& w, size_t& at, KTRAP_Controll& q) {
  if (at >= w.size()) return IFTRUE_INVALID_NUMBER_OF_COMMAND_ARGS;
  q.type = QueryTypeFromName(std::string(w[at]));
  ++at;
  switch (q.type) {
    case QUERY_SENSE:
    case QUERY_SCSI:
      return ParseSense(ctx, w, at, q.type == QUERY_SCSI, q);
    case QUERY_BUGCHECK:
    case QUERY_EVENT:
      return ParseIds(ctx, w, at, q.type == QUERY_BUGCHECK, q);
    case QUERY_OVERTEMP:
    case QUERY_POST:
      return 0;
    case QUERY_NONE:
      return IFTRUE_INVALID_QUERY_TYPE;
    default:
      return K_OPERATION_UNDER_CONSTRUCTION;  // DIAG_* and CUP have no parser
  }
}

struct OperatorWord {
  std::string_view word;
  QUERY_OP op;
};
constexpr OperatorWord kOperators[] = {{"==", QOP_EQ}, {"!=", QOP_NE}, {"<", QOP_LT},   {">", QOP_GT},
                                       {"<=", QOP_LE}, {">=", QOP_GE}, {"ANY", QOP_ANY}};

// <op> <limit>
int32_t ParseCondition(StatementContext& ctx, const Words& w, size_t& at, KTRAP_Controll& q) {
  if (at >= w.size()) return IFTRUE_INVALID_NUMBER_OF_COMMAND_ARGS;
  const std::string op = pg7::Upper(w[at]);
  const auto found =
      std::find_if(std::begin(kOperators), std::end(kOperators), [&](const OperatorWord& o) { return o.word == op; });
  if (found == std::end(kOperators)) return IFTRUE_INVALID_OPERATOR_DETECTED;
  q.op = found->op;
  ++at;
  if (q.op == QOP_ANY) {
    // The data-word filter of ANY is not applied by the search, so ANY
    // would hold for any log: refused until it means something.
    if (at >= w.size() || pg7::Upper(w[at]).rfind("DW", 0) != 0) return K_IFTRUE_HANDLEANY_MISSING_DW_PHRASE;
    return K_OPERATION_UNDER_CONSTRUCTION;
  }
  if (at >= w.size()) return IFTRUE_INVALID_NUMBER_OF_COMMAND_ARGS;
  uint32_t limit = 0;
  if (const VARI_LL* var = ctx.Variables().FindVariable(w[at])) {
    if (var->type != K_VAR_WORD) return IFTRUE_LIMIT_FIELD_VARIABLE_NOT_A_WORD;
    limit = var->Unsigned();
  } else if (!Number(w[at], limit, K_NUM_WORD)) {
    return IFTRUE_INVALID_NUMBER_VALUE_FIELD;
  }
  q.limit = static_cast<uint16_t>(limit);
  ++at;
  return 0;
}

// [WITHIN <hours>] [WITH SAME|DIFF...]
int32_t ParsePhrases(StatementContext& ctx, const Words& w, size_t at, KTRAP_Controll& q) {
  bool sawWith = false;
  while (at < w.size()) {
    const std::string word = pg7::Upper(w[at]);
    if (word == "WITHIN") {
      if (sawWith || q.within) return IFTRUE_WITHIN_PHRASE_PRECIDENT_ERROR;
      if (++at >= w.size()) return IFTRUE_UNKNOWN_WITHIN_TIME_ARG;
      uint32_t hours = 0;
      if (const VARI_LL* var = ctx.Variables().FindVariable(w[at])) {
        hours = var->IsDouble() ? static_cast<uint32_t>(std::clamp(var->dValue, 0.0, 4294967295.0)) : var->Unsigned();
      } else if (!Number(w[at], hours)) {
        return IFTRUE_UNKNOWN_WITHIN_TIME_ARG;
      }
      q.within = true;
      q.within_hours = hours;
    } else if (word == "WITH") {
      if (sawWith) return IFTRUE_WITH_PHRASE_PRECIDENT_ERROR;
      if (++at >= w.size()) return IFTRUE_INVALID_WITH_ARG;
      const std::string kind = pg7::Upper(w[at]);
      if (kind == "SAME") {
        q.same = 1;
      } else if (kind.rfind("DIFF", 0) == 0) {
        q.same = 0;
      } else {
        return IFTRUE_INVALID_WITH_ARG;
      }
      q.with = 1;
      sawWith = true;
    } else {
      return IFTRUE_WITH_PHRASE_PRECIDENT_ERROR;
    }
    ++at;
  }
  return 0;
}

// The vector "JUMP label" or "CALL label", cut from the words. The label
// must be defined, as for IF, so a misspelt one is found at load.
int32_t ParseVector(const StatementContext& ctx, Words& w, KTRAP_Controll& q) {
  for (size_t i = 0; i < w.size(); ++i) {
    const std::string word = pg7::Upper(w[i]);
    if (word != "JUMP" && word != "CALL") continue;
    q.call = word == "CALL";
    const int32_t invalid =
        q.call ? IFTRUE_INVALID_CALL_VECTOR_SYMBOL_DETECTED : IFTRUE_INVALID_JUMP_VECTOR_SYMBOL_DETECTED;
    if (i + 1 >= w.size()) return invalid;
    if (w[i + 1].size() > kQueryLabelMax)
      return q.call ? IFTRUE_CALL_SYMBOL_TAG_TOO_LONG : IFTRUE_JUMP_SYMBOL_TAG_TOO_LONG;
    if (!ctx.HasLabel(std::string(w[i + 1]))) return invalid;
    q.label = std::string(w[i + 1]);
    w.resize(i);
    return 0;
  }
  return IFTRUE_NO_CALL_OR_JUMP_SPECIFIED;
}

// A word variable that receives a count.
int32_t CountVariable(StatementContext& ctx, std::string_view name, int32_t unknown, int32_t notWord, VARI_LL*& var) {
  var = ctx.Variables().FindVariable(name);
  if (var == nullptr) return unknown;
  return var->type == K_VAR_WORD ? 0 : notWord;
}

// Runs the search; the count variable gets the hit count, also after a failed search.
int32_t Search(StatementContext& ctx, LP_LINK& page, VARI_LL& count) {
  EventQueryState& state = ctx.Declarations().Get<EventQueryState>();
  state.trap.current_poh = state.currentPoh;
  const int32_t rc = state.search.Search(*page.events, state.trap);
  count.SetUnsigned(static_cast<uint32_t>(state.search.Count()));
  return rc;
}

// A hit index: a byte or word number, or a byte or word variable.
int32_t HitIndex(StatementContext& ctx, std::string_view word, int32_t wide, int32_t unknown, uint32_t& index) {
  if (const VARI_LL* var = ctx.Variables().FindVariable(word)) {
    if (var->type != K_VAR_BYTE && var->type != K_VAR_WORD) return wide;
    index = var->Unsigned();
    return 0;
  }
  const int cls = KText::DetermineNumberType(word);
  if (cls == K_NUM_LONG || cls == K_NUM_DOUBLE) return wide;
  if (cls == K_NUM_NONE) return unknown;
  index = static_cast<uint32_t>(KText::Aton(word));
  return 0;
}

bool IntegerVariable(const VARI_LL* var) {
  return var != nullptr && (var->type == K_VAR_BYTE || var->type == K_VAR_WORD || var->type == K_VAR_LONG);
}

}  // namespace

// IFTRUE page countvar type id... op limit [WITHIN hours] [WITH SAME|DIFF] JUMP|CALL label
int _IfTrue(StatementContext& ctx, TEXT_LINK& stmt) {
  EventQueryState& state = ctx.Declarations().Get<EventQueryState>();
  KTRAP_Controll& q = state.trap;
  q.Clear();
  Words w = pg7::Words(ctx.Line());
  if (const int32_t rc = ParseVector(ctx, w, q); rc != 0) return ctx.Fail(rc);
  if (w.size() < 3) return ctx.Fail(IFTRUE_INVALID_NUMBER_OF_COMMAND_ARGS);
  LP_LINK* page = ctx.Declarations().Get<CLogPageLL>().Find(w[0]);
  if (page == nullptr) return ctx.Fail(IFTRUE_INVALID_LOGPAGE_TAG);
  if (page->pageId != kEventLogPage) return ctx.Fail(IFTRUE_INVALID_LOGPAGE_NUMBER);
  VARI_LL* count = nullptr;
  if (const int32_t rc = CountVariable(ctx, w[1], K_IFTRUE_INVALID_RETURN_COUNT_VARIABLE_SPECIFIED,
                                       K_IFTRUE_INVALID_RETURN_COUNT_VARIABLE_TYPE_SPECIFIED, count);
      rc != 0)
    return ctx.Fail(rc);
  size_t at = 2;
  if (const int32_t rc = ParseTypeAndIds(ctx, w, at, q); rc != 0) return ctx.Fail(rc);
  if (const int32_t rc = ParseCondition(ctx, w, at, q); rc != 0) return ctx.Fail(rc);
  if (const int32_t rc = ParsePhrases(ctx, w, at, q); rc != 0) return ctx.Fail(rc);
  if (!ctx.IsRunMode()) return 0;

  if (const int32_t rc = Search(ctx, *page, *count); rc != 0) return ctx.Fail(rc);
  if (!state.search.Holds(q)) return 0;
  if (stmt.target == nullptr)
    return ctx.Fail(q.call ? IFTRUE_INVALID_CALL_VECTOR_SYMBOL_DETECTED : IFTRUE_INVALID_JUMP_VECTOR_SYMBOL_DETECTED);
  if (q.call) return ctx.Call(stmt, stmt.target);
  ctx.JumpTo(stmt.target);
  return 0;
}

// page->CREATELIST type id... countvar
int Pg7CreateList(StatementContext& ctx, LP_LINK& page, std::string_view args) {
  EventQueryState& state = ctx.Declarations().Get<EventQueryState>();
  KTRAP_Controll& q = state.trap;
  q.Clear();
  Words w = pg7::Words(args);
  if (w.size() < 2) return ctx.Fail(PG7_CREATE_LIST_INVALID_NOF_VARIABLE_SPECIFIED);
  VARI_LL* count = nullptr;
  if (const int32_t rc = CountVariable(ctx, w.back(), PG7_CREATE_LIST_INVALID_NOF_VARIABLE_SPECIFIED,
                                       PG7_CREATE_LIST_INVALID_NOF_VARIABLE_TYPE_SPECIFIED, count);
      rc != 0)
    return ctx.Fail(rc);
  w.pop_back();
  size_t at = 0;
  if (const int32_t rc = ParseTypeAndIds(ctx, w, at, q); rc != 0) return ctx.Fail(rc);
  if (at != w.size()) return ctx.Fail(IFTRUE_INVALID_NUMBER_OF_COMMAND_ARGS);
  if (!ctx.IsRunMode()) return 0;
  const int32_t rc = Search(ctx, page, *count);
  return rc == 0 ? 0 : ctx.Fail(rc);
}

// page->PRINTLIST SCREEN|LOG|BOTH
int Pg7PrintList(StatementContext& ctx, LP_LINK& /*page*/, std::string_view args) {
  const Words w = pg7::Words(args);
  if (w.empty()) return ctx.Fail(PG7_PRINT_LIST_MISSING_ARGUMENTS);
  OutputDest dest;
  if (!ParseOutputDest(w[0], dest)) return ctx.Fail(PG7_PRINT_LIST_INVALID_DESTINATION_SPECIFIED);
  if (!ctx.IsRunMode()) return 0;
  return WriteLines(ctx, dest, ctx.Declarations().Get<EventQueryState>().search.PrintLines());
}

// page->FILTERLIST TIME hours countvar | TAPE SAME|DIFFERENT ...
int Pg7FilterList(StatementContext& ctx, LP_LINK& /*page*/, std::string_view args) {
  const Words w = pg7::Words(args);
  if (w.empty()) return ctx.Fail(PG7_FILTER_LIST_MISSING_ARGUMENTS);
  const std::string kind = pg7::Upper(w[0]);
  if (kind == "TAPE") {
    if (w.size() < 2) return ctx.Fail(PG7_FILTER_LIST_MISSING_ARGUMENTS);
    const std::string which = pg7::Upper(w[1]);
    if (which != "SAME" && which != "DIFFERENT") return ctx.Fail(PG7_FILTER_LIST_INVALID_TAPE_TYPE_SPECIFIED);
    return 0;  // accepted; the hit list keeps no tape to filter by
  }
  if (kind != "TIME") return ctx.Fail(PG7_FILTER_LIST_INVALID_FILTER_TYPE_SPECIFIED);
  if (w.size() < 3) return ctx.Fail(PG7_FILTER_LIST_MISSING_ARGUMENTS);
  uint32_t hours = 0;
  if (const VARI_LL* var = ctx.Variables().FindVariable(w[1]); IntegerVariable(var)) {
    hours = var->Unsigned();
  } else if (!Number(w[1], hours)) {
    return ctx.Fail(PG7_FILTER_LIST_INVALID_TIME_SPECIFIED);
  }
  VARI_LL* count = nullptr;
  if (const int32_t rc = CountVariable(ctx, w[2], PG7_FILTER_LIST_INVALID_NOF_VARIABLE_SPECIFIED,
                                       PG7_FILTER_LIST_INVALID_NOF_VARIABLE_TYPE_SPECIFIED, count);
      rc != 0)
    return ctx.Fail(rc);
  if (!ctx.IsRunMode()) return 0;
  EventQueryState& state = ctx.Declarations().Get<EventQueryState>();
  state.search.FilterTime(hours, state.currentPoh);
  count->SetUnsigned(static_cast<uint32_t>(state.search.Count()));
  return 0;
}

// page->GETVALUE hitindex var field.mask [<< n | >> n] [+ field.mask [<< n | >> n] ...]
int Pg7GetValue(StatementContext& ctx, LP_LINK& page, std::string_view args) {
  std::string text(args);
  const Words head = pg7::Words(text);
  if (head.size() < 3) return ctx.Fail(PG7_GETVALUE_UNBALANCED_FIELD_ARGS_TO_PLUSES);
  uint32_t index = 0;
  if (const int32_t rc =
          HitIndex(ctx, head[0], PG7_GETVALUE_ILLEGAL_IDX_ARG_SPECIFIED, PG7_GETVALUE_UNKNOWN_IDX_VALUE, index);
      rc != 0)
    return ctx.Fail(rc);
  VARI_LL* var = ctx.Variables().FindVariable(head[1]);
  if (!IntegerVariable(var)) return ctx.Fail(PG7_GETVALUE_UNKNOWN_VARAIBLE_SPECIFIED);
  std::string terms(text.substr(static_cast<size_t>(head[2].data() - text.data())));
  const auto pluses = std::count(terms.begin(), terms.end(), '+');
  const auto dots = std::count(terms.begin(), terms.end(), '.');
  if (pluses != dots - 1) return ctx.Fail(PG7_GETVALUE_UNBALANCED_FIELD_ARGS_TO_PLUSES);
  std::replace_if(
      terms.begin(), terms.end(), [](char c) { return c == '+' || c == '.'; }, ' ');
  const Words w = pg7::Words(terms);
  std::vector<GetValueTerm> list;
  for (size_t at = 0; at < w.size();) {
    GetValueTerm t;
    uint32_t v = 0;
    if (!Number(w[at], v, K_NUM_WORD)) return ctx.Fail(PG7_GETVALUE_ILLEGAL_FIELD_IDX_ARG_SPECIFIED);
    t.field = static_cast<uint16_t>(v);
    if (++at >= w.size() || KText::DetermineNumberType(w[at]) != K_NUM_LONG)
      return ctx.Fail(PG7_GETVALUE_ILLEGAL_FIELD_MASK_ARG_SPECIFIED);
    t.mask = static_cast<uint32_t>(KText::AtoLn(w[at]));
    ++at;
    if (at < w.size() && (w[at] == "<<" || w[at] == ">>")) {
      t.left = w[at] == "<<";
      const int32_t range =
          t.left ? PG7_GETVALUE_SHIFTLEFT_VALUE_OUT_OF_RANGE : PG7_GETVALUE_SHIFTRIGHT_VALUE_OUT_OF_RANGE;
      if (++at >= w.size() || !Number(w[at], v, K_NUM_BYTE) || v > 31) return ctx.Fail(range);
      t.shift = static_cast<uint8_t>(v);
      ++at;
    }
    list.push_back(t);
  }
  if (!ctx.IsRunMode()) return 0;
  uint32_t sum = 0;
  const int32_t rc = ctx.Declarations().Get<EventQueryState>().search.GetValue(*page.events, index, list, sum);
  if (rc != 0) return ctx.Fail(rc);
  var->SetUnsigned(sum);
  return 0;
}

// page->REMOVEPACKET hitindex var
int Pg7RemovePacket(StatementContext& ctx, LP_LINK& /*page*/, std::string_view args) {
  const Words w = pg7::Words(args);
  if (w.empty()) return ctx.Fail(K_PG7_REMOVEPACKET_UNKNOWN_IDX_VALUE);
  uint32_t index = 0;
  if (const int32_t rc = HitIndex(ctx, w[0], K_PG7_REMOVEPACKET_ILLEGAL_IDX_ARG_SPECIFIED,
                                  K_PG7_REMOVEPACKET_UNKNOWN_IDX_VALUE, index);
      rc != 0)
    return ctx.Fail(rc);
  VARI_LL* var = w.size() > 1 ? ctx.Variables().FindVariable(w[1]) : nullptr;
  if (var == nullptr) return ctx.Fail(K_PG7_REMOVEPACKET_UNKNOWN_RET_VARAIBLE_SPECIFIED);
  if (!IntegerVariable(var)) return ctx.Fail(K_PG7_REMOVEPACKET_INVALID_RET_VARAIBLE_TYPE_SPECIFIED);
  if (!ctx.IsRunMode()) return 0;
  CSearchEngine& search = ctx.Declarations().Get<EventQueryState>().search;
  if (!search.Remove(index)) return ctx.Fail(K_PG7_REMOVEPACKET_REMOVAL_FAILED);
  var->SetUnsigned(static_cast<uint32_t>(search.Count()));
  return 0;
}
