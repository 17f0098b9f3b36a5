#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "support/HostOnly.h"
#include "files/FileTime.h"
#include "files/TimeZoneScope.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using namespace std::chrono;

// The file time of UTC calendar fields, worked out with std::chrono rather
// than with the code under test.
FileTime Utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, uint32_t fraction = 0) {
  const auto days = sys_days{year{y} / mo / d};
  const int64_t unixSeconds = duration_cast<seconds>(days.time_since_epoch()).count() +
                              h * 3600 + mi * 60 + s;
  return static_cast<FileTime>(unixSeconds + 11'644'473'600) * 10'000'000 + fraction;
}

uint16_t DosDate(int y, int mo, int d) { return static_cast<uint16_t>(((y - 1980) << 9) | (mo << 5) | d); }
uint16_t DosTime(int h, int mi, int s) { return static_cast<uint16_t>((h << 11) | (mi << 5) | (s / 2)); }

WString Hex(uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", value);
  return text::FromUtf8(buf);
}

TEST(FileTime, CalendarFieldsOfKnownTimes) {
  struct Case {
    FileTime time;
    CalendarTime fields;
  };
  const Case cases[] = {
      {0, {1601, 1, 1, 0, 0, 0, 0}},
      {116'444'736'000'000'000ull, {1970, 1, 1, 0, 0, 0, 0}},
      {Utc(2000, 2, 29, 23, 59, 59, 9'999'999), {2000, 2, 29, 23, 59, 59, 9'999'999}},
      {Utc(2004, 6, 5, 9, 7, 30), {2004, 6, 5, 9, 7, 30, 0}},
      {Utc(2100, 3, 1), {2100, 3, 1, 0, 0, 0, 0}},
      {kMaxFileTime, {30828, 9, 14, 2, 48, 5, 4'775'807}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time);
    const auto fields = FileTimeToCalendar(c.time);
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(*fields, c.fields);
    EXPECT_EQ(CalendarToFileTime(c.fields), std::optional<FileTime>(c.time));
  }
  EXPECT_FALSE(FileTimeToCalendar(kMaxFileTime + 1).has_value());
}

TEST(FileTime, CalendarAgreesWithStdChronoOverTheWholeRange) {
  std::mt19937_64 random(20040605);
  for (int i = 0; i < 20000; ++i) {
    const FileTime time = random() % (kMaxFileTime + 1);
    const auto fields = FileTimeToCalendar(time);
    ASSERT_TRUE(fields.has_value());
    const int64_t unixSeconds = static_cast<int64_t>(time / 10'000'000) - 11'644'473'600;
    const sys_seconds utc{seconds{unixSeconds}};
    const auto day = floor<days>(utc);
    const year_month_day ymd{day};
    const hh_mm_ss hms{utc - day};
    ASSERT_EQ(fields->year, static_cast<int>(ymd.year())) << time;
    ASSERT_EQ(fields->month, static_cast<int>(static_cast<unsigned>(ymd.month()))) << time;
    ASSERT_EQ(fields->day, static_cast<int>(static_cast<unsigned>(ymd.day()))) << time;
    ASSERT_EQ(fields->hour, hms.hours().count()) << time;
    ASSERT_EQ(fields->minute, hms.minutes().count()) << time;
    ASSERT_EQ(fields->second, hms.seconds().count()) << time;
    ASSERT_EQ(CalendarToFileTime(*fields), std::optional<FileTime>(time));
  }
}

TEST(FileTime, ImpossibleCalendarFieldsAreRefused) {
  const CalendarTime cases[] = {
      {1600, 12, 31, 23, 59, 59, 0}, {2001, 2, 29, 0, 0, 0, 0}, {2100, 2, 29, 0, 0, 0, 0},
      {2004, 4, 31, 0, 0, 0, 0},     {2004, 0, 1, 0, 0, 0, 0},  {2004, 13, 1, 0, 0, 0, 0},
      {2004, 1, 0, 0, 0, 0, 0},      {2004, 1, 1, 24, 0, 0, 0}, {2004, 1, 1, 0, 60, 0, 0},
      {2004, 1, 1, 0, 0, 60, 0},     {2004, 1, 1, 0, 0, 0, 10'000'000},
      {30828, 9, 14, 2, 48, 6, 0},   {-5, 1, 1, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.year << "-" << c.month << "-" << c.day << " " << c.hour
                                    << ":" << c.minute << ":" << c.second);
    EXPECT_FALSE(CalendarToFileTime(c).has_value());
  }
  EXPECT_TRUE(CalendarToFileTime({2000, 2, 29, 0, 0, 0, 0}).has_value());
  EXPECT_TRUE(CalendarToFileTime({2004, 2, 29, 0, 0, 0, 0}).has_value());
}

TEST(FileTime, DosDateTimeAtTheBoundaries) {
  struct Case {
    const char* what;
    FileTime time;
    std::optional<DosDateTime> dos;
  };
  const Case cases[] = {
      {"first DOS second", Utc(1980, 1, 1), DosDateTime{0x0021, 0x0000}},
      {"last DOS second", Utc(2107, 12, 31, 23, 59, 58),
       DosDateTime{DosDate(2107, 12, 31), DosTime(23, 59, 58)}},
      {"last DOS instant", Utc(2107, 12, 31, 23, 59, 59, 9'999'999),
       DosDateTime{DosDate(2107, 12, 31), DosTime(23, 59, 58)}},
      {"odd second cut down", Utc(2004, 6, 5, 10, 0, 1), DosDateTime{DosDate(2004, 6, 5), DosTime(10, 0, 0)}},
      {"59 seconds cut to 58", Utc(2004, 6, 5, 10, 0, 59, 9'999'999),
       DosDateTime{DosDate(2004, 6, 5), DosTime(10, 0, 58)}},
      {"leap day", Utc(2000, 2, 29, 12, 34, 56), DosDateTime{DosDate(2000, 2, 29), DosTime(12, 34, 56)}},
      {"before 1980", Utc(1979, 12, 31, 23, 59, 59, 9'999'999), std::nullopt},
      {"after 2107", Utc(2108, 1, 1), std::nullopt},
      {"no calendar fields", kMaxFileTime + 1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FileTimeToDosDateTime(c.time), c.dos);
  }
  EXPECT_EQ(DosDate(2107, 12, 31), 0xFF9F);
  EXPECT_EQ(DosTime(23, 59, 58), 0xBF7D);
}

TEST(FileTime, DosDateTimeToFileTimeRefusesImpossibleFields) {
  struct Case {
    const char* what;
    uint16_t date;
    uint16_t time;
  };
  const Case cases[] = {
      {"no date at all", 0, 0},
      {"month 0", static_cast<uint16_t>((24 << 9) | (0 << 5) | 5), 0},
      {"month 13", static_cast<uint16_t>((24 << 9) | (13 << 5) | 5), 0},
      {"day 0", static_cast<uint16_t>((24 << 9) | (6 << 5) | 0), 0},
      {"31 April", DosDate(2004, 4, 31), 0},
      {"29 February 2100", DosDate(2100, 2, 29), 0},
      {"hour 24", DosDate(2004, 6, 5), static_cast<uint16_t>(24 << 11)},
      {"minute 60", DosDate(2004, 6, 5), static_cast<uint16_t>(60 << 5)},
      {"second 60", DosDate(2004, 6, 5), 30},
      {"second 62", DosDate(2004, 6, 5), 31},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(DosDateTimeToFileTime(c.date, c.time).has_value());
  }
  EXPECT_EQ(DosDateTimeToFileTime(DosDate(2004, 6, 5), DosTime(9, 7, 30)),
            std::optional<FileTime>(Utc(2004, 6, 5, 9, 7, 30)));
  EXPECT_EQ(DosDateTimeToFileTime(0x0021, 0), std::optional<FileTime>(Utc(1980, 1, 1)));
  EXPECT_EQ(DosDateTimeToFileTime(0xFF9F, 0xBF7D),
            std::optional<FileTime>(Utc(2107, 12, 31, 23, 59, 58)));
}

TEST(FileTime, EveryValidDosDateRoundTrips) {
  int validDates = 0;
  for (uint32_t date = 0; date <= 0xFFFF; ++date) {
    const auto time = DosDateTimeToFileTime(static_cast<uint16_t>(date), DosTime(23, 59, 58));
    if (!time) continue;
    ++validDates;
    const auto back = FileTimeToDosDateTime(*time);
    ASSERT_TRUE(back.has_value()) << date;
    ASSERT_EQ(back->date, date);
    ASSERT_EQ(back->time, DosTime(23, 59, 58));
  }
  const auto span = sys_days{year{2108} / 1 / 1} - sys_days{year{1980} / 1 / 1};
  EXPECT_EQ(validDates, span.count());
}

TEST(FileTime, UnixAndFilesystemTimes) {
  EXPECT_EQ(FileTimeFromUnix(0, 0), std::optional<FileTime>(116'444'736'000'000'000ull));
  EXPECT_EQ(FileTimeFromUnix(0, 999), std::optional<FileTime>(116'444'736'000'000'009ull));
  EXPECT_EQ(FileTimeFromUnix(-11'644'473'600, 0), std::optional<FileTime>(0));
  EXPECT_FALSE(FileTimeFromUnix(-11'644'473'601, 999'999'999).has_value());
  EXPECT_FALSE(FileTimeFromUnix(0, 1'000'000'000).has_value());
  EXPECT_FALSE(FileTimeFromUnix(INT64_MAX, 0).has_value());
  EXPECT_EQ(FileTimeFromUnix(-1, 500'000'000), std::optional<FileTime>(116'444'735'995'000'000ull));

  const auto written = file_clock::from_sys(sys_days{year{2004} / 6 / 5} + 9h + 7min + 31s +
                                            milliseconds{500} + nanoseconds{150});
  EXPECT_EQ(FileTimeFromFilesystem(written),
            std::optional<FileTime>(Utc(2004, 6, 5, 9, 7, 31, 5'000'001)));
}

TEST(FileTime, LocalTimesTakeTheZoneRulesOfTheirOwnDate) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kPosixZoneRulesOnly;
#endif
  struct Case {
    const char* zone;
    FileTime local;
    FileTime utc;
  };
  const Case cases[] = {
      {"UTC0", Utc(2004, 6, 5, 9, 7, 30), Utc(2004, 6, 5, 9, 7, 30)},
      // Central Europe: one hour ahead in winter, two in summer, whatever
      // the date today.
      {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2004, 1, 15, 12, 0, 0), Utc(2004, 1, 15, 11, 0, 0)},
      {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2004, 7, 15, 12, 0, 0), Utc(2004, 7, 15, 10, 0, 0)},
      {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(1980, 1, 1, 0, 30, 0, 1234), Utc(1979, 12, 31, 23, 30, 0, 1234)},
      // US Eastern: behind UTC, across midnight into the next day.
      {"EST5EDT,M3.2.0,M11.1.0", Utc(2004, 12, 31, 22, 0, 0), Utc(2005, 1, 1, 3, 0, 0)},
      // The same time again right after a change of zone: converted anew.
      {"UTC0", Utc(2004, 12, 31, 22, 0, 0), Utc(2004, 12, 31, 22, 0, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zone);
    testing::TimeZoneScope zone(c.zone);
    EXPECT_EQ(LocalFileTimeToFileTime(c.local), std::optional<FileTime>(c.utc));
  }
}

TEST(FileTime, DisplayFormNamesEveryMonth) {
  const char16_t* expected[12] = {
      u"5 Jan 2004, 09:07",  u"5 Feb 2004, 09:07", u"5 Mar 2004, 09:07", u"5 Apr 2004, 09:07",
      u"5 May 2004, 09:07",  u"5 June 2004, 09:07", u"5 July 2004, 09:07", u"5 Aug 2004, 09:07",
      u"5 Sep 2004, 09:07",  u"5 Oct 2004, 09:07", u"5 Nov 2004, 09:07", u"5 Dec 2004, 09:07",
  };
  for (int month = 1; month <= 12; ++month)
    EXPECT_EQ(FormatFileTime(Utc(2004, month, 5, 9, 7, 59, 9'999'999), true), expected[month - 1]);
  EXPECT_EQ(FormatFileTime(Utc(2107, 12, 31, 23, 0, 0), true), u"31 Dec 2107, 23:00");
  EXPECT_EQ(FormatFileTime(0, true), u"1 Jan 1601, 00:00");
  EXPECT_EQ(FormatFileTime(Utc(3000, 10, 10, 0, 5), true), u"10 Oct 3000, 00:05");
  EXPECT_EQ(FormatFileTime(kMaxFileTime + 1, true), u"");
}

TEST(FileTime, ServerFormIsTheDosTimeTwoMinutesEarlier) {
  struct Case {
    const char* what;
    FileTime time;
    WString expected;
  };
  const auto packed = [](uint16_t date, uint16_t time) {
    return Hex((static_cast<uint32_t>(date) << 16) | time);
  };
  const Case cases[] = {
      {"worked example", Utc(2004, 6, 5, 9, 7, 30), packed(DosDate(2004, 6, 5), DosTime(9, 5, 30))},
      {"odd second cut to even", Utc(2004, 6, 5, 9, 7, 31, 5'000'000),
       packed(DosDate(2004, 6, 5), DosTime(9, 5, 30))},
      {"back across midnight and a month", Utc(2004, 3, 1, 0, 1, 0),
       packed(DosDate(2004, 2, 29), DosTime(23, 59, 0))},
      {"first time with a server form", Utc(1980, 1, 1, 0, 2, 0), WString(u"210000")},
      {"last time with a server form", Utc(2108, 1, 1, 0, 1, 59, 9'999'999),
       packed(0xFF9F, 0xBF7D)},
      {"too early", Utc(1980, 1, 1, 0, 1, 59, 9'999'999), WString()},
      {"too late", Utc(2108, 1, 1, 0, 2, 0), WString()},
      {"below the offset itself", 1'199'999'999, WString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FormatFileTime(c.time, false), c.expected);
  }
  // The worked example by hand: date 0x30C5, time 0x48AF.
  EXPECT_EQ(FormatFileTime(Utc(2004, 6, 5, 9, 7, 30), false), u"30C548AF");
}

}  // namespace
}  // namespace tidewell
