// Statements on the drive's event log (a LOGPAGE of code 7): packet count,
// delta filter, the reference power-on hours, the tally map, the failure
// scan, and the queries with their hit list (event_queries.cpp).
#pragma once

#include <cstdint>
#include <string_view>

#include "script/core/declarations.h"
#include "script/statements/event_query.h"

class StatementContext;
struct TEXT_LINK;
struct LP_LINK;

// The engine's query state: the question, the hit list of the last search
// and the reference power-on hours set by SETPOH.
struct EventQueryState : DeclarationList {
  KTRAP_Controll trap;
  CSearchEngine search;
  uint32_t currentPoh = 0;
};

// "page->SUB args": the sub-statement named by upperCommand on a page 7, in
// both modes (validation checks, the run acts).
int RunEventLogSubStatement(StatementContext& ctx, LP_LINK& page, const char* upperCommand, std::string_view args);

// GETNUMBEROFPACKETS page var
int _GetNumberOfPackets(StatementContext& ctx, TEXT_LINK& stmt);
// DELTAFILTER pageA pageB
int _DeltaFilter(StatementContext& ctx, TEXT_LINK& stmt);
// SETPOH hours
int _SetPoh(StatementContext& ctx, TEXT_LINK& stmt);
// THUMBPRINT anything
int _ThumbPrint(StatementContext& ctx, TEXT_LINK& stmt);
// IFTRUE page countvar type id... op limit [WITHIN hours] [WITH SAME|DIFF] JUMP|CALL label
int _IfTrue(StatementContext& ctx, TEXT_LINK& stmt);

// The page-7 sub-statements (args: the words after the command).
// page->CREATEMAP SCREEN|LOG|BOTH
int Pg7CreateMap(StatementContext& ctx, LP_LINK& page, std::string_view args);
// page->WNSCAN bytevar buffer
int Pg7WnScan(StatementContext& ctx, LP_LINK& page, std::string_view args);
// page->CREATELIST type id... countvar
int Pg7CreateList(StatementContext& ctx, LP_LINK& page, std::string_view args);
// page->PRINTLIST SCREEN|LOG|BOTH
int Pg7PrintList(StatementContext& ctx, LP_LINK& page, std::string_view args);
// page->FILTERLIST TIME hours countvar | TAPE SAME|DIFFERENT ...
int Pg7FilterList(StatementContext& ctx, LP_LINK& page, std::string_view args);
// page->GETVALUE hitindex var field.mask [<< n | >> n] [+ field.mask ...]
int Pg7GetValue(StatementContext& ctx, LP_LINK& page, std::string_view args);
// page->REMOVEPACKET hitindex var
int Pg7RemovePacket(StatementContext& ctx, LP_LINK& page, std::string_view args);
