// The string statements: script buffers used as texts. A buffer's text is its
// bytes up to the first NUL, or all of them when no NUL lies inside its size;
// nothing here reads or writes past a buffer's size. A result text is written
// with a NUL after it when the buffer has room for one; a statement that cannot
// do its work within the sizes fails and leaves every buffer as it was.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "script/statements/string_statements.h"

#include <unordered_map>

#include "script/core/error_fx.h"
#include "script/core/statement_api.h"
#include "script/statements/statement_args.h"

namespace {

enum class Arg : uint8_t {
  Buffer,    // a buffer by name
  Variable,  // a variable of one of the allowed types
  Count,     // a word variable, or a number of class 1 or 2
};

constexpr uint8_t kByte = 1u << K_VAR_BYTE;
constexpr uint8_t kWord = 1u << K_VAR_WORD;
constexpr uint8_t kLong = 1u << K_VAR_LONG;

struct ArgRule {
  Arg kind;
  uint8_t types;      // Variable: allowed types
  int32_t unknown;    // name is no buffer / no variable (nor a number, for a count)
  int32_t wrongType;  // variable of another type
  int32_t badNumber;  // count: a number of another class
  int32_t zero;       // count: code for 0, or 0 when 0 is allowed
};

constexpr int kMaxArgs = 4;

// The arguments of one statement, in line order.
struct Form {
  int count;
  ArgRule args[kMaxArgs];
};

constexpr ArgRule Buffer(int32_t unknown) { return {Arg::Buffer, 0, unknown, 0, 0, 0}; }
constexpr ArgRule Variable(uint8_t types, int32_t unknown, int32_t wrongType) {
  return {Arg::Variable, types, unknown, wrongType, 0, 0};
}
constexpr ArgRule Count(int32_t unknown, int32_t wrongType, int32_t badNumber, int32_t zero) {
  return {Arg::Count, kWord, unknown, wrongType, badNumber, zero};
}

constexpr Form kAton = {
    2, {Buffer(ATON_INVALID_BUFFER), Variable(kByte | kWord, ATON_INVALID_RESULT, ATON_INVALID_RESULT_TYPE)}};
constexpr Form kAtoLn = {
    2, {Buffer(ATOLN_INVALID_BUFFER), Variable(kLong, ATOLN_INVALID_RESULT, ATOLN_INVALID_RESULT_TYPE)}};
constexpr Form kBigEndian = {1,
                             {Variable(kWord | kLong, BIG_ENDIAN_INVALID_VARIABLE, BIG_ENDIAN_INVALID_VARIABLE_TYPE)}};
constexpr Form kDetermineNumberType = {
    2,
    {Buffer(DETERMINENUMBERTYPE_INVALID_BUFFER),
     Variable(kByte, DETERMINENUMBERTYPE_INVALID_VARIABLE, DETERMINENUMBERTYPE_INVALID_VARIABLE_TYPE)}};
constexpr Form kStrLen = {
    2, {Buffer(STRLEN_INVALID_BUFFER), Variable(kWord, STRLEN_INVALID_RESULT, STRLEN_INVALID_RESULT_TYPE)}};
constexpr Form kStringC = {4,
                           {Buffer(STRINGC_INVALID_AGAINST), Buffer(STRINGC_INVALID_QUERY),
                            Count(STRINGC_INVALID_START, STRINGC_INVALID_START_TYPE, STRINGC_INVALID_START_TYPE, 0),
                            Variable(kWord, STRINGC_INVALID_INDEX, STRINGC_INVALID_INDEX_TYPE)}};
constexpr Form kStringAbsC = {3,
                              {Buffer(STRINGABSC_INVALID_AGAINST), Buffer(STRINGABSC_INVALID_QUERY),
                               Variable(kByte, STRINGABSC_INVALID_RESULT, STRINGABSC_INVALID_RESULT_TYPE)}};
constexpr Form kOccurance = {3,
                             {Buffer(OCCURANCE_INVALID_AGAINST), Buffer(OCCURANCE_INVALID_QUERY),
                              Variable(kWord, OCCURANCE_INVALID_COUNT, OCCURANCE_INVALID_COUNT_TYPE)}};
constexpr Form kLeftString = {3,
                              {Buffer(LEFTSTRING_INVALID_SOURCE), Buffer(LEFTSTRING_INVALID_DESTINATION),
                               Count(LEFTSTRING_INVALID_VARIABLE, LEFTSTRING_INVALID_VARIABLE_TYPE,
                                     K_LEFTSTRING_SWATH_RANGE, K_LEFTSTRING_SWATH_RANGE)}};
constexpr Form kMidString = {4,
                             {Buffer(MIDSTRING_INVALID_SOURCE), Buffer(MIDSTRING_INVALID_DESTINATION),
                              Count(MIDSTRING_INVALID_START, MIDSTRING_INVALID_START_TYPE,
                                    K_MIDSTRING_INVALID_START_ARG, K_MIDSTRING_START_RANGE),
                              Count(MIDSTRING_INVALID_SWATH, MIDSTRING_INVALID_SWATH_TYPE,
                                    K_MIDSTRING_INVALID_SWATH_ARG, K_MIDSTRING_SWATH_RANGE)}};
constexpr Form kRightString = {3,
                               {Buffer(RIGHTSTRING_INVALID_SOURCE), Buffer(RIGHTSTRING_INVALID_DESTINATION),
                                Count(RIGHTSTRING_INVALID_SWATH, RIGHTSTRING_INVALID_SWATH_TYPE,
                                      K_RIGHTSTRING_INVALID_SWATH_ARG, K_RIGHTSTRING_SWATH_RANGE)}};
constexpr Form kStore1stWord = {2, {Buffer(STORE1STWORD_INVALID_SOURCE), Buffer(STORE1STWORD_INVALID_DESTINATION)}};
constexpr Form kSetTextTable = {2,
                                {Buffer(SETTEXTBUFFER_INVALID_BUFFER),
                                 Variable(kByte, SETTEXTBUFFER_UNRECOGNIZABLE_STATUS, SETTEXTBUFFER_STATUS_TYPE)}};
constexpr Form kGetTextString = {3,
                                 {Buffer(GETBUFFERSTRING_INVALID_BUFFER), Buffer(GETBUFFERSTRING_INVALID_STRING_BUFFER),
                                  Variable(kByte, GETBUFFERSTRING_UNRECOGNIZABLE_STATUS, GETBUFFERSTRING_STATUS_TYPE)}};

// One argument as found by name.
struct Operand {
  KByteArray* buffer = nullptr;
  VARI_LL* variable = nullptr;
  uint32_t number = 0;  // a count given as a number

  uint32_t Value() const { return variable != nullptr ? variable->wValue : number; }
};

// The first count words of a line; missing words are empty.
std::vector<std::string> FirstWords(const char* line, int count) {
  std::string rest(line);
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) {
    std::string word;
    KText::Store1stWord(rest, word);
    KText::Clear1stWord(rest);
    words.push_back(std::move(word));
  }
  return words;
}

// Finds and checks every argument of a form; 0, or the code of the first bad one.
int32_t ReadOperands(StatementContext& ctx, const Form& form, const std::vector<std::string>& words, Operand* out) {
  for (int i = 0; i < form.count; ++i) {
    const ArgRule& rule = form.args[i];
    const std::string& word = words[i];
    if (rule.kind == Arg::Buffer) {
      out[i].buffer = ctx.FindArray(word);
      if (out[i].buffer == nullptr) return rule.unknown;
      continue;
    }
    VARI_LL* variable = ctx.FindVariable(word.c_str());
    if (variable != nullptr) {
      if ((rule.types & (1u << variable->type)) == 0) return rule.wrongType;
      out[i].variable = variable;
      continue;
    }
    if (rule.kind == Arg::Variable) return rule.unknown;
    const int numberClass = KText::DetermineNumberType(std::string_view(word));
    if (numberClass == K_NUM_NONE) return rule.unknown;
    if (numberClass != K_NUM_BYTE && numberClass != K_NUM_WORD) return rule.badNumber;
    out[i].number = static_cast<uint32_t>(KText::Aton(std::string_view(word)));
    if (out[i].number == 0 && rule.zero != 0) return rule.zero;
  }
  return 0;
}

// The buffer's text: up to the first NUL, never past the size.
std::string_view TextOf(const KByteArray& buffer) {
  if (buffer.data == nullptr) return {};
  const char* data = reinterpret_cast<const char*>(buffer.data.get());
  return {data, strnlen(data, buffer.size)};
}

// Writes a text that fits the buffer (a NUL after it when there is room) and
// marks the buffer changed.
void PutText(KByteArray& buffer, std::string_view text) {
  std::memcpy(buffer.data.get(), text.data(), text.size());
  if (text.size() < buffer.size) buffer.data[text.size()] = 0;
  buffer.altered = 1;
}

// The operands of a form, found once in validation.
struct Operands : StatementData {
  Operand op[kMaxArgs];
};

// A statement of a form: validation finds and checks its arguments on the
// statement's line (the first bad one's code fails it); the run hands the
// operands to run(op), which returns 0 or ctx.Fail(...).
template <typename RunStep>
int WithForm(StatementContext& ctx, TEXT_LINK& stmt, const Form& form, RunStep run) {
  return CompileThenRun<Operands>(
      ctx, stmt, form.args[0].unknown,
      [&](Operands& d) { return ReadOperands(ctx, form, FirstWords(ctx.Line(), form.count), d.op); },
      [&](Operands& d) { return run(d.op); });
}

// The same for the statements that split their line with the line parser and
// take exactly the form's number of words.
template <typename RunStep>
int WithParsedForm(StatementContext& ctx, TEXT_LINK& stmt, const Form& form, int32_t parseError, int32_t countError,
                   RunStep run) {
  return CompileThenRun<Operands>(
      ctx, stmt, form.args[0].unknown,
      [&](Operands& d) -> int32_t {
        std::vector<std::string> words;
        if (ctx.Text().ParseLine(std::string_view(ctx.Line()), words) != 0) return parseError;
        if (static_cast<int>(words.size()) != form.count) return countError;
        return ReadOperands(ctx, form, words, d.op);
      },
      [&](Operands& d) { return run(d.op); });
}

// Runs an operation that rewrites one buffer's text in place (it never lengthens it).
template <typename Operation>
void Rewrite(KByteArray& buffer, Operation operation) {
  std::string text(TextOf(buffer));
  operation(text);
  PutText(buffer, std::string_view(text).substr(0, buffer.size));
}

// A statement that rewrites one buffer's text in place.
template <typename Operation>
int InPlace(StatementContext& ctx, TEXT_LINK& stmt, int32_t unknownBuffer, Operation operation) {
  const Form form = {1, {Buffer(unknownBuffer)}};
  return WithForm(ctx, stmt, form, [&](Operand* op) {
    Rewrite(*op[0].buffer, operation);
    return 0;
  });
}

// Buffers registered by SETTEXTTABLE: data address -> size at registration. A buffer
// given new storage since then is no longer read through its old registration.
struct TextTableSizes : DeclarationList {
  std::unordered_map<const void*, uint32_t> sizes;
};

// Writes a cut-out part: the part must lie within the source text.
int PutPart(StatementContext& ctx, KByteArray& destination, int found, const std::string& part) {
  if (found != 0) return ctx.Fail(KRT_STRING_SWATH_PAST_END_OF_TEXT);
  PutText(destination, part);
  return 0;
}

}  // namespace

// ATON buffer variable
int _Aton(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kAton, [](Operand* op) {
    op[1].variable->SetUnsigned(static_cast<uint32_t>(KText::Aton(TextOf(*op[0].buffer))));
    return 0;
  });
}

// ATOLN buffer longvariable
int _AtoLn(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kAtoLn, [](Operand* op) {
    op[1].variable->SetUnsigned(static_cast<uint32_t>(KText::AtoLn(TextOf(*op[0].buffer))));
    return 0;
  });
}

// DETERMINNUMBERTYPE buffer bytevariable
int _DetermineNumberType(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kDetermineNumberType, [](Operand* op) {
    op[1].variable->SetUnsigned(static_cast<uint32_t>(KText::DetermineNumberType(TextOf(*op[0].buffer))));
    return 0;
  });
}

// STRLEN buffer wordvariable
int _StrLen(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kStrLen, [](Operand* op) {
    op[1].variable->SetUnsigned(static_cast<uint32_t>(TextOf(*op[0].buffer).size()));
    return 0;
  });
}

// STRINGC text query start resultwordvariable
int _StringC(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kStringC, [](Operand* op) {
    const int position = KText::StringC(TextOf(*op[0].buffer), TextOf(*op[1].buffer), static_cast<int>(op[2].Value()));
    op[3].variable->SetUnsigned(position < 0 ? 0xFFFFu : static_cast<uint32_t>(position));
    return 0;
  });
}

// STRINGABSC buffer buffer bytevariable
int _StringAbsC(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kStringAbsC, [](Operand* op) {
    op[2].variable->SetUnsigned(KText::StringAbsC(TextOf(*op[0].buffer), TextOf(*op[1].buffer)) == 0 ? 0u : 0xFFu);
    return 0;
  });
}

// OCCURANCE text query wordvariable
int _Occurance(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kOccurance, [](Operand* op) {
    op[2].variable->SetUnsigned(static_cast<uint32_t>(KText::Occurance(TextOf(*op[0].buffer), TextOf(*op[1].buffer))));
    return 0;
  });
}

// LEFTSTRING source destination count
int _LeftString(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kLeftString, [&](Operand* op) {
    const uint32_t count = op[2].Value();
    if (count == 0 || count > op[0].buffer->size || count > op[1].buffer->size)
      return ctx.Fail(KRT_LEFTSTRING_SWATH_RANGE);
    std::string part;
    return PutPart(ctx, *op[1].buffer, KText::LeftString(TextOf(*op[0].buffer), part, static_cast<int>(count)), part);
  });
}

// MIDSTRING source destination start count
int _MidString(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kMidString, [&](Operand* op) {
    const uint32_t start = op[2].Value();
    const uint32_t count = op[3].Value();
    const uint32_t sourceSize = op[0].buffer->size;
    if (start == 0) return ctx.Fail(K_MIDSTRING_START_RANGE);
    if (count == 0) return ctx.Fail(K_MIDSTRING_SWATH_RANGE);
    if (start > sourceSize) return ctx.Fail(KRT_MIDSTRING_START_GTR_THAN_SOURCE);
    if (count > sourceSize) return ctx.Fail(KRT_MIDSTRING_SWATH_GTR_THAN_SOURCE);
    // start counts from 1: the last character taken is start - 1 + count.
    if (start - 1 + count > sourceSize) return ctx.Fail(KRT_MIDSTRING_START_PLUS_SWATH_GTR_THAN_SOURCE);
    if (count > op[1].buffer->size) return ctx.Fail(KRT_MIDSTRING_SWATH_GTR_THAN_DESTINATION);
    std::string part;
    const int found = KText::MidString(TextOf(*op[0].buffer), part, static_cast<int>(start), static_cast<int>(count));
    return PutPart(ctx, *op[1].buffer, found, part);
  });
}

// RIGHTSTRING source destination count
int _RightString(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kRightString, [&](Operand* op) {
    const uint32_t count = op[2].Value();
    if (count == 0) return ctx.Fail(K_RIGHTSTRING_SWATH_RANGE);
    if (count > op[0].buffer->size) return ctx.Fail(KRT_RIGHTSTRING_SWATH_GTR_THAN_SOURCE);
    if (count > op[1].buffer->size) return ctx.Fail(KRT_RIGHTSTRING_SWATH_GTR_THAN_DESTINATION);
    std::string part;
    return PutPart(ctx, *op[1].buffer, KText::RightString(TextOf(*op[0].buffer), part, static_cast<int>(count)), part);
  });
}

// STORE1STWORD source destination
int _Store1stWord(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kStore1stWord, [&](Operand* op) {
    std::string text(TextOf(*op[0].buffer));
    std::string word;
    KText::Store1stWord(text, word);
    if (word.size() > op[1].buffer->size) return ctx.Fail(KRT_STORE1STWORD_WORD_GTR_THAN_DESTINATION_BUFFER_SIZE);
    PutText(*op[0].buffer, text);  // its leading blanks are gone
    PutText(*op[1].buffer, word);
    return 0;
  });
}

// FETCH1STWORD buffer
int _Fetch1stWord(StatementContext& ctx, TEXT_LINK& stmt) {
  return InPlace(ctx, stmt, FETCH1STWORD_INVALID_BUFFER, [](std::string& t) { KText::Fetch1stWord(t); });
}

// CLEAR1STWORD buffer
int _Clear1stWord(StatementContext& ctx, TEXT_LINK& stmt) {
  return InPlace(ctx, stmt, CLEAR1STWORD_INVALID_BUFFER, [](std::string& t) { KText::Clear1stWord(t); });
}

// WIPELEFT buffer
int _WipeLeft(StatementContext& ctx, TEXT_LINK& stmt) {
  return InPlace(ctx, stmt, WIPELEFT_INVALID_BUFFER, [](std::string& t) { KText::WipeLeft(t); });
}

// WIPERIGHT buffer
int _WipeRight(StatementContext& ctx, TEXT_LINK& stmt) {
  return InPlace(ctx, stmt, WIPERIGHT_INVALID_BUFFER, [](std::string& t) { KText::WipeRight(t); });
}

// SHRINK buffer
int _Shrink(StatementContext& ctx, TEXT_LINK& stmt) {
  return InPlace(ctx, stmt, SHRINK_INVALID_BUFFER, [](std::string& t) { KText::Shrink(t); });
}

// UPPERCASE buffer
int _UpperCase(StatementContext& ctx, TEXT_LINK& stmt) {
  return InPlace(ctx, stmt, UPPERCASE_INVALID_BUFFER, [](std::string& t) { KText::UpperCase(t); });
}

// REMOVECOMMENTS buffer
int _RemoveComments(StatementContext& ctx, TEXT_LINK& stmt) {
  return InPlace(ctx, stmt, REMOVECOMMENTS_INVALID_BUFFER, [](std::string& t) { KText::RemoveComments(t); });
}

// BIGENDIAN wordvariable | longvariable
int _BigEndian(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithForm(ctx, stmt, kBigEndian, [](Operand* op) {
    VARI_LL& variable = *op[0].variable;
    if (variable.type == K_VAR_WORD) {
      uint16_t value = variable.wValue;
      KText::BigEndian(value);
      variable.SetUnsigned(value);
    } else {
      uint32_t value = variable.lValue;
      KText::BigEndian(value);
      variable.SetUnsigned(value);
    }
    return 0;
  });
}

namespace {

// RIPREPLACE's operands: find and replace (each a buffer, or else a byte
// variable) and the target buffer.
struct RipReplaceData : StatementData {
  struct Side {
    KByteArray* buffer = nullptr;
    VARI_LL* variable = nullptr;
  } side[2];
  KByteArray* target = nullptr;
};

int32_t CompileRipReplace(StatementContext& ctx, RipReplaceData& d) {
  const std::vector<std::string> words = FirstWords(ctx.Line(), 3);
  static constexpr int32_t kUnknown[2] = {RIPREPLACE_INVALID_FIND, RIPREPLACE_INVALID_REPLACE};
  static constexpr int32_t kWrongType[2] = {RIPREPLACE_INVALID_FIND_TYPE, RIPREPLACE_INVALID_REPLACE_TYPE};
  for (int i = 0; i < 2; ++i) {
    RipReplaceData::Side& side = d.side[i];
    side.buffer = ctx.FindArray(words[i]);
    if (side.buffer != nullptr) continue;
    side.variable = ctx.FindVariable(words[i].c_str());
    if (side.variable == nullptr) return kUnknown[i];
    if (side.variable->type != K_VAR_BYTE) return kWrongType[i];
  }
  if ((d.side[0].buffer == nullptr) != (d.side[1].buffer == nullptr)) return RIPREPLACE_MIXING_ARGUMENTS;
  d.target = ctx.FindArray(words[2]);
  return d.target == nullptr ? RIPREPLACE_INVALID_STRING_BUFFER : 0;
}

int RunRipReplace(StatementContext& ctx, const RipReplaceData& d) {
  KByteArray* target = d.target;
  if (d.side[0].variable != nullptr) {
    const char find = static_cast<char>(d.side[0].variable->bValue);
    const char replace = static_cast<char>(d.side[1].variable->bValue);
    Rewrite(*target, [find, replace](std::string& t) { KText::RipReplace(find, replace, t); });
    return 0;
  }
  // Texts of find and replace are copied: either may be the target itself.
  const std::string find(TextOf(*d.side[0].buffer));
  const std::string replace(TextOf(*d.side[1].buffer));
  std::string text(TextOf(*target));
  if (find.empty()) return ctx.Fail(KRT_RIPREPLACE_ENDLESS_REPLACEMENT);
  if (find.size() > text.size()) {  // nothing to find
    target->altered = 1;
    return 0;
  }
  switch (KText::RipReplace(find, replace, text, target->size)) {
    case 0:
      break;
    case -2:
      return ctx.Fail(KRT_RIPREPLACE_RESULT_GTR_THAN_BUFFER_SIZE);
    default:
      return ctx.Fail(KRT_RIPREPLACE_ENDLESS_REPLACEMENT);  // replace holds find
  }
  PutText(*target, text);
  return 0;
}

}  // namespace

// RIPREPLACE findbuffer replacebuffer target | RIPREPLACE findbyte replacebyte target
int _RipReplace(StatementContext& ctx, TEXT_LINK& stmt) {
  return CompileThenRun<RipReplaceData>(
      ctx, stmt, RIPREPLACE_INVALID_FIND, [&](RipReplaceData& d) { return CompileRipReplace(ctx, d); },
      [&](RipReplaceData& d) { return RunRipReplace(ctx, d); });
}

// SETTEXTTABLE buffer bytevariable
int _SetTextTable(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithParsedForm(
      ctx, stmt, kSetTextTable, SETTEXTBUFFER_PARSING, SETTEXTBUFFER_NUMBER_OF_ARGS, [&](Operand* op) {
        const KByteArray& buffer = *op[0].buffer;
        auto& registered = ctx.Declarations().Get<TextTableSizes>().sizes;
        const int result = ctx.Text().SetTextBuffer(buffer.data.get(), static_cast<int32_t>(buffer.size));
        if (result == 0) {
          registered[buffer.data.get()] = buffer.size;
        } else {
          // A refused text must not be read through an older registration.
          ctx.Text().KillATextBufferLink(buffer.data.get());
          registered.erase(buffer.data.get());
        }
        op[1].variable->SetUnsigned(static_cast<uint32_t>(result));
        return 0;
      });
}

// GETTEXTSTRING textbuffer linebuffer bytevariable
int _GetTextString(StatementContext& ctx, TEXT_LINK& stmt) {
  return WithParsedForm(ctx, stmt, kGetTextString, GETBUFFERSTRING_PARSING, GETBUFFERSTRING_NUMBER_OF_ARGS,
                        [&](Operand* op) {
                          const KByteArray& table = *op[0].buffer;
                          KByteArray& line = *op[1].buffer;
                          if (line.size == 0 || line.data == nullptr) {
                            op[2].variable->SetUnsigned(static_cast<uint32_t>(-3));  // no room for a line
                            return 0;
                          }
                          int result = -2;  // unregistered
                          auto& sizes = ctx.Declarations().Get<TextTableSizes>().sizes;
                          const auto registered = sizes.find(table.data.get());
                          if (registered != sizes.end() && registered->second == table.size) {
                            std::string text;
                            result = ctx.Text().GetStringFromTextBuffer(table.data.get(), text, line.size - 1);
                            PutText(line, text);
                          } else {
                            // New storage (DIMENSION) at an old address: the old registration is void.
                            ctx.Text().KillATextBufferLink(table.data.get());
                            if (registered != sizes.end()) sizes.erase(registered);
                          }
                          op[2].variable->SetUnsigned(static_cast<uint32_t>(result));
                          return 0;
                        });
}
