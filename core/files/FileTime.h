#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "text/WString.h"

namespace tidewell {

// 100-ns units since 1601-01-01 00:00:00, UTC unless stated otherwise.
using FileTime = uint64_t;

inline constexpr FileTime kFileTimeUnitsPerSecond = 10'000'000;
// The largest file time that has calendar fields: the top bit must stay clear,
// as on Windows.
inline constexpr FileTime kMaxFileTime = 0x7FFF'FFFF'FFFF'FFFFull;

// A file time broken into calendar fields, with no time-zone adjustment.
struct CalendarTime {
  int year = 1601;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
  uint32_t fraction = 0;  // 100-ns units within the second

  bool operator==(const CalendarTime&) const = default;
};

// Calendar fields of a file time; nullopt above kMaxFileTime.
std::optional<CalendarTime> FileTimeToCalendar(FileTime time);
// The file time of calendar fields; nullopt when a field is out of range
// (month 13, 30 February, hour 24, second 60, ...) or the time lies before
// 1601 or beyond kMaxFileTime.
std::optional<FileTime> CalendarToFileTime(const CalendarTime& fields);

// A DOS date (bits 15-9 year - 1980, 8-5 month, 4-0 day) and DOS time (bits
// 15-11 hour, 10-5 minute, 4-0 seconds / 2).
struct DosDateTime {
  uint16_t date = 0;
  uint16_t time = 0;

  // Date in the high 16 bits, time in the low 16, as zip headers store them.
  uint32_t Packed() const { return (static_cast<uint32_t>(date) << 16) | time; }
  static DosDateTime FromPacked(uint32_t packed) {
    return {static_cast<uint16_t>(packed >> 16), static_cast<uint16_t>(packed & 0xFFFF)};
  }
  bool operator==(const DosDateTime&) const = default;
};

// As Windows does it: DOS times have two-second resolution and an odd second
// is cut down to the even one below it (10:00:59.9 becomes 10:00:58); nullopt
// outside the years DOS dates can hold, 1980 to 2107.
std::optional<DosDateTime> FileTimeToDosDateTime(FileTime time);
// nullopt when a field is impossible (month 0 or 13, day 0, 31 April, hour
// 24, minute 60, the seconds values 60 and 62).
std::optional<FileTime> DosDateTimeToFileTime(uint16_t date, uint16_t time);

// Takes `local` as a wall-clock time of the current time zone and gives the
// UTC file time. The zone's rules at that date decide the offset (summer
// time in July, winter time in January), not the offset in force today; a
// wall-clock time skipped or repeated by a clock change is resolved as the C
// library's mktime resolves it. nullopt when the time cannot be converted.
std::optional<FileTime> LocalFileTimeToFileTime(FileTime local);

// UTC seconds and nanoseconds since 1970 (as stat reports them) as a file time; the
// nanoseconds are cut to 100-ns units. nullopt before 1601 or beyond
// kMaxFileTime.
std::optional<FileTime> FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds);
std::optional<FileTime> FileTimeFromFilesystem(std::filesystem::file_time_type time);

// Display form: "%d %s %d, %.2d:%.2d" (day, month name, year, hour, minute),
// no time-zone adjustment, e.g. "5 June 2004, 09:07". Server form: 120
// seconds earlier, as a DOS date and time, date * 65536 + time in upper-case
// hexadecimal. Empty when the time has no such form (a server form outside
// the DOS years); callers treat that as a failed measurement.
WString FormatFileTime(FileTime time, bool display);

}  // namespace tidewell
