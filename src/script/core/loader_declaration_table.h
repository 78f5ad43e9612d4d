// The first words that make a line a declaration in phase 1, and their handlers.
#pragma once

#include <cstdint>

#include "script/core/kscript.h"

enum DeclarationFlags : uint8_t {
    kDeclLine = 0,
    kDeclUntouched = 1,     // the handler gets the line as read, before comment removal
    kDeclFatal = 2,         // a failure ends phase 1 at once
    kDeclAppendPlain = 4,   // on success the line, without its first word, is also a statement
    kDeclIsStatement = 8,   // on success the whole line is stored as a statement
};

struct DeclarationRow {
    const char* word;            // nullptr ends the table
    DeclarationHandler handler;  // nullptr: the declaration's statements are not built (yet)
    int32_t arg;
    uint8_t flags;
};

extern const DeclarationRow DeclarationTable[];

// Argument of KScript::VariableHandler: width * 4 + kind.
constexpr int32_t VariableDeclArg(int32_t type, int32_t kind) { return type * 4 + kind; }
