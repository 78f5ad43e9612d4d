// The words of the device statements, checked without a drive.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "output_fixture.h"
#include "script/core/error_fx.h"

namespace {

class ScsiStatements : public EngineTest {
 protected:
  int32_t LoadLine(const std::string& line) {
    const std::string script =
        "DESCRIPTION d\nBUFFER B [16]\nBUFFER NAME [300]\nBUFFER SHORT [259]\n"
        "CDB RD { 6, TOHOST, B, SCSI_READ, 0, 0, 0, 16, 0 }\n"
        "CDB BIG { 6, TOHOST, B, SCSI_READ, 0, 0, 0, 17, 0 }\nCDB FIX { 6, TOHOST, B, SCSI_READ, 1, 0, 0, 17, 0 }\n"
        "ATACMD ID { TOHOST, B, 0, 0, 0, 0, 0, 0, 0, 0, 0xEC }\n"
        "LONG L = 0\nWORD W = 0\nBYTE V = 0\nDOUBLE D = 0.0\nONERROR EH\nONCANCEL EH\nSTART:\n" +
        line + "\nEXIT 0\nEH:\nEXIT 9\n";
    std::string out;
    const int result = LoadAndRun(script, &out);
    return result == 0 ? 0 : engine.GetErrorCode();
  }
};

TEST_F(ScsiStatements, WordsAreCheckedBeforeAnythingIsSent) {
  struct Case {
    const char* line;
    int32_t code;
  };
  const Case cases[] = {
      {"SCSI RD", 0},  // no drive: nothing is sent
      {"SCSI NOPE", SCSI_UNKNOWN_CDB_SPECIFIED},
      {"ATA NOPE", K_ATA_UNKNOWN_CMD_SPECIFIED},
      {"WRITE #RD 3 L", 0},
      {"WRITE RD W L", K_WRITE_INVALID_COUNT_VARIABLE_TYPE_SPECIFIED},
      {"WRITE RD Q L", WRITE_UNKNOWN_ITERATION_COUNT_SPECIFIED},
      {"WRITE RD 3", K_WRITE_MISSING_RETURN_COUNT_VARIABLE},
      {"WRITE RD 3 W", K_WRITE_INVALID_RETURN_VARIABLE_TYPE_SPECIFIED},
      {"READNOCOMPARE RD D L", 0},
      {"READNOCOMPARE RD 2 V", K_READ_UNKNOWN_RETURN_ARGUMENT_NOT_A_LONG},
      {"READNOCOMPARE RD 2", K_READ_MISSING_RETURN_LONG_VARIABLE_ARGUMENT},
      // Counts as large as WRITE takes, and no larger.
      {"READNOCOMPARE RD 2.5 L", 0},
      {"READNOCOMPARE RD 0xFFFFFFFF L", 0},
      {"READNOCOMPARE RD 2147483647 L", READ_UNKNOWN_ITERATION_COUNT_SPECIFIED},
      {"WRITE RD 2147483647 L", WRITE_UNKNOWN_ITERATION_COUNT_SPECIFIED},
      {"READNOCOMPARE RD 9999999999 L", READ_UNKNOWN_ITERATION_COUNT_SPECIFIED},
      {"READCOMPARE RD 9999999999 V L L V V", READ_COMPARE_UNKNOWN_ITERATION_SPECIFIED},
      {"READCOMPARE RD 2 V L L V V", 0},
      {"READCOMPARE RD 2 V L L V", READ_COMPARE_UNKNOWN_WROTE_BYTE_VARIABLE},
      {"READCOMPARE RD 2 V V L V V", READ_COMPARE_INVALID_ERROR_AT_LONG_TYPE_SPECIFIED},
      // A loop's variable-length transfer must fit its buffer; fixed blocks are the drive's to size.
      {"READCOMPARE BIG 2 V L L V V", K_TRANSFER_LENGTH_EXCEEDS_BUFFER_SIZE},
      {"READNOCOMPARE BIG 2 L", K_TRANSFER_LENGTH_EXCEEDS_BUFFER_SIZE},
      {"WRITE BIG 1 L", K_TRANSFER_LENGTH_EXCEEDS_BUFFER_SIZE},
      {"WRITE FIX 1 L", 0},
      {"SCSI BIG", 0},
      {"GETBYTECOUNT L", 0},
      {"GETBYTECOUNT W", K_GET_BYTE_COUNT_INVALID_VARIABLE_TYPE},
      {"GETBYTECOUNT NOPE", K_GET_BYTE_COUNT_INVALID_VARIABLE_SPECIFIED},
      {"SETSCSITIMEOUT 5\nGETSCSITIMEOUT L", 0},
      {"GETHASTATUS W", GET_HA_STATUS_INVALID_VARIABLE_TYPE},
      {"GETDRIVETYPE L", GET_DRIVETYPE_INVALID_VARIABLE_TYPE_SPECIFIED},
      {"BUSDEVICERESET", K_BUSDEVICERESET_MISSING_RETURN_ARGUMENT},
      {"BUSDEVICERESET V", K_BUSDEVICERESET_VARIABLE_NOT_A_WORD},
      {"SETSCSITIMEOUT W", SET_SCSI_TO_INVALID_VARIABLE_TYPE},
      {"GETFWIMGCHKSUM Q 1", GET_FW_IMG_CHKSUM_INVALID_BUFFER_SPECIFIED},
      {"FUP", FUP_NO_FILE_SPECIFIED},
      {"FUP \"missing.bin\"", FUP_UNABLE_TO_OPEN_FILE_SPECIFIED},
      {"FUP SHORT", FUP_BUFFER_SPECIFIED_REQUIRED_TO_BE_AT_LEAST_260},
      {"FUP NAME", FUP_UNINITIALIZED_BUFFER_SPECIFIED},
      // A name of 300 characters without an end is cut at 260, never read on.
      {"FILLBUFFER NAME 0x41\nFUP NAME", FUP_UNABLE_TO_OPEN_FILE_SPECIFIED},
      {"PRINTCDB Q", PRINTCDB_INVALID_CDB_SPECIFIED},
      {"GETSENSE V V", GETSENSE_MISSING_ARG_3},
      {"GETSENSE V W V", GETSENSE_V2_ARG_MUST_BE_A_BYTE},
      {"GETLTOCFSC V", K_GETLTOCFSC_INVALID_VARIABLE_TYPE},
      {"IFNOSENSE JUMP NOWHERE", IFNOSENSE_INVALID_JUMP_SYMBOL_SPECIFIED},
      {"IFSENSE ANY CALL NOWHERE", IFSENSE_UNKNOWN_VECTOR_ERROR},
      {"IFSENSE 2 XX 4 EH", IFSENSE_VALUE_3_ERROR},
      {"IFSENSE NOTAG EH", IFSENSE_SK_TAG_ERROR},
  };
  for (const Case& c : cases) EXPECT_EQ(LoadLine(c.line), c.code) << c.line;
}

// A script's timeout is its own: set and read in one run, the default again
// in the next.
class ScriptTimeout : public OutputTest {};

TEST_F(ScriptTimeout, LastsForTheRunThatSetIt) {
  std::string out;
  ASSERT_EQ(LoadAndRun("SETSCSITIMEOUT 7\nGETSCSITIMEOUT l\nPRINT 'timeout %d' l\nl = 0\nSETSCSITIMEOUT l\n"
                       "GETSCSITIMEOUT l\nPRINT ' then %d' l\nSETSCSITIMEOUT 9",
                       "", &out),
            0)
      << out;
  EXPECT_NE(out.find("timeout 7\n then 600"), std::string::npos) << out;
  EXPECT_EQ(wrapper.GetScriptTimeout(), 9u);
  ASSERT_EQ(LoadAndRun("GETSCSITIMEOUT l\nPRINT 'next run %d' l", "", &out), 0) << out;
  EXPECT_NE(out.find("next run 600"), std::string::npos) << out;
}

}  // namespace
