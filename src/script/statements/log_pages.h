// Log pages in scripts: the LOGPAGE declaration, the statements that load,
// print and record a page, and the page list the engine asks about page
// operands ("var = TAG->code", "BUFFER = TAG->code", "IF TAG->code ...") and
// the event-log sub-statements ("TAG->CREATEMAP ...").
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "facade/k_pages.h"
#include "script/core/declarations.h"
#include "script/statements/k_log_page7.h"

class StatementContext;
struct TEXT_LINK;

// One LOGPAGE declaration.
struct LP_LINK {
  std::string name;
  std::string buffer;  // the declared buffer whose bytes LOADPAGE decodes
  int32_t pageId = 0;
  std::unique_ptr<KPages> pages;      // every accepted code but 7
  std::unique_ptr<KLogPage7> events;  // code 7
};

class CLogPageLL : public DeclarationList {
 public:
  LP_LINK* Find(std::string_view name);
  const LP_LINK* Find(std::string_view name) const;
  LP_LINK& Add(LP_LINK page);

  int32_t LogPageCode(std::string_view tag) const override;
  std::span<const uint8_t> LogPageBytesAt(std::string_view tag, uint32_t code) override;
  int LogPageValue(const KCompiledAssign& form, KValue& value) override;
  int LogPageOperand(std::string_view tag, std::string_view parm, double& value) override;
  int EventLogCommand(StatementContext& ctx, TEXT_LINK& stmt, const char* upperCommand) override;

 private:
  std::deque<LP_LINK> pages_;  // declaration order; addresses stay put
};

// The value of parameter `parm` of a loaded page as a number: by the
// parameter's own width (1, 2, 3, 4 or 8 bytes); page 0: the page code at
// that index. 0, or the page's fetch error.
int32_t PageParameterValue(const LP_LINK& page, uint32_t parm, KValue& value);

// LOGPAGE name { pageid, buffer }
int _LogPageDeclaration(StatementContext& ctx, int32_t arg);
// LOADPAGE page
int _LoadPage(StatementContext& ctx, TEXT_LINK& stmt);
// PRINTPAGE page
int _PrintPage(StatementContext& ctx, TEXT_LINK& stmt);
// RECORDPAGE page
int _RecordPage(StatementContext& ctx, TEXT_LINK& stmt);
// DUMPLOGPAGE anything
int _DumpLogPage(StatementContext& ctx, TEXT_LINK& stmt);

// Where statement output goes: the screen, the session log, or both.
enum class OutputDest { Screen, Log, Both };
// The destination named by SCREEN, LOG or BOTH (any case); false for another word.
bool ParseOutputDest(std::string_view word, OutputDest& dest);
// Writes each line to the destination: 0, or ctx.Fail's 1 when the log is
// asked for and the run has none (BOTH then shows the screen only).
int WriteLines(StatementContext& ctx, OutputDest dest, const std::vector<std::string>& lines);
