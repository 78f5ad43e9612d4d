// Sense tests: the SENSEKEYS texts of a script, the statements that branch on
// or copy the last command's status, and the sense report.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/core/declarations.h"
#include "script/core/statement_api.h"

struct SK_LINK {
  std::string name;  // tag for IFSENSE, empty when none
  uint8_t key = 0;
  uint8_t asc = 0;
  int32_t ascAny = 0;
  uint8_t ascq = 0;
  int32_t ascqAny = 0;
  std::string text;
  int32_t fileId = 0;
  int32_t line = 0;

  // The matching rule of a sense text, and of IFSENSE with a tag or triple.
  bool Matches(uint8_t k, uint8_t a, uint8_t q) const {
    if (key != k) return false;
    if (ascAny) return ascqAny != 0;
    return asc == a && (ascqAny || ascq == q);
  }
};

class CSenseKeyLL : public DeclarationList {
 public:
  // Text of the first definition that matches, or nullptr.
  const SK_LINK* Lookup(uint8_t key, uint8_t asc, uint8_t ascq) const;
  const SK_LINK* FindTag(std::string_view tag) const;
  void Add(SK_LINK link) { links_.push_back(std::make_unique<SK_LINK>(std::move(link))); }
  size_t Count() const { return links_.size(); }

 private:
  std::vector<std::unique_ptr<SK_LINK>> links_;
};

// "[tag] key asc ascq text" (the text after SENSEKEYS): 0 and the record, or
// the error code. `known` resolves what the script already defines.
int ParseSenseKeys(std::string_view rest, const CSenseKeyLL* known, SK_LINK& out);

// The sense line of the report: "\tSense: CC: %02X  ASC: %02X  ASCQ: %02X  = text".
std::string SenseLine(const CSenseKeyLL* texts, uint8_t key, uint8_t asc, uint8_t ascq);

// SENSEKEYS [tag] key asc ascq text
int _SenseKeysDeclaration(StatementContext& ctx, int32_t arg);
// IFSENSE ANY|tag|key asc ascq JUMP label|CALL label|RETURN|label
int _IfSense(StatementContext& ctx, TEXT_LINK& stmt);
// IFNOSENSE JUMP label|CALL label|RETURN|label
int _IfNoSense(StatementContext& ctx, TEXT_LINK& stmt);
// GETSENSE skvar ascvar ascqvar
int _GetSense(StatementContext& ctx, TEXT_LINK& stmt);
// GETSENSETEXT sk asc ascq buffer
int _GetSenseText(StatementContext& ctx, TEXT_LINK& stmt);
// GETILISTATUS bytevar
int _GetIliStatus(StatementContext& ctx, TEXT_LINK& stmt);
// GETEOMSTATUS bytevar
int _GetEomStatus(StatementContext& ctx, TEXT_LINK& stmt);
// GETFMSTATUS bytevar
int _GetFmStatus(StatementContext& ctx, TEXT_LINK& stmt);
// GETSUPPRESSSTATUS bytevar
int _GetSuppressStatus(StatementContext& ctx, TEXT_LINK& stmt);
// GETVEXILMODE bytevar
int _GetVexilMode(StatementContext& ctx, TEXT_LINK& stmt);
// GETRESIDUAL longvar
int _GetResidual(StatementContext& ctx, TEXT_LINK& stmt);
// GETLTOCFSC wordvar
int _GetLtocFsc(StatementContext& ctx, TEXT_LINK& stmt);
// GETLTOCFLAG wordvar
int _GetLtocFlag(StatementContext& ctx, TEXT_LINK& stmt);
// PRINTSENSEKEYS (PRINTSK)
int _PrintSenseKeys(StatementContext& ctx, TEXT_LINK& stmt);
// LOGSENSEKEYS (LOGSK)
int _LogSenseKeys(StatementContext& ctx, TEXT_LINK& stmt);
