// Writes the T10 list of additional sense texts as a C++ table, from
// sg3_utils' own list (sg_get_asc_ascq_str), so the console names every
// standard ASC/ASCQ pair without a hand-typed copy of the list.
//
// Usage: t10_sense_texts OUTPUT.cpp
#include <scsi/sg_lib.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// sg_get_asc_ascq_str starts the text of a listed pair with this; a pair the
// list does not have comes back as "ASC=.., ASCQ=.." or "vendor specific ...".
constexpr char kListed[] = "Additional sense: ";

// The console's style: upper case, ending with a full stop; a qualifier the
// library prints in hexadecimal keeps its "0x".
std::string ConsoleText(const char* text) {
  std::string out;
  for (const char* c = text; *c != '\0'; ++c) {
    const bool hex_prefix = c[0] == '0' && c[1] == 'x';
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    if (hex_prefix) out += *++c;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
  return out + ".";
}

std::string CString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.cpp\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out,
               "// Generated at build time by tools/t10_sense_texts.cpp from sg3_utils: the\n"
               "// T10 additional sense texts, sorted by ASC and ASCQ. Do not edit.\n"
               "#include \"base/sense_texts.h\"\n\n"
               "namespace {\n\nconstexpr AscText kRows[] = {\n");
  int rows = 0;
  for (int asc = 0; asc < 256; ++asc) {
    for (int ascq = 0; ascq < 256; ++ascq) {
      char text[256] = {};
      sg_get_asc_ascq_str(asc, ascq, sizeof text, text);
      if (std::strncmp(text, kListed, sizeof kListed - 1) != 0) continue;
      std::fprintf(out, "    {0x%02X, 0x%02X, %s},\n", asc, ascq,
                   CString(ConsoleText(text + sizeof kListed - 1)).c_str());
      ++rows;
    }
  }
  std::fprintf(out, "};\n\n}  // namespace\n\nconst std::span<const AscText> kT10AscTexts(kRows);\n");
  const bool written = std::ferror(out) == 0;
  if (std::fclose(out) != 0 || !written || rows == 0) {
    std::fprintf(stderr, "%s: could not write the table (%d rows)\n", argv[1], rows);
    return 1;
  }
  return 0;
}
