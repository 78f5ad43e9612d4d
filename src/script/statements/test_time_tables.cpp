// Test-time tables: declaration, TESTTIMEENTRY lines and the first-match lookup.
#include "script/statements/test_time_tables.h"

#include "base/text_util.h"
#include "script/core/ktext.h"
#include "script/statements/tables.h"

const TTTABLE_ENTRY* TTTABLE_LINK::Find(uint32_t testId, uint32_t driveType) const {
    for (const TTTABLE_ENTRY& e : entries)
        if (e.testId == testId && e.driveType == driveType) return &e;
    return nullptr;
}

TestTimeResult K_TestTimeTableLL::AddTable(std::string_view name, int32_t fileId, int32_t line) {
    name = text::Trim(name);
    if (name.empty()) return TestTimeResult::NoName;
    if (Find(name) != nullptr) return TestTimeResult::Duplicate;
    auto table = std::make_unique<TTTABLE_LINK>();
    table->name = std::string(name);
    table->fileId = fileId;
    table->line = line;
    byName_.emplace(table->name, table.get());
    tables_.push_back(std::move(table));
    return TestTimeResult::Ok;
}

TTTABLE_LINK* K_TestTimeTableLL::Find(std::string_view name) {
    const auto it = byName_.find(std::string(name));
    return it == byName_.end() ? nullptr : it->second;
}

const TTTABLE_LINK* K_TestTimeTableLL::Find(std::string_view name) const {
    const auto it = byName_.find(std::string(name));
    return it == byName_.end() ? nullptr : it->second;
}

void K_TestTimeTableLL::Clear() {
    byName_.clear();
    tables_.clear();
}

namespace {

bool ByteNumber(std::string_view word, uint32_t& value) {
    if (KText::DetermineNumberType(word) != K_NUM_BYTE) return false;
    const int32_t v = KText::Aton(word);
    if (v < 0) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

TestTimeResult ParseTestTimeEntry(std::string_view line, TestTimeEntryLine& out) {
    // TESTTIMEENTRY ( table , testid , drivetype , h , m , s ) ;
    constexpr size_t kTokens = 15;
    struct Punctuation {
        size_t at;
        const char* text;
    };
    static constexpr Punctuation kPunctuation[] = {
        {1, "("}, {3, ","}, {5, ","}, {7, ","}, {9, ","}, {11, ","}, {13, ")"}, {14, ";"},
    };
    std::vector<std::string> words;
    KText splitter;
    if (splitter.ParseLine(WithoutComment(line), words) != 0) return TestTimeResult::ParseError;
    if (words.size() != kTokens) return TestTimeResult::WrongArgCount;
    for (const Punctuation& p : kPunctuation)
        if (words[p.at] != p.text) return TestTimeResult::ParseError;
    out.table = words[2];
    out.testIdVariable = words[4];
    out.driveTypeVariable = words[6];
    if (!ByteNumber(words[8], out.hours)) return TestTimeResult::BadHours;
    if (!ByteNumber(words[10], out.minutes)) return TestTimeResult::BadMinutes;
    if (!ByteNumber(words[12], out.seconds)) return TestTimeResult::BadSeconds;
    return TestTimeResult::Ok;
}
