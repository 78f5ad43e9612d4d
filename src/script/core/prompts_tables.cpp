// Constant tables of the prompt statements.
#include "script/core/prompts.h"

const EscapeRule QuestionEscapes[] = {
    {'n', "\n"},
    {'r', "\r"},
    {0, nullptr},
};

const EscapeRule TextPromptEscapes[] = {
    {'n', "\r\n"},
    {'t', "\t"},
    {0, nullptr},
};

const FilePromptRow FilePrompts[] = {
    {"ASKFORFILE", "Enter the Filename", ""},
    {"ASKFORFADATAFILE", "Enter the Filename", ".dmp"},
    {"ASKFORTRACEFILE", "Enter the Filename", ".svm"},
    {"ASKFORWNFADATAFILE", "Enter the Filename", ""},
    {"GETLTOCDUMPFILEA", "Enter the Filename for the 'a' file", ".a"},
    {"GETLTOCDUMPFILEB", "Enter the Filename for the 'b' file", ".b"},
    {nullptr, nullptr, nullptr},
};

const NumberPromptRow NumberPrompts[4] = {
    {"_Byte", 2, 3, 255.0},
    {"_Word", 4, 5, 65535.0},
    {"_Long", 8, 10, 4294967295.0},
    {"Double", 8, 20, 1e20},
};
