#include "UpdateRules.h"

#include "build/VersionValue.h"

namespace tidewatch::engine {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

bool ParseNumber(std::u16string_view text, unsigned base, std::uint32_t& out) {
  if (text.empty() || text.size() > 8) return false;
  std::uint32_t value = 0;
  for (const char16_t c : text) {
    unsigned d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (base == 16 && c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else if (base == 16 && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else return false;
    value = value * base + d;
  }
  out = value;
  return true;
}

}  // namespace

bool ForThisSystem(std::int32_t osMask) { return (osMask & kRunningSystemMask) != 0; }

bool IsLaterVersion(std::u16string_view updateVersion, std::u16string_view installedVersion) {
  return tidewell::VersionValue(updateVersion) > tidewell::VersionValue(installedVersion);
}

std::optional<std::uint32_t> ServerTimeStamp(std::uint64_t fileTime) {
  constexpr std::uint64_t kUnitsPerSecond = 10'000'000;
  constexpr std::uint64_t kShift = 120 * kUnitsPerSecond;
  constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  if (fileTime < kShift) return std::nullopt;
  const auto seconds = static_cast<std::int64_t>((fileTime - kShift) / kUnitsPerSecond) - kSecondsFrom1601To1970;
  const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const std::int64_t secondOfDay = seconds - days * 86400;
  int year, month, day;
  CivilFromDays(days, year, month, day);
  if (year < 1980 || year > 2107) return std::nullopt;
  const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto hour = static_cast<std::uint32_t>(secondOfDay / 3600);
  const auto minute = static_cast<std::uint32_t>(secondOfDay / 60 % 60);
  const auto second = static_cast<std::uint32_t>(secondOfDay % 60);
  const std::uint32_t time = (hour << 11) | (minute << 5) | (second / 2);
  return (date << 16) | time;
}

FileCondition ReadFileCondition(std::u16string_view mode) {
  FileCondition condition;
  if (mode.empty()) return condition;
  const size_t dot = mode.find(u'.');
  if (dot != std::u16string_view::npos) {
    std::uint32_t major, minor;
    if (ParseNumber(mode.substr(0, dot), 10, major) && ParseNumber(mode.substr(dot + 1), 10, minor) &&
        major <= 0xFFFF && minor <= 0xFFFF) {
      condition.kind = FileCondition::Version;
      condition.version = {static_cast<std::uint16_t>(major), static_cast<std::uint16_t>(minor)};
    }
  } else if (ParseNumber(mode, 16, condition.stamp)) {
    condition.kind = FileCondition::TimeStamp;
  }
  return condition;
}

bool NeedsFile(const ServerFile& file, const std::u16string& target, FileSystem& files) {
  const FileCondition condition = ReadFileCondition(file.mode);
  if (condition.kind == FileCondition::Always || !files.FileExists(target)) return true;
  if (condition.kind == FileCondition::Version) {
    const auto installed = files.Version(target);
    if (!installed) return true;
    if (installed->major != condition.version.major) return installed->major < condition.version.major;
    return installed->minor < condition.version.minor;
  }
  const auto written = files.LastWriteTime(target);
  const auto stamp = written ? ServerTimeStamp(*written) : std::nullopt;
  return !stamp || *stamp < condition.stamp;
}

}  // namespace tidewatch::engine
