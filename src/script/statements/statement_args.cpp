// Word helpers of the device and buffer statements.
#include "script/statements/statement_args.h"

#include <cctype>
#include <cmath>
#include <sstream>

#include "script/core/ktext.h"

namespace statement_args {

std::string_view AfterKeyword(std::string_view line) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t at = 0;
  while (at < line.size() && blank(line[at])) ++at;
  while (at < line.size() && !blank(line[at])) ++at;
  while (at < line.size() && blank(line[at])) ++at;
  return line.substr(at);
}

std::vector<std::string> Words(std::string_view text) {
  std::string copy(text);
  for (char& c : copy)
    if (c == '\t') c = ' ';
  std::vector<std::string> words;
  std::istringstream in(copy);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

VarCheck FindTyped(StatementContext& ctx, const std::string& word, std::initializer_list<int32_t> types,
                   VARI_LL*& out) {
  out = ctx.FindVariable(word.c_str());
  if (out == nullptr) return VarCheck::kUnknown;
  for (int32_t t : types)
    if (out->type == t) return VarCheck::kOk;
  return VarCheck::kWrongType;
}

int32_t FindVariables(StatementContext& ctx, const std::vector<std::string>& words, size_t first,
                      std::span<const VariableRule> rules, VARI_LL** out) {
  for (size_t i = 0; i < rules.size(); ++i) {
    const VariableRule& rule = rules[i];
    if (first + i >= words.size()) return rule.missing;
    switch (FindTyped(ctx, words[first + i], {rule.type}, out[i])) {
      case VarCheck::kOk:
        break;
      case VarCheck::kUnknown:
        return rule.unknown;
      default:
        return rule.wrongType;
    }
  }
  return 0;
}

uint32_t Value::Get() const {
  if (variable == nullptr) return constant;
  if (!variable->IsDouble()) return variable->Unsigned();
  const double v = std::trunc(variable->dValue);
  if (!(v > 0.0)) return 0;
  return v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

bool ReadValue(StatementContext& ctx, const std::string& word, std::initializer_list<int> numberClasses,
               std::initializer_list<int32_t> variableTypes, Value& out) {
  const int cls = KText::DetermineNumberType(std::string_view(word));
  for (int c : numberClasses) {
    if (cls != c) continue;
    out = {};
    if (cls == K_NUM_DOUBLE) {
      double d = 0.0;
      KText::AtoDouble(word, d);
      out.constant = d >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(d);
    } else {
      out.constant = static_cast<uint32_t>(KText::AtoLn(std::string_view(word)));
    }
    return true;
  }
  if (cls != K_NUM_NONE) return false;
  VARI_LL* v = nullptr;
  if (FindTyped(ctx, word, variableTypes, v) != VarCheck::kOk) return false;
  out = {};
  out.variable = v;
  return true;
}

Destination TakeDestination(std::vector<std::string>& words) {
  struct Word {
    const char* text;
    Destination where;
  };
  static constexpr Word kWords[] = {{"SCREEN", kScreen}, {"LOG", kLog}, {"BOTH", kBoth}};
  if (words.empty()) return kScreen;
  std::string upper = words.front();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Word& w : kWords) {
    if (upper != w.text) continue;
    words.erase(words.begin());
    return w.where;
  }
  return kScreen;
}

void EmitLine(StatementContext& ctx, Destination where, std::string_view line) {
  switch (where) {
    case kScreen:
      ctx.Screen(line);
      break;
    case kLog:
      // Without a session log there is nowhere to write; the run goes on.
      if (ctx.LogFile() != nullptr) ctx.Log(line);
      break;
    default:
      ctx.Both(line);
      break;
  }
}

}  // namespace statement_args
