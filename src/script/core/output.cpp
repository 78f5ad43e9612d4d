// The output statements: MSG to the console, LOG to the session log, PRINT to
// either or both, into a buffer or into a script file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "script/core/kscript.h"
#include "script/core/output_codes.h"
#include "script/core/output_format.h"

namespace {

enum class PrintDest { Screen, Log, Both, Buffer, File };

struct PrintTarget {
    PrintDest dest = PrintDest::Both;
    KByteArray* buffer = nullptr;
    const VARI_LL* offsetVariable = nullptr;
    uint32_t offset = 0;
    std::string_view rest;  // the quoted format and its values
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

void WriteScreen(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

// The session log gets the script's own lines as they are: the text and a line feed.
void WriteLog(FILE* log, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), log);
    std::fputc('\n', log);
    std::fflush(log);
}

// Offset of PRINT BUFFER at run time; false when it cannot be one.
bool OffsetValue(const PrintTarget& target, uint64_t& offset) {
    if (target.offsetVariable == nullptr) {
        offset = target.offset;
        return true;
    }
    if (!target.offsetVariable->IsDouble()) {
        offset = target.offsetVariable->Unsigned();
        return true;
    }
    const double rounded = std::round(target.offsetVariable->dValue);
    if (!(rounded >= 0.0 && rounded <= 4294967295.0)) return false;
    offset = static_cast<uint64_t>(rounded);
    return true;
}

}  // namespace

// MSG text
int KScript::_Msg(TEXT_LINK& /*stmt*/) {
    if (!IsRunMode()) return m_Line[0] == '\0' ? Fail(MSG_NO_VALUE_SPECIFIED) : 0;
    WriteScreen(m_Line);
    return 0;
}

// LOG text
int KScript::_Log(TEXT_LINK& /*stmt*/) {
    if (!IsRunMode()) return m_Line[0] == '\0' ? Fail(LOG_NO_VALUE_SPECIFIED) : 0;
    if (m_LogFile == nullptr) return Fail(KRT_LOG_NON_WINDOWS_LOG_FILE_POINTER_NOT_SET);
    WriteLog(m_LogFile, m_Line);
    return 0;
}

// PRINT [SCREEN | LOG | BOTH | BUFFER name [offset] | FILE tag] 'format' value ...
int KScript::_Print(TEXT_LINK& /*stmt*/) {
    PrintTarget target;
    std::string_view text = Trim(m_Line);
    std::string first = FirstWord(text);
    UpperCase(first);
    std::string_view rest = Trim(text.substr(std::min(text.size(), first.size())));
    if (first == "SCREEN") {
        target.dest = PrintDest::Screen;
        text = rest;
    } else if (first == "LOG") {
        target.dest = PrintDest::Log;
        text = rest;
    } else if (first == "BOTH") {
        text = rest;
    } else if (first == "BUFFER") {
        target.dest = PrintDest::Buffer;
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end]) && rest[end] != '[') ++end;
        target.buffer = FindArray(rest.substr(0, end));
        if (target.buffer == nullptr) return Fail(PRINT_INVALID_DEST_BUFFER_SPECIFIED);
        text = Trim(rest.substr(end));
        if (!text.empty() && text.front() == '[') {
            const size_t close = text.find(']');
            if (close == std::string_view::npos) return Fail(PRINT_UNKNOWN_BUFFER_INDEX_SPECIFIED);
            const std::string_view index = Trim(text.substr(1, close - 1));
            target.offsetVariable = m_Variables.FindVariable(index);
            if (target.offsetVariable == nullptr) {
                const int cls = DetermineNumberType(index);
                if (cls != K_NUM_BYTE && cls != K_NUM_WORD && cls != K_NUM_LONG)
                    return Fail(PRINT_UNKNOWN_BUFFER_INDEX_SPECIFIED);
                target.offset = static_cast<uint32_t>(AtoLn(index));
            }
            text = text.substr(close + 1);
        }
    } else if (first == "FILE") {
        // Script files are declared by FILE lines, which no script can make yet.
        return Fail(K_PRINT_TO_FILE_INVALID_DEST_FILE_SPECIFIED);
    }

    std::string out;
    const int code = FormatPrint(text, m_Variables, *this, target.dest == PrintDest::File,
                                 kLineSize - 1, out);
    if (code != 0) return Fail(code);
    if (!IsRunMode()) return 0;

    switch (target.dest) {
        case PrintDest::Screen:
            WriteScreen(out);
            return 0;
        case PrintDest::Log:
            if (m_LogFile == nullptr) return Fail(KRT_LOG_NON_WINDOWS_LOG_FILE_POINTER_NOT_SET);
            WriteLog(m_LogFile, out);
            return 0;
        case PrintDest::Both:
            // A run without a session log (its folder is missing) still shows its output.
            WriteScreen(out);
            if (m_LogFile != nullptr) WriteLog(m_LogFile, out);
            return 0;
        case PrintDest::Buffer: {
            KByteArray& buffer = *target.buffer;
            uint64_t offset = 0;
            if (!OffsetValue(target, offset) || buffer.data == nullptr ||
                offset + out.size() + 1 > buffer.size)
                return Fail(PRINT_OUTPUT_STR_EXCEEDS_BUFFER_SIZE);
            std::memcpy(buffer.data.get() + offset, out.data(), out.size());
            buffer.data[offset + out.size()] = 0;
            buffer.altered = 1;
            return 0;
        }
        case PrintDest::File:
            break;
    }
    return Fail(K_PRINT_TO_FILE_INVALID_DEST_FILE_SPECIFIED);
}
