// The statement keywords and their handlers.
#pragma once

#include <cstdint>

#include "script/core/kscript.h"

struct KFxRow {
    const char* keyword;  // nullptr ends the table
    int32_t id;
};

// Keyword -> statement id, 155 rows; "LOGSK" and "PRINTSK" share the ids of
// "LOGSENSEKEYS" and "PRINTSENSEKEYS". Matched against the upper-cased first word.
extern const KFxRow KFx[];

constexpr int32_t kMaxStatementId = 155;

enum StatementFlags : uint8_t {
    kRunsOnText = 0,  // the run copies the statement text (keyword removed) into m_Line first
    kCompiled = 1,    // the handler runs from what phase 2 compiled into its record
};

struct StatementEntry {
    int32_t id;
    StatementHandler handler;  // nullptr: no handler (yet): an unknown command
    uint8_t flags;
};

// Handlers by statement id: StatementHandlers[id].id == id for 0..kMaxStatementId.
extern const StatementEntry StatementHandlers[kMaxStatementId + 1];

// Statement id of a keyword (first match, exact after upper-casing by the caller), or 0.
int32_t FindStatementId(const char* upperKeyword);
