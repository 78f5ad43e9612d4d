// The table, CSV, remark and script file statements and declarations.
#pragma once

#include "script/core/statement_api.h"

// ---- declarations (phase 1) ----
// TABLE name
int _TableDeclaration(StatementContext& ctx, int32_t arg);
// TENTRY(table, catalog, value, "text");
int _TableEntryDeclaration(StatementContext& ctx, int32_t arg);
// TESTTIMETABLE name
int _TestTimeTableDeclaration(StatementContext& ctx, int32_t arg);
// TESTTIMEENTRY(table, testidvar, drivetypevar, hours, minutes, seconds);
int _TestTimeEntryDeclaration(StatementContext& ctx, int32_t arg);
// CSVFILE name
int _CsvFileDeclaration(StatementContext& ctx, int32_t arg);
// REMARK ("text"); or REMARK ("text" / , "text" / ... );
int _RemarkDeclaration(StatementContext& ctx, int32_t arg);
// FILE name
int _FileDeclaration(StatementContext& ctx, int32_t arg);

// ---- statements ----
// GETTABLEENTRY table longvar key buffer
int _GetTableEntry(StatementContext& ctx, TEXT_LINK& stmt);
// GETTESTTIME table testidvar drivetypevar hourvar minutevar secondvar
int _GetTestTime(StatementContext& ctx, TEXT_LINK& stmt);
// LOADCSVFILE csv pathbuffer statusvar
int _LoadCsvFile(StatementContext& ctx, TEXT_LINK& stmt);
// UNLOADCSVFILE csv
int _UnloadCsvFile(StatementContext& ctx, TEXT_LINK& stmt);
// GETCSVARG csv keybuffer keyindex argindex resultbuffer statusvar
int _GetCsvArg(StatementContext& ctx, TEXT_LINK& stmt);
// OPENFILE file path|pathbuffer [READ|WRITE] [TEXT|BINARY] [APPEND] longvar
int _OpenFile(StatementContext& ctx, TEXT_LINK& stmt);
// CLOSEFILE file
int _CloseFile(StatementContext& ctx, TEXT_LINK& stmt);
// FREAD file buffer limit resultvar
int _FRead(StatementContext& ctx, TEXT_LINK& stmt);
// FGETS file buffer limit resultvar
int _FGets(StatementContext& ctx, TEXT_LINK& stmt);
// FWRITE file buffer count
int _FWrite(StatementContext& ctx, TEXT_LINK& stmt);
// FSEEK file offset SEEK_SET|SEEK_CUR|SEEK_END
int _FSeek(StatementContext& ctx, TEXT_LINK& stmt);
// ERASEFILE pathbuffer | path
int _EraseFile(StatementContext& ctx, TEXT_LINK& stmt);
// COMPRESSFILE pathbuffer | path
int _CompressFile(StatementContext& ctx, TEXT_LINK& stmt);
