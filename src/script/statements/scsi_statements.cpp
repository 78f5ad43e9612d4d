// The device statements: declared commands sent through the facade's script
// hooks, their outcome copied into the script's status fields.
#include "script/statements/scsi_statements.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/byte_order.h"
#include "script/core/error_fx.h"
#include "script/statements/declared_commands.h"
#include "script/statements/inquiry_report.h"
#include "script/statements/statement_args.h"

namespace sa = statement_args;

namespace {

constexpr std::initializer_list<int> kIntegerNumbers = {K_NUM_BYTE, K_NUM_WORD, K_NUM_LONG};
constexpr std::initializer_list<int> kAnyNumber = {K_NUM_BYTE, K_NUM_WORD, K_NUM_LONG, K_NUM_DOUBLE};
constexpr std::initializer_list<int32_t> kIntegerVariables = {K_VAR_BYTE, K_VAR_WORD, K_VAR_LONG};
constexpr std::initializer_list<int32_t> kAnyVariable = {K_VAR_BYTE, K_VAR_WORD, K_VAR_LONG, K_VAR_DOUBLE};

// Codes of one variable word: unknown name, wrong width.
struct VarCodes {
  int32_t unknown;
  int32_t wrongType;
};

// Checks a word as a variable of `type`; 0 or the code.
int32_t CheckVar(StatementContext& ctx, const std::vector<std::string>& w, size_t at, int32_t type, VarCodes codes,
                 VARI_LL*& out) {
  if (at >= w.size()) return codes.unknown;
  switch (sa::FindTyped(ctx, w[at], {type}, out)) {
    case sa::VarCheck::kOk:
      return 0;
    case sa::VarCheck::kUnknown:
      return codes.unknown;
    default:
      return codes.wrongType;
  }
}

// The compiled arguments of the read and write statements.
struct TransferData : StatementData {
  DeclaredCommand<CDB_LINK>* command = nullptr;
  sa::Value count;
  VARI_LL* result[5] = {};  // READNOCOMPARE/WRITE: [0]; READCOMPARE: the five in order
};

// The repeat count of the reads: any number or variable, but no number larger
// than WRITE takes: a decimal of 2147483647 or more is refused at load instead
// of being cut to 32 bits (and running for ever).
bool ReadCount(StatementContext& ctx, const std::string& word, sa::Value& out) {
  if (!sa::ReadValue(ctx, word, kAnyNumber, kAnyVariable, out)) return false;
  return KText::DetermineNumberType(std::string_view(word)) != K_NUM_DOUBLE || out.constant < 2147483647u;
}

void MarkAltered(KByteArray* buffer) {
  if (buffer != nullptr) buffer->altered = 1;
}

// A CDB of a read or write loop whose variable-length transfer (FIXED bit
// clear) is longer than its buffer can never be sent whole: refused when
// the script loads. Fixed blocks depend on the drive and are checked in the run.
int32_t CheckDeclaredTransfer(const DeclaredCommand<CDB_LINK>& command) {
  const CDB_LINK& c = command.link;
  if ((c.cdb[1] & 0x01) != 0) return 0;
  const uint32_t length = be::Read24(c.cdb.data() + 2);
  const uint32_t size = command.buffer != nullptr ? command.buffer->size : 0;
  return length > size ? K_TRANSFER_LENGTH_EXCEEDS_BUFFER_SIZE : 0;
}

// A loop the facade would not send: the run-time error, or 0 when it ran.
int32_t TransferError(ScriptTransferCheck check) {
  switch (check) {
    case kTransferBufferTooSmall:
      return KRT_TRANSFER_LENGTH_EXCEEDS_BUFFER_SIZE;
    case kTransferNoBlockLength:
      return KRT_TRANSFER_BLOCK_LENGTH_UNKNOWN;
    default:
      return 0;  // sent, or stopped at a failure the status fields describe
  }
}

// A getter of one variable: validation finds the variable, the run gives it
// the value of read(ctx) (which returns 0 or ctx.Fail(...) itself).
template <typename Read>
int Getter(StatementContext& ctx, TEXT_LINK& stmt, int32_t type, VarCodes codes, Read read) {
  const sa::VariableRule rule[1] = {{type, codes.unknown, codes.unknown, codes.wrongType}};
  return CompileThenRun<sa::VariablesData<1>>(
      ctx, stmt, codes.unknown,
      [&](sa::VariablesData<1>& d) { return sa::FindVariables(ctx, sa::Words(ctx.Line()), 0, rule, d.variable); },
      [&](sa::VariablesData<1>& d) { return read(*d.variable[0]); });
}

// The declared command a SCSI or ATA statement sends, found once.
template <typename Link>
struct CommandData : StatementData {
  DeclaredCommand<Link>* command = nullptr;
};
template <typename Link, typename Send>
int SendDeclared(StatementContext& ctx, TEXT_LINK& stmt, int32_t unknown,
                 DeclaredCommand<Link>* (*find)(StatementContext&, std::string_view), Send send) {
  return CompileThenRun<CommandData<Link>>(
      ctx, stmt, unknown,
      [&](CommandData<Link>& d) -> int32_t {
        const std::vector<std::string> w = sa::Words(ctx.Line());
        d.command = w.empty() ? nullptr : find(ctx, w[0]);
        return d.command == nullptr ? unknown : 0;
      },
      [&](CommandData<Link>& d) { return ctx.Facade() != nullptr ? send(*d.command) : 0; });
}

}  // namespace

void TakeOutcome(SenseTriggers& status, const LAST_COMMAND& record, bool everything) {
  status.sk = record.senseKey;
  status.asc = record.asc;
  status.ascq = record.ascq;
  status.ili = record.ili;
  status.eom = record.eom;
  status.fm = record.fm;
  status.vsSense = static_cast<uint32_t>(record.vsSense);
  if (!everything) return;
  status.residual = static_cast<uint32_t>(record.residual);
  status.ltocFsc = record.ltocFsc;
  status.ltocFlag = record.ltocFlag;
}

// SCSI cdb
int _Scsi(StatementContext& ctx, TEXT_LINK& stmt) {
  auto send = [&](DeclaredCommand<CDB_LINK>& command) {
    ctx.Facade()->OnScriptCdbCmds(&command.Bound());
    TakeOutcome(ctx.Triggers(), ctx.Facade()->GetLastCommand(), true);
    if (command.link.direction == kToHost && command.buffer != nullptr) {
      MarkAltered(command.buffer);
      command.buffer->filled = ctx.Facade()->GetScriptTransport().bytesMoved;
    }
    return 0;
  };
  return SendDeclared<CDB_LINK>(ctx, stmt, SCSI_UNKNOWN_CDB_SPECIFIED, FindCdb, send);
}

// ATA atacmd
int _Ata(StatementContext& ctx, TEXT_LINK& stmt) {
  auto send = [&](DeclaredCommand<ATA_LINK>& command) {
    ATA_LINK& ata = command.Bound();
    // The buffer carries a 12-byte header: the registers, then the length of
    // the data behind it (little-endian). A buffer too short for it gets none.
    constexpr uint32_t kHeader = 12;
    if (ata.bufferData != nullptr && ata.bufferSize >= kHeader) {
      std::copy(ata.registers.begin(), ata.registers.end(), ata.bufferData);
      const uint32_t length = ata.bufferSize - kHeader;
      for (int i = 0; i < 4; ++i) ata.bufferData[8 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    ctx.Facade()->OnScriptCdbCmds(&ata);
    const LAST_COMMAND& record = ctx.Facade()->GetLastCommand();
    SenseTriggers& status = ctx.Triggers();
    status.sk = record.senseKey;
    status.asc = record.asc;
    status.ascq = record.ascq;
    status.vsSense = static_cast<uint32_t>(record.vsSense);
    if (ata.direction == kToHost) MarkAltered(command.buffer);
    return 0;
  };
  return SendDeclared<ATA_LINK>(ctx, stmt, K_ATA_UNKNOWN_CMD_SPECIFIED, FindAta, send);
}

// READNOCOMPARE cdb count longvar
int _ReadNoCompare(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = dynamic_cast<TransferData*>(stmt.data.get());
    if (data == nullptr) return ctx.Fail(READ_UNKNOWN_CDB_SPECIFIED);
    data->result[0]->SetUnsigned(0);
    if (ctx.Facade() == nullptr) return 0;
    uint32_t completed = 0;
    const ScriptTransferCheck check =
        ctx.Facade()->OnScriptReadCmd(&data->command->Bound(), data->count.Get(), nullptr, &completed);
    if (const int32_t code = TransferError(check)) return ctx.Fail(code);
    TakeOutcome(ctx.Triggers(), ctx.Facade()->GetLastCommand(), true);
    data->result[0]->SetUnsigned(completed);
    if (KByteArray* buffer = data->command->buffer; buffer != nullptr && data->count.Get() != 0) {
      buffer->filled = ctx.Facade()->GetScriptTransport().bytesMoved;  // what the last read delivered
      MarkAltered(buffer);
    }
    return 0;
  }
  const std::vector<std::string> w = sa::Words(ctx.Line());
  auto data = std::make_unique<TransferData>();
  data->command = w.empty() ? nullptr : FindCdb(ctx, w[0]);
  if (data->command == nullptr) return ctx.Fail(READ_UNKNOWN_CDB_SPECIFIED);
  if (const int32_t code = CheckDeclaredTransfer(*data->command)) return ctx.Fail(code);
  if (w.size() < 2 || !ReadCount(ctx, w[1], data->count)) return ctx.Fail(READ_UNKNOWN_ITERATION_COUNT_SPECIFIED);
  if (w.size() < 3) return ctx.Fail(K_READ_MISSING_RETURN_LONG_VARIABLE_ARGUMENT);
  if (const int32_t code = CheckVar(
          ctx, w, 2, K_VAR_LONG,
          {K_READ_UNKNOWN_RETURN_LONG_VARIABLE_SPECIFIED, K_READ_UNKNOWN_RETURN_ARGUMENT_NOT_A_LONG}, data->result[0]))
    return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// READCOMPARE cdb count status failat address readbyte wrotebyte
int _ReadCompare(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = dynamic_cast<TransferData*>(stmt.data.get());
    if (data == nullptr) return ctx.Fail(READ_COMPARE_UNKNOWN_CDB_SPECIFIED);
    SCRIPT_COMPARE compare;
    if (ctx.Facade() != nullptr) {
      const ScriptTransferCheck check =
          ctx.Facade()->OnScriptReadCmd(&data->command->Bound(), data->count.Get(), &compare);
      if (const int32_t code = TransferError(check)) return ctx.Fail(code);
      TakeOutcome(ctx.Triggers(), ctx.Facade()->GetLastCommand(), true);
    }
    const uint32_t values[5] = {compare.status, compare.iteration, compare.offset, compare.readValue,
                                compare.expectedValue};
    for (int i = 0; i < 5; ++i) data->result[i]->SetUnsigned(values[i]);
    return 0;
  }
  const std::vector<std::string> w = sa::Words(ctx.Line());
  auto data = std::make_unique<TransferData>();
  data->command = w.empty() ? nullptr : FindCdb(ctx, w[0]);
  if (data->command == nullptr) return ctx.Fail(READ_COMPARE_UNKNOWN_CDB_SPECIFIED);
  if (const int32_t code = CheckDeclaredTransfer(*data->command)) return ctx.Fail(code);
  if (w.size() < 2 || !ReadCount(ctx, w[1], data->count)) return ctx.Fail(READ_COMPARE_UNKNOWN_ITERATION_SPECIFIED);
  struct Result {
    int32_t type;
    VarCodes codes;
  };
  static constexpr Result kResults[5] = {
      {K_VAR_BYTE, {READ_COMPARE_UNKNOWN_STATUS_BYTE_VARIABLE, READ_COMPARE_INVALID_STATUS_BYTE_TYPE_SPECIFIED}},
      {K_VAR_LONG, {READ_COMPARE_UNKNOWN_ERROR_AT_LONG_VARIABLE, READ_COMPARE_INVALID_ERROR_AT_LONG_TYPE_SPECIFIED}},
      {K_VAR_LONG, {READ_COMPARE_UNKNOWN_ADDRESS_LONG_VARIABLE, READ_COMPARE_INVALID_ADDRESS_LONG_TYPE_SPECIFIED}},
      {K_VAR_BYTE, {READ_COMPARE_UNKNOWN_READ_BYTE_VARIABLE, READ_COMPARE_INVALID_READ_BYTE_TYPE_SPECIFIED}},
      {K_VAR_BYTE, {READ_COMPARE_UNKNOWN_WROTE_BYTE_VARIABLE, READ_COMPARE_INVALID_WROTE_BYTE_TYPE_SPECIFIED}},
  };
  for (size_t i = 0; i < 5; ++i)
    if (const int32_t code = CheckVar(ctx, w, 2 + i, kResults[i].type, kResults[i].codes, data->result[i]))
      return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// WRITE [#]cdb count longvar
int _Write(StatementContext& ctx, TEXT_LINK& stmt) {
  if (ctx.IsRunMode()) {
    auto* data = dynamic_cast<TransferData*>(stmt.data.get());
    if (data == nullptr) return ctx.Fail(SCSI_UNKNOWN_CDB_SPECIFIED);
    data->result[0]->SetUnsigned(0);
    if (ctx.Facade() == nullptr) return 0;
    uint32_t completed = 0;
    const ScriptTransferCheck check =
        ctx.Facade()->OnScriptWriteCmd(&data->command->Bound(), data->count.Get(), &completed);
    if (const int32_t code = TransferError(check)) return ctx.Fail(code);
    TakeOutcome(ctx.Triggers(), ctx.Facade()->GetLastCommand(), true);
    data->result[0]->SetUnsigned(completed);
    return 0;
  }
  std::vector<std::string> w = sa::Words(ctx.Line());
  if (!w.empty() && !w[0].empty() && w[0][0] == '#') w[0].erase(0, 1);
  auto data = std::make_unique<TransferData>();
  data->command = w.empty() ? nullptr : FindCdb(ctx, w[0]);
  if (data->command == nullptr) return ctx.Fail(SCSI_UNKNOWN_CDB_SPECIFIED);
  if (const int32_t code = CheckDeclaredTransfer(*data->command)) return ctx.Fail(code);
  if (w.size() < 2) return ctx.Fail(WRITE_UNKNOWN_ITERATION_COUNT_SPECIFIED);
  if (!sa::ReadValue(ctx, w[1], kIntegerNumbers, {K_VAR_LONG}, data->count)) {
    VARI_LL* v = nullptr;
    const bool other = KText::DetermineNumberType(std::string_view(w[1])) == K_NUM_NONE &&
                       sa::FindTyped(ctx, w[1], {K_VAR_LONG}, v) == sa::VarCheck::kWrongType;
    return ctx.Fail(other ? K_WRITE_INVALID_COUNT_VARIABLE_TYPE_SPECIFIED : WRITE_UNKNOWN_ITERATION_COUNT_SPECIFIED);
  }
  if (w.size() < 3) return ctx.Fail(K_WRITE_MISSING_RETURN_COUNT_VARIABLE);
  if (const int32_t code = CheckVar(
          ctx, w, 2, K_VAR_LONG,
          {K_WRITE_UNKNOWN_RETURN_VARIABLE_SPECIFIED, K_WRITE_INVALID_RETURN_VARIABLE_TYPE_SPECIFIED}, data->result[0]))
    return ctx.Fail(code);
  stmt.data = std::move(data);
  return 0;
}

// GETHASTATUS longvar
int _GetHaStatus(StatementContext& ctx, TEXT_LINK& stmt) {
  return Getter(ctx, stmt, K_VAR_LONG, {GET_HA_STATUS_INVALID_VARIABLE_SPECIFIED, GET_HA_STATUS_INVALID_VARIABLE_TYPE},
                [&](VARI_LL& v) {
                  if (ctx.Facade() == nullptr) return 0;
                  const uint32_t status = ctx.Facade()->OnScriptGetHaStat();
                  if (status == 0xFFFFFFFFu) return ctx.Fail(KRT_GET_HA_STATUS_INTERNAL_ERROR);
                  v.SetUnsigned(status);
                  return 0;
                });
}

// GETBYTECOUNT longvar
int _GetByteCount(StatementContext& ctx, TEXT_LINK& stmt) {
  return Getter(ctx, stmt, K_VAR_LONG,
                {K_GET_BYTE_COUNT_INVALID_VARIABLE_SPECIFIED, K_GET_BYTE_COUNT_INVALID_VARIABLE_TYPE}, [&](VARI_LL& v) {
                  if (ctx.Facade() != nullptr) v.SetUnsigned(ctx.Facade()->GetScriptTransport().bytesMoved);
                  return 0;
                });
}

// GETDRIVETYPE bytevar
int _GetDriveType(StatementContext& ctx, TEXT_LINK& stmt) {
  return Getter(ctx, stmt, K_VAR_BYTE,
                {GET_DRIVETYPE_INVALID_VARIABLE_SPECIFIED, GET_DRIVETYPE_INVALID_VARIABLE_TYPE_SPECIFIED},
                [&](VARI_LL& v) {
                  if (ctx.Facade() != nullptr) v.SetUnsigned(ctx.Facade()->OnScriptGetDeviceType());
                  return 0;
                });
}

// GETINQINFO [SCREEN|LOG|BOTH]
int _GetInqInfo(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Where : StatementData {
    sa::Destination where = sa::kScreen;
  };
  return CompileThenRun<Where>(
      ctx, stmt, EXE_UNRECOGNIZABLE_LINE,
      [&](Where& d) {
        std::vector<std::string> w = sa::Words(ctx.Line());
        d.where = sa::TakeDestination(w);
        return 0;
      },
      [&](Where& d) {
        uint8_t data[kInquiryReportBytes] = {};
        if (ctx.Facade() != nullptr) ctx.Facade()->OnScriptInquiryCmd(data);
        for (const std::string& line : InquiryReportLines(data)) sa::EmitLine(ctx, d.where, line);
        return 0;
      });
}

// FUP file | FUP buffer
int _Fup(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Image : StatementData {
    std::string file;                    // as written
    const KByteArray* buffer = nullptr;  // or the buffer whose text names it at each run
  };
  constexpr uint32_t kNameLimit = 260;
  // DIMENSION may shrink the buffer after validation: its size is checked in both.
  auto bufferSize = [](const Image& d) -> int32_t {
    return d.buffer->size < kNameLimit ? FUP_BUFFER_SPECIFIED_REQUIRED_TO_BE_AT_LEAST_260 : 0;
  };
  auto fileExists = [](const std::string& file) -> int32_t {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) return FUP_UNABLE_TO_OPEN_FILE_SPECIFIED;
    std::fclose(f);
    return 0;
  };
  return CompileThenRun<Image>(
      ctx, stmt, FUP_NO_FILE_SPECIFIED,
      [&](Image& d) -> int32_t {
        std::string word = ctx.Line();
        word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
        KText::CleanLine(word);
        if (word.empty()) return FUP_NO_FILE_SPECIFIED;
        ctx.NoteFirmwareUpdate();
        d.file = word;
        d.buffer = ctx.FindArray(word);
        // A buffer's text is known only when the statement runs.
        return d.buffer != nullptr ? bufferSize(d) : fileExists(d.file);
      },
      [&](Image& d) {
        std::string file = d.file;
        if (d.buffer != nullptr) {
          if (const int32_t code = bufferSize(d)) return ctx.Fail(code);
          // At most 260 characters, whether or not the text ends inside them.
          const auto* text = reinterpret_cast<const char*>(d.buffer->data.get());
          file.assign(text, strnlen(text, kNameLimit));
          if (file.empty()) return ctx.Fail(FUP_UNINITIALIZED_BUFFER_SPECIFIED);
        }
        // The file may have gone since validation.
        if (const int32_t code = fileExists(file)) return ctx.Fail(code);
        if (ctx.Facade() == nullptr) return 0;
        const uint32_t result = ctx.Facade()->OnScriptFupDrive(file.c_str());
        if (result != 0 && result != 0xFFFFFFFFu) return 0;
        TEXT_LINK* handler = result == 0 ? ctx.ErrorHandler() : ctx.CancelHandler();
        if (handler == nullptr)
          return ctx.Fail(result == 0 ? ONERROR_UNKNOWN_VECTOR_ERROR : ONCANCEL_UNKNOWN_VECTOR_ERROR);
        ctx.JumpTo(handler);
        return 0;
      });
}

// GETSCSITIMEOUT longvar
int _GetScsiTimeout(StatementContext& ctx, TEXT_LINK& stmt) {
  return Getter(
      ctx, stmt, K_VAR_LONG, {GET_SCSI_TO_INVALID_VARIABLE_SPECIFIED, GET_SCSI_TO_INVALID_VARIABLE_TYPE},
      [&](VARI_LL& v) {
        v.SetUnsigned(ctx.Facade() != nullptr ? ctx.Facade()->GetScriptTimeout() : ScsiWrapper::kDefaultScriptTimeout);
        return 0;
      });
}

// SETSCSITIMEOUT longvar | number
int _SetScsiTimeout(StatementContext& ctx, TEXT_LINK& stmt) {
  struct Timeout : StatementData {
    sa::Value value;
  };
  return CompileThenRun<Timeout>(
      ctx, stmt, SET_SCSI_TO_INVALID_NUMBER_SPECIFIED,
      [&](Timeout& d) -> int32_t {
        const std::vector<std::string> w = sa::Words(ctx.Line());
        if (w.empty()) return SET_SCSI_TO_INVALID_NUMBER_SPECIFIED;
        if (sa::ReadValue(ctx, w[0], kIntegerNumbers, {K_VAR_LONG}, d.value)) return 0;
        VARI_LL* v = nullptr;
        const bool variable = sa::FindTyped(ctx, w[0], {K_VAR_LONG}, v) == sa::VarCheck::kWrongType;
        return variable ? SET_SCSI_TO_INVALID_VARIABLE_TYPE : SET_SCSI_TO_INVALID_NUMBER_SPECIFIED;
      },
      [&](Timeout& d) {
        if (ctx.Facade() != nullptr) ctx.Facade()->SetScriptTimeout(d.value.Get());
        return 0;
      });
}

// BUSDEVICERESET wordvar
int _BusDeviceReset(StatementContext& ctx, TEXT_LINK& /*stmt*/) {
  const std::vector<std::string> w = sa::Words(ctx.Line());
  if (w.empty()) return ctx.Fail(K_BUSDEVICERESET_MISSING_RETURN_ARGUMENT);
  VARI_LL* v = nullptr;
  if (sa::FindTyped(ctx, w[0], {K_VAR_WORD}, v) != sa::VarCheck::kOk)
    return ctx.Fail(K_BUSDEVICERESET_VARIABLE_NOT_A_WORD);
  return 0;
}

// GETFWIMGCHKSUM buffer word
int _GetFwImgChkSum(StatementContext& ctx, TEXT_LINK& /*stmt*/) {
  const std::vector<std::string> w = sa::Words(ctx.Line());
  if (w.size() != 2) return ctx.Fail(GET_FW_IMG_CHKSUM_INVALID_NUMBER_OF_ARGS);
  if (ctx.FindArray(w[0]) == nullptr) return ctx.Fail(GET_FW_IMG_CHKSUM_INVALID_BUFFER_SPECIFIED);
  return 0;
}
