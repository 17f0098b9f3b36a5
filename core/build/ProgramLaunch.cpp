#include "build/ProgramLaunch.h"

namespace tidewell {

std::vector<WString> SplitCommandLine(std::u16string_view parameters) {
  std::vector<WString> arguments;
  const size_t n = parameters.size();
  size_t i = 0;
  while (true) {
    while (i < n && (parameters[i] == u' ' || parameters[i] == u'\t')) ++i;
    if (i >= n) break;
    WString argument;
    bool quoted = false;
    while (i < n) {
      const char16_t c = parameters[i];
      if (!quoted && (c == u' ' || c == u'\t')) break;
      if (c == u'\\') {
        size_t end = i;
        while (end < n && parameters[end] == u'\\') ++end;
        const size_t backslashes = end - i;
        i = end;
        if (end < n && parameters[end] == u'"') {
          // Pairs of backslashes before a quotation mark are one each; an odd
          // one left over makes the quotation mark literal.
          argument.append(backslashes / 2, u'\\');
          if (backslashes % 2 == 1) {
            argument.push_back(u'"');
            ++i;
          }
        } else {
          argument.append(backslashes, u'\\');
        }
        continue;
      }
      if (c == u'"') {
        if (quoted && i + 1 < n && parameters[i + 1] == u'"') {
          argument.push_back(u'"');  // "" inside quotes is a quotation mark
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      argument.push_back(c);
      ++i;
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::optional<ProcessRequest> WindowsProgramRequest(const ProcessStarter& starter,
                                                    const WString& program,
                                                    std::vector<WString> arguments,
                                                    const WString& workingDirectory) {
  ProcessRequest request;
  request.workingDirectory = workingDirectory;
  request.arguments = std::move(arguments);
  if (kHostRunsWindowsPrograms) {
    request.program = program;
    return request;
  }
  const auto wine = starter.FindProgram(u"wine");
  if (!wine) return std::nullopt;
  request.program = *wine;
  request.arguments.insert(request.arguments.begin(), program);
  return request;
}

LaunchResult StartWindowsProgram(ProcessStarter& starter, const WString& program,
                                 std::vector<WString> arguments,
                                 const WString& workingDirectory) {
  const auto request =
      WindowsProgramRequest(starter, program, std::move(arguments), workingDirectory);
  if (!request) return LaunchResult::NoWine;
  return starter.Start(*request) ? LaunchResult::Started : LaunchResult::Failed;
}

LaunchResult OpenFolderInBrowser(ProcessStarter& starter, const WString& folder) {
#if defined(_WIN32)
  // The folder travels as one argument: the starter quotes it.
  return starter.Start({u"explorer", {folder}, {}}) ? LaunchResult::Started : LaunchResult::Failed;
#else
#if defined(__APPLE__)
  const std::u16string_view opener = u"open";
#else
  const std::u16string_view opener = u"xdg-open";
#endif
  const auto program = starter.FindProgram(opener);
  if (!program) return LaunchResult::NoFileBrowser;
  return starter.Start({*program, {folder}, {}}) ? LaunchResult::Started : LaunchResult::Failed;
#endif
}

}  // namespace tidewell
