// Statements that send the declared commands to the drive, and the drive
// queries: SCSI, ATA, READNOCOMPARE, READCOMPARE, WRITE, GETHASTATUS,
// GETBYTECOUNT, GETDRIVETYPE, GETINQINFO, FUP and the statements that are only checked.
#pragma once

#include "facade/scsi_wrapper.h"
#include "script/core/statement_api.h"

// The last command's outcome into the script's status fields; residual and
// the LTO-CM fields too with `everything` (all but ATA).
void TakeOutcome(SenseTriggers& status, const LAST_COMMAND& record, bool everything);

// SCSI cdb
int _Scsi(StatementContext& ctx, TEXT_LINK& stmt);
// ATA atacmd
int _Ata(StatementContext& ctx, TEXT_LINK& stmt);
// READNOCOMPARE cdb count longvar
int _ReadNoCompare(StatementContext& ctx, TEXT_LINK& stmt);
// READCOMPARE cdb count status failat address readbyte wrotebyte
int _ReadCompare(StatementContext& ctx, TEXT_LINK& stmt);
// WRITE [#]cdb count longvar
int _Write(StatementContext& ctx, TEXT_LINK& stmt);
// GETHASTATUS longvar
int _GetHaStatus(StatementContext& ctx, TEXT_LINK& stmt);
// GETBYTECOUNT longvar
int _GetByteCount(StatementContext& ctx, TEXT_LINK& stmt);
// GETDRIVETYPE bytevar
int _GetDriveType(StatementContext& ctx, TEXT_LINK& stmt);
// GETINQINFO [SCREEN|LOG|BOTH]
int _GetInqInfo(StatementContext& ctx, TEXT_LINK& stmt);
// FUP file | FUP buffer
int _Fup(StatementContext& ctx, TEXT_LINK& stmt);
// GETSCSITIMEOUT longvar
int _GetScsiTimeout(StatementContext& ctx, TEXT_LINK& stmt);
// SETSCSITIMEOUT longvar | number
int _SetScsiTimeout(StatementContext& ctx, TEXT_LINK& stmt);
// BUSDEVICERESET wordvar
int _BusDeviceReset(StatementContext& ctx, TEXT_LINK& stmt);
// GETFWIMGCHKSUM buffer word
int _GetFwImgChkSum(StatementContext& ctx, TEXT_LINK& stmt);
