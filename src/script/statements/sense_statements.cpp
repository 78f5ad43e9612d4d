// SENSEKEYS, the sense tests and getters, and the sense report.
#include "script/statements/sense_statements.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/sense_texts.h"
#include "base/sense_words.h"
#include "facade/console_sense.h"
#include "facade/vs_sense_codes.h"
#include "script/core/error_fx.h"
#include "script/core/ktext.h"
#include "script/statements/statement_args.h"

namespace sa = statement_args;

namespace {

constexpr uint8_t kNone = 0xCC;
constexpr const char* kUnknownText = "Description Unknown";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Byte number: its value, else -1.
int ByteNumber(std::string_view word) {
  return KText::DetermineNumberType(word) == K_NUM_BYTE ? static_cast<int>(KText::AtoLn(word)) : -1;
}

// "XX" (any) or a byte number; false for anything else.
bool ReadSenseByte(const std::string& word, uint8_t& value, int32_t& any) {
  any = Upper(word) == "XX" ? 1 : 0;
  if (any) {
    value = 0;
    return true;
  }
  const int v = ByteNumber(word);
  if (v < 0) return false;
  value = static_cast<uint8_t>(v);
  return true;
}

// What IFSENSE and IFNOSENSE do when their test holds.
struct SenseAction {
  enum Kind : uint8_t { kJump, kCall, kReturn } kind = kJump;
};

struct ActionCodes {
  int32_t jump;
  int32_t call;
  int32_t implied;
};

// The action words from `at` on; 0 or the code. The label itself is bound
// to the statement by the linker (its last word).
int ParseAction(StatementContext& ctx, const std::vector<std::string>& w, size_t at, ActionCodes codes,
                SenseAction& out) {
  if (at >= w.size()) return codes.implied;
  const std::string first = Upper(w[at]);
  if (first == "RETURN") {
    out.kind = SenseAction::kReturn;
    return 0;
  }
  if (first == "JUMP" || first == "CALL") {
    out.kind = first == "JUMP" ? SenseAction::kJump : SenseAction::kCall;
    const int32_t code = first == "JUMP" ? codes.jump : codes.call;
    return at + 1 < w.size() && ctx.HasLabel(w[at + 1]) ? 0 : code;
  }
  out.kind = SenseAction::kJump;
  return ctx.HasLabel(w[at]) ? 0 : codes.implied;
}

int RunAction(StatementContext& ctx, TEXT_LINK& stmt, const SenseAction& action) {
  switch (action.kind) {
    case SenseAction::kReturn:
      return ctx.Return();
    case SenseAction::kCall:
      return ctx.Call(stmt, stmt.target);
    default:
      ctx.JumpTo(stmt.target);
      return 0;
  }
}

// The text of a triple: the script's SENSEKEYS definition first, then the
// console's own triples (transport failures, short data); null for none.
const char* TripleText(const CSenseKeyLL* texts, uint8_t key, uint8_t asc, uint8_t ascq) {
  const SK_LINK* match = texts != nullptr ? texts->Lookup(key, asc, ascq) : nullptr;
  return match != nullptr ? match->text.c_str() : ConsoleSenseText(key, asc, ascq);
}

// What IFSENSE tests: any sense, a transport failure, or a triple (or tag).
enum class SenseTest : uint8_t { kTriple, kAny, kTransport };

struct IfSenseData : StatementData {
  SenseTest kind = SenseTest::kTriple;
  SK_LINK test;  // key, ASC, ASCQ and wildcards of a triple or a tag
  SenseAction action;
};

struct IfNoSenseData : StatementData {
  SenseAction action;
};

// A getter that copies one status field (or 0) into a variable.
struct Getter {
  int32_t type;
  int32_t unknown;
  int32_t wrongType;
  uint32_t (*value)(const SenseTriggers&);
};

int RunGetter(StatementContext& ctx, TEXT_LINK& stmt, const Getter& g) {
  const sa::VariableRule rule[1] = {{g.type, g.unknown, g.unknown, g.wrongType}};
  return CompileThenRun<sa::VariablesData<1>>(
      ctx, stmt, g.unknown,
      [&](sa::VariablesData<1>& d) { return sa::FindVariables(ctx, sa::Words(ctx.Line()), 0, rule, d.variable); },
      [&](sa::VariablesData<1>& d) {
        d.variable[0]->SetUnsigned(g.value(ctx.Triggers()));
        return 0;
      });
}

const Getter kIli = {K_VAR_BYTE, K_GET_ILI_STATUS_INVALID_VARIABLE_SPECIFIED, K_GET_ILI_STATUS_INVALID_VARIABLE_TYPE,
                     [](const SenseTriggers& s) -> uint32_t { return s.ili; }};
const Getter kEom = {K_VAR_BYTE, K_GET_EOM_STATUS_INVALID_VARIABLE_SPECIFIED, K_GET_EOM_STATUS_INVALID_VARIABLE_TYPE,
                     [](const SenseTriggers& s) -> uint32_t { return s.eom; }};
const Getter kFm = {K_VAR_BYTE, K_GET_FM_STATUS_INVALID_VARIABLE_SPECIFIED, K_GET_FM_STATUS_INVALID_VARIABLE_TYPE,
                    [](const SenseTriggers& s) -> uint32_t { return s.fm; }};
const Getter kSuppress = {K_VAR_BYTE, K_GET_SUPPRESS_STATUS_NO_VARIABLE_SPECIFIED,
                          K_GET_SUPPRESS_STATUS_INVALID_VARIABLE_TYPE,
                          [](const SenseTriggers&) -> uint32_t { return 0; }};
const Getter kVexilMode = {K_VAR_BYTE, K_GET_VEXIL_MODE_NO_VARIABLE_SPECIFIED, K_GET_VEXIL_MODE_INVALID_VARIABLE_TYPE,
                           [](const SenseTriggers&) -> uint32_t { return 0; }};
const Getter kResidual = {K_VAR_LONG, K_GET_RESIDUAL_INVALID_VARIABLE_SPECIFIED, K_GET_RESIDUAL_INVALID_VARIABLE_TYPE,
                          [](const SenseTriggers& s) -> uint32_t { return s.residual; }};
const Getter kLtocFsc = {K_VAR_WORD, K_GETLTOCFSC_INVALID_VARIABLE_SPECIFIED, K_GETLTOCFSC_INVALID_VARIABLE_TYPE,
                         [](const SenseTriggers& s) -> uint32_t { return s.ltocFsc; }};
const Getter kLtocFlag = {K_VAR_WORD, K_GETLTOCFLAG_INVALID_VARIABLE_SPECIFIED, K_GETLTOCFLAG_INVALID_VARIABLE_TYPE,
                          [](const SenseTriggers& s) -> uint32_t { return s.ltocFlag; }};

void SenseReport(StatementContext& ctx, sa::Destination where) {
  const SenseTriggers& s = ctx.Triggers();
  sa::EmitLine(ctx, where, SenseLine(ctx.Declarations().Find<CSenseKeyLL>(), s.sk, s.asc, s.ascq));
  ReportVsSense(s.vsSense, [&](const char* line) { sa::EmitLine(ctx, where, line); });
}

}  // namespace

const SK_LINK* CSenseKeyLL::Lookup(uint8_t key, uint8_t asc, uint8_t ascq) const {
  for (const auto& link : links_)
    if (link->Matches(key, asc, ascq)) return link.get();
  return nullptr;
}

const SK_LINK* CSenseKeyLL::FindTag(std::string_view tag) const {
  for (const auto& link : links_)
    if (!link->name.empty() && link->name == tag) return link.get();
  return nullptr;
}

int ParseSenseKeys(std::string_view rest, const CSenseKeyLL* known, SK_LINK& out) {
  std::string text(rest);
  std::replace(text.begin(), text.end(), ',', ' ');
  std::replace(text.begin(), text.end(), '\t', ' ');
  SK_LINK k;
  std::string word;
  KText::WipeLeft(text);
  KText::Store1stWord(text, word);
  if (!word.empty() && KText::DetermineNumberType(std::string_view(word)) == K_NUM_NONE) {
    if (known != nullptr && known->FindTag(word) != nullptr) return SK_HANDLER_DUPLICATE_TAG_DETECTED;
    k.name = word;
    KText::Clear1stWord(text);
    KText::Store1stWord(text, word);
  }
  const int key = ByteNumber(word);
  if (key < 0) return SENSE_KEY_HANDLER_1ST_VALUE_ERROR;
  k.key = static_cast<uint8_t>(key);
  KText::Clear1stWord(text);
  KText::Store1stWord(text, word);
  if (!ReadSenseByte(word, k.asc, k.ascAny)) return SENSE_KEY_HANDLER_2ND_VALUE_ERROR;
  KText::Clear1stWord(text);
  KText::Store1stWord(text, word);
  if (!ReadSenseByte(word, k.ascq, k.ascqAny)) return SENSE_KEY_HANDLER_3RD_VALUE_ERROR;
  if (k.ascAny && !k.ascqAny) return SENSEKEY_HANDLER_3RD_SPEC_WITH_2ND_NOT;
  if (known != nullptr && known->Lookup(k.key, k.asc, k.ascq) != nullptr)
    return SENSE_KEY_HANDLER_DUPLICATE_SENSE_KEY_DETECTED;
  KText::Clear1stWord(text);
  KText::CleanLine(text);
  if (text.empty()) return SENSE_KEY_HANDLER_MISSING_TEXT_FIELD;
  k.text = text;
  out = std::move(k);
  return 0;
}

std::string SenseLine(const CSenseKeyLL* texts, uint8_t key, uint8_t asc, uint8_t ascq) {
  const char* text = TripleText(texts, key, asc, ascq);
  char head[64];
  std::snprintf(head, sizeof head, "\tSense: CC: %02X  ASC: %02X  ASCQ: %02X  = ", key, asc, ascq);
  if (text != nullptr) return std::string(head) + text;
  // Without a text of the script's own, the words of a standard sense; no
  // sense and codes no standard lists stay "Unknown".
  const bool standard = key <= 0x0F && (asc == 0x40 || AscDescription(asc, ascq) != nullptr);
  return std::string(head) + (standard ? SenseWords(key, asc, ascq) : std::string("Unknown"));
}

// SENSEKEYS [tag] key asc ascq text
int _SenseKeysDeclaration(StatementContext& ctx, int32_t /*arg*/) {
  CSenseKeyLL& list = ctx.Declarations().Get<CSenseKeyLL>();
  SK_LINK link;
  if (const int code = ParseSenseKeys(statement_args::AfterKeyword(ctx.Line()), &list, link); code != 0)
    return ctx.Fail(code);
  link.fileId = ctx.SourceFile();
  link.line = ctx.SourceLine();
  list.Add(std::move(link));
  return 0;
}

// IFSENSE ANY|TRANSPORT|tag|key asc ascq JUMP label|CALL label|RETURN|label
int _IfSense(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    const auto* data = dynamic_cast<const IfSenseData*>(stmt.data.get());
    if (data == nullptr) return ctx.Fail(IFSENSE_VALUE_1_ERROR);
    const SenseTriggers& s = ctx.Triggers();
    bool holds = false;
    switch (data->kind) {
      case SenseTest::kAny:
        holds = s.sk != kNone;
        break;
      case SenseTest::kTransport:
        holds = IsTransportSense(s.sk, s.asc);
        break;
      case SenseTest::kTriple:
        holds = data->test.Matches(s.sk, s.asc, s.ascq);
        break;
    }
    return holds ? RunAction(ctx, stmt, data->action) : 0;
  }
  const std::vector<std::string> w = sa::Words(ctx.Line());
  auto data = std::make_unique<IfSenseData>();
  size_t at = 1;
  if (w.empty()) return ctx.Fail(IFSENSE_VALUE_1_ERROR);
  const std::string first = Upper(w[0]);
  if (first == "ANY" || first == "TRANSPORT") {
    data->kind = first == "ANY" ? SenseTest::kAny : SenseTest::kTransport;
  } else if (KText::DetermineNumberType(std::string_view(w[0])) == K_NUM_NONE) {
    const CSenseKeyLL* list = ctx.Declarations().Find<CSenseKeyLL>();
    const SK_LINK* tagged = list != nullptr ? list->FindTag(w[0]) : nullptr;
    if (tagged == nullptr) return ctx.Fail(IFSENSE_SK_TAG_ERROR);
    data->test = *tagged;
  } else {
    const int key = ByteNumber(w[0]);
    if (key < 0) return ctx.Fail(IFSENSE_VALUE_1_ERROR);
    data->test.key = static_cast<uint8_t>(key);
    if (w.size() < 2 || !ReadSenseByte(w[1], data->test.asc, data->test.ascAny)) return ctx.Fail(IFSENSE_VALUE_2_ERROR);
    if (w.size() < 3 || !ReadSenseByte(w[2], data->test.ascq, data->test.ascqAny) ||
        (data->test.ascAny && !data->test.ascqAny))
      return ctx.Fail(IFSENSE_VALUE_3_ERROR);
    at = 3;
  }
  const ActionCodes codes = {IFSENSE_UNKNOWN_VECTOR_ERROR, IFSENSE_UNKNOWN_VECTOR_ERROR, IFSENSE_UNKNOWN_VECTOR_ERROR};
  if (const int code = ParseAction(ctx, w, at, codes, data->action)) return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// IFNOSENSE JUMP label|CALL label|RETURN|label
int _IfNoSense(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    const auto* data = dynamic_cast<const IfNoSenseData*>(stmt.data.get());
    if (data == nullptr) return ctx.Fail(IFNOSENSE_INVALID_IMPLIED_JUMP_SYMBOL_SPECIFIED);
    const SenseTriggers& s = ctx.Triggers();
    const bool none = s.sk == kNone && s.asc == kNone && s.ascq == kNone;
    return none ? RunAction(ctx, stmt, data->action) : 0;
  }
  const std::vector<std::string> w = sa::Words(ctx.Line());
  auto data = std::make_unique<IfNoSenseData>();
  const ActionCodes codes = {IFNOSENSE_INVALID_JUMP_SYMBOL_SPECIFIED, IFNOSENSE_INVALID_CALL_SYMBOL_SPECIFIED,
                             IFNOSENSE_INVALID_IMPLIED_JUMP_SYMBOL_SPECIFIED};
  if (const int code = ParseAction(ctx, w, 0, codes, data->action)) return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// GETSENSE skvar ascvar ascqvar
int _GetSense(StatementContext& ctx, TEXT_LINK& stmt) {
  static constexpr sa::VariableRule kRules[] = {
      {K_VAR_BYTE, GETSENSE_MISSING_ARGS_1_2_3, GETSENSE_INVALID_V1_ARG, GETSENSE_V1_ARG_MUST_BE_A_BYTE},
      {K_VAR_BYTE, GETSENSE_MISSING_ARGS_2_3, GETSENSE_INVALID_V2_ARG, GETSENSE_V2_ARG_MUST_BE_A_BYTE},
      {K_VAR_BYTE, GETSENSE_MISSING_ARG_3, GETSENSE_INVALID_V3_ARG, GETSENSE_V3_ARG_MUST_BE_A_BYTE},
  };
  return CompileThenRun<sa::VariablesData<3>>(
      ctx, stmt, GETSENSE_MISSING_ARGS_1_2_3,
      [&](sa::VariablesData<3>& d) -> int32_t {
        const std::vector<std::string> w = sa::Words(ctx.Line());
        // Too few words: the code names every missing one, before any word is checked.
        if (w.size() < 3) return kRules[w.size()].missing;
        return sa::FindVariables(ctx, w, 0, kRules, d.variable);
      },
      [&](sa::VariablesData<3>& d) {
        const SenseTriggers& s = ctx.Triggers();
        d.variable[0]->SetUnsigned(s.sk);
        d.variable[1]->SetUnsigned(s.asc);
        d.variable[2]->SetUnsigned(s.ascq);
        return 0;
      });
}

// GETSENSETEXT sk asc ascq buffer
int _GetSenseText(StatementContext& ctx, TEXT_LINK& stmt) {
  struct SenseTextData : StatementData {
    sa::Value triple[3];
    KByteArray* buffer = nullptr;
  };
  return CompileThenRun<SenseTextData>(
      ctx, stmt, K_GETSENSETEXT_PARSING_ERROR,
      [&](SenseTextData& d) -> int32_t {
        std::vector<std::string> w;
        if (ctx.Text().ParseLine(std::string_view(ctx.Line()), w) != 0) return K_GETSENSETEXT_PARSING_ERROR;
        if (w.size() != 4) return K_GETSENSETEXT_ILLEGAL_NUMBER_OF_ARGS_DETECTED;
        static constexpr int32_t kInvalid[] = {K_GETSENSETEXT_INVALID_ARG1_SPECIFIED,
                                               K_GETSENSETEXT_INVALID_ARG2_SPECIFIED,
                                               K_GETSENSETEXT_INVALID_ARG3_SPECIFIED};
        static constexpr int32_t kNotByte[] = {K_GETSENSETEXT_V1_ARG_MUST_BE_A_BYTE,
                                               K_GETSENSETEXT_V2_ARG_MUST_BE_A_BYTE,
                                               K_GETSENSETEXT_V3_ARG_MUST_BE_A_BYTE};
        for (size_t i = 0; i < 3; ++i) {
          if (sa::ReadValue(ctx, w[i], {K_NUM_BYTE}, {K_VAR_BYTE}, d.triple[i])) continue;
          VARI_LL* v = nullptr;
          const bool wrongWidth = KText::DetermineNumberType(std::string_view(w[i])) == K_NUM_NONE &&
                                  sa::FindTyped(ctx, w[i], {K_VAR_BYTE}, v) == sa::VarCheck::kWrongType;
          return wrongWidth ? kNotByte[i] : kInvalid[i];
        }
        d.buffer = ctx.FindArray(w[3]);
        return d.buffer == nullptr ? K_GETSENSETEXT_UNKNOWN_BUFFER_SPECIFIED : 0;
      },
      [&](SenseTextData& d) {
        const char* found =
            TripleText(ctx.Declarations().Find<CSenseKeyLL>(), static_cast<uint8_t>(d.triple[0].Get()),
                       static_cast<uint8_t>(d.triple[1].Get()), static_cast<uint8_t>(d.triple[2].Get()));
        const std::string text = found != nullptr ? found : kUnknownText;
        KByteArray* buffer = d.buffer;
        // The buffer's size is the one of this run: DIMENSION may have changed it.
        if (text.size() >= buffer->size) return ctx.Fail(K_GETSENSETEXT_DESTINATION_BUFFER_TOO_SMALL);
        std::fill_n(buffer->data.get(), buffer->size, 0);
        std::memcpy(buffer->data.get(), text.data(), text.size());
        buffer->altered = 1;
        return 0;
      });
}

// GETILISTATUS bytevar
int _GetIliStatus(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kIli); }
// GETEOMSTATUS bytevar
int _GetEomStatus(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kEom); }
// GETFMSTATUS bytevar
int _GetFmStatus(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kFm); }
// GETSUPPRESSSTATUS bytevar
int _GetSuppressStatus(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kSuppress); }
// GETVEXILMODE bytevar
int _GetVexilMode(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kVexilMode); }
// GETRESIDUAL longvar
int _GetResidual(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kResidual); }
// GETLTOCFSC wordvar
int _GetLtocFsc(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kLtocFsc); }
// GETLTOCFLAG wordvar
int _GetLtocFlag(StatementContext& ctx, TEXT_LINK& stmt) { return RunGetter(ctx, stmt, kLtocFlag); }

// PRINTSENSEKEYS (PRINTSK)
int _PrintSenseKeys(StatementContext& ctx, TEXT_LINK&) {
  if (ctx.IsRunMode()) SenseReport(ctx, sa::kScreen);
  return 0;
}

// LOGSENSEKEYS (LOGSK)
int _LogSenseKeys(StatementContext& ctx, TEXT_LINK&) {
  if (ctx.IsRunMode()) SenseReport(ctx, sa::kLog);
  return 0;
}
