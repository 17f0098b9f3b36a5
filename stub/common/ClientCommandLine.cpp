#include "ClientCommandLine.h"

namespace tidewatch {

namespace {

// Letter case is ignored for A to Z only, as in the tool's own comparisons.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

size_t SkipBlanks(std::u16string_view line, size_t i) {
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i;
}

// The program name ends at its closing quotation mark when it starts with
// one, otherwise at the first blank.
size_t SkipProgramName(std::u16string_view line) {
  if (!line.empty() && line[0] == u'"') {
    const size_t close = line.find(u'"', 1);
    return close == std::u16string_view::npos ? line.size() : close + 1;
  }
  size_t i = 0;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  return i;
}

std::u16string Unquoted(std::u16string_view rest) {
  size_t end = rest.size();
  while (end > 0 && IsBlank(rest[end - 1])) --end;
  rest = rest.substr(0, end);
  if (rest.size() >= 2 && rest.front() == u'"' && rest.back() == u'"') rest = rest.substr(1, rest.size() - 2);
  return std::u16string(rest);
}

}  // namespace

ClientCommand ParseClientCommandLine(std::u16string_view commandLine) {
  size_t i = SkipBlanks(commandLine, SkipProgramName(commandLine));
  size_t wordEnd = i;
  while (wordEnd < commandLine.size() && !IsBlank(commandLine[wordEnd])) ++wordEnd;
  const std::u16string_view word = commandLine.substr(i, wordEnd - i);
  const std::u16string argument = Unquoted(commandLine.substr(SkipBlanks(commandLine, wordEnd)));

  if (EqualsIgnoringCase(word, u"testMode")) return {ClientAction::TestMode, argument, {}};
  if (word == u"--dump-welcome") return {ClientAction::DumpWelcome, argument, {}};
  if (word == u"--dump") return {ClientAction::Dump, {}, {}};
  return {ClientAction::ShowStatus, {}, Unquoted(word)};
}

}  // namespace tidewatch
