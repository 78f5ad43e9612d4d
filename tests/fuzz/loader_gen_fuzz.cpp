// Fuzz target: the script loader and compiler on generated scripts. The input
// drives a generator that writes lines built from real keywords, declarations,
// labels, jumps, switches, comments and includes, so most lines get past the
// first word and reach the statement checks. The main script is loaded plain
// and then locked: both loads must give the same result.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_workspace.h"
#include "script/core/kscript.h"
#include "script/core/lock_smith.h"
#include "script/core/statement_api.h"
#include "script/statements/statement_table.h"

namespace {

const char* const kDeclarations[] = {"BYTE",  "WORD",    "LONG",  "DOUBLE", "SBYTE", "SWORD",
                                     "SLONG", "SDOUBLE", "XBYTE", "XWORD",  "XLONG", "XDOUBLE"};
const char* const kVariables[] = {"b0", "b1", "w0", "l0", "d0", "sb", "xw", "K1"};
const char* const kBuffers[] = {"B0", "B1", "TXT"};
const char* const kLabels[] = {"L0", "L1", "L2", "START", "SUB"};
const char* const kNumbers[] = {"0",      "1",          "255",         "256",  "65535",  "65536", "0xFF",
                                "0x00FF", "0xFFFFFFFF", "0xF",         "12h",  "FFFFFh", "1.5",   "0.0",
                                "-5",     "2147483647", "99999999999", "1000", "3",      "."};
const char* const kOperators[] = {
    "=", "+=", "-=", "*=", "/=", "%=", "|=", "&=", "^=", "<<=", ">>=", "LOG10", "==", "!="};
const char* const kCompare[] = {"==", "!=", "<", ">", "<=", ">=", "&", "OR", "AND"};
const char* const kOther[] = {"\"quoted text\"", "'single'", "B0 [ 3 ]", "B0[", "]",  "(", ")", ",", ";",
                              "PG->0x05",        "PG 5",     "\\n",      "%d",  "%s", "->"};

template <size_t N>
const char* Pick(FuzzedDataProvider& in, const char* const (&pool)[N]) {
  return pool[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

// Every keyword of the language, aliases included.
std::vector<const char*> AllKeywords() {
  std::vector<const char*> all;
  for (const StatementRow& row : StatementTable)
    if (row.keyword != nullptr) all.push_back(row.keyword);
  for (const KeywordAlias* alias = KeywordAliases; alias->keyword != nullptr; ++alias) all.push_back(alias->keyword);
  return all;
}

std::string Operand(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      return Pick(in, kVariables);
    case 1:
      return Pick(in, kNumbers);
    case 2:
      return Pick(in, kBuffers);
    case 3:
      return Pick(in, kLabels);
    case 4:
      return Pick(in, kOther);
    default:
      return in.ConsumeRandomLengthString(12);
  }
}

std::string Line(FuzzedDataProvider& in, bool allowInclude) {
  static const std::vector<const char*> keywords = AllKeywords();
  std::string line;
  switch (in.ConsumeIntegralInRange<int>(0, 13)) {
    case 0:
      return std::string(Pick(in, kDeclarations)) + " " + Pick(in, kVariables) + " = " + Pick(in, kNumbers);
    case 1:
      return std::string(Pick(in, kLabels)) + ":";
    case 2:
    case 3: {
      line = keywords[in.ConsumeIntegralInRange<size_t>(0, keywords.size() - 1)];
      int args = in.ConsumeIntegralInRange<int>(0, 5);
      for (int i = 0; i < args; ++i) line += " " + Operand(in);
      return line;
    }
    case 4:
      return std::string(Pick(in, kVariables)) + " " + Pick(in, kOperators) + " " + Operand(in);
    case 5:
      line = "IF " + Operand(in) + " " + Pick(in, kCompare) + " " + Operand(in);
      if (in.ConsumeBool()) line += std::string(" ") + Pick(in, kCompare) + " " + Operand(in) + " == 1";
      switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
          return line + " JUMP " + Pick(in, kLabels);
        case 1:
          return line + " CALL " + Pick(in, kLabels);
        default:
          return line + " RETURN";
      }
    case 6: {
      const char* const flow[] = {"JUMP", "CALL", "ONERROR", "ONCANCEL"};
      return std::string(Pick(in, flow)) + " " + Pick(in, kLabels);
    }
    case 7: {
      const char* const sw[] = {"SWITCH b0", "SWITCH sb", "SWITCH d0", "CASE 1:", "CASE sb:", "CASE 300:",
                                "DEFAULT:",  "BREAK",     "ENDSWITCH", "RETURN",  "EXIT 0"};
      return Pick(in, sw);
    }
    case 8: {
      const char* const comments[] = {"// comment", "/* block",       "*/",         " /* not a block",
                                      "x // y",     "/* one line */", "*/ trailing"};
      return Pick(in, comments);
    }
    case 9:
      if (allowInclude) return in.ConsumeBool() ? "#INCLUDE \"inc.scs\"" : "#INCLUDE gen.scs";
      return "#INCLUDE missing.scs";
    case 10:
      return std::string("BUFFER ") + Pick(in, kBuffers) + " [" + Pick(in, kNumbers) + "]";
    case 11:
      return std::string("#DEFINE ") + Pick(in, kVariables) + " " + Pick(in, kNumbers);
    case 12: {
      const char* const heads[] = {
          "[TEST]",      "[TASK]",       "[ENGINEERING]",   "FAMILY ALL", "FAMILY LTO WIZARD", "DESCRIPTION fuzzed",
          "VERSION 1.0", "DISABLEABORT", "LOGPAGE PG 0x05", "TABLE T1",   "TENTRY T1 1 2"};
      return Pick(in, heads);
    }
    default:
      return in.ConsumeRandomLengthString(40);
  }
}

std::string Script(FuzzedDataProvider& in, bool allowInclude, int maxLines) {
  std::string text;
  int lines = in.ConsumeIntegralInRange<int>(0, maxLines);
  for (int i = 0; i < lines && in.remaining_bytes() > 0; ++i) {
    text += Line(in, allowInclude);
    text += in.ConsumeBool() ? "\n" : "\r\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseBundledStatements();
  fuzz::EnterPrivateFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  int lockMethod = in.ConsumeIntegralInRange<int>(0, 3);
  fuzz::WriteFile("inc.scs", Script(in, false, 20));
  fuzz::WriteFile("gen.scs", Script(in, true, 200));
  KScript plainEngine;
  const int plain = plainEngine.LoadScript("gen.scs", false, nullptr);
  if (plain != 0 && plain != 1) std::abort();
  if (lockMethod == 0) return 0;
  // The same script stored locked must load exactly as the plain one did.
  KLockSmith smith;
  smith.SetLockMethod(lockMethod);
  if (smith.LockFile("gen.scs") != 0) return 0;
  KScript lockedEngine;
  if (lockedEngine.LoadScript("gen.scs", false, nullptr) != plain) std::abort();
  return 0;
}
