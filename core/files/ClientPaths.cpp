#include "files/ClientPaths.h"

#include <array>

namespace tidewell {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool SameLetters(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// Windows opens the device, not a file, for these names whatever follows the
// first dot and whatever blanks stand before it.
bool IsDeviceName(std::u16string_view part) {
  std::u16string_view base = part.substr(0, part.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  static constexpr std::array<std::u16string_view, 6> kNames = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$",
                                                                 u"CONOUT$"};
  for (const std::u16string_view name : kNames)
    if (SameLetters(base, name)) return true;
  if (base.size() != 4 || !(SameLetters(base.substr(0, 3), u"COM") || SameLetters(base.substr(0, 3), u"LPT")))
    return false;
  const char16_t n = base[3];
  return (n >= u'0' && n <= u'9') || n == u'\u00B9' || n == u'\u00B2' || n == u'\u00B3';
}

bool IsDrive(std::u16string_view part) {
  return part.size() >= 2 && part[1] == u':' && Upper(part[0]) >= u'A' && Upper(part[0]) <= u'Z';
}

ClientPathFault CheckPart(std::u16string_view part, bool first) {
  if (part.empty()) return ClientPathFault::Empty;
  if (part == u"." || part == u"..") return ClientPathFault::DotPart;
  if (part.find(u':') != std::u16string_view::npos)
    return first && IsDrive(part) ? ClientPathFault::Rooted : ClientPathFault::Stream;
  for (const char16_t c : part)
    if (IsForbiddenNameCharacter(c)) return ClientPathFault::Character;
  if (part.back() == u'.' || part.back() == u' ') return ClientPathFault::TrailingDotOrBlank;
  if (IsDeviceName(part)) return ClientPathFault::DeviceName;
  return ClientPathFault::None;
}

}  // namespace

bool IsForbiddenNameCharacter(char16_t c) {
  switch (c) {
    case u'<': case u'>': case u'"': case u'|': case u'?': case u'*':
      return true;
    default:
      return c < 0x20;
  }
}

ClientPathFault CheckClientPath(std::u16string_view relative) {
  if (relative.empty()) return ClientPathFault::Empty;
  if (IsSeparator(relative.front())) return ClientPathFault::Rooted;
  size_t start = 0;
  while (true) {
    size_t end = start;
    while (end < relative.size() && !IsSeparator(relative[end])) ++end;
    if (const ClientPathFault fault = CheckPart(relative.substr(start, end - start), start == 0);
        fault != ClientPathFault::None)
      return fault;
    if (end == relative.size()) return ClientPathFault::None;
    start = end + 1;
  }
}

const char* ClientPathFaultText(ClientPathFault fault) {
  switch (fault) {
    case ClientPathFault::None: return "";
    case ClientPathFault::Empty: return "a part of it is empty";
    case ClientPathFault::Rooted: return "it names a drive, a share, a device or the root instead of a place below its folder";
    case ClientPathFault::DotPart: return "a part of it is \".\" or \"..\"";
    case ClientPathFault::Stream: return "a part of it holds \":\" (an alternate data stream)";
    case ClientPathFault::DeviceName: return "a part of it is a device name such as CON, NUL, COM1 or LPT1";
    case ClientPathFault::TrailingDotOrBlank: return "a part of it ends in a dot or a blank";
    case ClientPathFault::Character: return "it holds < > \" | ? * or a control character";
  }
  return "";
}

bool LiesInClientFolder(std::u16string_view folder, std::u16string_view path, bool orItself) {
  while (!folder.empty() && IsSeparator(folder.back())) folder.remove_suffix(1);
  if (folder.empty() || path.size() < folder.size() || !SameLetters(path.substr(0, folder.size()), folder))
    return false;
  const std::u16string_view rest = path.substr(folder.size());
  if (rest.empty()) return orItself;
  return IsSeparator(rest.front()) && CheckClientPath(rest.substr(1)) == ClientPathFault::None;
}

}  // namespace tidewell
