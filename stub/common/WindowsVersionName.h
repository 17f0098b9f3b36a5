#pragma once

#include <cstdint>
#include <string>

namespace tidewatch {

struct WindowsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  bool server = false;
};

// The operating-system description the built-in variable %Platform% stands
// for, for example "Windows 10 (10.0.19045)".
std::u16string DescribeWindowsVersion(const WindowsVersion& version);

}  // namespace tidewatch
