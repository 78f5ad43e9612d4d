// The buffer operations. Every index and length is checked before a byte is
// touched, in the compile pass where the words are numbers and again in the
// run, where variables and DIMENSION may have changed them.
#include "script/statements/buffer_ops.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "base/byte_order.h"
#include "script/core/error_fx.h"
#include "script/statements/buffer_bytes.h"
#include "script/statements/statement_args.h"

namespace sa = statement_args;
namespace bb = buffer_bytes;

namespace {

constexpr std::initializer_list<int> kIntegerNumbers = {K_NUM_BYTE, K_NUM_WORD, K_NUM_LONG};
constexpr std::initializer_list<int32_t> kIntegerVariables = {K_VAR_BYTE, K_VAR_WORD, K_VAR_LONG};
constexpr std::initializer_list<int32_t> kAnyVariable = {K_VAR_BYTE, K_VAR_WORD, K_VAR_LONG, K_VAR_DOUBLE};

std::span<uint8_t> Bytes(const KByteArray& b) { return {b.data.get(), b.size}; }

// ---- the element family: KEYWORD buffer[index] operand ----

enum class ElementOp : uint8_t { kPeek, kPoke, kSet, kOr, kAnd, kXor };

struct ElementRow {
  ElementOp op;
  uint32_t width;       // bytes read or written at the index
  int32_t operandType;  // the operand variable's width
  int32_t bracing, invalidBuffer, missingIndexAndOperand, indexRange, indexUnrecognizable, indexNotLong, missingOperand,
      operandUnrecognizable, operandType_, runIndexRange, pokeNumber;
};

constexpr ElementRow kPeekRow = {ElementOp::kPeek,
                                 1,
                                 K_VAR_BYTE,
                                 PEEK_INDEX_BRACING_ERROR_SPECIFIED,
                                 PEEK_INVALID_BUFFER_SPECIFIED,
                                 PEEK_MISSING_INDEX_AND_DESTINATION_FIELDS,
                                 PEEK_INDEX_OUT_OF_RANGE,
                                 PEEK_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                 PEEK_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                 PEEK_MISSING_DESTINATION_FIELD,
                                 PEEK_DEST_FIELD_MUST_BE_A_BYTE_VARIABLE,
                                 PEEK_DEST_FIELD_MUST_BE_A_BYTE_VARIABLE,
                                 KRT_PEEK_INDEX_OUT_OF_RANGE,
                                 0};
constexpr ElementRow kPeekWRow = {ElementOp::kPeek,
                                  2,
                                  K_VAR_WORD,
                                  K_PEEKW_INDEX_BRACING_ERROR_SPECIFIED,
                                  K_PEEKW_INVALID_BUFFER_SPECIFIED,
                                  K_PEEKW_MISSING_INDEX_AND_DESTINATION_FIELDS,
                                  K_PEEKW_INDEX_OUT_OF_RANGE,
                                  K_PEEKW_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                  K_PEEKW_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                  K_PEEKW_MISSING_DESTINATION_FIELD,
                                  K_PEEKW_DEST_FIELD_MUST_BE_A_WORD_VARIABLE,
                                  K_PEEKW_DEST_FIELD_MUST_BE_A_WORD_VARIABLE,
                                  KRT_PEEKW_INDEX_OUT_OF_RANGE,
                                  0};
constexpr ElementRow kPeekLRow = {ElementOp::kPeek,
                                  4,
                                  K_VAR_LONG,
                                  K_PEEKL_INDEX_BRACING_ERROR_SPECIFIED,
                                  K_PEEKL_INVALID_BUFFER_SPECIFIED,
                                  K_PEEKL_MISSING_INDEX_AND_DESTINATION_FIELDS,
                                  K_PEEKL_INDEX_OUT_OF_RANGE,
                                  K_PEEKL_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                  K_PEEKL_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                  K_PEEKL_MISSING_DESTINATION_FIELD,
                                  K_PEEKL_DEST_FIELD_MUST_BE_A_LONG_VARIABLE,
                                  K_PEEKL_DEST_FIELD_MUST_BE_A_LONG_VARIABLE,
                                  KRT_PEEKL_INDEX_OUT_OF_RANGE,
                                  0};
constexpr ElementRow kPeekDRow = {ElementOp::kPeek,
                                  8,
                                  K_VAR_DOUBLE,
                                  K_PEEKD_INDEX_BRACING_ERROR_SPECIFIED,
                                  K_PEEKD_INVALID_BUFFER_SPECIFIED,
                                  K_PEEKD_MISSING_INDEX_AND_DESTINATION_FIELDS,
                                  K_PEEKD_INDEX_OUT_OF_RANGE,
                                  K_PEEKD_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                  K_PEEKD_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                  K_PEEKD_MISSING_DESTINATION_FIELD,
                                  K_PEEKD_DEST_FIELD_MUST_BE_A_DOUBLE_VARIABLE,
                                  K_PEEKD_DEST_FIELD_MUST_BE_A_DOUBLE_VARIABLE,
                                  KRT_PEEKD_INDEX_OUT_OF_RANGE,
                                  0};
constexpr ElementRow kPokeRow = {ElementOp::kPoke,
                                 1,
                                 K_VAR_BYTE,
                                 POKE_INDEX_BRACING_ERROR_SPECIFIED,
                                 POKE_INVALID_BUFFER_SPECIFIED,
                                 POKE_MISSING_INDEX_AND_SOURCE_FIELDS,
                                 POKE_INDEX_OUT_OF_RANGE,
                                 POKE_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                 POKE_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                 POKE_MISSING_SOURCE_FIELD,
                                 POKE_SOURCE_FIELD_MUST_BE_A_BYTE_VARIABLE,
                                 POKE_SOURCE_FIELD_MUST_BE_A_BYTE_VARIABLE,
                                 KRT_POKE_INDEX_OUT_OF_RANGE,
                                 POKE_SOURCE_FIELD_MUST_BE_A_BYTE_TYPE_NUMBER};
constexpr ElementRow kSetRow = {ElementOp::kSet,
                                1,
                                K_VAR_BYTE,
                                SET_BUFFER_INDEX_BRACING_ERROR_SPECIFIED,
                                SET_BUFFER_INVALID_BUFFER_SPECIFIED,
                                SET_BUFFER_MISSING_INDEX_AND_VALUE_FIELDS,
                                SET_BUFFER_INDEX_OUT_OF_RANGE,
                                SET_BUFFER_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                SET_BUFFER_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                SET_BUFFER_MISSING_VALUE_FIELD,
                                SET_BUFFER_VALUE_SPECIFIER_UNRECOGNIZABLE,
                                SET_BUFFER_VALUE_VARIABLE_SPECIFIER_NOT_A_BYTE,
                                SET_BUFFER_INDEX_OUT_OF_RANGE,
                                0};
constexpr ElementRow kOrRow = {ElementOp::kOr,
                               1,
                               K_VAR_BYTE,
                               OR_BUFFER_INDEX_BRACING_ERROR_SPECIFIED,
                               OR_BUFFER_INVALID_BUFFER_SPECIFIED,
                               OR_BUFFER_MISSING_INDEX_AND_VALUE_FIELDS,
                               OR_BUFFER_INDEX_OUT_OF_RANGE,
                               OR_BUFFER_INDEX_SPECIFIER_UNRECOGNIZABLE,
                               OR_BUFFER_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                               OR_BUFFER_MISSING_VALUE_FIELD,
                               OR_BUFFER_VALUE_SPECIFIER_UNRECOGNIZABLE,
                               OR_BUFFER_VALUE_VARIABLE_SPECIFIER_NOT_A_BYTE,
                               OR_BUFFER_INDEX_OUT_OF_RANGE,
                               0};
constexpr ElementRow kAndRow = {ElementOp::kAnd,
                                1,
                                K_VAR_BYTE,
                                AND_BUFFER_INDEX_BRACING_ERROR_SPECIFIED,
                                AND_BUFFER_INVALID_BUFFER_SPECIFIED,
                                AND_BUFFER_MISSING_INDEX_AND_VALUE_FIELDS,
                                AND_BUFFER_INDEX_OUT_OF_RANGE,
                                AND_BUFFER_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                AND_BUFFER_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                AND_BUFFER_MISSING_VALUE_FIELD,
                                AND_BUFFER_VALUE_SPECIFIER_UNRECOGNIZABLE,
                                AND_BUFFER_VALUE_VARIABLE_SPECIFIER_NOT_A_BYTE,
                                KRT_AND_BUFFER_INDEX_OUT_OF_RANGE,
                                0};
constexpr ElementRow kXorRow = {ElementOp::kXor,
                                1,
                                K_VAR_BYTE,
                                XOR_BUFFER_INDEX_BRACING_ERROR_SPECIFIED,
                                XOR_BUFFER_INVALID_BUFFER_SPECIFIED,
                                XOR_BUFFER_MISSING_INDEX_AND_VALUE_FIELDS,
                                XOR_BUFFER_INDEX_OUT_OF_RANGE,
                                XOR_BUFFER_INDEX_SPECIFIER_UNRECOGNIZABLE,
                                XOR_BUFFER_INDEX_VARIABLE_SPECIFIER_NOT_A_LONG,
                                XOR_BUFFER_MISSING_VALUE_FIELD,
                                XOR_BUFFER_VALUE_SPECIFIER_UNRECOGNIZABLE,
                                XOR_BUFFER_VALUE_VARIABLE_SPECIFIER_NOT_A_BYTE,
                                KRT_XOR_BUFFER_INDEX_OUT_OF_RANGE,
                                0};

struct ElementData : StatementData {
  KByteArray* buffer = nullptr;
  sa::Value index;
  VARI_LL* destination = nullptr;  // PEEK
  sa::Value operand;               // POKE, SETBUFFER...
};

int32_t CompileElement(StatementContext& ctx, const ElementRow& row, ElementData& out) {
  std::string line = ctx.Line();
  if (std::count(line.begin(), line.end(), '[') != 1 || std::count(line.begin(), line.end(), ']') != 1)
    return row.bracing;
  std::replace(line.begin(), line.end(), '[', ' ');
  std::replace(line.begin(), line.end(), ']', ' ');
  const std::vector<std::string> w = sa::Words(line);
  out.buffer = w.empty() ? nullptr : ctx.FindArray(w[0]);
  if (out.buffer == nullptr) return row.invalidBuffer;
  if (w.size() < 2) return row.missingIndexAndOperand;
  const int indexClass = KText::DetermineNumberType(std::string_view(w[1]));
  if (indexClass == K_NUM_BYTE || indexClass == K_NUM_WORD || indexClass == K_NUM_LONG) {
    out.index.constant = static_cast<uint32_t>(KText::AtoLn(std::string_view(w[1])));
    if (!bb::Fits(out.buffer->size, out.index.constant, row.width)) return row.indexRange;
  } else {
    VARI_LL* v = nullptr;
    const sa::VarCheck check =
        indexClass == K_NUM_NONE ? sa::FindTyped(ctx, w[1], {K_VAR_LONG}, v) : sa::VarCheck::kUnknown;
    if (check == sa::VarCheck::kUnknown) return row.indexUnrecognizable;
    if (check == sa::VarCheck::kWrongType) return row.indexNotLong;
    out.index.variable = v;
  }
  if (w.size() < 3) return row.missingOperand;
  const std::string& operand = w[2];
  const int operandClass = KText::DetermineNumberType(std::string_view(operand));
  if (row.op == ElementOp::kPeek) {
    const sa::VarCheck check = sa::FindTyped(ctx, operand, {row.operandType}, out.destination);
    return check == sa::VarCheck::kOk        ? 0
           : check == sa::VarCheck::kUnknown ? row.operandUnrecognizable
                                             : row.operandType_;
  }
  const bool number = operandClass == K_NUM_BYTE ||
                      (row.op != ElementOp::kPoke && (operandClass == K_NUM_WORD || operandClass == K_NUM_LONG));
  if (number) {
    out.operand.constant = static_cast<uint32_t>(KText::AtoLn(std::string_view(operand))) & 0xFF;
    return 0;
  }
  if (row.op == ElementOp::kPoke && (operandClass == K_NUM_WORD || operandClass == K_NUM_LONG)) return row.pokeNumber;
  VARI_LL* v = nullptr;
  const sa::VarCheck check = operandClass == K_NUM_NONE || operandClass == K_NUM_DOUBLE
                                 ? sa::FindTyped(ctx, operand, {K_VAR_BYTE}, v)
                                 : sa::VarCheck::kUnknown;
  if (check == sa::VarCheck::kUnknown) return row.operandUnrecognizable;
  if (check == sa::VarCheck::kWrongType) return row.operandType_;
  out.operand.variable = v;
  return 0;
}

int RunElement(StatementContext& ctx, TEXT_LINK& stmt, const ElementRow& row) {
  if (!ctx.IsRunMode()) {
    auto data = std::make_unique<ElementData>();
    if (const int32_t code = CompileElement(ctx, row, *data)) return ctx.Fail(code);
    stmt.data = std::move(data);
    return 0;
  }
  const auto* data = dynamic_cast<const ElementData*>(stmt.data.get());
  if (data == nullptr) return ctx.Fail(row.invalidBuffer);
  KByteArray& buffer = *data->buffer;
  const uint32_t index = data->index.Get();
  if (!bb::Fits(buffer.size, index, row.width))
    return ctx.Fail(data->index.variable ? row.runIndexRange : row.indexRange);
  uint8_t& byte = buffer.data[index];
  const auto value = static_cast<uint8_t>(data->operand.Get());
  switch (row.op) {
    case ElementOp::kPeek: {
      const uint64_t read = bb::Peek(Bytes(buffer), index, static_cast<int>(row.width));
      if (row.width == 8) {
        data->destination->SetDouble(static_cast<double>(read));
      } else {
        data->destination->SetUnsigned(static_cast<uint32_t>(read));
      }
      return 0;
    }
    case ElementOp::kPoke:
    case ElementOp::kSet:
      byte = value;
      break;
    case ElementOp::kOr:
      byte |= value;
      break;
    case ElementOp::kAnd:
      byte &= value;
      break;
    case ElementOp::kXor:
      byte ^= value;
      break;
  }
  buffer.altered = 1;
  return 0;
}

// ---- the others ----

struct FillData : StatementData {
  KByteArray* buffer = nullptr;
  enum Kind : uint8_t { kIncrementing, kRandom, kValue } kind = kValue;
  sa::Value value;  // the seed or the fill value
};

struct CopyData : StatementData {
  KByteArray* source = nullptr;
  KByteArray* destination = nullptr;
  sa::Value offset, count;
};

struct CompareData : StatementData {
  KByteArray* first = nullptr;
  KByteArray* second = nullptr;
  VARI_LL* result[4] = {};  // status, address, byte2, byte1
  bool lengthGiven = false;
  sa::Value length;
};

struct BufferAndLong : StatementData {
  KByteArray* buffer = nullptr;
  VARI_LL* variable = nullptr;
};

// "buffer longvar" of PATTERN9 and WNENCRYPTBUFFER; 0 or the code.
int32_t CompileBufferAndLong(StatementContext& ctx, BufferAndLong& out, int32_t badBuffer, int32_t unknownVariable,
                             int32_t wrongType) {
  const std::vector<std::string> w = sa::Words(ctx.Line());
  out.buffer = w.empty() ? nullptr : ctx.FindArray(w[0]);
  if (out.buffer == nullptr) return badBuffer;
  if (w.size() < 2) return unknownVariable;
  const sa::VarCheck check = sa::FindTyped(ctx, w[1], {K_VAR_LONG}, out.variable);
  if (check == sa::VarCheck::kUnknown) return unknownVariable;
  if (check == sa::VarCheck::kWrongType) return wrongType;
  return 0;
}

// INP and OUTP: "address data", checked.
struct PortCodes {
  int32_t parsing, count, address, addressType, data, dataType;
  bool dataMayBeNumber;
};

int32_t CheckPort(StatementContext& ctx, const PortCodes& c, VARI_LL*& dataVariable) {
  std::vector<std::string> w;
  if (ctx.Text().ParseLine(std::string_view(ctx.Line()), w) != 0) return c.parsing;
  if (w.size() != 2) return c.count;
  sa::Value address;
  if (!sa::ReadValue(ctx, w[0], kIntegerNumbers, kIntegerVariables, address)) {
    VARI_LL* v = nullptr;
    const bool wrongType = KText::DetermineNumberType(std::string_view(w[0])) == K_NUM_NONE &&
                           sa::FindTyped(ctx, w[0], kIntegerVariables, v) == sa::VarCheck::kWrongType;
    return wrongType ? c.addressType : c.address;
  }
  const int dataClass = KText::DetermineNumberType(std::string_view(w[1]));
  if (c.dataMayBeNumber && (dataClass == K_NUM_BYTE || dataClass == K_NUM_WORD || dataClass == K_NUM_LONG)) return 0;
  const sa::VarCheck check =
      dataClass == K_NUM_NONE ? sa::FindTyped(ctx, w[1], {K_VAR_BYTE}, dataVariable) : sa::VarCheck::kUnknown;
  if (check == sa::VarCheck::kUnknown) return c.data;
  if (check == sa::VarCheck::kWrongType) return c.dataType;
  return 0;
}

}  // namespace

// PEEK buffer[index] bytevar
int _Peek(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kPeekRow); }
// PEEKW buffer[index] wordvar
int _PeekW(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kPeekWRow); }
// PEEKL buffer[index] longvar
int _PeekL(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kPeekLRow); }
// PEEKD buffer[index] doublevar
int _PeekD(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kPeekDRow); }
// POKE buffer[index] byte
int _Poke(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kPokeRow); }
// SETBUFFER buffer[index] value
int _SetBuffer(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kSetRow); }
// ORBUFFER buffer[index] value
int _OrBuffer(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kOrRow); }
// ANDBUFFER buffer[index] value
int _AndBuffer(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kAndRow); }
// XORBUFFER buffer[index] value
int _XorBuffer(StatementContext& ctx, TEXT_LINK& stmt) { return RunElement(ctx, stmt, kXorRow); }

// FILLBUFFER buffer INCR | RAND seed | value
int _FillBuffer(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = Compiled<FillData>(stmt);
    if (data == nullptr) return ctx.Fail(FILL_BUFFER_INVALID_BUFFER_SPECIFIED);
    const std::span<uint8_t> bytes = Bytes(*data->buffer);
    switch (data->kind) {
      case FillData::kIncrementing:
        bb::FillIncrementing(bytes);
        break;
      case FillData::kRandom:
        bb::FillRandom(bytes, static_cast<uint8_t>(data->value.Get()));
        break;
      default:
        std::fill(bytes.begin(), bytes.end(), static_cast<uint8_t>(data->value.Get()));
        break;
    }
    data->buffer->altered = 1;
    return 0;
  }
  const std::vector<std::string> w = sa::Words(ctx.Line());
  auto data = std::make_unique<FillData>();
  data->buffer = w.empty() ? nullptr : ctx.FindArray(w[0]);
  if (data->buffer == nullptr) return ctx.Fail(FILL_BUFFER_INVALID_BUFFER_SPECIFIED);
  if (w.size() < 2) return ctx.Fail(FILL_BUFFER_INVALID_FILL_TYPE);
  std::string kind = w[1];
  KText::UpperCase(kind);
  if (kind == "INCR") {
    data->kind = FillData::kIncrementing;
  } else if (kind == "RAND") {
    data->kind = FillData::kRandom;
    if (w.size() < 3) return ctx.Fail(FILL_BUFFER_NO_RAND_SEED);
    if (!sa::ReadValue(ctx, w[2], kIntegerNumbers, {K_VAR_BYTE}, data->value)) {
      VARI_LL* v = nullptr;
      const bool wrongType = sa::FindTyped(ctx, w[2], {K_VAR_BYTE}, v) == sa::VarCheck::kWrongType;
      return ctx.Fail(wrongType ? FILL_BUFFER_RAND_SEED_VALUE_MUST_BE_BYTE_TYPE : FILL_BUFFER_INVALID_RAND_SEED_VALUE);
    }
  } else if (sa::ReadValue(ctx, w[1], kIntegerNumbers, {}, data->value)) {
    data->kind = FillData::kValue;
  } else {
    return ctx.Fail(FILL_BUFFER_INVALID_FILL_TYPE);
  }
  stmt.data = std::move(data);
  return 0;
}

// COPYBUFFER source destination
int _CopyBuffer(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Buffers : StatementData {
    KByteArray* source = nullptr;
    KByteArray* destination = nullptr;
  };
  // DIMENSION may resize either buffer between validation and a run: the sizes
  // are compared in both.
  auto sameSize = [](const Buffers& b) {
    return b.source->size == b.destination->size ? 0 : COPYBUFFER_BUFFER_SIZE_MISMATCH_DETECTED;
  };
  return CompileThenRun<Buffers>(
      ctx, stmt, COPYBUFFER_INVALID_1ST_BUFFER_DETECTED,
      [&](Buffers& b) -> int32_t {
        const std::vector<std::string> w = sa::Words(ctx.Line());
        b.source = w.empty() ? nullptr : ctx.FindArray(w[0]);
        if (b.source == nullptr) return COPYBUFFER_INVALID_1ST_BUFFER_DETECTED;
        b.destination = w.size() < 2 ? nullptr : ctx.FindArray(w[1]);
        if (b.destination == nullptr) return COPYBUFFER_INVALID_2ND_BUFFER_DETECTED;
        return sameSize(b);
      },
      [&](Buffers& b) {
        if (const int32_t code = sameSize(b)) return ctx.Fail(code);
        if (b.source != b.destination) std::memcpy(b.destination->data.get(), b.source->data.get(), b.source->size);
        b.destination->altered = 1;
        return 0;
      });
}

// COPYBUFFERPART source destination offset count
int _CopyBufferPart(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = Compiled<CopyData>(stmt);
    if (data == nullptr) return ctx.Fail(K_COPYBUFFERPART_INVALID_1ST_BUFFER_DETECTED);
    const uint64_t offset = data->offset.Get();
    const uint64_t count = data->count.Get();
    // A part copied onto itself is moved, not copied over its own bytes.
    std::vector<uint8_t> part;
    if (!bb::Fits(data->source->size, offset, count) || count > data->destination->size)
      return ctx.Fail(K_COPYBUFFERPART_BUFFER_SIZE_MISMATCH_DETECTED);
    part.assign(data->source->data.get() + offset, data->source->data.get() + offset + count);
    std::copy(part.begin(), part.end(), data->destination->data.get());
    data->destination->altered = 1;
    return 0;
  }
  std::vector<std::string> w;
  if (ctx.Text().ParseLine(std::string_view(ctx.Line()), w) != 0 || w.size() != 4)
    return ctx.Fail(K_COPYBUFFERPART_ILLEGAL_NUMBER_OF_ARGS_DETECTED);
  auto data = std::make_unique<CopyData>();
  data->source = ctx.FindArray(w[0]);
  if (data->source == nullptr) return ctx.Fail(K_COPYBUFFERPART_INVALID_1ST_BUFFER_DETECTED);
  data->destination = ctx.FindArray(w[1]);
  if (data->destination == nullptr) return ctx.Fail(K_COPYBUFFERPART_INVALID_2ND_BUFFER_DETECTED);
  if (!sa::ReadValue(ctx, w[2], kIntegerNumbers, kAnyVariable, data->offset) ||
      !sa::ReadValue(ctx, w[3], kIntegerNumbers, kAnyVariable, data->count))
    return ctx.Fail(K_COPYBUFFERPART_INVALID_ARG4_TIMEOUT_SPECIFIER);
  stmt.data = std::move(data);
  return 0;
}

// COMPAREBUFFER buffer1 buffer2 status address byte2 byte1 [length]
int _CompareBuffer(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = Compiled<CompareData>(stmt);
    if (data == nullptr) return ctx.Fail(COMPARE_BUFFER_INVALID_1ST_BUFFER_DETECTED);
    if (data->first->size != data->second->size) return ctx.Fail(COMPARE_BUFFER_BUFFER_SIZE_MISMATCH_DETECTED);
    const uint32_t length = data->lengthGiven ? data->length.Get() : data->first->size;
    if (length > data->first->size) return ctx.Fail(KRT_COMPARE_BUFFER_SWATH_LARGER_THAN_BUFFER_SIZE);
    const bb::Difference d = bb::FirstDifference(Bytes(*data->first), Bytes(*data->second), length);
    const uint32_t values[4] = {d.found ? 255u : 0u, d.index, d.second, d.first};
    for (int i = 0; i < 4; ++i) data->result[i]->SetUnsigned(values[i]);
    return 0;
  }
  const std::vector<std::string> w = sa::Words(ctx.Line());
  auto data = std::make_unique<CompareData>();
  data->first = w.empty() ? nullptr : ctx.FindArray(w[0]);
  if (data->first == nullptr) return ctx.Fail(COMPARE_BUFFER_INVALID_1ST_BUFFER_DETECTED);
  data->second = w.size() < 2 ? nullptr : ctx.FindArray(w[1]);
  if (data->second == nullptr) return ctx.Fail(COMPARE_BUFFER_INVALID_2ND_BUFFER_DETECTED);
  struct Result {
    int32_t type, unknown, wrongType;
  };
  static constexpr Result kResults[4] = {
      {K_VAR_BYTE, COMPARE_BUFFER_UNKNOWN_STATUS_BYTE_VARIABLE, COMPARE_BUFFER_INVALID_STATUS_BYTE_TYPE_SPECIFIED},
      {K_VAR_LONG, COMPARE_BUFFER_UNKNOWN_ADDRESS_LONG_VARIABLE, COMPARE_BUFFER_INVALID_ADDRESS_LONG_TYPE_SPECIFIED},
      {K_VAR_BYTE, COMPARE_BUFFER_UNKNOWN_READ_BYTE_VARIABLE, COMPARE_BUFFER_INVALID_READ_BYTE_TYPE_SPECIFIED},
      {K_VAR_BYTE, COMPARE_BUFFER_UNKNOWN_WROTE_BYTE_VARIABLE, COMPARE_BUFFER_INVALID_WROTE_BYTE_TYPE_SPECIFIED},
  };
  for (size_t i = 0; i < 4; ++i) {
    const sa::VarCheck check =
        w.size() > 2 + i ? sa::FindTyped(ctx, w[2 + i], {kResults[i].type}, data->result[i]) : sa::VarCheck::kUnknown;
    if (check == sa::VarCheck::kUnknown) return ctx.Fail(kResults[i].unknown);
    if (check == sa::VarCheck::kWrongType) return ctx.Fail(kResults[i].wrongType);
  }
  if (w.size() > 6) {
    data->lengthGiven = true;
    const std::string& length = w[6];
    const int cls = KText::DetermineNumberType(std::string_view(length));
    if (cls == K_NUM_BYTE || cls == K_NUM_WORD || cls == K_NUM_LONG) {
      data->length.constant = static_cast<uint32_t>(KText::AtoLn(std::string_view(length)));
      if (data->length.constant < 1 || data->length.constant > 0xFFFFFF)
        return ctx.Fail(K_COMPARE_BUFFER_SWATH_RANGE_ERROR);
    } else {
      VARI_LL* v = nullptr;
      const sa::VarCheck check =
          cls == K_NUM_NONE ? sa::FindTyped(ctx, length, {K_VAR_LONG}, v) : sa::VarCheck::kUnknown;
      if (check == sa::VarCheck::kUnknown) return ctx.Fail(K_COMPARE_BUFFER_SWATH_SPECIFICATION_ERROR);
      if (check == sa::VarCheck::kWrongType) return ctx.Fail(K_COMPARE_BUFFER_INVALID_SWATH_LONG_TYPE_SPECIFIED);
      data->length.variable = v;
    }
  }
  stmt.data = std::move(data);
  return 0;
}

// PATTERN9 buffer longvar
int _Pattern9(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = Compiled<BufferAndLong>(stmt);
    if (data == nullptr) return ctx.Fail(K_PATTERN9_INVALID_BUFFER_SPECIFIED);
    data->variable->SetUnsigned(bb::Pattern9(Bytes(*data->buffer), data->variable->lValue));
    data->buffer->altered = 1;
    return 0;
  }
  auto data = std::make_unique<BufferAndLong>();
  if (const int32_t code = CompileBufferAndLong(ctx, *data, K_PATTERN9_INVALID_BUFFER_SPECIFIED,
                                                K_PATTERN9_INVALID_RETSEED_VARIABLE_SPECIFIED,
                                                K_PATTERN9_INVALID_RETSEED_VARIABLE_TYPE_SPECIFIED))
    return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// WNENCRYPTBUFFER buffer longvar
int _WnEncryptBuffer(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = Compiled<BufferAndLong>(stmt);
    if (data == nullptr) return ctx.Fail(K_WNENCRYPTBUFFER_INVALID_BUFFER_SPECIFIED);
    data->variable->SetUnsigned(bb::Scramble(Bytes(*data->buffer)));
    data->buffer->altered = 1;
    return 0;
  }
  auto data = std::make_unique<BufferAndLong>();
  if (const int32_t code = CompileBufferAndLong(ctx, *data, K_WNENCRYPTBUFFER_INVALID_BUFFER_SPECIFIED,
                                                K_WNENCRYPTBUFFER_INVALID_VARIABLE_SPECIFIED,
                                                K_WNENCRYPTBUFFER_INVALID_VARIABLE_TYPE_SPECIFIED))
    return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// INP address bytevar
int _Inp(StatementContext& ctx, TEXT_LINK& stmt) {
  static constexpr PortCodes kCodes = {K_INP_PARSING_ERROR,
                                       K_INP_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
                                       K_INP_UNRECOGNIZABLE_ADDRESS_ARG,
                                       K_INP_ILLEGAL_ADDRESS_VARIABLE_TYPE_SPECIFIED,
                                       K_INP_DATA_VARIABLE_INVALID,
                                       K_INP_ILLEGAL_DATA_VARIABLE_TYPE_SPECIFIED,
                                       false};
  return CompileThenRun<sa::VariablesData<1>>(
      ctx, stmt, K_INP_PARSING_ERROR, [&](sa::VariablesData<1>& d) { return CheckPort(ctx, kCodes, d.variable[0]); },
      [](sa::VariablesData<1>& d) {
        // There are no ports here: the variable counts as read, its value stays.
        if (d.variable[0] != nullptr) CVariableLL::SetAltered(*d.variable[0]);
        return 0;
      });
}

// OUTP address data
int _Outp(StatementContext& ctx, TEXT_LINK& /*stmt*/) {
  static constexpr PortCodes kCodes = {K_OUTP_PARSING_ERROR,
                                       K_OUTP_ILLEGAL_NUMBER_OF_ARGS_DETECTED,
                                       K_OUTP_UNRECOGNIZABLE_ADDRESS_ARG,
                                       K_OUTP_ILLEGAL_ADDRESS_VARIABLE_TYPE_SPECIFIED,
                                       K_OUTP_INVALID_DATA_ARG,
                                       K_OUTP_ILLEGAL_DATA_VARIABLE_TYPE_SPECIFIED,
                                       true};
  VARI_LL* data = nullptr;
  if (const int32_t code = CheckPort(ctx, kCodes, data)) return ctx.Fail(code);
  return 0;
}
