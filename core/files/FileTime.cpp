#include "files/FileTime.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace tidewell {

namespace {

constexpr int64_t kSecondsPerDay = 86'400;
// Days from 1601-01-01 to 1970-01-01, and the same span in seconds.
constexpr int64_t kDaysFrom1601To1970 = 134'774;
constexpr int64_t kSecondsFrom1601To1970 = kDaysFrom1601To1970 * kSecondsPerDay;
// The server form is written 120 seconds before the measured time.
constexpr FileTime kServerFormOffset = 1'200'000'000;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar
// (H. Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146'097 + dayOfEra - 719'468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719'468;
  const int64_t era = (days >= 0 ? days : days - 146'096) / 146'097;
  const int64_t dayOfEra = days - era * 146'097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

WString TwoDigits(int value) {
  WString out;
  if (value < 10) out += u'0';
  out += text::FormatDecimal(value);
  return out;
}

}  // namespace

std::optional<CalendarTime> FileTimeToCalendar(FileTime time) {
  if (time > kMaxFileTime) return std::nullopt;
  const auto seconds = static_cast<int64_t>(time / kFileTimeUnitsPerSecond);
  CalendarTime fields;
  fields.fraction = static_cast<uint32_t>(time % kFileTimeUnitsPerSecond);
  const int64_t secondOfDay = seconds % kSecondsPerDay;
  fields.hour = static_cast<int>(secondOfDay / 3600);
  fields.minute = static_cast<int>(secondOfDay / 60 % 60);
  fields.second = static_cast<int>(secondOfDay % 60);
  CivilFromDays(seconds / kSecondsPerDay - kDaysFrom1601To1970, fields.year, fields.month,
                fields.day);
  return fields;
}

std::optional<FileTime> CalendarToFileTime(const CalendarTime& f) {
  if (f.year < 1601 || f.year > 30'828 || f.month < 1 || f.month > 12 || f.day < 1 ||
      f.day > DaysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 ||
      f.minute > 59 || f.second < 0 || f.second > 59 || f.fraction >= kFileTimeUnitsPerSecond) {
    return std::nullopt;
  }
  const int64_t days = DaysFromCivil(f.year, f.month, f.day) + kDaysFrom1601To1970;
  const int64_t seconds = days * kSecondsPerDay + f.hour * 3600 + f.minute * 60 + f.second;
  const FileTime time = static_cast<FileTime>(seconds) * kFileTimeUnitsPerSecond + f.fraction;
  if (time > kMaxFileTime) return std::nullopt;
  return time;
}

std::optional<DosDateTime> FileTimeToDosDateTime(FileTime time) {
  const auto f = FileTimeToCalendar(time);
  if (!f || f->year < 1980 || f->year > 2107) return std::nullopt;
  DosDateTime dos;
  dos.date = static_cast<uint16_t>(((f->year - 1980) << 9) | (f->month << 5) | f->day);
  dos.time = static_cast<uint16_t>((f->hour << 11) | (f->minute << 5) | (f->second / 2));
  return dos;
}

std::optional<FileTime> DosDateTimeToFileTime(uint16_t date, uint16_t time) {
  CalendarTime f;
  f.year = (date >> 9) + 1980;
  f.month = (date >> 5) & 0x0F;
  f.day = date & 0x1F;
  f.hour = time >> 11;
  f.minute = (time >> 5) & 0x3F;
  f.second = (time & 0x1F) * 2;
  return CalendarToFileTime(f);
}

namespace {

// The zone's rules are read by the C library on every conversion, with a
// status call on the zone file each time; the entries of one archive mostly
// share their time, so the last conversion of each thread is kept: for the
// zone TZ names, or for a second where the system's zone is used, after
// which a changed zone shows again.
struct LastConversion {
  bool filled = false;
  FileTime local = 0;
  std::optional<std::string> zone;
  std::optional<FileTime> utc;
  std::chrono::steady_clock::time_point made;
};
constexpr auto kConversionKept = std::chrono::seconds(1);
thread_local LastConversion t_lastConversion;

std::optional<std::string_view> ZoneSetting() {
  const char* zone = std::getenv("TZ");
  if (!zone) return std::nullopt;
  return std::string_view(zone);
}

std::optional<FileTime> ConvertLocalFileTime(FileTime local);

}  // namespace

std::optional<FileTime> LocalFileTimeToFileTime(FileTime local) {
  LastConversion& last = t_lastConversion;
  const auto now = std::chrono::steady_clock::now();
  const std::optional<std::string_view> zone = ZoneSetting();
  if (!last.filled || last.local != local || last.zone != zone ||
      now - last.made >= kConversionKept) {
    last.utc = ConvertLocalFileTime(local);
    last.local = local;
    last.zone = zone ? std::optional<std::string>(*zone) : std::nullopt;
    last.made = now;
    last.filled = true;
  }
  return last.utc;
}

namespace {

std::optional<FileTime> ConvertLocalFileTime(FileTime local) {
  const auto f = FileTimeToCalendar(local);
  if (!f) return std::nullopt;
  std::tm tm{};
  tm.tm_year = f->year - 1900;
  tm.tm_mon = f->month - 1;
  tm.tm_mday = f->day;
  tm.tm_hour = f->hour;
  tm.tm_min = f->minute;
  tm.tm_sec = f->second;
  tm.tm_isdst = -1;  // let the zone's rules for that date decide
  errno = 0;
  const std::time_t utc = std::mktime(&tm);
  if (utc == static_cast<std::time_t>(-1) && errno != 0) return std::nullopt;
  const auto whole = FileTimeFromUnix(static_cast<int64_t>(utc), 0);
  if (!whole || kMaxFileTime - *whole < f->fraction) return std::nullopt;
  return *whole + f->fraction;
}

}  // namespace

std::optional<FileTime> FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
  constexpr int64_t kMaxSeconds =
      static_cast<int64_t>(kMaxFileTime / kFileTimeUnitsPerSecond) - kSecondsFrom1601To1970;
  if (nanoseconds >= 1'000'000'000 || seconds < -kSecondsFrom1601To1970 || seconds > kMaxSeconds)
    return std::nullopt;
  const auto since1601 = static_cast<uint64_t>(seconds + kSecondsFrom1601To1970);
  const FileTime time = since1601 * kFileTimeUnitsPerSecond + nanoseconds / 100;
  if (time > kMaxFileTime) return std::nullopt;
  return time;
}

std::optional<FileTime> FileTimeFromFilesystem(std::filesystem::file_time_type time) {
  using namespace std::chrono;
  const auto utc = file_clock::to_sys(time);
  const auto seconds = floor<std::chrono::seconds>(utc);
  const auto nanos = duration_cast<nanoseconds>(utc - seconds).count();
  return FileTimeFromUnix(seconds.time_since_epoch().count(), static_cast<uint32_t>(nanos));
}

WString FormatFileTime(FileTime time, bool display) {
  if (display) {
    static constexpr const char16_t* kMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr",
                                                     u"May", u"June", u"July", u"Aug",
                                                     u"Sep", u"Oct", u"Nov", u"Dec"};
    const auto f = FileTimeToCalendar(time);
    if (!f) return {};
    WString out = text::FormatDecimal(f->day);
    out += u' ';
    out += kMonths[f->month - 1];
    out += u' ';
    out += text::FormatDecimal(f->year);
    out += u", ";
    out += TwoDigits(f->hour);
    out += u':';
    out += TwoDigits(f->minute);
    return out;
  }
  if (time < kServerFormOffset) return {};
  const auto dos = FileTimeToDosDateTime(time - kServerFormOffset);
  if (!dos) return {};
  return text::FormatHexUpper(dos->Packed());
}

}  // namespace tidewell
