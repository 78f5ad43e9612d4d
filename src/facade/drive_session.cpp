#include "facade/drive_session.h"

#include "device/scsi_int.h"

const CommandOutcome& DriveSession::LastOutcome() const { return SCSI.LastOutcome(); }

uint8_t* DriveSession::DataBuffer() const { return SCSI.GetDataBuffer(); }

bool DriveSession::HasDevice() const { return SCSI.Device() != nullptr; }
