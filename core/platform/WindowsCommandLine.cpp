#include "platform/WindowsCommandLine.h"

namespace tidewell {

std::wstring QuoteWindowsArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

std::wstring JoinWindowsArguments(const std::vector<std::wstring>& arguments) {
  std::wstring line;
  for (const std::wstring& argument : arguments) {
    if (!line.empty()) line.push_back(L' ');
    line += QuoteWindowsArgument(argument);
  }
  return line;
}

}  // namespace tidewell
