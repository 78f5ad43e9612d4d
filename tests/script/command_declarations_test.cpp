// Declaration lines of buffers, CDBs and ATA commands, and MODCDB.
#include "script/statements/command_declarations.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "script/core/error_fx.h"
#include "script/core/ktext.h"
#include "script/core/variables.h"
#include "script/core/variables_array.h"

namespace {

class Declarations : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(buffers_["B512"].Allocate(512));
    ASSERT_TRUE(buffers_["Small"].Allocate(4));
  }
  BufferLookup Lookup() {
    return [this](std::string_view name) -> KByteArray* {
      auto it = buffers_.find(std::string(name));
      return it == buffers_.end() ? nullptr : &it->second;
    };
  }
  std::map<std::string, KByteArray> buffers_;
};

TEST_F(Declarations, BufferSizes) {
  struct Case {
    const char* rest;
    int code;
    uint32_t size;
  };
  const Case cases[] = {
      {"B1 [0x0200]", 0, 512},
      {"B1 [ 16 ]", 0, 16},
      {"B1 [70000]", 0, 70000},
      {"B1[512]", BUFF_HANDLER_INVALID_SIZE_SPECIFIER, 0},  // the size must stand apart from the name
      {"B1 512", BUFF_HANDLER_INVALID_SIZE_SPECIFIER, 0},
      {"B1 [1.5]", BUFF_HANDLER_INVALID_SIZE_SPECIFIER, 0},
      {"B1 [3000000000]", BUFF_HANDLER_INVALID_SIZE_SPECIFIER, 0},
      {"B1 [XY]", BUFF_HANDLER_INVALID_SIZE_SPECIFIER, 0},
  };
  for (const Case& c : cases) {
    std::string name;
    uint32_t size = 0;
    EXPECT_EQ(ParseBufferDeclaration(c.rest, name, size), c.code) << c.rest;
    if (c.code == 0) {
      EXPECT_EQ(name, "B1");
      EXPECT_EQ(size, c.size) << c.rest;
    }
  }
}

TEST_F(Declarations, CdbLines) {
  struct Case {
    const char* rest;
    int code;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"TUR { 6, NONE, 0, SCSI_TEST_UNIT_READY, 0, 0, 0, 0, 0 }", 0, {0x00, 0, 0, 0, 0, 0}},
      {"INQ {6,tohost,B512,scsi_inquiry,0,0,0,0x38,0}", 0, {0x12, 0, 0, 0, 0x38, 0}},
      {"RD\t{ 10 TOHOST B512 0x28 1 2 3 4 5 6 7 8 0x09 }", 0, {0x28, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"LD { 6, NONE, 0, SCSI_UNLOAD, 0, 0, 0, 0, 0 }", 0, {0x1B, 0, 0, 0, 0, 0}},
      {"TUR 6, NONE, 0, 0, 0, 0, 0, 0, 0 }", CDB_MISSING_LEFT_BRACE, {}},
      {"TUR { 6, NONE, 0, 0, 0, 0, 0, 0, 0", CDB_MISSING_RIGHT_BRACE, {}},
      {"TUR { 8, NONE, 0, 0, 0, 0, 0, 0, 0 }", CDB_INVALID_CDB_LENGTH_SPECIFIED, {}},
      {"TUR { 0x06, NONE, 0, 0, 0, 0, 0, 0, 0 }", CDB_INVALID_CDB_LENGTH_SPECIFIED, {}},
      {"TUR { 6, SIDEWAYS, 0, 0, 0, 0, 0, 0, 0 }", CDB_INVALID_DIRECTION_SPECIFIED, {}},
      {"TUR { 6, NONE, Nope, 0, 0, 0, 0, 0, 0 }", CDB_HANDLER_UNKNOWN_BUFFER_SPECIFIED, {}},
      {"X { 10, NONE, 0, 0x1234, 0, 0, 0, 0, 0, 0, 0, 0, 0 }", CDB_INVALID_SCSI_COMMAND_SPECIFIER, {}},
      {"X { 6, NONE, 0, SCSI_NOTHING, 0, 0, 0, 0, 0 }", CDB_INVALID_SCSI_COMMAND_SPECIFIER, {}},
      {"TUR { 6, NONE, 0, SCSI_TEST_UNIT_READY, 0, 0, 0, 0 }", CDB_INVALID_NUMBER_OF_CDB_BYTES, {}},
      {"TUR { 6, NONE, 0, 0, 0, 0x100, 0, 0, 0 }", CDB_INVALID_SCSI_VALUE_TYPE_SPECIFIER, {}},
      // A CDB byte that is no number at all would be sent undefined: refused.
      {"TUR { 6, NONE, 0, 0, 0, LEN, 0, 0, 0 }", CDB_INVALID_SCSI_VALUE_TYPE_SPECIFIER, {}},
      {"TUR { 6, NONE, 0, 0, 0, 0, 0, 0, 0, DATA 1 2 3 4 }", 0, {0, 0, 0, 0, 0, 0}},
      {"TUR { 6, NONE, 0, 0, 0, 0, 0, 0, 0, CHECK 1 2 3 }", 0, {0, 0, 0, 0, 0, 0}},
      {"TUR { 6, NONE, 0, 0, 0, 0, 0, 0, 0, VERIFY 1 2 3 }", CDB_INVALID_ACTION_SPECIFIED, {}},
      {"TUR { 6, NONE, 0, 0, 0, 0, 0, 0, 0, DATA 1 2 3 }", CDB_INVALID_NUMBER_OF_ACTION_VALUES, {}},
      {"TUR { 6, NONE, 0, 0, 0, 0, 0, 0, 0, CHECK 1 2 3 4 }", CDB_UNKNOWN_TEXT_AFTER_ACTION_DETECTED, {}},
  };
  for (const Case& c : cases) {
    CDB_LINK cdb;
    EXPECT_EQ(ParseCdbDeclaration(c.rest, Lookup(), cdb), c.code) << c.rest;
    if (c.code != 0) continue;
    EXPECT_EQ(std::vector<uint8_t>(cdb.cdb.begin(), cdb.cdb.begin() + cdb.cdbLength), c.bytes) << c.rest;
  }
}

TEST_F(Declarations, CdbRecordKeepsDirectionBufferAndAction) {
  CDB_LINK inq;
  ASSERT_EQ(ParseCdbDeclaration("INQ { 6, TOHOST, B512, 0x12, 0, 0, 0, 56, 0, DATA 9 8 7 6 }", Lookup(), inq), 0);
  EXPECT_EQ(inq.name, "INQ");
  EXPECT_EQ(inq.direction, kToHost);
  EXPECT_EQ(inq.bufferName, "B512");
  EXPECT_EQ(inq.bufferData, buffers_["B512"].data.get());
  EXPECT_EQ(inq.bufferSize, 512u);
  EXPECT_EQ(inq.transferLength, 512u);
  EXPECT_EQ(inq.action, kDataAction);
  EXPECT_EQ(inq.actionValueCount, 4);
  EXPECT_EQ(inq.actionValues, (std::array<uint8_t, 4>{9, 8, 7, 6}));

  CDB_LINK none;
  ASSERT_EQ(ParseCdbDeclaration("W { 6, FromHost, 0none, 0x0A, 0, 0, 0, 0, 0 }", Lookup(), none), 0);
  EXPECT_EQ(none.direction, kFromHost);
  EXPECT_TRUE(none.bufferName.empty());
  EXPECT_EQ(none.bufferData, nullptr);
  EXPECT_EQ(none.transferLength, 0u);
  EXPECT_EQ(none.action, kNoAction);
}

TEST_F(Declarations, AtaLines) {
  ATA_LINK a;
  ASSERT_EQ(ParseAtaDeclaration("ID { TOHOST, B512, 512, 0, 1, 0, 0, 0, 0, 0xA0, 0xEC };", Lookup(), a), 0);
  EXPECT_EQ(a.name, "ID");
  EXPECT_EQ(a.direction, kToHost);
  EXPECT_EQ(a.extraValue, 512);
  EXPECT_EQ(a.registers, (std::array<uint8_t, 8>{0, 1, 0, 0, 0, 0, 0xA0, 0xEC}));
  EXPECT_EQ(a.bufferData, buffers_["B512"].data.get());
  ASSERT_EQ(ParseAtaDeclaration("N { NONE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE7 }", Lookup(), a), 0);
  EXPECT_EQ(a.direction, kToHost);

  struct Case {
    const char* rest;
    int code;
  };
  const Case errors[] = {
      {"ID TOHOST, B512, 0, 0, 0, 0, 0, 0, 0, 0, 0 }", K_OP_ATA_MISSING_LEFT_BRACE},
      {"ID { TOHOST, B512, 0, 0, 0, 0, 0, 0, 0, 0, 0", K_OP_ATA_MISSING_RIGHT_BRACE},
      {"ID { UP, B512, 0, 0, 0, 0, 0, 0, 0, 0, 0 }", K_OP_ATA_INVALID_DIRECTION_SPECIFIED},
      {"ID { TOHOST, Nope, 0, 0, 0, 0, 0, 0, 0, 0, 0 }", K_OP_ATA_HANDLER_UNKNOWN_BUFFER_SPECIFIED},
      {"ID { TOHOST, B512, 0, 0, 0, 0, 0, 0, 0, 0 }", K_OP_ATA_INVALID_NUMBER_OF_ATA_BYTES},
      {"ID { TOHOST, B512, 0, 0, 0, 0x100, 0, 0, 0, 0, 0 }", K_OP_ATA_INVALID_CMD_BYTE_TYPE_ERROR},
      {"ID { TOHOST, B512, 0, 0, 0, CMD, 0, 0, 0, 0, 0 }", K_OP_ATA_INVALID_CMD_BYTE_TYPE_ERROR},
  };
  for (const Case& c : errors) EXPECT_EQ(ParseAtaDeclaration(c.rest, Lookup(), a), c.code) << c.rest;
}

class ModCdb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ParseCdbDeclaration("RD { 6, TOHOST, 0, 0x08, 0, 0, 0, 0, 0 }", nullptr, rd_), 0);
    ASSERT_EQ(vars_.NewLink("BV", uint8_t{0xAB}, 0), 0);
    ASSERT_EQ(vars_.NewLink("WV", uint16_t{0x1234}, 0), 0);
    ASSERT_EQ(vars_.NewLink("LEN", uint32_t{0x00ABCDEF}, 0), 0);
    ASSERT_EQ(vars_.NewLink("DV", 1.5, 0), 0);
  }
  int Compile(const char* args, ModCdbForm& form) {
    std::vector<std::string> words;
    KText text;
    if (text.ParseLine(std::string_view(args), words) != 0) return K_MODCDB_PARSING_ERROR;
    return CompileModCdb(
        words, [this](std::string_view n) { return n == "RD" ? &rd_ : nullptr; }, vars_, form);
  }
  CDB_LINK rd_;
  CVariableLL vars_;
};

TEST_F(ModCdb, StoresEveryKindBigEndianOverItsWidth) {
  struct Case {
    const char* args;
    std::vector<uint8_t> cdb;
  };
  const Case cases[] = {
      {"RD 4 0x12", {0x08, 0, 0, 0, 0x12, 0}},
      {"RD 5 0x12", {0x08, 0, 0, 0, 0, 0x12}},
      {"RD 1 < 2 > 7", {0x08, 0, 7, 0, 0, 0}},
      {"RD 1 < 4 > 0x05", {0x08, 0, 0, 0, 5, 0}},
      {"RD 1 < 1 > 0x1234", {0x08, 0x34, 0, 0, 0, 0}},
      {"RD 1 < 3 > 0x1234", {0x08, 0, 0x12, 0x34, 0, 0}},
      {"RD 2 < 3 > LEN", {0x08, 0, 0xAB, 0xCD, 0xEF, 0}},
      {"RD 1 < 2 > LEN", {0x08, 0xCD, 0xEF, 0, 0, 0}},
      {"RD 1 < 4 > WV", {0x08, 0, 0, 0x12, 0x34, 0}},
      {"RD 1<2>BV", {0x08, 0, 0xAB, 0, 0, 0}},
      {"RD 1 < 4 > 0x00ABCDEF", {0x08, 0x00, 0xAB, 0xCD, 0xEF, 0}},
  };
  for (const Case& c : cases) {
    rd_.cdb = {0x08};
    ModCdbForm form;
    ASSERT_EQ(Compile(c.args, form), 0) << c.args;
    ApplyModCdb(form);
    EXPECT_EQ(std::vector<uint8_t>(rd_.cdb.begin(), rd_.cdb.begin() + 6), c.cdb) << c.args;
  }
}

TEST_F(ModCdb, VariableIsReadWhenApplied) {
  ModCdbForm form;
  ASSERT_EQ(Compile("RD 2 < 3 > LEN", form), 0);
  vars_.FindVariable("LEN")->SetUnsigned(0x020000);
  ApplyModCdb(form);
  EXPECT_EQ(rd_.cdb[2], 0x02);
  EXPECT_EQ(rd_.cdb[3], 0x00);
}

TEST_F(ModCdb, RefusesWhatCouldLeaveTheCdb) {
  struct Case {
    const char* args;
    int code;
  };
  const Case cases[] = {
      {"RD 0 5", K_MODCDB_IDX_RANGE_SPECIFIED},  // the operation code stays
      {"RD 6 5", K_MODCDB_IDX_RANGE_SPECIFIED},
      {"RD 0x100 5", K_MODCDB_INVALID_TYPE_INDEX_SPECIFIED},
      {"RD IDX 5", K_MODCDB_INVALID_TYPE_INDEX_SPECIFIED},
      {"XX 1 5", K_MODCDB_INVALID_CDB_SPECIFIED},
      {"RD 3 < 3 > LEN", K_MODCDB_SWATH_AND_INDEX_RANGE_ERROR},
      {"RD 1 < 5 > 1", K_MODCDB_SWATH_RANGE_ERROR},
      {"RD 1 < 0 > 1", K_MODCDB_SWATH_RANGE_ERROR},
      {"RD 1 < W > 1", K_MODCDB_INVALID_SWATH_SPECIFIED},
      {"RD 1 ( 2 ) 1", K_MODCDB_INVALID_SWATH_SPECIFIED},
      {"RD 1 1.5", K_MODCDB_INVALID_VALUE_NUMBER_TYPE_SPECIFIED},
      {"RD 1 NOPE", K_MODCDB_INVALID_VALUE_TYPE_SPECIFIED},
      {"RD 1 DV", K_MODCDB_INVALID_VALUE_VARIABLE_TYPE_SPECIFIED},
      {"RD 1", K_MODCDB_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
      {"RD 1 2 3 4", K_MODCDB_ILLEGAL_NUMBER_OF_ARGS_DETECTED},
      {"", K_MODCDB_PARSING_ERROR},
  };
  for (const Case& c : cases) {
    ModCdbForm form;
    EXPECT_EQ(Compile(c.args, form), c.code) << c.args;
  }
}

}  // namespace
