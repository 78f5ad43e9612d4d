// The declaration store: group lists reached by the engine's name questions,
// kept apart by type and emptied by the clean-up.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "script/core/error_fx.h"
#include "script/core/statement_api.h"

namespace {

// A buffer list as a buffer group would keep it.
struct BufferList : DeclarationList {
  std::map<std::string, KByteArray, std::less<>> buffers;
  KByteArray* FindArray(std::string_view name) const override {
    auto it = buffers.find(name);
    return it != buffers.end() ? const_cast<KByteArray*>(&it->second) : nullptr;
  }
};

// A log page list with one page of four data bytes and the event log (page 7).
struct PageList : DeclarationList {
  uint8_t data[4] = {1, 2, 3, 4};
  std::string lastCommand;
  int32_t LogPageCode(std::string_view tag) const override {
    if (tag == "LP") return 0x2E;
    if (tag == "EV") return 7;
    return -1;
  }
  std::span<const uint8_t> LogPageBytesAt(std::string_view /*tag*/, uint32_t index) override {
    return index < sizeof data ? std::span<const uint8_t>(data + index, sizeof data - index)
                               : std::span<const uint8_t>{};
  }
  int LogPageValue(const KCompiledAssign& /*form*/, KValue& value) override {
    value.u = 42;
    return 0;
  }
  int EventLogCommand(StatementContext& /*ctx*/, TEXT_LINK& /*stmt*/, const char* upperCommand) override {
    lastCommand = upperCommand;
    return 0;
  }
};

TEST(DeclarationStore, EngineQuestionsReachTheGroupListsUntilTheCleanUp) {
  KScript engine;
  EXPECT_EQ(engine.m_Declarations.Find<BufferList>(), nullptr);  // nothing used yet
  EXPECT_EQ(engine.FindArray("B1"), nullptr);
  EXPECT_EQ(engine.LogPageCode("LP"), -1);

  BufferList& buffers = engine.m_Declarations.Get<BufferList>();
  ASSERT_TRUE(buffers.buffers["B1"].Allocate(8));
  PageList& pages = engine.m_Declarations.Get<PageList>();
  // Each type has a list of its own, found again by its type.
  EXPECT_EQ(&engine.m_Declarations.Get<BufferList>(), &buffers);
  EXPECT_EQ(engine.m_Declarations.Find<PageList>(), &pages);

  EXPECT_EQ(engine.FindArray("B1"), &buffers.buffers["B1"]);
  EXPECT_EQ(engine.FindArray("b1"), nullptr);  // names are case-sensitive
  EXPECT_EQ(engine.LogPageCode("LP"), 0x2E);
  EXPECT_EQ(engine.LogPageCode("B1"), -1);
  EXPECT_EQ(engine.LogPageBytesAt("LP", 2).data(), pages.data + 2);
  EXPECT_EQ(engine.LogPageBytesAt("LP", 2).size(), 2u);
  EXPECT_TRUE(engine.LogPageBytesAt("XX", 2).empty());

  KCompiledAssign form;
  KValue value;
  form.pageTag = "LP";
  EXPECT_EQ(engine.LogPageValue(form, value), 0);
  EXPECT_EQ(value.u, 42u);
  form.pageTag = "XX";
  EXPECT_EQ(engine.LogPageValue(form, value), VARI_UNABLE_TO_PROCESS_VARIABLE);

  TEXT_LINK stmt;
  EXPECT_EQ(engine.EventLogCommand(stmt, "EV", "CREATELIST"), 0);
  EXPECT_EQ(pages.lastCommand, "CREATELIST");
  EXPECT_EQ(engine.EventLogCommand(stmt, "XX", "CREATELIST"), 1);
  EXPECT_EQ(engine.GetErrorCode(), UNKNOWN_CMD);

  engine.CleanUp();
  EXPECT_EQ(engine.m_Declarations.Find<BufferList>(), nullptr);
  EXPECT_EQ(engine.FindArray("B1"), nullptr);
  EXPECT_EQ(engine.LogPageCode("LP"), -1);
}

}  // namespace
