// CSV files: the field rules, loading and the lookup by key field.
#include "script/statements/csv_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "base/text_util.h"

namespace {

// Blanks, and the carriage return of files written on other systems.
bool IsCsvBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::vector<std::string> SplitCsvLine(std::string_view line) {
  line = text::Trim(line, IsCsvBlank);
  std::vector<std::string> fields;
  for (;;) {
    const size_t comma = line.find(',');
    std::string field(line.substr(0, comma));
    for (char& c : field)
      if (c == '"') c = ' ';
    fields.emplace_back(text::Trim(field, IsCsvBlank));
    if (comma == std::string_view::npos) break;
    line.remove_prefix(comma + 1);
  }
  return fields;
}

uint8_t CCsvFileControl::LoadText(std::string_view content) {
  std::vector<CSV_LINE_LINK> lines;
  while (!content.empty()) {
    const size_t end = content.find('\n');
    std::string_view raw = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.size() > kMaxLine) {
      lines_.clear();
      return kCsvLineTooLong;
    }
    lines.push_back(CSV_LINE_LINK{std::string(raw), SplitCsvLine(raw)});
  }
  lines_ = std::move(lines);
  return kCsvOk;
}

uint8_t CCsvFileControl::Load(const std::string& path) {
  lines_.clear();
  std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  struct stat st {};
  if (!in || fstat(fileno(in.get()), &st) != 0 || S_ISDIR(st.st_mode)) return kCsvCannotOpen;
  std::string content;
  char block[4096];
  size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, in.get())) > 0) content.append(block, n);
  if (std::ferror(in.get())) return kCsvCannotOpen;
  return LoadText(content);
}

uint8_t CCsvFileControl::Lookup(std::string_view key, size_t keyIndex, size_t argIndex, std::string_view& value) const {
  for (const CSV_LINE_LINK& line : lines_) {
    if (keyIndex >= line.args.size() || line.args[keyIndex] != key) continue;
    if (argIndex >= line.args.size()) return kCsvFieldMissing;
    value = line.args[argIndex];
    return kCsvOk;
  }
  return kCsvKeyNotFound;
}

bool CCsvFileLL::Add(std::string_view name, int32_t fileId, int32_t line) {
  return files_.Add(name, fileId, line) != nullptr;
}

CSVFILE_LINK* CCsvFileLL::Find(std::string_view name) { return files_.Find(name); }

void CCsvFileLL::Clear() { files_.Clear(); }
