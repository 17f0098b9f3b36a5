#include "WindowsVersionName.h"

#include <string>

namespace tidewatch {

namespace {

struct NamedVersion {
  uint32_t major;
  uint32_t minor;
  uint32_t minBuild;  // the first build that carries the name
  bool server;
  const char16_t* name;
};

// Newest first within each version number: the first match wins.
constexpr NamedVersion kNames[] = {
    {10, 0, 22000, false, u"Windows 11"},
    {10, 0, 0, false, u"Windows 10"},
    {10, 0, 26100, true, u"Windows Server 2025"},
    {10, 0, 20348, true, u"Windows Server 2022"},
    {10, 0, 17763, true, u"Windows Server 2019"},
    {10, 0, 0, true, u"Windows Server 2016"},
    {6, 3, 0, false, u"Windows 8.1"},
    {6, 3, 0, true, u"Windows Server 2012 R2"},
    {6, 2, 0, false, u"Windows 8"},
    {6, 2, 0, true, u"Windows Server 2012"},
    {6, 1, 0, false, u"Windows 7"},
    {6, 1, 0, true, u"Windows Server 2008 R2"},
    {6, 0, 0, false, u"Windows Vista"},
    {6, 0, 0, true, u"Windows Server 2008"},
    {5, 2, 0, false, u"Windows XP Professional x64 Edition"},
    {5, 2, 0, true, u"Windows Server 2003"},
    {5, 1, 0, false, u"Windows XP"},
    {5, 0, 0, false, u"Windows 2000"},
    {5, 0, 0, true, u"Windows 2000 Server"},
};

}  // namespace

std::u16string DescribeWindowsVersion(const WindowsVersion& v) {
  const auto number = [](uint32_t v) {
    const std::string digits = std::to_string(v);
    return std::u16string(digits.begin(), digits.end());
  };
  std::u16string name = u"Windows NT";
  for (const auto& n : kNames) {
    if (n.major == v.major && n.minor == v.minor && n.server == v.server && v.build >= n.minBuild) {
      name = n.name;
      break;
    }
  }
  return name + u" (" + number(v.major) + u"." + number(v.minor) + u"." + number(v.build) + u")";
}

}  // namespace tidewatch
